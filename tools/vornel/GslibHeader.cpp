#include "GslibHeader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>

#include "NumberText.h"

namespace vornel::cli {
namespace {

// More variables than any program writes: a count line beyond it is data.
constexpr long kMostVariables = 1000;

std::vector<std::string> wordsOf(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) {
        words.push_back(w);
    }
    return words;
}

bool wholeNumber(const std::string& text, long most, long& value) {
    double v = 0;
    if (!parseNumber(text, v) || v < 1 || v > static_cast<double>(most) || v != std::floor(v)) {
        return false;
    }
    value = static_cast<long>(v);
    return true;
}

bool allNumbers(const std::vector<std::string>& words) {
    return std::all_of(words.begin(), words.end(), [](const std::string& w) {
        double ignored = 0;
        return parseNumber(w, ignored);
    });
}

}  // namespace

std::optional<GslibHeader> readGslibHeader(TextRows& rows) {
    GslibHeader header;
    std::string line;
    if (!rows.nextLine(header.title) || !rows.nextLine(line)) {
        return std::nullopt;
    }
    header.title = trimmed(header.title);
    // A count alone, or with the grid's cells: four whole numbers in all.
    const std::vector<std::string> counts = wordsOf(line);
    long variables = 0;
    if ((counts.size() != 1 && counts.size() != 4) ||
        !wholeNumber(counts[0], kMostVariables, variables)) {
        return std::nullopt;
    }
    if (counts.size() == 4) {
        GridCells cells{};
        for (size_t a = 0; a < 3; ++a) {
            if (!wholeNumber(counts[a + 1], INT32_MAX, cells[a])) {
                return std::nullopt;
            }
        }
        header.cells = cells;
    }
    // A name may hold blanks ("Estimation Variance"), but a line of numbers
    // is data: the file was a table whose second row held one number.
    for (long v = 0; v < variables; ++v) {
        if (!rows.nextLine(line) || trimmed(line).empty() || allNumbers(wordsOf(line))) {
            return std::nullopt;
        }
        header.names.push_back(trimmed(line));
    }
    header.lastLine = rows.lineNumber();
    rows.separateByBlanks();
    return header;
}

}  // namespace vornel::cli
