// The engine as the wrappers see it: connections, static recordsets,
// nested transactions and the Jet behaviours the store relies on.
#include <gtest/gtest.h>

#include "engine/Engine.h"
#include "platform/ComError.h"
#include "support/TempDir.h"

using namespace vornel;
using namespace vornel::engine;
using vornel::test::TempDir;

namespace {

class Engine : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.file("model.db");
        createDatabaseFile(path);
        conn = createConnection();
        ASSERT_EQ(conn->open("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=" + path, -1), hr::kOk);
    }

    std::unique_ptr<Recordset> query(const std::string& sql) {
        auto rs = createRecordset();
        rs->open(sql, conn.get(), adOpenStatic, adLockOptimistic, adCmdText);
        return rs;
    }

    Variant value(Recordset& rs, long column) {
        Variant v;
        rs.fieldValue(column, v);
        return v;
    }

    long count(const std::string& table) {
        auto rs = query("SELECT COUNT(*) FROM " + table);
        return static_cast<long>(value(*rs, 0).integer);
    }

    TempDir dir;
    std::string path;
    std::unique_ptr<Connection> conn;
};

}  // namespace

TEST_F(Engine, OpeningAMissingFileFailsAndCreatesNothing) {
    auto other = createConnection();
    const std::string missing = dir.file("absent.db");
    try {
        other->open("Data Source=" + missing, -1);
        FAIL() << "opened a missing file";
    } catch (const ComError& e) {
        EXPECT_NE(e.description().find("Could not find file"), std::string::npos);
    }
    EXPECT_FALSE(vornel::test::fileExists(missing));
    EXPECT_EQ(other->state(), adStateClosed);
    ASSERT_EQ(other->errors().size(), 1u);
    EXPECT_NE(other->errors()[0].description.find(missing), std::string::npos);
}

TEST_F(Engine, StaticCursorCountsExactlyAndMarksEmptyResults) {
    conn->execute("create table T(A long, B Double)", adCmdText);
    auto empty = query("SELECT * FROM T");
    EXPECT_TRUE(empty->bof());
    EXPECT_TRUE(empty->eof());
    EXPECT_EQ(empty->recordCount(), 0);

    for (int i = 1; i <= 25; ++i) {
        conn->execute(
            "INSERT INTO T VALUES(" + std::to_string(i) + ", " + std::to_string(i * 0.5) + ")",
            adCmdText);
    }
    auto rs = query("SELECT * FROM T WHERE A > 5 ORDER BY A DESC");
    EXPECT_FALSE(rs->bof());
    EXPECT_EQ(rs->recordCount(), 20);
    long walked = 0;
    long expectedA = 25;
    while (!rs->eof()) {
        EXPECT_EQ(value(*rs, 0).integer, expectedA--);
        ++walked;
        rs->moveNext();
    }
    EXPECT_EQ(walked, 20);
    EXPECT_THROW(rs->moveNext(), ComError);
    rs->moveFirst();
    EXPECT_EQ(value(*rs, 0).integer, 25);
    rs->setAbsolutePosition(3);
    EXPECT_EQ(rs->absolutePosition(), 3);
    EXPECT_EQ(value(*rs, 0).integer, 23);
}

