#include "support/Shell.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vornel::test {

std::string shellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

std::string shellOutput(const std::string& command, int* status) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        throw std::runtime_error("cannot run " + command);
    }
    std::string out;
    char buf[65536];
    size_t n = 0;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) {
        out.append(buf, n);
    }
    const int ended = pclose(pipe);
    if (status != nullptr) {
        *status = ended;
    }
    return out;
}

std::string sqliteShell(const std::string& database, const std::string& sql) {
    return shellOutput("sqlite3 -batch " + shellQuote(database) + " " + shellQuote(sql) + " 2>&1");
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace vornel::test
