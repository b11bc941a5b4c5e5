// Statistics and the updates of derived values.
#include <unistd.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <tuple>

#include "store/BlockFixture.h"
#include "vornel/Hooks.h"

using vornel::test::BlockTest;
using vornel::test::contains;
using vornel::test::shellOutput;
using vornel::test::shellQuote;
using vornel::test::sqliteShell;

namespace {

std::tuple<double, double, double> xyz(const D_3DOT& p) {
    return {p.x, p.y, p.z};
}

// Records what the progress window is told: "[message / caption] positions... end".
struct Progress {
    Progress() {
        vornel::setProgressSink({[this](const std::string& m, const std::string& c) {
                                     log += "[" + m + " / " + c + "]";
                                 },
                                 [this](long p) { log += " " + std::to_string(p); },
                                 [this] { log += " end"; }});
    }
    ~Progress() { vornel::setProgressSink({}); }
    std::string log;
};

}  // namespace

TEST_F(BlockTest, StatisticsOfAnEmptyAndAOneBlockTable) {
    std::vector<double> v = {9, 9, 9, 9};
    ASSERT_EQ(mng.getStatResult("T1", v[0], v[1], v[2], v[3]), 1);
    EXPECT_EQ(v, (std::vector<double>{0, 0, 0, 0}));
    KrigBlockResult b = block(1, 10, 20, 30);
    ASSERT_EQ(mng.insertIntoBlockResult("T1", &b, 1), 1);
    D_3DOT hi{}, lo{};
    ASSERT_EQ(mng.getStatResultPos("T1", hi, lo), 1);
    EXPECT_EQ(xyz(hi), std::make_tuple(10.0, 20.0, 30.0));
    EXPECT_EQ(xyz(lo), std::make_tuple(10.0, 20.0, 30.0));

    KrigBlockResult more[2] = {block(2, -5, 25, 31), block(3, 7, 19, 29)};
    more[0].Krig_OutAttr = 4.5;
    more[1].Krig_OutVari = 0.75;
    ASSERT_EQ(mng.insertIntoBlockResult("T1", more, 2), 1);
    ASSERT_EQ(mng.getStatResultPos("T1", hi, lo), 1);
    EXPECT_EQ(xyz(hi), std::make_tuple(10.0, 25.0, 31.0));
    EXPECT_EQ(xyz(lo), std::make_tuple(-5.0, 19.0, 29.0));
    ASSERT_EQ(mng.getStatResult("T1", v[0], v[1], v[2], v[3]), 1);
    EXPECT_EQ(v, (std::vector<double>{4.5, 0.25, 0.75, 0.0}));

    EXPECT_EQ(mng.getStatResult("Nowhere", v[0], v[1], v[2], v[3]), 0);
    EXPECT_EQ(v[0], 4.5);  // left as they were
    ASSERT_EQ(mng.getStatResultPos("T1", hi, lo), 1);
    EXPECT_EQ(mng.lastError(), "") << "a success clears the failure before it";
}

