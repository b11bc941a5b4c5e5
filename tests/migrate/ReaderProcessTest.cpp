// Reading in a child process: what the child reads arrives as it was sent,
// and whatever goes wrong in the child becomes one error in the parent, with
// the child ended and reaped. The frames between them are also written here,
// within one process, where coverage and the sanitizers see the writer.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <functional>
#include <new>
#include <set>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <tuple>

#include "migrate/ReaderProcess.h"
#include "migrate/Testing.h"
#include "migrate/Wire.h"
#include "support/ChildStatus.h"

namespace vornel::migrate {
namespace {

using test::cell;
using test::errorOf;

// Writes down what it receives, one line per call, a cell as its kind,
// integer, real and data.
struct RecordingSink : AccessSink {
    void beginTable(const AccessTable& table) override {
        std::string line = "table " + table.name + " of " + std::to_string(table.rows) + ":";
        for (const auto& column : table.columns) {
            line += " " + column.name + "/" + std::to_string(column.type) + "/" +
                    std::to_string(column.size);
        }
        events.push_back(line);
    }
    void row(const Row& row) override {
        std::ostringstream line;
        line.precision(17);
        line << "row";
        for (const Cell& c : row) {
            line << ' ' << int{c.kind} << ':' << c.integer << ':' << c.real << ':' << c.data;
        }
        events.push_back(line.str());
    }
    void endTable() override { events.push_back("end"); }

