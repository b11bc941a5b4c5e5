#include "reliability/Harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <thread>
#include <utility>

namespace vornel::test {

using Clock = std::chrono::steady_clock;

ChildProcess::ChildProcess(const std::vector<std::string>& args) {
    int out[2];
    int in[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(in, O_CLOEXEC) != 0) {
        throw std::runtime_error("cannot make a pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::vector<std::string> words{VORNEL_CHILD_PROGRAM};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv(words.size() + 1, nullptr);
    std::transform(words.begin(), words.end(), argv.begin(),
                   [](std::string& w) { return w.data(); });
    const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(in[0]);
    out_ = out[0];
    in_ = in[1];
    if (rc != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + words[0]);
    }
}

ChildProcess::~ChildProcess() {
    kill();
    wait(std::chrono::seconds(10));
    closeInput();
    ::close(out_);
}

// A byte at a time: the rest of a line cut off by the timeout stays pending.
bool ChildProcess::readLine(std::string& line, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (char c = 0;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{out_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(std::max<long>(left.count(), 0))) <= 0 ||
            ::read(out_, &c, 1) != 1) {
            return false;  // nothing in time, or the output ended
        }
        if (c == '\n') {
            line = std::exchange(pending_, {});
            return true;
        }
        pending_ += c;
    }
}

std::string ChildProcess::nextLine() {
    std::string line;
    return readLine(line, std::chrono::seconds(20)) ? line : "";
}

void ChildProcess::sendLine(const std::string& line) {
    const std::string text = line + "\n";
    if (::write(in_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        throw std::runtime_error("cannot write to the child");
    }
}

void ChildProcess::closeInput() {
    if (in_ >= 0) {
        ::close(in_);
        in_ = -1;
    }
}

void ChildProcess::kill() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
    }
}

int ChildProcess::wait(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (pid_ > 0) {
        int status = 0;
        const pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            pid_ = -1;
            return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
        }
        if (r < 0 || Clock::now() >= deadline) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return -1;
}

Rows rowsOf(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(db, 10000);
    sqlite3_stmt* stmt = nullptr;
    Rows out;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        std::vector<std::string>& row = out.emplace_back();
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            const bool null = sqlite3_column_type(stmt, c) == SQLITE_NULL;
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, c));
            const auto size = static_cast<size_t>(sqlite3_column_bytes(stmt, c));
            row.push_back(null ? "NULL" : std::string(bytes == nullptr ? "" : bytes, size));
        }
        rc = SQLITE_OK;
    }
    const std::string error = rc == SQLITE_DONE ? "" : sqlite3_errmsg(db);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    if (!error.empty()) {
        throw std::runtime_error(error + " in " + sql.substr(0, 200));
    }
    return out;
}

