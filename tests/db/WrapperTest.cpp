// The connection and recordset wrappers: their results and failure values,
// on a real database and on engine objects that answer as a test says.
#include <gtest/gtest.h>

#include <stdexcept>

#include "db/Ado.h"
#include "db/MockEngine.h"
#include "db/TestDatabase.h"
#include "support/Shell.h"
#include "support/TraceCapture.h"
#include "vornel/Hooks.h"

using namespace vornel;
using namespace vornel::test;
using ::testing::Assign;
using ::testing::DoAll;
using ::testing::InSequence;
using ::testing::NiceMock;
using ::testing::Return;
using ::testing::ReturnPointee;
using ::testing::StrictMock;
using ::testing::Throw;

TEST(Wrappers, NeverCreatedObjectsGiveTheirFailureValues) {
    CDbConnection connection(nullptr);
    EXPECT_EQ(connection.Open("Data Source=x", -1), 0);
    EXPECT_FALSE(connection.Execute("SELECT 1", kText));
    connection.Close();

    CDbRecordset rs(&connection, nullptr);
    EXPECT_EQ(rs.Open("SELECT 1", kText, kStatic, kOptimistic), 0);
    EXPECT_EQ(rs.IsOpen(), 0);
    EXPECT_EQ(rs.GetState(), -1);
    EXPECT_EQ(rs.AddNew(), 0);
    EXPECT_EQ(rs.Update(), 0);
    EXPECT_EQ(rs.CancelUpdate(), 0);
    EXPECT_EQ(rs.GetEditMode(), 0);
    EXPECT_EQ(rs.MoveFirst(), 0);
    EXPECT_EQ(rs.MoveNext(), 0);
    EXPECT_EQ(rs.GetFieldsCount(), -1);
    EXPECT_EQ(rs.SetAbsolutePosition(1), 0);
    EXPECT_EQ(rs.GetFieldAttributes(0), -1);
    EXPECT_FALSE(rs.GetField(0));
    double d = 5.0;
    std::string s = "kept";
    EXPECT_EQ(rs.GetCollect(0, d), 0);
    EXPECT_EQ(d, 0.0);
    EXPECT_EQ(rs.GetCollect(0, s), 0);
    EXPECT_EQ(s, "kept");
    EXPECT_EQ(rs.PutCollect(0, 1), 0);
    rs.Close();
}

TEST(Wrappers, ReleasedAndClosedObjectsRefuse) {
    Database db;
    CDbRecordset rs(&db.connection);
    EXPECT_EQ(rs.GetState(), engine::adStateClosed);
    EXPECT_EQ(rs.GetRecordCount(), -1);
    EXPECT_EQ(rs.GetAbsolutePosition(), -1);
    EXPECT_EQ(rs.IsEOF(), 0);
    EXPECT_EQ(rs.IsBOF(), 0);
    long n = 9;
    EXPECT_EQ(rs.GetCollect(0, n), 0);
    EXPECT_EQ(n, 0);

    ASSERT_EQ(rs.Open("SELECT 1 AS one", kText, kStatic, kOptimistic), 1);
    EXPECT_EQ(rs.GetFieldAttributes(1), -1);  // past the last column
    EXPECT_EQ(rs.AddNew(), 0);                // a computed column is no table's
    EXPECT_EQ(db.connection.LastFailure(),
              "rows cannot be added here: the columns do not all come from one table");
    EXPECT_EQ(rs.GetCollect(0, n), 1);
    EXPECT_EQ(n, 1);
    rs.Close();
    EXPECT_EQ(rs.IsOpen(), 0);
    EXPECT_EQ(rs.AddNew(), 0);
    EXPECT_EQ(db.connection.LastFailure(), "Operation is not allowed when the object is closed.");
    EXPECT_EQ(rs.Update(), 0);
    CDbRecordset orphan(nullptr);
    EXPECT_EQ(orphan.Open("SELECT 1", kText, kStatic, kOptimistic), 0);
    CDbRecordset hollow(&db.connection, nullptr);
    EXPECT_EQ(hollow.Open("SELECT 1", kText, kStatic, kOptimistic), 0);

    db.connection.Close();
    EXPECT_EQ(db.connection.IsOpen(), 0);
    EXPECT_EQ(rs.Open("SELECT 1", kText, kStatic, kOptimistic), 0);
    ASSERT_EQ(db.connection.OpenJetDatabase(db.path, "", -1), 1);
    ASSERT_EQ(rs.Open("SELECT 42", kText, kStatic, kOptimistic), 1);
    db.connection.Release();
    EXPECT_EQ(rs.GetCollect(0, n), 1);  // an open recordset outlives its connection
    EXPECT_EQ(n, 42);
    ASSERT_TRUE(fileExists(db.path + "-wal"));
    rs.Close();
    EXPECT_FALSE(fileExists(db.path + "-wal"));  // the last holder of the file let it go
    EXPECT_EQ(db.connection.IsOpen(), 0);
    EXPECT_EQ(db.connection.GetConnection(), nullptr);
    EXPECT_EQ(db.connection.BeginTrans(), -1);
    EXPECT_EQ(db.connection.CommitTrans(), 0);
    EXPECT_EQ(db.connection.RollbackTrans(), 0);
    EXPECT_EQ(db.connection.GetLastError(), "");
    EXPECT_EQ(rs.Open("SELECT 1", kText, kStatic, kOptimistic), 0);
}

