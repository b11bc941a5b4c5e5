// Sections through a small model whose cut blocks are counted by hand: a
// grid of 3 x 2 x 2 blocks of 10 m from the origin, numbered along X, then
// Y, then Z. Block 2 (x 10..20, y 0..10, z 0..10) holds only two sub-blocks
// in its lower half, A at x 10..14 and B at x 14..20, both z 0..5, so its
// coefficient is 0.5 and sections test it by its sub-blocks.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <set>

#include "CliFixture.h"
#include "support/Shell.h"
#include "vornel/VornelMng.h"

namespace vornel::test {
namespace {

const char* const kGrid =
    "PARENT,X,Y,Z,DX,DY,DZ,CU\n"
    "1,5,5,5,10,10,10,0.1\n"
    "2,12,5,2.5,4,10,5,0.2\n"
    "2,17,5,2.5,6,10,5,0.4\n"
    "3,25,5,5,10,10,10,0.3\n"
    "4,5,15,5,10,10,10,0.5\n"
    "5,15,15,5,10,10,10,0.6\n"
    "6,25,15,5,10,10,10,0.7\n"
    "7,5,5,15,10,10,10,0.8\n"
    "8,15,5,15,10,10,10,0.9\n"
    "9,25,5,15,10,10,10,1.0\n"
    "10,5,15,15,10,10,10,1.1\n"
    "11,15,15,15,10,10,10,1.2\n"
    "12,25,15,15,10,10,10,1.3\n";

// The numbers that capture `group` of `pattern` finds in `text`, in order.
std::vector<double> numbersOf(const std::string& text, const std::string& pattern, int group) {
    std::vector<double> numbers;
    const std::regex re(pattern);
    for (auto m = std::sregex_iterator(text.begin(), text.end(), re); m != std::sregex_iterator();
         ++m) {
        numbers.push_back(std::stod((*m)[group]));
    }
    return numbers;
}

// Everything a drawing places lies on its page, and the pieces cut within
// the section's frame (to the hundredth its coordinates are written in).
void expectOnThePage(const std::string& svg) {
    const std::string number = "([-0-9.]+)";
    std::smatch page;
    std::smatch frame;
    ASSERT_TRUE(std::regex_search(
        svg, page, std::regex("<svg [^>]*width=\"" + number + "\" height=\"" + number)));
    ASSERT_TRUE(std::regex_search(svg, frame,
                                  std::regex("<rect x=\"" + number + "\" y=\"" + number +
                                             "\" width=\"" + number + "\" height=\"" + number)));
    const auto within = [](const std::vector<double>& values, double low, double high) {
        return std::all_of(values.begin(), values.end(),
                           [&](double v) { return v >= low - 0.01 && v <= high + 0.01; });
    };
    EXPECT_TRUE(within(numbersOf(svg, " (x|x1|x2)=\"" + number, 2), 0, std::stod(page[1])));
    EXPECT_TRUE(within(numbersOf(svg, " (y|y1|y2)=\"" + number, 2), 0, std::stod(page[2])));
    const double left = std::stod(frame[1]);
    const double top = std::stod(frame[2]);
    EXPECT_TRUE(within(numbersOf(svg, "[ML]" + number + " ", 1), left, left + std::stod(frame[3])));
    EXPECT_TRUE(
        within(numbersOf(svg, "[ML][-0-9.]+ " + number, 1), top, top + std::stod(frame[4])));
}

// A full device for an output to fail on: the test's own where one can be
// made, so that a fault that replaced the file named would not replace the
// system's /dev/full.
std::string fullDevice(const std::string& folder) {
    std::string own = folder + "/full";
    if (::mknod(own.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0) {
        const int fd = ::open(own.c_str(), O_WRONLY);
        if (fd >= 0) {
            ::close(fd);
            return own;
        }
    }
    return "/dev/full";
}

class SectionTest : public CliTest {
protected:
    void SetUp() override {
        write("grid.csv", kGrid);
        ok({"import", "m.db", "grid.csv", "-t", "G", "-e", "Cu", "--block-size", "10"});
    }

    // Cuts with the section options into a drawing and a list at once; checks
    // the drawing is well-formed XML and returns the number of block shapes
    // in it and the (BLOCKID, SUB) pairs of the list.
    std::pair<int, std::vector<std::string>> cut(const std::vector<std::string>& section) {
        std::vector<std::string> args{"section", "m.db",    "-t",    "G",
                                      "--svg",   "cut.svg", "--csv", "cut.csv"};
        args.insert(args.end(), section.begin(), section.end());
        out = ok(args);
        EXPECT_EQ(shellOutput("xmllint --noout " + path("cut.svg") + " 2>&1; echo $?"), "0\n");
        expectOnThePage(readFile(path("cut.svg")));
        const int shapes = std::stoi(
            shellOutput("xmllint --xpath \"count(//*[local-name()='path'][@class='cut'])\" " +
                        path("cut.svg")));
        return {shapes, pairsOf(readCsv(path("cut.csv")))};
    }

    // The pieces of a cut list as "BLOCKID.SUB", in listed order.
    static std::vector<std::string> pairsOf(const CsvTable& t) {
        std::vector<std::string> pairs;
        for (size_t r = 0; r < t.rows.size(); ++r) {
            pairs.push_back(t.at(r, "BLOCKID") + "." + t.at(r, "SUB"));
        }
        return pairs;
    }

    std::string out;
};

struct Cut {
    std::vector<std::string> section;
    int shapes;
    std::vector<std::string> list;
};

TEST_F(SectionTest, EachSectionCutsTheBlocksCountedByHand) {
    const std::vector<Cut> cuts = {
        // X = 15 crosses column 1: blocks 2, 5, 8 and 11; in block 2 only B.
        {{"--x", "15"}, 4, {"2.2", "5.0", "8.0", "11.0"}},
        // Y = 5 crosses row 0 of both layers, and both of block 2's parts.
        {{"--y", "5"}, 7, {"1.0", "2.1", "2.2", "3.0", "7.0", "8.0", "9.0"}},
        // A plan at Z = 2.5 keeps the lower layer, with both of block 2's parts.
        {{"--z", "2.5"}, 7, {"1.0", "2.1", "2.2", "3.0", "4.0", "5.0", "6.0"}},
        // The corners of the plane Y = 5, given outright.
        {{"--corners", "0,5,0 30,5,0 30,5,20 0,5,20"},
         7,
         {"1.0", "2.1", "2.2", "3.0", "7.0", "8.0", "9.0"}},
        // In plan the line y = 2x/3 from (0, 0) to (30, 20) crosses cells
        // (0,0), (1,0) (A at y 6.7..9.3, B at 9.3..10), (1,1) and (2,1), in
        // both layers.
        {{"--line", "0,0 30,20"},
         9,
         {"1.0", "2.1", "2.2", "5.0", "6.0", "7.0", "8.0", "11.0", "12.0"}},
        // A triangle in the plane Y = 5, corner 1 on the edge from corner 4 to
        // corner 2: z up to 2x/3 over x 0..30 misses block 7 (z 10 at x 10).
        {{"--corners", "15,5,0 30,5,0 30,5,20 0,5,0"},
         6,
         {"1.0", "2.1", "2.2", "3.0", "8.0", "9.0"}},
        // The same triangle given with corner 4 repeating corner 1.
        {{"--corners", "0,5,0 30,5,0 30,5,20 0,5,0"},
         6,
         {"1.0", "2.1", "2.2", "3.0", "8.0", "9.0"}},
        // The same, corner 1 written 10 um inside the edge: rounding, no notch.
        {{"--corners", "15,5,0.00001 30,5,0 30,5,20 0,5,0"},
         6,
         {"1.0", "2.1", "2.2", "3.0", "8.0", "9.0"}},
        // On the faces between columns 0 and 1, and between A and B: the
        // boxes on both sides are touched, and the side of the first is kept.
        {{"--x", "10"}, 4, {"1.0", "4.0", "7.0", "10.0"}},
        {{"--x", "14"}, 4, {"2.1", "5.0", "8.0", "11.0"}},
        // Past the model; a leading plus is a sign, as elevations are written.
        {{"--x", "+500"}, 0, {}},
    };
    for (const Cut& c : cuts) {
        SCOPED_TRACE(c.section[0] + " " + c.section[1]);
        EXPECT_EQ(cut(c.section), std::make_pair(c.shapes, c.list));
    }
    EXPECT_NE(readFile(path("cut.svg")).find("the section cuts no block"), std::string::npos);
    // A drawing along a line measures from its first end.
    cut({"--line", "0,0 30,20"});
    EXPECT_TRUE(contains(readFile(path("cut.svg")), ">distance from (0, 0) (m)<"));
    cut({"--x", "14"});
    EXPECT_EQ(
        linesOf(out)[1],
        "  the plane lies on faces between boxes: where boxes on both sides meet it, those at "
        "X < 14 are kept");
    cut({"--x", "500"});
    EXPECT_EQ(linesOf(out)[1], "  the block centres lie at X 5 .. 25, Y 5 .. 15, Z 5 .. 15");
    // Within block 1 (0 to 10 on each axis) it meets no face: not a miss.
    cut({"--corners", "2,2,2 8,2,2 8,8,8 2,8,8"});
    EXPECT_EQ(linesOf(out)[1],
              "  the section lies inside block 1, meeting none of its faces: it cuts the boxes "
              "whose faces it meets, so reach it out of the block");
    // Block 2 is cut by its sub-blocks, which fill its lower half only.
    cut({"--corners", "11,2,6 19,2,6 19,8,9 11,8,9"});
    EXPECT_EQ(linesOf(out)[1],
              "  the section lies inside block 2 and meets no face of its sub-blocks");
    cut({"--x", "15"});
    // A vertical section keeps no layer, so says none.
    EXPECT_EQ(out,
              "G, section X = 15: 4 blocks cut, 1 of them by 1 sub-block\n  drawing: cut.svg\n"
              "  list: cut.csv\n");
    // B's trace at X = 15: y 0..10 along the section, z 0..5 up.
    const CsvTable t = readCsv(path("cut.csv"));
    EXPECT_EQ(t.at(0, "TRACE"), "0 0;10 0;10 5;0 5");
    EXPECT_EQ(t.at(0, "DX"), "6");
    // Up is up, whatever the order of the corners: the plane Y = 5 given top
    // edge first puts B (z 0..5) 20 to 15 m below corner 1, and a plan given
    // clockwise from its north-west corner puts block 1 south of it.
    cut({"--corners", "0,5,20 30,5,20 30,5,0 0,5,0"});
    EXPECT_EQ(readCsv(path("cut.csv")).at(2, "TRACE"), "14 -20;20 -20;20 -15;14 -15");
    EXPECT_EQ(linesOf(out)[0],
              "G, section through 0,5,20 30,5,20 30,5,0 0,5,0: 6 blocks cut, 1 of them by 2 "
              "sub-blocks");
    EXPECT_TRUE(contains(readFile(path("cut.svg")),
                         ">6 blocks cut, 1 of them by 2 sub-blocks; coloured by Cu grade (%)<"));
    // A section far wider than the model is framed by what it cuts: the
    // labels across run over the 30 m of blocks, not the 300 m of section.
    cut({"--corners", "0,5,0 300,5,0 300,5,200 0,5,200"});
    const std::vector<double> across =
        numbersOf(readFile(path("cut.svg")), "text-anchor=\"middle\">([-0-9.]+)<", 1);
    ASSERT_GE(across.size(), 2u);
    EXPECT_LE(*std::max_element(across.begin(), across.end()), 32.0);
    // Corner 2 straight above corner 1: still level across, and up the side.
    cut({"--corners", "0,5,0 0,5,20 30,5,20 30,5,0"});
    EXPECT_EQ(readCsv(path("cut.csv")).at(2, "TRACE"), "14 0;20 0;20 5;14 5");
    cut({"--corners", "0,20,2.5 30,20,2.5 30,0,2.5 0,0,2.5"});
    EXPECT_EQ(readCsv(path("cut.csv")).at(0, "TRACE"), "0 -20;10 -20;10 -10;0 -10");
    // A plan says which layer it kept: the blocks of the upper layer, whose
    // centres lie at Z = 15.
    cut({"--z", "12.5"});
    EXPECT_EQ(linesOf(out)[1],
              "  layer: the blocks centred at Z = 15 (a plan keeps the layer of the first block "
              "it meets)");
    // One grade, one colour, in every section of a table: block 11's 1.2 is
    // the top grade of neither the plan (0.8 to 1.3) nor X = 15 (0.4 to 1.2).
    const auto colourOf = [](const std::string& svg) {
        const size_t title = svg.find("<title>block 11: Cu 1.2 %");
        return title == std::string::npos ? "none" : svg.substr(svg.rfind("fill=\"", title), 15);
    };
    const std::string plan = colourOf(readFile(path("cut.svg")));
    cut({"--x", "15"});
    EXPECT_EQ(colourOf(readFile(path("cut.svg"))), plan);
    EXPECT_NE(plan, "none");
    // The colour bar is headed by the element and its unit.
    EXPECT_TRUE(contains(readFile(path("cut.svg")), "class=\"axis\">Cu (%)</text>"));
    // The scale bar is as long as its label says at the drawing's scale, which
    // block 5, 10 m across the section, gives; a tick stands at either end.
    const std::string svg = readFile(path("cut.svg"));
    std::smatch block5;
    ASSERT_TRUE(std::regex_search(
        svg, block5, std::regex("d=\"M([-0-9.]+) [-0-9.]+ L([-0-9.]+) [^>]*><title>block 5:")));
    const std::string line =
        "<line x1=\"([-0-9.]+)\" y1=\"([-0-9.]+)\" x2=\"([-0-9.]+)\" y2=\"([-0-9.]+)\" "
        "class=\"scale\"/>";
    const std::vector<double> x1 = numbersOf(svg, line, 1);
    const std::vector<double> y1 = numbersOf(svg, line, 2);
    const std::vector<double> x2 = numbersOf(svg, line, 3);
    const std::vector<double> y2 = numbersOf(svg, line, 4);
    const std::vector<double> metres = numbersOf(svg, ">([0-9.]+) m</text>", 1);
    ASSERT_EQ(x1.size(), 3u);
    ASSERT_EQ(metres.size(), 1u);
    const double perMetre = std::abs(std::stod(block5[2]) - std::stod(block5[1])) / 10;
    EXPECT_EQ(y1[0], y2[0]);
    EXPECT_NEAR(x2[0] - x1[0], metres[0] * perMetre, 0.05);
    const std::set<double> ends{x1[1], x1[2]};
    EXPECT_EQ(ends, (std::set<double>{x1[0], x2[0]}));
    for (size_t tick = 1; tick < 3; ++tick) {
        EXPECT_EQ(x1[tick], x2[tick]);
        EXPECT_LT(y1[tick], y1[0]);
        EXPECT_GT(y2[tick], y1[0]);
    }
    // The colour bar spans the table's grades, 0.1 at its foot to 1.3 at its
    // head; each grade labelled there, every 0.2, has its tick at its place.
    std::smatch bar;
    ASSERT_TRUE(std::regex_search(svg, bar,
                                  std::regex("y=\"([-0-9.]+)\" width=\"18\" height=\"([-0-9.]+)\" "
                                             "fill=\"url\\(#ramp\\)\"")));
    const std::string tickPattern =
        "<line x1=\"[-0-9.]+\" y1=\"([-0-9.]+)\" x2=\"[-0-9.]+\" y2=\"\\1\" class=\"tick\"/>\n"
        "<text x=\"[-0-9.]+\" y=\"[-0-9.]+\">([-0-9.]+)</text>";
    const std::regex tick(tickPattern);
    std::vector<double> labelled;
    for (auto m = std::sregex_iterator(svg.begin(), svg.end(), tick); m != std::sregex_iterator();
         ++m) {
        const double grade = std::stod((*m)[2]);
        EXPECT_NEAR(std::stod((*m)[1]), std::stod(bar[1]) + std::stod(bar[2]) * (1.3 - grade) / 1.2,
                    0.01)
            << grade;
        labelled.push_back(grade);
    }
    EXPECT_EQ(labelled, (std::vector<double>{0.2, 0.4, 0.6, 0.8, 1.0, 1.2}));
    // One grade alone is the middle of the bar, and labelled there.
    sqliteShell(path("m.db"), "UPDATE G SET Krig_OutAttr = 1.37");
    cut({"--x", "15"});
    const std::string one = readFile(path("cut.svg"));
    const std::vector<double> middle = numbersOf(one, tickPattern, 1);
    ASSERT_EQ(numbersOf(one, tickPattern, 2), std::vector<double>{1.37}) << one;
    EXPECT_NEAR(middle[0], std::stod(bar[1]) + std::stod(bar[2]) / 2, 0.01);
    // A table without blocks has no centres to tell of.
    sqliteShell(path("m.db"), "DELETE FROM G");
    EXPECT_EQ(cut({"--z", "12.5"}), std::make_pair(0, std::vector<std::string>{}));
    EXPECT_EQ(linesOf(out)[1], "  the table holds no blocks");
}

// Sub-blocks of one block may share a centre, as another program may store
// them: block 2 holds a 2 m cube and an 8 m cube about its centre (15, 5,
// 5), so that X = 18 cuts only the second, and X = 15.5 both, in order.
TEST_F(SectionTest, SubBlocksSharingACentreAreNumberedAsStored) {
    write("n.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n15,5,5,10,10,10,2\n");
    ok({"import", "m.db", "n.csv", "-t", "N", "-e", "Cu"});
    sqliteShell(path("m.db"), "DELETE FROM N WHERE Krig_BlockID = 2;");
    D_3DOT centres[] = {{15, 5, 5}, {15, 5, 5}};
    D_3DOT sizes[] = {{2, 2, 2}, {8, 8, 8}};
    KrigBlockResult nested;
    nested.MineID = 1;
    nested.Krig_BlockID = 2;
    nested.Krig_PntLocX = 15;
    nested.Krig_PntLocY = nested.Krig_PntLocZ = 5;
    nested.Krig_GridSizeX = nested.Krig_GridSizeY = nested.Krig_GridSizeZ = 10;
    nested.Block_Coef = 0.52;
    nested.Krig_OutAttr = 2;
    nested.SubBUD_Num = 2;
    nested.SubBUD_PntLoc = centres;
    nested.SubBUD_GridSize = sizes;
    {
        CVornelMng mng;
        ASSERT_EQ(mng.connectDatabase(path("m.db")), 1) << mng.lastError();
        ASSERT_NE(mng.insertIntoBlockResult("N", &nested, 1), 0) << mng.lastError();
    }
    const auto cutAt = [this](const char* x) {
        ok({"section", "m.db", "-t", "N", "--x", x, "--csv", "cut-n.csv"});
        const CsvTable t = readCsv(path("cut-n.csv"));
        std::vector<std::string> pieces = pairsOf(t);
        for (size_t r = 0; r < t.rows.size(); ++r) {
            pieces[r] += " " + t.at(r, "DX");
        }
        return pieces;
    };
    EXPECT_EQ(cutAt("18"), std::vector<std::string>{"2.2 8"});
    EXPECT_EQ(cutAt("15.5"), (std::vector<std::string>{"2.1 2", "2.2 8"}));
}

// A series cuts each plane of FROM:TO:STEP into files of its own, counted
// by hand as for one plane.
TEST_F(SectionTest, ASeriesWritesEachSectionToFilesOfItsOwn) {
    using Pieces = std::vector<std::string>;
    // TO need not be on a step: 5:30:10 stops at 25.
    const std::string told = ok({"section", "m.db", "-t", "G", "--x", "5:30:10", "--svg",
                                 "x-{}.svg", "--csv", "x-{}-{}.csv"});
    EXPECT_EQ(pairsOf(readCsv(path("x-5-5.csv"))), (Pieces{"1.0", "4.0", "7.0", "10.0"}));
    EXPECT_EQ(pairsOf(readCsv(path("x-15-15.csv"))), (Pieces{"2.2", "5.0", "8.0", "11.0"}));
    EXPECT_EQ(pairsOf(readCsv(path("x-25-25.csv"))), (Pieces{"3.0", "6.0", "9.0", "12.0"}));
    for (const char* value : {"5", "15", "25"}) {
        const std::string svg = readFile(path(std::string("x-") + value + ".svg"));
        EXPECT_TRUE(contains(svg, std::string(">G: section X = ") + value + "<")) << svg;
    }
    EXPECT_EQ(lineStarting(told, "G, section X = 5:"), "G, section X = 5: 4 blocks cut");
    EXPECT_EQ(lineStarting(told, "G, section X = 15:"),
              "G, section X = 15: 4 blocks cut, 1 of them by 1 sub-block");
    EXPECT_EQ(lineStarting(told, "G, section X = 25:"), "G, section X = 25: 4 blocks cut");
    EXPECT_FALSE(fileExists(path("x-35.svg")));
    // Decimal steps give the decimal planes: Z = 0.1, 0.2 and 0.3, each in
    // the lower layer, with both of block 2's parts.
    ok({"section", "m.db", "-t", "G", "--z", "0.1:0.3:0.1", "--csv", "z-{}.csv"});
    std::set<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        written.insert(entry.path().filename().string());
    }
    for (const char* value : {"0.1", "0.2", "0.3"}) {
        const std::string name = std::string("z-") + value + ".csv";
        EXPECT_EQ(written.count(name), 1U) << name;
        EXPECT_EQ(pairsOf(readCsv(path(name))),
                  (Pieces{"1.0", "2.1", "2.2", "3.0", "4.0", "5.0", "6.0"}));
    }
    EXPECT_EQ(std::count_if(written.begin(), written.end(),
                            [](const std::string& name) { return name.rfind("z-", 0) == 0; }),
              3);
    // A series of one plane is still a series, and 999 steps make 1000.
    ok({"section", "m.db", "-t", "G", "--x", "5:5:10", "--csv", "one-{}.csv"});
    EXPECT_TRUE(fileExists(path("one-5.csv")));
    const std::string told1000 = ok({"section", "m.db", "-t", "G", "--y", "0:999:1"});
    const std::vector<std::string> thousand = linesOf(told1000);
    EXPECT_EQ(std::count_if(
                  thousand.begin(), thousand.end(),
                  [](const std::string& line) { return line.rfind("G, section Y = ", 0) == 0; }),
              1000);
    EXPECT_TRUE(contains(told1000, "G, section Y = 999: 0 blocks cut\n"));
}

TEST_F(SectionTest, TheSectionMustBeGivenOnce) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> wrong = {
        {{}, "exactly one of --corners"},
        {{"--x", "1", "--z", "2"}, "exactly one of --corners"},
        {{"--corners", "0,0,0 1,0,0"}, "--corners: expected four corners"},
        {{"--corners", "5 1,0,0 1,0,1 0,0,1"}, "--corners: expected x,y,z, got '5'"},
        {{"--corners", "0,0,0 1,0,0 2,0,0 3,0,0"}, "do not span a plane"},
        {{"--corners", "0,0,0 0,0,0 9,0,9 0,0,9"}, "corners 1 and 2 of the section are one point"},
        {{"--y", "north"}, "--y: 'north' is not a number"},
        {{"--line", "0,0"}, "--line: expected two points"},
        {{"--line", "0,0 5"}, "--line: expected two points"},
        {{"--line", "5 0,0"}, "--line: expected two points"},
        {{"--line", "5,5 5,5"}, "--line: the two points are one"},
        // The cut's triangles 1-2-3 and 3-4-1 cover the outline only when it is convex.
        {{"--corners", "0,0,5 10,9,5 20,0,5 10,20,5"}, "the section turns inward at corner 2"},
        {{"--corners", "0,0,5 0.1,0.09,5 0.2,0,5 0.1,0.2,5"},
         "the section turns inward at corner 2"},
        // Corner 1 in line with its neighbours but past corner 2: the outline folds back.
        {{"--corners", "30,0,5 10,0,5 20,10,5 0,0,5"}, "the section turns inward"},
        {{"--corners", "0,0,5 20,20,5 20,0,5 0,20,5"}, "edges of the section cross"},
        // Opposite corners that are one point leave the triangles no area.
        {{"--corners", "0,0,5 30,0,5 0,0,5 0,30,5"},
         "corners 1 and 3 of the section are one point"},
        {{"--corners", "0,0,5 30,0,5 30,30,5 30,0,5"},
         "corners 2 and 4 of the section are one point"},
        // Corner 1 out of reach, in doubles, of corner 2, 3 or 4 alone, along X, Y or Z.
        {{"--corners", "-1e308,0,0 1e308,0,0 0,0,1 -1e308,0,1"}, "more than 1e15 m from the"},
        {{"--corners", "0,-1e308,0 0,0,0 0,1e308,1 0,-1e308,1"}, "more than 1e15 m from the"},
        {{"--corners", "0,0,-1e308 0,0,0 1,0,0 1,0,1e308"}, "more than 1e15 m from the"},
        {{"--line", "-2e15,5 2e15,5"}, "more than 1e15 m from the origin, too far to measure"},
        // Each section of a series would write over the one before without
        // "{}"; a series must be FROM:TO:STEP, rising.
        {{"--x", "5:25:10", "--csv", "x.csv"},
         "--csv: a series of sections writes a file for each"},
        {{"--x", "5:25:10", "--svg", "-"}, "--svg: a series of sections writes a file for each"},
        {{"--y", "5:25", "--svg", "r-{}.svg"}, "'5:25': give a series of sections as FROM:TO:STEP"},
        {{"--y", "5:25:x"}, "'5:25:x': give a series of sections as FROM:TO:STEP"},
        {{"--z", "25:5:10"}, "'25:5:10': a series of sections runs from FROM up to TO"},
        {{"--z", "5:25:0"}, "'5:25:0': a series of sections runs from FROM up to TO"},
        {{"--z", "5:25:-5", "--svg", "r-{}.svg"},
         "'5:25:-5': a series of sections runs from FROM up to TO"},
        {{"--x", "0:1000:1", "--csv", "r-{}.csv"},
         "'0:1000:1' gives more than 1000 sections; take a larger step"},
        {{"--x", "3000000:3000000.0000005:1e-9"}, "the step is too small for the values to differ"},
    };
    for (const auto& [section, message] : wrong) {
        std::vector<std::string> args = {"section", "m.db", "-t", "G"};
        args.insert(args.end(), section.begin(), section.end());
        SCOPED_TRACE(message);
        EXPECT_USAGE_ERROR(vornel(args), message);
    }
    // Nothing was written.
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name.rfind("r-", 0) != 0 && name != "x.csv") << name;
    }
    EXPECT_FAILS_WITH(vornel({"section", "m.db", "-t", "NONE", "--x", "1"}),
                      "no block table 'NONE' (tables: G)");
}

