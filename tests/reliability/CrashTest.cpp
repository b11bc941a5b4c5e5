// Kills a process that writes with SIGKILL at random moments, many times,
// and after each kill checks the file it was writing: it opens, it is sound,
// everything committed before the kill is in it, what was in flight is there
// whole or not at all, and a compaction cut short is told of. A compaction
// cut short leaves only its copy beside the database, which the copy tests
// at the end set up on purpose.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "reliability/Harness.h"
#include "support/TraceCapture.h"

namespace vornel::test {
namespace {

using namespace std::chrono_literals;

// A step of the writer, as it prints it: "insert 7", "modify 3 12", ...
struct Step {
    std::string verb;  // insert, modify, host, rollback, compact
    int32_t batch = 0;
    int32_t generation = 0;

    bool is(const char* v, int32_t b) const { return verb == v && batch == b; }
};

std::string listOf(const std::set<int32_t>& batches) {
    std::string list;
    for (int32_t batch : batches) {
        list += (list.empty() ? "" : ",") + std::to_string(batch);
    }
    return list.empty() ? "-" : list;
}

// What the file must hold, as the test knows it from the lines the writer
// printed before each call and after it returned.
class CrashModel {
public:
    // Takes in a line of the writer: a step begun is in flight until done.
    void take(const std::string& line) {
        std::istringstream in(line);
        std::string when;
        Step step;
        if (!(in >> when >> step.verb) || (when != "begin" && when != "done")) {
            return;
        }
        in >> step.batch >> step.generation;
        nextBatch_ = std::max(nextBatch_, step.batch + 1);
        nextGeneration_ = std::max(nextGeneration_, step.generation + 1);
        inFlight_ = when == "begin" ? std::optional<Step>(step) : std::nullopt;
        if (when == "done") {
            apply(step);
        }
    }

    std::string inFlight() const { return inFlight_ ? inFlight_->verb : "none"; }

    // Compares the file with the model, given the step in flight when the
    // writer died (if any), and then takes in how that step ended. Empty
    // when the file holds what it must; otherwise each difference.
    std::string check(const std::string& path) {
        const Step flying = inFlight_.value_or(Step{});
        inFlight_.reset();
        std::ostringstream problems;
        // The batches first, then the generations, then the runs: a step that
        // committed just before the kill is taken in with the batches, and the
        // later parts count on it (a host batch's run is looked for then).
        std::set<int32_t> found;
        for (const auto& row : rowsOf(path,
                                      "SELECT MineID, COUNT(*), SUM(Krig_OutAttr), "
                                      "SUM(length(SubBUDBlob)) FROM T1 GROUP BY MineID")) {
            const auto batch = static_cast<int32_t>(std::stol(row[0]));
            found.insert(batch);
            // Block j holds the attribute batch * 1000 + j, and a buffer of a 4-byte count
            // and 48 bytes for each of its j % 3 slabs.
            const long long n = batchSize(batch);
            const double attributes = 1000.0 * batch * n + n * (n - 1) / 2.0;
            const long long bytes = 4 * n + 48 * (n / 3 * 3 + (n % 3 == 2 ? 1 : 0));
            if (std::stoll(row[1]) != n || std::stod(row[2]) != attributes ||
                std::stoll(row[3]) != bytes) {
                problems << "batch " << batch << " is not whole: " << row[1] << " rows of " << n
                         << ", attributes " << row[2] << ", sub-block bytes " << row[3] << "\n";
            }
            if (generations_.count(batch) == 0 &&
                (flying.is("insert", batch) || flying.is("host", batch))) {
                apply(flying);  // it committed just before the kill
            }
        }
        if (found != batches()) {
            problems << "batches " << listOf(found) << " in the file, " << listOf(batches())
                     << " committed\n";
        }
        for (const auto& row : rowsOf(path, "SELECT Krig_BlockID, Ore_Propro FROM T1")) {
            const long id = std::stol(row[0]);
            auto it = generations_.find(static_cast<int32_t>(id / 10000));
            const auto index = static_cast<size_t>(id % 10000 - 1);
            if (it == generations_.end() || index >= it->second.size()) {
                continue;  // reported with the batches
            }
            const auto stored = static_cast<int32_t>(std::stod(row[1]));
            int32_t& expected = it->second[index];
            if (stored != expected && flying.is("modify", it->first) &&
                stored == flying.generation) {
                expected = stored;  // updated before the kill: each block stands alone
            } else if (stored != expected) {
                problems << "block " << id << " holds generation " << row[1] << " instead of "
                         << expected << "\n";
            }
        }
        std::set<int32_t> runsFound;
        for (const auto& row : rowsOf(path, "SELECT Krig_Result_Name FROM KrigBlock_Param")) {
            int32_t batch = 0;
            if (std::sscanf(row[0].c_str(), "batch %d", &batch) != 1) {
                return "cannot read the runs: " + row[0] + "\n";
            }
            runsFound.insert(batch);
        }
        if (runsFound != runs_) {
            problems << "the runs of batches " << listOf(runsFound) << " in the file, "
                     << listOf(runs_) << " committed"
                     << (flying.verb == "rollback"
                             ? ", " + std::to_string(flying.batch) + " rolled back\n"
                             : "\n");
        }
        return problems.str();
    }

