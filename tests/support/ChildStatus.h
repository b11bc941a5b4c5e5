// Work run in a forked child, for what must not touch the test's own
// process: a file size limit, another user, an exit without cleaning up.
#ifndef VORNEL_TESTS_CHILDSTATUS_H
#define VORNEL_TESTS_CHILDSTATUS_H

#include <functional>

namespace vornel::test {

// The exit status of `work` run in a child process, -1 when it did not exit.
// The child ends with _exit: nothing of the test's own is cleaned up twice.
int childStatus(const std::function<int()>& work);

}  // namespace vornel::test

#endif
