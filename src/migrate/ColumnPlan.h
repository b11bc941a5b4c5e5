// How each column of an Access table is declared in the new database, in
// the Jet words that the library's own statements use, so that the library
// reads every value back as it read it from the Access file.
#ifndef VORNEL_MIGRATE_COLUMNPLAN_H
#define VORNEL_MIGRATE_COLUMNPLAN_H

#include <string>

#include "migrate/AccessData.h"

namespace vornel::migrate {

struct ColumnPlan {
    // The type in a CREATE TABLE statement; empty when the column is not
    // carried.
    std::string declaration;
    // Why it is not, when it is not.
    std::string notCarried;
};

ColumnPlan planColumn(const AccessColumn& column);

}  // namespace vornel::migrate

#endif
