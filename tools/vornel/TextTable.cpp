#include "TextTable.h"

#include <algorithm>

namespace vornel::cli {

namespace {

// Characters, not bytes: a class or table name may be written in any script.
size_t widthOf(const std::string& cell) {
    return static_cast<size_t>(std::count_if(cell.begin(), cell.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

}  // namespace

void TextTable::print(std::ostream& out, const std::string& indent) const {
    std::vector<size_t> width;
    for (const auto& row : rows_) {
        width.resize(std::max(width.size(), row.size()), 0);
        for (size_t c = 0; c < row.size(); ++c) {
            width[c] = std::max(width[c], widthOf(row[c]));
        }
    }
    for (const auto& row : rows_) {
        std::string line = indent;
        for (size_t c = 0; c < row.size(); ++c) {
            const std::string pad(width[c] - widthOf(row[c]), ' ');
            const bool left = std::find(left_.begin(), left_.end(), c) != left_.end();
            line += (c == 0 ? "" : "  ") + (left ? row[c] + pad : pad + row[c]);
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << '\n';
    }
}

}  // namespace vornel::cli
