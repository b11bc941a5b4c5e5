// Building the text of the statements the store issues.
#ifndef VORNEL_STORE_SQL_H
#define VORNEL_STORE_SQL_H

#include <string>
#include <string_view>

namespace vornel::store {

// printf into a string of any length.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// False for a table name that cannot stand between square brackets: one
// holding ']' or a NUL.
bool bracketable(const std::string& name);

// True for a table name that stands unbracketed in a statement as one
// identifier: ASCII letters, digits and '_', '$' but first, and the bytes of
// other characters. Only such a name may be spliced into a statement bare:
// any other could make it a different statement.
bool plainName(const std::string& name);

// Why a caller-named table is refused, or nullptr when it is not.
const char* tableNameProblem(const std::string& name);

// Why a text that a statement compares with a column, or stores in one, is
// refused, or nullptr: no column holds a NUL, and the text cut at one would
// name another run or table than the caller meant.
const char* textProblem(const std::string& text);

// Text as an SQL literal: between single quotes, each quote doubled, so a
// run named O'Brien pit is stored as it is named.
std::string quoted(std::string_view text);

}  // namespace vornel::store

#endif
