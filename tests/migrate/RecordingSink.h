// A sink that writes down what it receives, one line per call.
#ifndef VORNEL_TESTS_RECORDINGSINK_H
#define VORNEL_TESTS_RECORDINGSINK_H

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "migrate/AccessData.h"

namespace vornel::test {

inline migrate::Cell cell(migrate::Cell::Kind kind, int64_t integer = 0, double real = 0.0,
                          std::string data = {}) {
    migrate::Cell c;
    c.kind = kind;
    c.integer = integer;
    c.real = real;
    c.data = std::move(data);
    return c;
}

inline std::string describe(const migrate::Cell& cell) {
    char buf[64];
    switch (cell.kind) {
        case migrate::Cell::Real:
        case migrate::Cell::Date:
            std::snprintf(buf, sizeof buf, "%d:%.17g", static_cast<int>(cell.kind), cell.real);
            return buf;
        case migrate::Cell::Text:
        case migrate::Cell::Bytes:
            return std::to_string(cell.kind) + ":" + cell.data;
        default:
            return std::to_string(cell.kind) + ":" + std::to_string(cell.integer);
    }
}

struct RecordingSink : migrate::AccessSink {
    void beginTable(const migrate::AccessTable& table) override {
        std::string line = "table " + table.name + " of " + std::to_string(table.rows) + ":";
        for (const auto& column : table.columns) {
            line += " " + column.name + "/" + std::to_string(column.type) + "/" +
                    std::to_string(column.size);
        }
        events.push_back(line);
    }
    void row(const migrate::Row& row) override {
        std::string line = "row";
        for (const auto& cell : row) {
            line += " " + describe(cell);
        }
        events.push_back(line);
    }
    void endTable() override { events.push_back("end"); }

    std::vector<std::string> events;
};

}  // namespace vornel::test

#endif
