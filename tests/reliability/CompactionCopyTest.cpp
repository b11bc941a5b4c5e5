// A compaction cut short leaves its copy beside the database. The database
// is whole (the copy replaces it only by a rename), and the next connection
// and compaction say what happened.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "reliability/Harness.h"
#include "support/Shell.h"
#include "support/TempDir.h"
#include "support/TraceCapture.h"

namespace vornel::test {
namespace {

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

TEST_F(CompactionCopyTest, ACopyBesideTheDatabaseBlocksCompactionAndIsToldOf) {
    writeFile(copy, "");  // even an empty one is in the way
    const std::string original = readFile(path);
    EXPECT_EQ(mng.compactDatabase(path), 0);
    EXPECT_TRUE(contains(mng.lastError(), copy)) << mng.lastError();
    EXPECT_EQ(readFile(path), original);
    EXPECT_EQ(readFile(copy), "");

    TraceCapture capture;
    ASSERT_EQ(mng.connectDatabase(path), 1) << mng.lastError();
    ASSERT_EQ(capture.notices.size(), 1u);
    EXPECT_TRUE(contains(capture.notices[0], "提示|'" + copy + "' lies beside the database"))
        << capture.notices[0];
    EXPECT_TRUE(contains(capture.notices[0], "the database is intact")) << capture.notices[0];
    std::filesystem::remove(copy);
    capture.clear();
    EXPECT_EQ(mng.compactDatabase(path), 1) << mng.lastError();
    EXPECT_TRUE(capture.notices.empty());
}

TEST_F(CompactionCopyTest, AMissingDatabaseNamesTheCopyThatHoldsIt) {
    std::filesystem::rename(path, copy);
    EXPECT_EQ(mng.connectDatabase(path), 0);
    EXPECT_TRUE(contains(mng.lastError(), "rename it to '" + path + "'")) << mng.lastError();
    EXPECT_TRUE(contains(mng.lastError(), copy)) << mng.lastError();
    EXPECT_FALSE(fileExists(path));

    std::filesystem::rename(copy, path);
    EXPECT_EQ(mng.connectDatabase(path), 1) << mng.lastError();
    EXPECT_EQ(sqliteShell(path, "PRAGMA integrity_check"), "ok\n");
}

// A connection that waits for the lock while a compaction replaces the file
// must open the file that is there when it gets in, not the one it found
// at first: writes to that one would be lost with it.
TEST_F(CompactionCopyTest, AConnectionThatWaitedOutAReplacementOpensTheNewFile) {
    const std::string fresh = dir.file("fresh.mdb");
    {
        CVornelMng other;
        ASSERT_EQ(other.createDatabase(fresh), 1) << other.lastError();
        ASSERT_EQ(other.createBlockResultTbl("Fresh"), 1) << other.lastError();
    }
    ChildProcess child({"lock", path, fresh});
    std::string line;
    ASSERT_TRUE(child.readLine(line, std::chrono::seconds(20)) && line == "held") << line;
    long connected = 0;
    std::thread waiting([&] { connected = mng.connectDatabase(path); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    child.closeInput();
    EXPECT_EQ(child.wait(std::chrono::seconds(20)), 0);
    waiting.join();
    ASSERT_EQ(connected, 1) << mng.lastError();
    int exists = 0;
    ASSERT_EQ(mng.isExistTbl("Fresh", exists), 1);
    EXPECT_EQ(exists, 1) << "connected to the file that was replaced";
    ASSERT_EQ(mng.createBlockResultTbl("Written"), 1) << mng.lastError();
    mng.clearDatabase();
    EXPECT_EQ(sqliteShell(path,
                          "SELECT count(*) FROM sqlite_master WHERE name = 'Written'; "
                          "PRAGMA integrity_check"),
              "1\nok\n");
}

}  // namespace
}  // namespace vornel::test
