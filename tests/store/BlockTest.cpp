// Result and void rows through the file: every column, the sub-block bytes,
// the order of reads and the rules of the two block caches.
#include <sys/resource.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <functional>
#include <limits>

#include "store/BlockFixture.h"
#include "support/ChildStatus.h"
#include "vornel/Hooks.h"

using vornel::test::BlockTest;
using vornel::test::childStatus;
using vornel::test::contains;
using vornel::test::sqliteShell;

TEST_F(BlockTest, EveryColumnRoundTripsThroughTheFile) {
    // Distinct values everywhere, so that no column can pass for another.
    KrigBlockResult b = block(5, 500123.456, 3001234.5, -45.25);
    b.MineID = 7;
    b.Krig_GridSizeX = 12.5;
    b.Krig_GridSizeY = 7.25;
    b.Krig_GridSizeZ = 3.0;
    b.Block_Coef = 0.625;
    b.Krig_OutAttr = 1.23456789012345;
    b.Krig_OutVari = 0.000123;
    b.Srch_Degr = 6;
    b.Krig_PntNum = 17;
    b.Krig_MeanDis = 2.9;
    b.Krig_EngZKNum = 11;
    b.Krig_EngTCNum = 12;
    b.Krig_EngKDNum = 13;
    b.Krig_EngQJNum = 14;
    std::strcpy(b.Krig_ResType, "Measured");
    std::strcpy(b.Krig_OreType, "Oxide 'A'");
    b.Krig_Bound = 1;
    b.Block_Vol = 0.1;
    b.Ore_Propro = 0.3;
    b.Block_CorMass = 1234.567;
    b.Block_OreMass = 1e10 / 3;
    KrigBlockResult plain = block(6, 100, 200, 300, 2);
    plain.Krig_MeanDis = -2.9;
    KrigBlockResult both[2] = {b, plain};
    ASSERT_EQ(mng.insertIntoBlockResult("T1", both, 2), 1) << mng.lastError();

    KrigBlockResult r, p;
    ASSERT_EQ(mng.getBlockResult("T1", 5, &r), 1) << mng.lastError();
    ASSERT_EQ(mng.getBlockResult("T1", 6, &p), 1) << mng.lastError();
    EXPECT_EQ(r.Krig_Bound, -1);                  // yes reads back as -1
    EXPECT_EQ(r.Block_Vol, 0.10000000149011612);  // single precision, to the last bit
    // What was read, written again, makes the same rows: every column, the
    // sub-block arrays included, was read whole.
    ASSERT_EQ(mng.createBlockResultTbl("T2"), 1);
    ASSERT_EQ(mng.insertIntoBlockResult("T2", &r, 1), 1);
    ASSERT_EQ(mng.insertIntoBlockResult("T2", &p, 1), 1);
    delete[] p.SubBUD_PntLoc;
    delete[] p.SubBUD_GridSize;
    EXPECT_EQ(shell("SELECT count(*) FROM T2; SELECT * FROM T1 EXCEPT SELECT * FROM T2"), "2\n");

    // The mean distance cut toward zero, the last four in single precision,
    // yes as 1, no type as NULL. The sub-block buffer holds the count, then
    // every centre, then every size: a little-endian int32 and doubles.
    EXPECT_EQ(shell("UPDATE T1 SET SubBUDBlob = hex(SubBUDBlob); "
                    "SELECT *, Krig_ResType IS NULL FROM T1 ORDER BY Krig_BlockID"),
              "7|5|500123.456|3001234.5|-45.25|12.5|7.25|3.0|0.625|1.23456789012345|0.000123|6|17|"
              "2.0|11|12|13|14|Measured|Oxide 'A'|1|00000000|0.100000001490116|0.300000011920929|"
              "1234.56701660156|3333333248.0|0\n"
              "1|6|100.0|200.0|300.0|10.0|10.0|10.0|0.5|1.5|0.0|0|0|-2.0|0|0|0|0|||0|"
              "02000000"                                          // two sub-blocks
              "000000000060584000000000000069400000000000C07240"  // (97.5, 200, 300)
              "0000000000A0594000000000000069400000000000C07240"  // (102.5, 200, 300)
              "000000000000144000000000000024400000000000002440"  // (5, 10, 10)
              "000000000000144000000000000024400000000000002440"  // (5, 10, 10)
              "|0.0|0.0|0.0|0.0|1\n");

    // Another program's longer texts are cut to the field before a whole
    // character: é takes bytes 19 and 20. Bytes that are no UTF-8 (a
    // Latin-1 text, say) lose only the last, as ASCII does.
    shell(
        "UPDATE T1 SET Krig_ResType = 'Measured and indxyé', Krig_OreType = "
        "CAST(x'" +
        std::string(40, '8') + "' AS TEXT) WHERE Krig_BlockID = 6");
    // Read into the record of block 5, no byte of whose texts is left.
    ASSERT_EQ(mng.getBlockResult("T1", 6, &r), 1) << mng.lastError();
    EXPECT_STREQ(r.Krig_ResType, "Measured and indxy");
    EXPECT_EQ(std::string(r.Krig_OreType, sizeof r.Krig_OreType),
              std::string(sizeof r.Krig_OreType - 1, '\x88') + '\0');
    delete[] r.SubBUD_PntLoc;
    delete[] r.SubBUD_GridSize;
}

