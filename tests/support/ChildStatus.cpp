#include "support/ChildStatus.h"

#include <sys/wait.h>
#include <unistd.h>

namespace vornel::test {

int childStatus(const std::function<int()>& work) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(work());
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)
               ? WEXITSTATUS(status)
               : -1;
}

}  // namespace vornel::test
