// What a command throws when it cannot do its work: one line for the user,
// already saying where (file, line, column) when there is a where.
#ifndef VORNEL_CLI_FAILURE_H
#define VORNEL_CLI_FAILURE_H

#include <stdexcept>
#include <string>

namespace vornel::cli {

class Failure : public std::runtime_error {
public:
    explicit Failure(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace vornel::cli

#endif
