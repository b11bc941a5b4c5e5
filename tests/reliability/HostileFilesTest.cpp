// Files a host may hand the library that it did not write, or that broke:
// sub-block buffers truncated or oversized (the sub-block fuzz target's
// seeds hold negative and extreme counts); files that are no database, or
// an Access one, or a database cut or scribbled over; tables with the right
// names and the wrong columns. Each call gives status 0 with a reason, or a
// clean read (with a trace line where the file was wrong), and never
// crashes.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>

#include "reliability/Harness.h"
#include "support/TraceCapture.h"
#include "vornel/Hooks.h"

namespace vornel::test {
namespace {

// One sub-block: centre (1, 2, 3) and size (0.5, 0.25, 0.125), as doubles.
// Counts before them are four little-endian bytes.
const std::string kCentreHex = "000000000000f03f00000000000000400000000000000840";
const std::string kSizeHex = "000000000000e03f000000000000d03f000000000000c03f";

class HostileFilesTest : public ::testing::Test {
protected:
    void SetUp() override { path = dir.file("model.mdb"); }

    // Each call gives a status, with a reason for 0; where asked, a read of
    // blocks from a table without their columns leaves a trace line.
    void expectStatuses(CVornelMng& m, const std::vector<Call>& calls, const std::string& on,
                        bool readsSayWhy = false) {
        for (const Call& call : calls) {
            SCOPED_TRACE(call.what + " on " + on);
            TraceCapture capture;
            const long status = call.run(m);
            EXPECT_GE(status, 0);
            EXPECT_TRUE(status != 0 || !m.lastError().empty());
            if (status != 0 && readsSayWhy && traceEnabled() &&
                call.what.rfind("getBlock", 0) == 0 && contains(call.what, "Result")) {
                EXPECT_FALSE(capture.lines.empty()) << "a read of missing columns says so";
            }
        }
    }