// A whole-number column keeps what Jet's would: a fraction, or a counter
// past 32 bits, given or counted on, is refused.
TEST(Wrappers, WholeNumberColumnsKeepWholeNumbersOnly) {
    Database db("create table T(A long, N AUTOINCREMENT(1,1))");
    CDbRecordset rs(&db.connection);
    ASSERT_EQ(rs.Open("SELECT * FROM T", kText, kStatic, kOptimistic), 1);
    ASSERT_EQ(rs.AddNew(), 1);
    EXPECT_EQ(rs.PutCollect(0, 2.0), 1);
    ASSERT_EQ(rs.Update(), 1);
    ASSERT_EQ(rs.AddNew(), 1);
    EXPECT_EQ(rs.PutCollect(0, 2.5), 1);
    EXPECT_EQ(rs.Update(), 0);
    EXPECT_EQ(rs.CancelUpdate(), 1);
    ASSERT_EQ(rs.AddNew(), 1);
    EXPECT_EQ(rs.PutCollect(1, 2147483647), 1);
    ASSERT_EQ(rs.Update(), 1);
    ASSERT_EQ(rs.AddNew(), 1);
    EXPECT_EQ(rs.Update(), 0);  // the next counter would be 2147483648
    EXPECT_EQ(rs.CancelUpdate(), 1);
    EXPECT_FALSE(db.connection.Execute("INSERT INTO T VALUES (1, 3000000000)", kText));
    EXPECT_FALSE(db.connection.Execute("UPDATE T SET A = 0.5", kText));
    ASSERT_EQ(
        rs.Open("SELECT group_concat(A), group_concat(N) FROM T", kText, kStatic, kOptimistic), 1);
    std::string text;
    EXPECT_EQ(rs.GetCollect(0, text), 1);
    EXPECT_EQ(text, "2");
    EXPECT_EQ(rs.GetCollect(1, text), 1);
    EXPECT_EQ(text, "1,2147483647");
}

