// Kills a process that writes with SIGKILL at random moments, many times,
// and after each kill checks the file it was writing: it opens, it is sound,
// everything committed before the kill is in it, what was in flight is there
// whole or not at all, and a compaction cut short is told of.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <random>

#include "reliability/ChildProcess.h"
#include "reliability/CrashModel.h"
#include "reliability/Long.h"
#include "reliability/RawDb.h"
#include "reliability/Workload.h"
#include "support/TempDir.h"
#include "support/TraceCapture.h"
#include "vornel/VornelMng.h"

namespace vornel::test {
namespace {

using namespace std::chrono_literals;

struct Plan {
    const char* mix;  // weights of insert, modify, host commit, host rollback, compaction
    unsigned seed;    // the first writer's; each next one adds 1
    int rounds;       // each on a new file
    int killsPerRound;
    int maxDelayMs;       // the kill comes 1 to maxDelayMs after the writer is ready
    int32_t seedBatches;  // batches the file holds before the first writer
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class CrashTest : public ::testing::Test {
protected:
    void runPlan(const Plan& plan);

    // What the kills struck, by the verb in flight ("none" between calls).
    std::map<std::string, int> struck;
    int copiesLeft = 0;

private:
    void newFile(const std::string& path, int32_t batches, CrashModel& model);
    void killOnce(const std::string& path, const Plan& plan, unsigned seed, CrashModel& model);
    void checkLeftCopy(const std::string& path);
};

void CrashTest::newFile(const std::string& path, int32_t batches, CrashModel& model) {
    CVornelMng mng;
    ASSERT_EQ(mng.createDatabase(path), 1) << mng.lastError();
    ASSERT_EQ(mng.initDataBase(), 1) << mng.lastError();
    ASSERT_EQ(mng.createBlockResultTbl(kBlockTable), 1) << mng.lastError();
    for (int32_t n = 1; n <= batches; ++n) {
        Batch batch(n);
        ASSERT_EQ(mng.insertIntoBlockResult(kBlockTable, batch.blocks(), batch.count()), 1);
        Step step;
        step.done = true;
        step.verb = "insert";
        step.batch = n;
        model.apply(step);
    }
}

// A copy left by a compaction cut short: the next connection opens the
// database and says the copy is there; the next compaction refuses, naming
// it. Then the copy goes, as the notice asks.
void CrashTest::checkLeftCopy(const std::string& path) {
    const std::string copy = path.substr(0, path.size() - 4) + "Temp.mdb";
    if (!fileExists(copy)) {
        return;
    }
    ++copiesLeft;
    {
        TraceCapture capture;
        CVornelMng mng;
        EXPECT_EQ(mng.connectDatabase(path), 1) << mng.lastError();
        ASSERT_EQ(capture.notices.size(), 1u);
        EXPECT_TRUE(contains(capture.notices[0], copy)) << capture.notices[0];
        EXPECT_EQ(mng.compactDatabase(path), 0);
        EXPECT_TRUE(contains(mng.lastError(), copy)) << mng.lastError();
    }
    std::filesystem::remove(copy);
}

void CrashTest::killOnce(const std::string& path, const Plan& plan, unsigned seed,
                         CrashModel& model) {
    SCOPED_TRACE("writer seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    const auto delay = std::chrono::milliseconds(1 + rng() % plan.maxDelayMs);
    ChildProcess child({"crash", path, std::to_string(seed), plan.mix,
                        std::to_string(model.nextBatch()), std::to_string(model.nextGeneration()),
                        model.batchList()});
    std::string line;
    ASSERT_TRUE(awaitLine(child, "ready", 20s, line)) << "the writer did not start: " << line;
    std::vector<std::string> lines;
    const auto killAt = std::chrono::steady_clock::now() + delay;
    for (auto now = std::chrono::steady_clock::now(); now < killAt;
         now = std::chrono::steady_clock::now()) {
        if (child.readLine(line,
                           std::chrono::duration_cast<std::chrono::milliseconds>(killAt - now))) {
            lines.push_back(line);
        }
    }
    child.kill();
    while (child.readLine(line, 10s)) {
        lines.push_back(line);
    }
    ASSERT_NE(child.wait(10s), -1) << "the writer did not die";

    std::optional<Step> inFlight;
    for (const std::string& l : lines) {
        ASSERT_FALSE(contains(l, "fail")) << l;
        const std::optional<Step> step = parseStep(l);
        if (!step) {
            continue;
        }
        inFlight = step->done ? std::nullopt : step;
        if (step->done) {
            model.apply(*step);
        }
    }
    ++struck[inFlight ? inFlight->verb : "none"];
    checkLeftCopy(path);
    ASSERT_EQ(integrityOf(path), "ok");
    RawDb db(path);
    const std::string problems = model.check(db, inFlight);
    ASSERT_EQ(problems, "") << "in flight: " << (inFlight ? inFlight->verb : "nothing");
}

void CrashTest::runPlan(const Plan& plan) {
    unsigned seed = plan.seed;
    for (int round = 0; round < plan.rounds; ++round) {
        TempDir dir;
        const std::string path = dir.file("model.mdb");
        CrashModel model;
        newFile(path, plan.seedBatches, model);
        for (int kill = 0; kill < plan.killsPerRound && !HasFatalFailure(); ++kill) {
            killOnce(path, plan, seed++, model);
        }
        if (HasFatalFailure()) {
            return;
        }
        CVornelMng mng;
        ASSERT_EQ(mng.connectDatabase(path), 1) << mng.lastError();
        KrigBlockResult* blocks = nullptr;
        long count = 0;
        mng.getBlockResult(kBlockTable, &blocks, &count);
        EXPECT_EQ(count, model.rows()) << "the library reads what SQLite reads";
    }
    std::cout << "kills by what was in flight:";
    for (const auto& [verb, n] : struck) {
        std::cout << ' ' << verb << '=' << n;
    }
    std::cout << "; compaction copies left: " << copiesLeft << '\n';
}

TEST_F(CrashTest, KilledWritersLoseNothingCommittedAndLeaveNoHalfBatch) {
    const int rounds = longRun() ? 20 : 2;
    runPlan({"4,2,2,1,1", 20240601u, rounds, 15, 250, 0});
}

TEST_F(CrashTest, KilledCompactionsLeaveTheDataInTheDatabaseFile) {
    const int rounds = longRun() ? 20 : 1;
    runPlan({"0,0,0,0,1", 20240901u, rounds, 15, 80, 6});
}

}  // namespace
}  // namespace vornel::test
