// Every public operation called with arguments a careless or hostile host
// could hand it: names that are empty, 100,000 characters long, quoted, or
// holding ']', NUL or a second statement; conditions with trailing
// statements; null records; counts of 0, -1 and huge; MineIDs and block
// identifiers of 0, -1 and the 32-bit limits. Each call returns a status
// (0 with a reason) and changes no table it was not asked to create.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <set>
#include <vector>

#include "reliability/Calls.h"
#include "reliability/RawDb.h"
#include "reliability/Workload.h"
#include "support/TempDir.h"
#include "vornel/VornelMng.h"

namespace vornel::test {
namespace {

const std::string kNul("T1\0x", 4);

std::vector<std::string> hostileNames() {
    return {"",
            std::string(100000, 'n'),
            "O'Brien",
            "\"quoted\"",
            "x]y",
            "[T1]",
            kNul,
            std::string("\0", 1),
            "T1; DROP TABLE KrigBlock_Param",
            "T1]; DROP TABLE [KrigBlock_Param",
            "'); DROP TABLE T1; --",
            "T1 --",
            "表 ünï"};
}

std::vector<std::string> hostileConditions() {
    return {"",
            "1=1; DROP TABLE KrigBlock_Param",
            "1=1; DROP TABLE T1 --",
            "1=1 --",
            "Krig_BlockID = 1) OR (1=1",
            std::string("1=1\0; DROP TABLE T1", 19),
            "Krig_OreType = 'x''",
            std::string(100000, '('),
            "1=1" + std::string(100000, ' ') + "; DELETE FROM T1"};
}

std::vector<long> hostileNumbers() {
    return {0,
            -1,
            INT32_MAX,
            INT32_MIN,
            static_cast<long>(INT32_MAX) + 1,
            static_cast<long>(INT32_MIN) - 1,
            LONG_MAX,
            LONG_MIN};
}

// Missing records and counts that are 0, negative or huge.
std::vector<Call> callsCounting(long count) {
    static KrigBlockParam params[1];
    static KrigBlockVrgParam structures[1];
    static KrigBlockResult blocks[1];
    static KrigBlockVoid voids[1];
    const long small = count > 0 ? 0 : count;  // real records, never more than there are
    return {
        {"insertIntoBlockParam(null)",
         [count](CVornelMng& m) {
             std::vector<long> ids;
             return m.insertIntoBlockParam(nullptr, count, ids);
         }},
        {"insertIntoBlockParam",
         [small](CVornelMng& m) {
             std::vector<long> ids;
             return m.insertIntoBlockParam(params, small, ids);
         }},
        {"insertIntoBlockVrgParam(null)",
         [count](CVornelMng& m) { return m.insertIntoBlockVrgParam(nullptr, count); }},
        {"insertIntoBlockVrgParam",
         [small](CVornelMng& m) { return m.insertIntoBlockVrgParam(structures, small); }},
        {"insertIntoBlockResult(null)",
         [count](CVornelMng& m) { return m.insertIntoBlockResult(kBlockTable, nullptr, count); }},
        {"insertIntoBlockResult",
         [small](CVornelMng& m) { return m.insertIntoBlockResult(kBlockTable, blocks, small); }},
        {"insertIntoBlockVoid(null)",
         [count](CVornelMng& m) { return m.insertIntoBlockVoid(kVoidTable, nullptr, count); }},
        {"insertIntoBlockVoid",
         [small](CVornelMng& m) { return m.insertIntoBlockVoid(kVoidTable, voids, small); }},
        {"modifyResultAtts(null)",
         [count](CVornelMng& m) { return m.modifyResultAtts(kBlockTable, nullptr, count); }},
        {"modifyResultAtts",
         [small](CVornelMng& m) { return m.modifyResultAtts(kBlockTable, blocks, small); }},
        {"modifyResType(null)",
         [count](CVornelMng& m) { return m.modifyResType(kBlockTable, nullptr, count); }},
        {"modifyResType",
         [small](CVornelMng& m) { return m.modifyResType(kBlockTable, blocks, small); }},
    };
}

// Every list fetch and one-row read with nowhere to put its answer.
std::vector<Call> callsWithoutOutputs() {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    return {
        {"getBlockParam(MineID, null)",
         [](CVornelMng& m) { return m.getBlockParam(1, nullptr, nullptr); }},
        {"getBlockParam(table, null)",
         [](CVornelMng& m) { return m.getBlockParam(kBlockTable, nullptr, nullptr); }},
        {"getBlockVrgParam(null)",
         [](CVornelMng& m) { return m.getBlockVrgParam(1, nullptr, nullptr); }},
        {"getBlockResult(all, null)",
         [](CVornelMng& m) { return m.getBlockResult(kBlockTable, nullptr, nullptr); }},
        {"getBlockResult(one, null)",
         [](CVornelMng& m) {
             return m.getBlockResult(kBlockTable, blockId(kSmallBatch, 0), nullptr);
         }},
        {"getBlockVoid(all, null)",
         [](CVornelMng& m) { return m.getBlockVoid(kVoidTable, nullptr, nullptr); }},
        {"getBlockVoid(one, null)",
         [](CVornelMng& m) { return m.getBlockVoid(kVoidTable, 1, nullptr); }},
        {"getBlockResultByWhereSQL(null)",
         [](CVornelMng& m) {
             return m.getBlockResultByWhereSQL(kBlockTable, "1=1", nullptr, nullptr);
         }},
        {"getBlockResultAttr(null)",
         [](CVornelMng& m) { return m.getBlockResultAttr(kBlockTable, nullptr, nullptr); }},
        {"getCutBlockResult(null corners)",
         [](CVornelMng& m) {
             KrigBlockResult* b = nullptr;
             long c = 0;
             return m.getCutBlockResult(kBlockTable, nullptr, &b, &c);
         }},
        {"getCutBlockResult(null out)",
         [](CVornelMng& m) {
             D_3DOT corners[4] = {};
             return m.getCutBlockResult(kBlockTable, corners, nullptr, nullptr);
         }},
        {"getCutBlockResult(NaN and infinite corners)",
         [nan, inf](CVornelMng& m) {
             D_3DOT corners[4] = {{nan, 0, 0}, {inf, -inf, 0}, {1e308, -1e308, nan}, {0, 0, 0}};
             KrigBlockResult* b = nullptr;
             long c = 0;
             return m.getCutBlockResult(kBlockTable, corners, &b, &c);
         }},
    };
}

class HostileArgumentsTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.file("model.mdb");
        ASSERT_EQ(writeModelFile(mng, path, kSmallBatch), "");
        before = snapshotOf(path);
    }