TEST(Wrappers, RecordsetsWalkCountPositionAndAddRows) {
    Database db("create table T(A long, N AUTOINCREMENT(1,1))");
    CDbRecordset rs(&db.connection);
    ASSERT_EQ(rs.Open("SELECT * FROM T", kText, kStatic, kOptimistic), 1);
    EXPECT_EQ(rs.IsBOF(), -1);  // true as the engine says it
    EXPECT_EQ(rs.IsEOF(), -1);
    EXPECT_EQ(rs.GetRecordCount(), 0);
    for (int a = 1; a <= 25; ++a) {
        ASSERT_EQ(rs.AddNew(), 1);
        EXPECT_EQ(rs.PutCollect(0, a), 1);
        if (a == 1) {
            EXPECT_EQ(rs.PutCollect(1, 7), 1);  // a counter given is kept, the next ones follow
            long shown = 0;
            EXPECT_EQ(rs.GetCollect(1, shown), 1);  // the row begun shows what it was given
            EXPECT_EQ(shown, 7);
        }
        ASSERT_EQ(rs.Update(), 1);
    }
    // Back at the start, the first row shows, not the one added last.
    EXPECT_EQ(rs.MoveFirst(), 1);
    long first = 0;
    EXPECT_EQ(rs.GetCollect(0, first), 1);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(rs.PutCollect(0, 1), 0);  // no row begun
    ASSERT_EQ(rs.AddNew(), 1);
    EXPECT_EQ(rs.CancelUpdate(), 1);
    // Moving on saves the row begun, as Update would.
    ASSERT_EQ(rs.AddNew(), 1);
    EXPECT_EQ(rs.PutCollect(0, 0), 1);
    EXPECT_EQ(rs.MoveNext(), 1);
    EXPECT_EQ(rs.GetEditMode(), 0);
    ASSERT_EQ(rs.Open("SELECT COUNT(*) FROM T WHERE A = 0", kText, kStatic, kOptimistic), 1);
    long saved = 0;
    EXPECT_EQ(rs.GetCollect(0, saved), 1);
    EXPECT_EQ(saved, 1);
    EXPECT_TRUE(db.connection.Execute("DELETE FROM T WHERE A = 0", kText));
    // A row of two tables is no one table's row.
    EXPECT_TRUE(db.connection.Execute("create table U(B long)", kText));
    ASSERT_EQ(rs.Open("SELECT T.A, U.B FROM T, U", kText, kStatic, kOptimistic), 1);
    EXPECT_EQ(rs.AddNew(), 0);
    EXPECT_EQ(db.connection.LastFailure(),
              "rows cannot be added here: the columns do not all come from one table");

    ASSERT_EQ(
        rs.Open("SELECT A, N FROM T WHERE A > 5 ORDER BY A DESC", kText, kStatic, kOptimistic), 1);
    EXPECT_EQ(rs.IsBOF(), 0);
    EXPECT_EQ(rs.GetRecordCount(), 20);
    long a = 0, counter = 0, walked = 0;
    for (; rs.IsEOF() == 0; rs.MoveNext(), ++walked) {
        EXPECT_EQ(rs.GetCollect(0, a), 1);
        EXPECT_EQ(rs.GetCollect(1, counter), 1);
        EXPECT_EQ(a, 25 - walked);
        EXPECT_EQ(counter, a + 6);
    }
    EXPECT_EQ(walked, 20);
    EXPECT_EQ(rs.MoveNext(), 0);  // past the end
    EXPECT_EQ(rs.GetCollect(0, a), 0);
    EXPECT_EQ(db.connection.LastFailure(),
              "Either BOF or EOF is True, or the current record has been deleted. Requested "
              "operation requires a current record.");
    // The limit that follows an order counts, in a text closed by a semicolon too.
    ASSERT_EQ(rs.Open("SELECT A FROM T ORDER BY A DESC LIMIT 3 ;", kText, kStatic, kOptimistic), 1);
    EXPECT_EQ(rs.GetRecordCount(), 3);
    ASSERT_EQ(
        rs.Open("SELECT A, N FROM T WHERE A > 5 ORDER BY A DESC", kText, kStatic, kOptimistic), 1);
    EXPECT_EQ(rs.MoveFirst(), 1);
    EXPECT_EQ(rs.SetAbsolutePosition(3), 1);
    EXPECT_EQ(rs.GetAbsolutePosition(), 3);
    EXPECT_EQ(rs.GetCollect(0, a), 1);
    EXPECT_EQ(a, 23);
    EXPECT_EQ(rs.SetAbsolutePosition(2), 1);  // back a row
    EXPECT_EQ(rs.GetCollect(0, a), 1);
    EXPECT_EQ(a, 24);
    EXPECT_EQ(rs.SetAbsolutePosition(1), 1);  // the first row is row 1
    EXPECT_EQ(rs.GetCollect(0, a), 1);
    EXPECT_EQ(a, 25);
    EXPECT_EQ(rs.SetAbsolutePosition(0), 0);
    EXPECT_EQ(rs.SetAbsolutePosition(21), 0);

    // A statement without rows runs and leaves the recordset closed; one that
    // fails as it runs is refused, and undone whole.
    EXPECT_EQ(rs.Open("DELETE FROM T WHERE A > 20", kText, kStatic, kOptimistic), 1);
    EXPECT_EQ(rs.IsOpen(), 0);
    EXPECT_EQ(rs.Open("INSERT INTO T(A) SELECT 99 UNION ALL SELECT abs(-9223372036854775808)",
                      kText, kStatic, kOptimistic),
              0);
    EXPECT_EQ(db.connection.LastFailure(), "integer overflow");
    ASSERT_EQ(rs.Open("SELECT COUNT(*) FROM T", kText, kStatic, kOptimistic), 1);
    EXPECT_EQ(rs.GetCollect(0, a), 1);
    EXPECT_EQ(a, 20);
    // A row that fails only when the count reaches it fails the count.
    ASSERT_EQ(
        rs.Open("SELECT A FROM T WHERE CASE WHEN A > 1 THEN abs(-9223372036854775808) ELSE 1 END",
                kText, kStatic, kOptimistic),
        1);
    EXPECT_EQ(rs.GetRecordCount(), -1);
    EXPECT_EQ(db.connection.LastFailure(), "cannot count the rows: integer overflow");
    // A query whose first row fails is refused, and leaves the recordset closed.
    EXPECT_EQ(rs.Open("SELECT abs(-9223372036854775808) FROM T", kText, kStatic, kOptimistic), 0);
    EXPECT_EQ(rs.IsOpen(), 0);
    // Integers within 32 bits come as 32-bit values; wider ones as 64-bit
    // values, which a double is not read from (0, and a trace line).
    for (const auto& [sql, want] : {std::pair{"SELECT 2147483647", 2147483647.0},
                                    {"SELECT -2147483648", -2147483648.0},
                                    {"SELECT 2147483648", 0.0}}) {
        ASSERT_EQ(rs.Open(sql, kText, kStatic, kOptimistic), 1);
        double d = 1;
        EXPECT_EQ(rs.GetCollect(0, d), 1);
        EXPECT_EQ(d, want) << sql;
    }
    // Nothing the counting compiled holds the file once both are closed.
    ASSERT_TRUE(fileExists(db.path + "-wal"));
    rs.Close();
    db.connection.Close();
    EXPECT_FALSE(fileExists(db.path + "-wal"));
}