TEST_F(BlockTest, WholeTableReadsComeInIdentifierOrder) {
    KrigBlockResult blocks[3] = {block(3, 0, 0, 0, 1), block(1, 0, 0, 0), block(2, 0, 0, 0, 2)};
    ASSERT_EQ(mng.insertIntoBlockResult("T1", blocks, 3), 1);
    KrigBlockResult* rows = nullptr;
    long count = 0;
    ASSERT_EQ(mng.getBlockResult("T1", &rows, &count), 1);
    ASSERT_EQ(count, 3);
    EXPECT_EQ((std::vector<int>{rows[0].Krig_BlockID, rows[1].Krig_BlockID, rows[2].Krig_BlockID}),
              (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(rows[1].SubBUD_Num, 2);
    EXPECT_EQ(rows[1].SubBUD_PntLoc[1].x, 2.5);  // the east half of a block centred at 0

    // Refused before the query, or by it: the earlier answer stays readable.
    EXPECT_EQ(mng.getBlockResult("", &rows, &count), 0);
    EXPECT_EQ(mng.getBlockResult("Nowhere", &rows, &count), 0);
    EXPECT_EQ(rows[1].SubBUD_PntLoc[1].x, 2.5);

    KrigBlockResult one;
    EXPECT_EQ(mng.getBlockResult("T1", 0, &one), 0);
    EXPECT_EQ(mng.lastError(), "no block has that identifier");
    EXPECT_EQ(mng.getBlockResult("T1", 4, &one), 0);
    // A host that numbers its blocks from 0, or below, finds them as stored.
    KrigBlockResult low[2] = {block(0, 30, 0, 0), block(-5, 40, 0, 0)};
    ASSERT_EQ(mng.insertIntoBlockResult("T1", low, 2), 1);
    ASSERT_EQ(mng.getBlockResult("T1", -5, &one), 1) << mng.lastError();
    EXPECT_EQ(one.Krig_PntLocX, 40.0);
    ASSERT_EQ(mng.getBlockResult("T1", 0, &one), 1) << mng.lastError();
    EXPECT_EQ(one.Krig_PntLocX, 30.0);
    shell("DELETE FROM T1 WHERE Krig_BlockID < 1");
    shell("INSERT INTO T1(MineID, Krig_BlockID) VALUES (2, 1)");
    EXPECT_EQ(mng.getBlockResult("T1", 1, &one), 0);  // two rows share it
    EXPECT_EQ(mng.lastError(), "more than one block has that identifier");
    EXPECT_EQ(one.Krig_BlockID, 0);
    EXPECT_EQ(mng.getBlockResult("T1", 2, &one), 1);
    EXPECT_EQ(mng.lastError(), "") << "a success clears the failure before it";
    delete[] one.SubBUD_PntLoc;
    delete[] one.SubBUD_GridSize;
    // It left no read open: once another connection has written, this one
    // still can.
    CVornelMng other;
    ASSERT_EQ(other.connectDatabase(path), 1) << other.lastError();
    KrigBlockResult later = block(5, 0, 0, 0);
    ASSERT_EQ(other.insertIntoBlockResult("T1", &later, 1), 1) << other.lastError();
    EXPECT_EQ(mng.modifyResultAttByID("T1", 2, 0.5, 1, 1), 1) << mng.lastError();

    ASSERT_EQ(mng.createBlockResultTbl("Empty"), 1);
    EXPECT_EQ(mng.getBlockResult("Empty", &rows, &count), 0);
    EXPECT_EQ(rows, nullptr);
    EXPECT_EQ(count, 0);
}

TEST_F(BlockTest, InsertingIsAllOrNothing) {
    KrigBlockResult blocks[3] = {block(1, 0, 0, 0), block(2, 0, 0, 0), block(3, 0, 0, 0)};
    EXPECT_EQ(mng.insertIntoBlockResult("T1", blocks, 0), 1);
    EXPECT_EQ(mng.insertIntoBlockResult("Nowhere", blocks, 1), 0);
    EXPECT_NE(mng.lastError().find("no such table: Nowhere"), std::string::npos) << mng.lastError();
    // A grade that no number stands for would come back as 0.
    blocks[1].Krig_OutAttr = std::nan("");
    EXPECT_EQ(mng.insertIntoBlockResult("T1", blocks, 3), 0);
    EXPECT_NE(
        mng.lastError().find("the block at index 1 (Krig_BlockID 2) holds a value that is not a "
                             "finite number"),
        std::string::npos)
        << mng.lastError();
    blocks[1].Krig_OutAttr = 1;
    // A mass that single precision stores as infinite.
    blocks[2].Block_CorMass = 3.5e38;
    EXPECT_EQ(mng.insertIntoBlockResult("T1", blocks, 3), 0);
    EXPECT_NE(mng.lastError().find("the block at index 2 (Krig_BlockID 3) holds a volume, "
                                   "proportion or mass beyond single"),
              std::string::npos)
        << mng.lastError();
    // The largest float fits, in each of the four.
    blocks[2].Block_Vol = blocks[2].Ore_Propro = blocks[2].Block_CorMass = blocks[2].Block_OreMass =
        std::numeric_limits<float>::max();
    // The mean distance is kept as a 32-bit whole number: 2^31 and
    // -(2^31 + 1) have none.
    for (const double far : {2147483648.0, -2147483649.0}) {
        blocks[2].Krig_MeanDis = far;
        EXPECT_EQ(mng.insertIntoBlockResult("T1", blocks, 3), 0);
        EXPECT_NE(mng.lastError().find("the block at index 2 (Krig_BlockID 3) holds a mean "
                                       "distance beyond a 32-bit whole number"),
                  std::string::npos)
            << mng.lastError();
    }
    blocks[2].Krig_MeanDis = 0;
    // A sub-block no number places.
    KrigBlockResult split = block(4, 0, 0, 0, 2);
    split.SubBUD_GridSize[1].y = HUGE_VAL;
    EXPECT_EQ(mng.insertIntoBlockResult("T1", &split, 1), 0);
    EXPECT_NE(
        mng.lastError().find("the block at index 0 (Krig_BlockID 4) holds a value that is not a "
                             "finite number"),
        std::string::npos)
        << mng.lastError();
    split.SubBUD_GridSize[1].y = 5.0;
    split.SubBUD_PntLoc[0].z = std::nan("");
    EXPECT_EQ(mng.insertIntoBlockResult("T1", &split, 1), 0);
    blocks[2].SubBUD_Num = 4;  // promises arrays it does not have
    EXPECT_EQ(mng.insertIntoBlockResult("T1", blocks, 3), 0);
    EXPECT_EQ(mng.lastError(),
              "the block at index 2 (Krig_BlockID 3) counts sub-blocks but has no arrays for them; "
              "nothing was written");
    EXPECT_EQ(mng.insertIntoBlockResult("T1", nullptr, 2), 0);
    EXPECT_EQ(shell("SELECT count(*) FROM T1"), "0\n");
    // Cut toward zero, the ends of the 32-bit range are kept.
    blocks[0].Krig_MeanDis = 2147483647.9;
    blocks[1].Krig_MeanDis = -2147483648.9;
    blocks[2].SubBUD_Num = 0;
    EXPECT_EQ(mng.insertIntoBlockResult("", blocks, 3), 0);
    ASSERT_EQ(mng.insertIntoBlockResult("T1", blocks, 3), 1) << mng.lastError();
    EXPECT_EQ(mng.lastError(), "") << "a success clears the failure before it";
    EXPECT_EQ(shell("SELECT Krig_MeanDis FROM T1 ORDER BY Krig_BlockID"),
              "2147483647.0\n-2147483648.0\n0.0\n");
}

// A disk that fills up inside a host transaction: the database rolls the
// whole transaction back, and each write after that is refused until the
// host ends it, for it would otherwise be kept on its own; ending an inner
// level ends that level alone. A child process writes under a file size
// limit; the parent reads what the file holds.
TEST_F(BlockTest, AWriteThatFailsForSpaceLosesTheWholeHostTransaction) {
    KrigBlockResult three[3] = {block(1, 0, 0, 0), block(2, 0, 0, 0), block(3, 0, 0, 0)};
    ASSERT_EQ(mng.insertIntoBlockResult("T1", three, 3), 1);
    std::vector<KrigBlockResult> many;
    for (int i = 4; i < 60000; ++i) {
        many.push_back(block(i, 0, 0, 0));
    }
    mng.clearDatabase();
    const int status = childStatus([&] {
        CVornelMng writer;
        if (writer.connectDatabase(path) != 1 || writer.beginTransact() != 1 ||
            writer.modifyResTypeByID("T1", 1, "IN_TX") != 1 || writer.beginTransact() != 1) {
            return 2;
        }
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit full{static_cast<rlim_t>(std::filesystem::file_size(path)), limit.rlim_max};
        setrlimit(RLIMIT_FSIZE, &full);
        if (writer.insertIntoBlockResult("T1", many.data(), static_cast<long>(many.size())) != 0) {
            return 3;
        }
        setrlimit(RLIMIT_FSIZE, &limit);
        if (writer.endTransact(Commit) != 0 ||
            !contains(writer.lastError(), "the transaction was rolled back after an error")) {
            return 8;
        }
        if (writer.modifyResTypeByID("T1", 2, "AFTER") != 0 ||
            !contains(writer.lastError(), "the transaction was rolled back after an error") ||
            writer.beginTransact() != 0) {
            return 4;
        }
        // Nor is a question answered from what the database cannot read.
        long id = 0;
        int exists = 0;
        const std::function<long()> questions[] = {
            [&] { return writer.getNextBlockID("T1", 1, id); },
            [&] { return writer.getNextMineID(id); },
            [&] { return writer.isExistTbl("T1", exists); }};
        for (const auto& ask : questions) {
            if (ask() != 0 ||
                !contains(writer.lastError(), "the transaction was rolled back after an error")) {
                return 7;
            }
        }
        if (writer.endTransact(Rollback) != 1) {
            return 5;
        }
        return writer.modifyResTypeByID("T1", 3, "LATER") == 1 ? 0 : 6;
    });
    EXPECT_EQ(status, 0)
        << "2 no transaction, 3 the insert did not fail, 4 the write or transaction after "
        << "it was not refused, 5 the rollback failed, 6 no write after it, 7 an identifier or a "
        << "table's presence told from a lost transaction, 8 the inner level's commit not "
        << "refused";
    EXPECT_EQ(sqliteShell(path, "SELECT Krig_BlockID, Krig_ResType FROM T1"), "1|\n2|\n3|LATER\n");
}

// A disk full when the changes are committed: each write says so and
// leaves nothing behind, and the next write, once there is room, goes in.
TEST_F(BlockTest, ACommitThatFailsForSpaceWritesNothing) {
    ASSERT_EQ(mng.createBlockVoidTbl("V1"), 1);
    ASSERT_EQ(mng.createBlockResultTbl("T2"), 1);
    mng.clearDatabase();
    const int status = childStatus([&] {
        CVornelMng writer;
        KrigBlockResult one = block(1, 0, 0, 0);
        KrigBlockVoid hole;
        hole.MineID = 1;
        KrigBlockParam run;
        KrigBlockVrgParam structure;
        structure.MineID = 1;
        std::vector<long> ids;
        const std::pair<std::function<long()>, const char*> writes[] = {
            {[&] { return writer.insertIntoBlockResult("T1", &one, 1); }, "the blocks"},
            {[&] { return writer.insertIntoBlockVoid("V1", &hole, 1); }, "the void blocks"},
            {[&] { return writer.insertIntoBlockParam(&run, 1, ids); }, "the new runs"},
            {[&] { return writer.insertIntoBlockVrgParam(&structure, 1); },
             "the variogram structures"},
            {[&] { return writer.deleteBlock("T2"); }, "the deletion"}};
        if (writer.connectDatabase(path) != 1) {
            return 2;
        }
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit none{0, limit.rlim_max};
        setrlimit(RLIMIT_FSIZE, &none);
        int failed = 3;
        for (const auto& [write, what] : writes) {
            if (write() != 0 ||
                writer.lastError().rfind(std::string("cannot commit ") + what + ": ", 0) != 0) {
                return failed;
            }
            ++failed;
        }
        if (!ids.empty()) {
            return 8;  // numbers of runs that were not written
        }
        setrlimit(RLIMIT_FSIZE, &limit);
        return writer.insertIntoBlockResult("T1", &one, 1) == 1 ? 0 : 9;
    });
    EXPECT_EQ(status, 0) << "2 not connected, 3 to 7 that write not refused as it should be, 8 "
                            "run numbers given, 9 no write after them";
    EXPECT_EQ(sqliteShell(path,
                          "SELECT count(*) FROM T1; SELECT count(*) FROM V1; SELECT count(*) FROM "
                          "KrigBlock_Param; SELECT count(*) FROM KrigBlock_Vrg_Param; SELECT "
                          "count(*) FROM sqlite_master WHERE name = 'T2'"),
              "1\n0\n0\n0\n1\n");
}

TEST_F(BlockTest, FilteredReadsShareTheResultCache) {
    KrigBlockResult blocks[4] = {block(1, 0, 0, 0), block(2, 0, 0, 0), block(3, 0, 0, 0, 3),
                                 block(4, 0, 0, 0)};
    blocks[1].Krig_OutAttr = 9.5;
    ASSERT_EQ(mng.insertIntoBlockResult("T1", blocks, 4), 1);
    KrigBlockResult* rows = nullptr;
    long count = 0;
    // No condition, or one of blanks as a host joining parts may pass,
    // reads every row.
    for (const char* none : {"", " \t\r\n "}) {
        ASSERT_EQ(mng.getBlockResultByWhereSQL("T1", none, &rows, &count), 1) << mng.lastError();
        EXPECT_EQ(count, 4);
    }
    ASSERT_EQ(mng.getBlockResultByWhereSQL("T1", "Krig_BlockID = 3", &rows, &count), 1);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(rows[0].SubBUD_GridSize[2].x, blocks[2].SubBUD_GridSize[2].x);

    // A comment after the condition, of either kind, open or closed, and a
    // semicolon before it, leave the condition as it is.
    for (const char* commented : {"Krig_BlockID >= 3 -- the last two", "Krig_BlockID >= 3 /* open",
                                  "Krig_BlockID >= 3; /* the last two */",
                                  "Krig_BlockID >= 3; /*/ its slash opens nothing */"}) {
        ASSERT_EQ(mng.getBlockResultByWhereSQL("T1", commented, &rows, &count), 1) << commented;
        ASSERT_EQ(count, 2) << commented;
        EXPECT_EQ(rows[1].Krig_BlockID, 4) << commented;
    }
    ASSERT_EQ(mng.getBlockResultByWhereSQL("T1", "Krig_BlockID = 3", &rows, &count), 1);

    // More than one statement: refused, the earlier answer intact. A minus
    // after the first letter of the second starts no comment.
    for (const char* two : {"1=1; DROP TABLE T1", "1=1; A-B"}) {
        EXPECT_EQ(mng.getBlockResultByWhereSQL("T1", two, &rows, &count), 0) << two;
        EXPECT_NE(mng.lastError().find("only one statement"), std::string::npos) << mng.lastError();
    }
    EXPECT_EQ(rows[0].SubBUD_GridSize[2].x, blocks[2].SubBUD_GridSize[2].x);

    ASSERT_EQ(mng.getBlockResultByWhereSQL("T1", "Krig_BlockID > 10", &rows, &count), 1);
    EXPECT_EQ(rows, nullptr);
    EXPECT_EQ(count, 0);

    // A condition that picks anew each time it runs is run once: the rows
    // it picked come back, never a blank record.
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(mng.getBlockResultByWhereSQL("T1", "random() % 2 = 0", &rows, &count), 1);
        for (long k = 0; k < count; ++k) {
            EXPECT_GE(rows[k].Krig_BlockID, 1) << "try " << i << ", record " << k;
        }
    }

    // The attribute column, in the database's order, into the caller's array.
    ASSERT_EQ(mng.getBlockResult("T1", &rows, &count), 1);
    shell("UPDATE T1 SET Krig_OutAttr = NULL WHERE Krig_BlockID = 4");
    double values[4] = {-1, -1, -1, -1};
    long n = 0;
    EXPECT_EQ(mng.getBlockResultAttr("Nowhere", values, &n), 0);
    ASSERT_EQ(mng.getBlockResultAttr("T1", values, &n), 1);
    EXPECT_EQ(mng.lastError(), "") << "a success clears the failure before it";
    EXPECT_EQ(std::vector<double>(values, values + n), (std::vector<double>{0.25, 9.5, 0.75, 0}));
    EXPECT_EQ(rows[2].SubBUD_Num, 3);  // the cache is untouched by it

    ASSERT_EQ(mng.createBlockResultTbl("Empty"), 1);
    double untouched = 42.0;
    EXPECT_EQ(mng.getBlockResultAttr("Empty", &untouched, &n), 0);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(untouched, 42.0);
}

// A column that another program added, quotes in its name, stays empty in
// the rows added after it, and takes nothing from the columns before it.
TEST_F(BlockTest, AColumnAnotherProgramAddedStaysEmpty) {
    const std::string note = "\"the \"\"geologist's\"\" note\"";
    shell("ALTER TABLE T1 ADD COLUMN " + note + " TEXT");
    KrigBlockResult b = block(1, 0, 0, 0);
    ASSERT_EQ(mng.insertIntoBlockResult("T1", &b, 1), 1) << mng.lastError();
    KrigBlockResult r;
    ASSERT_EQ(mng.getBlockResult("T1", 1, &r), 1) << mng.lastError();
    EXPECT_EQ(r.Krig_OutAttr, 0.25);
    EXPECT_EQ(shell("SELECT count(*) FROM T1 WHERE " + note + " IS NULL"), "1\n");
}

// A copy that any SQLite tool makes (CREATE TABLE ... AS SELECT) declares
// its sub-block column as nothing: the sub-blocks read and write as in the
// table copied. Declared as text, the column holds no bytes to read: every
// read fails rather than give the blocks without their sub-blocks.
TEST_F(BlockTest, TablesOtherToolsMadeKeepTheirSubBlocksOrFailToRead) {
    KrigBlockResult blocks[2] = {block(1, 500005, 3000005, 5, 2), block(2, 500015, 3000005, 5)};
    ASSERT_EQ(mng.insertIntoBlockResult("T1", blocks, 2), 1);
    shell("CREATE TABLE F AS SELECT * FROM T1");
    KrigBlockResult* rows = nullptr;
    long count = 0;
    ASSERT_EQ(mng.getBlockResult("F", &rows, &count), 1) << mng.lastError();
    ASSERT_EQ(count, 2);
    ASSERT_EQ(rows[0].SubBUD_Num, 2);
    EXPECT_EQ(rows[0].SubBUD_PntLoc[1].x, 500007.5);
    KrigBlockResult one;
    ASSERT_EQ(mng.getBlockResult("F", 1, &one), 1) << mng.lastError();
    EXPECT_EQ(one.SubBUD_Num, 2);
    delete[] one.SubBUD_PntLoc;
    delete[] one.SubBUD_GridSize;
    // Upright at X 500008, through block 1's second sub-block only.
    D_3DOT upright[4] = {
        {500008, 2999990, 0}, {500008, 3000020, 0}, {500008, 3000020, 10}, {500008, 2999990, 10}};
    ASSERT_EQ(mng.getCutBlockResult("F", upright, &rows, &count), 1) << mng.lastError();
    ASSERT_EQ(count, 1);
    ASSERT_EQ(rows[0].SubBUD_Num, 1);
    EXPECT_EQ(rows[0].SubBUD_PntLoc[0].x, 500007.5);
    KrigBlockResult third = block(3, 500025, 3000005, 5, 2);
    ASSERT_EQ(mng.insertIntoBlockResult("F", &third, 1), 1) << mng.lastError();
    ASSERT_EQ(mng.getBlockResultByWhereSQL("F", "Krig_BlockID = 3", &rows, &count), 1);
    EXPECT_EQ(rows[0].SubBUD_Num, 2);

    shell(
        "CREATE TABLE G AS SELECT MineID, Krig_BlockID, Krig_PntLocX, Krig_PntLocY, "
        "Krig_PntLocZ, Krig_GridSizeX, Krig_GridSizeY, Krig_GridSizeZ, Block_Coef, Krig_OutAttr, "
        "Krig_OutVari, Srch_Degr, Krig_PntNum, Krig_MeanDis, Krig_EngZKNum, Krig_EngTCNum, "
        "Krig_EngKDNum, Krig_EngQJNum, Krig_ResType, Krig_OreType, Krig_Bound, "
        "CAST(SubBUDBlob AS TEXT) AS SubBUDBlob, Block_Vol, Ore_Propro, Block_CorMass, "
        "Block_OreMass FROM T1");
    const std::string unread =
        "cannot read the sub-blocks of a row: the column does not hold long binary values";
    const std::function<long()> reads[] = {
        [&] { return mng.getBlockResult("G", &rows, &count); },
        [&] { return mng.getBlockResultByWhereSQL("G", "Krig_BlockID < 3", &rows, &count); },
        [&] { return mng.getBlockResult("G", 1, &one); },
        [&] { return mng.getCutBlockResult("G", upright, &rows, &count); }};
    for (const auto& read : reads) {
        EXPECT_EQ(read(), 0);
        EXPECT_EQ(mng.lastError(), unread);
    }
    // Nor is a write told as an earlier failure.
    EXPECT_EQ(mng.insertIntoBlockResult("G", &third, 1), 0);
    EXPECT_NE(mng.lastError().find("column 21 does not hold long binary values"), std::string::npos)
        << mng.lastError();
}

TEST_F(BlockTest, AReadThatFailsPartWayFailsWhole) {
    KrigBlockResult blocks[4] = {block(1, 0, 0, 0), block(2, 10, 0, 0), block(3, 20, 0, 0, 2),
                                 block(4, 30, 0, 0)};
    ASSERT_EQ(mng.insertIntoBlockResult("T1", blocks, 4), 1);
    KrigBlockResult* rows = nullptr;
    long count = 0;
    double values[4] = {};
    D_3DOT plan[4] = {{-5, -5, 0}, {35, -5, 0}, {35, 5, 0}, {-5, 5, 0}};
    const auto failsWith = [&](long status, const char* what, const char* call) {
        EXPECT_EQ(status, 0) << call;
        EXPECT_NE(mng.lastError().find(what), std::string::npos) << call << ": " << mng.lastError();
    };
    // Counting the rows reads none of their columns; reading row 3 whole
    // overflows, after rows 1 and 2 have come back.
    shell(
        "ALTER TABLE T1 ADD COLUMN Broken GENERATED ALWAYS AS "
        "(CASE WHEN Krig_BlockID = 3 THEN abs(-9223372036854775807 - 1) END) VIRTUAL");
    failsWith(mng.getBlockResult("T1", &rows, &count), "integer overflow", "whole table");
    failsWith(mng.getBlockResultByWhereSQL("T1", "Krig_BlockID > 1", &rows, &count),
              "integer overflow", "condition");
    failsWith(mng.getCutBlockResult("T1", plan, &rows, &count), "integer overflow", "cut");
    failsWith(mng.getBlockResultAttr("T1", values, &count), "integer overflow", "attribute");
    shell("ALTER TABLE T1 DROP COLUMN Broken");
    // A condition that fails on a row after those it delivered, block 3's
    // sub-blocks among them: the read fails whole, gives back nothing, and
    // leaves the array handed out before as it was, as a read of a table
    // of too few columns does.
    ASSERT_EQ(mng.getBlockResult("T1", &rows, &count), 1);
    const KrigBlockResult* const earlier = rows;
    failsWith(mng.getBlockResultByWhereSQL(
                  "T1", "CASE WHEN Krig_BlockID > 3 THEN abs(-9223372036854775807 - 1) ELSE 1 END",
                  &rows, &count),
              "integer overflow", "late condition");
    shell("CREATE TABLE Few AS SELECT MineID, Krig_BlockID FROM T1");
    failsWith(mng.getBlockResult("Few", &rows, &count), "fewer than the 26", "few columns");
    failsWith(mng.getBlockResultByWhereSQL("Few", "", &rows, &count), "fewer than the 26",
              "few columns, any condition");
    ASSERT_EQ(rows, earlier);
    EXPECT_EQ(earlier[0].MineID, 1);
    EXPECT_EQ(earlier[0].Krig_BlockID, 1);
    ASSERT_EQ(earlier[2].SubBUD_Num, 2);
    EXPECT_EQ(earlier[2].SubBUD_PntLoc[1].x, blocks[2].SubBUD_PntLoc[1].x);
    // Neither a NUL nor a parameter may cut a condition short or read as NULL.
    failsWith(mng.getBlockResultByWhereSQL("T1", std::string("Krig_BlockID = 1\0 OR 1 = 1", 26),
                                           &rows, &count),
              "NUL", "NUL");
    failsWith(mng.getBlockResultByWhereSQL("T1", "Krig_OutAttr > ? OR 1 = 1", &rows, &count),
              "no value is given for the parameter ?", "parameter");
    failsWith(mng.getBlockResultByWhereSQL("T1", "Krig_ResType = :cat", &rows, &count),
              "parameter :cat", "named parameter");
    ASSERT_EQ(mng.getBlockResultByWhereSQL("T1", "Krig_BlockID > length('?')", &rows, &count), 1);
    EXPECT_EQ(count, 3);
    // A name in double quotes is a column's, never a text: misspelt, it would
    // otherwise be a text, greater than every number, and hold for each row.
    ASSERT_EQ(mng.getBlockResultByWhereSQL("T1", "\"Krig_BlockID\" > 2", &rows, &count), 1);
    EXPECT_EQ(count, 2);
    failsWith(mng.getBlockResultByWhereSQL("T1", "\"Krig_BlokID\" > 2", &rows, &count),
              "no such column: Krig_BlokID", "misspelt column");
    // Another program's trigger or view may still hold texts in double
    // quotes, as SQLite takes them: its writes go on, and its rows read.
    shell(
        "CREATE TABLE Audit(What TEXT); CREATE TRIGGER Audited AFTER UPDATE ON T1 BEGIN "
        "INSERT INTO Audit VALUES (\"changed\"); END; CREATE VIEW Chosen AS SELECT * FROM T1 "
        "WHERE Krig_ResType = \"Chosen\"");
    ASSERT_EQ(mng.modifyResTypeByID("T1", 2, "Chosen"), 1);
    EXPECT_EQ(shell("SELECT What FROM Audit"), "changed\n");
    ASSERT_EQ(mng.getBlockResultByWhereSQL("Chosen", "", &rows, &count), 1) << mng.lastError();
    ASSERT_EQ(count, 1);
    EXPECT_EQ(rows[0].Krig_BlockID, 2);
}

TEST_F(BlockTest, VoidBlocksAreNumberedInTheirBatch) {
    ASSERT_EQ(mng.createBlockVoidTbl("V1"), 1);
    ASSERT_EQ(mng.createBlockResultTbl("KrigBlock_Result"), 1);
    shell("INSERT INTO KrigBlock_Result(MineID, Krig_BlockID) VALUES (3, 6)");
    KrigBlockVoid voids[3];
    for (int i = 0; i < 3; ++i) {
        voids[i].MineID = 3;
        voids[i].Krig_BlockID = 100 + i;
        voids[i].Krig_PntLocX = i;
        voids[i].Krig_Bound = i % 2;
    }
    std::strcpy(voids[1].Krig_OreType, "Stope");
    attach(voids[2], 2);
    ASSERT_EQ(mng.insertIntoBlockVoid("V1", voids, 3), 8);  // getNextBlockID's status
    EXPECT_EQ(voids[0].Krig_BlockID, 100);                  // the records keep their own
    EXPECT_EQ(shell("SELECT group_concat(Krig_BlockID) FROM V1"), "7,8,9\n");
    KrigBlockVoid promising;
    promising.SubBUD_Num = 1;
    EXPECT_EQ(mng.insertIntoBlockVoid("V1", &promising, 1), 0);
    EXPECT_EQ(mng.lastError(),
              "the void block at index 0 counts sub-blocks but has no arrays for them; nothing was "
              "written");

    KrigBlockVoid* rows = nullptr;
    long count = 0;
    ASSERT_EQ(mng.getBlockVoid("V1", &rows, &count), 1);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(rows[1].Krig_Bound, -1);
    EXPECT_STREQ(rows[1].Krig_OreType, "Stope");
    ASSERT_EQ(rows[2].SubBUD_Num, 2);
    EXPECT_EQ(rows[2].SubBUD_PntLoc[1].x, voids[2].SubBUD_PntLoc[1].x);

    KrigBlockVoid one;
    ASSERT_EQ(mng.getBlockVoid("V1", 9, &one), 1);
    ASSERT_EQ(one.SubBUD_Num, 2);
    EXPECT_EQ(one.SubBUD_GridSize[0].x, voids[2].SubBUD_GridSize[0].x);
    delete[] one.SubBUD_PntLoc;
    delete[] one.SubBUD_GridSize;

    // The two caches are apart.
    KrigBlockResult* results = nullptr;
    KrigBlockResult b = block(1, 0, 0, 0);
    ASSERT_EQ(mng.insertIntoBlockResult("T1", &b, 1), 1);
    ASSERT_EQ(mng.getBlockResult("T1", &results, &count), 1);
    EXPECT_EQ(rows[2].SubBUD_PntLoc[1].x, voids[2].SubBUD_PntLoc[1].x);
    ASSERT_EQ(mng.getBlockVoid("V1", &rows, &count), 1);
    EXPECT_EQ(results[0].Krig_BlockID, 1);

    EXPECT_EQ(mng.insertIntoBlockVoid("V1", voids, 0), 0);
    voids[0].MineID = 0;
    EXPECT_EQ(mng.insertIntoBlockVoid("V1", voids, 3), 0);
    voids[0].MineID = 3;
    voids[2].Krig_PntLocZ = HUGE_VAL;
    EXPECT_EQ(mng.insertIntoBlockVoid("V1", voids, 3), 0);
    EXPECT_NE(mng.lastError().find("the void block at index 2 holds a value"), std::string::npos)
        << mng.lastError();
    EXPECT_EQ(shell("SELECT count(*) FROM V1"), "3\n");
    // Identifiers end at the 32-bit limit: after 2147483645 two are left.
    voids[2].Krig_PntLocZ = 0;
    shell("UPDATE KrigBlock_Result SET Krig_BlockID = 2147483645");
    EXPECT_EQ(mng.insertIntoBlockVoid("V1", voids, 3), 0);
    EXPECT_EQ(mng.lastError(), "no block identifier is left for so many blocks");
    EXPECT_EQ(mng.insertIntoBlockVoid("V1", voids, 2), 2147483647);
    EXPECT_EQ(shell("SELECT max(Krig_BlockID) FROM V1"), "2147483647\n");

    ASSERT_EQ(mng.createBlockVoidTbl("Empty"), 1);
    EXPECT_EQ(mng.getBlockVoid("Empty", &rows, &count), 0);
    EXPECT_EQ(rows, nullptr);
    EXPECT_EQ(count, 0);
}

// A hook raised in the middle of a read, here the trace of a sub-block
// buffer too short for its count, that calls the same manager back: that
// manager is busy, so each such call is refused and the read goes on to
// hand out every block. Had the inner read taken the recordset, the outer
// one would have failed, or filled an array the inner one had freed.
TEST_F(BlockTest, AHookCallingItsManagerBackDuringAReadIsRefused) {
    if (!vornel::traceEnabled()) {
        GTEST_SKIP() << "only a build with its trace raises a hook inside a read";
    }
    KrigBlockResult blocks[3] = {block(1, 5, 5, 5), block(2, 15, 5, 5, 2), block(3, 25, 5, 5)};
    ASSERT_EQ(mng.insertIntoBlockResult("T1", blocks, 3), 1);
    shell("UPDATE T1 SET SubBUDBlob = x'010000' WHERE Krig_BlockID = 2");
    const std::string busy =
        "the manager is in the middle of the call whose hook made this one, and a hook may not "
        "read or write through the manager that raised it";
    std::vector<std::string> refused;
    const auto expectRefused = [&](const char* what, long status) {
        refused.push_back(what);
        EXPECT_EQ(status, 0) << what;
        EXPECT_TRUE(contains(mng.lastError(), busy)) << what << ": " << mng.lastError();
    };
    vornel::setTraceSink([&](const std::string&) {
        KrigBlockResult* inner = nullptr;
        long n = 0;
        int exists = 0;
        long id = 0;
        KrigBlockResult one;
        KrigBlockVrgParam structure;
        structure.MineID = 1;
        expectRefused("where", mng.getBlockResultByWhereSQL("T1", "1", &inner, &n));
        expectRefused("one", mng.getBlockResult("T1", 1, &one));
        expectRefused("insert", mng.insertIntoBlockResult("T1", blocks, 1));
        expectRefused("exists", mng.isExistTbl("T1", exists));
        expectRefused("next", mng.getNextMineID(id));
        expectRefused("drop", mng.dropTable("T1"));
        expectRefused("connect", mng.connectDatabase(path));
        expectRefused("delete", mng.deleteBlockNotTbl("T1"));
        expectRefused("structure", mng.insertIntoBlockVrgParam(&structure, 1));
        expectRefused("begin", mng.beginTransact());
        mng.clearDatabase();
    });
    KrigBlockResult* rows = nullptr;
    long count = 0;
    const long status = mng.getBlockResult("T1", &rows, &count);
    vornel::setTraceSink(nullptr);
    EXPECT_EQ(refused.size(), 10U);
    ASSERT_EQ(status, 1) << mng.lastError();
    ASSERT_EQ(count, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i].Krig_BlockID, i + 1);
        EXPECT_EQ(rows[i].Krig_OutAttr, (i + 1) * 0.25);
    }
    EXPECT_EQ(rows[1].SubBUD_Num, 0);
    // So is one raised by a query that fails to open: the table it looks
    // for is missing all the same.
    long nested = -1;
    vornel::setTraceSink([&](const std::string&) {
        mng.clearDatabase();
        nested = mng.connectDatabase(path);
    });
    int exists = 1;
    EXPECT_EQ(mng.isExistTbl("Missing", exists), 1) << mng.lastError();
    vornel::setTraceSink(nullptr);
    EXPECT_EQ(exists, 0);
    EXPECT_EQ(nested, 0);
    // The manager kept its database and serves the next call.
    EXPECT_EQ(shell("SELECT count(*) FROM T1"), "3\n");
    ASSERT_EQ(mng.getBlockResultByWhereSQL("T1", "Krig_BlockID = 3", &rows, &count), 1);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(shell("SELECT count(*) FROM KrigBlock_Vrg_Param"), "0\n");

    // A cut made from a hook during a cut is refused before it touches the
    // test that the outer cut's query calls on every row: block 4 lies far
    // from the section, and its row cannot be read.
    KrigBlockResult far = block(4, 1000, 5, 5);
    ASSERT_EQ(mng.insertIntoBlockResult("T1", &far, 1), 1);
    shell(
        "ALTER TABLE T1 ADD COLUMN Broken GENERATED ALWAYS AS (CASE WHEN Krig_BlockID = 4 "
        "THEN abs(-9223372036854775807 - 1) END) VIRTUAL");
    D_3DOT plan[4] = {{0, 0, 5}, {30, 0, 5}, {30, 10, 5}, {0, 10, 5}};
    long innerCut = -1;
    vornel::setTraceSink([&](const std::string&) {
        KrigBlockResult* cut = nullptr;
        long n = 0;
        innerCut = mng.getCutBlockResult("T1", plan, &cut, &n);
    });
    const long outerCut = mng.getCutBlockResult("T1", plan, &rows, &count);
    vornel::setTraceSink(nullptr);
    EXPECT_EQ(innerCut, 0);
    ASSERT_EQ(outerCut, 1) << mng.lastError();
    EXPECT_EQ(count, 3);
}

