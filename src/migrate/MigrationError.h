// A failure that ends a migration. What it says is one line for the user.
#ifndef VORNEL_MIGRATE_MIGRATIONERROR_H
#define VORNEL_MIGRATE_MIGRATIONERROR_H

#include <stdexcept>
#include <string>

namespace vornel::migrate {

class MigrationError : public std::runtime_error {
public:
    explicit MigrationError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace vornel::migrate

#endif
