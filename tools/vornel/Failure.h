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

// A failure of the work on the command's database, told by what was being
// done to which of its tables: the command adds the file's name.
class DatabaseFailure : public Failure {
public:
    using Failure::Failure;
};

// A command line that is wrong in a way the parser cannot see (a value that
// must name something, or options that exclude each other): exit status 2,
// as for the parser's own usage errors.
class UsageError : public Failure {
public:
    using Failure::Failure;
};

}  // namespace vornel::cli

#endif
