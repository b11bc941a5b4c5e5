// The long runs: VORNEL_LONG set to anything but 0 (`./run test --long`,
// `./run fuzz --long`) makes the reliability tests repeat far more.
#ifndef VORNEL_TESTS_RELIABILITY_LONG_H
#define VORNEL_TESTS_RELIABILITY_LONG_H

#include <cstdlib>
#include <cstring>

namespace vornel::test {

inline bool longRun() {
    const char* v = std::getenv("VORNEL_LONG");
    return v != nullptr && *v != '\0' && std::strcmp(v, "0") != 0;
}

}  // namespace vornel::test

#endif
