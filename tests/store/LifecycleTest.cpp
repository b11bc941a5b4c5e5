// The manager's database file: creating, connecting, compacting, closing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "support/Allocations.h"
#include "support/ChildStatus.h"
#include "support/Shell.h"
#include "support/TempDir.h"
#include "support/TraceCapture.h"
#include "vornel/Hooks.h"
#include "vornel/VornelMng.h"

using namespace vornel::test;

namespace {

class Lifecycle : public ::testing::Test {
protected:
    // Nothing but the file itself: no journal or shared-memory file stays beside it.
    void expectAlone() {
        for (const char* suffix : {"-wal", "-shm", "-journal"}) {
            EXPECT_FALSE(fileExists(path + suffix)) << suffix;
        }
    }

    // The exit status of `work` run in a child process, -1 when it did not
    // exit; as the user `as` (nobody, say), for the modes to bind, 2 when
    // root cannot become it.
    static int inChild(const std::function<int()>& work, uid_t as = 0) {
        return childStatus(
            [&] { return as != 0 && geteuid() == 0 && setuid(as) != 0 ? 2 : work(); });
    }

    static constexpr uid_t kNobody = 65534;

    // Lets everyone read and search the folder, and no one write it.
    void lockFolder() {
        namespace fs = std::filesystem;
        fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::group_read |
                                        fs::perms::others_read | fs::perms::owner_exec |
                                        fs::perms::group_exec | fs::perms::others_exec);
    }

    TempDir dir;
    // Named as people name files: characters that mean something in a URI.
    const std::string path = dir.file("pit #2 100% model?.mdb");
    CVornelMng mng;
};

}  // namespace

TEST_F(Lifecycle, ANewDatabaseIsAPlainSqliteFileThatCompactsInPlace) {
    ASSERT_EQ(mng.createDatabase(path), 1) << mng.lastError();
    ASSERT_EQ(mng.initDataBase(), 1);
    mng.clearDatabase();
    EXPECT_EQ(sqliteShell(path, "PRAGMA integrity_check"), "ok\n");
    EXPECT_EQ(sqliteShell(path, "SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY 1"),
              "KrigBlock_Param\nKrigBlock_Vrg_Param\n");
    expectAlone();

    sqliteShell(path,
                "CREATE TABLE filler(x); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                "FROM n WHERE i < 5000) INSERT INTO filler SELECT randomblob(200) FROM n; "
                "DELETE FROM filler WHERE rowid > 10");
    const auto before = readFile(path).size();
    // A private model stays private: the copy that replaces it has its mode.
    const auto mode = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                      std::filesystem::perms::group_read;
    std::filesystem::permissions(path, mode);
    ASSERT_EQ(mng.compactDatabase(path), 1) << mng.lastError();
    EXPECT_EQ(std::filesystem::status(path).permissions(), mode);
    int exists = 0;
    EXPECT_EQ(mng.isExistTbl("KrigBlock_Param", exists), 1);  // connected
    EXPECT_EQ(exists, 1);
    mng.clearDatabase();
    EXPECT_LT(readFile(path).size(), before / 10);
    EXPECT_EQ(sqliteShell(path, "SELECT count(*) FROM filler; PRAGMA integrity_check"), "10\nok\n");
    EXPECT_FALSE(fileExists(dir.file("modelTemp.mdb")));
    expectAlone();
}

// A file compacted keeps its journal: another program's in either mode, as
// opening it does, and the library's own in WAL mode.
TEST_F(Lifecycle, CompactionKeepsTheJournalOfTheFile) {
    for (const char* journal : {"wal", "delete"}) {
        std::filesystem::remove(path);
        ASSERT_EQ(sqliteShell(path, std::string("PRAGMA journal_mode=") + journal +
                                        "; CREATE TABLE T(x); INSERT INTO T VALUES (1);"),
                  journal + std::string("\n"));
        ASSERT_EQ(mng.compactDatabase(path), 1) << mng.lastError();
        mng.clearDatabase();
        EXPECT_EQ(sqliteShell(path, "PRAGMA journal_mode; SELECT x FROM T"),
                  journal + std::string("\n1\n"));
        expectAlone();
    }
    std::filesystem::remove(path);
    ASSERT_EQ(mng.createDatabase(path), 1) << mng.lastError();
    ASSERT_EQ(mng.compactDatabase(path), 1) << mng.lastError();
    mng.clearDatabase();
    EXPECT_EQ(sqliteShell(path, "PRAGMA journal_mode"), "wal\n");
    expectAlone();
}