    // The next writer's arguments: after the path, seed and mix, the next
    // batch and generation, the batches in the file, and the steps.
    std::vector<std::string> writerArgs(const std::string& path, unsigned seed,
                                        const char* mix) const {
        return {"write",
                path,
                std::to_string(seed),
                mix,
                std::to_string(nextBatch_),
                std::to_string(nextGeneration_),
                listOf(batches()),
                "60"};
    }

private:
    void apply(const Step& step) {
        if (step.verb == "insert" || step.verb == "host" || step.verb == "modify") {
            generations_[step.batch].assign(static_cast<size_t>(batchSize(step.batch)),
                                            step.generation);
        }
        if (step.verb == "host") {
            runs_.insert(step.batch);
        }
    }

    std::set<int32_t> batches() const {
        std::set<int32_t> keys;
        for (const auto& [batch, gens] : generations_) {
            keys.insert(batch);
        }
        return keys;
    }

    // The Ore_Propro of each block of each committed batch.
    std::map<int32_t, std::vector<int32_t>> generations_;
    // Batches whose run row was committed with them.
    std::set<int32_t> runs_;
    std::optional<Step> inFlight_;
    int32_t nextBatch_ = 1;
    int32_t nextGeneration_ = 1;
};

struct Plan {
    const char* mix;  // weights of insert, modify, host commit, host rollback, compaction
    unsigned seed;    // the first writer's; each next one adds 1
    int rounds;       // each on a new file
    int killsPerRound;
    int maxDelayMs;       // the kill comes 1 to maxDelayMs after the writer is ready
    int32_t seedBatches;  // batches the file holds before the first writer
};

// A copy left beside the database: the next connection opens the database
// and says the copy is there and the database intact; the next compaction
// refuses, naming it.
void expectCopyToldOf(const std::string& path, const std::string& copy) {
    TraceCapture capture;
    CVornelMng mng;
    EXPECT_EQ(mng.connectDatabase(path), 1) << mng.lastError();
    ASSERT_EQ(capture.notices.size(), 1u);
    EXPECT_TRUE(contains(capture.notices[0], "提示|'" + copy + "' lies beside the database"))
        << capture.notices[0];
    EXPECT_TRUE(contains(capture.notices[0], "the database is intact")) << capture.notices[0];
    EXPECT_EQ(mng.compactDatabase(path), 0);
    EXPECT_TRUE(contains(mng.lastError(), copy)) << mng.lastError();
}

// Starts a writer, kills it after a random delay, and checks the file.
// Counts in `inFlightKills` a kill that struck a step under way.
void killOnce(const std::string& path, const Plan& plan, unsigned seed, CrashModel& model,
              int& inFlightKills) {
    SCOPED_TRACE("writer seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    const auto delay = std::chrono::milliseconds(1 + rng() % plan.maxDelayMs);
    ChildProcess child(model.writerArgs(path, seed, plan.mix));
    ASSERT_EQ(child.nextLine(), "ready") << "the writer did not start";
    const auto killAt = std::chrono::steady_clock::now() + delay;
    std::vector<std::string> lines;
    std::string line;
    while (child.readLine(line, std::chrono::duration_cast<std::chrono::milliseconds>(
                                    killAt - std::chrono::steady_clock::now()))) {
        lines.push_back(line);
    }
    child.kill();
    while (child.readLine(line, 10s)) {
        lines.push_back(line);
    }
    ASSERT_NE(child.wait(10s), -1) << "the writer did not die";
    for (const std::string& l : lines) {
        ASSERT_FALSE(contains(l, "fail")) << l;
        model.take(l);
    }
    const std::string inFlight = model.inFlight();
    inFlightKills += inFlight == "none" ? 0 : 1;
    const std::string copy = path.substr(0, path.size() - 4) + "Temp.mdb";
    if (fileExists(copy)) {
        expectCopyToldOf(path, copy);
        std::filesystem::remove(copy);  // as the notice asks
    }
    ASSERT_EQ(sqliteShell(path, "PRAGMA integrity_check"), "ok\n");
    ASSERT_EQ(model.check(path), "") << "in flight: " << inFlight;
}

void runPlan(const Plan& plan) {
    int inFlightKills = 0;
    unsigned seed = plan.seed;
    for (int round = 0; round < plan.rounds; ++round) {
        TempDir dir;
        const std::string path = dir.file("model.mdb");
        CrashModel model;
        {
            CVornelMng mng;
            ASSERT_TRUE(mng.createDatabase(path) && mng.initDataBase() &&
                        mng.createBlockResultTbl(kBlockTable))
                << mng.lastError();
            for (int32_t n = 1; n <= plan.seedBatches; ++n) {
                ASSERT_EQ(insertBatch(mng, n), 1) << mng.lastError();
                model.take("done insert " + std::to_string(n));
            }
        }
        for (int kill = 0; kill < plan.killsPerRound && !::testing::Test::HasFatalFailure();
             ++kill) {
            killOnce(path, plan, seed++, model, inFlightKills);
        }
        if (::testing::Test::HasFatalFailure()) {
            return;
        }
        CVornelMng mng;
        ASSERT_EQ(mng.connectDatabase(path), 1) << mng.lastError();
        KrigBlockResult* blocks = nullptr;
        long count = 0;
        const long rows = std::stol(rowsOf(path, "SELECT count(*) FROM T1")[0][0]);
        // An empty table reads as a failure that says so.
        EXPECT_EQ(mng.getBlockResult(kBlockTable, &blocks, &count), rows > 0 ? 1 : 0)
            << mng.lastError();
        EXPECT_EQ(count, rows) << "the library reads what SQLite reads";
    }
    // A step takes far longer than the gap between two, so nearly every kill
    // strikes one under way; a run where none did tested no crash of a write.
    EXPECT_GT(inFlightKills, 0) << "no kill struck a step in flight";
}

TEST(CrashTest, KilledWritersLoseNothingCommittedAndLeaveNoHalfBatch) {
    runPlan({"4,2,2,1,1", 20240601u, longRun() ? 20 : 2, 15, 250, 0});
}

TEST(CrashTest, KilledCompactionsLeaveTheDataInTheDatabaseFile) {
    runPlan({"0,0,0,0,1", 20240901u, longRun() ? 20 : 1, 15, 80, 6});
}

class CompactionCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.file("model.mdb");
        copy = dir.file("modelTemp.mdb");
        ASSERT_EQ(writeModelFile(mng, path), "");
        mng.clearDatabase();
    }

