// A transaction of the store's own, nested in the host's when one is open.
// Unless committed, it rolls back when it goes out of scope.
#ifndef VORNEL_STORE_TRANSACTION_H
#define VORNEL_STORE_TRANSACTION_H

#include "db/Ado.h"
#include "store/ConnectionHold.h"
#include "store/Query.h"

namespace vornel::store {

class Transaction {
public:
    // Refused in a hook's call made while the connection is held: the
    // transaction would nest in, or end, the one of the call that raised it.
    explicit Transaction(CDbConnection& connection) : connection_(connection), level_(0) {
        if (connection.Held()) {
            connection.NoteFailure(kRecordsetInUse);
            return;
        }
        const ConnectionHold hold(connection);
        level_ = connection.BeginTrans();
    }
    ~Transaction() {
        if (begun() && !ended_) {
            const ConnectionHold hold(connection_);
            connection_.RollbackTrans();
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // False when the transaction could not begin (the database is busy, say).
    bool begun() const { return level_ > 0; }

    // False when the commit failed; the work is then rolled back.
    bool commit() {
        ended_ = true;
        const ConnectionHold hold(connection_);
        return connection_.CommitTrans() != 0;
    }

    void rollback() {
        ended_ = true;
        const ConnectionHold hold(connection_);
        connection_.RollbackTrans();
    }

private:
    CDbConnection& connection_;
    long level_;
    bool ended_ = false;
};

}  // namespace vornel::store

#endif