// A mistyped corner folds the section; corners written in decimals on the
// plane z = 2.9 - (x - 0.1) / 20 - (y - 0.3) / 20 do not, though in binary
// they lie in no one plane.
TEST_F(SectionTest, AFoldedSectionIsToldOf) {
    const std::string folded =
        ok({"section", "m.db", "-t", "G", "--corners", "0,5,0 30,5,0 30,10,20 0,5,20"});
    EXPECT_TRUE(contains(folded, "corner 3 lies 5 off the plane of corners 1, 2 and 4")) << folded;
    const std::string flat = ok({"section", "m.db", "-t", "G", "--corners",
                                 "0.1,0.3,2.9 29.7,0.3,1.42 29.7,19.9,0.44 0.1,19.9,1.92"});
    EXPECT_FALSE(contains(flat, "folded")) << flat;
}

// Folded along its diagonal, the section below runs at Y = 3000005 + v
// where v < u and at Y = 3000005 + u where v > u (u, v from corner 1): the
// southern block meets it in an L, [0, 10] square less [5, 10] square, and
// the northern one in that square, drawn side by side without overlap.
TEST_F(SectionTest, AFoldedSectionTracesEachBlockWithoutSpillingOver) {
    write("fold.csv",
          "X,Y,Z,DX,DY,DZ,CU\n500005,3000015,105,10,10,10,1.5\n500005,3000005,105,10,10,10,0.5\n");
    ok({"import", "f.db", "fold.csv", "-t", "F", "-e", "Cu"});
    ok({"section", "f.db", "--corners",
        "500000,3000005,100 500010,3000005,100 500010,3000015,110 500000,3000005,110", "--csv",
        "f.csv"});
    const CsvTable t = readCsv(path("f.csv"));
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.at(0, "TRACE"), "5 5;10 5;10 10;5 10");
    EXPECT_EQ(t.at(1, "TRACE"), "0 0;10 0;10 5;5 5;5 10;0 10");
    // Through grid nodes, the fold (t, t, t) touches the box [10, 20] x
    // [10, 20] x [0, 10] at its corner only: two triangles of 25/3 m2 meet
    // there, and their hull would reach over the block above.
    std::string grid = "X,Y,Z,DX,DY,DZ,CU\n";
    for (const char* z : {"5", "15"}) {
        grid += std::string("15,15,") + z + ",10,10,10,1\n";
    }
    write("grid.csv", grid);
    ok({"import", "g.db", "grid.csv", "-t", "G", "-e", "Cu"});
    ok({"section", "g.db", "--corners", "0,0,0 30,5,0 30,30,30 5,30,0", "--csv", "g.csv"});
    const CsvTable g = readCsv(path("g.csv"));
    ASSERT_EQ(g.rows.size(), 2u);
    EXPECT_EQ(g.at(0, "TRACE"), "10 10;20 10;20 11.66666667;10 10;11.66666667 20;10 20");
}

