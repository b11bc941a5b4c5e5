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
    // Aligns a column of text, as the first, to the left.
    void alignLeft(size_t column) { left_.push_back(column); }
    // Each line starts with `indent`.
    void print(std::ostream& out, const std::string& indent = "  ") const;

private:
    std::vector<std::vector<std::string>> rows_;
    std::vector<size_t> left_ = {0};
};

}  // namespace vornel::cli

#endif
