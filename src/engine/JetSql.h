// The statements this library writes are in the Access (Jet) dialect. This
// step rewrites the few constructs SQLite reads differently; everything else
// passes through unchanged, text in quotes included.
#ifndef VORNEL_ENGINE_JETSQL_H
#define VORNEL_ENGINE_JETSQL_H

#include <string>
#include <string_view>

namespace vornel::engine {

// "DELETE * FROM" loses its star; the column types of CREATE TABLE become
// declarations that keep Jet's behaviour (32-bit integers, text of a
// bounded length blind to the case of A to Z, yes/no, long binary, counters,
// dates, currency);
// index names, per table in Jet, are qualified by their table; a name in
// double quotes goes in backquotes, where SQLite never takes a misspelt
// column for a text, as it does a double-quoted one.
std::string translateJet(std::string_view statement);

// The name under which an index of a table is stored.
std::string qualifiedIndexName(std::string_view table, std::string_view index);

}  // namespace vornel::engine

#endif
