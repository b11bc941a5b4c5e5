// vornel compact: rewrite a database file without its free pages.
#include <filesystem>
#include <iostream>
#include <memory>

#include "Commands.h"
#include "ModelDatabase.h"
#include "NumberText.h"
#include "Stopwatch.h"

namespace vornel::cli {
namespace {

std::string megabytes(const std::string& path) {
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(path, ec);
    return ec ? std::string("?") : formatNumber(static_cast<double>(bytes) / 1e6, 4) + " MB";
}

void runCompact(const std::string& db) {
    Stopwatch clock;
    CVornelMng mng;
    openModel(mng, db);
    mng.clearDatabase();  // leaves one file, without its journal
    const std::string before = megabytes(db);
    check(mng, mng.compactDatabase(db), db);
    mng.clearDatabase();
    std::cout << "Compacted " << db << ": " << before << " -> " << megabytes(db) << " in "
              << clock.text() << '\n';
}

}  // namespace

void addCompactCommand(CLI::App& app) {
    auto db = std::make_shared<std::string>();
    CLI::App* cmd =
        app.add_subcommand("compact", "Rewrite a database file without its unused space");
    cmd->add_option("DB", *db, "Database file")->required();
    cmd->footer(R"(
The compacted copy is written beside the file (its name ending in Temp.mdb)
and then takes the file's place in one step: at every moment the path holds
either the old file or the complete new one. The database must not be open
elsewhere.
)");
    cmd->callback([db] { runCompact(*db); });
}

}  // namespace vornel::cli