    TempDir dir;
    std::string path;
    CVornelMng mng;
};

TEST_F(HostileFilesTest, BrokenSubBlockBuffersReadAsBlocksWithoutSubBlocks) {
    ASSERT_EQ(writeModelFile(mng, path, kSmallBatch), "");
    const struct {
        const char* what;
        std::string sqlValue;
        int32_t subBlocks;  // what the block reads back with
        const char* trace;  // how a trace line of reading it starts; null for none
    } buffers[] = {
        {"a whole buffer", "x'01000000" + kCentreHex + kSizeHex + "'", 1, nullptr},
        {"bytes beyond the count", "x'01000000" + kCentreHex + kSizeHex + "00ff00ff'", 1, nullptr},
        {"a count of 5 with room for 1", "x'05000000" + kCentreHex + kSizeHex + "'", 0,
         "Warning: SubBUDBlob 的 52 字节不足以容纳其记录的子块"},
        {"an empty value", "x''", 0, nullptr},
        {"NULL", "NULL", 0, nullptr},
        {"text", "'not a buffer at all'", 0, ""},
        {"a number", "12345", 0, ""},
        {"a count of 0 alone", "x'00000000'", 0, nullptr},
    };
    std::string sql;
    for (size_t i = 0; i < std::size(buffers); ++i) {
        const std::string id = std::to_string(blockId(kSmallBatch, static_cast<int32_t>(i)));
        sql += "UPDATE T1 SET Block_Coef = 0.5, SubBUDBlob = " + buffers[i].sqlValue +
               " WHERE Krig_BlockID = " + id + ";";
    }
    // The void blocks, 1 to 3, take the first three buffers.
    for (size_t i = 0; i < 3; ++i) {
        sql += "UPDATE V1 SET SubBUDBlob = " + buffers[i].sqlValue +
               " WHERE Krig_BlockID = " + std::to_string(i + 1) + ";";
    }
    ASSERT_EQ(sqliteShell(path, sql), "");
    KrigBlockResult* blocks = nullptr;
    long count = 0;
    ASSERT_EQ(mng.getBlockResult(kBlockTable, &blocks, &count), 1) << mng.lastError();
    ASSERT_EQ(count, batchSize(kSmallBatch));
    for (size_t i = 0; i < std::size(buffers); ++i) {
        SCOPED_TRACE(buffers[i].what);
        EXPECT_EQ(blocks[i].SubBUD_Num, buffers[i].subBlocks);
        if (buffers[i].subBlocks == 1) {
            EXPECT_EQ(blocks[i].SubBUD_PntLoc[0].z, 3.0);
            EXPECT_EQ(blocks[i].SubBUD_GridSize[0].z, 0.125);
        }
        TraceCapture capture;
        KrigBlockResult one;
        ASSERT_EQ(mng.getBlockResult(kBlockTable, blocks[i].Krig_BlockID, &one), 1);
        EXPECT_EQ(one.SubBUD_Num, buffers[i].subBlocks);
        delete[] one.SubBUD_PntLoc;
        delete[] one.SubBUD_GridSize;
        if (traceEnabled()) {
            EXPECT_EQ(!capture.lines.empty(), buffers[i].trace != nullptr);
            EXPECT_TRUE(buffers[i].trace == nullptr || capture.has(buffers[i].trace));
        }
    }
    // A one-row read of a NULL buffer leaves the record's sub-blocks alone.
    KrigBlockResult mine;
    D_3DOT centre{7, 7, 7};
    mine.SubBUD_Num = 1;
    mine.SubBUD_PntLoc = mine.SubBUD_GridSize = &centre;
    ASSERT_EQ(mng.getBlockResult(kBlockTable, blocks[4].Krig_BlockID, &mine), 1);
    EXPECT_EQ(mine.SubBUD_Num, 1);
    EXPECT_EQ(mine.SubBUD_PntLoc, &centre);
    // A section along the row of blocks, through their upper halves, cuts
    // every one but the first two, whose one sub-block lies at (1, 2, 3); a
    // block whose buffer is broken is cut whole.
    const double y = kSmallBatch + 0.25;
    D_3DOT corners[4] = {{-1, y, -9}, {200, y, -9}, {200, y, 9}, {-1, y, 9}};
    ASSERT_EQ(mng.getCutBlockResult(kBlockTable, corners, &blocks, &count), 1) << mng.lastError();
    ASSERT_EQ(count, batchSize(kSmallBatch) - 2);
    EXPECT_EQ(blocks[0].Krig_BlockID, blockId(kSmallBatch, 2));
    KrigBlockVoid* voids = nullptr;
    ASSERT_EQ(mng.getBlockVoid(kVoidTable, &voids, &count), 1) << mng.lastError();
    ASSERT_EQ(count, 3);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(voids[i].SubBUD_Num, buffers[i].subBlocks) << buffers[i].what;
    }
}

TEST_F(HostileFilesTest, FilesThatAreNoSoundDatabaseGiveStatusesNotCrashes) {
    ASSERT_EQ(writeModelFile(mng, path, kSmallBatch), "");
    mng.clearDatabase();
    const std::string sound = readFile(path);
    ASSERT_GT(sound.size(), 8192u);
    std::mt19937 rng(20240701u);
    std::string noise(8192, '\0');
    std::generate(noise.begin(), noise.end(), [&rng] { return static_cast<char>(rng()); });
    std::string scribbled = sound;
    for (size_t i = 4096; i < scribbled.size(); i += 97) {
        scribbled[i] = static_cast<char>(rng());
    }
    std::string badHeader = sound;
    badHeader.replace(16, 8, "\xff\xff\x07\x07\xff\xff\xff\xff", 8);
    const auto access = [](const char* engine) {
        return std::string("\x00\x01\x00\x00Standard ", 13) + engine +
               std::string(" DB\x00\x01", 5) + std::string(4096, '\0');
    };
    const struct {
        const char* what;
        std::string bytes;
        const char* refusal;  // why connecting fails; null for a database, if a broken one
    } files[] = {
        {"random bytes", noise, "not a database"},
        {"text", std::string(5000, 'x'), "not a database"},
        {"an SQLite header over noise", sound.substr(0, 100) + noise, nullptr},
        {"a database cut in half", sound.substr(0, sound.size() / 2), nullptr},
        {"a database scribbled over", scribbled, nullptr},
        {"a database with a broken header", badHeader, "not a database"},
        {"a Jet database", access("Jet"), "is an Access database"},
        {"an ACE database", access("ACE"), "is an Access database"},
    };
    Batch batch(kSmallBatch);
    for (const auto& file : files) {
        SCOPED_TRACE(file.what);
        const std::string foreign = dir.file("foreign.mdb");
        writeFile(foreign, file.bytes);
        CVornelMng other;
        const long opened = other.connectDatabase(foreign);
        if (file.refusal != nullptr) {
            EXPECT_EQ(opened, 0);
            EXPECT_TRUE(contains(other.lastError(), file.refusal)) << other.lastError();
            EXPECT_EQ(other.compactDatabase(foreign), 0);
            EXPECT_TRUE(contains(other.lastError(), file.refusal)) << other.lastError();
            EXPECT_EQ(other.createDatabase(foreign), 0);
        }
        if (opened == 0) {
            EXPECT_FALSE(other.lastError().empty());
            EXPECT_EQ(readFile(foreign), file.bytes);
            continue;
        }
        for (const char* table : {"T1", "V1", "KrigBlock_Param"}) {
            expectStatuses(other, callsNaming(table, batch), table);
        }
        other.compactDatabase(foreign);
    }
    // An Access file is named so before a copy in the way of its compaction.
    writeFile(dir.file("access.mdb"), access("Jet"));
    writeFile(dir.file("accessTemp.mdb"), "left over");
    EXPECT_EQ(mng.compactDatabase(dir.file("access.mdb")), 0);
    EXPECT_TRUE(contains(mng.lastError(), "is an Access database")) << mng.lastError();
}

TEST_F(HostileFilesTest, TablesWithTheRightNamesAndWrongColumnsGiveStatusesNotCrashes) {
    ASSERT_EQ(mng.createDatabase(path), 1) << mng.lastError();
    ASSERT_EQ(sqliteShell(path,
                          "CREATE TABLE KrigBlock_Param(MineID int, Foo text);"
                          "INSERT INTO KrigBlock_Param VALUES(1, 'T1');"
                          "CREATE TABLE KrigBlock_Vrg_Param(Bar);"
                          "INSERT INTO KrigBlock_Vrg_Param VALUES(x'00');"
                          "CREATE TABLE T1(MineID long, Krig_BlockID long);"
                          "INSERT INTO T1 VALUES(1, 1), (1, 2);"
                          "CREATE TABLE V1(a, b, c);"
                          "INSERT INTO V1 VALUES('x', 2.5, x'ff');"
                          "CREATE TABLE T2(a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,q,r,s,t,u,v,w,x,y,z);"
                          "INSERT INTO T2 VALUES('a','b','c','d','e','f','g','h','i','j','k','l',"
                          "'m','n','o','p','q','r',1,2,3,'v','w','x','y','z');"),
              "");
    Batch batch(kSmallBatch);
    for (const std::string table : {"T1", "V1", "T2", "KrigBlock_Param", "KrigBlock_Vrg_Param"}) {
        expectStatuses(mng, callsNaming(table, batch), table, table != "T2");
    }
    for (long id : {1L, 2L, 99L}) {
        expectStatuses(mng, callsNumbering(id), std::to_string(id));
    }
    EXPECT_EQ(mng.initDataBase(), 1) << "the tables can be made anew";
}

}  // namespace
}  // namespace vornel::test
