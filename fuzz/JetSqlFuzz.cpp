// The translation of the library's Jet statements for SQLite, on any text:
// the tokens cover the text exactly; only DELETE, CREATE and DROP statements
// are rewritten, but for names in double quotes, which any statement gives
// in backquotes; and the literals a data-changing statement is bound with
// are the values they spell.
#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "engine/JetSql.h"
#include "engine/SqlTokens.h"
#include "engine/StatementShape.h"

using namespace vornel::engine;
using vornel::fuzz::require;

namespace {

bool rewritable(const std::vector<Token>& tokens) {
    const auto first = std::find_if(tokens.begin(), tokens.end(),
                                    [](const Token& t) { return t.kind != TokenKind::Space; });
    return first != tokens.end() &&
           (isWord(*first, "delete") || isWord(*first, "create") || isWord(*first, "drop"));
}

// The text with each name in double quotes ("a""b") in backquotes (`a"b`),
// backquotes within doubled.
std::string backquotingNames(const std::vector<Token>& tokens) {
    std::string out;
    for (const Token& t : tokens) {
        if (t.kind != TokenKind::Identifier || t.text.size() < 2 || t.text.front() != '"' ||
            t.text.back() != '"') {
            out += t.text;
            continue;
        }
        out += '`';
        const std::string_view inner = t.text.substr(1, t.text.size() - 2);
        for (size_t i = 0; i < inner.size(); ++i) {
            out += inner[i] == '`' ? "``" : std::string(1, inner[i]);
            i += inner[i] == '"' && i + 1 < inner.size() && inner[i + 1] == '"' ? 1 : 0;
        }
        out += '`';
    }
    return out;
}

// A number comes back as the integer it spells, or, written with a point or
// an exponent or too large for 64 bits, as the double nearest to it.
void checkNumber(std::string_view text, sqlite3_stmt* stmt, int c) {
    const char* end = text.data() + text.size();
    long long whole = 0;
    const std::from_chars_result asWhole = std::from_chars(text.data(), end, whole);
    if (asWhole.ec == std::errc() && asWhole.ptr == end) {
        require(sqlite3_column_type(stmt, c) == SQLITE_INTEGER);
        require(sqlite3_column_int64(stmt, c) == whole);
        return;
    }
    double nearest = 0;
    const std::from_chars_result asReal = std::from_chars(text.data(), end, nearest);
    require(asReal.ptr == end);
    require(sqlite3_column_type(stmt, c) == SQLITE_FLOAT);
    require(sqlite3_column_double(stmt, c) == nearest ||
            asReal.ec == std::errc::result_out_of_range);
}

// Binds the literals of a shape to a statement of as many parameters and
// reads them back: each quoted literal comes back as its text, undoubled,
// and each number as its value.
void checkBinding(const Shape& shape) {
    static sqlite3* db = [] {
        sqlite3* opened = nullptr;
        sqlite3_open(":memory:", &opened);
        return opened;
    }();
    std::string sql = "SELECT ";
    for (size_t i = 1; i <= shape.literals.size(); ++i) {
        sql += (i > 1 ? ", ?" : "?") + std::to_string(i);
    }
    sqlite3_stmt* stmt = nullptr;
    require(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK);
    require(bindLiterals(stmt, shape.literals));
    require(sqlite3_step(stmt) == SQLITE_ROW);
    for (size_t i = 0; i < shape.literals.size(); ++i) {
        const Literal& literal = shape.literals[i];
        const int c = static_cast<int>(i);
        if (literal.kind != Literal::Text) {
            checkNumber(literal.text, stmt, c);
            continue;
        }
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
        std::string requoted = "'";
        for (char ch : std::string_view(text, static_cast<size_t>(sqlite3_column_bytes(stmt, c)))) {
            requoted += ch == '\'' ? "''" : std::string(1, ch);
        }
        require(requoted + "'" == literal.text);
    }
    sqlite3_finalize(stmt);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view sql(reinterpret_cast<const char*>(data), size);
    const std::vector<Token> tokens = tokenize(sql);
    std::string joined;
    for (const Token& t : tokens) {
        require(!t.text.empty());
        joined += t.text;
    }
    require(joined == sql);

    const std::string translated = translateJet(sql);
    if (!rewritable(tokens)) {
        require(translated == backquotingNames(tokens));
    }
    const Shape shape = shapeOf(translated);
    if (shape.shared && !shape.literals.empty() && shape.literals.size() <= 100) {
        checkBinding(shape);
    }
    return 0;
}
