// Rows of comma-separated values, or of a GSLIB (Geo-EAS) file's values
// separated by blanks: numbers in the shortest text that reads back to the
// same double, text quoted when it must be.
#ifndef VORNEL_CLI_CSVWRITER_H
#define VORNEL_CLI_CSVWRITER_H

#include <ostream>
#include <string>
#include <vector>

namespace vornel::cli {

enum class TableLayout { Csv, Gslib };

class CsvWriter {
public:
    explicit CsvWriter(std::ostream& out, TableLayout layout = TableLayout::Csv)
        : out_(out), layout_(layout) {}

    CsvWriter& number(double value);
    // A value the library keeps in single precision: the shortest text that
    // reads back to that float (61200.01, not 61200.01171875), when it is one.
    CsvWriter& single(double value);
    CsvWriter& integer(long value);
    CsvWriter& text(const std::string& value);
    // No value: an empty field, or in a GSLIB file -999, which its programs
    // take for none.
    CsvWriter& missing();
    // The names of the columns, a row of them; a GSLIB header has the title
    // above them, then their number (and a grid file's cells), then each on
    // a line of its own.
    void header(const std::vector<std::string>& names, const std::string& title = "",
                const std::string& cells = "");
    void endRow();

private:
    void separate();

    std::ostream& out_;
    TableLayout layout_;
    bool rowStarted_ = false;
};

}  // namespace vornel::cli

#endif