// Yttrium's grades under a header of their own: Y is the northing.
TEST_F(SectionTest, AnElementNamedLikeACoordinateHasAGradeHeader) {
    write("y.csv", "X,Y,Z,DX,DY,DZ,GRADE\n5,5,5,10,10,10,41.5\n");
    ok({"import", "y.db", "y.csv", "-t", "REE", "-e", "Y", "--grade", "GRADE"});
    const std::string list = ok({"section", "y.db", "--y", "5", "--csv", "-"});
    EXPECT_EQ(linesOf(list).at(0), "BLOCKID,MINEID,SUB,X,Y,Z,DX,DY,DZ,Y_GRADE,CATEGORY,TRACE");
    // So do an element named like one of the list's own columns.
    ok({"import", "s.db", "y.csv", "-t", "S", "-e", "Sub", "--grade", "GRADE"});
    EXPECT_EQ(linesOf(ok({"section", "s.db", "--y", "5", "--csv", "-"})).at(0),
              "BLOCKID,MINEID,SUB,X,Y,Z,DX,DY,DZ,Sub_GRADE,CATEGORY,TRACE");
}

// Corners 3e9 m off: a trace's area is reckoned from its own corner, not
// from corner 1, whose distance would drown the 100 m2 of each face.
TEST_F(SectionTest, CornersFarOffStillTraceEveryBlock) {
    write("row.csv",
          "X,Y,Z,DX,DY,DZ,CU\n500005,3000005,105,10,10,10,1\n500015,3000005,105,10,10,10,2\n");
    ok({"import", "r.db", "row.csv", "-t", "R", "-e", "Cu"});
    const std::string said = ok(
        {"section", "r.db", "--corners",
         "-3e9,3000005,-3e9 3e9,3000005,-3e9 3e9,3000005,3e9 -3e9,3000005,3e9", "--csv", "r.csv"});
    EXPECT_FALSE(contains(said, "touched")) << said;
    const CsvTable t = readCsv(path("r.csv"));
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.at(1, "TRACE"),
              "3000500010 3000000100;3000500020 3000000100;3000500020 3000000110;3000500010 "
              "3000000110");
}

