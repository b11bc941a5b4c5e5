// The other process of the reliability tests. It works on a database file
// while the test process watches, reads beside it, or kills it, and says
// what it does on stdout, one line per step, written before and after each
// call so that the watcher knows what was in flight when it struck:
//
//   child crash PATH SEED MIX FIRSTBATCH FIRSTGEN PRESENT  random writes until killed
//   child writer PATH FIRSTBATCH COUNT                  COUNT batches, then exit
//   child hold PATH                                     hold a write transaction
//   child lock PATH                                     hold the file exclusively
//   child replace PATH COPY                             the same, then put COPY in its place
//
// MIX weighs the kinds of write: insert, modify, host commit, host rollback,
// compaction ("4,2,2,1,1"). PRESENT lists the batches in the file ("-" for
// none). Both are comma-separated.
// The holding modes print "held" and keep their lock until stdin closes;
// replace then renames COPY over PATH before it lets go, as a compaction does.
#include <sqlite3.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "reliability/Workload.h"
#include "vornel/VornelMng.h"

using vornel::test::Batch;
using vornel::test::kBlockTable;

namespace {

void say(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Unbuffered, so a line is in the pipe before the next call begins.
void say(const char* format, ...) {
    va_list args;
    va_start(args, format);
    char line[512];
    const int n = std::vsnprintf(line, sizeof line - 1, format, args);
    va_end(args);
    const size_t size = n < 0 ? 0 : std::min(static_cast<size_t>(n), sizeof line - 2);
    line[size] = '\n';
    if (::write(STDOUT_FILENO, line, size + 1) < 0) {
        std::_Exit(4);
    }
}

void check(CVornelMng& mng, long status, const char* what) {
    if (status == 0) {
        say("fail %s: %s", what, mng.lastError().c_str());
        std::_Exit(3);
    }
}

void waitForStdinToClose() {
    char c = 0;
    while (::read(STDIN_FILENO, &c, 1) > 0) {
    }
}

long insertBatch(CVornelMng& mng, int32_t n) {
    Batch batch(n);
    return mng.insertIntoBlockResult(kBlockTable, batch.blocks(), batch.count());
}

// The batch's blocks and a run row naming it, in one host transaction.
void hostTransaction(CVornelMng& mng, int32_t n, CompletionType how) {
    check(mng, mng.beginTransact(), "beginTransact");
    check(mng, insertBatch(mng, n), "insertIntoBlockResult in a host transaction");
    KrigBlockParam run;
    std::snprintf(run.Krig_Result_Name, sizeof run.Krig_Result_Name, "batch %d", n);
    std::snprintf(run.Table_Name, sizeof run.Table_Name, "%s", kBlockTable);
    std::vector<long> ids;
    check(mng, mng.insertIntoBlockParam(&run, 1, ids), "insertIntoBlockParam");
    check(mng, mng.endTransact(how), "endTransact");
}

std::vector<int32_t> parseList(const std::string& text) {
    std::vector<int32_t> values;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        if (item != "-" && !item.empty()) {
            values.push_back(static_cast<int32_t>(std::stol(item)));
        }
    }
    return values;
}

int crash(const std::string& path, unsigned seed, const std::vector<int32_t>& mix,
          int32_t nextBatch, int32_t nextGen, std::vector<int32_t> present) {
    CVornelMng mng;
    check(mng, mng.connectDatabase(path), "connectDatabase");
    say("ready");
    std::mt19937 rng(seed);
    std::discrete_distribution<int> kinds(mix.begin(), mix.end());
    for (int step = 0; step < 60; ++step) {
        const int kind = kinds(rng);
        switch (kind) {
            case 0: {
                const int32_t n = nextBatch++;
                say("begin insert %d", n);
                check(mng, insertBatch(mng, n), "insertIntoBlockResult");
                say("done insert %d", n);
                present.push_back(n);
                break;
            }
            case 1: {
                if (present.empty()) {
                    break;
                }
                const int32_t n = present[rng() % present.size()];
                const int32_t gen = nextGen++;
                Batch batch(n);
                batch.setGeneration(gen);
                say("begin modify %d %d", n, gen);
                check(mng, mng.modifyResultAtts(kBlockTable, batch.blocks(), batch.count()),
                      "modifyResultAtts");
                say("done modify %d %d", n, gen);
                break;
            }
            case 2:
            case 3: {
                const bool commit = kind == 2;
                const char* verb = commit ? "host" : "rollback";
                const int32_t n = nextBatch++;
                say("begin %s %d", verb, n);
                hostTransaction(mng, n, commit ? Commit : Rollback);
                say("done %s %d", verb, n);
                if (commit) {
                    present.push_back(n);
                }
                break;
            }
            default:
                say("begin compact");
                check(mng, mng.compactDatabase(path), "compactDatabase");
                say("done compact");
                break;
        }
    }
    say("finished");
    return 0;
}

int writer(const std::string& path, int32_t firstBatch, int32_t count) {
    CVornelMng mng;
    check(mng, mng.connectDatabase(path), "connectDatabase");
    for (int32_t n = firstBatch; n < firstBatch + count; ++n) {
        check(mng, insertBatch(mng, n), "insertIntoBlockResult");
        say("done insert %d", n);
    }
    return 0;
}

int hold(const std::string& path) {
    CVornelMng mng;
    check(mng, mng.connectDatabase(path), "connectDatabase");
    check(mng, mng.beginTransact(), "beginTransact");
    say("held");
    waitForStdinToClose();
    mng.endTransact(Rollback);
    return 0;
}

// Exclusive locking mode keeps every other connection out, readers too.
int lock(const std::string& path, const std::string& replacement) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
        sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT;", nullptr,
                     nullptr, nullptr) != SQLITE_OK) {
        say("fail lock: %s", sqlite3_errmsg(db));
        return 3;
    }
    say("held");
    waitForStdinToClose();
    if (!replacement.empty() && std::rename(replacement.c_str(), path.c_str()) != 0) {
        say("fail rename");
        return 3;
    }
    sqlite3_close(db);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 7 && args[0] == "crash") {
        return crash(args[1], static_cast<unsigned>(std::stoul(args[2])), parseList(args[3]),
                     static_cast<int32_t>(std::stol(args[4])),
                     static_cast<int32_t>(std::stol(args[5])), parseList(args[6]));
    }
    if (args.size() == 4 && args[0] == "writer") {
        return writer(args[1], static_cast<int32_t>(std::stol(args[2])),
                      static_cast<int32_t>(std::stol(args[3])));
    }
    if (args.size() == 2 && args[0] == "hold") {
        return hold(args[1]);
    }
    if (args.size() == 2 && args[0] == "lock") {
        return lock(args[1], "");
    }
    if (args.size() == 3 && args[0] == "replace") {
        return lock(args[1], args[2]);
    }
    std::fprintf(stderr, "usage: see the head of Child.cpp\n");
    return 2;
}