TEST_F(BlockTest, UpdatesWriteSixDecimalsAndQuotedTypes) {
    KrigBlockResult blocks[2] = {block(1, 0, 0, 0), block(2, 0, 0, 0)};
    ASSERT_EQ(mng.insertIntoBlockResult("T1", blocks, 2), 1);
    EXPECT_EQ(mng.modifyResultAttByID("T1", 1, 0.5, 0.1234567, 1e7 / 3), 1);
    EXPECT_EQ(mng.modifyResultAttByID("T1", 99, 1, 1, 1), 1);  // no such block: nothing changes
    EXPECT_EQ(mng.modifyResTypeByID("T1", 2, "O'Brien"), 1);
    EXPECT_EQ(shell("SELECT Ore_Propro, Block_CorMass, Block_OreMass, Krig_ResType FROM T1"),
              "0.5|0.123457|3333333.333333|\n0.0|0.0|0.0|O'Brien\n");

    blocks[0].Ore_Propro = 0.25;
    blocks[1].Block_OreMass = 2.0000004;
    std::strcpy(blocks[0].Krig_ResType, "Indicated");
    std::memset(blocks[1].Krig_ResType, 'M', sizeof blocks[1].Krig_ResType);  // 20, unterminated
    EXPECT_EQ(mng.modifyResultAtts("T1", blocks, 2), 1);
    EXPECT_EQ(mng.modifyResType("T1", blocks, 2), 1);
    EXPECT_EQ(shell("SELECT Ore_Propro, Block_OreMass, Krig_ResType FROM T1"),
              "0.25|0.0|Indicated\n0.0|2.0|MMMMMMMMMMMMMMMMMMMM\n");
    EXPECT_EQ(mng.modifyResultAtts("T1", nullptr, 2), 0);
    EXPECT_EQ(mng.modifyResType("T1", nullptr, 0), 1) << "no blocks, nothing to update";
    // The column counts 20 characters; the record keeps 20 bytes. 18 Cyrillic
    // letters and a blank take 35: refused, as a read would cut them, and a
    // write of the record read would keep the cut text.
    EXPECT_EQ(mng.modifyResTypeByID("T1", 1, "Ресурсы выявленные"), 0);
    EXPECT_EQ(mng.lastError(), "the text takes 35 bytes, more than the 20 of its field");
    EXPECT_EQ(mng.modifyResTypeByID("T1", 1, "Выявленные"), 1);  // 20 bytes
    KrigBlockResult read{};
    ASSERT_EQ(mng.getBlockResult("T1", 1, &read), 1);
    EXPECT_EQ(std::string(read.Krig_ResType), "Выявленны");  // the last byte is the end's
    // Latin-1 bytes that fill the field: only the last goes, though they
    // would read as UTF-8 continuation bytes.
    const std::string latin1 = "ABCDEFGHIJKLMNOPQ\xA9\xA9\xA9";
    EXPECT_EQ(mng.modifyResTypeByID("T1", 1, latin1), 1);
    ASSERT_EQ(mng.getBlockResult("T1", 1, &read), 1);
    EXPECT_EQ(std::string(read.Krig_ResType), latin1.substr(0, 19));
    EXPECT_EQ(mng.modifyResTypeByID("T1", 1, std::string(20, '\x80')), 1);
    ASSERT_EQ(mng.getBlockResult("T1", 1, &read), 1);
    EXPECT_EQ(std::string(read.Krig_ResType), std::string(19, '\x80'));
    // Nor do GBK bytes lose more, whose last ones look like the start of a
    // UTF-8 character ("硫化" five times: C1F2 BBAF).
    std::string gbk;
    for (int i = 0; i < 5; ++i) {
        gbk += "\xC1\xF2\xBB\xAF";
    }
    EXPECT_EQ(mng.modifyResTypeByID("T1", 1, gbk), 1);
    ASSERT_EQ(mng.getBlockResult("T1", 1, &read), 1);
    EXPECT_EQ(std::string(read.Krig_ResType), gbk.substr(0, 19));

    // No number stands for NaN or infinity, and single precision keeps none
    // past 3.4e38 (FLT_MAX): refused, every row as it was.
    EXPECT_EQ(mng.modifyResultAttByID("T1", 1, std::nan(""), 1, 1), 0);
    EXPECT_EQ(mng.modifyResultAttByID("T1", 1, 1, 3.5e38, 1), 0);
    EXPECT_NE(mng.lastError().find("the update holds a volume, proportion or mass beyond single"),
              std::string::npos)
        << mng.lastError();
    EXPECT_EQ(mng.modifyResultAttByID("T1", 1, 1, 1, -1e300), 0);
    blocks[0].Ore_Propro = 3.4e38;  // below FLT_MAX, kept
    blocks[1].Block_OreMass = 3.5e38;
    EXPECT_EQ(mng.modifyResultAtts("T1", blocks, 2), 0);
    EXPECT_NE(mng.lastError().find("block 2 holds a volume, proportion or mass beyond single"),
              std::string::npos)
        << mng.lastError();
    blocks[1].Block_CorMass = -HUGE_VAL;
    EXPECT_EQ(mng.modifyResultAtts("T1", blocks, 2), 0);
    EXPECT_NE(mng.lastError().find("block 2 holds a value that is not a finite number"),
              std::string::npos)
        << mng.lastError();
    EXPECT_EQ(mng.modifyResType("T1", blocks, 2), 1);
    EXPECT_EQ(mng.lastError(), "") << "a success clears the failure before it";
    EXPECT_EQ(shell("SELECT Ore_Propro, Block_CorMass, Block_OreMass FROM T1"),
              "0.25|0.0|0.0\n0.0|0.0|2.0\n");
}