TEST_F(SectionTest, AListOnStandardOutputButNeverOverTheDatabase) {
    const CliResult r = vornel({"section", "m.db", "-t", "G", "--x", "15", "--csv", "-"});
    EXPECT_EQ(r.status, 0);
    // The header and the four blocks counted by hand at X = 15.
    EXPECT_EQ(linesOf(r.out).size(), 5u) << r.out;
    EXPECT_EQ(r.out.substr(0, 19), "BLOCKID,MINEID,SUB,");
    EXPECT_TRUE(contains(r.err, "4 blocks cut")) << r.err;
    for (const char* output : {"--svg", "--csv"}) {
        EXPECT_FAILS_WITH(vornel({"section", "m.db", "-t", "G", "--x", "15", output, "m.db"}),
                          "database being read");
    }
    // Two outputs into one file would leave only the second.
    EXPECT_USAGE_ERROR(
        vornel({"section", "m.db", "-t", "G", "--x", "15", "--svg", "-", "--csv", "-"}),
        "--svg and --csv would both write to standard output");
    EXPECT_USAGE_ERROR(vornel({"section", "m.db", "-t", "G", "--x", "15", "--svg", "both.out",
                               "--csv", "./both.out"}),
                       "--svg and --csv would both write to 'both.out'");
    write("one.svg", "");
    std::filesystem::create_hard_link(path("one.svg"), path("two.csv"));
    EXPECT_USAGE_ERROR(
        vornel({"section", "m.db", "-t", "G", "--x", "15", "--svg", "one.svg", "--csv", "two.csv"}),
        "--svg and --csv would both write to 'one.svg'");
    EXPECT_USAGE_ERROR(
        vornel({"section", "m.db", "-t", "G", "--x", "15", "--svg", "/dev/stdout", "--csv", "-"}),
        "--svg and --csv would both write to standard output");
    // A list that cannot be written, or not wholly, leaves no drawing behind,
    // and a device stays a device.
    const std::string full = fullDevice(dir.path());
    for (const std::string& list : {std::string("nowhere/p.csv"), full}) {
        EXPECT_FAILS_WITH(
            vornel({"section", "m.db", "-t", "G", "--x", "15", "--svg", "p.svg", "--csv", list}),
            list);
        EXPECT_FALSE(fileExists(path("p.svg")));
    }
    EXPECT_TRUE(std::filesystem::is_character_file(full));
}

// Two 1 m blocks at mining coordinates: labels rounded to six digits would
// move the plane by half a metre and give neighbouring grid lines one text.
TEST_F(SectionTest, LabelsFarFromTheOriginKeepEveryDigit) {
    write("far.csv",
          "PARENT,X,Y,Z,DX,DY,DZ,CU\n"
          "1,500000.5,7008002.5,0.5,1,1,1,0.1\n"
          "2,500001.5,7008002.5,0.5,1,1,1,0.2\n");
    ok({"import", "m.db", "far.csv", "-t", "F", "-e", "Cu", "--block-size", "1"});
    out = ok({"section", "m.db", "-t", "F", "--y", "7008002.25", "--svg", "far.svg"});
    EXPECT_EQ(linesOf(out)[0], "F, section Y = 7008002.25: 2 blocks cut");
    // The labels of a drawing that follow `anchor`, from left to right (by
    // their x) or from top to bottom (by their y).
    const auto labelsOf = [this](const std::string& file, const std::string& anchor, char by) {
        const std::string svg = readFile(path(file));
        const std::string position = std::string(1, by) + "=\"";
        std::map<double, double> byPosition;
        for (size_t at = svg.find(anchor); at != std::string::npos; at = svg.find(anchor, at + 1)) {
            const size_t tag = svg.rfind("<text ", at);
            const double where = std::stod(svg.substr(svg.find(position, tag) + position.size()));
            byPosition[where] = std::stod(svg.substr(svg.find('>', at) + 1));
        }
        std::vector<double> labels;
        labels.reserve(byPosition.size());
        for (const auto& [where, label] : byPosition) {
            labels.push_back(label);
        }
        return labels;
    };
    const auto eastingsOf = [&](const std::string& file) {
        return labelsOf(file, "text-anchor=\"middle\">5000", 'x');
    };
    const auto rising = [](const auto& from, const auto& to) {
        return std::adjacent_find(from, to, std::greater_equal<>()) == to;
    };
    const std::string svg = readFile(path("far.svg"));
    EXPECT_TRUE(contains(svg, ">F: section Y = 7008002.25</text>"));
    // The colour bar runs from the colour of the lowest grade cut to that of the highest.
    const auto stopOf = [&svg](const char* offset, const char* title) {
        const size_t fill = svg.rfind("fill=\"", svg.find(title)) + 6;
        return std::string("<stop offset=\"") + offset + "\" stop-color=\"" + svg.substr(fill, 7) +
               "\"/>";
    };
    EXPECT_TRUE(contains(svg, stopOf("0", "block 1: Cu 0.1 %"))) << svg;
    EXPECT_TRUE(contains(svg, stopOf("1", "block 2: Cu 0.2 %"))) << svg;
    const std::vector<double> eastings = eastingsOf("far.svg");
    ASSERT_GE(eastings.size(), 2u);
    EXPECT_TRUE(rising(eastings.begin(), eastings.end())) << svg;
    // The elevations, 0 to 1, fall from top to bottom.
    const std::vector<double> elevations = labelsOf("far.svg", "text-anchor=\"end\">", 'y');
    ASSERT_GE(elevations.size(), 2u) << svg;
    EXPECT_TRUE(rising(elevations.rbegin(), elevations.rend())) << svg;
    EXPECT_EQ(elevations.front(), 1.0);
    EXPECT_EQ(elevations.back(), 0.0);
    // Each elevation labelled has its grid line across the drawing.
    const std::regex level(
        "<line x1=\"[-0-9.]+\" y1=\"([-0-9.]+)\" x2=\"[-0-9.]+\" y2=\"\\1\" class=\"grid\"/>");
    EXPECT_EQ(static_cast<size_t>(std::distance(std::sregex_iterator(svg.begin(), svg.end(), level),
                                                std::sregex_iterator())),
              elevations.size());
    // In plan, northings of seven digits label the vertical axis: the plot
    // moves right to make room, and the axis name stays on the page.
    ok({"section", "m.db", "-t", "F", "--z", "0.5", "--svg", "plan.svg"});
    expectOnThePage(readFile(path("plan.svg")));
    EXPECT_TRUE(contains(readFile(path("plan.svg")), ">Y (m)</text>"));
    const std::vector<double> northings = labelsOf("plan.svg", "text-anchor=\"end\">7008", 'y');
    ASSERT_GE(northings.size(), 2u);
    EXPECT_TRUE(rising(northings.rbegin(), northings.rend()));
    out = ok({"section", "m.db", "-t", "F", "--line", "500000.25,7008002.75 500001.75,7008002.75"});
    EXPECT_EQ(linesOf(out)[0],
              "F, section along (500000.25, 7008002.75) to (500001.75, 7008002.75): 2 blocks cut");
    // Corners given westward: the section still reads in eastings, falling to the right.
    const std::string westward =
        "500001.75,7008002.75,0 500000.25,7008002.75,0 500000.25,7008002.75,1 "
        "500001.75,7008002.75,1";
    ok({"section", "m.db", "-t", "F", "--corners", westward, "--svg", "west.svg"});
    EXPECT_TRUE(contains(readFile(path("west.svg")), ">X (m)</text>"));
    const std::vector<double> west = eastingsOf("west.svg");
    ASSERT_GE(west.size(), 2u);
    EXPECT_TRUE(rising(west.rbegin(), west.rend()));
    // Corners along no model axis: the drawing measures along the section's own direction.
    const std::string oblique =
        "500000.25,7008002.25,0 500001.75,7008003.75,0 500001.75,7008003.75,1 "
        "500000.25,7008002.25,1";
    ok({"section", "m.db", "-t", "F", "--corners", oblique, "--svg", "oblique.svg"});
    const std::string drawn = readFile(path("oblique.svg"));
    EXPECT_TRUE(contains(drawn, ">distance along (0.707, 0.707, 0) (m)<"));
    // It passes through block 1 and meets block 2 only along its edge at (500001, 7008003).
    EXPECT_TRUE(contains(drawn, "2 blocks cut (1 only touched along an edge or at a corner)"));
    EXPECT_FALSE(contains(svg, "only touched")) << svg;
}