    // Runs each call: only the table it names may change.
    void expectHarmless(const std::vector<Call>& calls, const std::string& about,
                        const std::string& named = {}) {
        for (const Call& call : calls) {
            SCOPED_TRACE(call.what + " with " + about);
            const long status = call.run(mng);
            EXPECT_GE(status, 0);
            if (status == 0) {
                EXPECT_FALSE(mng.lastError().empty());
            }
            const Snapshot after = snapshotOf(path);
            EXPECT_EQ(changedTables(before, after, named), "");
            before = after;
            ++calls_;
        }
    }

    TempDir dir;
    std::string path;
    CVornelMng mng;
    Snapshot before;
    int calls_ = 0;
};

std::string describe(const std::string& text) {
    std::string shown;
    for (char c : text.substr(0, 40)) {
        shown += c == '\0' ? std::string("\\0") : std::string(1, c);
    }
    return "'" + shown +
           (text.size() > 40 ? "...' (" + std::to_string(text.size()) + " chars)" : "'");
}

TEST_F(HostileArgumentsTest, NamesConditionsNumbersAndCountsChangeNothingUnasked) {
    Batch batch(kSmallBatch);
    for (const std::string& name : hostileNames()) {
        expectHarmless(callsNaming(name, batch), "name " + describe(name), name);
    }
    for (const std::string& condition : hostileConditions()) {
        KrigBlockResult* blocks = nullptr;
        long count = 0;
        expectHarmless({{"getBlockResultByWhereSQL",
                         [&](CVornelMng& m) {
                             return m.getBlockResultByWhereSQL(kBlockTable, condition, &blocks,
                                                               &count);
                         }}},
                       "condition " + describe(condition));
    }
    for (long id : hostileNumbers()) {
        expectHarmless(callsNumbering(id), "number " + std::to_string(id));
    }
    for (long count : {0L, -1L, static_cast<long>(INT32_MAX), LONG_MAX, LONG_MIN}) {
        expectHarmless(callsCounting(count), "count " + std::to_string(count));
    }
    expectHarmless(callsWithoutOutputs(), "no outputs");
    RecordProperty("calls", calls_);
    std::cout << calls_ << " hostile calls\n";
}

