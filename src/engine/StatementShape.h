// The shape of a data-changing statement: its text with every literal
// replaced by a numbered parameter. Statements that differ only in their
// values share a shape, so one compiled statement serves them all; binding
// the values also reads every decimal exactly (correctly rounded).
#ifndef VORNEL_ENGINE_STATEMENTSHAPE_H
#define VORNEL_ENGINE_STATEMENTSHAPE_H

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <vector>

namespace vornel::engine {

struct Literal {
    enum Kind { Integer, Real, Text } kind;
    std::string_view text;  // as written, quotes included for text
};

struct Shape {
    bool shared = false;  // false: run the statement as written
    std::string text;
    std::vector<Literal> literals;
};

// Only INSERT, UPDATE and DELETE statements take a shared shape, and none
// whose literals could mean positions (ORDER BY, GROUP BY, LIMIT).
Shape shapeOf(std::string_view sql);

// Binds the literals to parameters 1, 2, ...; false if SQLite refused one.
bool bindLiterals(sqlite3_stmt* stmt, const std::vector<Literal>& literals);

}  // namespace vornel::engine

#endif