// Through a symbolic link the file it names is compacted, with its copy
// beside that file; the link stays a link.
TEST_F(Lifecycle, CompactionThroughALinkReplacesTheFileItNames) {
    ASSERT_EQ(mng.createDatabase(path), 1) << mng.lastError();
    mng.clearDatabase();
    sqliteShell(path,
                "CREATE TABLE filler(x); INSERT INTO filler SELECT randomblob(100000) FROM "
                "(SELECT 1 UNION ALL SELECT 2 UNION ALL SELECT 3); DELETE FROM filler;");
    const auto before = readFile(path).size();
    const std::string link = dir.file("link.mdb");
    std::filesystem::create_symlink(path, link);
    ASSERT_EQ(mng.compactDatabase(link), 1) << mng.lastError();
    mng.clearDatabase();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_LT(readFile(path).size(), before / 10);
    EXPECT_FALSE(fileExists(dir.file("linkTemp.mdb")));
    EXPECT_FALSE(fileExists(dir.file("modelTemp.mdb")));
}

// SQLite would read a name that begins with "file:" as a URI, here one
// naming model.mdb, and ":memory:" as a database in memory, lost at
// closing: a host's relative name must stay the file's name.
TEST_F(Lifecycle, ANameBeginningWithFileNamesThatFile) {
    struct InFolder {
        explicit InFolder(const std::string& folder) { std::filesystem::current_path(folder); }
        ~InFolder() { std::filesystem::current_path(home); }
        const std::filesystem::path home = std::filesystem::current_path();
    } inFolder(dir.path());
    for (const std::string name : {"file:model.mdb", ":memory:"}) {
        ASSERT_EQ(mng.createDatabase(name), 1) << mng.lastError();
        ASSERT_EQ(mng.initDataBase(), 1) << mng.lastError();
        ASSERT_EQ(mng.compactDatabase(name), 1) << mng.lastError();
        mng.clearDatabase();
        EXPECT_EQ(sqliteShell(dir.file(name), "SELECT count(*) FROM KrigBlock_Param"), "0\n")
            << name;
    }
    EXPECT_FALSE(fileExists(path));
    EXPECT_FALSE(fileExists(dir.file("file:modelTemp.mdb")));

    // The connection string names a file by its whole name, ';' and last
    // blanks included, or the name is refused: never another file.
    for (const std::string whole : {"pit;2024.mdb", "model.mdb ", "a;;b .mdb"}) {
        ASSERT_EQ(mng.createDatabase(whole), 1) << whole << ": " << mng.lastError();
        ASSERT_EQ(mng.initDataBase(), 1) << whole;
        ASSERT_EQ(mng.compactDatabase(whole), 1) << whole << ": " << mng.lastError();
        ASSERT_EQ(mng.connectDatabase(whole), 1) << whole << ": " << mng.lastError();
        mng.clearDatabase();
        EXPECT_EQ(sqliteShell(dir.file(whole), "SELECT count(*) FROM KrigBlock_Param"), "0\n")
            << whole;
    }
    for (const std::string refused : {" lead.mdb", "a;b=c.mdb", "end;", "end; "}) {
        for (const auto open : {&CVornelMng::createDatabase, &CVornelMng::connectDatabase,
                                &CVornelMng::compactDatabase}) {
            EXPECT_EQ((mng.*open)(refused), 0) << refused;
            EXPECT_EQ(mng.lastError(),
                      "the path '" + refused +
                          "' reads as another in a connection string (through a blank at its "
                          "start, or a ';' at its end or before an '='); rename the file");
        }
    }
    // Only the files named above and the first test's.
    std::vector<std::string> files;
    std::transform(std::filesystem::directory_iterator(dir.path()),
                   std::filesystem::directory_iterator(), std::back_inserter(files),
                   [](const auto& entry) { return entry.path().filename().string(); });
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{":memory:", "a;;b .mdb", "file:model.mdb",
                                               "model.mdb ", "pit;2024.mdb"}));
}

