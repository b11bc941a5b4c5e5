// Every public operation called with arguments a careless or hostile host
// could hand it: names that are empty, 100,000 characters long, quoted, or
// holding ']', NUL or a second statement; conditions with trailing
// statements; null records; counts of 0, -1 and huge; MineIDs and block
// identifiers of 0, -1 and the 32-bit limits. Each call returns a status
// (0 with a reason) and changes no table it was not asked to create.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cmath>
#include <filesystem>
#include <optional>
#include <set>
#include <vector>

#include "reliability/Harness.h"

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

// Missing records and counts that are 0, negative or huge.
std::vector<Call> callsCounting(long count) {
    static KrigBlockParam params[1];
    static KrigBlockVrgParam structures[1];
    static KrigBlockResult blocks[1];
    static KrigBlockVoid voids[1];
    const long n = count > 0 ? 0 : count;  // real records, never more than there are
    return {
        CALL_ROW("insertIntoBlockParam(null)", m.insertIntoBlockParam(nullptr, count, o.ids)),
        CALL_ROW("insertIntoBlockParam", m.insertIntoBlockParam(params, n, o.ids)),
        CALL_ROW("insertIntoBlockVrgParam(null)", m.insertIntoBlockVrgParam(nullptr, count)),
        CALL_ROW("insertIntoBlockVrgParam", m.insertIntoBlockVrgParam(structures, n)),
        CALL_ROW("insertIntoBlockResult(null)",
                 m.insertIntoBlockResult(kBlockTable, nullptr, count)),
        CALL_ROW("insertIntoBlockResult", m.insertIntoBlockResult(kBlockTable, blocks, n)),
        CALL_ROW("insertIntoBlockVoid(null)", m.insertIntoBlockVoid(kVoidTable, nullptr, count)),
        CALL_ROW("insertIntoBlockVoid", m.insertIntoBlockVoid(kVoidTable, voids, n)),
        CALL_ROW("modifyResultAtts(null)", m.modifyResultAtts(kBlockTable, nullptr, count)),
        CALL_ROW("modifyResultAtts", m.modifyResultAtts(kBlockTable, blocks, n)),
        CALL_ROW("modifyResType(null)", m.modifyResType(kBlockTable, nullptr, count)),
        CALL_ROW("modifyResType", m.modifyResType(kBlockTable, blocks, n)),
    };
}

// Every list fetch and one-row read with nowhere to put its answer.
std::vector<Call> callsWithoutOutputs() {
    const double nan = std::nan(""), inf = HUGE_VAL;
    static D_3DOT zero[4] = {};
    static D_3DOT wild[4] = {{nan, 0, 0}, {inf, -inf, 0}, {1e308, -1e308, nan}, {0, nan, 0}};
    const long one = blockId(kSmallBatch, 0);
    return {
        CALL_ROW("getBlockParam(MineID, no list)", m.getBlockParam(1, nullptr, &o.count)),
        CALL_ROW("getBlockParam(MineID, no count)", m.getBlockParam(1, &o.params, nullptr)),
        CALL_ROW("getBlockParam(table, no list)", m.getBlockParam(kBlockTable, nullptr, &o.count)),
        CALL_ROW("getBlockParam(table, no count)",
                 m.getBlockParam(kBlockTable, &o.params, nullptr)),
        CALL_ROW("getBlockVrgParam(no list)", m.getBlockVrgParam(1, nullptr, &o.count)),
        CALL_ROW("getBlockVrgParam(no count)", m.getBlockVrgParam(1, &o.structures, nullptr)),
        CALL_ROW("getBlockResult(all, no list)", m.getBlockResult(kBlockTable, nullptr, &o.count)),
        CALL_ROW("getBlockResult(all, no count)",
                 m.getBlockResult(kBlockTable, &o.blocks, nullptr)),
        CALL_ROW("getBlockResult(one, null)", m.getBlockResult(kBlockTable, one, nullptr)),
        CALL_ROW("getBlockVoid(all, no list)", m.getBlockVoid(kVoidTable, nullptr, &o.count)),
        CALL_ROW("getBlockVoid(all, no count)", m.getBlockVoid(kVoidTable, &o.voids, nullptr)),
        CALL_ROW("getBlockVoid(one, null)", m.getBlockVoid(kVoidTable, 1, nullptr)),
        CALL_ROW("getBlockResultByWhereSQL(no list)",
                 m.getBlockResultByWhereSQL(kBlockTable, "1=1", nullptr, &o.count)),
        CALL_ROW("getBlockResultByWhereSQL(no count)",
                 m.getBlockResultByWhereSQL(kBlockTable, "1=1", &o.blocks, nullptr)),
        CALL_ROW("getBlockResultAttr(no list)",
                 m.getBlockResultAttr(kBlockTable, nullptr, &o.count)),
        CALL_ROW("getBlockResultAttr(no count)",
                 m.getBlockResultAttr(kBlockTable, o.stats, nullptr)),
        CALL_ROW("getCutBlockResult(null corners)",
                 m.getCutBlockResult(kBlockTable, nullptr, &o.blocks, &o.count)),
        CALL_ROW("getCutBlockResult(no list)",
                 m.getCutBlockResult(kBlockTable, zero, nullptr, &o.count)),
        CALL_ROW("getCutBlockResult(no count)",
                 m.getCutBlockResult(kBlockTable, zero, &o.blocks, nullptr)),
        CALL_ROW("getCutBlockResult(NaN and infinite corners)",
                 m.getCutBlockResult(kBlockTable, wild, &o.blocks, &o.count)),
    };
}

