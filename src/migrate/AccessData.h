// What the reader of an Access file hands on: each user table's columns,
// then its rows as plain values, to a sink.
#ifndef VORNEL_MIGRATE_ACCESSDATA_H
#define VORNEL_MIGRATE_ACCESSDATA_H

#include <cstdint>
#include <string>
#include <vector>

namespace vornel::migrate {

// Column types, numbered as Jet numbers them in its table definitions.
namespace jet {
inline constexpr int kBool = 0x01;
inline constexpr int kByte = 0x02;
inline constexpr int kInteger = 0x03;
inline constexpr int kLong = 0x04;
inline constexpr int kCurrency = 0x05;
inline constexpr int kSingle = 0x06;
inline constexpr int kDouble = 0x07;
inline constexpr int kDateTime = 0x08;
inline constexpr int kBinary = 0x09;
inline constexpr int kText = 0x0a;
inline constexpr int kOle = 0x0b;
inline constexpr int kMemo = 0x0c;
inline constexpr int kReplicationId = 0x0f;
inline constexpr int kDecimal = 0x10;
}  // namespace jet

struct AccessColumn {
    std::string name;
    int type = 0;
    // Characters for a text column, bytes for the others.
    int size = 0;
};

struct AccessTable {
    std::string name;
    std::vector<AccessColumn> columns;
    // As many as the table's definition counts.
    long rows = 0;
};

// One value of a row.
struct Cell {
    enum Kind : uint8_t { Null, Integer, Real, Text, Bytes, Date, Currency, Bool };

    Kind kind = Null;
    // Integer; Currency in ten-thousandths; Bool as 1 or 0.
    int64_t integer = 0;
    // Real; Date in days since 1899-12-30, the fraction being the time.
    double real = 0.0;
    // Text in UTF-8; Bytes as they are.
    std::string data;
};

using Row = std::vector<Cell>;

// Receives a file's tables in order: for each, beginTable, its rows, then
// endTable. Each row has one cell per column, a null one for a column of a
// type that is not read.
class AccessSink {
public:
    virtual ~AccessSink() = default;
    virtual void beginTable(const AccessTable& table) = 0;
    virtual void row(const Row& row) = 0;
    virtual void endTable() = 0;
};

}  // namespace vornel::migrate

#endif
