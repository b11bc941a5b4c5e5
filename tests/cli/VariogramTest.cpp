// A run's variogram model against values worked out from the structures'
// formulas: nugget 0.1; spherical 0.5 with ranges 100 x 50 x 10,
// exponential 0.25 with 200 x 200 x 20, gaussian 0.15 with 40 x 40 x 40. At
// 50 m along the major axis: 0.1 + 0.5 x 0.6875 + 0.25 x (1 - e^-0.75)
// + 0.15 x (1 - e^-4.6875) = 0.724276909574151.
#include "CliFixture.h"
#include "support/Shell.h"

namespace vornel::test {
namespace {

class VariogramTest : public CliTest {
protected:
    void SetUp() override {
        write("a.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n");
        ok({"import", "m.db", "a.csv", "-t", "A", "-e", "Cu"});
        structures(
            "('sph', 0.5, 100, 50, 10), ('Exponential', 0.25, 200, 200, 20), "
            "('GAUSSIAN', 0.15, 40, 40, 40)");
    }

    void structures(const std::string& rows) {
        sqliteShell(path("m.db"),
                    "DELETE FROM KrigBlock_Vrg_Param; UPDATE KrigBlock_Param SET Vrg_Nug = 0.1, "
                    "Vrg_Sill = 1; INSERT INTO KrigBlock_Vrg_Param (Vrg_Type, Vrg_LocSill, "
                    "Vrg_MaxRang, Vrg_MinRang, Vrg_VerRang) SELECT * FROM (VALUES " +
                        rows + "); UPDATE KrigBlock_Vrg_Param SET MineID = 1, Vrg_TblName = 'A';");
    }
};

TEST_F(VariogramTest, ValuesFromTheStructuresFormulas) {
    const std::string said =
        ok({"variogram", "m.db", "--lag", "25", "--csv", "v.csv", "--svg", "v.svg"});
    EXPECT_EQ(linesOf(said).at(0), "Variogram of A (Cu): nugget 0.1, sill 1");
    EXPECT_EQ(wordsOf(linesOf(said).at(3)),
              (std::vector<std::string>{"2", "Exponential", "0.25", "0/0/0", "200", "200", "20"}));
    // Lags of 25 m up to a fifth past the longest range, 240 m.
    const CsvTable t = readCsv(path("v.csv"));
    ASSERT_EQ(t.rows.size(), 11u);
    EXPECT_EQ(t.at(10, "lag"), "250");
    EXPECT_EQ(t.at(0, "major") + t.at(0, "minor") + t.at(0, "vertical"), "000");
    EXPECT_NEAR(t.number(2, "major"), 0.724276909574151, 1e-12);
    // Along the minor axis the spherical structure is whole at 50 m.
    EXPECT_NEAR(t.number(2, "minor"), 0.880526909574151, 1e-12);
    // Vertically at 25 m: spherical whole, exponential at 1.25 ranges.
    EXPECT_NEAR(t.number(1, "vertical"), 0.9476527312644955, 1e-12);
    EXPECT_NEAR(t.number(10, "major"), 0.9941205635359978, 1e-12);
    const std::string svg = readFile(path("v.svg"));
    EXPECT_TRUE(contains(svg, "<title>major: 0.724277 at 50 m</title>")) << svg.substr(0, 400);
    EXPECT_EQ(shellOutput("xmllint --noout " + path("v.svg") + " 2>&1; echo $?"), "0\n");

    // Structures turned alike share their axes; one turned apart has no
    // values along the others' axes.
    sqliteShell(path("m.db"),
                "UPDATE KrigBlock_Vrg_Param SET Vrg_Azm = 60, Vrg_Dip = -55, "
                "Vrg_Org = 10;");
    ok({"variogram", "m.db", "--lag", "25", "--csv", "v.csv"});
    EXPECT_NEAR(readCsv(path("v.csv")).number(2, "major"), 0.724276909574151, 1e-12);
    // A whole turn apart is the same way.
    sqliteShell(path("m.db"),
                "UPDATE KrigBlock_Vrg_Param SET Vrg_Azm = 420 WHERE Vrg_Type = "
                "'GAUSSIAN';");
    ok({"variogram", "m.db"});
    sqliteShell(path("m.db"),
                "UPDATE KrigBlock_Vrg_Param SET Vrg_Azm = 150 WHERE Vrg_Type = "
                "'GAUSSIAN';");
    const CliResult turned = vornel({"variogram", "m.db", "--csv", "t.csv"});
    EXPECT_FAILS_WITH(turned,
                      "A: structures 1 and 3 lie at different angles (60/-55/10 and 150/-55/10), "
                      "so their axes are not one set of directions");
    EXPECT_TRUE(contains(turned.out, "150/-55/10")) << turned.out;
    EXPECT_FALSE(fileExists(path("t.csv")));
    // Lags are the decimals of the steps.
    structures("('spherical', 0.9, 0.3, 0.3, 0.3)");
    ok({"variogram", "m.db", "--lag", "0.1", "--csv", "v.csv"});
    EXPECT_EQ(readCsv(path("v.csv")).at(3, "lag"), "0.3");

    structures("('power', 1, 10, 10, 10)");
    EXPECT_FAILS_WITH(vornel({"variogram", "m.db"}),
                      "A: structure 1 ('power') is of a type not drawn: spherical, exponential "
                      "and gaussian are");
    structures("('spherical', 1, 10, 0, 10)");
    EXPECT_FAILS_WITH(vornel({"variogram", "m.db"}),
                      "A: structure 1 ('spherical') has a range of 0; ranges are above 0");
    structures("('spherical', -1, 10, 10, 10)");
    EXPECT_FAILS_WITH(vornel({"variogram", "m.db"}),
                      "A: structure 1 ('spherical') has a sill of -1; sills are 0 or more");
    sqliteShell(path("m.db"), "DELETE FROM KrigBlock_Vrg_Param;");
    EXPECT_FAILS_WITH(vornel({"variogram", "m.db"}), "A: the run records no variogram structure");
    // Lags of 2 cm up to 240 m are 12000.
    structures("('spherical', 0.9, 200, 100, 10)");
    EXPECT_USAGE_ERROR(vornel({"variogram", "m.db", "--lag", "0.02"}),
                       "--lag: 0.02 m makes more than 10000 lags up to 240 m");
    sqliteShell(path("m.db"), "UPDATE KrigBlock_Param SET Vrg_Nug = -0.5;");
    EXPECT_FAILS_WITH(vornel({"variogram", "m.db"}),
                      "A: the run records a nugget of -0.5; a nugget is 0 or more");
}

// A table that the catalog lists for two runs: each has its own model, and
// the command asks which.
TEST_F(VariogramTest, ARunOfASharedTableIsChosenByItsMineID) {
    sqliteShell(path("m.db"),
                "INSERT INTO KrigBlock_Param(MineID, Mine_Element, Table_Name, Vrg_Nug, Vrg_Sill) "
                "VALUES (2, 'Au', 'A', 0.3, 1); INSERT INTO KrigBlock_Vrg_Param(MineID, Vrg_Type, "
                "Vrg_LocSill, Vrg_MaxRang, Vrg_MinRang, Vrg_VerRang, Vrg_TblName) VALUES (2, "
                "'spherical', 0.7, 30, 30, 30, 'A')");
    EXPECT_USAGE_ERROR(vornel({"variogram", "m.db"}),
                       "--run is needed: the catalog lists 2 runs for A (MineID 1, 2)");
    EXPECT_EQ(linesOf(ok({"variogram", "m.db", "--run", "2"})).at(0),
              "Variogram of A (Au): nugget 0.3, sill 1");
    EXPECT_EQ(linesOf(ok({"variogram", "m.db", "--run", "1"})).at(0),
              "Variogram of A (Cu): nugget 0.1, sill 1");
    EXPECT_FAILS_WITH(vornel({"variogram", "m.db", "--run", "3"}),
                      "m.db: A holds no run 3 (MineID 1, 2)");
    EXPECT_USAGE_ERROR(vornel({"variogram", "m.db", "--run", "0"}), "--run");
}

}  // namespace
}  // namespace vornel::test