// A date column holds days since 1899-12-30, or text where another program
// wrote it so; either way it reads as a date, which reads as text in one form.
TEST(Wrappers, ADateReadsAsOneWhateverItsStorage) {
    // As this library declares it, or as another program may.
    for (const std::string type : {"DATETIME", "DATE", "TIME"}) {
        Database db;
        sqliteShell(db.path, "CREATE TABLE T(W " + type +
                                 "); INSERT INTO T VALUES(45000.5), ('2023-03-15T12:00:00');");
        CDbRecordset rs(&db.connection);
        ASSERT_EQ(rs.Open("SELECT W, typeof(W) FROM T", kText, kStatic, kOptimistic), 1);
        std::vector<std::string> read;
        for (; rs.IsEOF() == 0; rs.MoveNext()) {
            std::string date, storage;
            EXPECT_EQ(rs.GetCollect(0, date), 1);
            EXPECT_EQ(rs.GetCollect(1, storage), 1);
            read.push_back(storage.append(" ").append(date));
        }
        EXPECT_EQ(read, (std::vector<std::string>{"real 2023-03-15 12:00:00",
                                                  "text 2023-03-15 12:00:00"}))
            << type;
    }
}

TEST(Wrappers, TransactionsNestAndTheOutermostDecides) {
    Database db("create table T(A long)");
    const auto rows = [&db] {
        CDbRecordset rs(&db.connection);
        long n = -1;
        rs.Open("SELECT COUNT(*) FROM T", kText, kStatic, kOptimistic);
        rs.GetCollect(0, n);
        return n;
    };
    EXPECT_EQ(db.connection.BeginTrans(), 1);
    EXPECT_TRUE(db.connection.Execute("INSERT INTO T VALUES(1)", kText));
    EXPECT_EQ(db.connection.BeginTrans(), 2);
    EXPECT_TRUE(db.connection.Execute("INSERT INTO T VALUES(2)", kText));
    EXPECT_EQ(db.connection.CommitTrans(), 1);  // merged into the outer level
    EXPECT_EQ(db.connection.BeginTrans(), 2);
    EXPECT_TRUE(db.connection.Execute("INSERT INTO T VALUES(3)", kText));
    EXPECT_EQ(db.connection.RollbackTrans(), 1);  // only row 3 goes
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(db.connection.RollbackTrans(), 1);  // the outer rollback undoes all
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(db.connection.RollbackTrans(), 0);
    EXPECT_EQ(db.connection.LastFailure(), "No transaction is active.");

    // One statement a call: a second one refuses the whole text.
    EXPECT_FALSE(db.connection.Execute("INSERT INTO T VALUES(1); DROP TABLE T", kText));
    EXPECT_FALSE(db.connection.Execute("INSERT INTO T VALUES(1); /* and */ DROP TABLE T", kText));
    EXPECT_FALSE(
        db.connection.Execute("INSERT INTO T VALUES(1); -1", kText));  // one minus, no comment
    EXPECT_TRUE(db.connection.Execute("INSERT INTO T VALUES(1);  -- done", kText));
    for (const char* nothing : {"  ", "/* nothing */ ;"}) {
        EXPECT_FALSE(db.connection.Execute(nothing, kText));
        EXPECT_EQ(db.connection.LastFailure(), "the statement is empty");
    }
    EXPECT_EQ(rows(), 1);
}

