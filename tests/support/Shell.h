// Runs the standard sqlite3 shell on a database, as another tool would, and
// other commands; reads and writes small files.
#ifndef VORNEL_TESTS_SHELL_H
#define VORNEL_TESTS_SHELL_H

#include <string>
#include <vector>

namespace vornel::test {

// The shell's output for one SQL text, in its default list mode.
std::string sqliteShell(const std::string& database, const std::string& sql);

// What a shell command prints on its standard output; its exit status in
// `status` when asked.
std::string shellOutput(const std::string& command, int* status = nullptr);

// `s` in single quotes, as one word for the shell.
std::string shellQuote(const std::string& s);

// The whole content of a file, and a file made to hold `content`.
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);

// The lines of a text.
std::vector<std::string> linesOf(const std::string& text);

// True when `part` occurs in `text`.
bool contains(const std::string& text, const std::string& part);

}  // namespace vornel::test

#endif
