// The migration from an Access file: check the file, read it in a child
// process, write what comes into a new database under a temporary name in
// one transaction, and put the file in place only when all of that worked.
#include "vornel/Migrate.h"

#include <algorithm>
#include <new>

#include "db/Ado.h"
#include "db/Failure.h"
#include "migrate/AccessFile.h"
#include "migrate/AccessReader.h"
#include "migrate/DatabaseWriter.h"
#include "migrate/MigrationError.h"
#include "migrate/PendingFile.h"
#include "migrate/ReaderProcess.h"
#include "platform/Environment.h"
#include "store/KrigDatabase.h"
#include "store/Transaction.h"

namespace vornel {
namespace {

using migrate::MigrationError;

// Reading never pauses this long on a sound file: every row is a message.
// On some damaged ones libmdb loops without end in its catalog's
// properties, taking nearly 20 MB more memory each second. The wait can be
// set through VORNEL_READER_IDLE_MS.
constexpr int kIdleTimeoutMs = 20 * 1000;

// A wait of 0 would stop every reader at once: it means the default.
int idleTimeoutMs() {
    const int set = millisecondsFromEnvironment("VORNEL_READER_IDLE_MS", kIdleTimeoutMs);
    return set > 0 ? set : kIdleTimeoutMs;
}

std::string counted(long n, const std::string& thing) {
    return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

bool complete(const TableMigration& table) {
    return table.rowsWritten == table.rowsRead && table.columnsNotCarried.empty();
}

// The new file takes its rows in place, keeping only a rollback journal
// aside: a commit that a write-ahead log took would leave them in that log,
// which the rename below does not carry, and whose copy into the file at
// closing can fail (on a full disk) without a word.
void writeInPlace(CKrigDatabase& db, const std::string& path) {
    CDbRecordset mode(db.m_pConnection);
    std::string set;
    if (mode.Open("PRAGMA journal_mode=DELETE", engine::adCmdText, engine::adOpenStatic,
                  engine::adLockOptimistic) == 0 ||
        mode.GetCollect(0, set) == 0 || set != "delete") {
        const std::string why = db.Failure();
        throw MigrationError("cannot write '" + path + "' without its write-ahead log" +
                             (why.empty() ? "" : ": " + why));
    }
}

void run(const std::string& accessPath, const std::string& newPath, MigrationReport& report) {
    migrate::checkAccessFile(accessPath);
    if (const std::string problem = CDbConnection::PathProblem(newPath); !problem.empty()) {
        throw MigrationError(problem);
    }
    migrate::PendingFile pending(newPath);
    {
        CKrigDatabase db;
        db.SetPath(pending.path());
        if (db.Create() == 0) {
            throw MigrationError(db.Failure());
        }
        writeInPlace(db, pending.path());
        const auto cannotWrite = [&] {
            return MigrationError("cannot write '" + pending.path() + "': " + db.Failure());
        };
        store::Transaction transaction(*db.m_pConnection);
        if (!transaction.begun()) {
            throw cannotWrite();
        }
        migrate::DatabaseWriter writer(db, report);
        migrate::readInChild(
            accessPath,
            [&accessPath](migrate::AccessSink& sink) { migrate::readAccessFile(accessPath, sink); },
            writer, idleTimeoutMs());
        writer.finish();
        if (!transaction.commit()) {
            throw cannotWrite();
        }
    }
    pending.commit();
}

// Tells why the migration failed: 0.
long failed(MigrationReport& report, const char* why) noexcept {
    try {
        report.error = why;
    } catch (const std::bad_alloc&) {
        report.error = "out of memory";  // short enough to need no memory of its own
    }
    return 0;
}

}  // namespace

long migrateAccessDatabase(const std::string& accessPath, const std::string& newPath,
                           MigrationReport& report) {
    report = MigrationReport();
    try {
        run(accessPath, newPath, report);
    } catch (const std::exception& e) {
        return failed(report, db::messageOf(e));
    }
    return std::all_of(report.tables.begin(), report.tables.end(), complete) ? 1 : 0;
}

std::string migrationSummary(const MigrationReport& report) {
    std::string out;
    long rows = 0;
    bool everything = true;
    for (const TableMigration& table : report.tables) {
        out += table.name + ": " + std::to_string(table.rowsWritten) + " of " +
               counted(table.rowsRead, "row");
        for (const ColumnNotCarried& column : table.columnsNotCarried) {
            out += "; column " + column.column + (column.carried ? ": " : " not carried: ") +
                   column.reason;
        }
        if (!table.rowsNotWritten.empty()) {
            out += "; " + table.rowsNotWritten;
        }
        out += "\n";
        rows += table.rowsWritten;
        everything = everything && complete(table);
    }
    if (!report.error.empty()) {
        return out + "Nothing was written: " + report.error + "\n";
    }
    const std::string counts =
        counted(static_cast<long>(report.tables.size()), "table") + ", " + counted(rows, "row");
    return out + counts +
           (everything ? ": everything came over.\n" : ": not everything came over (see above).\n");
}

}  // namespace vornel