// So is one made while a statement, or a step of a transaction, of the same
// manager is under way: a database closed then would have the statement's
// call go on without it, and a transaction ended would leave the rest of a
// deletion outside any.
TEST_F(BlockTest, AHookCallingItsManagerBackDuringAStatementIsRefused) {
    if (!vornel::traceEnabled()) {
        GTEST_SKIP() << "only a build with its trace raises a hook inside a statement";
    }
    KrigBlockResult blocks[2] = {block(1, 5, 5, 5), block(2, 15, 5, 5)};
    ASSERT_EQ(mng.insertIntoBlockResult("T1", blocks, 2), 1);
    ASSERT_EQ(insert(run("Cu", "T1", "")), 1);
    // The run's structures are deleted from a table that is missing: the
    // statement warns, raising the hook.
    shell("DROP TABLE KrigBlock_Vrg_Param");
    std::vector<long> inner;
    vornel::setTraceSink([&](const std::string&) {
        inner.push_back(mng.endTransact(Commit));
        inner.push_back(mng.beginTransact());
        inner.push_back(mng.modifyResTypeByID("T1", 1, "hooked"));
        mng.clearDatabase();
    });
    EXPECT_EQ(mng.deleteBlockNotTbl("Nowhere"), 1) << mng.lastError();
    const long status = mng.deleteBlock("T1", 1);
    vornel::setTraceSink(nullptr);
    EXPECT_EQ(status, 1) << mng.lastError();
    ASSERT_FALSE(inner.empty());
    EXPECT_EQ(std::count(inner.begin(), inner.end(), 0L), static_cast<long>(inner.size()));
    // The deletion is whole: the run's row and its table are gone.
    EXPECT_EQ(shell("SELECT count(*) FROM KrigBlock_Param"), "0\n");
    EXPECT_EQ(shell("SELECT count(*) FROM sqlite_schema WHERE name = 'T1'"), "0\n");

    // A read is refused too: it would refill the array a bulk update is
    // writing from. Another program's trigger keeps block 1 as it is; its
    // refusal only warns, raising the hook.
    std::vector<KrigBlockResult> many;
    for (int i = 1; i <= 10; ++i) {
        many.push_back(block(i, 10.0 * i, 5, 5));
    }
    ASSERT_EQ(mng.createBlockResultTbl("T1"), 1);
    ASSERT_EQ(mng.insertIntoBlockResult("T1", many.data(), 10), 1);
    shell(
        "CREATE TRIGGER Kept BEFORE UPDATE ON T1 WHEN NEW.Krig_BlockID = 1 BEGIN SELECT "
        "RAISE(ABORT, 'block 1 is kept'); END");
    KrigBlockResult* rows = nullptr;
    long count = 0;
    ASSERT_EQ(mng.getBlockResult("T1", &rows, &count), 1);
    for (long i = 0; i < count; ++i) {
        rows[i].Ore_Propro = 0.5;
    }
    inner.clear();
    vornel::setTraceSink([&](const std::string&) {
        KrigBlockResult* again = nullptr;
        long n = 0;
        inner.push_back(mng.getBlockResult("T1", &again, &n));
    });
    EXPECT_EQ(mng.modifyResultAtts("T1", rows, count), 1) << mng.lastError();
    vornel::setTraceSink(nullptr);
    EXPECT_EQ(inner, std::vector<long>(inner.size(), 0));
    EXPECT_EQ(shell("SELECT group_concat(Ore_Propro) FROM T1"),
              "0.0,0.5,0.5,0.5,0.5,0.5,0.5,0.5,0.5,0.5\n");

    // Nor does a refused call change why the call that raised it failed:
    // here, another connection's lock.
    CVornelMng holder = lockedByAnother(2);
    inner.clear();
    vornel::setTraceSink([&](const std::string&) {
        KrigBlockResult* again = nullptr;
        long n = 0;
        inner.push_back(mng.getBlockResult("Nowhere", &again, &n));
        inner.push_back(mng.deleteBlockNotTbl("T1"));
    });
    EXPECT_EQ(mng.deleteBlockNotTbl("T1"), 0);
    vornel::setTraceSink(nullptr);
    EXPECT_TRUE(contains(mng.lastError(), "the database is busy")) << mng.lastError();
    ASSERT_FALSE(inner.empty());
    EXPECT_EQ(inner, std::vector<long>(inner.size(), 0));
    EXPECT_EQ(holder.endTransact(Rollback), 1);
    EXPECT_EQ(shell("SELECT count(*) FROM T1"), "10\n");
}