TEST_F(Lifecycle, CreateRefusesAnExistingFile) {
    writeFile(path, "not a database, and not to be touched");
    TraceCapture capture;
    EXPECT_EQ(mng.createDatabase(path), 0);
    ASSERT_EQ(capture.notices.size(), 1u);
    EXPECT_TRUE(contains(capture.notices[0], "提示|Database '" + path + "' already exists."));
    EXPECT_EQ(mng.lastError(), "cannot create database: Database '" + path + "' already exists.");
    EXPECT_EQ(mng.initDataBase(), 0);  // a database object, but nothing open
    // The engine's reason says what failed already: it is not said twice.
    const std::string nowhere = dir.file("no-folder/a.mdb");
    EXPECT_EQ(mng.createDatabase(nowhere), 0);
    EXPECT_EQ(mng.lastError(),
              "cannot create database '" + nowhere + "': No such file or directory");
    // Nor one whose name leaves no room for the journal beside it; and one
    // whose compacted copy's name (four bytes longer) leaves none for the
    // copy's is not compacted (255 bytes at most, as on every Linux file
    // system).
    const std::string longName = dir.file(std::string(244, 'n') + ".mdb");
    EXPECT_EQ(mng.createDatabase(longName), 0);
    EXPECT_EQ(mng.lastError(), "cannot create database '" + longName +
                                   "': File name too long to keep the journal beside it (at "
                                   "most 247 bytes)");
    EXPECT_FALSE(fileExists(longName));
    const std::string longest = dir.file(std::string(243, 'n') + ".mdb");
    EXPECT_EQ(mng.createDatabase(longest), 1) << mng.lastError();
    EXPECT_EQ(mng.createBlockVoidTbl("V"), 1) << mng.lastError();  // written, journal and all
    EXPECT_EQ(mng.compactDatabase(longest), 0);
    const std::string copy = vornel::compactionCopyPath(longest);
    EXPECT_EQ(mng.lastError(), "cannot compact database '" + longest +
                                   "': cannot write the compacted copy '" + copy +
                                   "': File name too long to keep the journal beside it (at "
                                   "most 247 bytes)");
    EXPECT_FALSE(fileExists(copy));
    const std::string compacted = dir.file(std::string(239, 'n') + ".mdb");
    EXPECT_EQ(mng.createDatabase(compacted), 1) << mng.lastError();
    EXPECT_EQ(mng.createBlockVoidTbl("V"), 1) << mng.lastError();
    EXPECT_EQ(mng.compactDatabase(compacted), 1) << mng.lastError();
    const std::string text = dir.file("text.mdb");
    writeFile(text, std::string(2048, 'x'));
    EXPECT_EQ(mng.connectDatabase(text), 0);
    EXPECT_EQ(mng.lastError(), "cannot open database '" + text + "': file is not a database");
    EXPECT_EQ(mng.compactDatabase(text), 0);
    EXPECT_EQ(mng.lastError(), "cannot compact database '" + text + "': file is not a database");

    const std::string good = dir.file("good.mdb");
    CVornelMng other;
    ASSERT_EQ(other.createDatabase(good), 1);
    other.clearDatabase();
    EXPECT_EQ(mng.createDatabase(good), 0);
    EXPECT_EQ(mng.connectDatabase(good), 1) << mng.lastError();
    EXPECT_TRUE(mng.lastError().empty());

    // The handler may call the manager back, even to clear its database.
    vornel::setNoticeHandler(
        [this](const std::string&, const std::string&) { mng.clearDatabase(); });
    EXPECT_EQ(mng.createDatabase(path), 0);
    EXPECT_TRUE(contains(mng.lastError(), "already exists")) << mng.lastError();
    EXPECT_EQ(mng.initDataBase(), 0);
}

// Connecting to or compacting nothing creates nothing, and says what is missing;
// empty paths leave the open database alone.
TEST_F(Lifecycle, PathsToNoDatabaseOpenNothing) {
    EXPECT_EQ(mng.connectDatabase(path), 0);
    EXPECT_FALSE(fileExists(path));
    EXPECT_TRUE(contains(mng.lastError(), path)) << mng.lastError();
    EXPECT_EQ(mng.compactDatabase(path), 0);
    EXPECT_FALSE(fileExists(path));
    EXPECT_EQ(mng.lastError(), "cannot compact database: Could not find file '" + path + "'.");
    EXPECT_EQ(mng.compactDatabase(dir.path()), 0);
    EXPECT_TRUE(contains(mng.lastError(), "is not a file that can hold a database"))
        << mng.lastError();
    // The copy a compaction cut short left, where the database is missing,
    // is named for connecting and compacting alike: it may be the database.
    const std::string copy = vornel::compactionCopyPath(path);
    writeFile(copy, "compacted");
    const std::string recover = "rename it to '" + path + "' to recover it.";
    EXPECT_EQ(mng.connectDatabase(path), 0);
    EXPECT_TRUE(contains(mng.lastError(), recover)) << mng.lastError();
    EXPECT_EQ(mng.compactDatabase(path), 0);
    EXPECT_TRUE(contains(mng.lastError(), recover)) << mng.lastError();
    // Beside the database it may also be another compaction's, still at work.
    ASSERT_EQ(mng.createDatabase(path), 1);
    EXPECT_EQ(mng.compactDatabase(path), 0);
    EXPECT_TRUE(contains(mng.lastError(),
                         "is in the way of the compaction (being written by one "
                         "still running, or left by one interrupted"))
        << mng.lastError();
    mng.clearDatabase();
    std::remove(path.c_str());
    std::remove(copy.c_str());
    EXPECT_EQ(mng.initDataBase(), 0);
    EXPECT_EQ(mng.lastError(), "no database is open");

    ASSERT_EQ(mng.createDatabase(path), 1);
    EXPECT_EQ(mng.createDatabase(""), 0);
    EXPECT_EQ(mng.connectDatabase(""), 0);
    EXPECT_EQ(mng.compactDatabase(""), 0);
    EXPECT_EQ(mng.lastError(), "the database path is empty");
    EXPECT_EQ(mng.initDataBase(), 1);
    mng.clearDatabase();
    mng.clearDatabase();
    EXPECT_EQ(mng.initDataBase(), 0);
}

