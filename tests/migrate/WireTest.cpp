// The frames between the reading child and the writing parent, over a pipe
// within one process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <system_error>

#include "migrate/MigrationError.h"
#include "migrate/RecordingSink.h"
#include "migrate/Wire.h"

using vornel::migrate::AccessTable;
using vornel::migrate::Cell;
using vornel::migrate::MigrationError;
using vornel::migrate::replayWire;
using vornel::migrate::Row;
using vornel::migrate::WireEnd;
using vornel::migrate::WireWriter;
using vornel::test::RecordingSink;
namespace jet = vornel::migrate::jet;

namespace {

class Pipe {
public:
    Pipe() { EXPECT_EQ(::pipe(ends_), 0); }
    ~Pipe() {
        closeWriter();
        closeReader();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    int reader() const { return ends_[0]; }
    int writer() const { return ends_[1]; }
    void closeReader() {
        if (ends_[0] >= 0) {
            ::close(ends_[0]);
            ends_[0] = -1;
        }
    }
    void closeWriter() {
        if (ends_[1] >= 0) {
            ::close(ends_[1]);
            ends_[1] = -1;
        }
    }
    void raw(const std::string& bytes) const {
        EXPECT_EQ(::write(ends_[1], bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
    }
    // One frame of the given type around the payload.
    void frame(char type, const std::string& payload) const {
        std::string out(1, type);
        const auto size = static_cast<uint32_t>(payload.size());
        out.append(reinterpret_cast<const char*>(&size), sizeof size);
        raw(out + payload);
    }

    WireEnd replay(RecordingSink& sink, int idleTimeoutMs = 2000) {
        closeWriter();
        return replayWire(reader(), sink, idleTimeoutMs);
    }

private:
    int ends_[2] = {-1, -1};
};

AccessTable twoColumns() {
    return {"Blocks", {{"Id", jet::kLong, 4}, {"Name", jet::kText, 20}}, 1};
}

Cell cell(Cell::Kind kind, int64_t integer, double real = 0.0, std::string data = {}) {
    Cell c;
    c.kind = kind;
    c.integer = integer;
    c.real = real;
    c.data = std::move(data);
    return c;
}

}  // namespace

TEST(Wire, EveryKindOfValueArrivesAsItWasSent) {
    Pipe pipe;
    WireWriter out(pipe.writer());
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
    RecordingSink sink;
    EXPECT_EQ(pipe.replay(sink), WireEnd::Finished);
    const std::vector<std::string> expected = {
        "table Täble [1] of 3: A/4/4 B/4/4 C/4/4 D/4/4 E/4/4 F/4/4 G/4/4 H/4/4 I/4/4",
        std::string("row 0:0 1:-2147483648 2:0.10000000000000001 3: 3:O'Brien \"pit\"\r\n 4:") +
            std::string("\0\1\xff", 3) + " 5:-728.25 6:9223372036854775807 7:1",
        "end",
        "table Empty of 0:",
        "end",
    };
    EXPECT_EQ(sink.events, expected);
}

TEST(Wire, TheChildsFailureArrivesAsAMigrationError) {
    Pipe pipe;
    WireWriter out(pipe.writer());
    out.beginTable(twoColumns());
    out.failure("'old.mdb' is damaged: table 'Blocks' counts 1 rows, but 0 can be read");
    RecordingSink sink;
    try {
        pipe.replay(sink);
        FAIL() << "no error";
    } catch (const MigrationError& e) {
        EXPECT_STREQ(e.what(),
                     "'old.mdb' is damaged: table 'Blocks' counts 1 rows, but 0 can be read");
    }
    EXPECT_EQ(sink.events.size(), 1u);
}

TEST(Wire, AStreamThatEndsEarlyIsClosed) {
    {
        Pipe pipe;
        RecordingSink sink;
        EXPECT_EQ(pipe.replay(sink), WireEnd::Closed);
    }
    {
        Pipe pipe;
        WireWriter(pipe.writer()).beginTable(twoColumns());
        pipe.raw(std::string("R\x40\0\0\0", 5) + "only part of the payload");
        RecordingSink sink;
        EXPECT_EQ(pipe.replay(sink), WireEnd::Closed);
        EXPECT_EQ(sink.events.size(), 1u);
    }
    {
        Pipe pipe;
        pipe.raw("T\x01");  // half a header
        RecordingSink sink;
        EXPECT_EQ(pipe.replay(sink), WireEnd::Closed);
    }
}

TEST(Wire, FramesTheWriterNeverWritesAreGarbled) {
    const auto garbled = [](const std::function<void(const Pipe&)>& send) {
        Pipe pipe;
        send(pipe);
        RecordingSink sink;
        return pipe.replay(sink);
    };
    const auto inTable = [](const Pipe& pipe) {
        WireWriter(pipe.writer()).beginTable(twoColumns());
    };
    // An unknown type; rows, ends and beginnings out of place.
    EXPECT_EQ(garbled([](const Pipe& p) { p.frame('Z', ""); }), WireEnd::Garbled);
    EXPECT_EQ(garbled([](const Pipe& p) { WireWriter(p.writer()).row({}); }), WireEnd::Garbled);
    EXPECT_EQ(garbled([](const Pipe& p) { WireWriter(p.writer()).endTable(); }), WireEnd::Garbled);
    EXPECT_EQ(garbled([&](const Pipe& p) {
                  inTable(p);
                  inTable(p);
              }),
              WireEnd::Garbled);
    // A row with a cell too many, or of no kind there is.
    EXPECT_EQ(garbled([&](const Pipe& p) {
                  inTable(p);
                  WireWriter(p.writer())
                      .row({cell(Cell::Integer, 1), cell(Cell::Null, 0), cell(Cell::Null, 0)});
              }),
              WireEnd::Garbled);
    EXPECT_EQ(garbled([&](const Pipe& p) {
                  inTable(p);
                  p.frame('R', std::string("\2\0\0\0\0\x09", 6));
              }),
              WireEnd::Garbled);
    // Payloads that end too soon, run on, or count more than they hold.
    EXPECT_EQ(garbled([&](const Pipe& p) {
                  inTable(p);
                  p.frame('R', std::string("\2\0\0\0\1\0\0\0", 8));
              }),
              WireEnd::Garbled);
    EXPECT_EQ(garbled([](const Pipe& p) { p.frame('F', "x"); }), WireEnd::Garbled);
    EXPECT_EQ(garbled([](const Pipe& p) { p.frame('T', std::string("\xff\xff\xff\x7f", 4)); }),
              WireEnd::Garbled);
    EXPECT_EQ(garbled([](const Pipe& p) {
                  p.frame('T', std::string("\0\0\0\0\0\0\0\0\0\0\0\0\xff\xff\xff\xff", 16));
              }),
              WireEnd::Garbled);
    EXPECT_EQ(garbled([](const Pipe& p) { p.frame('X', std::string("\x10\0\0\0", 4)); }),
              WireEnd::Garbled);
}

TEST(Wire, NothingForTheIdleTimeoutIsSilence) {
    Pipe pipe;
    WireWriter(pipe.writer()).beginTable(twoColumns());
    RecordingSink sink;
    EXPECT_EQ(replayWire(pipe.reader(), sink, 100), WireEnd::Silent);
    EXPECT_EQ(sink.events.size(), 1u);
}

TEST(Wire, AWriteToAParentThatHasGoneThrows) {
    Pipe pipe;
    pipe.closeReader();
    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    EXPECT_THROW(WireWriter(pipe.writer()).finish(), std::system_error);
    std::signal(SIGPIPE, previous);
}