TEST_F(Engine, ValuesCarryTheTagsJetGave) {
    conn->execute("create table T(I int, D Double, S VarChar(20), Y yesno, P IMAGE)", adCmdText);
    conn->execute("INSERT INTO T VALUES(7, 2.5, 'abc', 5, x'0102')", adCmdText);
    conn->execute("INSERT INTO T VALUES(NULL, 3, NULL, 0, NULL)", adCmdText);
    auto rs = query("SELECT * FROM T");
    EXPECT_EQ(value(*rs, 0).vt, VT_I4);
    EXPECT_EQ(value(*rs, 1).vt, VT_R8);
    EXPECT_EQ(value(*rs, 2).vt, VT_BSTR);
    EXPECT_EQ(value(*rs, 3).vt, VT_BOOL);
    EXPECT_EQ(value(*rs, 3).integer, -1);  // any non-zero reads as yes
    EXPECT_EQ(value(*rs, 4).vt, VT_BYTES);
    EXPECT_EQ(rs->fieldAttributes(4) & adFldLong, adFldLong);
    EXPECT_EQ(rs->fieldAttributes(0) & adFldLong, 0);
    EXPECT_EQ(rs->fieldActualSize(4), 2);
    rs->moveNext();
    EXPECT_EQ(value(*rs, 0).vt, VT_NULL);
    EXPECT_EQ(value(*rs, 1).vt, VT_R8);  // stored as an integer, declared Double
    EXPECT_EQ(value(*rs, 1).real, 3.0);
    EXPECT_EQ(value(*rs, 3).integer, 0);
    EXPECT_EQ(rs->fieldActualSize(4), 0);

    auto aggregate = query("SELECT MAX(I), MAX(D), MAX(S), COUNT(*) FROM T");
    EXPECT_EQ(value(*aggregate, 0).vt, VT_I4);
    EXPECT_EQ(value(*aggregate, 1).vt, VT_R8);
    EXPECT_EQ(value(*aggregate, 2).vt, VT_BSTR);
    conn->execute("DELETE * FROM T", adCmdText);
    auto none = query("SELECT MAX(I) FROM T");
    EXPECT_FALSE(none->bof());
    EXPECT_EQ(none->recordCount(), 1);
    EXPECT_EQ(value(*none, 0).vt, VT_NULL);
}

TEST_F(Engine, TextComparesCaseBlindAndKeepsItsLength) {
    conn->execute("create table T(S VarChar(5))", adCmdText);
    conn->execute("INSERT INTO T VALUES('Abc')", adCmdText);
    EXPECT_EQ(query("SELECT * FROM T WHERE S = 'aBC'")->recordCount(), 1);
    EXPECT_EQ(query("SELECT * FROM T WHERE UCASE(S) = UCASE('abc')")->recordCount(), 1);
    EXPECT_THROW(conn->execute("INSERT INTO T VALUES('abcdef')", adCmdText), ComError);
    EXPECT_EQ(count("T"), 1);
}

TEST_F(Engine, IndexNamesDoNotCollideWithTables) {
    conn->execute("create table [T1](Krig_BlockID long)", adCmdText);
    conn->execute("create index T1ID on[T1](Krig_BlockID)", adCmdText);
    EXPECT_NO_THROW(conn->execute("create table [T1ID](Krig_BlockID long)", adCmdText));
    EXPECT_NO_THROW(conn->execute("create index T1IDID on[T1ID](Krig_BlockID)", adCmdText));
    EXPECT_THROW(conn->execute("DROP INDEX T1ID", adCmdText), ComError);
    EXPECT_NO_THROW(conn->execute("DROP TABLE [T1]", adCmdText));
    EXPECT_EQ(count("[T1ID]"), 0);
}

TEST_F(Engine, OneStatementPerCall) {
    conn->execute("create table T(A long)", adCmdText);
    EXPECT_THROW(conn->execute("INSERT INTO T VALUES(1); DROP TABLE T", adCmdText), ComError);
    EXPECT_THROW(query("SELECT * FROM T WHERE 1=1; DROP TABLE T"), ComError);
    EXPECT_EQ(count("T"), 0);  // the table is still there, and nothing ran
    EXPECT_NO_THROW(conn->execute("INSERT INTO T VALUES(1);  -- done", adCmdText));
    EXPECT_EQ(count("T"), 1);
    EXPECT_THROW(conn->execute("  ", adCmdText), ComError);
}