// Without a database every operation fails saying so, and writes nothing
// into what it was given.
TEST_F(Lifecycle, EveryOperationWithoutADatabaseSaysSo) {
    KrigBlockParam run{};
    KrigBlockVrgParam structure{};
    KrigBlockResult block{};
    KrigBlockVoid hole{};
    KrigBlockParam* runs = nullptr;
    KrigBlockVrgParam* structures = nullptr;
    KrigBlockResult* blocks = nullptr;
    KrigBlockVoid* holes = nullptr;
    long count = -7;
    long id = -7;
    int exists = -7;
    std::vector<long> mineIds;
    std::vector<_STRU_MINE_NAMEINFO> names;
    std::vector<std::string> tables;
    double value = -7;
    D_3DOT point{-7, -7, -7};
    D_3DOT corners[4] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}};
    const std::vector<std::function<long()>> calls = {
        [&] { return mng.createBlockResultTbl("T"); },
        [&] { return mng.createBlockVoidTbl("V"); },
        [&] { return mng.dropTable("T"); },
        [&] { return mng.isExistTbl("T", exists); },
        [&] { return mng.insertIntoBlockParam(&run, 1, mineIds); },
        [&] { return mng.getBlockParam(1, &runs, &count); },
        [&] { return mng.getBlockParam("T", &runs, &count); },
        [&] { return mng.deleteBlockParam(1); },
        [&] { return mng.deleteBlockParam("T"); },
        [&] { return mng.modifyKrigParamOreClasByID("T", 2); },
        [&] { return mng.modifyKrigParamAttrUnitByID("T", 2); },
        [&] { return mng.insertIntoBlockVrgParam(&structure, 1); },
        [&] { return mng.getBlockVrgParam(1, &structures, &count); },
        [&] { return mng.deleteBlockVrgParam(1); },
        [&] { return mng.deleteBlockVrgParam("T"); },
        [&] { return mng.getAllVoidTblName(names); },
        [&] { return mng.getAllKrigTblName(names); },
        [&] { return mng.getBlockElementByVoid("V", names); },
        [&] { return mng.getTblNameByElementAndVoidTbl("Cu", "V", names); },
        [&] { return mng.getBlockElementAndVoidTblByTblName("T", names); },
        [&] { return mng.getAllTblName(tables); },
        [&] { return mng.getNextMineID(id); },
        [&] { return mng.getNextBlockID(1, id); },
        [&] { return mng.getNextBlockID("T", 1, id); },
        [&] { return mng.beginTransact(); },
        [&] { return mng.endTransact(Commit); },
        [&] { return mng.deleteBlock("T"); },
        [&] { return mng.deleteBlock("T", 1); },
        [&] { return mng.deleteBlockByID("T", 1); },
        [&] { return mng.deleteBlockNotTbl("T"); },
        [&] { return mng.insertIntoBlockResult("T", &block, 1); },
        [&] { return mng.getBlockResult("T", &blocks, &count); },
        [&] { return mng.getBlockResult("T", 1, &block); },
        [&] { return mng.insertIntoBlockVoid("V", &hole, 1); },
        [&] { return mng.getBlockVoid("V", &holes, &count); },
        [&] { return mng.getBlockVoid("V", 1, &hole); },
        [&] { return mng.getBlockResultByWhereSQL("T", "1", &blocks, &count); },
        [&] { return mng.getBlockResultAttr("T", &value, &count); },
        [&] { return mng.getStatResult("T", value, value, value, value); },
        [&] { return mng.getStatResultPos("T", point, point); },
        [&] { return mng.modifyResultAttByID("T", 1, 0.5, 1, 1); },
        [&] { return mng.modifyResultAtts("T", &block, 1); },
        [&] { return mng.modifyResType("T", &block, 1); },
        [&] { return mng.modifyResTypeByID("T", 1, "M"); },
        [&] { return mng.getCutBlockResult("T", corners, &blocks, &count); },
    };
    for (size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE("call " + std::to_string(i));
        mng.connectDatabase("");  // another message before each call
        EXPECT_EQ(calls[i](), 0);
        EXPECT_EQ(mng.lastError(), "no database is open");
    }
    EXPECT_TRUE(runs == nullptr && structures == nullptr && blocks == nullptr && holes == nullptr);
    EXPECT_EQ(count, -7);
    EXPECT_EQ(id, -7);
    EXPECT_EQ(exists, -7);
    EXPECT_TRUE(mineIds.empty());
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(value, -7);
    EXPECT_EQ(point.x, -7);
}

