// vornel compact: rewrite a database file without its free pages.
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include "Commands.h"
#include "Interrupt.h"
#include "ModelDatabase.h"
#include "NumberText.h"
#include "OptionChecks.h"
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
    // Stopped, the compaction would leave a copy as large as the model,
    // which blocks the next one; a copy already there is not this one's.
    const std::string copy = vornel::compactionCopyPath(db);
    std::optional<RemovedIfInterrupted> unfinished;
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(copy, ec))) {
        unfinished.emplace(copy, true);
    }
    const long compacted = mng.compactDatabase(db);
    // From here the name may be another compaction's copy, of a file whose
    // name starts alike.
    unfinished.reset();
    check(mng, compacted, db);
    mng.clearDatabase();
    std::cout << "Compacted " << db << ": " << before << " -> " << megabytes(db) << " in "
              << clock.text() << '\n';
}

}  // namespace

void addCompactCommand(CLI::App& app) {
    auto db = std::make_shared<std::string>();
    CLI::App* cmd =
        app.add_subcommand("compact", "Rewrite a database file without its unused space");
    addDatabaseOption(cmd, *db);
    cmd->footer(R"(
The compacted copy is written under the file's name less its last four
characters, then Temp.mdb (model.mdb gives modelTemp.mdb), and then takes the
file's place in one step: at every moment the path holds either the old file
or the complete new one. Stopped by Ctrl-C, the command removes the copy. The
database must not be open elsewhere.
)");
    cmd->callback([db] { runCompact(*db); });
}

}  // namespace vornel::cli