// A host that takes its user's locale writes decimal commas with printf; the
// numbers in the statements and the file must not change with it.
TEST_F(BlockTest, ADecimalCommaLocaleChangesNoStoredNumber) {
    int status = 0;
    shellOutput("localedef -i de_DE -f UTF-8 " + shellQuote(dir.file("de")) + " 2>&1", &status);
    ASSERT_EQ(status, 0) << "localedef cannot build a German locale";
    KrigBlockResult b = block(1, 0, 0, 0);
    ASSERT_EQ(mng.insertIntoBlockResult("T1", &b, 1), 1);
    KrigBlockParam p = run("Cu", "T1", "");
    p.Vrg_Nug = 0.125;
    KrigBlockVrgParam v{};
    v.MineID = 1;
    std::strcpy(v.Vrg_Type, "Spherical");
    v.Vrg_LocSill = 0.75;

    setenv("LOCPATH", dir.path().c_str(), 1);
    ASSERT_NE(setlocale(LC_ALL, "de"), nullptr);
    char written[16];
    std::snprintf(written, sizeof written, "%.1f", 0.5);
    EXPECT_STREQ(written, "0,5");
    std::vector<long> ids;
    const long added = mng.insertIntoBlockParam(&p, 1, ids);
    const long structured = mng.insertIntoBlockVrgParam(&v, 1);
    const long modified = mng.modifyResultAttByID("T1", 1, 0.5, 0.25, 1.5);
    setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");

    EXPECT_EQ(added, 1) << mng.lastError();
    EXPECT_EQ(structured, 1) << mng.lastError();
    EXPECT_EQ(modified, 1) << mng.lastError();
    EXPECT_EQ(shell("SELECT Vrg_Nug FROM KrigBlock_Param; SELECT Vrg_LocSill FROM "
                    "KrigBlock_Vrg_Param; SELECT Ore_Propro, Block_CorMass, Block_OreMass FROM T1"),
              "0.125\n0.75\n0.5|0.25|1.5\n");
}

// One position every twentieth of the blocks (every block when there are
// fewer than 40), rounded half up.
TEST_F(BlockTest, ArrayUpdatesReportTheirProgress) {
    std::vector<KrigBlockResult> blocks;
    for (int i = 1; i <= 100; ++i) {
        blocks.push_back(block(i, 0, 0, 0));
    }
    const struct {
        decltype(&CVornelMng::modifyResType) update;
        long count;
        std::string positions;
    } cases[] = {
        {&CVornelMng::modifyResultAtts, 100,
         " 0 5 10 15 20 25 30 35 40 45 50 55 60 65 70 75 80 85 90 95"},
        {&CVornelMng::modifyResType, 30,
         " 0 3 7 10 13 17 20 23 27 30 33 37 40 43 47 50 53 57 60 63 67 70 73 77 80 83 87 90 93 97"},
        {&CVornelMng::modifyResultAtts, 45,
         " 0 4 9 13 18 22 27 31 36 40 44 49 53 58 62 67 71 76 80 84 89 93 98"},
        {&CVornelMng::modifyResultAtts, 0, ""},
    };
    for (const auto& c : cases) {
        Progress progress;
        ASSERT_EQ((mng.*c.update)("T1", blocks.data(), c.count), 1);
        EXPECT_EQ(progress.log, "[正在更新数据库中数据... / 处理进度]" + c.positions + " end");
    }
    Progress progress;
    EXPECT_EQ(mng.modifyResultAtts("", blocks.data(), 5), 0);
    EXPECT_EQ(progress.log, "");  // refused before any window opens

    // A sink may call the library back, and set another sink. Were it to
    // wait for itself, the alarm would end the test.
    long inner = -1;
    vornel::setProgressSink({nullptr, nullptr, [&] {
                                 vornel::setProgressSink({});
                                 inner = mng.modifyResType("T1", blocks.data(), 1);
                             }});
    alarm(30);
    EXPECT_EQ(mng.modifyResultAtts("T1", blocks.data(), 3), 1);
    alarm(0);
    EXPECT_EQ(inner, 1);

    // A window whose Cancel closes the database, or that opens another or the
    // same anew (which ends a host's transaction), ends the update there: the
    // blocks before keep their new values, and nothing is written to the
    // other database.
    ASSERT_EQ(mng.insertIntoBlockResult("T1", blocks.data(), 4), 1);
    const std::string other = dir.file("other.mdb");
    CVornelMng second;
    ASSERT_EQ(second.createDatabase(other), 1);
    ASSERT_EQ(second.initDataBase(), 1);
    ASSERT_EQ(second.createBlockResultTbl("T1"), 1);
    ASSERT_EQ(second.insertIntoBlockResult("T1", blocks.data(), 4), 1);
    second.clearDatabase();
    for (KrigBlockResult& b : blocks) {
        std::snprintf(b.Krig_ResType, sizeof b.Krig_ResType, "new");
    }
    const std::function<void()> leaves[] = {[&] { mng.clearDatabase(); },
                                            [&] { ASSERT_EQ(mng.connectDatabase(other), 1); },
                                            [&] { ASSERT_EQ(mng.connectDatabase(path), 1); }};
    for (const auto& leave : leaves) {
        vornel::setProgressSink({nullptr,
                                 [&](long percent) {
                                     if (percent == 50) {
                                         leave();
                                     }
                                 },
                                 nullptr});
        EXPECT_EQ(mng.modifyResType("T1", blocks.data(), 4), 0);
        vornel::setProgressSink({});
        EXPECT_EQ(mng.lastError(),
                  "the database was closed or opened anew while its blocks were updated; the "
                  "blocks before block 3 keep their new values unless a transaction of the "
                  "host's was open, which the closing rolled back");
        EXPECT_EQ(sqliteShell(path, "SELECT Krig_BlockID, Krig_ResType FROM T1"),
                  "1|new\n2|new\n3|\n4|\n");
        EXPECT_EQ(sqliteShell(other, "SELECT Krig_BlockID, Krig_ResType FROM T1"),
                  "1|\n2|\n3|\n4|\n");
        EXPECT_EQ(sqliteShell(path, "UPDATE T1 SET Krig_ResType = ''"), "");
        ASSERT_EQ(mng.connectDatabase(path), 1);
    }
    // Closed as the window opens: nothing was updated.
    vornel::setProgressSink(
        {[&](const std::string&, const std::string&) { mng.clearDatabase(); }, nullptr, nullptr});
    EXPECT_EQ(mng.modifyResType("T1", blocks.data(), 4), 0);
    vornel::setProgressSink({});
    EXPECT_EQ(mng.lastError(),
              "the database was closed or opened anew while its blocks were updated; no block "
              "was updated");
    EXPECT_EQ(sqliteShell(path, "SELECT group_concat(Krig_ResType, '') FROM T1"), "\n");
    ASSERT_EQ(mng.connectDatabase(path), 1);
    // A write that fails, here for another connection's lock, tells why
    // before the window ends, which may close the database.
    CVornelMng holder = lockedByAnother(4);
    // A call the window's end makes, which succeeds, keeps it.
    vornel::setProgressSink({nullptr, nullptr, [&] {
                                 int exists = 0;
                                 mng.isExistTbl("T1", exists);
                                 mng.clearDatabase();
                             }});
    EXPECT_EQ(mng.modifyResType("T1", blocks.data(), 4), 0);
    vornel::setProgressSink({});
    EXPECT_TRUE(contains(mng.lastError(), "the database could not be written: "))
        << mng.lastError();
    EXPECT_EQ(holder.endTransact(Rollback), 1);
}