// Rows are read by column position: a void table read as results, or a
// table too narrow for voids, would give the columns it lacks as 0.
TEST_F(BlockTest, ATableOfTooFewColumnsIsNoBlockTable) {
    KrigBlockResult first = block(1, 5, 5, 5);
    ASSERT_EQ(mng.insertIntoBlockResult("T1", &first, 1), 1);
    KrigBlockVoid hollow;
    hollow.MineID = 1;
    hollow.Krig_PntLocX = hollow.Krig_PntLocY = hollow.Krig_PntLocZ = 5;
    hollow.Krig_GridSizeX = hollow.Krig_GridSizeY = hollow.Krig_GridSizeZ = 10;
    ASSERT_EQ(mng.createBlockVoidTbl("V"), 1);
    ASSERT_GT(mng.insertIntoBlockVoid("V", &hollow, 1), 0) << mng.lastError();
    shell("CREATE TABLE N AS SELECT MineID, Krig_BlockID, Krig_PntLocX FROM V");
    KrigBlockResult* rows = nullptr;
    long count = 0;
    KrigBlockResult one;
    double values[4] = {};
    D_3DOT section[4] = {{0, 0, 5}, {20, 0, 5}, {20, 20, 5}, {0, 20, 5}};
    const std::function<long()> reads[] = {
        [&] { return mng.getBlockResult("V", &rows, &count); },
        [&] { return mng.getBlockResultByWhereSQL("V", "1", &rows, &count); },
        [&] { return mng.getBlockResult("V", 1, &one); },
        [&] { return mng.getBlockResultAttr("V", values, &count); },
        [&] { return mng.getCutBlockResult("V", section, &rows, &count); }};
    for (const auto& read : reads) {
        EXPECT_EQ(read(), 0);
        EXPECT_EQ(mng.lastError(),
                  "the table has 12 columns, fewer than the 26 of a block result table");
    }
    EXPECT_EQ(values[0], 0.0) << "nothing read";
    KrigBlockVoid* voids = nullptr;
    EXPECT_EQ(mng.getBlockVoid("N", &voids, &count), 0);
    EXPECT_EQ(mng.lastError(), "the table has 3 columns, fewer than the 12 of a void block table");
    ASSERT_EQ(mng.getBlockVoid("V", &voids, &count), 1) << mng.lastError();
    EXPECT_EQ(voids[0].Krig_GridSizeZ, 10.0);

    // A manager that read the table before another one made it a void
    // table sees it as it is now.
    CVornelMng other;
    ASSERT_EQ(other.connectDatabase(path), 1);
    ASSERT_EQ(other.getBlockResult("T1", &rows, &count), 1);
    ASSERT_EQ(count, 1);
    ASSERT_EQ(mng.dropTable("T1"), 1);
    ASSERT_EQ(mng.createBlockVoidTbl("T1"), 1);
    ASSERT_GT(mng.insertIntoBlockVoid("T1", &hollow, 1), 0) << mng.lastError();
    EXPECT_EQ(other.getBlockResult("T1", &rows, &count), 0);
    EXPECT_EQ(other.lastError(),
              "the table has 12 columns, fewer than the 26 of a block result table");
}