TEST(Wrappers, ConnectionStringsAndReopening) {
    const std::string model = "Provider=Microsoft.Jet.OLEDB.4.0; Data Source=C:\\data\\model.mdb";
    long state = engine::adStateClosed;  // as the opens and closes before left it
    auto mock = std::make_unique<StrictMock<MockConnection>>();
    auto& m = *mock;
    CDbConnection connection(std::move(mock));
    EXPECT_EQ(connection.Open("", -1), 0);  // nothing to open: the engine is not asked
    EXPECT_CALL(m, state()).WillRepeatedly(ReturnPointee(&state));
    {
        InSequence order;
        EXPECT_CALL(m, open(model, -1))
            .WillOnce(DoAll(Assign(&state, engine::adStateOpen), Return(hr::kOk)));
        EXPECT_CALL(m, close()).WillOnce(Assign(&state, engine::adStateClosed));
        EXPECT_CALL(m, open(model, 0)).WillOnce(Return(hr::kFalse));
        EXPECT_CALL(m, open("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=p;"
                            "Jet OLEDB:Database Password=pw;",
                            -1))
            .WillOnce(DoAll(Assign(&state, engine::adStateOpen), Return(hr::kOk)));
        EXPECT_CALL(m, close());  // released with the wrapper
    }
    EXPECT_EQ(connection.OpenJetDatabase("C:\\data\\model.mdb", "", -1), 1);
    // An empty string reopens with the one before, closing first; a
    // success code other than S_OK counts as failure.
    EXPECT_EQ(connection.Open("", 0), 0);
    EXPECT_EQ(connection.OpenJetDatabase("p", "pw", -1), 1);

    // The engine refuses what it cannot honour rather than open some other file.
    const Database db;
    CDbConnection real;
    EXPECT_EQ(real.OpenJetDatabase(db.path, "pw", -1), 0);
    EXPECT_EQ(real.LastFailure(), "database passwords are not supported");
    EXPECT_EQ(real.Open("Provider=Microsoft.Jet.OLEDB.4.0;", -1), 0);
    EXPECT_EQ(real.LastFailure(), "the connection string names no Data Source");
    EXPECT_EQ(real.Open(("Data Sorted=" + db.path).c_str(), -1), 0);  // a key as long is another
    EXPECT_EQ(real.LastFailure(), "the connection string names no Data Source");
    // Keys are case-blind, and blanks around a value are no part of it.
    EXPECT_EQ(
        real.Open(("Provider=Microsoft.Jet.OLEDB.4.0; data source = " + db.path + " ;").c_str(),
                  -1),
        1)
        << real.LastFailure();
}

TEST(Wrappers, ErrorsListInOrder) {
    auto mock = std::make_unique<MockConnection>();
    EXPECT_CALL(*mock, errors())
        .WillOnce(Return(std::vector<engine::ErrorInfo>{}))
        .WillOnce(Return(std::vector<engine::ErrorInfo>{{"first", "HY000", 1, "src"},
                                                        {"second", "42000", -2, "src"}}));
    EXPECT_CALL(*mock, state()).WillRepeatedly(Return(engine::adStateClosed));
    CDbConnection connection(std::move(mock));
    EXPECT_EQ(connection.GetLastError(), "");
    EXPECT_EQ(connection.GetLastError(),
              "Description: first\r\nState: HY000, Native: 1, Source: src\r\n"
              "Description: second\r\nState: 42000, Native: -2, Source: src\r\n");
}