// A name no table can have (empty, or holding ']' or a NUL) is refused by
// every operation that makes it a table's. Lookups that only compare a name
// with stored text, and updates of a result type, take any text but one
// holding a NUL (cut there, it would name another); deleting rows by MineID
// from an unnamed table only warns, as it always has.
bool refuses(const std::string& what, const std::string& name) {
    static const std::set<std::string> comparesText = {
        "getBlockParam(table)",          "deleteBlockParam(table)",
        "modifyKrigParamOreClasByID",    "modifyKrigParamAttrUnitByID",
        "deleteBlockVrgParam(table)",    "getBlockElementByVoid",
        "getTblNameByElementAndVoidTbl", "getBlockElementAndVoidTblByTblName",
        "modifyResTypeByID(type)"};
    const bool noTable = name.empty() || name.find(']') != std::string::npos;
    return name.find('\0') != std::string::npos || (noTable && comparesText.count(what) == 0 &&
                                                    !(name.empty() && what == "deleteBlockByID"));
}

std::string describe(const std::string& text) {
    std::string shown;
    for (char c : text.substr(0, 40)) {
        shown += c == '\0' ? std::string("\\0") : std::string(1, c);
    }
    return "'" + shown +
           (text.size() > 40 ? "...' (" + std::to_string(text.size()) + " chars)" : "'");
}

class HostileArgumentsTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.file("model.mdb");
        ASSERT_EQ(writeModelFile(mng, path, kSmallBatch), "");
        before = snapshotOf(path);
    }

    // Runs each call: only the table it names (if any) may change.
    void expectHarmless(const std::vector<Call>& calls, const std::string& about,
                        const std::optional<std::string>& named = std::nullopt) {
        for (const Call& call : calls) {
            SCOPED_TRACE(call.what + " with " + about);
            const long status = call.run(mng);
            EXPECT_GE(status, 0);
            EXPECT_TRUE(status != 0 || !mng.lastError().empty());
            if (named && refuses(call.what, *named)) {
                EXPECT_EQ(status, 0);
                EXPECT_TRUE(named->find('\0') == std::string::npos ||
                            contains(mng.lastError(), "NUL"))
                    << mng.lastError();
            }
            const Snapshot after = snapshotOf(path);
            EXPECT_EQ(changedTables(before, after, named.value_or("")), "");
            before = after;
        }
    }

    TempDir dir;
    std::string path;
    CVornelMng mng;
    Snapshot before;
};

TEST_F(HostileArgumentsTest, NamesConditionsNumbersAndCountsChangeNothingUnasked) {
    Batch batch(kSmallBatch);
    for (const std::string& name : hostileNames()) {
        expectHarmless(callsNaming(name, batch), "name " + describe(name), name);
    }
    for (const std::string& condition : hostileConditions()) {
        expectHarmless(
            {CALL_ROW("getBlockResultByWhereSQL",
                      m.getBlockResultByWhereSQL(kBlockTable, condition, &o.blocks, &o.count))},
            "condition " + describe(condition));
    }
    for (long id :
         {0L, -1L, static_cast<long>(INT32_MAX), static_cast<long>(INT32_MIN),
          static_cast<long>(INT32_MAX) + 1, static_cast<long>(INT32_MIN) - 1, LONG_MAX, LONG_MIN}) {
        expectHarmless(callsNumbering(id), "number " + std::to_string(id));
    }
    for (long count : {0L, 1L, -1L, static_cast<long>(INT32_MAX), LONG_MAX, LONG_MIN}) {
        expectHarmless(callsCounting(count), "count " + std::to_string(count));
    }
    expectHarmless(callsWithoutOutputs(), "no outputs");
    // Cut at its NUL, the type would be stored as "T1": asked of a block that is there.
    expectHarmless({CALL_ROW("modifyResTypeByID(a block there)",
                             m.modifyResTypeByID(kBlockTable, blockId(kSmallBatch, 0), kNul))},
                   "type " + describe(kNul), kNul);
}

// A path is handed to the file system as it is: one holding a NUL would
// name another file than the host meant. A folder named like a database
// file is there, and is no file.
TEST_F(HostileArgumentsTest, PathsThatNameNoFileAreRefusedAndTouchNothing) {
    const std::string folder = dir.path() + "/";
    ASSERT_TRUE(std::filesystem::create_directory(folder + "folder.mdb"));
    // A named pipe: a read of it would wait for a writer that never comes.
    ASSERT_EQ(::mkfifo((folder + "pipe.mdb").c_str(), 0600), 0);
    for (const std::string& p :
         {folder, folder + std::string(100000, 'p') + ".mdb",
          folder + "model.mdb" + std::string("\0.x", 3), folder + "new" + std::string("\0.mdb", 5),
          folder + "nowhere/model.mdb", folder + "folder.mdb", folder + "pipe.mdb"}) {
        for (auto open : {&CVornelMng::createDatabase, &CVornelMng::connectDatabase,
                          &CVornelMng::compactDatabase}) {
            SCOPED_TRACE("path " + describe(p));
            CVornelMng other;
            EXPECT_EQ((other.*open)(p), 0);
            EXPECT_FALSE(fileExists(folder + "new"));
        }
    }
}

}  // namespace
}  // namespace vornel::test
