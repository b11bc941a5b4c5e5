// The demo on a small model: it finishes, its database reads back, and it
// can run again over its own database but over nothing else.
#include <cmath>
#include <filesystem>

#include "CliFixture.h"
#include "support/Shell.h"
#include "vornel/VornelMng.h"

namespace vornel::test {
namespace {

using DemoTest = CliTest;

TEST_F(DemoTest, BuildsReadsBackAndRunsAgain) {
    const std::string out = ok({"demo", "demo.db", "--blocks", "2000"});
    EXPECT_NE(out.find("Run 1: table CU_DEMO, element Cu (%)"), std::string::npos) << out;
    EXPECT_NE(out.find("Void table OLD_WORKINGS:"), std::string::npos) << out;
    EXPECT_NE(out.find("Grade-tonnage of CU_DEMO"), std::string::npos) << out;
    EXPECT_NE(out.find("The void blocks of OLD_WORKINGS (mined-out ground) are not deducted."),
              std::string::npos)
        << out;
    // Its resource statement is the report by category less the old workings.
    EXPECT_NE(out.find("Resource statement of CU_DEMO at 0.5 % Cu, less the old workings ("),
              std::string::npos)
        << out;
    EXPECT_EQ(
        lineStarting(out, "(all)"),
        lineStarting(ok({"report", "demo.db", "--cutoffs", "0.5", "--deplete", "--by", "category"}),
                     "(all)"));
    for (const char* step :
         {"build the model", "write the database", "read back", "grade-tonnage table",
          "resource statement", "cut and draw", "total"}) {
        EXPECT_NE(lineStarting(out, step), "") << "no time for " << step << " in " << out;
    }

    // What the demo printed is what the database holds.
    const std::string info = ok({"info", "demo.db"});
    EXPECT_EQ(lineStarting(info, "blocks"), lineStarting(out, "blocks"));
    EXPECT_NE(info.find("demo.db: 1 run, 1 void table"), std::string::npos) << info;
    const std::vector<std::string> blocks = wordsOf(lineStarting(info, "blocks"));
    ASSERT_GE(blocks.size(), 6u);
    // "About 2000 blocks" counts the blocks the boundary cuts too.
    EXPECT_NEAR(std::stol(blocks[1]), 2000, 200);
    EXPECT_GT(std::stol(blocks[4]), 0) << "blocks split into sub-blocks";
    // A block is ore or waste by its grade, and only its ore counts in the ore tonnage.
    EXPECT_EQ(sqliteShell(path("demo.db"),
                          "SELECT (SELECT COUNT(*) FROM CU_DEMO WHERE Ore_Propro NOT IN (0, 1) "
                          "OR Block_OreMass != Block_CorMass * Ore_Propro), (SELECT "
                          "MAX(Krig_OutAttr) FROM CU_DEMO WHERE Ore_Propro = 0) < (SELECT "
                          "MIN(Krig_OutAttr) FROM CU_DEMO WHERE Ore_Propro = 1)"),
              "0|1\n");
    // A block is on the boundary, as its void blocks below, and split into
    // sub-blocks, exactly when it does not fill its cell; some do not.
    EXPECT_EQ(sqliteShell(path("demo.db"),
                          "SELECT SUM((Block_Coef < 1) != (Krig_Bound != 0)), SUM((Block_Coef < "
                          "1) != (coalesce(length(SubBUDBlob), 0) > 4)), SUM(Block_Coef < 1) > 0 "
                          "FROM CU_DEMO"),
              "0|0|1\n");
    // Each ore type has one density, the weathered rock lighter than the fresh.
    EXPECT_EQ(
        sqliteShell(path("demo.db"),
                    "SELECT group_concat(Krig_OreType, ' < ') FROM (SELECT Krig_OreType, "
                    "round(MIN(Block_CorMass / Block_Vol), 4) AS d FROM CU_DEMO GROUP BY 1 "
                    "HAVING d = round(MAX(Block_CorMass / Block_Vol), 4) AND d > 0 ORDER BY d)"),
        "Oxide < Transition < Sulphide\n");
    // Every block has a kriging variance and a mean distance to its samples,
    // and the resource category follows that distance, as the search pass
    // that found them does: the first within 30 m, the second within 60 m.
    EXPECT_EQ(sqliteShell(path("demo.db"),
                          "SELECT Krig_ResType, MIN(Krig_OutVari) > 0 AND MIN(Krig_MeanDis) > 0, "
                          "MIN(Srch_Degr), MAX(Srch_Degr) FROM CU_DEMO GROUP BY 1 "
                          "ORDER BY MAX(Krig_MeanDis)"),
              "Measured|1|1|1\nIndicated|1|1|2\nInferred|1|2|3\n");
    // Both variogram structures, spherical, lie along the lens, as its search
    // does, an ellipsoid with three ranges.
    EXPECT_EQ(
        sqliteShell(path("demo.db"),
                    "SELECT COUNT(*) FROM KrigBlock_Vrg_Param v JOIN KrigBlock_Param p "
                    "USING (MineID) WHERE v.Vrg_Type = 'spherical' AND v.Vrg_Azm = p.Srch_Azm "
                    "AND v.Vrg_Dip = p.Srch_Dip "
                    "AND p.Srch_Dip != 0 AND MIN(p.Srch_RangX, p.Srch_RangY, p.Srch_RangZ) > 0"),
        "2\n");

    // The old workings lie within the model's grid.
    EXPECT_EQ(sqliteShell(path("demo.db"),
                          "SELECT COUNT(*) > 0, SUM(v.Krig_PntLocX NOT BETWEEN Grid_StartX AND "
                          "Grid_EndX OR v.Krig_PntLocY NOT BETWEEN Grid_StartY AND Grid_EndY OR "
                          "v.Krig_PntLocZ NOT BETWEEN Grid_StartZ AND Grid_EndZ) "
                          "FROM OLD_WORKINGS v, KrigBlock_Param WHERE Table_Name = 'CU_DEMO'"),
              "1|0\n");
    // A void block fills part of its cell, and is split into sub-blocks (a
    // count of 4 bytes, then 48 bytes each) and marked as on the boundary
    // exactly when it does not fill it all.
    EXPECT_EQ(sqliteShell(path("demo.db"),
                          "SELECT SUM(Block_Coef <= 0 OR Block_Coef > 1), SUM((Block_Coef < 1) != "
                          "(length(SubBUDBlob) > 4)), SUM((Block_Coef < 1) != (Krig_Bound != 0)) "
                          "FROM OLD_WORKINGS"),
              "0|0|0\n");
    EXPECT_EQ(lineStarting(out, "Void table") + "\n",
              sqliteShell(path("demo.db"),
                          "SELECT 'Void table OLD_WORKINGS: ' || COUNT(*) || ' void blocks (' || "
                          "SUM(length(SubBUDBlob) > 4) || ' with sub-blocks), ' || printf('%.6g', "
                          "SUM(Block_Coef * Krig_GridSizeX * Krig_GridSizeY * Krig_GridSizeZ)) || "
                          "' m3' FROM OLD_WORKINGS"));

    // The sub-blocks of each split block, and of each void block, lie in its
    // cell and fill the share of it that its coefficient gives.
    const auto expectFilled = [](const auto* blocks, long count) {
        long split = 0;
        for (long i = 0; i < count; ++i) {
            const auto& b = blocks[i];
            const double centre[] = {b.Krig_PntLocX, b.Krig_PntLocY, b.Krig_PntLocZ};
            const double cell[] = {b.Krig_GridSizeX, b.Krig_GridSizeY, b.Krig_GridSizeZ};
            double filled = 0;
            for (int p = 0; p < b.SubBUD_Num; ++p) {
                const D_3DOT& at = b.SubBUD_PntLoc[p];
                const D_3DOT& size = b.SubBUD_GridSize[p];
                const double atAxis[] = {at.x, at.y, at.z};
                const double sizeAxis[] = {size.x, size.y, size.z};
                double share = 1;
                for (int a = 0; a < 3; ++a) {
                    EXPECT_LE(std::fabs(atAxis[a] - centre[a]), (cell[a] - sizeAxis[a]) / 2 + 1e-9)
                        << "block " << b.Krig_BlockID;
                    share *= sizeAxis[a] / cell[a];
                }
                filled += share;
            }
            if (b.SubBUD_Num > 0) {
                ++split;
                EXPECT_NEAR(filled, b.Block_Coef, 1e-9) << "block " << b.Krig_BlockID;
            }
        }
        return split;
    };
    {
        CVornelMng mng;
        ASSERT_EQ(mng.connectDatabase(path("demo.db")), 1) << mng.lastError();
        KrigBlockResult* blocks = nullptr;
        KrigBlockVoid* voids = nullptr;
        long count = 0;
        ASSERT_EQ(mng.getBlockResult("CU_DEMO", &blocks, &count), 1) << mng.lastError();
        EXPECT_GT(expectFilled(blocks, count), 0);
        ASSERT_EQ(mng.getBlockVoid("OLD_WORKINGS", &voids, &count), 1) << mng.lastError();
        EXPECT_GT(expectFilled(voids, count), 0);
    }

    // Both drawings are well-formed and show blocks.
    for (const char* name : {"section-vertical.svg", "section-horizontal.svg"}) {
        EXPECT_EQ(shellOutput("xmllint --noout " + path(name) + " 2>&1; echo $?"), "0\n");
        const std::string shapes = shellOutput(
            "xmllint --xpath \"count(//*[local-name()='path'][@class='cut'])\" " + path(name));
        EXPECT_GT(std::atoi(shapes.c_str()), 10) << name;
    }
    EXPECT_NE(lineStarting(out, "vertical"), "") << out;
    // The licence written beside them is drawn on the plan, and reports read
    // it: it keeps part of the model's tonnes.
    EXPECT_TRUE(contains(readFile(path("section-horizontal.svg")), "<path class=\"outline\""));
    const double within = std::stod(
        rowFor(ok({"report", "demo.db", "--cutoffs", "0", "--within", "licence.csv"}), "0").at(2));
    const double all = std::stod(wordsOf(lineStarting(out, "0 ")).at(2));
    EXPECT_GT(within, 0.3 * all);
    EXPECT_LT(within, all);
    // The swath weighs the whole model, slice by slice.
    EXPECT_EQ(shellOutput("xmllint --noout " + path("swath-x.svg") + " 2>&1; echo $?"), "0\n");
    EXPECT_GT(svgPoints(readFile(path("swath-x.svg")), "grade").size(), 3u);
    const std::string total = wordsOf(lineStarting(out, "0 ")).at(2);
    EXPECT_TRUE(contains(lineStarting(out, "swath"), " slices of " + total + " t")) << out;
    // The histogram's mean is the grade-tonnage table's at a cut-off of 0.
    EXPECT_EQ(shellOutput("xmllint --noout " + path("histogram.svg") + " 2>&1; echo $?"), "0\n");
    const std::string mean = wordsOf(lineStarting(out, "0 ")).at(3);
    EXPECT_TRUE(contains(lineStarting(out, "histogram"), "mean " + mean + " %")) << out;
    // Its bars hold the tonnes, and its curve climbs to all of them.
    const std::string bars =
        shellOutput("xmllint --xpath \"count(//*[local-name()='rect'][@class='tonnes'])\" " +
                    path("histogram.svg"));
    EXPECT_GT(std::atoi(bars.c_str()), 10);
    EXPECT_TRUE(contains(readFile(path("histogram.svg")), "(all): 100.0 % of the tonnes"));

    ok({"demo", "demo.db", "--blocks", "2000"});
    EXPECT_EQ(ok({"info", "demo.db"}), info);
}

TEST_F(DemoTest, ReplacesNothingButAnEarlierDemo) {
    write("precious.db", "not a demo\n");
    EXPECT_FAILS_WITH(vornel({"demo", "precious.db", "--blocks", "500"}),
                      "precious.db: exists and is not a demo database");
    EXPECT_EQ(readFile(path("precious.db")), "not a demo\n");
    // A block model of one's own is no demo either, even under the demo's
    // table name.
    write("a.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n");
    ok({"import", "model.db", "a.csv", "-t", "CU_DEMO", "-e", "Cu"});
    const std::string model = readFile(path("model.db"));
    EXPECT_FAILS_WITH(vornel({"demo", "model.db", "--blocks", "500"}),
                      "model.db: exists and is not a demo database");
    EXPECT_EQ(readFile(path("model.db")), model);
    EXPECT_FAILS_WITH(vornel({"demo", "nodir/x.db", "--blocks", "200"}),
                      "vornel demo: nodir/x.db: cannot create the database: the folder nodir "
                      "does not exist");
    // Nor would it take the name of a drawing it writes beside itself.
    EXPECT_FAILS_WITH(vornel({"demo", "./histogram.svg", "--blocks", "200"}),
                      "./histogram.svg: the demo writes its histogram.svg there");
    EXPECT_FALSE(fileExists(path("histogram.svg")));

    // Nor a licence outline of one's own, under the name of the demo's.
    write("licence.csv", "EAST,NORTH\n0,0\n10,0\n0,10\n");
    EXPECT_FAILS_WITH(vornel({"demo", "d.db", "--blocks", "200"}),
                      "vornel demo: licence.csv: there already, beside no earlier demo's "
                      "database; the demo would write over it");
    EXPECT_EQ(readFile(path("licence.csv")), "EAST,NORTH\n0,0\n10,0\n0,10\n");
    EXPECT_FALSE(fileExists(path("d.db")));
    std::filesystem::remove(path("licence.csv"));

    // Nor one that another connection has open, with a change it has not yet
    // moved into the file: that change stays, and is not read as the new
    // file's.
    ok({"demo", "d.db", "--blocks", "200"});
    // Nor the drawings of the demo beside it, under another name.
    const std::string drawing = readFile(path("section-vertical.svg"));
    EXPECT_FAILS_WITH(vornel({"demo", "e.db", "--blocks", "300"}),
                      "section-vertical.svg: there already, beside no earlier demo's database");
    EXPECT_EQ(readFile(path("section-vertical.svg")), drawing);
    const std::string held =
        "cd " + shellQuote(dir.path()) +
        " && mkfifo sql && { sqlite3 d.db <sql >/dev/null & } && exec 3>sql; " +
        "echo 'PRAGMA wal_autocheckpoint=0; UPDATE CU_DEMO SET Krig_OutAttr=Krig_OutAttr+100;' "
        ">&3; " +
        "until [ -s d.db-wal ]; do sleep 0.05; done; " + shellQuote(VORNEL_CLI) +
        " demo d.db --blocks 200 2>&1 >/dev/null; echo $?; exec 3>&-; wait";
    EXPECT_EQ(shellOutput(held),
              "vornel demo: 'd.db' is open in another connection; close it there before "
              "replacing it.\n1\n");
    EXPECT_GT(std::stod(wordsOf(lineStarting(ok({"info", "d.db"}), "Cu"))[1]), 100);

    // Nor a demo database that another model was imported into, nor one
    // another tool registered a void table in.
    write("m.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n");
    ok({"import", "d.db", "m.csv", "-t", "MINE", "-e", "Cu"});
    sqliteShell(path("d.db"),
                "INSERT INTO KrigBlock_Param(MineID, Mine_Element, Table_Name) "
                "VALUES (9, 'VoidBlock', 'HOLES')");
    EXPECT_FAILS_WITH(vornel({"demo", "d.db", "--blocks", "200"}),
                      "d.db: a demo database that holds other runs too (MINE, HOLES); give the "
                      "demo another path");
    EXPECT_NE(ok({"info", "d.db"}).find("MINE"), std::string::npos);
}

// Killed while it writes, the demo leaves nothing: neither the database it
// was building beside the target nor that database's journal files; and it
// says so.
TEST_F(DemoTest, AKilledDemoLeavesNothingBehind) {
    const std::string script = "cd " + shellQuote(dir.path()) + " || exit; " +
                               shellQuote(VORNEL_CLI) +
                               " demo d.db --blocks 300000 >/dev/null 2>said & pid=$!; "
                               "for i in $(seq 3000); do ls d.db.partial-* >/dev/null 2>&1 && "
                               "break; sleep 0.01; done; kill -TERM $pid; wait $pid; echo $?; ls "
                               "-I said; grep vornel said";
    EXPECT_EQ(shellOutput(script), "143\nvornel: stopped; the unfinished file was removed\n");
}

}  // namespace
}  // namespace vornel::test