TEST(Wrappers, RecordsetOpenReopensAndCountsByWalkingWhenTheEngineCannot) {
    // As the calls before left them: a row is begun on the first open and never saved.
    long state = engine::adStateClosed;
    long edit = engine::adEditAdd;
    Database db;
    auto mock = std::make_unique<StrictMock<MockRecordset>>();
    auto& m = *mock;
    CDbRecordset rs(&db.connection, std::move(mock));
    EXPECT_EQ(rs.Open("", kText, kStatic, kOptimistic), 0);  // no SQL yet: the engine is not asked
    EXPECT_CALL(m, state()).WillRepeatedly(ReturnPointee(&state));
    EXPECT_CALL(m, editMode()).WillRepeatedly(ReturnPointee(&edit));
    {
        InSequence order;
        // Any success code opens.
        EXPECT_CALL(
            m, open("SELECT * FROM T", db.connection.GetConnection(), kStatic, kOptimistic, kText))
            .WillOnce(DoAll(Assign(&state, engine::adStateOpen), Return(hr::kFalse)));
        // Reopening closes first, and the pending row goes before the close.
        EXPECT_CALL(m, cancelUpdate())
            .WillOnce(DoAll(Assign(&edit, engine::adEditNone), Return(hr::kOk)));
        EXPECT_CALL(m, close()).WillOnce(Assign(&state, engine::adStateClosed));
        EXPECT_CALL(m, open("SELECT * FROM T", ::testing::_, kStatic, kOptimistic, kText))
            .WillOnce(DoAll(Assign(&state, engine::adStateOpen), Return(hr::kOk)));
        EXPECT_CALL(m, recordCount()).WillOnce(Return(-1));
        EXPECT_CALL(m, absolutePosition()).WillOnce(Return(3));
        EXPECT_CALL(m, moveFirst()).WillOnce(Return(hr::kOk));
        for (int i = 0; i < 4; ++i) {
            EXPECT_CALL(m, eof()).WillOnce(Return(false));
            EXPECT_CALL(m, moveNext()).WillOnce(Return(hr::kOk));
        }
        EXPECT_CALL(m, eof()).WillOnce(Return(true));
        EXPECT_CALL(m, setAbsolutePosition(3));
        EXPECT_CALL(m, close());  // closed with the wrapper
    }
    EXPECT_EQ(rs.Open("SELECT * FROM T", kText, kStatic, kOptimistic), 1);
    EXPECT_EQ(rs.Open("", kText, kStatic, kOptimistic), 1);
    EXPECT_EQ(rs.GetRecordCount(), 4);
}

