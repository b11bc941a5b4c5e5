#include "Report.h"

#include <cstdio>
#include <string>

namespace bench {
namespace {

std::string measure(const Result& r, double value) {
    char buf[64];
    if (r.against == "bytes of the answer") {
        std::snprintf(buf, sizeof buf, "%.1f MiB", value / (1024.0 * 1024.0));
    } else {
        std::snprintf(buf, sizeof buf, "%.3f s", value);
    }
    return buf;
}

std::string quotedJson(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + "\"";
}

}  // namespace

void printTable(std::ostream& out, const std::vector<Result>& results) {
    char line[256];
    std::snprintf(line, sizeof line, "%-30s %12s %12s %7s %7s  %s\n", "scenario", "ours",
                  "baseline", "ratio", "target", "");
    out << line;
    for (const Result& r : results) {
        char target[16] = "      -";
        if (r.target > 0.0) {
            std::snprintf(target, sizeof target, "%7.2f", r.target);
        }
        std::snprintf(line, sizeof line, "%-30s %12s %12s %7.2f %s  %s\n", r.scenario.c_str(),
                      measure(r, r.ours).c_str(), measure(r, r.baseline).c_str(), r.ratio, target,
                      r.target <= 0.0 ? ""
                      : r.met()       ? "met"
                                      : "MISSED");
        out << line;
    }
}

void writeJson(std::ostream& out, const std::vector<Result>& results, long blocks) {
    out << "{\n  \"blocks\": " << blocks << ",\n  \"results\": [\n";
    for (size_t i = 0; i < results.size(); ++i) {
        const Result& r = results[i];
        out << "    {\"scenario\": " << quotedJson(r.scenario) << ", \"ours\": " << r.ours
            << ", \"baseline\": " << r.baseline << ", \"baseline_is\": " << quotedJson(r.against)
            << ", \"ratio\": " << r.ratio << ", \"target\": " << r.target
            << ", \"met\": " << (r.met() ? "true" : "false") << "}"
            << (i + 1 < results.size() ? ",\n" : "\n");
    }
    out << "  ]\n}\n";
}

}  // namespace bench