TEST_F(Engine, TransactionsNestAndTheOutermostDecides) {
    conn->execute("create table T(A long)", adCmdText);
    EXPECT_EQ(conn->beginTrans(), 1);
    conn->execute("INSERT INTO T VALUES(1)", adCmdText);
    EXPECT_EQ(conn->beginTrans(), 2);
    conn->execute("INSERT INTO T VALUES(2)", adCmdText);
    EXPECT_EQ(conn->commitTrans(), hr::kOk);  // merged into the outer level
    EXPECT_EQ(conn->beginTrans(), 2);
    conn->execute("INSERT INTO T VALUES(3)", adCmdText);
    EXPECT_EQ(conn->rollbackTrans(), hr::kOk);  // only row 3 goes
    EXPECT_EQ(count("T"), 2);
    EXPECT_EQ(conn->rollbackTrans(), hr::kOk);  // the outer rollback undoes all
    EXPECT_EQ(count("T"), 0);
    EXPECT_THROW(conn->commitTrans(), ComError);
    EXPECT_THROW(conn->rollbackTrans(), ComError);

    EXPECT_EQ(conn->beginTrans(), 1);
    conn->execute("create table U(A long)", adCmdText);  // DDL obeys the transaction too
    conn->rollbackTrans();
    EXPECT_THROW(query("SELECT * FROM U"), ComError);
}

TEST_F(Engine, RowsAddedThroughTheRecordset) {
    conn->execute(
        "create table V(MineID long, Krig_BlockID AUTOINCREMENT(1,1), S VarChar(9), "
        "P IMAGE)",
        adCmdText);
    auto rs = query("SELECT * FROM V");
    const uint8_t bytes[250] = {1, 2, 3};
    rs->addNew();
    rs->setFieldValue(0, Variant::i4(4));
    rs->setFieldValue(1, Variant::i4(7));  // an explicit counter value is kept
    rs->setFieldValue(2, Variant::str("x"));
    rs->appendChunk(3, bytes, 100);
    rs->appendChunk(3, bytes + 100, 150);
    rs->update();
    // The added row is the current row.
    EXPECT_EQ(rs->fieldActualSize(3), 250);
    uint8_t back[250] = {};
    EXPECT_EQ(rs->getChunk(3, back, 100), 100u);
    EXPECT_EQ(rs->getChunk(3, back + 100, 200), 150u);
    EXPECT_EQ(rs->getChunk(3, back, 100), 0u);
    EXPECT_EQ(0, memcmp(bytes, back, sizeof bytes));

    rs->addNew();
    rs->setFieldValue(0, Variant::i4(4));
    rs->update();  // no counter value: the next one after the largest
    rs->addNew();
    rs->cancelUpdate();
    EXPECT_THROW(rs->setFieldValue(0, Variant::i4(1)), ComError);
    EXPECT_THROW(rs->appendChunk(0, bytes, 1), ComError);

    auto check = query("SELECT Krig_BlockID, length(P) FROM V ORDER BY Krig_BlockID");
    ASSERT_EQ(check->recordCount(), 2);
    EXPECT_EQ(value(*check, 0).integer, 7);
    EXPECT_EQ(value(*check, 1).integer, 250);
    check->moveNext();
    EXPECT_EQ(value(*check, 0).integer, 8);
    EXPECT_EQ(value(*check, 1).vt, VT_NULL);
}

TEST_F(Engine, ClosedObjectsRefuse) {
    auto rs = createRecordset();
    EXPECT_EQ(rs->state(), adStateClosed);
    EXPECT_THROW(rs->bof(), ComError);
    EXPECT_THROW(rs->recordCount(), ComError);
    EXPECT_THROW(rs->fieldCount(), ComError);
    conn->close();
    EXPECT_EQ(conn->state(), adStateClosed);
    EXPECT_THROW(conn->execute("SELECT 1", adCmdText), ComError);
    EXPECT_THROW(conn->beginTrans(), ComError);
    EXPECT_THROW(rs->open("SELECT 1", conn.get(), adOpenStatic, adLockOptimistic, adCmdText),
                 ComError);
}

TEST_F(Engine, ARecordsetOutlivesTheConnectionThatOpenedIt) {
    conn->execute("create table T(A long)", adCmdText);
    conn->execute("INSERT INTO T VALUES(42)", adCmdText);
    auto rs = query("SELECT * FROM T");
    conn.reset();
    EXPECT_EQ(value(*rs, 0).integer, 42);
    rs->close();
}