Snapshot snapshotOf(const std::string& path) {
    Snapshot snapshot;
    for (const auto& row : rowsOf(path,
                                  "SELECT type, name, tbl_name, sql, printf('SELECT * FROM \"%w\" "
                                  "ORDER BY rowid', name) FROM sqlite_master ORDER BY name")) {
        std::string& text = snapshot[row[2]];
        text += row[0] + " " + row[1] + ": " + row[3] + "\n";
        for (const auto& values : row[0] == "table" ? rowsOf(path, row[4]) : Rows{}) {
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
    Snapshot both = before;  // a table's content in `before`, where it has one
    both.insert(after.begin(), after.end());
    std::string changed;
    for (const auto& [table, content] : both) {
        const auto it = after.find(table);
        if (table != spared &&
            (before.count(table) == 0 || it == after.end() || it->second != content)) {
            const std::string shown = table.size() > 60 ? table.substr(0, 60) + "..." : table;
            changed += (changed.empty() ? "" : ", ") + shown;
        }
    }
    return changed;
}

std::vector<Call> callsNaming(const std::string& n, Batch& batch) {
    // A MineID no run has: the calls that take one beside a name delete by it.
    constexpr long kNoRun = 99;
    // MineID 1 is the run whose void table writeModelFile registers: a MineID
    // of 0 would be refused before the name reached the writer.
    static KrigBlockVoid voids[2];
    voids[0].MineID = voids[1].MineID = 1;
    static double values[4096];
    static D_3DOT corners[4] = {{5, -9, -9}, {5, 9, -9}, {5, 9, 9}, {5, -9, 9}};
    Batch* b = &batch;
    return {
        CALL_ROW("createBlockResultTbl", m.createBlockResultTbl(n)),
        CALL_ROW("createBlockVoidTbl", m.createBlockVoidTbl(n)),
        CALL_ROW("dropTable", m.dropTable(n)),
        CALL_ROW("isExistTbl", m.isExistTbl(n, o.exists)),
        CALL_ROW("getBlockParam(table)", m.getBlockParam(n, &o.params, &o.count)),
        CALL_ROW("deleteBlockParam(table)", m.deleteBlockParam(n)),
        CALL_ROW("modifyKrigParamOreClasByID", m.modifyKrigParamOreClasByID(n, 4)),
        CALL_ROW("modifyKrigParamAttrUnitByID", m.modifyKrigParamAttrUnitByID(n, 4)),
        CALL_ROW("deleteBlockVrgParam(table)", m.deleteBlockVrgParam(n)),
        CALL_ROW("getBlockElementByVoid", m.getBlockElementByVoid(n, o.names)),
        CALL_ROW("getTblNameByElementAndVoidTbl", m.getTblNameByElementAndVoidTbl(n, n, o.names)),
        CALL_ROW("getBlockElementAndVoidTblByTblName",
                 m.getBlockElementAndVoidTblByTblName(n, o.names)),
        CALL_ROW("getNextBlockID(table)", m.getNextBlockID(n, kNoRun, o.id)),
        CALL_ROW("deleteBlock(table)", m.deleteBlock(n)),
        CALL_ROW("deleteBlock(table, MineID)", m.deleteBlock(n, kNoRun)),
        CALL_ROW("deleteBlockByID", m.deleteBlockByID(n, kNoRun)),
        CALL_ROW("deleteBlockNotTbl", m.deleteBlockNotTbl(n)),
        CALL_ROW("insertIntoBlockResult", m.insertIntoBlockResult(n, b->blocks(), b->count())),
        CALL_ROW("getBlockResult(all)", m.getBlockResult(n, &o.blocks, &o.count)),
        CALL_ROW("getBlockResult(one)", m.getBlockResult(n, 1, &o.block)),
        CALL_ROW("insertIntoBlockVoid", m.insertIntoBlockVoid(n, voids, 2)),
        CALL_ROW("getBlockVoid(all)", m.getBlockVoid(n, &o.voids, &o.count)),
        CALL_ROW("getBlockVoid(one)", m.getBlockVoid(n, 1, &o.voidBlock)),
        CALL_ROW("getBlockResultByWhereSQL",
                 m.getBlockResultByWhereSQL(n, "1=1", &o.blocks, &o.count)),
        CALL_ROW("getBlockResultAttr", m.getBlockResultAttr(n, values, &o.count)),
        CALL_ROW("getStatResult",
                 m.getStatResult(n, o.stats[0], o.stats[1], o.stats[2], o.stats[3])),
        CALL_ROW("getStatResultPos", m.getStatResultPos(n, o.high, o.low)),
        CALL_ROW("modifyResultAttByID", m.modifyResultAttByID(n, 1, 1.0, 2.0, 3.0)),
        CALL_ROW("modifyResultAtts", m.modifyResultAtts(n, b->blocks(), b->count())),
        CALL_ROW("modifyResType", m.modifyResType(n, b->blocks(), b->count())),
        CALL_ROW("modifyResTypeByID(table)", m.modifyResTypeByID(n, 1, "x")),
        CALL_ROW("modifyResTypeByID(type)", m.modifyResTypeByID(kBlockTable, 1, n)),
        CALL_ROW("getCutBlockResult", m.getCutBlockResult(n, corners, &o.blocks, &o.count)),
    };
}

std::vector<Call> callsNumbering(long id) {
    return {
        CALL_ROW("getBlockParam(MineID)", m.getBlockParam(id, &o.params, &o.count)),
        CALL_ROW("deleteBlockParam(MineID)", m.deleteBlockParam(id)),
        CALL_ROW("getBlockVrgParam", m.getBlockVrgParam(id, &o.structures, &o.count)),
        CALL_ROW("deleteBlockVrgParam(MineID)", m.deleteBlockVrgParam(id)),
        CALL_ROW("getNextBlockID", m.getNextBlockID(id, o.id)),
        CALL_ROW("getNextBlockID(table)", m.getNextBlockID(kBlockTable, id, o.id)),
        CALL_ROW("deleteBlock(absent table, MineID)", m.deleteBlock("T2", id)),
        CALL_ROW("deleteBlockByID", m.deleteBlockByID(kBlockTable, id)),
        CALL_ROW("getBlockResult(one)", m.getBlockResult(kBlockTable, id, &o.block)),
        CALL_ROW("getBlockVoid(one)", m.getBlockVoid(kVoidTable, id, &o.voidBlock)),
        CALL_ROW("modifyResultAttByID", m.modifyResultAttByID(kBlockTable, id, 1.0, 2.0, 3.0)),
        CALL_ROW("modifyResTypeByID", m.modifyResTypeByID(kBlockTable, id, "x")),
        CALL_ROW("modifyKrigParamOreClasByID", m.modifyKrigParamOreClasByID("T9", id)),
    };
}

}  // namespace vornel::test
