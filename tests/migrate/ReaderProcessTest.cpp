// Reading in a child process: what the child reads arrives, and whatever
// goes wrong in the child becomes one error in the parent, with the child
// ended and reaped.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <thread>

#include "migrate/MigrationError.h"
#include "migrate/ReaderProcess.h"
#include "migrate/RecordingSink.h"
#include "support/Shell.h"
#include "support/TempDir.h"

using vornel::migrate::AccessSink;
using vornel::migrate::AccessTable;
using vornel::migrate::Cell;
using vornel::migrate::MigrationError;
using vornel::migrate::readInChild;
using vornel::migrate::Row;
using vornel::test::RecordingSink;
namespace jet = vornel::migrate::jet;

namespace {

const AccessTable kTable{"Blocks", {{"Id", jet::kLong, 4}}, 2};

Row row(int64_t id) {
    Cell cell;
    cell.kind = Cell::Integer;
    cell.integer = id;
    return {cell};
}

void oneTable(AccessSink& sink) {
    sink.beginTable(kTable);
    sink.row(row(1));
    sink.row(row(2));
    sink.endTable();
}

// The message readInChild throws for `read`, after checking that the child
// is gone.
std::string failure(const vornel::migrate::ReadFunction& read, int idleTimeoutMs = 5000) {
    RecordingSink sink;
    std::string message;
    try {
        readInChild("old.mdb", read, sink, idleTimeoutMs);
    } catch (const MigrationError& e) {
        message = e.what();
    }
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    return message;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(ReaderProcess, WhatTheChildReadsArrives) {
    RecordingSink sink;
    readInChild("old.mdb", oneTable, sink, 5000);
    const std::vector<std::string> expected = {"table Blocks of 2: Id/4/4", "row 1:1", "row 1:2",
                                               "end"};
    EXPECT_EQ(sink.events, expected);
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

TEST(ReaderProcess, TheReadersOwnErrorPassesOnUnchanged) {
    EXPECT_EQ(failure([](AccessSink& sink) {
                  sink.beginTable(kTable);
                  throw MigrationError("'old.mdb' is damaged: its list of tables is incomplete");
              }),
              "'old.mdb' is damaged: its list of tables is incomplete");
    EXPECT_EQ(failure([](AccessSink&) { throw std::runtime_error("out of luck"); }),
              "reading failed: out of luck");
}

TEST(ReaderProcess, AChildThatDiesIsNamedWithHowItDied) {
    const std::string crashed = failure([](AccessSink& sink) {
        sink.beginTable(kTable);
        std::abort();
    });
    EXPECT_TRUE(contains(crashed, "reading 'old.mdb' stopped unexpectedly (Aborted)")) << crashed;
    EXPECT_TRUE(contains(crashed, "the file is probably damaged")) << crashed;
    const std::string quit = failure([](AccessSink& sink) {
        sink.beginTable(kTable);
        sink.row(row(1));
        ::_exit(3);
    });
    EXPECT_TRUE(contains(quit, "stopped unexpectedly (exit status 3)")) << quit;
}

TEST(ReaderProcess, AChildThatGoesQuietIsEnded) {
    const auto start = std::chrono::steady_clock::now();
    const std::string message = failure(
        [](AccessSink& sink) {
            sink.beginTable(kTable);
            std::this_thread::sleep_for(std::chrono::seconds(30));
        },
        1000);
    EXPECT_EQ(message,
              "reading 'old.mdb' made no progress for 1 s and was stopped; the file is probably "
              "damaged");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(ReaderProcess, GarbledDataEndsTheChild) {
    // A row with a cell more than its table has columns.
    EXPECT_EQ(failure([](AccessSink& sink) {
                  sink.beginTable(kTable);
                  Row two = row(1);
                  two.push_back(two[0]);
                  sink.row(two);
                  std::this_thread::sleep_for(std::chrono::seconds(30));
              }),
              "reading 'old.mdb' failed: the reader sent garbled data");
}

TEST(ReaderProcess, AFailureOfTheSinkEndsTheChildAndPassesOn) {
    struct Refusing : RecordingSink {
        void row(const Row&) override { throw MigrationError("disk full"); }
    } sink;
    EXPECT_THROW(readInChild(
                     "old.mdb",
                     [](AccessSink& out) {
                         oneTable(out);
                         std::this_thread::sleep_for(std::chrono::seconds(30));
                     },
                     sink, 5000),
                 MigrationError);
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

TEST(ReaderProcess, WhatTheChildPrintsGoesNowhere) {
    vornel::test::TempDir dir;
    const std::string captured = dir.file("stderr.txt");
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ASSERT_TRUE(std::freopen(captured.c_str(), "w", stderr) != nullptr);
    RecordingSink sink;
    readInChild(
        "old.mdb",
        [](AccessSink& out) {
            std::fputs("warning: page 12 from map doesn't match\n", stderr);
            std::fputs("Unrecognized format.\n", stdout);
            std::fflush(nullptr);
            oneTable(out);
        },
        sink, 5000);
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    EXPECT_EQ(vornel::test::readFile(captured), "");
    EXPECT_EQ(sink.events.size(), 4u);
}

TEST(ReaderProcess, NoPipeNoChild) {
    const int lowest = ::dup(STDIN_FILENO);
    ::close(lowest);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = static_cast<rlim_t>(lowest);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    // Nothing is looked at before the limit is lifted: the sanitizers'
    // checks need descriptors of their own.
    std::exception_ptr error;
    RecordingSink sink;
    try {
        readInChild("old.mdb", oneTable, sink, 5000);
    } catch (...) {
        error = std::current_exception();
    }
    ::setrlimit(RLIMIT_NOFILE, &saved);
    ASSERT_TRUE(error);
    try {
        std::rethrow_exception(error);
    } catch (const MigrationError& e) {
        EXPECT_STREQ(e.what(), "cannot start reading 'old.mdb': Too many open files");
    }
    EXPECT_TRUE(sink.events.empty());
}
