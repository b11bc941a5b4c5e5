// A compaction cut short leaves its copy beside the database. The database
// is whole (the copy replaces it only by a rename), and the next connection
// and compaction say what happened.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "reliability/ModelFile.h"
#include "reliability/RawDb.h"
#include "support/Shell.h"
#include "support/TempDir.h"
#include "support/TraceCapture.h"
#include "vornel/VornelMng.h"

namespace vornel::test {
namespace {

bool says(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
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

TEST_F(CompactionCopyTest, ACopyBesideTheDatabaseIsToldOfAndBlocksTheNextCompaction) {
    std::ofstream(copy) << "half a copy";
    TraceCapture capture;
    ASSERT_EQ(mng.connectDatabase(path), 1) << mng.lastError();
    ASSERT_EQ(capture.notices.size(), 1u);
    EXPECT_TRUE(says(capture.notices[0], "提示|'" + copy + "' lies beside the database"))
        << capture.notices[0];
    EXPECT_TRUE(says(capture.notices[0], "the database is intact")) << capture.notices[0];

    EXPECT_EQ(mng.compactDatabase(path), 0);
    EXPECT_TRUE(says(mng.lastError(), copy)) << mng.lastError();
    EXPECT_EQ(readFile(copy), "half a copy");

    std::filesystem::remove(copy);
    capture.clear();
    EXPECT_EQ(mng.compactDatabase(path), 1) << mng.lastError();
    EXPECT_TRUE(capture.notices.empty());
}

TEST_F(CompactionCopyTest, AMissingDatabaseNamesTheCopyThatHoldsIt) {
    std::filesystem::rename(path, copy);
    EXPECT_EQ(mng.connectDatabase(path), 0);
    EXPECT_TRUE(says(mng.lastError(), "rename it to '" + path + "'")) << mng.lastError();
    EXPECT_TRUE(says(mng.lastError(), copy)) << mng.lastError();
    EXPECT_FALSE(fileExists(path));

    std::filesystem::rename(copy, path);
    EXPECT_EQ(mng.connectDatabase(path), 1) << mng.lastError();
    EXPECT_EQ(integrityOf(path), "ok");
}

}  // namespace
}  // namespace vornel::test