// A model on read-only media: neither the file nor its folder can be written,
// so no log or index can be made beside it. It is read as it stands, with a
// write-ahead log (an empty one beside it or none) or a rollback journal, and
// a write fails saying why. Run as a user the modes bind: root drops to nobody.
TEST_F(Lifecycle, AFileInAFolderNoOneCanWriteIsRead) {
    namespace fs = std::filesystem;
    ASSERT_EQ(mng.createDatabase(path), 1) << mng.lastError();
    ASSERT_EQ(mng.initDataBase(), 1);
    ASSERT_EQ(mng.createBlockResultTbl("T1"), 1);
    mng.clearDatabase();
    for (const auto& [journal, emptyLog] :
         {std::pair{"wal", false}, std::pair{"wal", true}, std::pair{"delete", false}}) {
        ASSERT_EQ(sqliteShell(path, std::string("PRAGMA journal_mode=") + journal),
                  journal + std::string("\n"));
        if (emptyLog) {
            writeFile(path + "-wal", "");
        }
        fs::permissions(path,
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        lockFolder();
        const int status = inChild(
            [this] {
                CVornelMng reader;
                int exists = 0;
                if (reader.connectDatabase(path) != 1) {
                    return 3;
                }
                if (reader.isExistTbl("T1", exists) != 1 || exists != 1) {
                    return 4;
                }
                if (reader.createBlockResultTbl("T2") != 0 ||
                    !contains(reader.lastError(), "readonly database")) {
                    return 5;
                }
                reader.clearDatabase();
                return reader.compactDatabase(path) == 0 &&
                               contains(reader.lastError(), "cannot be written here")
                           ? 0
                           : 6;
            },
            kNobody);
        fs::permissions(dir.path(), fs::perms::owner_all);
        fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
        fs::remove(path + "-wal");
        EXPECT_EQ(status, 0) << journal << (emptyLog ? " with an empty log" : "")
                             << ": 2 cannot become nobody, 3 not connected, 4 not read, "
                             << "5 the write not refused, 6 nor the compaction";
    }
}

// A file its user may write, in a folder they may not (a colleague's, say):
// no write can make its log, and the refusal names the folder, not the file.
// Compaction without a log to make fails first at its copy.
TEST_F(Lifecycle, AWritableFileInAFolderNoOneCanWriteNamesTheFolder) {
    namespace fs = std::filesystem;
    ASSERT_EQ(mng.createDatabase(path), 1) << mng.lastError();
    ASSERT_EQ(mng.initDataBase(), 1);
    mng.clearDatabase();
    const std::string named =
        "cannot make files in the folder '" + fs::canonical(dir.path()).string() + "'";
    for (const auto& [journal, compactionSays] :
         {std::pair<std::string, std::string>{"wal", named},
          std::pair<std::string, std::string>{"delete", "cannot write the compacted copy"}}) {
        ASSERT_EQ(sqliteShell(path, "PRAGMA journal_mode=" + journal), journal + "\n");
        fs::permissions(path, fs::perms::all);
        lockFolder();
        const int status = inChild(
            [&] {
                CVornelMng owner;
                if (owner.connectDatabase(path) != 1) {
                    return 3;
                }
                if (owner.createBlockResultTbl("T1") != 0 || !contains(owner.lastError(), named)) {
                    return 4;
                }
                owner.clearDatabase();
                return owner.compactDatabase(path) == 0 &&
                               contains(owner.lastError(), compactionSays)
                           ? 0
                           : 5;
            },
            kNobody);
        fs::permissions(dir.path(), fs::perms::owner_all);
        EXPECT_EQ(status, 0) << journal << ": 2 cannot become nobody, 3 not connected, "
                             << "4 the write not refused naming the folder, 5 nor the compaction";
    }
}

// Another user who reads a model in a shared folder, and may not write it,
// leaves its log and the log's index behind, theirs: the owner's writes
// then fail, saying why, and succeed once they are gone.
TEST_F(Lifecycle, LogFilesAnotherUserLeftAreNamedWhenTheyStopAWrite) {
    namespace fs = std::filesystem;
    if (geteuid() != 0) {
        GTEST_SKIP() << "two users are needed, which only root can become";
    }
    ASSERT_EQ(mng.createDatabase(path), 1) << mng.lastError();
    ASSERT_EQ(mng.initDataBase(), 1);
    mng.clearDatabase();
    fs::permissions(dir.path(), fs::perms::all);
    ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
    constexpr uid_t kReader = 4321;
    ASSERT_EQ(inChild(
                  [this] {
                      CVornelMng reader;
                      int exists = 0;
                      return reader.connectDatabase(path) == 1 &&
                                     reader.isExistTbl("KrigBlock_Param", exists) == 1 &&
                                     exists == 1
                                 ? 0
                                 : 3;
                  },
                  kReader),
              0);
    ASSERT_TRUE(fileExists(path + "-shm"));
    const int status = inChild(
        [this] {
            CVornelMng owner;
            if (owner.connectDatabase(path) != 1) {
                return 3;
            }
            const std::string named = "cannot write '" + fs::absolute(path).string() +
                                      "-wal' and '" + fs::absolute(path).string() +
                                      "-shm', left by another user who read the database";
            if (owner.createBlockResultTbl("T1") != 0 || !contains(owner.lastError(), named)) {
                return 4;
            }
            owner.clearDatabase();
            if (owner.compactDatabase(path) != 0 || !contains(owner.lastError(), named)) {
                return 5;
            }
            fs::remove(path + "-wal");
            fs::remove(path + "-shm");
            return owner.connectDatabase(path) == 1 && owner.createBlockResultTbl("T1") == 1 ? 0
                                                                                             : 6;
        },
        kNobody);
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(status, 0) << "2 cannot become the user, 3 not connected, 4 the write not refused "
                            "naming the files, 5 nor the compaction, 6 not written without them";
}

// A program that ended without closing the model left committed changes in
// its log. Without the log's index, in a folder that cannot be written, the
// log cannot be read, and the file alone would answer without them: the
// open is refused instead.
TEST_F(Lifecycle, AFolderNoOneCanWriteDoesNotHideTheLog) {
    namespace fs = std::filesystem;
    ASSERT_EQ(mng.createDatabase(path), 1) << mng.lastError();
    ASSERT_EQ(mng.initDataBase(), 1);
    mng.clearDatabase();
    ASSERT_EQ(inChild([this] {
                  CVornelMng writer;
                  const bool made =
                      writer.connectDatabase(path) == 1 && writer.createBlockResultTbl("T1") == 1;
                  _exit(made ? 0 : 1);  // without closing: the table stays in the log
                  return 1;
              }),
              0);
    ASSERT_GT(fs::file_size(path + "-wal"), 0U);
    // Carried without its index (copied onto read-only media, say), the log
    // can only be read where the index can be made again.
    fs::remove(path + "-shm");
    lockFolder();
    const int refused = inChild(
        [this] {
            CVornelMng reader;
            return reader.connectDatabase(path) == 0 &&
                           contains(reader.lastError(), "changes in its write-ahead log")
                       ? 0
                       : 3;
        },
        kNobody);
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(refused, 0) << "2 cannot become nobody, 3 opened or refused for another reason";
    ASSERT_EQ(mng.connectDatabase(path), 1) << mng.lastError();
    int exists = 0;
    EXPECT_EQ(mng.isExistTbl("T1", exists), 1);
    EXPECT_EQ(exists, 1);
}

// The engine opens no file whose full path is longer than 504 bytes (512
// with "-journal"): the refusal says so, and a path of 504 is made.
TEST_F(Lifecycle, AFullPathTooLongForTheEngineIsToldOf) {
    namespace fs = std::filesystem;
    std::string folder = fs::canonical(dir.path()).string();
    while (folder.size() < 300) {
        folder += "/" + std::string(100, 'd');
        fs::create_directory(folder);
    }
    const std::string longest = folder + "/" + std::string(504 - folder.size() - 5, 'm') + ".mdb";
    ASSERT_EQ(longest.size(), 504u);
    ASSERT_EQ(mng.createDatabase(longest), 1) << mng.lastError();
    mng.clearDatabase();
    const std::string over = folder + "/x" + longest.substr(folder.size() + 1);
    fs::copy_file(longest, over);
    EXPECT_EQ(mng.connectDatabase(over), 0);
    const std::string told = "its full path is 505 bytes long, and the engine takes 504 at most";
    EXPECT_TRUE(contains(mng.lastError(), told)) << mng.lastError();
    fs::remove(over);
    EXPECT_EQ(mng.createDatabase(over), 0);
    EXPECT_TRUE(contains(mng.lastError(), told)) << mng.lastError();
    EXPECT_FALSE(fileExists(over));
}

// A database named as another's log, journal or log index would be taken
// for it, and deleted, by the database whose name it starts with.
TEST_F(Lifecycle, ADatabaseNamedAsAnothersLogIsLeftAlone) {
    const std::string other = dir.file("other.mdb");
    ASSERT_EQ(mng.createDatabase(other), 1) << mng.lastError();
    ASSERT_EQ(mng.createBlockResultTbl("Kept"), 1);
    mng.clearDatabase();
    const std::string kept = readFile(other);
    for (const char* suffix : {"-wal", "-journal", "-shm"}) {
        SCOPED_TRACE(suffix);
        const std::string beside = path + suffix;
        std::filesystem::copy_file(other, beside);
        EXPECT_EQ(mng.createDatabase(path), 0);
        EXPECT_TRUE(contains(mng.lastError(), "'" + beside + "' is a database of its own"))
            << mng.lastError();
        EXPECT_FALSE(fileExists(path));
        EXPECT_TRUE(readFile(beside) == kept);
        std::filesystem::remove(beside);
    }
    // An index is looked at only before the database is made; a log or a
    // journal each time it is opened.
    ASSERT_EQ(mng.createDatabase(path), 1) << mng.lastError();
    mng.clearDatabase();
    for (const char* suffix : {"-wal", "-journal"}) {
        SCOPED_TRACE(suffix);
        const std::string beside = path + suffix;
        std::filesystem::copy_file(other, beside);
        EXPECT_EQ(mng.connectDatabase(path), 0);
        EXPECT_TRUE(contains(mng.lastError(), "opening '" + path + "' would take it for its log"))
            << mng.lastError();
        EXPECT_TRUE(readFile(beside) == kept);
        std::filesystem::remove(beside);
    }
    EXPECT_EQ(mng.connectDatabase(path), 1) << mng.lastError();
}

TEST_F(Lifecycle, CompactionRefusesWhileAnotherConnectionHasTheFile) {
    CVornelMng other;
    ASSERT_EQ(other.createDatabase(path), 1);
    ASSERT_EQ(other.initDataBase(), 1);
    EXPECT_EQ(mng.compactDatabase(path), 0);
    EXPECT_TRUE(contains(mng.lastError(), "open in another connection")) << mng.lastError();
    EXPECT_FALSE(fileExists(dir.file("modelTemp.mdb")));
    EXPECT_EQ(other.createBlockResultTbl("T1"), 1);  // the other connection still works
    other.clearDatabase();
    EXPECT_EQ(sqliteShell(path, "SELECT count(*) FROM sqlite_schema WHERE name = 'T1'"), "1\n");
}

// A replacement takes the place of a database no connection holds: not of
// another kind of file, nor through a path a NUL cuts short or that no
// connection could open, nor of a file
// this user cannot write (so cannot hold alone). Run as nobody, for the
// modes to bind.
TEST_F(Lifecycle, AReplacementTakesOnlyTheFileNamed) {
    const std::string replacement = dir.file("new.db");
    ASSERT_EQ(mng.createDatabase(replacement), 1) << mng.lastError();
    mng.clearDatabase();
    std::ofstream(path) << "notes\n";
    std::string why;
    EXPECT_EQ(vornel::replaceDatabaseFile(path, replacement, why), 0);
    EXPECT_TRUE(contains(why, "not a database")) << why;
    EXPECT_EQ(vornel::replaceDatabaseFile(std::string("model.mdb\0x", 11), replacement, why), 0);
    EXPECT_TRUE(contains(why, "NUL")) << why;
    // Nor where no connection could open it: a ';' ends a connection string's value.
    EXPECT_EQ(vornel::replaceDatabaseFile(path + ";", replacement, why), 0);
    EXPECT_TRUE(contains(why, "reads as another in a connection string")) << why;
    EXPECT_TRUE(fileExists(replacement));
    EXPECT_FALSE(fileExists(path + ";"));

    namespace fs = std::filesystem;
    fs::remove(path);
    ASSERT_EQ(mng.createDatabase(path), 1) << mng.lastError();
    mng.clearDatabase();
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir.path(), fs::perms::all);
    const int status = inChild(
        [&] {
            std::string reason;
            return vornel::replaceDatabaseFile(path, replacement, reason) == 1 ? 3
                   : contains(reason, "cannot be written here")                ? 0
                                                                               : 4;
        },
        kNobody);
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(status, 0) << "2 cannot become nobody, 3 replaced, 4 refused for another reason";
    EXPECT_TRUE(fileExists(replacement));
}