TEST_F(HostileArgumentsTest, NamesNoTableCanHaveAreRefusedByEveryBlockTableOperation) {
    // Lookups that only compare a name with stored text, and updates of a
    // result type, take any text; deleting rows by MineID from an unnamed
    // table only warns, as it always has.
    const std::set<std::string> comparesText = {
        "getBlockParam(table)",          "deleteBlockParam(table)",
        "modifyKrigParamOreClasByID",    "modifyKrigParamAttrUnitByID",
        "deleteBlockVrgParam(table)",    "getBlockElementByVoid",
        "getTblNameByElementAndVoidTbl", "getBlockElementAndVoidTblByTblName",
        "modifyResTypeByID(type)"};
    Batch batch(kSmallBatch);
    for (const std::string& name : {std::string(), std::string("x]y"), kNul}) {
        for (const Call& call : callsNaming(name, batch)) {
            if (comparesText.count(call.what) != 0 ||
                (name.empty() && call.what == "deleteBlockByID")) {
                continue;
            }
            SCOPED_TRACE(call.what + " with " + describe(name));
            EXPECT_EQ(call.run(mng), 0);
            EXPECT_FALSE(mng.lastError().empty());
        }
    }
}

// Cut at its NUL, "T1\0x" would read as "T1": the runs of T1 must survive
// a request about another name.
TEST_F(HostileArgumentsTest, ATextHoldingANulNeverReachesTheNameBeforeIt) {
    EXPECT_EQ(mng.deleteBlockParam(kNul), 0);
    EXPECT_EQ(mng.deleteBlockVrgParam(kNul), 0);
    EXPECT_EQ(mng.modifyKrigParamOreClasByID(kNul, 9), 0);
    EXPECT_EQ(mng.modifyResTypeByID(kBlockTable, blockId(kSmallBatch, 0), kNul), 0);
    EXPECT_NE(mng.lastError().find("NUL"), std::string::npos) << mng.lastError();
    KrigBlockParam* runs = nullptr;
    long count = 0;
    ASSERT_EQ(mng.getBlockParam(kBlockTable, &runs, &count), 1);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(runs[0].OreClas_Num, 0);
    KrigBlockVrgParam* structures = nullptr;
    EXPECT_EQ(mng.getBlockVrgParam(1, &structures, &count), 1);
    EXPECT_EQ(count, 2);
}

// A path is handed to the file system as it is: one holding a NUL would
// name another file than the host meant.
TEST_F(HostileArgumentsTest, PathsThatNameNoFileAreRefusedAndTouchNothing) {
    const std::string folder = dir.path() + "/";
    std::vector<std::string> paths = {"",
                                      folder,
                                      folder + std::string(100000, 'p') + ".mdb",
                                      folder + "model.mdb" + std::string("\0.x", 3),
                                      folder + "new" + std::string("\0.mdb", 5),
                                      folder + "nowhere/model.mdb",
                                      "/dev/null"};
    for (const std::string& p : paths) {
        for (auto open : {&CVornelMng::createDatabase, &CVornelMng::connectDatabase,
                          &CVornelMng::compactDatabase}) {
            SCOPED_TRACE("path " + describe(p));
            CVornelMng other;
            if (p.find('\0') != std::string::npos) {
                EXPECT_EQ((other.*open)(p), 0);
            } else {
                (other.*open)(p);
            }
            EXPECT_FALSE(fileExists(folder + "new"));
        }
    }
    mng.clearDatabase();
    EXPECT_EQ(changedTables(before, snapshotOf(path)), "");
}

}  // namespace
}  // namespace vornel::test
