// Runs the standard sqlite3 shell on a database, as another tool would.
#ifndef VORNEL_TESTS_SHELL_H
#define VORNEL_TESTS_SHELL_H

#include <string>

namespace vornel::test {

// The shell's output for one SQL text, in its default list mode.
std::string sqliteShell(const std::string& database, const std::string& sql);

// The whole content of a file, and a file made to hold `content`.
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);

// True when `part` occurs in `text`.
bool contains(const std::string& text, const std::string& part);

}  // namespace vornel::test

#endif