// Memory that runs out from any one allocation on, the engine's as well:
// the replacement says so, and both files are as they were; with memory
// enough, it comes over.
TEST_F(Lifecycle, AReplacementShortOfMemoryLeavesBothFilesAsTheyWere) {
    ASSERT_EQ(mng.createDatabase(path), 1);
    mng.clearDatabase();
    const std::string replacement = dir.file("new.db");
    ASSERT_EQ(mng.createDatabase(replacement), 1);
    ASSERT_EQ(mng.createBlockResultTbl("T1"), 1);
    mng.clearDatabase();
    const std::string tables = "SELECT count(*) FROM sqlite_schema WHERE name = 'T1'";
    for (long nth = 1;; ++nth) {
        ASSERT_LT(nth, 100000) << "the replacement never got through";
        std::string why;
        long status = -1;
        {
            const FailingAllocation failing(nth, true, true);
            status = vornel::replaceDatabaseFile(path, replacement, why);
        }
        if (status == 1) {
            break;
        }
        EXPECT_EQ(status, 0);
        EXPECT_FALSE(why.empty()) << nth;
        EXPECT_EQ(sqliteShell(path, tables), "0\n") << nth;
        EXPECT_TRUE(fileExists(replacement)) << nth;
    }
    EXPECT_EQ(sqliteShell(path, tables), "1\n");
    EXPECT_FALSE(fileExists(replacement));
}

