// What each command's --help tells, the version, and how a wrong command
// line is answered.
#include "CliFixture.h"
#include "vornel/Version.h"

namespace vornel::test {
namespace {

using HelpTest = CliTest;

TEST_F(HelpTest, EachCommandExplainsItsOptions) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> commands = {
        {"demo", {"--blocks", "sub-blocks", "void"}},
        {"import",
         {"--table", "--element", "--block-size", "--origin", "--columns", "XINC", "PARENT",
          "transaction", "--check"}},
        {"export", {"--where", "--subblocks", "--output", "PARENT_X", "--format", "ParaView"}},
        {"info", {"DB", "--json", "void_tables"}},
        {"section",
         {"--corners", "--x", "--y", "--z", "--line", "--svg", "--csv", "TRACE", "FROM:TO:STEP",
          "--colour", "variance", "search pass", "--outline"}},
        {"report",
         {"--cutoffs", "--density", "metal", "--by", "bench", "pass", "--csv", "--svg", "--deplete",
          "--within", "concave"}},
        {"stats", {"--by", "--bins", "--svg", "P10", "tonnage-weighted", "--deplete", "--within"}},
        {"compare", {"--with", "--with-db", "--with-where", "--cutoffs", "correlation"}},
        {"swath",
         {"--x", "--y", "--z", "--cutoff", "--with", "--svg", "(k + 1) x WIDTH", "--deplete",
          "--within"}},
        {"classify", {"--rule", "--others", "--where", "--check", "first", "Srch_Degr"}},
        {"regularize",
         {"--size", "--into", "--origin", "metal are kept", "most tonnes", "--deplete",
          "--within"}},
        {"check", {"--table", "overlap", "sub-block outside", "Vrg_Num", "status 1"}},
        {"remove", {"--table", "--run", "--yes", "compact"}},
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

// No command, a missing required option, an unknown one, a value of the
// wrong kind: status 2 and one line naming what is wrong.
TEST_F(HelpTest, AWrongCommandLineIsAUsageErrorInOneLine) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> lines = {
        {{}, "vornel: A subcommand is required"},
        {{"--verbose", "imprt", "a.db"},
         "vornel: unknown command 'imprt' (did you mean import?); the commands are demo, import, "
         "export"},
        {{"zzz"}, "vornel: unknown command 'zzz'; the commands are demo"},
        // A mistyped option is named, not the option it stood for, with the
        // nearest one of the command or of vornel itself.
        {{"report", "a.db", "--cutofs", "0.5"},
         "vornel report: --cutofs is not an option; did you mean --cutoffs? (see --help)"},
        {{"export", "a.db", "--wehre=MineID=1"}, "--wehre is not an option; did you mean --where?"},
        // Or the start of one, its end left off.
        {{"report", "a.db", "--cutof", "0.5"}, "--cutof is not an option; did you mean --cutoffs?"},
        {{"report", "a.db", "--dep"}, "--dep is not an option; did you mean --deplete?"},
        {{"stats", "a.db", "--with-w", "x"},
         "--with-w is not an option; did you mean --with-where?"},
        // Two names of one option are one: --colour or --color.
        {{"section", "a.db", "--col", "x"}, "--col is not an option; did you mean --colour?"},
        // One that begins several stands for none of them: --verbose or --version.
        {{"report", "a.db", "--ver"}, "vornel report: --ver is not an option (see --help)"},
        // Past "--" an option is a word like any other, misplaced, not mistyped.
        {{"import", "--", "-x.db", "m.csv", "--table", "CU"},
         "vornel import: '--table' comes after --, past which every word is a file or a value; "
         "put the options before --"},
        {{"comp", "a.db"}, "vornel: unknown command 'comp'; the commands are"},
        // But one in other letters is that one, though it begins others too.
        {{"stats", "a.db", "--With", "x"}, "--With is not an option; did you mean --with?"},
        // A whole number's option given another, or one beyond its range.
        {{"variogram", "a.db", "--run", "1.5"},
         "vornel variogram: --run: 1.5 is not a whole number"},
        {{"demo", "--blocks", "many", "a.db"}, "vornel demo: --blocks: many is not a whole number"},
        {{"variogram", "a.db", "--run", "0"}, "--run: Value 0 not in range 1 to 2147483647"},
        {{"variogram", "a.db", "--run", ""}, "vornel variogram: --run: the value is empty"},
        // 010 would be run 8, and 0x10 run 16.
        {{"remove", "a.db", "--run", "08"}, "--run: 08 starts with 0"},
        {{"remove", "a.db", "--run", " 010"}, "--run:  010 starts with 0"},
        {{"remove", "a.db", "--run", "0.5"}, "--run: 0.5 is not a whole number"},
        {{"remove", "a.db", "--run", "010", "--yes"},
         "--run: 010 starts with 0, which would read it as octal or hexadecimal"},
        {{"stats", "a.db", "--svg", "a.svg", "--bins", "0x10"},
         "--bins: 0x10 starts with 0, which would read it as octal or hexadecimal"},
        {{"report", "a.db", "-T", "R", "--cutoffs", "0"}, "-T is not an option; did you mean -t?"},
        {{"--verbse", "info", "a.db"}, "--verbse is not an option; did you mean --verbose?"},
        {{"import", "a.db", "b.csv", "-t", "T", "-e", "Cu", "--missing", "-999", "--bogus"},
         "vornel import: --bogus is not an option (see --help)"},
        {{"report", "a.db", "--cutzzzs", "0"}, "vornel report: --cutzzzs is not an option (see"},
        {{"info", "a.db", "-5"}, "vornel info: The following argument was not expected: -5"},
        {{"import", "a.db", "b.csv", "--element", "Cu"}, "--table"},
        {{"import", "a.db", "b.csv", "-t", "T"},
         "--element is required (or --voids for a file of void blocks)"},
        {{"import", "a.db", "b.csv", "-t", "T", "--voids", "-e", "Cu"},
         "--element excludes --voids"},
        {{"import", "a.db", "b.csv", "-t", "T", "--voids", "--void-table", "W"},
         "--void-table excludes --voids"},
        // Void blocks keep no tonnes for a density to give.
        {{"import", "a.db", "b.csv", "-t", "T", "--voids", "--density", "2.7"},
         "--density excludes --voids"},
        {{"info", "a.db", "--bogus"}, "--bogus"},
        // One command at a time: the second is no command of its own.
        {{"info", "a.db", "report", "a.db", "-t", "R", "--cutoffs", "0"},
         "vornel info: The following arguments were not expected"},
        {{"report", "a.db", "-t", "R", "--cutoffs", "0.5,high"}, "high"},
        {{"report", "a.db", "-t", "R", "--cutoffs", ""}, "--cutoffs: '' is not a number"},
        {{"report", "a.db", "-t", "R", "--cutoffs", "0.5,,1"},
         "--cutoffs: '' is not a number (in '0.5,,1')"},
        {{"compare", "a.db", "--cutoffs", "0.5,", "1"},
         "--cutoffs: '' is not a number (in '0.5,')"},
        {{"report", "a.db", "-t", "R", "--cutoffs", "inf"}, "'inf' is not a number"},
        {{"report", "a.db", "-t", "R", "--cutoffs", "0", "--density", "-1"},
         "--density: '-1' is not a number above 0"},
        // Values the parser takes, refused by the command before any work.
        {{"import", "a.db", "b.csv", "-t", "TWENTY_CHARACTERS_XX", "-e", "Cu"},
         "--table 'TWENTY_CHARACTERS_XX'"},
        {{"import", "a.db", "b.csv", "-t", "my table", "-e", "Cu"}, "--table 'my table'"},
        {{"import", "a.db", "b.csv", "-t", "krigblock_vrg_param", "-e", "Cu"},
         "--table 'krigblock_vrg_param': the catalog's own table has that name"},
        {{"import", "a.db", "b.csv", "-t", "T", "-e", "Cu", "--void-table", "KrigBlock_Param"},
         "--void-table 'KrigBlock_Param': the catalog's own table has that name"},
        {{"import", "a.db", "b.csv", "-t", "SQLite_blocks", "-e", "Cu"},
         "--table 'SQLite_blocks': names starting with sqlite_ belong to the database itself"},
        {{"import", "a.db", "b.csv", "-t", "T", "-e", "Cu-Au"}, "--element 'Cu-Au'"},
        {{"import", "a.db", "b.csv", "-t", "T", "-e", "VoidBlock"},
         "--element 'VoidBlock': the catalog reserves this name for void tables"},
        {{"import", "a.db", "b.csv", "-t", "T", "-e", "Cu", "--name", std::string(254, 'n')},
         "--name: 254 bytes; the catalog keeps 253 at most"},
        // One that would break the line, or steer the terminal, is not repeated.
        {{"import", "a.db", "b.csv", "-t", "T", "-e", "Cu", "--name", "pit\n\x1b[2J"},
         "--name: a description is one line of UTF-8 text, without control characters"},
        {{"import", "a.db", "b.csv", "-t", "T", "-e", "Cu", "--unit", "furlong"},
         "--unit: 'furlong' is not a grade unit"},
        {{"demo", ""}, "vornel demo: DB: the database path is empty"},
        {{"info", ""}, "vornel info: DB: the database path is empty"},
        {{"import", "a.db", "", "-t", "T", "-e", "Cu"}, "vornel import: FILE: the value is empty"},
        {{"compare", "a.db", "--with", "R", "--with-db", ""},
         "--with-db: the database path is empty"},
        {{"migrate", "a.mdb", ""}, "NEW: the database path is empty"},
        {{"import", "a.db", "b.csv", "-t", "T", "-e", "Cu", "--missing", "nan"},
         "--missing: 'nan' is not a number"},
        {{"import", "a.db", "b.csv", "-t", "T", "-e", "Cu", "--block-size", "abc"},
         "--block-size: 'abc' is not a number"},
        {{"import", "a.db", "b.csv", "-t", "T", "-e", "Cu", "--block-size", "0,10,10"},
         "--block-size: sizes must be above 0"},
        {{"import", "a.db", "b.csv", "-t", "T", "-e", "Cu", "--block-size", "10,0,10"},
         "--block-size: sizes must be above 0"},
        {{"import", "a.db", "b.csv", "-t", "T", "-e", "Cu", "--block-size", "10,10,0"},
         "--block-size: sizes must be above 0"},
        {{"import", "a.db", "b.csv", "-t", "T", "-e", "Cu", "--origin", "1,2"},
         "--origin: expected x,y,z"},
        {{"import", "a.db", "b.csv", "-t", "T", "-e", "Cu", "--grid", "0,2,2"},
         "--grid: the cells along X, Y and Z are whole numbers from 1, got '0,2,2'"},
        {{"import", "a.db", "b.csv", "-t", "T", "-e", "Cu", "--grid", "2.5,2,2"},
         "--grid: the cells along X, Y and Z are whole numbers from 1, got '2.5,2,2'"},
        {{"import", "a.db", "b.csv", "-t", "T", "-e", "Cu", "--grid", "2000,2000,1000"},
         "--grid: 2000 x 2000 x 1000 cells are more blocks than a run numbers (2147483647)"},
        {{"import", "a.db", "b.csv", "-t", "T", "-e", "Cu", "--grid", "1,4294967296,1"},
         "--grid: 4294967296 cells along Y are more blocks than a run numbers (2147483647)"},
        // A block size of one number is a cube; an origin is a point.
        {{"import", "a.db", "b.csv", "-t", "T", "-e", "Cu", "--origin", "5"},
         "--origin: expected x,y,z, got '5'"},
    };
    for (const auto& [args, named] : lines) {
        const CliResult r = vornel(args);
        EXPECT_EQ(r.status, 2) << named;
        EXPECT_EQ(linesOf(r.err).size(), 1u) << r.err;
        EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
    }
}

// An empty value, as a script's unset variable gives, is no option left
// out: compared with "" the first table would be compared with itself, and
// reported within "" the whole model would pass for the licence's part.
TEST_F(HelpTest, AnEmptyValueIsNoOptionLeftOut) {
    write("a.csv", "X,Y,Z,DX,DY,DZ,CU,TONNAGE\n5,5,5,10,10,10,1,2700\n");
    ok({"import", "m.db", "a.csv", "-t", "A", "-e", "Cu"});
    const std::string before = readFile(path("m.db"));
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"compare", "m.db", "--with", ""},
          {"report", "m.db", "--cutoffs", "0", "--within", ""},
          {"section", "m.db", "--z", "5", "--svg", ""},
          {"import", "m.db", "a.csv", "-t", "B", "--unit", ""},
          {"check", "m.db", "--table", ""}}) {
        const CliResult refused = vornel(command);
        EXPECT_USAGE_ERROR(refused, command[command.size() - 2] + ": the value is empty");
        EXPECT_EQ(refused.out, "");
    }
    EXPECT_EQ(readFile(path("m.db")), before);
    // A condition may be empty, as the library reads one: every block.
    EXPECT_EQ(rowFor(ok({"report", "m.db", "--cutoffs", "0", "--where", ""}), "0").at(1), "1");
}

TEST_F(HelpTest, VersionIsTheLibrarysAndTheExitStatusIsExplained) {
    EXPECT_EQ(ok({"--version"}), std::string("vornel ") + vornel::version() + "\n");
    EXPECT_NE(ok({"--help"})
                  .find("Exit status: 0 on success, 1 when the work failed, 2 for a "
                        "wrong command line; a command whose output's reader stops early (| "
                        "head) ends quietly, by SIGPIPE, as other programs do."),
              std::string::npos);
}

}  // namespace
}  // namespace vornel::test
