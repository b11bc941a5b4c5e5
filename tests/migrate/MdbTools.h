// The mdbtools commands: a reader of Access files independent of the
// migration, to compare what it wrote against.
#ifndef VORNEL_TESTS_MDBTOOLS_H
#define VORNEL_TESTS_MDBTOOLS_H

#include <string>
#include <utility>
#include <vector>

namespace vornel::test {

// The user tables, as mdb-tables lists them.
std::vector<std::string> mdbTables(const std::string& file);

// Each column's name and type as mdb-schema writes them ("Long Integer",
// "Text (5)", "OLE (255)", ...).
std::vector<std::pair<std::string, std::string>> mdbSchema(const std::string& file,
                                                           const std::string& table);

// The table as mdb-export writes it, the header first: binary values in
// upper-case hexadecimal, dates as YYYY-MM-DD HH:MM:SS, yes/no as 1 or 0,
// and a NULL as nothing.
std::vector<std::vector<std::string>> mdbExport(const std::string& file, const std::string& table);

}  // namespace vornel::test

#endif