    TempDir dir;
    std::string path;
    std::string copy;
    CVornelMng mng;
};

// With the database file gone as well, connecting names the copy to rename.
TEST_F(CompactionCopyTest, ALeftCopyBlocksCompactionIsToldOfAndNamedIfTheDatabaseIsGone) {
    writeFile(copy, "");  // even an empty one is in the way
    const std::string original = readFile(path);
    expectCopyToldOf(path, copy);
    EXPECT_EQ(readFile(path), original);
    EXPECT_EQ(readFile(copy), "");
    std::filesystem::remove(copy);
    TraceCapture capture;
    EXPECT_EQ(mng.compactDatabase(path), 1) << mng.lastError();
    EXPECT_TRUE(capture.notices.empty());

    mng.clearDatabase();
    std::filesystem::rename(path, copy);
    EXPECT_EQ(mng.connectDatabase(path), 0);
    EXPECT_TRUE(contains(mng.lastError(), "rename it to '" + path + "'")) << mng.lastError();
    EXPECT_TRUE(contains(mng.lastError(), copy)) << mng.lastError();
    EXPECT_FALSE(fileExists(path));

    std::filesystem::rename(copy, path);
    EXPECT_EQ(mng.connectDatabase(path), 1) << mng.lastError();
}

// Whether this process holds `path` open for writing as well as reading, as
// SQLite holds a database: a look at a file's head opens it for reading
// only, and only for a moment. An open file's link in /proc/self/fd has the
// permissions it was opened with.
bool heldForWriting(const std::string& path) {
    namespace fs = std::filesystem;
    for (const fs::directory_entry& fd : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (fs::equivalent(fd.path(), path, error) &&
            (fs::symlink_status(fd.path(), error).permissions() & fs::perms::owner_write) !=
                fs::perms::none) {
            return true;
        }
    }
    return false;
}

// Whether the connection began in another thread has opened `path` within
// 20 s.
bool openedInTime(const std::string& path) {
    for (const auto until = std::chrono::steady_clock::now() + 20s;
         std::chrono::steady_clock::now() < until;) {
        if (heldForWriting(path)) {
            return true;
        }
        std::this_thread::sleep_for(1ms);
    }
    return false;
}

// A connection that waits for the lock while a compaction replaces the file
// must open the file that is there when it gets in, not the one it found
// at first: writes to that one would be lost with it. So must one whose
// wait ends in failure on the replaced file, which says nothing of the file
// the path names now.
TEST_F(CompactionCopyTest, AConnectionThatWaitedOutAReplacementOpensTheNewFile) {
    for (const bool failsOnTheOld : {false, true}) {
        SCOPED_TRACE(failsOnTheOld ? "the wait fails on the old file" : "the old file is let go");
        const std::string table = failsOnTheOld ? "Second" : "First";
        const std::string fresh = dir.file(table + ".mdb");
        {
            CVornelMng other;
            ASSERT_TRUE(other.createDatabase(fresh) && other.createBlockResultTbl(table))
                << other.lastError();
        }
        ChildProcess child({"lock", path, fresh});
        ASSERT_EQ(child.nextLine(), "held");
        ASSERT_FALSE(heldForWriting(path));
        if (failsOnTheOld) {
            ::setenv("VORNEL_BUSY_TIMEOUT_MS", "300", 1);
        }
        long connected = 0;
        std::thread waiting([&] { connected = mng.connectDatabase(path); });
        // Let go only once the connection holds the file that is to be replaced.
        EXPECT_TRUE(openedInTime(path)) << "the connection never opened the file";
        if (failsOnTheOld) {
            // The old file stays locked until the connection has given up on it.
            child.sendLine("replace");
            EXPECT_EQ(child.nextLine(), "replaced");
        } else {
            child.closeInput();
        }
        waiting.join();
        ::unsetenv("VORNEL_BUSY_TIMEOUT_MS");
        child.closeInput();
        EXPECT_EQ(child.wait(20s), 0);
        ASSERT_EQ(connected, 1) << mng.lastError();
        int exists = 0;
        ASSERT_EQ(mng.isExistTbl(table, exists), 1);
        EXPECT_EQ(exists, 1) << "connected to the file that was replaced";
        ASSERT_EQ(mng.createBlockResultTbl("Written" + table), 1) << mng.lastError();
        mng.clearDatabase();
        EXPECT_EQ(sqliteShell(path, "SELECT count(*) FROM sqlite_master WHERE name = 'Written" +
                                        table + "'; PRAGMA integrity_check"),
                  "1\nok\n");
    }
}

// A compaction that a connection waits out takes its copy away as it puts
// it in place: no copy is left to tell of.
TEST_F(CompactionCopyTest, ACompactionWaitedOutLeavesNoCopyToTellOf) {
    {
        CVornelMng other;
        ASSERT_TRUE(other.createDatabase(copy) && other.createBlockResultTbl("Compacted"))
            << other.lastError();
    }
    ChildProcess child({"lock", path, copy});
    ASSERT_EQ(child.nextLine(), "held");
    TraceCapture capture;
    long connected = 0;
    std::thread waiting([&] { connected = mng.connectDatabase(path); });
    EXPECT_TRUE(openedInTime(path)) << "the connection never opened the file";
    child.closeInput();
    waiting.join();
    EXPECT_EQ(child.wait(20s), 0);
    ASSERT_EQ(connected, 1) << mng.lastError();
    int exists = 0;
    ASSERT_EQ(mng.isExistTbl("Compacted", exists), 1);
    EXPECT_EQ(exists, 1) << "connected to the file that was replaced";
    EXPECT_FALSE(fileExists(copy));
    EXPECT_EQ(capture.notices, std::vector<std::string>{});
}

}  // namespace
}  // namespace vornel::test
