#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "migrate/MigrationError.h"
#include "migrate/Wire.h"
#include "migrate/WireFormat.h"

namespace vornel::migrate {
namespace {

// Reading a payload in pieces lets a damaged length cost no memory.
constexpr size_t kPiece = 1 << 20;

struct Garbled {};

// Reads a payload front to back; running past its end is garbling.
class Cursor {
public:
    explicit Cursor(const std::string& payload) : data_(payload) {}

    template <class T>
    T get() {
        T value;
        std::memcpy(&value, take(sizeof value), sizeof value);
        return value;
    }
    std::string getString() {
        const auto size = get<uint32_t>();
        return std::string(take(size), size);
    }
    bool atEnd() const { return at_ == data_.size(); }
    // A count of items that each take at least `size` bytes; one that the
    // rest of the payload cannot hold is garbling, not an allocation.
    size_t getCount(size_t size) {
        const auto count = get<uint32_t>();
        if (count > (data_.size() - at_) / size) {
            throw Garbled();
        }
        return count;
    }

private:
    const char* take(size_t size) {
        if (size > data_.size() - at_) {
            throw Garbled();
        }
        const char* p = data_.data() + at_;
        at_ += size;
        return p;
    }

    const std::string& data_;
    size_t at_ = 0;
};

AccessTable decodeTable(Cursor& in) {
    AccessTable table;
    table.name = in.getString();
    table.rows = in.get<int64_t>();
    table.columns.resize(in.getCount(3 * sizeof(uint32_t)));
    for (AccessColumn& column : table.columns) {
        column.name = in.getString();
        column.type = in.get<int32_t>();
        column.size = in.get<int32_t>();
    }
    return table;
}

void decodeRow(Cursor& in, Row& row) {
    row.resize(in.getCount(sizeof(uint8_t)));
    for (Cell& cell : row) {
        const auto kind = in.get<uint8_t>();
        if (kind > Cell::Bool) {
            throw Garbled();
        }
        cell.kind = static_cast<Cell::Kind>(kind);
        switch (cell.kind) {
            case Cell::Real:
            case Cell::Date:
                cell.real = in.get<double>();
                break;
            case Cell::Text:
            case Cell::Bytes:
                cell.data = in.getString();
                break;
            case Cell::Null:
                break;
            default:
                cell.integer = in.get<int64_t>();
                break;
        }
    }
}

enum class Got { Bytes, Closed, Silent };

// Fills `size` bytes of out, waiting at most idleTimeoutMs for each piece.
Got readFully(int fd, char* out, size_t size, int idleTimeoutMs) {
    while (size > 0) {
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, idleTimeoutMs);
        if (ready == 0) {
            return Got::Silent;
        }
        const ssize_t n = ready < 0 ? -1 : ::read(fd, out, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return Got::Closed;
        }
        out += n;
        size -= static_cast<size_t>(n);
    }
    return Got::Bytes;
}

class Replay {
public:
    Replay(int fd, AccessSink& sink, int idleTimeoutMs)
        : fd_(fd), sink_(sink), idleTimeoutMs_(idleTimeoutMs) {}

    WireEnd run() {
        for (;;) {
            char header[wire::kHeaderSize];
            uint32_t size = 0;
            Got got = readFully(fd_, header, sizeof header, idleTimeoutMs_);
            if (got == Got::Bytes) {
                std::memcpy(&size, header + 1, sizeof size);
                got = readPayload(size);
            }
            if (got != Got::Bytes) {
                return got == Got::Silent ? WireEnd::Silent : WireEnd::Closed;
            }
            try {
                if (handle(header[0])) {
                    return WireEnd::Finished;
                }
            } catch (const Garbled&) {
                return WireEnd::Garbled;
            }
        }
    }

private:
    Got readPayload(uint32_t size) {
        payload_.clear();
        while (payload_.size() < size) {
            const size_t piece = std::min<size_t>(kPiece, size - payload_.size());
            const size_t at = payload_.size();
            payload_.resize(at + piece);
            const Got got = readFully(fd_, payload_.data() + at, piece, idleTimeoutMs_);
            if (got != Got::Bytes) {
                return got;
            }
        }
        return Got::Bytes;
    }

    // True at the end of the stream. Rows come only inside a table, each
    // with a cell for every column.
    bool handle(char type) {
        Cursor in(payload_);
        switch (type) {
            case wire::kBeginTable:
                if (columns_ >= 0) {
                    throw Garbled();
                }
                table_ = decodeTable(in);
                columns_ = static_cast<long>(table_.columns.size());
                expectEnd(in);
                sink_.beginTable(table_);
                return false;
            case wire::kRow:
                decodeRow(in, row_);
                if (static_cast<long>(row_.size()) != columns_) {
                    throw Garbled();
                }
                expectEnd(in);
                sink_.row(row_);
                return false;
            case wire::kEndTable:
                if (columns_ < 0) {
                    throw Garbled();
                }
                columns_ = -1;
                expectEnd(in);
                sink_.endTable();
                return false;
            case wire::kFailure:
                throw MigrationError(in.getString());
            case wire::kFinish:
                expectEnd(in);
                return true;
            default:
                throw Garbled();
        }
    }

    static void expectEnd(const Cursor& in) {
        if (!in.atEnd()) {
            throw Garbled();
        }
    }

    int fd_;
    AccessSink& sink_;
    int idleTimeoutMs_;
    std::string payload_;
    AccessTable table_;
    Row row_;
    long columns_ = -1;  // of the table being replayed; -1 between tables
};

}  // namespace

WireEnd replayWire(int fd, AccessSink& sink, int idleTimeoutMs) {
    return Replay(fd, sink, idleTimeoutMs).run();
}

}  // namespace vornel::migrate
