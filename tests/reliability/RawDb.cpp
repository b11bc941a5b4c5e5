#include "reliability/RawDb.h"

namespace vornel::test {
namespace {

std::string hex(const void* data, int size) {
    static const char kDigits[] = "0123456789abcdef";
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::string out = "x'";
    for (int i = 0; i < size; ++i) {
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 15];
    }
    return out + "'";
}

}  // namespace

RawDb::RawDb(const std::string& path) {
    sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(db_, 10000);
}

RawDb::~RawDb() {
    sqlite3_close(db_);
}

std::vector<std::vector<std::string>> RawDb::rows(const std::string& sql) {
    std::vector<std::vector<std::string>> out;
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr);
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
        rc = sqlite3_step(stmt);
        if (rc != SQLITE_ROW) {
            break;
        }
        std::vector<std::string>& row = out.emplace_back();
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            switch (sqlite3_column_type(stmt, c)) {
                case SQLITE_NULL:
                    row.emplace_back("NULL");
                    break;
                case SQLITE_BLOB:
                    row.push_back(hex(sqlite3_column_blob(stmt, c), sqlite3_column_bytes(stmt, c)));
                    break;
                default:
                    row.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)));
                    break;
            }
        }
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) {
        out.assign(1, {std::string("error: ") + sqlite3_errmsg(db_)});
    }
    return out;
}

std::string RawDb::exec(const std::string& sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
    std::string out = rc == SQLITE_OK ? "" : (message != nullptr ? message : "failed");
    sqlite3_free(message);
    return out;
}

std::string integrityOf(const std::string& path) {
    RawDb db(path);
    std::string out;
    for (const auto& row : db.rows("PRAGMA integrity_check")) {
        out += (out.empty() ? "" : "; ") + row[0];
    }
    return out;
}

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