    std::vector<std::string> events;
};

// A table with a value of every kind, the edges of their ranges among them,
// then an empty one.
void everyKind(AccessSink& out) {
    AccessTable table{"Täble [1]", {}, 3};
    for (const char* name : {"A", "B", "C", "D", "E", "F", "G", "H", "I"}) {
        table.columns.push_back({name, jet::kLong, 4});
    }
    out.beginTable(table);
    out.row({Cell{}, cell(Cell::Integer, -2147483648LL), cell(Cell::Real, 0, 0.1),
             cell(Cell::Text, 0, 0, ""), cell(Cell::Text, 0, 0, "O'Brien \"pit\"\r\n"),
             cell(Cell::Bytes, 0, 0, std::string("\0\1\xff", 3)), cell(Cell::Date, 0, -728.25),
             cell(Cell::Currency, 9223372036854775807LL), cell(Cell::Bool, 1)});
    out.endTable();
    out.beginTable({"Empty", {}, 0});
    out.endTable();
}

// What a RecordingSink writes down of everyKind handed to it directly.
std::vector<std::string> everyKindEvents() {
    RecordingSink direct;
    everyKind(direct);
    return direct.events;
}

void hang() {
    std::this_thread::sleep_for(std::chrono::seconds(30));
}

// Reads everyKind, then ends as `end` does.
ReadFunction readThen(void (*end)()) {
    return [end](AccessSink& out) {
        everyKind(out);
        end();
    };
}

// The descriptors this process has open, by number.
std::set<int> openDescriptors() {
    std::set<int> open;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        open.insert(std::stoi(entry.path().filename().string()));
    }
    return open;
}

bool noChildLeft() {
    return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

// What the parent makes of the bytes `send` writes into a pipe.
WireEnd replay(const std::function<void(int)>& send, RecordingSink& sink) {
    int ends[2];
    EXPECT_EQ(::pipe(ends), 0);
    send(ends[1]);
    ::close(ends[1]);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } readEnd{ends[0]};
    return replayWire(readEnd.fd, sink, 2000);
}

void put(int fd, const std::string& bytes) {
    EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

// One frame of the given type around the payload.
std::string frame(char type, const std::string& payload) {
    const auto size = static_cast<uint32_t>(payload.size());
    return std::string(1, type) + std::string(reinterpret_cast<const char*>(&size), 4) + payload;
}

TEST(Wire, EveryKindOfValueArrivesAsItWasSent) {
    RecordingSink sink;
    const auto send = [](int fd) {
        WireWriter out(fd);
        everyKind(out);
        out.finish();
    };
    EXPECT_EQ(replay(send, sink), WireEnd::Finished);
    EXPECT_EQ(sink.events, everyKindEvents());
}

// A stream cut short ends as closed, one that holds what the writer never
// writes as garbled. (How a silent one ends, the child tests below show.)
TEST(Wire, FailuresEndsAndFramesTheWriterNeverWrites) {
    RecordingSink sink;
    EXPECT_THROW(replay([](int fd) { WireWriter(fd).failure("damaged"); }, sink), MigrationError);
    const auto raw = [](const std::string& bytes) { return [bytes](int fd) { put(fd, bytes); }; };
    EXPECT_EQ(replay(raw(std::string("R\x40\0\0\0", 5) + "part of a payload"), sink),
              WireEnd::Closed);
    EXPECT_EQ(replay(raw("T\x01"), sink), WireEnd::Closed);  // part of a header

    // Frames the writer never writes, each inside a table of that many of
    // two columns, or in none (-1).
    const std::vector<std::tuple<int, char, std::string>> garbles = {
        {-1, 'Z', ""},                    // no such type
        {-1, 'R', std::string(4, '\0')},  // a row outside a table
        {-1, 'E', ""},                    // an end outside a table
        {2, 'T', std::string(16, '\0')},  // a table inside a table
        {0, 'T', std::string(16, '\0')},  // even one of no columns
        {2, 'R', std::string("\2\0\0\0\0\x09", 6) + std::string(8, '\0')},  // a cell of no kind
        {2, 'R', std::string("\2\0\0\0\1\0\0\0", 8)},           // a payload that ends too soon
        {2, 'R', std::string("\2\0\0\0\0\0", 6) + "x"},         // two empty cells, and more
        {-1, 'F', "x"},                                         // one that runs on
        {-1, 'T', std::string("\xff\xff\xff\x7f", 4)},          // a name longer than it
        {-1, 'T', std::string(12, '\0') + "\xff\xff\xff\xff"},  // more columns than it holds
        {-1, 'X', std::string("\x10\0\0\0", 4)},                // a failure without its text
    };
    for (const auto& [columns, type, payload] : garbles) {
        const auto send = [&columns = columns, &type = type, &payload = payload](int fd) {
            if (columns >= 0) {
                AccessTable table{"T", {{"Id", jet::kLong, 4}, {"N", jet::kText, 9}}, 1};
                table.columns.resize(static_cast<size_t>(columns));
                WireWriter(fd).beginTable(table);
            }
            put(fd, frame(type, payload));
        };
        EXPECT_EQ(replay(send, sink), WireEnd::Garbled) << type << " " << payload.size();
    }

    // A write to a parent that has gone throws.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    EXPECT_THROW(WireWriter(ends[1]).finish(), std::system_error);
    std::signal(SIGPIPE, previous);
    ::close(ends[1]);
}

TEST(ReaderProcess, WhatTheChildReadsArrivesAndEachFailureIsOneError) {
    // The host's descriptors, its standard input among them, stay as they were.
    if (::fcntl(STDIN_FILENO, F_GETFD) == -1) {
        ASSERT_EQ(::open("/dev/null", O_RDONLY), STDIN_FILENO);
    }
    const std::set<int> before = openDescriptors();
    RecordingSink sink;
    readInChild("old.mdb", everyKind, sink, 5000);
    EXPECT_EQ(sink.events, everyKindEvents());
    EXPECT_TRUE(noChildLeft());
    EXPECT_EQ(openDescriptors(), before);

    // What the reading library prints of its own reaches neither output.
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    RecordingSink quiet;
    readInChild(
        "old.mdb",
        [](AccessSink& out) {
            std::fputs("a note on stdout\n", stdout);
            std::fputs("a note on stderr\n", stderr);
            std::fflush(nullptr);
            everyKind(out);
        },
        quiet, 5000);
    EXPECT_EQ(testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(quiet.events, everyKindEvents());

    const std::string damaged = "; the file is probably damaged";
    const std::vector<std::pair<ReadFunction, std::string>> failures = {
        {readThen([] { throw MigrationError("'old.mdb' is damaged"); }), "'old.mdb' is damaged"},
        {readThen([] { throw std::runtime_error("out of luck"); }), "reading failed: out of luck"},
        {readThen([] { throw std::bad_alloc(); }), "reading 'old.mdb' ran out of memory"},
        {readThen(std::abort), "reading 'old.mdb' stopped unexpectedly (Aborted)" + damaged},
        {readThen([] { ::raise(SIGKILL); }),
         "reading 'old.mdb' stopped unexpectedly (Killed); something outside ended the reader "
         "(the system does, short of memory): run the migration again"},
        {readThen([] { ::_exit(3); }),
         "reading 'old.mdb' stopped unexpectedly (exit status 3)" + damaged},
        {readThen(hang), "reading 'old.mdb' made no progress for 1 s and was stopped" + damaged},
        {[](AccessSink& s) {
             s.row({});  // outside a table
             hang();
         },
         "reading 'old.mdb' failed: the reader sent garbled data"},
    };
    for (const auto& [read, message] : failures) {
        RecordingSink ignored;
        EXPECT_EQ(errorOf([&, &read = read] { readInChild("old.mdb", read, ignored, 1000); }),
                  message);
        EXPECT_TRUE(noChildLeft()) << message;
    }
    RecordingSink ignored;
    EXPECT_EQ(errorOf([&] { readInChild("old.mdb", readThen(hang), ignored, 300); }),
              "reading 'old.mdb' made no progress for 300 ms and was stopped" + damaged);

    // A host that ignores SIGCHLD has its children reaped for it: how one
    // ended cannot be told, but each reading ends.
    const auto previous = std::signal(SIGCHLD, SIG_IGN);
    RecordingSink reaped;
    readInChild("old.mdb", everyKind, reaped, 5000);
    EXPECT_EQ(reaped.events, everyKindEvents());
    EXPECT_EQ(errorOf([&] { readInChild("old.mdb", readThen([] { ::_exit(3); }), ignored, 1000); }),
              "reading 'old.mdb' stopped unexpectedly" + damaged);
    std::signal(SIGCHLD, previous);

    // A sink that fails ends the child all the same.
    struct Refusing : RecordingSink {
        void row(const Row&) override { throw MigrationError("disk full"); }
    } refusing;
    EXPECT_THROW(readInChild("old.mdb", readThen(hang), refusing, 5000), MigrationError);
    EXPECT_TRUE(noChildLeft());
}

TEST(ReaderProcess, NoPipeNoChild) {
    // The lowest free descriptor, whether or not stdin is open.
    const int lowest = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(lowest, 0);
    ::close(lowest);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = static_cast<rlim_t>(lowest);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    // Nothing is looked at before the limit is lifted: the sanitizers' checks
    // need descriptors of their own.
    RecordingSink sink;
    std::exception_ptr thrown;
    try {
        readInChild("old.mdb", everyKind, sink, 5000);
    } catch (...) {
        thrown = std::current_exception();
    }
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(errorOf([&] {
                  if (thrown) {
                      std::rethrow_exception(thrown);
                  }
              }),
              "cannot start reading 'old.mdb': Too many open files");
    EXPECT_TRUE(sink.events.empty());
}

// A reader whose parent is killed (by the user, or for its memory) ends with
// it, rather than read on unseen. The test's child takes in the orphan, to
// tell how it ended.
TEST(ReaderProcess, TheReaderEndsWithItsParent) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const int status = test::childStatus([&] {
        ::prctl(PR_SET_CHILD_SUBREAPER, 1);
        const pid_t parent = ::fork();
        if (parent == 0) {
            RecordingSink sink;
            readInChild(
                "old.mdb",
                [&](AccessSink&) {
                    const pid_t reader = ::getpid();
                    if (::write(ends[1], &reader, sizeof reader) == sizeof reader) {
                        hang();
                    }
                },
                sink, 60000);
            ::_exit(0);
        }
        pid_t reader = 0;
        if (::read(ends[0], &reader, sizeof reader) != sizeof reader) {
            return 1;
        }
        ::kill(parent, SIGKILL);
        ::waitpid(parent, nullptr, 0);
        int ended = 0;
        for (int wait = 0; wait < 1000; ++wait) {
            if (::waitpid(reader, &ended, WNOHANG) == reader) {
                return WIFSIGNALED(ended) && WTERMSIG(ended) == SIGKILL ? 0 : 2;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(reader, SIGKILL);
        ::waitpid(reader, nullptr, 0);
        return 3;
    });
    ::close(ends[0]);
    ::close(ends[1]);
    EXPECT_EQ(status, 0) << "1 no reader started, 2 the reader ended otherwise, 3 it read on "
                            "for 10 s after its parent was killed";
}

}  // namespace
}  // namespace vornel::migrate
