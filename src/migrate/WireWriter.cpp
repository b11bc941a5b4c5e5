#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "migrate/Wire.h"
#include "migrate/WireFormat.h"

namespace vornel::migrate {
namespace {

void putBytes(std::string& out, const void* data, size_t size) {
    out.append(static_cast<const char*>(data), size);
}

template <class T>
void put(std::string& out, T value) {
    putBytes(out, &value, sizeof value);
}

void putString(std::string& out, const std::string& s) {
    put(out, static_cast<uint32_t>(s.size()));
    out += s;
}

}  // namespace

void WireWriter::send(char type, const std::string& payload) {
    std::string frame(1, type);
    put(frame, static_cast<uint32_t>(payload.size()));
    frame += payload;
    const char* p = frame.data();
    size_t left = frame.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, left);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw std::system_error(errno, std::generic_category(), "writing to the parent");
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
}

void WireWriter::beginTable(const AccessTable& table) {
    std::string out;
    putString(out, table.name);
    put(out, static_cast<int64_t>(table.rows));
    put(out, static_cast<uint32_t>(table.columns.size()));
    for (const AccessColumn& column : table.columns) {
        putString(out, column.name);
        put(out, static_cast<int32_t>(column.type));
        put(out, static_cast<int32_t>(column.size));
    }
    send(wire::kBeginTable, out);
}

void WireWriter::row(const Row& row) {
    std::string out;
    put(out, static_cast<uint32_t>(row.size()));
    for (const Cell& cell : row) {
        put(out, static_cast<uint8_t>(cell.kind));
        switch (cell.kind) {
            case Cell::Real:
            case Cell::Date:
                put(out, cell.real);
                break;
            case Cell::Text:
            case Cell::Bytes:
                putString(out, cell.data);
                break;
            case Cell::Null:
                break;
            default:
                put(out, cell.integer);
                break;
        }
    }
    send(wire::kRow, out);
}

void WireWriter::endTable() {
    send(wire::kEndTable, {});
}

void WireWriter::failure(const std::string& message) {
    std::string out;
    putString(out, message);
    send(wire::kFailure, out);
}

void WireWriter::finish() {
    send(wire::kFinish, {});
}

}  // namespace vornel::migrate
