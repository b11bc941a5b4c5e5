// A connection to one SQLite database file, named by the "Data Source" of
// an ADO-style connection string.
#ifndef VORNEL_ENGINE_SQLITECONNECTION_H
#define VORNEL_ENGINE_SQLITECONNECTION_H

#include <memory>
#include <string>

#include "engine/Engine.h"
#include "engine/SqliteSession.h"

namespace vornel::engine {

class SqliteConnection : public Connection {
public:
    HRESULT open(const std::string& connectionString, long options) override;
    void close() override;
    long state() override;
    void execute(const std::string& sql, long options) override;
    long beginTrans() override;
    HRESULT commitTrans() override;
    HRESULT rollbackTrans() override;
    std::vector<ErrorInfo> errors() override;
    void defineRowTest(const std::string& name, int arity, RowTest test) override;

    // The open session; fails when the connection is closed.
    const std::shared_ptr<Session>& session();

private:
    // A new handle on the file at path, set up as every connection is.
    std::shared_ptr<Session> openSession(const std::string& path);
    // A handle on `name` (the path as SQLite takes it) with open `flags`;
    // failures name `path`.
    std::shared_ptr<Session> openFile(const std::string& name, int flags, const std::string& path);
    // Fails when no transaction is open. True when the engine had rolled
    // the transaction back on its own (after an I/O error, for instance):
    // the innermost level is then ended without a statement.
    bool endLostLevel(Session& s);
    // Rolls back the innermost level, whose commit failed; failing that,
    // the whole transaction.
    void endFailedLevel(Session& s) noexcept;

    std::shared_ptr<ErrorList> errors_ = std::make_shared<ErrorList>();
    std::shared_ptr<Session> session_;
};

}  // namespace vornel::engine

#endif
