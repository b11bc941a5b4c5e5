// vornel-bench: times the library's main operations against the same work
// written directly on SQLite, and reports the ratios. It informs: it exits
// 0 whether the targets are met or not, and 1 only when it could not run.
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "Memory.h"
#include "Model.h"
#include "Report.h"
#include "Scenarios.h"

namespace {

const char kUsage[] =
    "usage: vornel-bench [--blocks N] [--repeats R] [--json FILE] [--dir DIR]\n"
    "  --blocks N   blocks in the model (default 200000; one in five has 8 sub-blocks)\n"
    "  --repeats R  runs of each side of a pair (default 5; the median ratio is reported)\n"
    "  --json FILE  also write the results as JSON\n"
    "  --dir DIR    where the database goes (default: a new temporary folder)\n";

bool number(const char* text, long& out) {
    char* end = nullptr;
    out = std::strtol(text, &end, 10);
    return *text != '\0' && *end == '\0' && out > 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--memory-probe") == 0) {
        return bench::probeRead(argv[2], argv[3], argv[4]);
    }
    long blocks = 200000;
    long repeats = 5;
    std::string json;
    std::string dir;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        const bool countArg = arg == "--blocks" || arg == "--repeats";
        if (countArg && hasValue && number(argv[i + 1], arg == "--blocks" ? blocks : repeats)) {
            ++i;
        } else if (arg == "--json" && hasValue) {
            json = argv[++i];
        } else if (arg == "--dir" && hasValue) {
            dir = argv[++i];
        } else {
            std::cerr << (arg == "--help" || arg == "-h"
                              ? ""
                              : "vornel-bench: bad argument '" + arg + "'\n")
                      << kUsage;
            return arg == "--help" || arg == "-h" ? 0 : 2;
        }
    }
    const bool ownDir = dir.empty();
    if (ownDir) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vornel-bench-XXXXXX").string();
        dir = mkdtemp(pattern.data()) != nullptr ? pattern : ".";
    }
    int status = 0;
    try {
        std::cerr << "building a model of " << blocks << " blocks\n";
        bench::Model model;
        bench::buildModel(blocks, model);
        const auto results = bench::runScenarios(model, {dir, static_cast<int>(repeats)});
        std::cout << "Vornel benchmark, " << blocks << " blocks, median of " << repeats
                  << " alternating runs\n";
        bench::printTable(std::cout, results);
        if (!json.empty()) {
            std::ofstream out(json);
            bench::writeJson(out, results, blocks);
        }
    } catch (const std::exception& e) {
        std::cerr << "vornel-bench: " << e.what() << "\n";
        status = 1;
    }
    if (ownDir) {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    return status;
}
