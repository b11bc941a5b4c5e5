#include "migrate/MdbTools.h"

#include <sstream>
#include <stdexcept>

#include "support/Shell.h"

namespace vornel::test {
namespace {

std::string run(const std::string& command) {
    int status = 0;
    std::string out = shellOutput(command, &status);
    if (status != 0) {
        throw std::runtime_error("failed: " + command);
    }
    return out;
}

// Comma-separated, rows ending in a newline; a value in double quotes may
// hold commas, newlines and doubled quotes.
std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1);
    std::string cell;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',' || c == '\n') {
            rows.back().push_back(cell);
            cell.clear();
            if (c == '\n') {
                rows.emplace_back();
            }
        } else {
            cell += c;
        }
    }
    rows.pop_back();  // after the last newline
    return rows;
}

}  // namespace

std::vector<std::string> mdbTables(const std::string& file) {
    std::istringstream in(run("mdb-tables -1 " + shellQuote(file)));
    std::vector<std::string> tables;
    for (std::string line; std::getline(in, line);) {
        tables.push_back(line);
    }
    return tables;
}

std::vector<std::pair<std::string, std::string>> mdbSchema(const std::string& file,
                                                           const std::string& table) {
    std::istringstream in(
        run("mdb-schema --no-not-null -T " + shellQuote(table) + " " + shellQuote(file)));
    std::vector<std::pair<std::string, std::string>> columns;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("\t[", 0) != 0) {
            continue;
        }
        const size_t close = line.find(']');
        std::string type = line.substr(line.find_first_not_of('\t', close + 1));
        type.resize(type.find_last_not_of(", ") + 1);
        columns.emplace_back(line.substr(2, close - 2), type);
    }
    return columns;
}

std::vector<std::vector<std::string>> mdbExport(const std::string& file, const std::string& table) {
    const std::string dates = shellQuote("%Y-%m-%d %H:%M:%S");
    return parseCsv(run("mdb-export -b hex -D " + dates + " -T " + dates + " " + shellQuote(file) +
                        " " + shellQuote(table)));
}

}  // namespace vornel::test
