// What `vornel --help` and each command's --help tell, and how a wrong
// command line is answered.
#include "CliFixture.h"

namespace vornel::test {
namespace {

using HelpTest = CliTest;

TEST_F(HelpTest, ListsEveryCommand) {
    const std::string help = ok({"--help"});
    for (const char* command :
         {"demo", "import", "export", "info", "section", "report", "compact", "migrate"}) {
        EXPECT_NE(lineStarting(help, command), "") << command;
    }
}

TEST_F(HelpTest, EachCommandExplainsItsOptions) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> commands = {
        {"demo", {"--blocks", "sub-blocks", "void"}},
        {"import",
         {"--table", "--element", "--block-size", "--origin", "--columns", "XINC", "PARENT",
          "transaction"}},
        {"export", {"--where", "--subblocks", "--output", "PARENT_X"}},
        {"info", {"DB"}},
        {"section", {"--corners", "--x", "--y", "--z", "--line", "--svg", "--csv", "TRACE"}},
        {"report", {"--cutoffs", "--density", "metal"}},
        {"compact", {"DB"}},
        {"migrate", {"OLD", "NEW", "everything came over", "summary"}},
    };
    for (const auto& [command, words] : commands) {
        const std::string help = ok({command, "--help"});
        for (const std::string& word : words) {
            EXPECT_NE(help.find(word), std::string::npos) << command << " --help lacks " << word;
        }
    }
}

TEST_F(HelpTest, WithoutACommandSaysSoInOneLine) {
    const CliResult r = vornel({});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(linesOf(r.err).size(), 1u) << r.err;
}

TEST_F(HelpTest, AMissingRequiredOptionIsAUsageError) {
    const CliResult r = vornel({"import", "a.db", "b.csv", "--element", "Cu"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(linesOf(r.err).size(), 1u) << r.err;
    EXPECT_NE(r.err.find("--table"), std::string::npos) << r.err;
}

TEST_F(HelpTest, AnUnknownOptionIsAUsageError) {
    const CliResult r = vornel({"info", "a.db", "--bogus"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--bogus"), std::string::npos) << r.err;
}

TEST_F(HelpTest, VersionIsTheLibrarys) {
    EXPECT_EQ(ok({"--version"}), "vornel 1.0.0\n");
}

}  // namespace
}  // namespace vornel::test