// A compaction that runs out of memory at any one allocation, the engine's
// as well, tells whether it put its copy in place: short of memory before,
// it has not; after, only the opening of the compacted file failed.
TEST_F(Lifecycle, ACompactionShortOfMemoryTellsWhetherItCompacted) {
    const auto grown = [&] {
        ASSERT_EQ(mng.createDatabase(path), 1);
        ASSERT_EQ(mng.createBlockResultTbl("T1"), 1);
        ASSERT_EQ(mng.dropTable("T1"), 1);
        mng.clearDatabase();
    };
    bool compactedUnopened = false;
    for (long nth = 1;; ++nth) {
        ASSERT_LT(nth, 100000) << "the compaction never got through";
        std::filesystem::remove(path);
        grown();
        const auto before = std::filesystem::file_size(path);
        long status = -1;
        bool failed = false;
        std::string argument = path;  // copied before memory runs short
        {
            const FailingAllocation failing(nth, false, true);
            status = mng.compactDatabase(std::move(argument));
            failed = failing.failed();
        }
        if (!failed) {
            EXPECT_EQ(status, 1) << mng.lastError();
            break;
        }
        if (status == 1) {
            continue;
        }
        const std::string why = mng.lastError();
        const bool compacted = std::filesystem::file_size(path) < before;
        compactedUnopened = compactedUnopened || compacted;
        EXPECT_EQ(contains(why, "cannot open the compacted database"), compacted) << why;
        EXPECT_FALSE(contains(why, "bad_alloc")) << why;
    }
    EXPECT_TRUE(compactedUnopened);
}

