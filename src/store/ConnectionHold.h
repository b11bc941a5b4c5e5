// Marking a connection as in the middle of one of the store's calls.
#ifndef VORNEL_STORE_CONNECTIONHOLD_H
#define VORNEL_STORE_CONNECTIONHOLD_H

#include "db/Ado.h"

namespace vornel::store {

// Holds the connection for as long as this lives, then leaves it as it
// was: a hook raised meanwhile (a trace line, a notice) finds it held, and
// what it asks of the same manager is refused, so that nothing it does
// pulls the connection or its transaction from under the call.
class ConnectionHold {
public:
    explicit ConnectionHold(CDbConnection& connection)
        : connection_(connection), was_(connection.Held()) {
        connection.Hold(true);
    }
    ~ConnectionHold() { connection_.Hold(was_); }
    ConnectionHold(const ConnectionHold&) = delete;
    ConnectionHold& operator=(const ConnectionHold&) = delete;

private:
    CDbConnection& connection_;
    bool was_;
};

}  // namespace vornel::store

#endif
