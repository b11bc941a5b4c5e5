#include "OptionChecks.h"

#include <algorithm>

#include "BlockClasses.h"
#include "Failure.h"
#include "NumberSeries.h"
#include "NumberText.h"

namespace vornel::cli {
namespace {

CLI::Validator numberCheck(bool (*within)(double), const std::string& expected) {
    return CLI::Validator(
        [within, expected](const std::string& text) {
            double value = 0;
            return parseNumber(text, value) && within(value) ? std::string()
                                                             : "'" + text + "' is not " + expected;
        },
        "NUMBER");
}

}  // namespace

CLI::Validator finiteNumber() {
    return numberCheck([](double) { return true; }, "a number");
}

CLI::Validator numberAboveZero() {
    return numberCheck([](double v) { return v > 0; }, "a number above 0");
}

CLI::Option* addCutoffsOption(CLI::App* cmd, std::vector<std::string>& cutoffs,
                              const std::string& help) {
    const CLI::Validator cutoff(
        [](const std::string& text) {
            try {
                cutoffsOf({text});
                return std::string();
            } catch (const UsageError& e) {
                return std::string(e.what());
            }
        },
        "NUMBER|FROM:TO:STEP");
    // Split here, not by the parser, which would drop the empty item of "0.5,,1" unseen.
    return cmd->add_option("--cutoffs", cutoffs, help)->check(cutoff);
}

std::vector<double> cutoffsOf(const std::vector<std::string>& texts) {
    std::vector<double> cutoffs;
    for (const std::string& text : texts) {
        for (size_t start = 0; start <= text.size();) {
            const size_t comma = std::min(text.find(',', start), text.size());
            const std::string item = text.substr(start, comma - start);
            start = comma + 1;
            const std::vector<std::string> values =
                isSeries(item) ? numberSeries(item, "cut-offs", "0:2:0.1") : std::vector{item};
            for (const std::string& value : values) {
                double cutoff = 0;
                if (!parseNumber(value, cutoff)) {
                    throw UsageError("'" + item + "' is not a number" +
                                     (item == text ? "" : " (in '" + text + "')"));
                }
                cutoffs.push_back(cutoff);
            }
        }
    }
    std::sort(cutoffs.begin(), cutoffs.end());
    cutoffs.erase(std::unique(cutoffs.begin(), cutoffs.end()), cutoffs.end());
    return cutoffs;
}

CLI::Option* addDensityOption(CLI::App* cmd, double& density) {
    return cmd
        ->add_option("--density", density,
                     "Rock density (t/m3): tonnes from block volumes instead of stored tonnage")
        ->check(numberAboveZero());
}

void addGroundOptions(CLI::App* cmd, bool& deplete, std::string& within) {
    cmd->add_flag("--deplete", deplete,
                  "Take the ground of the run's void blocks (old workings) off the blocks");
    cmd->add_option("--within", within,
                    "Only the ground within a plan outline: a file of its corners' X and Y, or a "
                    "shapefile (.shp) of polygons");
}

CLI::Validator databasePath() {
    return CLI::Validator(
        [](const std::string& path) {
            return path.empty() ? std::string("the database path is empty") : std::string();
        },
        "", "database path");
}

void addDatabaseOption(CLI::App* cmd, std::string& db, const std::string& help) {
    cmd->add_option("DB", db, help)->required()->check(databasePath());
}

void addTableOption(CLI::App* cmd, std::string& table) {
    cmd->add_option("-t,--table", table,
                    "Block table (may be left out when the database holds one)");
}

void addWhereOption(CLI::App* cmd, std::string& where) {
    cmd->add_option("--where", where, "SQL condition selecting the blocks, as for export");
}

void addByOption(CLI::App* cmd, std::string& by) {
    cmd->add_option("--by", by,
                    "Rows for each resource category, ore type, bench or search pass, then all")
        ->check(CLI::IsMember(classFieldNames()));
}

}  // namespace vornel::cli