// In plan the line x + y = 20 crosses blocks 2 (both A and B), 4, 8 and 10,
// and touches blocks 1, 3, 5, 7, 9 and 11 only at their corner columns: ten
// blocks, of which block 2 counts two pieces, eleven pieces in all.
TEST_F(SectionTest, PiecesOnlyTouchedAreCountedAgainstPieces) {
    const auto [shapes, list] = cut({"--line", "-5,25 25,-5"});
    EXPECT_EQ(shapes, 5);
    EXPECT_EQ(list.size(), 11u);
    EXPECT_EQ(linesOf(out)[1],
              "  6 of the 11 pieces cut (whole blocks and sub-blocks) only touched along an edge "
              "or at a corner (nothing to draw)");
    // A tilted plane, 2x - 21y + 18z = -147200, through the corner (5090,
    // 7880, 450) of a block at mine coordinates and past its other seven
    // (by 20 to 410): traced in doubles it leaves a sliver, still a touch.
    write("corner.csv", "X,Y,Z,DX,DY,DZ,CU\n5095,7875,455,10,10,10,1\n");
    ok({"import", "m.db", "corner.csv", "-t", "K", "-e", "Cu"});
    const std::string touched =
        ok({"section", "m.db", "-t", "K", "--corners",
            "4700,7800,400 5300,7900,450 5300,8200,800 4700,8100,750", "--csv", "k.csv"});
    EXPECT_EQ(linesOf(touched).at(1),
              "  1 of them only touched along an edge or at a corner (nothing to draw)");
    EXPECT_EQ(readCsv(path("k.csv")).at(0, "TRACE"), "");
}

// Without a stored grid the section spans the block centres, widened by the
// widest block: a lone 10 m block centred at (5, 5, 5) is cut through its
// middle and on its faces, not missed by a section lying inside it.
TEST_F(SectionTest, WithoutAGridTheSectionReachesPastTheCentres) {
    write("one.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,0.1\n");
    ok({"import", "m.db", "one.csv", "-t", "One", "-e", "Cu"});
    sqliteShell(path("m.db"),
                "UPDATE KrigBlock_Param SET Grid_EndX = Grid_StartX WHERE Table_Name = 'One'");
    for (const char* axis : {"--x", "--y", "--z"}) {
        for (const char* at : {"0", "2", "5", "10"}) {
            EXPECT_TRUE(contains(ok({"section", "m.db", "-t", "One", axis, at}), ": 1 block cut\n"))
                << axis << " " << at;
        }
    }
    sqliteShell(path("m.db"), "ALTER TABLE One DROP COLUMN Krig_GridSizeY");
    EXPECT_FAILS_WITH(vornel({"section", "m.db", "-t", "One", "--z", "5"}),
                      "m.db: One is not read as blocks: fewer than the 26 columns it is read by");
}

// On faces between boxes a plane keeps one side only where both meet it:
// blocks 1 (x 0..10, y 0..10) and 2 (x 10..20, y 10..20) share no face.
TEST_F(SectionTest, OnFacesOneSideIsKeptOnlyWhereBothSidesMeetThePlane) {
    write("diagonal.csv", "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n15,15,5,10,10,10,2\n");
    ok({"import", "m.db", "diagonal.csv", "-t", "D", "-e", "Cu"});
    out = ok({"section", "m.db", "-t", "D", "--x", "10", "--csv", "d.csv"});
    const CsvTable t = readCsv(path("d.csv"));
    ASSERT_EQ(t.rows.size(), 2u) << out;
    EXPECT_EQ(t.at(1, "TRACE"), "10 0;20 0;20 10;10 10");
    EXPECT_FALSE(contains(out, "are kept")) << out;
    // A box that the plane crosses decides no side, though it comes first:
    // block 1 (x 0..20) lies across X = 10, where blocks 2 and 3 meet.
    write("across.csv",
          "X,Y,Z,DX,DY,DZ,CU\n10,25,5,20,10,10,1\n5,5,5,10,10,10,2\n15,5,5,10,10,10,3\n");
    ok({"import", "m.db", "across.csv", "-t", "A", "-e", "Cu"});
    out = ok({"section", "m.db", "-t", "A", "--x", "10", "--csv", "a.csv"});
    EXPECT_EQ(pairsOf(readCsv(path("a.csv"))), (std::vector<std::string>{"1.0", "2.0"}));
    EXPECT_TRUE(contains(out, "those at X < 10 are kept")) << out;
    // The side is the first cut block's: here the eastern one.
    write("east.csv", "X,Y,Z,DX,DY,DZ,CU\n15,5,5,10,10,10,1\n5,5,5,10,10,10,2\n");
    ok({"import", "m.db", "east.csv", "-t", "E", "-e", "Cu"});
    out = ok({"section", "m.db", "-t", "E", "--x", "10", "--csv", "e.csv"});
    EXPECT_TRUE(contains(out, "those at X > 10 are kept")) << out;
    EXPECT_EQ(readCsv(path("e.csv")).rows.size(), 1U) << out;
    // Within a section over y 0..4 of the face X = 10, the sub-block east of
    // it (x 10..20, y 0..5) covers the block west of it (x 0..10, y 0..10),
    // though the whole faces differ. Block 2 (x 20..30) lists its northern
    // half before a quarter at its south-west corner.
    write("parted.csv",
          "X,Y,Z,DX,DY,DZ,CU\n15,2.5,5,10,5,10,1\n12.5,7.5,5,5,5,10,1\n"
          "25,7.5,5,10,5,10,3\n22.5,2.5,5,5,5,10,3\n5,5,5,10,10,10,2\n");
    ok({"import", "m.db", "parted.csv", "-t", "P", "-e", "Cu", "--block-size", "10"});
    const auto pieces = [this](const std::string& corners) {
        ok({"section", "m.db", "-t", "P", "--corners", corners, "--csv", "p.csv"});
        return pairsOf(readCsv(path("p.csv")));
    };
    EXPECT_EQ(pieces("10,0,0 10,4,0 10,4,10 10,0,10"), std::vector<std::string>{"1.1"});
    // Over the whole face it takes both of them, each covering a part.
    EXPECT_EQ(pieces("10,0,0 10,10,0 10,10,10 10,0,10"), (std::vector<std::string>{"1.1", "1.2"}));
    // The other way round, the block west of the face, first now, covers
    // the sub-block at y 5..10 that begins halfway along it.
    write("west.csv",
          "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,2\n15,2.5,5,10,5,10,1\n12.5,7.5,5,5,5,10,1\n");
    ok({"import", "m.db", "west.csv", "-t", "W", "-e", "Cu", "--block-size", "10"});
    ok({"section", "m.db", "-t", "W", "--x", "10", "--csv", "w.csv"});
    EXPECT_EQ(pairsOf(readCsv(path("w.csv"))), std::vector<std::string>{"1.0"});
    // Sub-blocks meeting the face in quarters cover the block west of it
    // together, though each clips but a quarter of it.
    write("quarters.csv",
          "X,Y,Z,DX,DY,DZ,CU\n14,2.5,2.5,8,5,5,1\n14,7.5,2.5,8,5,5,1.1\n14,2.5,7.5,8,5,5,1.2\n"
          "14,7.5,7.5,8,5,5,1.3\n5,5,5,10,10,10,2\n");
    ok({"import", "m.db", "quarters.csv", "-t", "Q", "-e", "Cu", "--block-size", "10"});
    ok({"section", "m.db", "-t", "Q", "--x", "10", "--csv", "q.csv"});
    EXPECT_EQ(pairsOf(readCsv(path("q.csv"))),
              (std::vector<std::string>{"1.1", "1.2", "1.3", "1.4"}));
    // Neighbouring split blocks keep their own sub-block numbers.
    EXPECT_EQ(pieces("0,2.5,0 30,2.5,0 30,2.5,10 0,2.5,10"),
              (std::vector<std::string>{"1.1", "2.2", "3.0"}));
    // Two runs of one table keep the same half of the face (x 10..20,
    // y 0..5) twice: together as large as the western block's face, they
    // still leave its northern half uncovered, so it is kept.
    write("twice.csv", "X,Y,Z,DX,DY,DZ,CU\n15,2.5,5,10,5,10,1\n5,5,5,10,10,10,2\n");
    ok({"import", "m.db", "twice.csv", "-t", "H", "-e", "Cu"});
    sqliteShell(path("m.db"),
                "INSERT INTO H SELECT * FROM H WHERE Krig_BlockID = 1;"
                "UPDATE H SET MineID = MineID + 1 WHERE rowid = (SELECT max(rowid) FROM H);"
                "CREATE TEMP TABLE Run AS SELECT * FROM KrigBlock_Param WHERE Table_Name = 'H';"
                "UPDATE Run SET MineID = MineID + 1;"
                "INSERT INTO KrigBlock_Param SELECT * FROM Run");
    ok({"section", "m.db", "-t", "H", "--x", "10", "--csv", "h.csv"});
    EXPECT_EQ(pairsOf(readCsv(path("h.csv"))), (std::vector<std::string>{"1.0", "2.0", "1.0"}));
}

