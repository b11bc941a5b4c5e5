// On a terminal the long steps show how far they are, and clear that line
// before the results; piped, they show nothing of it.
#include <sys/wait.h>

#include "CliFixture.h"

namespace vornel::test {
namespace {

class TerminalTest : public CliTest {
protected:
    // What a terminal shows of `vornel ARGS...` run on it, output and errors
    // together; its exit status in `status`.
    std::string onTerminal(const std::string& args, int& status) {
        const std::string command = "cd " + shellQuote(dir.path()) + " && " VORNEL_CLI " " + args;
        std::string shown =
            shellOutput("script -qec " + shellQuote(command) + " /dev/null", &status);
        status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return shown;
    }
};

TEST_F(TerminalTest, TheBarIsDrawnThenClearedBeforeTheResults) {
    std::string csv = "X,Y,Z,DX,DY,DZ,CU\n";
    for (int i = 0; i < 100; ++i) {
        csv += std::to_string(i * 10 + 5) + ",5,5,10,10,10,1\n";
    }
    write("t.csv", csv);
    int status = -1;
    const std::string shown = onTerminal("import m.db t.csv -t T -e Cu", status);
    EXPECT_EQ(status, 0) << shown;
    const size_t bar = shown.find("\rreading t.csv [");
    const size_t results = shown.find("Imported t.csv");
    ASSERT_NE(bar, std::string::npos) << shown;
    ASSERT_NE(results, std::string::npos) << shown;
    EXPECT_LT(bar, results);
    EXPECT_EQ(shown[results - 1], '\r') << "the bar's line is not cleared: " << shown;
    EXPECT_TRUE(contains(shown.substr(bar, results - bar), "] 100%")) << shown;
    // The reading bar is drawn as the first row is read: the header's 19
    // bytes and the row's 17 are 36 of the file's 19 + 17 + 9 x 18 + 90 x 19
    // = 1,908, under 2%.
    EXPECT_TRUE(contains(shown, "\rreading t.csv [" + std::string(30, ' ') + "]   1%")) << shown;
    // Piped, the errors stream holds nothing but errors.
    EXPECT_EQ(vornel({"import", "n.db", "t.csv", "-t", "T", "-e", "Cu"}).err, "");

    // The section's wait is drawn only after a second: a cut quicker than
    // that shows its results alone (the terminal ends lines with \r\n).
    const std::string cut = onTerminal("section m.db -t T --x 15 --svg s.svg", status);
    EXPECT_EQ(status, 0) << cut;
    EXPECT_EQ(cut, "T, section X = 15: 1 block cut\r\n  drawing: s.svg\r\n");

    // The library's bulk update is drawn in the command's words.
    const std::string classified = onTerminal("classify m.db --rule 'M: 1 = 1'", status);
    EXPECT_EQ(status, 0) << classified;
    EXPECT_TRUE(contains(classified, "\rwriting the categories of T [")) << classified;
    EXPECT_FALSE(contains(classified, "\xe6\xad\xa3")) << classified;
}

}  // namespace
}  // namespace vornel::test
