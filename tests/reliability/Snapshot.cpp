#include "reliability/Snapshot.h"

#include "reliability/RawDb.h"

namespace vornel::test {

Snapshot snapshotOf(const std::string& path) {
    RawDb db(path);
    Snapshot snapshot;
    for (const auto& row :
         db.rows("SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY name")) {
        if (row.size() != 4) {
            snapshot["?"] = row[0];
            continue;
        }
        std::string& text = snapshot[row[2]];
        text += row[0] + " " + row[1] + ": " + row[3] + "\n";
        if (row[0] != "table") {
            continue;
        }
        std::string quoted;
        for (char c : row[1]) {
            quoted += c == '"' ? "\"\"" : std::string(1, c);
        }
        for (const auto& values : db.rows("SELECT * FROM \"" + quoted + "\" ORDER BY rowid")) {
            for (const std::string& v : values) {
                text += v + "|";
            }
            text += "\n";
        }
    }
    return snapshot;
}

std::string changedTables(const Snapshot& before, const Snapshot& after,
                          const std::string& spared) {
    std::string changed;
    for (const auto& [table, content] : before) {
        if (table == spared) {
            continue;
        }
        auto it = after.find(table);
        if (it == after.end() || it->second != content) {
            const std::string shown = table.size() > 60 ? table.substr(0, 60) + "..." : table;
            changed += (changed.empty() ? "" : ", ") + shown;
        }
    }
    return changed;
}

}  // namespace vornel::test
