// What the migration tests share: the sample Access files, in the folder
// that VORNEL_SHARED_DATA names (the test registration sets it), the
// message of a failure, and a sink that keeps what a reader hands on.
#ifndef VORNEL_TESTS_MIGRATE_TESTING_H
#define VORNEL_TESTS_MIGRATE_TESTING_H

#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "migrate/AccessData.h"
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

// A cell of the given kind and value.
inline migrate::Cell cell(migrate::Cell::Kind kind, int64_t integer = 0, double real = 0.0,
                          std::string data = {}) {
    return {kind, integer, real, std::move(data)};
}

struct Collector : migrate::AccessSink {
    void beginTable(const migrate::AccessTable& table) override { tables.push_back({table, {}}); }
    void row(const migrate::Row& row) override { tables.back().second.push_back(row); }
    void endTable() override { ++ended; }

    std::vector<std::pair<migrate::AccessTable, std::vector<migrate::Row>>> tables;
    size_t ended = 0;
};

}  // namespace vornel::test

#endif
