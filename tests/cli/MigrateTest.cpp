// migrate on the small Access sample file, whole and with a column of a
// type that has no counterpart here, and on a damaged copy of the large one.
#include "CliFixture.h"

namespace vornel::test {
namespace {

using MigrateTest = CliTest;

// Where DateTestDatabase.mdb keeps the type of DateTest's first column
// (IDCol, a Long Integer): the first 25-byte column entry after the 63-byte
// header of the table's definition, page 18 of 4 KiB.
constexpr size_t kIdColType = 18 * 4096 + 63;

TEST_F(MigrateTest, EverythingComesOver) {
    const std::string out = ok({"migrate", sharedData("DateTestDatabase.mdb"), "new.db"});
    EXPECT_TRUE(fileExists(path("new.db")));
    EXPECT_EQ(out.substr(0, out.find("took ")),
              "DateTest: 6 of 6 rows\n1 table, 6 rows: everything came over.\nnote: " +
                  sharedData("DateTestDatabase.mdb") +
                  " held no block-model catalog (KrigBlock_Param): the other commands will not "
                  "take new.db for a block-model database\n");
}

TEST_F(MigrateTest, WhatCannotComeOverIsNamedAndTheRestIsWritten) {
    std::string bytes = readFile(sharedData("DateTestDatabase.mdb"));
    bytes.at(kIdColType) = 0x10;  // Decimal
    write("decimal.mdb", bytes);
    const CliResult r = vornel({"migrate", "decimal.mdb", "new.db"});
    EXPECT_FAILS_WITH(r, "new.db is written, but not everything came over from decimal.mdb");
    EXPECT_TRUE(fileExists(path("new.db")));
    EXPECT_EQ(r.out.substr(0, r.out.find("note: ")),
              "DateTest: 6 of 6 rows; column IDCol not carried: decimal columns have no "
              "counterpart here\n1 table, 6 rows: not everything came over (see above).\n");
}

// The reader's own complaints about a damaged file (libmdb's, on stderr)
// stay out of the one line.
TEST_F(MigrateTest, ADamagedFileIsRefusedInOneLine) {
    write("cut.mdb", readFile(sharedData("nwind.mdb")).substr(0, 56 * 2048));
    EXPECT_FAILS_WITH(vornel({"migrate", "cut.mdb", "new.db"}),
                      "'cut.mdb' is damaged: its list of tables is incomplete");
    // So is a name the file system cannot take.
    const std::string tooLong(250, 'n');
    EXPECT_FAILS_WITH(
        vornel({"migrate", "cut.mdb", tooLong}),
        "vornel migrate: Cannot create database '" + tooLong + ".migrating': File name too long");
}

// Stopped while it writes, the migration leaves no NEW.migrating to block
// the next one. Should it win the race and finish first, NEW.db is whole.
TEST_F(MigrateTest, AStoppedMigrationLeavesNothingBehind) {
    const std::string script =
        "cd " + shellQuote(dir.path()) + " || exit; " + shellQuote(VORNEL_CLI) + " migrate " +
        shellQuote(sharedData("nwind.mdb")) +
        " n.db >/dev/null 2>&1 & pid=$!; for i in $(seq 3000); do [ -e n.db.migrating ] && "
        "break; sleep 0.005; done; kill -TERM $pid; wait $pid; echo $?; ls";
    const std::string out = shellOutput(script);
    EXPECT_TRUE(out == "143\n" || out == "0\nn.db\n") << out;
}

}  // namespace
}  // namespace vornel::test
