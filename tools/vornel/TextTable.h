// Columns of text aligned for the terminal: the first column to the left,
// the others (numbers, mostly) to the right.
#ifndef VORNEL_CLI_TEXTTABLE_H
#define VORNEL_CLI_TEXTTABLE_H

#include <ostream>
#include <string>
#include <vector>

namespace vornel::cli {

class TextTable {
public:
    void add(std::vector<std::string> cells) { rows_.push_back(std::move(cells)); }
    // Each line starts with `indent`.
    void print(std::ostream& out, const std::string& indent = "  ") const;

private:
    std::vector<std::vector<std::string>> rows_;
};

}  // namespace vornel::cli

#endif
