#include "migrate/BlockLayout.h"

#include <cctype>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "shell/TableNames.h"
#include "store/TableLayouts.h"

namespace vornel::migrate {
namespace {

// One column as the library's CREATE statement writes it: "Name Type" or
// "Name Type(n)".
struct Expected {
    std::string name;
    std::string type;  // in lower case
    int width = 0;     // of a VarChar
};

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) {
        s.remove_prefix(1);
    }
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) {
        s.remove_suffix(1);
    }
    return s;
}

Expected parseColumn(std::string_view definition) {
    Expected e;
    const size_t blank = definition.find(' ');
    e.name = std::string(definition.substr(0, blank));
    std::string_view type = trim(definition.substr(blank + 1));
    const size_t open = type.find('(');
    if (open != std::string_view::npos) {
        e.width = std::atoi(std::string(type.substr(open + 1)).c_str());
        type = type.substr(0, open);
    }
    for (char c : type) {
        e.type += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return e;
}

// The definitions are separated by commas outside parentheses:
// AUTOINCREMENT(1,1) is one type.
std::vector<Expected> parseLayout(std::string_view columns) {
    std::vector<Expected> layout;
    int depth = 0;
    size_t start = 0;
    for (size_t i = 0; i <= columns.size(); ++i) {
        const char c = i < columns.size() ? columns[i] : ',';
        depth += c == '(' ? 1 : c == ')' ? -1 : 0;
        if (c == ',' && depth == 0) {
            layout.push_back(parseColumn(trim(columns.substr(start, i - start))));
            start = i + 1;
        }
    }
    return layout;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool isInteger(int type) {
    return type == jet::kByte || type == jet::kInteger || type == jet::kLong;
}

// Whether the library's column keeps every value of the Access column.
bool holds(const Expected& e, const AccessColumn& column) {
    if (e.type == "int" || e.type == "long" || e.type == "autoincrement") {
        return isInteger(column.type);
    }
    if (e.type == "double") {
        return column.type == jet::kSingle || column.type == jet::kDouble;
    }
    if (e.type == "varchar") {
        return column.type == jet::kText && column.size <= e.width;
    }
    if (e.type == "yesno") {
        return column.type == jet::kBool;
    }
    return e.type == "image" && (column.type == jet::kOle || column.type == jet::kBinary);
}

bool sameLayout(const AccessTable& table, const std::vector<Expected>& layout) {
    if (table.columns.size() != layout.size()) {
        return false;
    }
    for (size_t i = 0; i < layout.size(); ++i) {
        if (!sameName(table.columns[i].name, layout[i].name) ||
            !holds(layout[i], table.columns[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

BlockLayout blockLayoutOf(const AccessTable& table) {
    static const std::vector<Expected> param = parseLayout(store::kParamColumns);
    static const std::vector<Expected> vrgParam = parseLayout(store::kVrgParamColumns);
    static const std::vector<Expected> result = parseLayout(store::kResultColumns);
    static const std::vector<Expected> voids = parseLayout(store::kVoidColumns);
    if (sameName(table.name, kParamTable) && sameLayout(table, param)) {
        return BlockLayout::Param;
    }
    if (sameName(table.name, kVrgParamTable) && sameLayout(table, vrgParam)) {
        return BlockLayout::VrgParam;
    }
    if (sameLayout(table, result)) {
        return BlockLayout::Result;
    }
    return sameLayout(table, voids) ? BlockLayout::Void : BlockLayout::None;
}

}  // namespace vornel::migrate
