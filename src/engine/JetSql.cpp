#include "engine/JetSql.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <vector>

#include "engine/SqlTokens.h"

namespace vornel::engine {
namespace {

using Kind = TokenKind;

bool is(const Token& t, std::string_view word) {
    return isWord(t, word);
}

bool isPunct(const Token& t, char c) {
    return t.kind == Kind::Punct && t.text[0] == c;
}

// The plain name of a word or of a bracketed or quoted identifier.
std::string nameOf(const Token& t) {
    if (t.kind != Kind::Identifier || t.text.size() < 2) {
        return std::string(t.text);
    }
    const char close = t.text.back();
    std::string name(t.text.substr(1, t.text.size() - 2));
    if (close == '"' || close == '`') {
        std::string undoubled;
        for (size_t i = 0; i < name.size(); ++i) {
            undoubled += name[i];
            if (name[i] == close && i + 1 < name.size() && name[i + 1] == close) {
                ++i;
            }
        }
        name = undoubled;
    }
    return name;
}

bool isDoubleQuoted(const Token& t) {
    return t.kind == Kind::Identifier && t.text.size() >= 2 && t.text.front() == '"' &&
           t.text.back() == '"';
}

std::string backquoted(const std::string& name) {
    std::string quoted = "`";
    for (const char c : name) {
        quoted += c;
        if (c == '`') {
            quoted += '`';
        }
    }
    return quoted + "`";
}

class Rewriter {
public:
    explicit Rewriter(std::string_view statement) : tokens_(tokenize(statement)) {}

    std::string run() {
        const size_t first = next(0);
        if (first < tokens_.size()) {
            if (is(tokens_[first], "delete")) {
                dropDeleteStar(first);
            } else if (is(tokens_[first], "create")) {
                rewriteCreate(first);
            } else if (is(tokens_[first], "drop")) {
                rewriteDropIndex(first);
            }
        }
        std::string out;
        for (size_t i = 0; i < tokens_.size(); ++i) {
            auto replaced = replacements_.find(i);
            if (replaced != replacements_.end()) {
                out += replaced->second;
            } else if (dropped_[i]) {
                continue;
            } else if (isDoubleQuoted(tokens_[i])) {
                out += backquoted(nameOf(tokens_[i]));
            } else {
                out += tokens_[i].text;
            }
        }
        return out;
    }

private:
    // Index of the first token at or after i that is not blank.
    size_t next(size_t i) const {
        while (i < tokens_.size() && tokens_[i].kind == Kind::Space) {
            ++i;
        }
        return i;
    }

    bool at(size_t i) const { return i < tokens_.size(); }

    void replace(size_t i, std::string text) { replacements_[i] = std::move(text); }

    void dropDeleteStar(size_t del) {
        const size_t star = next(del + 1);
        if (at(star) && isPunct(tokens_[star], '*')) {
            const size_t from = next(star + 1);
            if (at(from) && is(tokens_[from], "from")) {
                dropped_[star] = true;
            }
        }
    }

    void rewriteCreate(size_t create) {
        size_t i = next(create + 1);
        if (at(i) && is(tokens_[i], "table")) {
            rewriteColumns(next(i + 1));
            return;
        }
        if (at(i) && is(tokens_[i], "unique")) {
            i = next(i + 1);
        }
        if (!at(i) || !is(tokens_[i], "index")) {
            return;
        }
        const size_t name = next(i + 1);
        const size_t on = next(name + 1);
        const size_t table = next(on + 1);
        if (at(table) && is(tokens_[on], "on")) {
            replace(name, qualifiedIndexName(nameOf(tokens_[table]), nameOf(tokens_[name])));
        }
    }

    void rewriteDropIndex(size_t drop) {
        const size_t index = next(drop + 1);
        if (!at(index) || !is(tokens_[index], "index")) {
            return;
        }
        const size_t name = next(index + 1);
        const size_t on = next(name + 1);
        const size_t table = next(on + 1);
        if (at(table) && is(tokens_[on], "on")) {
            replace(name, qualifiedIndexName(nameOf(tokens_[table]), nameOf(tokens_[name])));
            for (size_t k = name + 1; k <= table; ++k) {
                dropped_[k] = true;
            }
        }
    }

    // CREATE TABLE name ( column type [(size)] ..., ... )
    void rewriteColumns(size_t tableName) {
        size_t i = next(tableName + 1);
        if (!at(i) || !isPunct(tokens_[i], '(')) {
            return;
        }
        while (at(i) && !isPunct(tokens_[i], ')')) {
            const size_t column = next(i + 1);
            if (!at(column)) {
                return;
            }
            i = rewriteColumn(column);
            int depth = 0;
            while (at(i) &&
                   !(depth == 0 && (isPunct(tokens_[i], ',') || isPunct(tokens_[i], ')')))) {
                depth += isPunct(tokens_[i], '(') ? 1 : isPunct(tokens_[i], ')') ? -1 : 0;
                ++i;
            }
        }
    }

