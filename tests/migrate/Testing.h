// What the migration tests share: the sample Access files, in the folder
// that VORNEL_SHARED_DATA names (the test registration sets it), and the
// message of a failure.
#ifndef VORNEL_TESTS_MIGRATE_TESTING_H
#define VORNEL_TESTS_MIGRATE_TESTING_H

#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>

#include "migrate/MigrationError.h"

namespace vornel::test {

inline std::string sample(const std::string& name) {
    const char* dir = std::getenv("VORNEL_SHARED_DATA");
    if (dir == nullptr) {
        throw std::runtime_error("VORNEL_SHARED_DATA names no folder of sample files");
    }
    return std::string(dir) + "/" + name;
}

// What the MigrationError that `call` throws says; "no error" when it throws none.
inline std::string errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const migrate::MigrationError& e) {
        return e.what();
    }
    return "no error";
}

}  // namespace vornel::test

#endif