// A replacement still open in the manager that built it is refused: the
// blocks it keeps beside the file would not come with it. Cleared, it comes
// over whole.
TEST_F(Lifecycle, AReplacementStillOpenIsRefused) {
    ASSERT_EQ(mng.createDatabase(path), 1);
    ASSERT_EQ(mng.initDataBase(), 1);
    mng.clearDatabase();
    const std::string replacement = dir.file("new.db");
    CVornelMng builder;
    ASSERT_EQ(builder.createDatabase(replacement), 1);
    ASSERT_EQ(builder.initDataBase(), 1);
    ASSERT_EQ(builder.createBlockResultTbl("T1"), 1);
    std::string why;
    EXPECT_EQ(vornel::replaceDatabaseFile(path, replacement, why), 0);
    EXPECT_EQ(why, "'" + replacement +
                       "' is open in another connection; close it there before putting it in "
                       "place.");
    EXPECT_EQ(sqliteShell(path, "SELECT count(*) FROM sqlite_schema WHERE name = 'T1'"), "0\n");
    builder.clearDatabase();
    EXPECT_EQ(vornel::replaceDatabaseFile(path, replacement, why), 1) << why;
    EXPECT_FALSE(fileExists(replacement + "-wal"));
    EXPECT_FALSE(fileExists(path + "-wal"));
    EXPECT_EQ(sqliteShell(path, "SELECT count(*) FROM sqlite_schema WHERE name = 'T1'"), "1\n");
    EXPECT_EQ(mng.connectDatabase(path), 1);
    EXPECT_EQ(mng.createBlockResultTbl("T2"), 1);
}

// A compaction's copy drops the last four characters of the name, whatever
// they are, and lies beside the file a link names.
TEST_F(Lifecycle, TemporaryPathDropsFourCharacters) {
    std::filesystem::create_directory(dir.file("models"));
    std::ofstream(dir.file("models/pit.mdb")).put('x');
    std::filesystem::create_symlink("models/pit.mdb", dir.file("link.db"));
    EXPECT_EQ(vornel::compactionCopyPath(dir.file("link.db")), dir.file("models/pitTemp.mdb"));
    EXPECT_EQ(vornel::compactionCopyPath("C:\\data\\model.mdb"), "C:\\data\\modelTemp.mdb");
    EXPECT_EQ(vornel::compactionCopyPath("/srv/m.db"), "/srv/Temp.mdb");
    EXPECT_EQ(vornel::compactionCopyPath("a.b"), "Temp.mdb");
}

TEST_F(Lifecycle, ManagersMoveAndNeverReleaseTwice) {
    ASSERT_EQ(mng.createDatabase(path), 1);
    CVornelMng second(std::move(mng));
    EXPECT_EQ(second.initDataBase(), 1);
    EXPECT_EQ(mng.initDataBase(), 0);  // NOLINT(bugprone-use-after-move): moved-from is empty
    CVornelMng third;
    third = std::move(second);
    EXPECT_EQ(third.initDataBase(), 1);
}
