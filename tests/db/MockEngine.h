// Engine objects whose every answer a test decides.
#ifndef VORNEL_TESTS_MOCKENGINE_H
#define VORNEL_TESTS_MOCKENGINE_H

#include <gmock/gmock.h>

#include "engine/Engine.h"

namespace vornel::test {

class MockConnection : public engine::Connection {
public:
    MOCK_METHOD(HRESULT, open, (const std::string&, long), (override));
    MOCK_METHOD(void, close, (), (override));
    MOCK_METHOD(long, state, (), (override));
    MOCK_METHOD(void, execute, (const std::string&, long), (override));
    MOCK_METHOD(long, beginTrans, (), (override));
    MOCK_METHOD(HRESULT, commitTrans, (), (override));
    MOCK_METHOD(HRESULT, rollbackTrans, (), (override));
    MOCK_METHOD(std::vector<engine::ErrorInfo>, errors, (), (override));
    MOCK_METHOD(void, defineRowTest, (const std::string&, int, engine::RowTest), (override));
};

class MockRecordset : public engine::Recordset {
public:
    MOCK_METHOD(HRESULT, open, (const std::string&, engine::Connection*, long, long, long),
                (override));
    MOCK_METHOD(void, close, (), (override));
    MOCK_METHOD(long, state, (), (override));
    MOCK_METHOD(bool, bof, (), (override));
    MOCK_METHOD(bool, eof, (), (override));
    MOCK_METHOD(HRESULT, moveFirst, (), (override));
    MOCK_METHOD(HRESULT, moveNext, (), (override));
    MOCK_METHOD(long, recordCount, (), (override));
    MOCK_METHOD(long, absolutePosition, (), (override));
    MOCK_METHOD(void, setAbsolutePosition, (long), (override));
    MOCK_METHOD(HRESULT, addNew, (), (override));
    MOCK_METHOD(HRESULT, update, (), (override));
    MOCK_METHOD(HRESULT, cancelUpdate, (), (override));
    MOCK_METHOD(long, editMode, (), (override));
    MOCK_METHOD(long, fieldCount, (), (override));
    MOCK_METHOD(long, fieldAttributes, (long), (override));
    MOCK_METHOD(long, fieldActualSize, (long), (override));
    MOCK_METHOD(void, fieldValue, (long, Variant&), (override));
    MOCK_METHOD(void, setFieldValue, (long, const Variant&), (override));
    MOCK_METHOD(HRESULT, appendChunk, (long, const uint8_t*, size_t), (override));
    MOCK_METHOD(size_t, getChunk, (long, uint8_t*, size_t), (override));
};

}  // namespace vornel::test

#endif