// An engine that throws where the wrappers ask it: each call gives its
// failure value and writes its own trace line, and nothing escapes.
TEST(Wrappers, AnEngineThatThrowsGivesFailureValuesAndTraceLines) {
    const ComError gone(hr::kEngine, "the engine is gone");
    TraceCapture capture;
    const auto traced = [&capture](const std::string& line) {
        const bool has = !traceEnabled() || capture.has("Warning: " + line);
        capture.clear();
        return has;
    };
    auto connectionMock = std::make_unique<NiceMock<MockConnection>>();
    auto& c = *connectionMock;
    ON_CALL(c, state()).WillByDefault(Throw(gone));
    ON_CALL(c, errors()).WillByDefault(Throw(gone));
    ON_CALL(c, open(::testing::_, ::testing::_))
        .WillByDefault(Throw(std::runtime_error("no engine")));
    ON_CALL(c, close()).WillByDefault(Throw(gone));
    CDbConnection connection(std::move(connectionMock));
    EXPECT_EQ(connection.IsOpen(), 0);
    EXPECT_TRUE(traced("IsOpen 方法发生异常. 错误信息: the engine is gone; "));
    EXPECT_EQ(connection.GetLastError(), "");
    EXPECT_TRUE(traced("GetLastError 方法发生异常. 错误信息: the engine is gone; "));
    EXPECT_EQ(connection.Open("Data Source=x", -1), 0);
    EXPECT_EQ(connection.LastFailure(), "no engine");
    EXPECT_TRUE(traced("连接数据库时发生未知错误:"));
    ON_CALL(c, state()).WillByDefault(Return(engine::adStateOpen));
    connection.Close();
    EXPECT_EQ(connection.LastFailure(), "the engine is gone");
    EXPECT_TRUE(traced("关闭数据库发生异常. 错误信息: the engine is gone; "));
    // The state of the engine's failure is asked of the engine.
    EXPECT_EQ(connection.GetLastSqlState(), "");
    EXPECT_TRUE(traced("GetLastSqlState 方法发生异常. 错误信息: the engine is gone; "));

    auto recordsetMock = std::make_unique<NiceMock<MockRecordset>>();
    auto& r = *recordsetMock;
    ON_CALL(r, state()).WillByDefault(Throw(gone));
    ON_CALL(r, editMode()).WillByDefault(Throw(gone));
    CDbRecordset rs(&connection, std::move(recordsetMock));
    EXPECT_EQ(rs.IsOpen(), 0);
    EXPECT_TRUE(traced("IsOpen方法发生异常. 错误信息: the engine is gone; "));
    rs.Close();
    EXPECT_TRUE(traced("关闭记录集发生异常. 错误信息: the engine is gone; "));
    EXPECT_EQ(rs.GetEditMode(), 0);
    EXPECT_TRUE(capture.lines.empty());  // the one wrapper that writes no line

    ON_CALL(r, state()).WillByDefault(Return(engine::adStateOpen));
    ON_CALL(r, editMode()).WillByDefault(Return(engine::adEditAdd));
    ON_CALL(r, cancelUpdate()).WillByDefault(Throw(gone));
    ON_CALL(r, moveFirst()).WillByDefault(Throw(gone));
    ON_CALL(r, fieldCount()).WillByDefault(Return(1));
    ON_CALL(r, fieldValue(::testing::_, ::testing::_)).WillByDefault(Throw(gone));
    EXPECT_EQ(rs.CancelUpdate(), 0);
    EXPECT_TRUE(traced("CancelUpdate 方法发生异常. 错误信息: the engine is gone; "));
    EXPECT_EQ(rs.MoveFirst(), 0);
    EXPECT_TRUE(traced("MoveFirst 方法发生异常. 错误信息: the engine is gone; "));
    std::string text = "kept";
    EXPECT_EQ(rs.GetCollect(0, text), 0);
    EXPECT_EQ(text, "kept");
    EXPECT_TRUE(traced("字段访问失败. 错误信息: the engine is gone; "));
    // A count by walking stops at the first step the engine refuses: one row
    // passed, none after it.
    ON_CALL(r, recordCount()).WillByDefault(Return(-1));
    ON_CALL(r, eof()).WillByDefault(Return(false));
    ON_CALL(r, moveNext()).WillByDefault(Throw(gone));
    EXPECT_EQ(rs.GetRecordCount(), 1);
    EXPECT_TRUE(traced("MoveNext 方法发生异常. 错误信息: the engine is gone; "));
}

TEST(Wrappers, CancelUpdateWithoutAnEditAsksNothing) {
    auto mock = std::make_unique<StrictMock<MockRecordset>>();
    EXPECT_CALL(*mock, editMode()).WillOnce(Return(engine::adEditNone));
    EXPECT_CALL(*mock, state()).WillRepeatedly(Return(engine::adStateClosed));
    CDbRecordset rs(nullptr, std::move(mock));
    EXPECT_EQ(rs.CancelUpdate(), 1);
}

