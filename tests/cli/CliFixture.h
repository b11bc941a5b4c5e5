// A scratch folder for each test and the vornel command run inside it.
#ifndef VORNEL_TESTS_CLI_CLIFIXTURE_H
#define VORNEL_TESTS_CLI_CLIFIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CliRun.h"
#include "support/TempDir.h"

namespace vornel::test {

class CliTest : public ::testing::Test {
protected:
    CliResult vornel(const std::vector<std::string>& args) { return runVornel(dir.path(), args); }

    // Runs a command that must succeed and returns its standard output.
    std::string ok(const std::vector<std::string>& args) {
        const CliResult r = vornel(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out;
    }

    std::string write(const std::string& name, const std::string& text) {
        writeFile(dir.file(name), text);
        return dir.file(name);
    }

    std::string path(const std::string& name) const { return dir.file(name); }

    TempDir dir;
};

// A failure is one line on stderr and exit status 1; a wrong command line
// the same with status 2.
#define EXPECT_EXITS_WITH(result, code, text)                            \
    do {                                                                 \
        const ::vornel::test::CliResult& r_ = (result);                  \
        EXPECT_EQ(r_.status, code);                                      \
        EXPECT_EQ(::vornel::test::linesOf(r_.err).size(), 1u) << r_.err; \
        EXPECT_NE(r_.err.find(text), std::string::npos) << r_.err;       \
    } while (0)
#define EXPECT_FAILS_WITH(result, text) EXPECT_EXITS_WITH(result, 1, text)
#define EXPECT_USAGE_ERROR(result, text) EXPECT_EXITS_WITH(result, 2, text)

}  // namespace vornel::test

#endif
