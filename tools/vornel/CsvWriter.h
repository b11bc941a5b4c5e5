// Rows of comma-separated values: numbers in the shortest text that reads
// back to the same double, text quoted when it must be.
#ifndef VORNEL_CLI_CSVWRITER_H
#define VORNEL_CLI_CSVWRITER_H

#include <ostream>
#include <string>
#include <vector>

namespace vornel::cli {

class CsvWriter {
public:
    explicit CsvWriter(std::ostream& out) : out_(out) {}

    CsvWriter& number(double value);
    // A value the library keeps in single precision: the shortest text that
    // reads back to that float (61200.01, not 61200.01171875), when it is one.
    CsvWriter& single(double value);
    CsvWriter& integer(long value);
    CsvWriter& text(const std::string& value);
    void header(const std::vector<std::string>& names);
    void endRow();

private:
    void separate();

    std::ostream& out_;
    bool rowStarted_ = false;
};

}  // namespace vornel::cli

#endif
