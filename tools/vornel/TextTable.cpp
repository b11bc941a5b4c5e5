#include "TextTable.h"

#include <algorithm>

namespace vornel::cli {

void TextTable::print(std::ostream& out, const std::string& indent) const {
    std::vector<size_t> width;
    for (const auto& row : rows_) {
        width.resize(std::max(width.size(), row.size()), 0);
        for (size_t c = 0; c < row.size(); ++c) {
            width[c] = std::max(width[c], row[c].size());
        }
    }
    for (const auto& row : rows_) {
        std::string line = indent;
        for (size_t c = 0; c < row.size(); ++c) {
            const std::string pad(width[c] - row[c].size(), ' ');
            line += c == 0 ? row[c] + pad : "  " + pad + row[c];
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << '\n';
    }
}

}  // namespace vornel::cli
