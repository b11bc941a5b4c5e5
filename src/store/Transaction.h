// A transaction of the store's own, nested in the host's when one is open.
// Unless committed, it rolls back when it goes out of scope.
#ifndef VORNEL_STORE_TRANSACTION_H
#define VORNEL_STORE_TRANSACTION_H

#include "db/Ado.h"

namespace vornel::store {

class Transaction {
public:
    explicit Transaction(CDbConnection& connection)
        : connection_(connection), level_(connection.BeginTrans()) {}
    ~Transaction() {
        if (begun() && !ended_) {
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
        if (connection_.CommitTrans() != 0) {
            return true;
        }
        connection_.RollbackTrans();
        return false;
    }

    void rollback() {
        ended_ = true;
        connection_.RollbackTrans();
    }

private:
    CDbConnection& connection_;
    long level_;
    bool ended_ = false;
};

}  // namespace vornel::store

#endif