// The run's old workings are drawn hatched over its blocks: each void block
// or sub-block the section passes through, framed with the blocks, and on a
// plane lying on faces only those on the side of the blocks kept. Two
// layers of two blocks; void A fills the place of the first block, B the
// second of the upper layer in two halves, C lies apart along X.
// Coloured by class, each piece takes the colour its class has in the key,
// the key lists the classes as a resource statement does, and a class keeps
// its colour in a section that meets other classes.
TEST_F(SectionTest, ByCategoryEachPieceTakesItsClassColourFromTheKey) {
    write("c.csv",
          "X,Y,Z,DX,DY,DZ,CU,CATEGORY,ORETYPE,PASS,VARIANCE\n"
          "5,5,5,10,10,10,1,indicated,Oxide,2,0.5\n"
          "15,5,5,10,10,10,2,Measured,Oxide,1,0.25\n"
          "25,5,5,10,10,10,3,,Sulphide,0,0.75\n"
          "35,5,5,10,10,10,4,Potential,,3,2.5\n"
          "45,5,5,10,10,10,5,Inferred,Oxide,3,1.5\n"
          "55,5,5,10,10,10,6,Indicated,Oxide,2,0.5\n");
    ok({"import", "m.db", "c.csv", "-t", "C", "-e", "Cu"});
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    // The key as (name, colour) pairs, and each piece's block as
    // (block, colour) pairs, in drawn order.
    const auto drawn = [&](const std::vector<std::string>& section) {
        std::vector<std::string> args{"section", "m.db", "-t", "C", "--svg", "c.svg"};
        args.insert(args.end(), section.begin(), section.end());
        ok(args);
        const std::string svg = readFile(path("c.svg"));
        Pairs key;
        Pairs pieces;
        const std::regex swatch(
            "<rect class=\"key\"[^>]*fill=\"(#[0-9a-f]{6})\"[^>]*/>\n<text [^>]*>([^<]*)</text>");
        for (auto m = std::sregex_iterator(svg.begin(), svg.end(), swatch);
             m != std::sregex_iterator(); ++m) {
            key.emplace_back((*m)[2], (*m)[1]);
        }
        const std::regex piece(
            "<path class=\"cut\" fill=\"(#[0-9a-f]{6})\"[^>]*><title>block ([0-9]+)");
        for (auto m = std::sregex_iterator(svg.begin(), svg.end(), piece);
             m != std::sregex_iterator(); ++m) {
            pieces.emplace_back((*m)[2], (*m)[1]);
        }
        return std::make_tuple(svg, key, pieces);
    };
    const auto [svg, key, pieces] = drawn({"--y", "5", "--colour", "category"});
    // Indicated in either case is one class, as the database compares
    // texts, named as block 1 names it.
    ASSERT_EQ(key.size(), 5U) << svg;
    const std::vector<std::string> order = {"Measured", "indicated", "Inferred", "Potential",
                                            "(none)"};
    std::map<std::string, std::string> colourOf;
    for (size_t k = 0; k < key.size(); ++k) {
        EXPECT_EQ(key[k].first, order[k]);
        colourOf[key[k].first] = key[k].second;
    }
    EXPECT_EQ(
        std::set<std::string>({colourOf["Measured"], colourOf["indicated"], colourOf["Inferred"],
                               colourOf["Potential"], colourOf["(none)"]})
            .size(),
        5U);
    EXPECT_EQ(pieces, (Pairs{{"1", colourOf["indicated"]},
                             {"2", colourOf["Measured"]},
                             {"3", colourOf["(none)"]},
                             {"4", colourOf["Potential"]},
                             {"5", colourOf["Inferred"]},
                             {"6", colourOf["indicated"]}}));
    EXPECT_TRUE(contains(svg, "; coloured by category<")) << svg;
    EXPECT_TRUE(contains(svg, ">category</text>")) << svg;
    EXPECT_FALSE(contains(svg, "url(#ramp)")) << svg;
    // Blocks 3 to 5 alone: no Measured or Indicated, and Inferred as it was.
    const auto [part, partKey, partPieces] =
        drawn({"--corners", "21,5,1 49,5,1 49,5,9 21,5,9", "--color", "category"});
    EXPECT_EQ(partKey, (Pairs{{"Inferred", colourOf["Inferred"]},
                              {"Potential", colourOf["Potential"]},
                              {"(none)", colourOf["(none)"]}}))
        << part;
    // By ore type the same way: Oxide, Sulphide, then block 4's "(none)".
    const auto [ores, oreKey, orePieces] = drawn({"--y", "5", "--colour", "oretype"});
    ASSERT_EQ(oreKey.size(), 3U) << ores;
    EXPECT_EQ(oreKey[0].first, "Oxide");
    EXPECT_EQ(oreKey[1].first, "Sulphide");
    EXPECT_EQ(oreKey[2], Pairs::value_type("(none)", colourOf["(none)"]));
    EXPECT_EQ(orePieces[3], Pairs::value_type("4", colourOf["(none)"]));
    EXPECT_EQ(orePieces[2], Pairs::value_type("3", oreKey[1].second));
    EXPECT_TRUE(contains(ores, ">ore type</text>")) << ores;
    // By search pass: block 3 records none.
    const auto [passes, passKey, passPieces] = drawn({"--y", "5", "--colour", "pass"});
    ASSERT_EQ(passKey.size(), 4U) << passes;
    EXPECT_EQ(passKey[0].first, "pass 1");
    EXPECT_EQ(passKey[2].first, "pass 3");
    EXPECT_EQ(passKey[3], Pairs::value_type("(none)", colourOf["(none)"]));
    EXPECT_EQ(passPieces, (Pairs{{"1", passKey[1].second},
                                 {"2", passKey[0].second},
                                 {"3", colourOf["(none)"]},
                                 {"4", passKey[2].second},
                                 {"5", passKey[2].second},
                                 {"6", passKey[1].second}}));
    EXPECT_TRUE(contains(passes, ">search pass</text>")) << passes;
    // However many names a key has, each has a colour of its own.
    sqliteShell(path("m.db"), "UPDATE C SET Krig_OreType = 'rock ' || Krig_BlockID");
    const auto [many, manyKey, manyPieces] = drawn({"--y", "5", "--colour", "oretype"});
    ASSERT_EQ(manyKey.size(), 6U) << many;
    std::set<std::string> manyColours{colourOf["Measured"], colourOf["Indicated"],
                                      colourOf["Inferred"], colourOf["(none)"]};
    for (const auto& [name, colour] : manyKey) {
        manyColours.insert(colour);
    }
    EXPECT_EQ(manyColours.size(), 10U) << many;
    // By kriging variance on the ramp: block 2's 0.25 at its foot, block 4's
    // 2.5 at its head, whatever the grades.
    const auto [variances, noKey, variancePieces] = drawn({"--y", "5", "--colour", "variance"});
    EXPECT_TRUE(noKey.empty());
    std::smatch foot;
    std::smatch head;
    ASSERT_TRUE(std::regex_search(variances, foot,
                                  std::regex("<stop offset=\"0\" stop-color=\"(#[0-9a-f]{6})\"")));
    ASSERT_TRUE(std::regex_search(variances, head,
                                  std::regex("<stop offset=\"1\" stop-color=\"(#[0-9a-f]{6})\"")));
    ASSERT_EQ(variancePieces.size(), 6U);
    EXPECT_EQ(variancePieces[1], Pairs::value_type("2", foot[1]));
    EXPECT_EQ(variancePieces[3], Pairs::value_type("4", head[1]));
    EXPECT_NE(variancePieces[0].second, foot[1]);
    EXPECT_EQ(variancePieces[0].second, variancePieces[5].second);
    EXPECT_TRUE(contains(variances, "; coloured by kriging variance of Cu<")) << variances;
    EXPECT_TRUE(contains(variances, "block 4: Cu 4 %, variance 2.5, Potential<")) << variances;
    EXPECT_EXITS_WITH(vornel({"section", "m.db", "-t", "C", "--y", "5", "--colour", "samples"}), 2,
                      "--colour");
}

// The corners of the paths of one class in a drawing, as their pixels "x y",
// path after path.
std::vector<std::string> cornersOf(const std::string& svg, const std::string& kind) {
    std::vector<std::string> corners;
    const std::regex path("<path class=\"" + kind + "\"[^>]* d=\"([^\"]*)\"");
    const std::regex corner("[ML]([-0-9.]+ [-0-9.]+)");
    for (auto p = std::sregex_iterator(svg.begin(), svg.end(), path); p != std::sregex_iterator();
         ++p) {
        const std::string d = (*p)[1];
        for (auto c = std::sregex_iterator(d.begin(), d.end(), corner); c != std::sregex_iterator();
             ++c) {
            corners.push_back((*c)[1]);
        }
    }
    return corners;
}

