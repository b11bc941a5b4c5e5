#include "migrate/ColumnPlan.h"

#include <cstdio>

namespace vornel::migrate {

ColumnPlan planColumn(const AccessColumn& column) {
    switch (column.type) {
        case jet::kByte:
        case jet::kInteger:
        case jet::kLong:
            // Every one of them reads back as a 32-bit integer, as Jet's did.
            return {"long", {}};
        case jet::kSingle:
        case jet::kDouble:
            // A single widens to a double without loss.
            return {"Double", {}};
        case jet::kCurrency:
            return {"currency", {}};
        case jet::kDateTime:
            return {"datetime", {}};
        case jet::kBool:
            return {"yesno", {}};
        case jet::kText:
            return {"VarChar(" + std::to_string(column.size) + ")", {}};
        case jet::kMemo:
            return {"memo", {}};
        case jet::kBinary:
        case jet::kOle:
            return {"IMAGE", {}};
        case jet::kReplicationId:
            return {{}, "replication ID (GUID) columns have no counterpart here"};
        case jet::kDecimal:
            return {{}, "decimal columns have no counterpart here"};
        default: {
            char type[8];
            std::snprintf(type, sizeof type, "0x%02x", column.type & 0xff);
            return {{}, std::string("columns of type ") + type + " have no counterpart here"};
        }
    }
}

}  // namespace vornel::migrate
