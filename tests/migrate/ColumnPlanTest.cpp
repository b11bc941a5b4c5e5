// The declaration each Access column type gets in the new database.
#include <gtest/gtest.h>

#include "migrate/ColumnPlan.h"

using vornel::migrate::AccessColumn;
using vornel::migrate::planColumn;
namespace jet = vornel::migrate::jet;

namespace {

std::string declared(int type, int size = 0) {
    const auto plan = planColumn(AccessColumn{"c", type, size});
    EXPECT_TRUE(plan.notCarried.empty());
    return plan.declaration;
}

std::string refused(int type) {
    const auto plan = planColumn(AccessColumn{"c", type, 0});
    EXPECT_TRUE(plan.declaration.empty());
    return plan.notCarried;
}

}  // namespace

TEST(ColumnPlan, EachCarriedTypeHasItsDeclaration) {
    EXPECT_EQ(declared(jet::kByte), "long");
    EXPECT_EQ(declared(jet::kInteger), "long");
    EXPECT_EQ(declared(jet::kLong), "long");
    EXPECT_EQ(declared(jet::kSingle), "Double");
    EXPECT_EQ(declared(jet::kDouble), "Double");
    EXPECT_EQ(declared(jet::kCurrency), "currency");
    EXPECT_EQ(declared(jet::kDateTime), "datetime");
    EXPECT_EQ(declared(jet::kBool), "yesno");
    EXPECT_EQ(declared(jet::kText, 255), "VarChar(255)");
    EXPECT_EQ(declared(jet::kText, 5), "VarChar(5)");
    EXPECT_EQ(declared(jet::kMemo), "memo");
    EXPECT_EQ(declared(jet::kOle), "IMAGE");
    EXPECT_EQ(declared(jet::kBinary, 16), "IMAGE");
}

TEST(ColumnPlan, TypesWithoutACounterpartSayWhy) {
    EXPECT_EQ(refused(jet::kReplicationId),
              "replication ID (GUID) columns have no counterpart here");
    EXPECT_EQ(refused(jet::kDecimal), "decimal columns have no counterpart here");
    EXPECT_EQ(refused(0x12), "columns of type 0x12 have no counterpart here");
    EXPECT_EQ(refused(0), "columns of type 0x00 have no counterpart here");
}
