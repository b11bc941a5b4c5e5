// The other process of the reliability tests. It works on a database file
// while the test process watches, reads beside it, or kills it, and says
// what it does on stdout, one line per step, written before and after each
// call so that the watcher knows what was in flight when it struck:
//
//   child write PATH SEED MIX FIRSTBATCH FIRSTGEN PRESENT STEPS  random writes
//   child hold PATH                 hold a write transaction
//   child lock PATH [COPY]          hold the file exclusively, put COPY in its place
//   child read PATH [MS]            hold a read transaction (for MS milliseconds)
//
// MIX weighs the kinds of write: insert, modify, host commit, host rollback,
// compaction ("4,2,2,1,1"; "1" only inserts). PRESENT lists the batches in
// the file ("-" for none). Both are comma-separated.
// The holding modes print "held" and keep their lock until stdin closes. A
// COPY is renamed over PATH at the first line on stdin (then "replaced") or
// else just before the lock goes, as a compaction does.
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "reliability/Harness.h"

using namespace vornel::test;

namespace {

// Unbuffered, so a line is in the pipe before the next call begins.
void say(const std::string& line) {
    if (::write(STDOUT_FILENO, (line + "\n").data(), line.size() + 1) < 0) {
        std::_Exit(4);
    }
}

void check(CVornelMng& mng, long status, const char* what) {
    if (status == 0) {
        say(std::string("fail ") + what + ": " + mng.lastError());
        std::_Exit(3);
    }
}

// Tells the test that the lock is taken, and keeps it until stdin closes.
// `replace` runs once: at the first line on stdin, or else at the close.
void holdUntilReleased(const std::function<void()>& replace = [] {}) {
    say("held");
    bool replaced = false;
    char c = 0;
    while (::read(STDIN_FILENO, &c, 1) > 0) {
        if (c == '\n' && !replaced) {
            replace();
            replaced = true;
        }
    }
    if (!replaced) {
        replace();
    }
}

// The batch's blocks and a run row naming it, in one host transaction.
void hostTransaction(CVornelMng& mng, int32_t n, CompletionType how) {
    check(mng, mng.beginTransact(), "beginTransact");
    check(mng, insertBatch(mng, n), "insertIntoBlockResult in a host transaction");
    KrigBlockParam run = runOf("batch " + std::to_string(n), "", kBlockTable, "");
    std::vector<long> ids;
    check(mng, mng.insertIntoBlockParam(&run, 1, ids), "insertIntoBlockParam");
    check(mng, mng.endTransact(how), "endTransact");
}

std::vector<int32_t> parseList(const std::string& text) {
    std::vector<int32_t> values;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');) {
        if (item != "-" && !item.empty()) {
            values.push_back(static_cast<int32_t>(std::stol(item)));
        }
    }
    return values;
}

int writeSteps(const std::string& path, unsigned seed, const std::vector<int32_t>& mix,
               int32_t nextBatch, int32_t nextGen, std::vector<int32_t> present, int steps) {
    static const char* const verbs[] = {"insert", "modify", "host", "rollback", "compact"};
    CVornelMng mng;
    check(mng, mng.connectDatabase(path), "connectDatabase");
    say("ready");
    std::mt19937 rng(seed);
    std::discrete_distribution<int> kinds(mix.begin(), mix.end());
    for (int step = 0; step < steps; ++step) {
        const int kind = kinds(rng);
        if (kind == 1 && present.empty()) {
            continue;
        }
        const int32_t n = kind == 1 ? present[rng() % present.size()] : kind < 4 ? nextBatch++ : 0;
        const int32_t gen = kind == 1 ? nextGen++ : 0;
        const std::string what = std::string(verbs[kind]) +
                                 (kind < 4 ? " " + std::to_string(n) : "") +
                                 (kind == 1 ? " " + std::to_string(gen) : "");
        say("begin " + what);
        if (kind == 0) {
            check(mng, insertBatch(mng, n), "insertIntoBlockResult");
        } else if (kind == 1) {
            Batch batch(n, gen);
            check(mng, mng.modifyResultAtts(kBlockTable, batch.blocks(), batch.count()),
                  "modifyResultAtts");
        } else if (kind < 4) {
            hostTransaction(mng, n, kind == 2 ? Commit : Rollback);
        } else {
            check(mng, mng.compactDatabase(path), "compactDatabase");
        }
        say("done " + what);
        if (kind == 0 || kind == 2) {
            present.push_back(n);
        }
    }
    say("finished");
    return 0;
}

int hold(const std::string& path) {
    CVornelMng mng;
    check(mng, mng.connectDatabase(path), "connectDatabase");
    check(mng, mng.beginTransact(), "beginTransact");
    holdUntilReleased();
    mng.endTransact(Rollback);
    return 0;
}

// Exclusive locking mode keeps every other connection out, readers too.
int lock(const std::string& path, const std::string& replacement) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
        sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT;", nullptr,
                     nullptr, nullptr) != SQLITE_OK) {
        say(std::string("fail lock: ") + sqlite3_errmsg(db));
        return 3;
    }
    bool renamed = true;
    holdUntilReleased([&] {
        if (!replacement.empty()) {
            renamed = std::rename(replacement.c_str(), path.c_str()) == 0;
            say(renamed ? "replaced" : "fail rename");
        }
    });
    sqlite3_close(db);
    return renamed ? 0 : 3;
}

// A reader's lock, which a commit in rollback-journal mode waits for.
int holdRead(const std::string& path, const std::string& milliseconds) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
        sqlite3_exec(db, "BEGIN; SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr) !=
            SQLITE_OK) {
        say(std::string("fail read: ") + sqlite3_errmsg(db));
        return 3;
    }
    if (milliseconds.empty()) {
        holdUntilReleased();
    } else {
        say("held");
        sqlite3_sleep(std::stoi(milliseconds));
    }
    sqlite3_close(db);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 8 && args[0] == "write") {
        return writeSteps(args[1], static_cast<unsigned>(std::stoul(args[2])), parseList(args[3]),
                          static_cast<int32_t>(std::stol(args[4])),
                          static_cast<int32_t>(std::stol(args[5])), parseList(args[6]),
                          std::stoi(args[7]));
    }
    if (args.size() == 2 && args[0] == "hold") {
        return hold(args[1]);
    }
    if ((args.size() == 2 || args.size() == 3) && args[0] == "read") {
        return holdRead(args[1], args.size() == 3 ? args[2] : "");
    }
    if ((args.size() == 2 || args.size() == 3) && args[0] == "lock") {
        return lock(args[1], args.size() == 3 ? args[2] : "");
    }
    std::fprintf(stderr, "usage: see the head of Child.cpp\n");
    return 2;
}
