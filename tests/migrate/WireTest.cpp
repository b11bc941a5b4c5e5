// The frames between the reading child and the writing parent, over a pipe
// within one process: what the writer sends arrives as it was sent, and
// frames it never writes end the stream as garbled.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <system_error>

#include "migrate/MigrationError.h"
#include "migrate/RecordingSink.h"
#include "migrate/Wire.h"

using vornel::migrate::AccessTable;
using vornel::migrate::Cell;
using vornel::migrate::MigrationError;
using vornel::migrate::replayWire;
using vornel::migrate::WireEnd;
using vornel::migrate::WireWriter;
using vornel::test::cell;
using vornel::test::RecordingSink;
namespace jet = vornel::migrate::jet;

namespace {

// What the parent makes of the bytes `send` writes into a pipe, the pipe's
// write end closed after it unless `keepOpen`.
WireEnd replay(const std::function<void(int)>& send, RecordingSink& sink, bool keepOpen = false) {
    int ends[2];
    EXPECT_EQ(::pipe(ends), 0);
    send(ends[1]);
    if (!keepOpen) {
        ::close(ends[1]);
    }
    WireEnd end = WireEnd::Closed;
    try {
        end = replayWire(ends[0], sink, keepOpen ? 100 : 2000);
    } catch (...) {
        ::close(ends[0]);
        throw;
    }
    ::close(ends[0]);
    if (keepOpen) {
        ::close(ends[1]);
    }
    return end;
}

void put(int fd, const std::string& bytes) {
    EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

// One frame of the given type around the payload.
std::string frame(char type, const std::string& payload) {
    const auto size = static_cast<uint32_t>(payload.size());
    return std::string(1, type) + std::string(reinterpret_cast<const char*>(&size), 4) + payload;
}

void beginTable(int fd) {
    WireWriter(fd).beginTable({"Blocks", {{"Id", jet::kLong, 4}, {"Name", jet::kText, 20}}, 1});
}

}  // namespace

TEST(Wire, EveryKindOfValueArrivesAsItWasSent) {
    RecordingSink sink;
    const auto send = [](int fd) {
        WireWriter out(fd);
        AccessTable table{"Täble [1]", {}, 3};
        for (const char* name : {"A", "B", "C", "D", "E", "F", "G", "H", "I"}) {
            table.columns.push_back({name, jet::kLong, 4});
        }
        out.beginTable(table);
        out.row({cell(Cell::Null, 0), cell(Cell::Integer, -2147483648LL), cell(Cell::Real, 0, 0.1),
                 cell(Cell::Text, 0, 0, ""), cell(Cell::Text, 0, 0, "O'Brien \"pit\"\r\n"),
                 cell(Cell::Bytes, 0, 0, std::string("\0\1\xff", 3)), cell(Cell::Date, 0, -728.25),
                 cell(Cell::Currency, 9223372036854775807LL), cell(Cell::Bool, 1)});
        out.endTable();
        out.beginTable({"Empty", {}, 0});
        out.endTable();
        out.finish();
    };
    EXPECT_EQ(replay(send, sink), WireEnd::Finished);
    const std::vector<std::string> expected = {
        "table Täble [1] of 3: A/4/4 B/4/4 C/4/4 D/4/4 E/4/4 F/4/4 G/4/4 H/4/4 I/4/4",
        std::string("row 0:0 1:-2147483648 2:0.10000000000000001 3: 3:O'Brien \"pit\"\r\n 4:") +
            std::string("\0\1\xff", 3) + " 5:-728.25 6:9223372036854775807 7:1",
        "end", "table Empty of 0:", "end"};
    EXPECT_EQ(sink.events, expected);
}

TEST(Wire, FailuresEndsAndSilence) {
    RecordingSink sink;
    try {
        replay([](int fd) { WireWriter(fd).failure("'old.mdb' is damaged"); }, sink);
        ADD_FAILURE() << "no error";
    } catch (const MigrationError& e) {
        EXPECT_STREQ(e.what(), "'old.mdb' is damaged");
    }
    // Nothing, half a payload, half a header: the stream was closed early.
    EXPECT_EQ(replay([](int) {}, sink), WireEnd::Closed);
    EXPECT_EQ(replay([](int fd) { put(fd, std::string("R\x40\0\0\0", 5) + "part of it"); }, sink),
              WireEnd::Closed);
    EXPECT_EQ(replay([](int fd) { put(fd, "T\x01"); }, sink), WireEnd::Closed);
    EXPECT_EQ(replay(beginTable, sink, true), WireEnd::Silent);
    EXPECT_EQ(sink.events, std::vector<std::string>{"table Blocks of 1: Id/4/4 Name/10/20"});

    // A write to a parent that has gone throws.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    EXPECT_THROW(WireWriter(ends[1]).finish(), std::system_error);
    std::signal(SIGPIPE, previous);
    ::close(ends[1]);
}

TEST(Wire, FramesTheWriterNeverWritesAreGarbled) {
    const auto row = [](const std::string& payload) {
        return [payload](int fd) {
            beginTable(fd);
            put(fd, frame('R', payload));
        };
    };
    const auto raw = [](const std::string& bytes) { return [bytes](int fd) { put(fd, bytes); }; };
    const std::vector<std::function<void(int)>> garbles = {
        raw(frame('Z', "")),                        // no such type
        [](int fd) { WireWriter(fd).row({}); },     // a row outside a table
        [](int fd) { WireWriter(fd).endTable(); },  // an end outside a table
        [](int fd) {
            beginTable(fd);
            beginTable(fd);  // a table inside a table
        },
        [](int fd) {
            beginTable(fd);  // a cell too many
            WireWriter(fd).row({cell(Cell::Integer, 1), cell(Cell::Null, 0), cell(Cell::Null, 0)});
        },
        row(std::string("\2\0\0\0\0\x09", 6)),                // a cell of no kind
        row(std::string("\2\0\0\0\1\0\0\0", 8)),              // a payload that ends too soon
        raw(frame('F', "x")),                                 // one that runs on
        raw(frame('T', std::string("\xff\xff\xff\x7f", 4))),  // a name longer than it
        raw(frame('T', std::string(12, '\0') + "\xff\xff\xff\xff")),  // more columns than it holds
        raw(frame('X', std::string("\x10\0\0\0", 4))),                // a failure without its text
    };
    for (size_t i = 0; i < garbles.size(); ++i) {
        RecordingSink sink;
        EXPECT_EQ(replay(garbles[i], sink), WireEnd::Garbled) << "case " << i;
    }
}
