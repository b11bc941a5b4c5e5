#include "engine/StatementShape.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "engine/SqlTokens.h"
#include "platform/CNumbers.h"

namespace vornel::engine {
namespace {

// Beyond SQLite's default limit on parameters a statement is run as written.
constexpr size_t kMostLiterals = 32766;

bool changesData(const std::vector<Token>& tokens) {
    const auto t = std::find_if(tokens.begin(), tokens.end(),
                                [](const Token& token) { return token.kind != TokenKind::Space; });
    return t != tokens.end() &&
           (isWord(*t, "insert") || isWord(*t, "update") || isWord(*t, "delete"));
}

bool positional(const Token& t) {
    return isWord(t, "order") || isWord(t, "group") || isWord(t, "limit");
}

// A parameter the text holds itself (?, ?1, :name, @name, #name, $name):
// its numbering would mix with the literals', so such a text runs as written.
bool parameter(const Token& t) {
    return (t.kind == TokenKind::Punct &&
            (t.text == "?" || t.text == ":" || t.text == "@" || t.text == "#")) ||
           (t.kind == TokenKind::Word && t.text.front() == '$');
}

bool integral(std::string_view number) {
    return number.find_first_of(".eE") == std::string_view::npos;
}

double decimal(const std::string& text) {
    return parseCNumber(text.c_str());
}

// Inside a literal every quote is doubled, so one that is closed holds an
// even number of quotes, its own two included; 'abc'' is not closed.
bool closedLiteral(std::string_view text) {
    return text.size() >= 2 && std::count(text.begin(), text.end(), '\'') % 2 == 0;
}

}  // namespace

Shape shapeOf(std::string_view sql) {
    Shape shape;
    const std::vector<Token> tokens = tokenize(sql);
    if (!changesData(tokens)) {
        return shape;
    }
    for (const Token& t : tokens) {
        if (positional(t) || parameter(t)) {
            return Shape();
        }
        if (t.kind == TokenKind::Number || t.kind == TokenKind::Literal) {
            const bool text = t.kind == TokenKind::Literal;
            if (text && !closedLiteral(t.text)) {
                return Shape();  // unterminated: let the engine say so
            }
            shape.literals.push_back({text               ? Literal::Text
                                      : integral(t.text) ? Literal::Integer
                                                         : Literal::Real,
                                      t.text});
            shape.text += "?" + std::to_string(shape.literals.size());
        } else {
            shape.text += t.text;
        }
    }
    shape.shared = shape.literals.size() <= kMostLiterals;
    return shape;
}

bool bindLiterals(sqlite3_stmt* stmt, const std::vector<Literal>& literals) {
    int index = 1;
    std::string value;
    for (const Literal& literal : literals) {
        int rc = SQLITE_OK;
        if (literal.kind == Literal::Text) {
            value.clear();
            const std::string_view body = literal.text.substr(1, literal.text.size() - 2);
            for (size_t i = 0; i < body.size(); ++i) {
                value += body[i];
                i += body[i] == '\'' ? 1 : 0;  // '' stands for one quote
            }
            rc = sqlite3_bind_text(stmt, index, value.data(), static_cast<int>(value.size()),
                                   SQLITE_TRANSIENT);
        } else {
            value.assign(literal.text);
            errno = 0;
            const long long whole =
                literal.kind == Literal::Integer ? std::strtoll(value.c_str(), nullptr, 10) : 0;
            rc = literal.kind == Literal::Integer && errno == 0
                     ? sqlite3_bind_int64(stmt, index, whole)
                     : sqlite3_bind_double(stmt, index, decimal(value));
        }
        if (rc != SQLITE_OK) {
            return false;
        }
        ++index;
    }
    return true;
}

}  // namespace vornel::engine
