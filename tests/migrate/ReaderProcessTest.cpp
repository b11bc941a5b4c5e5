// Reading in a child process: what the child reads arrives, and whatever
// goes wrong in the child becomes one error in the parent, with the child
// ended and reaped.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <thread>

#include "migrate/MigrationError.h"
#include "migrate/ReaderProcess.h"
#include "migrate/RecordingSink.h"

using vornel::migrate::AccessSink;
using vornel::migrate::AccessTable;
using vornel::migrate::Cell;
using vornel::migrate::MigrationError;
using vornel::migrate::ReadFunction;
using vornel::migrate::readInChild;
using vornel::migrate::Row;
using vornel::test::RecordingSink;
namespace jet = vornel::migrate::jet;

namespace {

const AccessTable kTable{"Blocks", {{"Id", jet::kLong, 4}}, 2};

Row row(int64_t id) {
    return {vornel::test::cell(Cell::Integer, id)};
}

void oneTable(AccessSink& sink) {
    sink.beginTable(kTable);
    sink.row(row(1));
    sink.row(row(2));
    sink.endTable();
}

void hang() {
    std::this_thread::sleep_for(std::chrono::seconds(30));
}

bool noChildLeft() {
    return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

}  // namespace

TEST(ReaderProcess, WhatTheChildReadsArrivesAndEachFailureIsOneError) {
    RecordingSink sink;
    readInChild("old.mdb", oneTable, sink, 5000);
    EXPECT_EQ(sink.events,
              (std::vector<std::string>{"table Blocks of 2: Id/4/4", "row 1:1", "row 1:2", "end"}));
    EXPECT_TRUE(noChildLeft());

    const std::string damaged = "; the file is probably damaged";
    const std::vector<std::pair<ReadFunction, std::string>> failures = {
        {[](AccessSink&) { throw MigrationError("'old.mdb' is damaged"); }, "'old.mdb' is damaged"},
        {[](AccessSink&) { throw std::runtime_error("out of luck"); },
         "reading failed: out of luck"},
        {[](AccessSink& s) {
             s.beginTable(kTable);
             std::abort();
         },
         "reading 'old.mdb' stopped unexpectedly (Aborted)" + damaged},
        {[](AccessSink& s) {
             oneTable(s);
             ::_exit(3);
         },
         "reading 'old.mdb' stopped unexpectedly (exit status 3)" + damaged},
        {[](AccessSink& s) {
             s.beginTable(kTable);
             s.row({row(1)[0], row(2)[0]});  // a cell more than the table has columns
             hang();
         },
         "reading 'old.mdb' failed: the reader sent garbled data"},
        {[](AccessSink& s) {
             s.beginTable(kTable);
             hang();
         },
         "reading 'old.mdb' made no progress for 1 s and was stopped" + damaged},
    };
    for (const auto& [read, message] : failures) {
        RecordingSink ignored;
        try {
            readInChild("old.mdb", read, ignored, 1000);
            ADD_FAILURE() << "no error: " << message;
        } catch (const MigrationError& e) {
            EXPECT_EQ(e.what(), message);
        }
        EXPECT_TRUE(noChildLeft()) << message;
    }

    // A sink that fails ends the child all the same.
    struct Refusing : RecordingSink {
        void row(const Row&) override { throw MigrationError("disk full"); }
    } refusing;
    const auto readThenHang = [](AccessSink& out) {
        oneTable(out);
        hang();
    };
    EXPECT_THROW(readInChild("old.mdb", readThenHang, refusing, 5000), MigrationError);
    EXPECT_TRUE(noChildLeft());
}

TEST(ReaderProcess, NoPipeNoChild) {
    const int lowest = ::dup(STDIN_FILENO);
    ::close(lowest);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = static_cast<rlim_t>(lowest);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    // Nothing is looked at before the limit is lifted: the sanitizers' checks
    // need descriptors of their own.
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