TEST(Wrappers, TypedSettersWriteTheirTags) {
    auto mock = std::make_unique<MockRecordset>();
    std::vector<Variant> written;
    EXPECT_CALL(*mock, setFieldValue(::testing::_, ::testing::_))
        .WillRepeatedly([&](long, const Variant& v) { written.push_back(v); });
    EXPECT_CALL(*mock, state()).WillRepeatedly(Return(engine::adStateClosed));
    CDbRecordset rs(nullptr, std::move(mock));
    const int i = 3;
    const long l = 4;
    const float f = 0.1f;
    const double d = 0.1;
    EXPECT_EQ(rs.PutCollect(0, i), 1);
    EXPECT_EQ(rs.PutCollect(0, l), 1);
    EXPECT_EQ(rs.PutCollect(0, f), 1);
    EXPECT_EQ(rs.PutCollect(0, d), 1);
    EXPECT_EQ(rs.PutCollect(0, std::string("ab")), 1);
    EXPECT_EQ(rs.PutCollect(0, std::string()), 1);
    ASSERT_EQ(written.size(), 6u);
    EXPECT_EQ(written[0].vt, VT_I4);
    EXPECT_EQ(written[0].integer, 3);
    EXPECT_EQ(written[1].vt, VT_I4);
    EXPECT_EQ(written[2].vt, VT_R4);
    EXPECT_EQ(written[2].real, static_cast<double>(0.1f));
    EXPECT_EQ(written[3].vt, VT_R8);
    EXPECT_EQ(written[4].vt, VT_BSTR);
    EXPECT_EQ(written[4].text, "ab");
    EXPECT_EQ(written[5].vt, VT_NULL);  // an empty text is stored as NULL
}

TEST(Wrappers, TextGetterChecksColumnThenOpenThenEnd) {
    vornel::test::TraceCapture capture;
    auto mock = std::make_unique<StrictMock<MockRecordset>>();
    auto& m = *mock;
    CDbRecordset rs(nullptr, std::move(mock));
    std::string value = "kept";
    EXPECT_CALL(m, fieldCount()).WillRepeatedly(Return(3));
    EXPECT_EQ(rs.GetCollect(3, value), 0);  // past the last column: nothing read
    EXPECT_EQ(rs.GetCollect(-1, value), 0);
    EXPECT_TRUE(capture.notices.empty());

    EXPECT_CALL(m, state()).WillRepeatedly(Return(engine::adStateClosed));
    EXPECT_EQ(rs.GetCollect(0, value), 0);
    EXPECT_EQ(rs.GetCollect(1, value), 0);
    ASSERT_EQ(capture.notices.size(), 2u);  // one notice a call
    EXPECT_EQ(capture.notices[0], "提示|数据库可能已经断开,\r\n请重新连接、然后重试.");
    EXPECT_EQ(value, "kept");
}

TEST(Wrappers, FailuresLeaveTheirTraceLines) {
    if (!traceEnabled()) {
        GTEST_SKIP() << "release build: no trace";
    }
    Database db;
    vornel::test::TraceCapture capture;
    EXPECT_FALSE(db.connection.Execute("SELECT * FROM nowhere", kText));
    ASSERT_EQ(capture.lines.size(), 1u);
    EXPECT_EQ(capture.lines[0].rfind("Warning: Execute 方法发生异常. 错误信息: no such table: "
                                     "nowhere; 文件: ",
                                     0),
              0u)
        << capture.lines[0];
    EXPECT_NE(capture.lines[0].find("Connection.cpp; 行: "), std::string::npos);
    EXPECT_EQ(db.connection.LastFailure(), "no such table: nowhere");

    capture.clear();
    CDbRecordset rs(&db.connection);
    EXPECT_EQ(rs.Open("SELECT * FROM nowhere", kText, kStatic, kOptimistic), 0);
    ASSERT_EQ(capture.lines.size(), 2u);
    EXPECT_TRUE(
        capture.has("Warning: 打开记录集发生异常. 错误信息: no such table: nowhere; 文件: "));
    EXPECT_EQ(capture.lines[1],
              "Description: no such table: nowhere\r\nState: 42000, Native: 1, Source: "
              "Vornel SQLite engine\r\n\r\n");

    capture.clear();
    CDbConnection other;
    EXPECT_EQ(other.OpenJetDatabase(db.dir.file("missing.db"), "", -1), 0);
    ASSERT_EQ(capture.lines.size(), 2u);
    EXPECT_TRUE(capture.has("Warning: 连接数据库发生异常. 错误信息: Could not find file"));

    capture.clear();
    EXPECT_EQ(rs.IsBOF(), 0);
    EXPECT_TRUE(
        capture.has("Warning: IsBOF 方法发生异常. 错误信息: Operation is not allowed when "
                    "the object is closed.; 文件: "));
    EXPECT_FALSE(rs.GetField(0));
    EXPECT_TRUE(capture.has("Warning: GetField发生异常. 错误信息: "));
}
