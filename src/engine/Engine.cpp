#include "engine/Engine.h"

#include "engine/SqliteConnection.h"
#include "engine/SqliteRecordset.h"

namespace vornel::engine {

Recordset& Field::checked() const {
    if (recordset_ == nullptr) {
        throw ComError(hr::kPointer);
    }
    return *recordset_;
}

std::unique_ptr<Connection> createConnection() {
    return std::make_unique<SqliteConnection>();
}

std::unique_ptr<Recordset> createRecordset() {
    return std::make_unique<SqliteRecordset>();
}

}  // namespace vornel::engine
