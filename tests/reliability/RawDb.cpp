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

std::string RawDb::value(const std::string& sql) {
    const auto r = rows(sql);
    return r.empty() || r[0].empty() ? std::string() : r[0][0];
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

}  // namespace vornel::test
