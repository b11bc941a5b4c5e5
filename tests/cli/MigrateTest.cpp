// migrate on the Access sample files; the row counts to expect come from
// mdbtools' own reader, not from the library.
#include "CliFixture.h"
#include "support/Shell.h"

namespace vornel::test {
namespace {

using MigrateTest = CliTest;

// The summary line of a table that came over whole, as many rows as
// mdbtools counts in it.
void expectEveryRow(const std::string& summary, const std::string& mdb, const std::string& table) {
    const std::string count = shellOutput("mdb-count '" + mdb + "' '" + table + "'");
    ASSERT_FALSE(count.empty()) << table;
    const std::string n = count.substr(0, count.find('\n'));
    EXPECT_EQ(lineStarting(summary, table + ":"), table + ": " + n + " of " + n + " rows");
}

TEST_F(MigrateTest, EverythingComesOverFromNorthwind) {
    const std::string mdb = sharedData("nwind.mdb");
    const std::string out = ok({"migrate", mdb, "nwind.db"});
    EXPECT_TRUE(fileExists(path("nwind.db")));
    expectEveryRow(out, mdb, "Orders");
    expectEveryRow(out, mdb, "Customers");
    expectEveryRow(out, mdb, "Products");
    EXPECT_NE(out.find(": everything came over.\n"), std::string::npos) << out;
}

// The reader's own complaints about a damaged file (libmdb's, on stderr)
// stay out of the one line.
TEST_F(MigrateTest, AFileThatIsNotAccessOrIsDamaged) {
    write("notes.mdb", "some notes\n");
    EXPECT_FAILS_WITH(vornel({"migrate", "notes.mdb", "new.db"}), "is not an Access database");
    write("cut.mdb", readFile(sharedData("nwind.mdb")).substr(0, 56 * 2048));
    EXPECT_FAILS_WITH(vornel({"migrate", "cut.mdb", "new.db"}),
                      "'cut.mdb' is damaged: its list of tables is incomplete");
    EXPECT_FALSE(fileExists(path("new.db")));
    EXPECT_FALSE(fileExists(path("new.db.migrating")));
}

TEST_F(MigrateTest, TheNewDatabaseMustNotExist) {
    write("new.db", "mine\n");
    EXPECT_FAILS_WITH(vornel({"migrate", sharedData("DateTestDatabase.mdb"), "new.db"}),
                      "already exists");
    EXPECT_EQ(readFile(path("new.db")), "mine\n");
}

}  // namespace
}  // namespace vornel::test