// The outline's corners at (0,0), (20,0), (20,10) and (0,10) are corners of
// blocks on the plan Z = 15 (7 and 8), and, on the slope Z = Y, corners of
// the pieces it cuts of block 1, of block 2's sub-block at X 14 to 20, and
// of block 11, there at heights 0 and 10. A vertical section Y = 5 crosses
// the triangle (0,0), (20,0), (0,10) at X 0 and 10, the edges of block 7.
TEST_F(SectionTest, APlanOutlineIsDrawnWhereItMeetsTheSection) {
    write("o.csv", "X,Y\n0,0\n20,0\n20,10\n0,10\n");
    for (const std::vector<std::string>& section :
         {std::vector<std::string>{"--z", "15"},
          std::vector<std::string>{"--corners", "0,0,0 30,0,0 30,20,20 0,20,20"}}) {
        std::vector<std::string> args = section;
        args.insert(args.end(), {"--outline", "o.csv"});
        cut(args);
        const std::string svg = readFile(path("cut.svg"));
        EXPECT_TRUE(contains(svg, "; outline of o.csv dashed")) << section[0];
        // Four edges, each from its corner to the next.
        const std::vector<std::string> outline = cornersOf(svg, "outline");
        ASSERT_EQ(outline.size(), 8u) << section[0];
        EXPECT_EQ(std::set<std::string>(outline.begin(), outline.end()).size(), 4u);
        const std::vector<std::string> blocks = cornersOf(svg, "cut");
        for (const std::string& corner : outline) {
            EXPECT_NE(std::find(blocks.begin(), blocks.end(), corner), blocks.end())
                << section[0] << ": " << corner;
        }
    }
    write("t.csv", "X,Y\n0,0\n20,0\n0,10\n");
    cut({"--y", "5", "--outline", "t.csv"});
    std::string svg = readFile(path("cut.svg"));
    const std::string number = "([-0-9.]+)";
    std::smatch block7;
    ASSERT_TRUE(std::regex_search(
        svg, block7, std::regex("d=\"M([-0-9.]+) [-0-9.]+ L([-0-9.]+) [^>]*><title>block 7:")));
    const double west = std::min(std::stod(block7[1]), std::stod(block7[2]));
    const double east = std::max(std::stod(block7[1]), std::stod(block7[2]));
    // Two upright lines, each from the frame's top to its bottom.
    const std::vector<std::string> upright = cornersOf(svg, "outline");
    ASSERT_EQ(upright.size(), 4u);
    std::set<double> places;
    for (size_t i = 0; i < upright.size(); i += 2) {
        const std::vector<std::string> from = wordsOf(upright[i]);
        const std::vector<std::string> to = wordsOf(upright[i + 1]);
        EXPECT_EQ(from[0], to[0]);
        EXPECT_NE(from[1], to[1]);
        places.insert(std::stod(from[0]));
    }
    EXPECT_EQ(places, (std::set<double>{west, east}));
    // A section along an edge of the outline meets it at both ends of that
    // edge, whichever side the outline lies on.
    for (const std::vector<std::string>& along :
         {std::vector<std::string>{"--y", "0"}, std::vector<std::string>{"--y", "10"},
          std::vector<std::string>{"--x", "0"}, std::vector<std::string>{"--x", "20"}}) {
        std::vector<std::string> args = along;
        args.insert(args.end(), {"--outline", "o.csv"});
        cut(args);
        svg = readFile(path("cut.svg"));
        EXPECT_TRUE(contains(svg, "; outline of o.csv dashed")) << along[0] << along[1];
        EXPECT_EQ(cornersOf(svg, "outline").size(), 4u) << along[0] << along[1];
    }
    // An outline crossing the section far from the blocks is not drawn, and
    // the drawing says so.
    write("far.csv", "X,Y\n-1000,0\n-990,0\n-1000,10\n");
    cut({"--y", "5", "--outline", "far.csv"});
    EXPECT_FALSE(contains(readFile(path("cut.svg")), "class=\"outline\""));
    EXPECT_TRUE(contains(readFile(path("cut.svg")), "outline of far.csv not on the drawing"));
    // An outline reaching far past the model: of its edges only the one
    // along Y = 5 crosses the drawing, cut at the frame's edges.
    write("big.csv", "X,Y\n-1000,5\n1000,5\n0,1000\n");
    cut({"--z", "15", "--outline", "big.csv"});
    svg = readFile(path("cut.svg"));
    const std::vector<std::string> across = cornersOf(svg, "outline");
    ASSERT_EQ(across.size(), 2u);
    std::smatch frame;
    ASSERT_TRUE(std::regex_search(
        svg, frame, std::regex("<rect x=\"" + number + "\" y=\"[-0-9.]+\" width=\"" + number)));
    EXPECT_DOUBLE_EQ(std::stod(across[0]), std::stod(frame[1]));
    EXPECT_NEAR(std::stod(across[1]), std::stod(frame[1]) + std::stod(frame[2]), 0.011);
}

// An infinite grade or variance, which another program may store, is no
// colour of the scale: its block is grey, and the others span the scale
// between their own least and greatest.
TEST_F(SectionTest, AnInfiniteGradeOrVarianceIsDrawnAsNone) {
    write("i.csv",
          "X,Y,Z,DX,DY,DZ,CU,KVAR\n5,5,5,10,10,10,1,0.1\n15,5,5,10,10,10,2,0.2\n"
          "25,5,5,10,10,10,3,0.3\n");
    ok({"import", "m.db", "i.csv", "-t", "I", "-e", "Cu"});
    sqliteShell(path("m.db"),
                "UPDATE I SET Krig_OutAttr = 9e999 WHERE Krig_PntLocX = 25;"
                "UPDATE I SET Krig_OutVari = -9e999 WHERE Krig_PntLocX = 5;");
    const auto fills = [&](const std::string& colour) {
        ok({"section", "m.db", "-t", "I", "--y", "5", "--colour", colour, "--svg", "i.svg"});
        const std::string svg = readFile(path("i.svg"));
        std::vector<std::string> found;
        for (size_t at = svg.find("class=\"cut\" fill=\""); at != std::string::npos;
             at = svg.find("class=\"cut\" fill=\"", at + 1)) {
            found.push_back(svg.substr(at + 18, 7));
        }
        return found;
    };
    using Fills = std::vector<std::string>;
    EXPECT_EQ(fills("grade"), (Fills{"#440154", "#fde725", "#bdbdbd"}));
    EXPECT_EQ(fills("variance"), (Fills{"#bdbdbd", "#440154", "#fde725"}));
}

// On a plane lying on faces, a block of the far side is drawn where the
// kept side has none, and so are the old workings in it; where the kept
// side's blocks are drawn, the far side's old workings are not.
TEST_F(SectionTest, VoidBlocksOfTheFarSideAreHatchedWhereItsBlocksAreDrawn) {
    write("b.csv",
          "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n15,5,5,10,10,10,2\n"
          "15,15,5,10,10,10,3\n");
    write("v.csv", "X,Y,Z,DX,DY,DZ\n15,15,2.5,10,10,5\n15,5,2.5,10,10,5\n");
    ok({"import", "m.db", "v.csv", "-t", "VD", "--voids"});
    ok({"import", "m.db", "b.csv", "-t", "B", "-e", "Cu", "--void-table", "VD"});
    const std::string said = ok({"section", "m.db", "-t", "B", "--x", "10", "--svg", "x.svg"});
    EXPECT_TRUE(contains(said, "those at X < 10 are kept")) << said;
    EXPECT_TRUE(contains(said, "void blocks of VD: 1 piece in the section")) << said;
    const std::string first =
        linesOf(sqliteShell(path("m.db"), "SELECT Krig_BlockID FROM VD ORDER BY rowid;")).at(0);
    const std::string svg = readFile(path("x.svg"));
    const std::regex hatched("<path class=\"void\"[^>]*><title>([^<]*)</title>");
    std::vector<std::string> titles;
    for (auto m = std::sregex_iterator(svg.begin(), svg.end(), hatched);
         m != std::sregex_iterator(); ++m) {
        titles.push_back((*m)[1]);
    }
    EXPECT_EQ(titles, std::vector<std::string>{"void block " + first + " of VD"});
}

TEST_F(SectionTest, TheRunsVoidBlocksAreDrawnHatchedWhereTheSectionPassesThem) {
    write("s.csv",
          "X,Y,Z,DX,DY,DZ,CU\n5,5,5,10,10,10,1\n15,5,5,10,10,10,2\n5,5,15,10,10,10,3\n"
          "15,5,15,10,10,10,4\n");
    ok({"import", "m.db", "s.csv", "-t", "S", "-e", "Cu", "--void-table", "W"});
    write("w.csv",
          "X,Y,Z,DX,DY,DZ,PARENT_X,PARENT_Y,PARENT_Z,PARENT_DX,PARENT_DY,PARENT_DZ\n"
          "5,5,5,10,10,10,5,5,5,10,10,10\n"
          "12.5,5,15,5,10,10,15,5,15,10,10,10\n"
          "17.5,5,15,5,10,10,15,5,15,10,10,10\n"
          "50,5,5,10,10,10,50,5,5,10,10,10\n");
    ok({"import", "m.db", "w.csv", "-t", "W", "--voids"});
    // The identifiers the library gave the void blocks, in file order.
    const std::vector<std::string> id =
        linesOf(sqliteShell(path("m.db"), "SELECT Krig_BlockID FROM W ORDER BY rowid;"));
    ASSERT_EQ(id.size(), 3u);
    const std::string a = "void block " + id[0] + " of W";
    const std::string b1 = "void block " + id[1] + ", sub-block 1 of W";
    const std::string b2 = "void block " + id[1] + ", sub-block 2 of W";
    const std::string c = "void block " + id[2] + " of W";
    std::string svg;
    const auto voidsDrawn = [&](const std::vector<std::string>& section) {
        std::vector<std::string> args{"section", "m.db", "-t", "S", "--svg", "v.svg"};
        args.insert(args.end(), section.begin(), section.end());
        out = ok(args);
        EXPECT_EQ(shellOutput("xmllint --noout " + path("v.svg") + " 2>&1; echo $?"), "0\n");
        svg = readFile(path("v.svg"));
        expectOnThePage(svg);
        std::vector<std::string> titles;
        const std::regex title("<path class=\"void\"[^>]*><title>([^<]*)</title>");
        for (auto m = std::sregex_iterator(svg.begin(), svg.end(), title);
             m != std::sregex_iterator(); ++m) {
            titles.push_back((*m)[1]);
        }
        return titles;
    };
    using Titles = std::vector<std::string>;
    // Across the model (X 0 to 20) C is out of the section.
    EXPECT_EQ(voidsDrawn({"--y", "5"}), (Titles{a, b1, b2}));
    EXPECT_TRUE(contains(out,
                         "  void blocks of W: 3 pieces in the section (the run's old "
                         "workings, hatched in the drawing)\n"))
        << out;
    EXPECT_TRUE(contains(svg, "; void blocks of W hatched</text>")) << svg;
    // A section reaching to X = 60 meets C too, beyond the blocks: the
    // drawing's frame takes it in.
    EXPECT_EQ(voidsDrawn({"--corners", "-10,5,-10 60,5,-10 60,5,30 -10,5,30"}),
              (Titles{a, b1, b2, c}));
    // A plan on the face between the layers keeps the lower one, the first
    // block's, and so the void block below the plane.
    EXPECT_EQ(voidsDrawn({"--z", "10"}), (Titles{a}));
    EXPECT_EQ(voidsDrawn({"--z", "15"}), (Titles{b1, b2}));
    EXPECT_EQ(voidsDrawn({"--x", "30"}), Titles{});
    EXPECT_FALSE(contains(out, "void")) << out;
    EXPECT_FALSE(contains(svg, "hatched")) << svg;
    // A void table dropped since leaves the blocks drawn, without hatching.
    sqliteShell(path("m.db"), "DROP TABLE W");
    EXPECT_EQ(voidsDrawn({"--y", "5"}), Titles{});
    EXPECT_TRUE(contains(out, "S, section Y = 5: 4 blocks cut\n")) << out;
    EXPECT_FALSE(contains(out, "void")) << out;
}

