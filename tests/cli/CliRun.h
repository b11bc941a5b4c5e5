// Running the vornel executable from a test, and the small files it reads
// and writes.
#ifndef VORNEL_TESTS_CLI_CLIRUN_H
#define VORNEL_TESTS_CLI_CLIRUN_H

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/Shell.h"

namespace vornel::test {

struct CliResult {
    int status = -1;  // exit status, or -1 when the program did not exit
    std::string out;
    std::string err;
};

// Runs `vornel ARGS...` with `dir` as its working directory. Its standard
// output goes to `stdoutPath` (a device, say) when one is given, and is not
// captured then.
CliResult runVornel(const std::string& dir, const std::vector<std::string>& args,
                    const std::string& stdoutPath = "");

// Starts `vornel ARGS...` in `dir`, its standard input /dev/null, its
// standard output the descriptor `out` and its standard error the file at
// `errPath`; returns its process id.
pid_t startVornel(const std::string& dir, const std::vector<std::string>& args, int out,
                  const std::string& errPath);

// A CSV file without quoted fields: its header and rows, split at commas.
struct CsvTable {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;

    // The field of a row in the named column; throws std::out_of_range when
    // the header has no such column or the table no such row, so that a
    // renamed column fails the test instead of reading as "".
    std::string at(size_t row, const std::string& column) const;
    double number(size_t row, const std::string& column) const;
};
CsvTable readCsv(const std::string& path);

// The first line of `text` that starts with `prefix` after its indentation,
// or "" when there is none.
std::string lineStarting(const std::string& text, const std::string& prefix);

// The words of a line, split at blanks.
std::vector<std::string> wordsOf(const std::string& line);

// The words of the first line of a report whose first word is `cutoff`: the
// grade-tonnage row for that cut-off, or none.
std::vector<std::string> rowFor(const std::string& report, const std::string& cutoff);

// The points of one kind of curve in a drawing (<circle class="KIND">):
// their place and title.
struct SvgPoint {
    double x;
    double y;
    std::string title;
};
std::vector<SvgPoint> svgPoints(const std::string& svg, const std::string& kind);

// SQL that makes the two sub-blocks of a block flat, 0 high, as a damaged
// or hand-edited file may hold them. Their list is a 4-byte count, two
// centres and two sizes of three doubles: the heights are at bytes 68 and 92.
std::string flattenTwoSubBlocks(const std::string& table, int blockId);

// A file of the shared data folder (marvin.blocks, the Access files), which
// VORNEL_SHARED_DATA names when it is set.
std::string sharedData(const std::string& name);

}  // namespace vornel::test

#endif