// A hook that throws stops nothing, and what it throws does not reach the
// host through the call that raised it.
TEST_F(BlockTest, HooksThatThrowStopNothing) {
    std::vector<KrigBlockResult> blocks;
    for (int i = 1; i <= 20; ++i) {
        blocks.push_back(block(i, 0, 0, 0));
        blocks.back().Ore_Propro = 0.5;
    }
    ASSERT_EQ(mng.insertIntoBlockResult("T1", blocks.data(), 20), 1);
    int ends = 0;
    vornel::setProgressSink({[](const std::string&, const std::string&) { throw 1; },
                             [](long) { throw std::runtime_error("cancel"); }, [&] { ++ends; }});
    EXPECT_EQ(mng.modifyResultAtts("T1", blocks.data(), 20), 1);
    vornel::setProgressSink({});
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(shell("SELECT count(*) FROM T1 WHERE Ore_Propro = 0.5"), "20\n");

    vornel::setNoticeHandler(
        [](const std::string&, const std::string&) { throw std::runtime_error("no"); });
    EXPECT_EQ(mng.createDatabase(path), 0);
    vornel::setNoticeHandler({});
    EXPECT_TRUE(contains(mng.lastError(), "already exists")) << mng.lastError();
    ASSERT_EQ(mng.connectDatabase(path), 1);

    // A failing statement writes a trace line in a debug build.
    vornel::setTraceSink([](const std::string&) { throw std::runtime_error("no"); });
    EXPECT_EQ(mng.deleteBlockNotTbl("Nowhere"), 1) << mng.lastError();
    vornel::setTraceSink(nullptr);
    EXPECT_EQ(mng.getBlockResult("T1", 20, &blocks[0]), 1);
}
