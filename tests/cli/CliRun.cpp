#include "CliRun.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "support/Shell.h"

namespace vornel::test {

pid_t startVornel(const std::string& dir, const std::vector<std::string>& args, int out,
                  const std::string& errPath) {
    std::vector<std::string> argv{VORNEL_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers(argv.size() + 1, nullptr);
    std::transform(argv.begin(), argv.end(), pointers.begin(),
                   [](std::string& a) { return a.data(); });
    const pid_t child = fork();
    if (child == 0) {
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int in = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0 || chdir(dir.c_str()) != 0) {
            _exit(127);
        }
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    return child;
}

CliResult runVornel(const std::string& dir, const std::vector<std::string>& args,
                    const std::string& stdoutPath) {
    const bool captured = stdoutPath.empty();
    const std::string outPath = captured ? dir + "/.stdout" : stdoutPath;
    const std::string errPath = dir + "/.stderr";
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const pid_t child = startVornel(dir, args, out, errPath);
    if (out >= 0) {
        close(out);
    }
    CliResult result;
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
    }
    if (captured) {
        result.out = readFile(outPath);
        unlink(outPath.c_str());
    }
    result.err = readFile(errPath);
    unlink(errPath.c_str());
    return result;
}

CsvTable readCsv(const std::string& path) {
    CsvTable table;
    for (const std::string& line : linesOf(readFile(path))) {
        std::vector<std::string> fields;
        std::stringstream in(line);
        std::string field;
        while (std::getline(in, field, ',')) {
            fields.push_back(field);
        }
        if (!line.empty() && line.back() == ',') {
            fields.emplace_back();
        }
        if (table.header.empty()) {
            table.header = fields;
        } else {
            table.rows.push_back(fields);
        }
    }
    return table;
}

std::string CsvTable::at(size_t row, const std::string& column) const {
    const auto c = std::find(header.begin(), header.end(), column);
    if (c == header.end()) {
        throw std::out_of_range("no column '" + column + "' in the header");
    }
    return rows.at(row).at(static_cast<size_t>(c - header.begin()));
}

double CsvTable::number(size_t row, const std::string& column) const {
    return std::strtod(at(row, column).c_str(), nullptr);
}

std::string lineStarting(const std::string& text, const std::string& prefix) {
    for (const std::string& line : linesOf(text)) {
        const size_t start = line.find_first_not_of(' ');
        if (start != std::string::npos && line.compare(start, prefix.size(), prefix) == 0) {
            return line;
        }
    }
    return {};
}

std::vector<std::string> wordsOf(const std::string& line) {
    std::vector<std::string> words;
    std::stringstream in(line);
    std::string word;
    while (in >> word) {
        words.push_back(word);
    }
    return words;
}

std::vector<std::string> rowFor(const std::string& report, const std::string& cutoff) {
    for (const std::string& line : linesOf(report)) {
        std::vector<std::string> words = wordsOf(line);
        if (!words.empty() && words[0] == cutoff) {
            return words;
        }
    }
    return {};
}

std::string sharedData(const std::string& name) {
    const char* dir = std::getenv("VORNEL_SHARED_DATA");
    return std::string(dir != nullptr ? dir : VORNEL_SHARED_DATA_DIR) + "/" + name;
}

std::string flattenTwoSubBlocks(const std::string& table, int blockId) {
    return "UPDATE " + table +
           " SET SubBUDBlob = CAST(substr(SubBUDBlob, 1, 68) || zeroblob(8) || "
           "substr(SubBUDBlob, 77, 16) || zeroblob(8) AS BLOB) WHERE Krig_BlockID = " +
           std::to_string(blockId) + ";";
}

std::vector<SvgPoint> svgPoints(const std::string& svg, const std::string& kind) {
    std::vector<SvgPoint> points;
    const std::regex re("<circle class=\"" + kind +
                        "\" cx=\"([-0-9.]+)\" cy=\"([-0-9.]+)\"[^>]*><title>([^<]*)</title>");
    for (auto m = std::sregex_iterator(svg.begin(), svg.end(), re); m != std::sregex_iterator();
         ++m) {
        points.push_back({std::stod((*m)[1]), std::stod((*m)[2]), (*m)[3]});
    }
    return points;
}

}  // namespace vornel::test