    // Rewrites the type of the column definition starting at `column`;
    // returns the index of the first token after the type.
    size_t rewriteColumn(size_t column) {
        static const char* const kConstraints[] = {"constraint", "primary", "unique", "check",
                                                   "foreign"};
        if (std::any_of(std::begin(kConstraints), std::end(kConstraints),
                        [&](const char* word) { return is(tokens_[column], word); })) {
            return column;
        }
        const size_t type = next(column + 1);
        if (!at(type) || tokens_[type].kind != Kind::Word) {
            return type;
        }
        size_t end = type + 1;
        std::string size;
        const size_t open = next(type + 1);
        if (at(open) && isPunct(tokens_[open], '(')) {
            size_t close = open + 1;
            while (at(close) && !isPunct(tokens_[close], ')')) {
                ++close;
            }
            if (!at(close)) {
                return close;
            }
            for (size_t k = open + 1; k < close; ++k) {
                size += tokens_[k].text;
            }
            end = close + 1;
        }
        std::string mapped = mapType(tokens_[type], size, std::string(tokens_[column].text));
        if (mapped.empty()) {
            return end;
        }
        replace(type, std::move(mapped));
        for (size_t k = type + 1; k < end; ++k) {
            dropped_[k] = true;
        }
        return end;
    }

    static std::string wholeCheck(const std::string& column, const char* range) {
        return " CHECK(" + column + " BETWEEN " + range + " AND typeof(" + column + ") <> 'real')";
    }

    static std::string textType(const std::string& size, const std::string& column) {
        std::string digits;
        for (char c : size) {
            if (!std::isspace(static_cast<unsigned char>(c))) {
                digits += c;
            }
        }
        if (digits.empty() || !std::all_of(digits.begin(), digits.end(),
                                           [](char c) { return std::isdigit(c) != 0; })) {
            digits = "255";
        }
        return "VARCHAR(" + digits + ") COLLATE NOCASE CHECK(length(" + column + ") <= " + digits +
               ")";
    }

    // What a table of Jet type names gives for the type, or null.
    template <size_t N>
    static const char* lookup(const std::pair<const char*, const char*> (&table)[N],
                              const Token& type) {
        for (const auto& [jet, mapped] : table) {
            if (is(type, jet)) {
                return mapped;
            }
        }
        return nullptr;
    }

    // The SQLite declaration of a Jet type; empty when the type stays.
    static std::string mapType(const Token& type, const std::string& size,
                               const std::string& column) {
        // Jet refuses a number its integer column cannot hold; SQLite would
        // keep it in 64 bits, or a fraction, and it would read back as no
        // 32-bit value. A counter is a 32-bit integer too.
        static const std::pair<const char*, const char*> kIntegers[] = {
            {"int", "-2147483648 AND 2147483647"},
            {"integer", "-2147483648 AND 2147483647"},
            {"long", "-2147483648 AND 2147483647"},
            {"short", "-32768 AND 32767"},
            {"smallint", "-32768 AND 32767"},
            {"byte", "0 AND 255"},
            {"tinyint", "0 AND 255"},
        };
        if (const char* range = lookup(kIntegers, type)) {
            return "INTEGER" + wholeCheck(column, range);
        }
        if (is(type, "autoincrement") || is(type, "counter")) {
            return "COUNTER" + wholeCheck(column, "-2147483648 AND 2147483647");
        }
        static const std::pair<const char*, const char*> kFixed[] = {
            {"double", "DOUBLE"},
            {"float", "DOUBLE"},
            {"single", "DOUBLE"},
            {"real", "DOUBLE"},
            {"yesno", "BOOLEAN"},
            {"bit", "BOOLEAN"},
            {"logical", "BOOLEAN"},
            {"boolean", "BOOLEAN"},
            {"image", "BLOB"},
            {"longbinary", "BLOB"},
            {"oleobject", "BLOB"},
            {"general", "BLOB"},
            {"datetime", "DATETIME"},
            {"date", "DATETIME"},
            {"time", "DATETIME"},
            {"timestamp", "DATETIME"},
            {"currency", "CURRENCY"},
            {"money", "CURRENCY"},
            {"memo", "TEXT COLLATE NOCASE"},
            {"longtext", "TEXT COLLATE NOCASE"},
            {"longchar", "TEXT COLLATE NOCASE"},
            {"note", "TEXT COLLATE NOCASE"},
        };
        if (const char* sqlite = lookup(kFixed, type)) {
            return sqlite;
        }
        static const char* const kSized[] = {"varchar", "char",     "text",
                                             "string",  "nvarchar", "alphanumeric"};
        if (std::any_of(std::begin(kSized), std::end(kSized),
                        [&](const char* jet) { return is(type, jet); })) {
            return textType(size, column);
        }
        return {};
    }

    std::vector<Token> tokens_;
    std::vector<bool> dropped_ = std::vector<bool>(tokens_.size(), false);
    std::map<size_t, std::string> replacements_;
};

}  // namespace

std::string qualifiedIndexName(std::string_view table, std::string_view index) {
    std::string name = "\"";
    for (std::string_view part : {table, std::string_view("."), index}) {
        for (char c : part) {
            name += c;
            if (c == '"') {
                name += '"';
            }
        }
    }
    return name + "\"";
}

std::string translateJet(std::string_view statement) {
    return Rewriter(statement).run();
}

}  // namespace vornel::engine
