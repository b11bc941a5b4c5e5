#include "Memory.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "vornel/VornelMng.h"

namespace bench {
namespace {

// A "Vm...:  N kB" line of /proc/self/status, in bytes.
size_t statusBytes(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) == 0) {
            return std::stoul(line.substr(std::strlen(key) + 1)) * 1024;
        }
    }
    return 0;
}

std::string shellQuoted(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

}  // namespace

int probeRead(const std::string& database, const std::string& table, const std::string& condition) {
    const size_t before = statusBytes("VmHWM:");
    CVornelMng mng;
    KrigBlockResult* blocks = nullptr;
    long count = 0;
    if (mng.connectDatabase(database) == 0 ||
        (condition.empty()
             ? mng.getBlockResult(table, &blocks, &count)
             : mng.getBlockResultByWhereSQL(table, condition, &blocks, &count)) == 0) {
        std::cerr << "vornel-bench probe: " << mng.lastError() << "\n";
        return 1;
    }
    std::cout << statusBytes("VmHWM:") - before << "\n";
    return 0;
}

size_t peakBytesOfRead(const std::string& database, const std::string& table,
                       const std::string& condition) {
    std::error_code error;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe", error).string();
    const std::string command = shellQuoted(self) + " --memory-probe " + shellQuoted(database) +
                                " " + shellQuoted(table) + " " + shellQuoted(condition);
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return 0;
    }
    unsigned long long bytes = 0;
    if (std::fscanf(pipe, "%llu", &bytes) != 1) {
        bytes = 0;
    }
    pclose(pipe);
    return static_cast<size_t>(bytes);
}

}  // namespace bench