// What other programs may leave in a table: a second run beside the first,
// 100 m east with the same block numbers, a block without a grade, and
// categories in another encoding, with a control character or with markup.
TEST_F(SectionTest, RunsSharingATableAndWhatOtherProgramsWrite) {
    std::string east;
    for (const std::string& line : linesOf(kGrid)) {
        const size_t x = line.find(',') + 1;
        const size_t end = line.find(',', x);
        east += line[0] == 'P'
                    ? line + "\n"
                    : line.substr(0, x) + std::to_string(std::stoi(line.substr(x, end - x)) + 100) +
                          line.substr(end) + "\n";
    }
    write("east.csv", east);
    ok({"import", "m.db", "east.csv", "-t", "E", "-e", "Cu", "--block-size", "10"});
    sqliteShell(
        path("m.db"),
        "INSERT INTO G SELECT * FROM E; DROP TABLE E;"
        "UPDATE KrigBlock_Param SET Table_Name = 'G' WHERE Table_Name = 'E';"
        "UPDATE G SET Krig_OutAttr = NULL WHERE MineID = 2 AND Krig_BlockID = 8;"
        "UPDATE G SET Krig_OutAttr = 'n/a' WHERE MineID = 1 AND Krig_BlockID = 12;"
        "UPDATE G SET Krig_ResType = CAST(X'496E64697175E9' AS TEXT) "
        "WHERE MineID = 2 AND Krig_BlockID = 5;"
        "UPDATE G SET Krig_ResType = 'a' || char(1) || '<>\"' WHERE MineID = 2 AND "
        "Krig_BlockID = 11;"
        "UPDATE G SET Krig_ResType = 'M&I' || char(65536) WHERE MineID = 2 AND Krig_BlockID = 2");
    // Row 0 of both layers in both runs: the shorthand spans both grids.
    EXPECT_EQ(cut({"--y", "5"}).second.size(), 14u);
    // In the second run too, B is the second sub-block of block 2.
    EXPECT_EQ(cut({"--x", "115"}).second, (std::vector<std::string>{"2.2", "5.0", "8.0", "11.0"}));
    EXPECT_EQ(readCsv(path("cut.csv")).at(2, "Cu"), "");
    const std::string svg = readFile(path("cut.svg"));
    EXPECT_TRUE(contains(svg, "fill=\"#bdbdbd\" d=")) << svg;
    EXPECT_TRUE(contains(svg, "<title>block 8: Cu no grade</title>")) << svg;
    // U+10000, the first character past the 16-bit ones, is XML's as well.
    EXPECT_TRUE(contains(svg, ", M&amp;I\xF0\x90\x80\x80</title>")) << svg;
    // A byte of another encoding and a control character each show as U+FFFD;
    // the characters that mark up XML show as themselves.
    EXPECT_TRUE(contains(svg, ", Indiqu\xEF\xBF\xBD</title>")) << svg;
    EXPECT_TRUE(contains(svg, ", a\xEF\xBF\xBD&lt;&gt;&quot;</title>")) << svg;
    // A grade stored as text does not flatten the colours of the others:
    // blocks 2 (B), 5 and 11 keep three colours beside the grey.
    std::set<std::string> fills;
    for (size_t at = svg.find("class=\"cut\" fill=\""); at != std::string::npos;
         at = svg.find("class=\"cut\" fill=\"", at + 1)) {
        fills.insert(svg.substr(at + 18, 7));
    }
    EXPECT_EQ(fills.size(), 4u) << svg;
    // Alone in a drawing, a grade takes the colour halfway along the scale,
    // between #2a788e and #22a884, whatever the grades of the blocks not
    // drawn: here run 2's block 5, met only where the section crosses its
    // face at Y = 20.
    EXPECT_EQ(cut({"--corners", "115,11,1 115,25,1 115,25,9 115,11,9"}).second,
              (std::vector<std::string>{"5.0"}));
    const std::string lone = readFile(path("cut.svg"));
    EXPECT_TRUE(contains(lone, "class=\"cut\" fill=\"#269089\""));
    EXPECT_TRUE(contains(lone, ">1 block cut; coloured by Cu grade (%)<"));
    // A drawing of no grade at all has no range to label its colour bar
    // with: no number there runs past the model's own.
    EXPECT_EQ(cut({"--corners", "115,-1,11 115,9,11 115,9,19 115,-1,19"}).second,
              (std::vector<std::string>{"8.0"}));
    EXPECT_FALSE(std::regex_search(readFile(path("cut.svg")), std::regex(">-?[0-9]{4,}<")));
    // A stored grid flat along an axis is no grid: the section spans the blocks instead.
    const char* const flatThenRestored[][2] = {
        {"UPDATE KrigBlock_Param SET Grid_EndY = Grid_StartY",
         "UPDATE KrigBlock_Param SET Grid_EndY = Grid_StartY + Grid_NumY * Grid_SizeY"},
        {"UPDATE KrigBlock_Param SET Grid_EndZ = Grid_StartZ",
         "UPDATE KrigBlock_Param SET Grid_EndZ = Grid_StartZ + Grid_NumZ * Grid_SizeZ"}};
    for (const auto& [flat, restored] : flatThenRestored) {
        SCOPED_TRACE(flat);
        sqliteShell(path("m.db"), flat);
        EXPECT_EQ(cut({"--x", "115"}).second,
                  (std::vector<std::string>{"2.2", "5.0", "8.0", "11.0"}));
        sqliteShell(path("m.db"), restored);
    }
    // Runs of two elements are not drawn on one scale; either alone is.
    sqliteShell(path("m.db"), "UPDATE KrigBlock_Param SET Mine_Element = 'Au' WHERE MineID = 2");
    EXPECT_FAILS_WITH(vornel({"section", "m.db", "-t", "G", "--y", "5"}),
                      "G: the section meets the blocks of runs 1 and 2, which estimate other "
                      "elements or units");
    // So is a section that meets one block of each.
    EXPECT_FAILS_WITH(
        vornel({"section", "m.db", "-t", "G", "--corners", "29,5,1 101,5,1 101,5,9 29,5,9"}),
        "G: the section meets the blocks of runs 1 and 2");
    // As are runs of one element in two units, and runs of which the catalog
    // no longer lists one, whatever it estimated.
    const std::string params = "SELECT MineID, Mine_Element, OreAttr_Unit FROM KrigBlock_Param";
    const std::string catalog = sqliteShell(path("m.db"), params);
    sqliteShell(
        path("m.db"),
        "CREATE TABLE Kept AS SELECT * FROM KrigBlock_Param;"
        "UPDATE KrigBlock_Param SET Mine_Element = 'Cu', OreAttr_Unit = 1 WHERE MineID = 2");
    for (const char* change : {"", "DELETE FROM KrigBlock_Param WHERE MineID = 2",
                               "DELETE FROM KrigBlock_Param; INSERT INTO KrigBlock_Param SELECT * "
                               "FROM Kept WHERE MineID = 2"}) {
        SCOPED_TRACE(change);
        sqliteShell(path("m.db"), change);
        EXPECT_FAILS_WITH(
            vornel({"section", "m.db", "-t", "G", "--corners", "29,5,1 101,5,1 101,5,9 29,5,9"}),
            "G: the section meets the blocks of runs 1 and 2");
    }
    sqliteShell(path("m.db"),
                "DELETE FROM KrigBlock_Param; INSERT INTO KrigBlock_Param SELECT * "
                "FROM Kept; DROP TABLE Kept");
    ASSERT_EQ(sqliteShell(path("m.db"), params), catalog);
    cut({"--x", "115"});
    const CsvTable au = readCsv(path("cut.csv"));
    EXPECT_EQ(au.header.at(9), "Au");
    EXPECT_EQ(au.at(0, "MINEID"), "2");
    // One block alone is of its own run too.
    cut({"--corners", "115,11,1 115,25,1 115,25,9 115,11,9"});
    EXPECT_EQ(readCsv(path("cut.csv")).header.at(9), "Au");
    // A row cut that cannot be read fails the whole cut.
    sqliteShell(path("m.db"),
                "ALTER TABLE G ADD COLUMN Broken GENERATED ALWAYS AS (CASE WHEN Krig_BlockID = 11 "
                "THEN abs(-9223372036854775807 - 1) END) VIRTUAL");
    EXPECT_FAILS_WITH(vornel({"section", "m.db", "-t", "G", "--x", "115"}),
                      "cannot cut G: cannot read the blocks: cannot read the next row: integer "
                      "overflow");
    // One after the other, the split blocks of one number in two runs are two blocks.
    write("split.csv", "X,Y,Z,DX,DY,DZ,CU\n2.5,5,5,5,10,10,1\n");
    ok({"import", "m.db", "split.csv", "-t", "S", "-e", "Cu", "--block-size", "10"});
    sqliteShell(path("m.db"),
                "INSERT INTO S SELECT * FROM S; UPDATE S SET MineID = MineID + 100 WHERE rowid = 2;"
                "CREATE TEMP TABLE p AS SELECT * FROM KrigBlock_Param WHERE Table_Name = 'S';"
                "UPDATE p SET MineID = MineID + 100; INSERT INTO KrigBlock_Param SELECT * FROM p");
    EXPECT_EQ(linesOf(ok({"section", "m.db", "-t", "S", "--y", "5"}))[0],
              "S, section Y = 5: 2 blocks cut, 2 of them by 2 sub-blocks");
    // So are two split blocks of one run.
    write("two.csv", "X,Y,Z,DX,DY,DZ,CU\n2.5,5,5,5,10,10,1\n12.5,5,5,5,10,10,1\n");
    ok({"import", "m.db", "two.csv", "-t", "TWO", "-e", "Cu", "--block-size", "10"});
    EXPECT_EQ(linesOf(ok({"section", "m.db", "-t", "TWO", "--y", "5"}))[0],
              "TWO, section Y = 5: 2 blocks cut, 2 of them by 2 sub-blocks");
}

}  // namespace
}  // namespace vornel::test
