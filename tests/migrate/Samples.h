// The sample Access files, in the folder that VORNEL_SHARED_DATA names
// (the test registration sets it).
#ifndef VORNEL_TESTS_SAMPLES_H
#define VORNEL_TESTS_SAMPLES_H

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace vornel::test {

inline std::string sample(const std::string& name) {
    const char* dir = std::getenv("VORNEL_SHARED_DATA");
    if (dir == nullptr) {
        throw std::runtime_error("VORNEL_SHARED_DATA names no folder of sample files");
    }
    return std::string(dir) + "/" + name;
}

}  // namespace vornel::test

#endif
