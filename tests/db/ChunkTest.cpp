// Long binary values moved between memory and a column.
#include <gtest/gtest.h>

#include <numeric>

#include "db/Ado.h"
#include "db/MockEngine.h"
#include "db/TestDatabase.h"
#include "platform/ComError.h"

using namespace vornel;
using namespace vornel::test;
using ::testing::_;
using ::testing::Return;

namespace {

// A recordset whose column 0 is announced as a long value of `size` bytes
// while the engine has `has` to give, counting the pieces in which it is read.
struct ChunkedValue {
    ChunkedValue(size_t size, size_t has) : bytes(has) {
        std::iota(bytes.begin(), bytes.end(), uint8_t{1});
        auto mock = std::make_unique<MockRecordset>();
        EXPECT_CALL(*mock, fieldAttributes(0)).WillRepeatedly(Return(engine::adFldLong));
        EXPECT_CALL(*mock, fieldCount()).WillRepeatedly(Return(1));
        EXPECT_CALL(*mock, fieldActualSize(0)).WillRepeatedly(Return(static_cast<long>(size)));
        EXPECT_CALL(*mock, getChunk(0, _, _)).WillRepeatedly([this](long, uint8_t* out, size_t n) {
            pieces.push_back(n);
            const size_t copy = std::min(n, bytes.size() - offset);
            std::copy_n(bytes.begin() + static_cast<long>(offset), copy, out);
            offset += copy;
            return copy;
        });
        EXPECT_CALL(*mock, state()).WillRepeatedly(Return(engine::adStateClosed));
        rs = std::make_unique<CDbRecordset>(nullptr, std::move(mock));
    }
    std::vector<uint8_t> bytes;
    size_t offset = 0;
    std::vector<size_t> pieces;
    std::unique_ptr<CDbRecordset> rs;
};

}  // namespace

// Never past the announced size, whatever the engine has to give.
TEST(Chunks, ReadInPiecesOfAHundredBytes) {
    const struct {
        size_t size;
        size_t has;
        BOOL status;
        std::vector<size_t> pieces;
    } cases[] = {
        {0, 0, 1, {}},
        {100, 100, 1, {100}},
        {250, 250, 1, {100, 100, 100}},
        {250, 120, 0, {100, 100, 100}},  // the engine delivers less than it announced
        {250, 400, 1, {100, 100, 100}},  // the engine has more than it announced
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.size) + " announced, " + std::to_string(c.has) + " given");
        ChunkedValue value(c.size, c.has);
        std::vector<uint8_t> buffer(c.size + 8, 0xEE);
        EXPECT_EQ(value.rs->GetChunk(0, buffer.data()), c.status);
        if (c.status == 1) {
            EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + c.size, value.bytes.begin()));
        }
        EXPECT_EQ(buffer[c.size], 0xEE) << "wrote past the value";
        EXPECT_EQ(value.pieces, c.pieces);
    }
}

TEST(Chunks, OnlyLongColumnsAndRealColumnsMoveChunks) {
    Database db("create table T(I int, S VarChar(9), P IMAGE)");
    CDbRecordset rs(&db.connection);
    ASSERT_EQ(rs.Open("SELECT * FROM T", kText, kStatic, kOptimistic), 1);
    const uint8_t data[250] = {9, 8, 7};
    ASSERT_EQ(rs.AddNew(), 1);
    EXPECT_EQ(rs.AppendChunk(0L, data, 4), 0);  // an integer column
    EXPECT_EQ(rs.AppendChunk(1L, data, 4), 0);  // a text column
    EXPECT_EQ(rs.AppendChunk(3L, data, 4), 0);  // no such column
    EXPECT_EQ(rs.AppendChunk(2L, data, 0), 1);  // an empty value
    EXPECT_EQ(rs.AppendChunk(2L, data, sizeof data), 1);
    ASSERT_EQ(rs.Update(), 1);
    uint8_t back[250] = {};
    EXPECT_EQ(rs.GetChunk(0L, back), 0);
    EXPECT_EQ(rs.GetChunk(3L, back), 0);
    EXPECT_EQ(rs.GetChunk(2L, back), 1);  // the row just added
    EXPECT_EQ(0, memcmp(data, back, sizeof data));

    rs.Close();
    ASSERT_EQ(rs.Open("SELECT * FROM T", kText, kStatic, kOptimistic), 1);
    std::fill(std::begin(back), std::end(back), 0);
    EXPECT_EQ(rs.GetChunk(2L, back), 1);
    EXPECT_EQ(0, memcmp(data, back, sizeof data));
    // A value put whole is stored whole, and read back in chunks.
    ASSERT_EQ(rs.AddNew(), 1);
    EXPECT_EQ(rs.PutCollect(0L, 2), 1);
    EXPECT_EQ(rs.PutCollect(2L, Variant::byteArray(data + 1, sizeof data - 1)), 1);
    ASSERT_EQ(rs.Update(), 1);
    ASSERT_EQ(rs.Open("SELECT P FROM T WHERE I = 2", kText, kStatic, kOptimistic), 1);
    std::fill(std::begin(back), std::end(back), 0);
    EXPECT_EQ(rs.GetChunk(0L, back), 1);
    EXPECT_EQ(0, memcmp(data + 1, back, sizeof data - 1));
    EXPECT_EQ(back[sizeof data - 1], 0);
    // Past the last row there is no value to read.
    EXPECT_EQ(rs.MoveNext(), 1);
    EXPECT_EQ(rs.GetChunk(0L, back), 0);
    EXPECT_EQ(db.connection.LastFailure(),
              "Either BOF or EOF is True, or the current record has been deleted. Requested "
              "operation requires a current record.");

    // The engine refuses them as well, whoever calls it.
    auto raw = engine::createRecordset();
    raw->open("SELECT * FROM T", db.connection.GetConnection(), kStatic, kOptimistic, kText);
    raw->addNew();
    EXPECT_EQ(raw->getChunk(2, back, 8), 0u);  // nothing given yet
    EXPECT_THROW(raw->appendChunk(0, data, 4), ComError);
    // A value read to its end gives nothing more.
    EXPECT_EQ(raw->appendChunk(2, data, 4), hr::kOk);
    EXPECT_EQ(raw->getChunk(2, back, 8), 4u);
    EXPECT_EQ(raw->getChunk(2, back, 8), 0u);
    // A connection never opened refuses statements.
    EXPECT_THROW(engine::createConnection()->execute("SELECT 1", kText), ComError);
}

// A file written elsewhere may hold a number where a long binary value
// belongs: it reads as the bytes of its text, and its size says as much.
TEST(Chunks, ANumberInALongColumnReadsAsItsText) {
    Database db("create table T(P IMAGE)");
    ASSERT_TRUE(db.connection.Execute("INSERT INTO T VALUES(1234567890)", kText));
    CDbRecordset rs(&db.connection);
    ASSERT_EQ(rs.Open("SELECT * FROM T", kText, kStatic, kOptimistic), 1);
    EXPECT_EQ(rs.GetField(0).actualSize(), 10);
    std::vector<uint8_t> back(12, 0xEE);
    EXPECT_EQ(rs.GetChunk(0L, back.data()), 1);
    EXPECT_EQ(std::string(back.begin(), back.begin() + 10), "1234567890");
    EXPECT_EQ(back[10], 0xEE);
}
