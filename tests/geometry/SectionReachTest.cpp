// The test of rows that a cut hands the database, and what is left of it
// once the cut is over.
#include <gtest/gtest.h>

#include <optional>

#include "db/TestDatabase.h"
#include "geometry/SectionReach.h"
#include "support/Allocations.h"

namespace vornel::test {
namespace {

// The test turns away a box tested whole; once it has ended, memory short
// or not, it calls nothing of the cut's, which has gone with the cut.
TEST(SectionReach, AnEndedTestCallsNothingOfTheCut) {
    Database db("CREATE TABLE T (a DOUBLE)");
    ASSERT_TRUE(db.connection.Execute("INSERT INTO T VALUES (1)", kText));
    // Integers would read as numbers the test would have to guess.
    const std::string wholeBox = "VORNEL_TURNED_AWAY(1.0, 5e5, 3e6, 1e2, 5.0, 5.0, 5.0)";
    const std::string bySubBlocks = "VORNEL_TURNED_AWAY(0.0, 5e5, 3e6, 1e2, 5.0, 5.0, 5.0)";
    for (const bool memoryShort : {false, true}) {
        long calls = 0;
        std::optional<geometry::ReachTest> test;
        test.emplace(db.connection, [&calls](const D_3DOT& centre, const D_3DOT& size) {
            ++calls;
            return centre.x == 500000 && centre.y == 3000000 && size.z == 5;
        });
        ASSERT_TRUE(test->defined());
        EXPECT_EQ(countWhere(db.connection, wholeBox), 1);
        EXPECT_EQ(countWhere(db.connection, bySubBlocks), 0);
        EXPECT_EQ(calls, 1);
        if (memoryShort) {
            const FailingAllocation failing(1, true);
            test.reset();
        } else {
            test.reset();
        }
        EXPECT_EQ(countWhere(db.connection, wholeBox), 0) << (memoryShort ? "memory short" : "");
        EXPECT_EQ(calls, 1);
    }
}

}  // namespace
}  // namespace vornel::test
