// vornel demo: a synthetic kriged block model written to a new database,
// read back, reported on and cut by sections, with the time of each step.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <memory>
#include <vector>

#include "BlockClasses.h"
#include "Commands.h"
#include "DemoBlocks.h"
#include "Depletion.h"
#include "Failure.h"
#include "GradeStats.h"
#include "GradeTonnage.h"
#include "HistogramSvg.h"
#include "Interrupt.h"
#include "ModelDatabase.h"
#include "ModelFacts.h"
#include "NumberText.h"
#include "OptionChecks.h"
#include "OutputFile.h"
#include "PlanOutline.h"
#include "RecordFields.h"
#include "RunRecord.h"
#include "SectionOutput.h"
#include "Stopwatch.h"
#include "Swath.h"
#include "SwathSvg.h"
#include "TextTable.h"

namespace vornel::cli {
namespace {

constexpr double kBlockEdge = 10;
constexpr const char* kTable = "CU_DEMO";
constexpr const char* kVoidTable = "OLD_WORKINGS";
// Marks the databases that the demo may replace.
constexpr const char* kDescription = "Synthetic copper lens, ordinary kriging (vornel demo)";
// The files the demo writes beside its database.
constexpr const char* kSideFiles[] = {"section-vertical.svg", "section-horizontal.svg",
                                      "swath-x.svg", "histogram.svg", "licence.csv"};

// The path of the side file `name` beside the database.
std::string besideDb(const std::string& db, const std::string& name) {
    return (std::filesystem::path(db).parent_path() / name).string();
}

struct DemoOptions {
    std::string db = "demo.db";
    long blocks = 300000;
};

struct Timings {
    TextTable table;
    Stopwatch step;

    void done(const std::string& what) {
        table.add({what, step.text()});
        step.restart();
    }
};

// Why the demo may not replace the file at `path`, or empty when it may:
// when no file is there, or an earlier demo's database that holds nothing
// else.
std::string whyNotReplaced(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(followLinks(path), ec) && !ec) {
        return {};
    }
    // Told before the model is built, not when it is to take the place.
    if (::access(path.c_str(), W_OK) != 0) {
        return "cannot be written here, so it cannot be replaced";
    }
    try {
        CVornelMng mng;
        openModel(mng, path);
        const auto run = runOfTable(mng, kTable);
        if (!run || std::string(run->Krig_Result_Name) != kDescription) {
            return "exists and is not a demo database";
        }
        std::vector<_STRU_MINE_NAMEINFO> runs;
        std::vector<_STRU_MINE_NAMEINFO> voids;
        mng.getAllKrigTblName(runs);
        mng.getAllVoidTblName(voids);
        runs.insert(runs.end(), voids.begin(), voids.end());
        std::string others;
        for (const _STRU_MINE_NAMEINFO& r : runs) {
            const std::string table = r.TableName;
            if (table != kTable && table != kVoidTable) {
                others += (others.empty() ? "" : ", ") + table;
            }
        }
        return others.empty() ? std::string()
                              : "a demo database that holds other runs too (" + others + ")";
    } catch (const Failure&) {
        return "exists and is not a demo database";
    }
}

void refuseToReplace(const std::string& path) {
    const auto* const side =
        std::find_if(std::begin(kSideFiles), std::end(kSideFiles),
                     [&path](const char* name) { return sameOutput(path, besideDb(path, name)); });
    if (side != std::end(kSideFiles)) {
        throw Failure(path + ": the demo writes its " + *side +
                      " there, beside the database; give the demo another path");
    }
    const std::string why = whyNotReplaced(path);
    if (!why.empty()) {
        throw Failure(path + ": " + why + "; give the demo another path");
    }
    // Files of these names beside an earlier demo's database are that demo's;
    // beside a new one they are the user's own, a licence outline perhaps.
    std::error_code ec;
    if (std::filesystem::exists(followLinks(path), ec)) {
        return;
    }
    for (const char* name : kSideFiles) {
        const std::string file = besideDb(path, name);
        if (std::filesystem::symlink_status(file, ec).type() !=
            std::filesystem::file_type::not_found) {
            throw Failure(file +
                          ": there already, beside no earlier demo's database; the demo would "
                          "write over it: move it or give the demo another folder");
        }
    }
}

// The database is built in the folder of the file that DB names, under a
// name of the demo's own: a folder it cannot be made in is told under the
// user's name for it, and before the model is built.
void requireFolderOf(const std::string& path) {
    const std::filesystem::path named = std::filesystem::path(followLinks(path)).parent_path();
    const std::string folder = named.empty() ? "." : named.string();
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        throw Failure(path + ": cannot create the database: " +
                      (std::filesystem::exists(folder, ec)
                           ? folder + " is not a folder"
                           : "the folder " + folder + " does not exist"));
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        throw Failure(path + ": cannot create the database in the folder " + folder + ": " +
                      std::strerror(errno));
    }
}

KrigBlockParam runRecord(const BlockList& blocks, const DemoOreBody& body) {
    RunNames names{kDescription, "Cu", kTable, kVoidTable, gradeUnitNamed("%").code};
    KrigBlockParam p = describeRun(blocks, names);
    const D_3DOT r = body.radii();
    p.Srch_RangX = std::round(r.x / 4);
    p.Srch_RangY = std::round(r.y / 4);
    p.Srch_RangZ = std::round(r.z / 3);
    p.Srch_Azm = static_cast<int32_t>(body.strikeAzimuth());
    p.Srch_Dip = static_cast<int32_t>(body.dip());
    p.Srch_Coef = 1;
    p.Srch_MinPnt = 4;
    p.Srch_MaxPnt = 24;
    p.Vrg_Nug = 0.1;
    p.Vrg_Sill = 1.0;
    p.Vrg_Num = 2;
    return p;
}

void registerVariogram(CVornelMng& mng, long mineId, const DemoOreBody& body) {
    const D_3DOT r = body.radii();
    KrigBlockVrgParam s[2];
    const double sills[2] = {0.55, 0.35};
    const double reach[2] = {0.1, 0.3};  // of the lens's semi-axes
    for (int i = 0; i < 2; ++i) {
        s[i].MineID = static_cast<int32_t>(mineId);
        copyText(s[i].Vrg_Type, "spherical");
        copyText(s[i].Vrg_TblName, kTable);
        s[i].Vrg_LocSill = sills[i];
        s[i].Vrg_Azm = static_cast<int32_t>(body.strikeAzimuth());
        s[i].Vrg_Dip = static_cast<int32_t>(body.dip());
        s[i].Vrg_MaxRang = std::round(r.x * reach[i]);
        s[i].Vrg_MinRang = std::round(r.y * reach[i]);
        s[i].Vrg_VerRang = std::round(r.z * reach[i]);
    }
    check(mng, mng.insertIntoBlockVrgParam(s, 2), "cannot register the variogram");
}

void writeDatabase(const std::string& path, const DemoOreBody& body, BlockList& blocks,
                   VoidList& voids) {
    CVornelMng mng;
    createModel(mng, path);
    HostTransaction transaction(mng, path);
    check(mng, mng.createBlockResultTbl(kTable), "cannot create the block table");
    check(mng, mng.createBlockVoidTbl(kVoidTable), "cannot create the void table");
    KrigBlockParam run = runRecord(blocks, body);
    const long mineId = registerRun(mng, run);
    const long voidRun = registerVoidTable(mng, kVoidTable, "Old workings: stope, drives");
    registerVariogram(mng, mineId, body);
    insertBlocks(mng, kTable, mineId, blocks);
    insertVoids(mng, kVoidTable, voidRun, voids);
    transaction.commit();
}

void printGradeTonnageOf(const KrigBlockResult* blocks, long count) {
    const std::vector<double> cutoffs{0, 0.3, 0.5, 0.75, 1, 1.5, 2};
    std::cout << "\nGrade-tonnage of " << kTable << " (tonnes as stored: volume x density)\n";
    const GradeUnit& unit = gradeUnitOfCode(0);
    printGradeTonnage(std::cout, "", {}, {gradeTonnage(blocks, count, cutoffs, 0, unit)}, "Cu",
                      unit);
    printVoidsNotDeducted(std::cout, kVoidTable);
}

// What a resource statement reports: the tonnes still in place, less the
// old workings, category by category, above one cut-off.
void printResourceStatement(CVornelMng& mng, const std::string& db, KrigBlockResult* blocks,
                            long count) {
    constexpr double kCutoff = 0.5;
    const Depleted depleted = deplete(blocks, count, readVoidGround(mng, db, kVoidTable));
    const long n = depleted.left;
    const BlockClasses classes = classify(blocks, n, ClassField::Category);
    std::cout << "\nResource statement of " << kTable << " at " << formatNumber(kCutoff)
              << " % Cu, less the old workings (" << depleted.mined << " blocks mined out, "
              << depleted.cut << " in part, " << formatNumber(depleted.volume) << " m3)\n";
    const GradeUnit& unit = gradeUnitOfCode(0);
    printGradeTonnage(std::cout, "category", classes.names,
                      gradeTonnageByClass(blocks, n, classes, {kCutoff}, 0, unit), "Cu", unit);
}

// Writes the drawing beside the database and says what it shows.
void drawSection(CVornelMng& mng, const std::string& db, const std::string& name,
                 const SectionRequest& request, const SectionDrawing& drawing = {}) {
    const SectionPlane plane = sectionPlane(request, modelExtent(mng, kTable));
    const std::string svg = besideDb(db, "section-" + name + ".svg");
    const SectionCount n = cutSection(mng, db, kTable, plane, svg, "", drawing);
    printFact(std::cout, name,
              plane.title + ": " + std::to_string(n.blocks) + " blocks cut, " +
                  std::to_string(n.split) + " of them by " + std::to_string(n.subBlocks) +
                  " sub-blocks -> " + svg);
}

// The swath of the whole model across its lens, 100 m slices along X; drawn
// beside the database with the sections.
struct DemoSwath {
    SwathChart chart;
    double tonnes = 0;
};

DemoSwath demoSwath(const KrigBlockResult* blocks, long count, const UngradedBlocks& ungraded) {
    SwathPlan plan;
    plan.width = 100;
    DemoSwath s;
    s.chart.swaths = {swathOf(blocks, count, ungraded, plan, VoidGround())};
    for (const auto& entry : s.chart.swaths.front()) {
        s.tonnes += entry.second.tonnes;
    }
    s.chart.title = std::string("Swath of ") + kTable + " along X";
    s.chart.subtitle = "Cu (%); tonnes from the stored tonnage; every block";
    s.chart.axis = "X";
    s.chart.width = plan.width;
    s.chart.element = "Cu";
    s.chart.unit = &gradeUnitOfCode(0);
    s.chart.names = {kTable};
    return s;
}

void drawSwath(const std::string& db, const DemoSwath& s) {
    const std::string svg = besideDb(db, "swath-x.svg");
    OutputFile file(svg);
    writeSwathSvg(file.stream(), s.chart);
    file.commit();
    const Swath& swath = s.chart.swaths.front();
    printFact(std::cout, "swath",
              "X in slices of " + formatNumber(s.chart.width) + ": " +
                  std::to_string(swath.size()) + " slices of " + formatFixed(s.tonnes, 0) +
                  " t, mean Cu by slice -> " + svg);
}

// The histogram of the whole model's grades, drawn beside the database.
struct DemoHistogram {
    std::vector<WeighedGrade> grades;  // sorted
    GradeStats stats;
};

DemoHistogram demoHistogram(const KrigBlockResult* blocks, long count) {
    DemoHistogram h;
    h.grades = weighedGrades(blocks, count, 0);
    h.stats = gradeStats(h.grades);
    return h;
}

void drawHistogram(const std::string& db, const DemoHistogram& h) {
    const std::string svg = besideDb(db, "histogram.svg");
    HistogramChart chart;
    chart.title = std::string(kTable) + ": histogram of Cu";
    chart.subtitle = std::to_string(h.stats.blocks) + " blocks; tonnes from the stored tonnage";
    chart.element = "Cu";
    chart.unit = &gradeUnitOfCode(0);
    chart.runs = {kTable};
    chart.runGrades = {&h.grades};
    chart.names = {"(all)"};
    chart.grades = {&h.grades};
    OutputFile file(svg);
    writeHistogramSvg(file.stream(), chart);
    file.commit();
    printFact(std::cout, "histogram",
              "Cu in " + std::to_string(chart.bins) + " bins: mean " +
                  formatFixed(h.stats.mean, 4) + " %, CV " + formatFixed(h.stats.variation(), 3) +
                  ", median " + formatFixed(h.stats.quantiles[2], 4) + " % -> " + svg);
}

// A licence boundary over the lens's core, five corners in plan, written
// beside the database for the plan to show and report --within to read.
PlanOutline writeLicence(const std::string& db, const DemoOreBody& body) {
    const std::string path = besideDb(db, "licence.csv");
    const D_3DOT c = body.centre();
    const D_3DOT half = body.halfExtent();
    // Corners at these shares of the lens's reach from its centre, on 10 m.
    const auto at = [](double centre, double share, double reach) {
        return formatExact(std::round((centre + share * reach) / 10) * 10);
    };
    OutputFile file(path);
    file.stream() << "EAST,NORTH\n";
    for (const auto& [sx, sy] :
         {std::pair{-0.57, -0.6}, std::pair{0.43, -0.8}, std::pair{0.71, 0.2}, std::pair{0.14, 0.8},
          std::pair{-0.71, 0.4}}) {
        file.stream() << at(c.x, sx, half.x) << ',' << at(c.y, sy, half.y) << '\n';
    }
    file.commit();
    return readOutline(path);
}

// A vertical section across strike and a plan, both through the centres of
// the blocks at the lens's core, so that neither runs along block faces.
void drawSections(CVornelMng& mng, const std::string& db, const DemoOreBody& body,
                  const DemoGrid& grid) {
    const D_3DOT c = body.centre();
    const auto middle = [&grid](double value, int a) {
        const double o = axis(grid.origin, a);
        return o + (std::floor((value - o) / grid.edge) + 0.5) * grid.edge;
    };
    const double x = middle(c.x, 0);
    const double y = middle(c.y, 1);
    const double dip = (body.strikeAzimuth() + 90) * 3.14159265358979323846 / 180;
    const double reach = std::max(body.halfExtent().x, body.halfExtent().y);
    const double dx = std::round(std::sin(dip) * reach);
    const double dy = std::round(std::cos(dip) * reach);
    SectionRequest across;
    across.line = formatNumber(x - dx, 10) + "," + formatNumber(y - dy, 10) + " " +
                  formatNumber(x + dx, 10) + "," + formatNumber(y + dy, 10);
    drawSection(mng, db, "vertical", across);
    SectionRequest plan;
    plan.z = formatNumber(middle(c.z, 2), 10);
    const PlanOutline licence = writeLicence(db, body);
    SectionDrawing withLicence;
    withLicence.outline = &licence;
    drawSection(mng, db, "horizontal", plan, withLicence);
    printFact(std::cout, "licence",
              std::to_string(licence.parts()[0].size()) + " corners, " +
                  formatNumber(licence.area()) + " m2, dashed on the plan -> " + licence.name());
}

void runDemo(const DemoOptions& o) {
    Stopwatch total;
    Timings timings;
    refuseToReplace(o.db);
    requireFolderOf(o.db);
    std::cout << "Vornel demo: a synthetic copper lens kriged into " << kBlockEdge
              << " m blocks, in " << o.db << '\n';

    const DemoOreBody body(o.blocks, kBlockEdge);
    const DemoGrid grid = demoGrid(body, kBlockEdge);
    BlockList blocks;
    buildDemoBlocks(body, grid, blocks);
    VoidList voids;
    buildDemoVoids(demoWorkings(body), grid, voids);
    timings.done("build the model (" + std::to_string(blocks.size()) + " blocks)");

    // Built beside the target and moved over it whole: a failed or
    // interrupted demo leaves the previous database as it was.
    // A symbolic link at the path stays, and the file it names is replaced.
    const std::string target = followLinks(o.db);
    const std::string partial = target + ".partial-" + std::to_string(::getpid());
    {
        // Until it has taken the target's place.
        const RemovedIfInterrupted unfinished(partial, true);
        try {
            writeDatabase(partial, body, blocks, voids);
            refuseToReplace(o.db);  // again: another command may have written to it meanwhile
            // Stopped from here on, the demo says that its database is whole.
            const InterruptsHeld held;
            std::string why;
            if (vornel::replaceDatabaseFile(target, partial, why) == 0) {
                throw Failure(why);
            }
            sayDoneWhenInterrupted("writing " + o.db);
        } catch (...) {
            removeModelFiles(partial);
            throw;
        }
    }
    timings.done("write the database");

    CVornelMng mng;
    openModel(mng, o.db);
    const auto run = runOfTable(mng, kTable);
    if (!run) {
        throw Failure(o.db + ": the demo run cannot be read back");
    }
    printRun(std::cout, mng, o.db, *run);
    std::cout << "\nVoid table " << kVoidTable << ": "
              << voidSummary(readVoidFacts(mng, o.db, kVoidTable)) << '\n';
    timings.done("read back counts and ranges");

    // Read once for both tables: the void blocks are read into another cache.
    // Looking for blocks without a grade reads blocks too, so it goes first.
    const UngradedBlocks ungraded(mng, kTable);
    KrigBlockResult* stored = nullptr;
    const long count = readWholeTable(mng, kTable, &stored);
    printGradeTonnageOf(stored, count);
    timings.done("grade-tonnage table");
    // Before the resource statement takes the old workings off the blocks.
    const DemoSwath swath = demoSwath(stored, count, ungraded);
    const DemoHistogram grades = demoHistogram(stored, count);
    printResourceStatement(mng, o.db, stored, count);
    timings.done("resource statement");

    std::cout << "\nDrawings\n";
    drawSections(mng, o.db, body, grid);
    drawSwath(o.db, swath);
    drawHistogram(o.db, grades);
    timings.done("cut and draw two sections, a swath, a histogram");

    std::cout << "\nTimings\n";
    timings.table.add({"total", total.text()});
    timings.table.print(std::cout);
}

}  // namespace

void addDemoCommand(CLI::App& app) {
    auto o = std::make_shared<DemoOptions>();
    CLI::App* cmd = app.add_subcommand(
        "demo", "Build a synthetic kriged block model in a new database and show it off");
    cmd->add_option("DB", o->db, "Database to write; a previous demo database is replaced")
        ->capture_default_str()
        ->check(databasePath());
    cmd->add_option("--blocks", o->blocks, "About how many blocks the model has")
        ->capture_default_str()
        ->check(CLI::Range(100L, 5000000L));
    cmd->footer(R"(
The model: a copper lens dipping 55 degrees to the south-east, estimated in 10 m blocks
from vertical drill holes 50 m apart, richer in its core and to the north-east. Blocks
that its boundary cuts keep the parts inside it as sub-blocks (a 4 x 4 x 4 split merged
along X), with the filled fraction as their coefficient. Every block has a kriging
variance, a resource category (Measured, Indicated or Inferred, by the distance to the
samples), an ore type (Oxide, Transition, Sulphide), a volume and a tonnage. A stope and
two drives of old workings are void blocks. The run, its two variogram structures and
the void table are registered in the catalog.

The demo then reads back what it stored, prints the grade-tonnage table and a resource
statement by category less the old workings, cuts a vertical section across strike and
a horizontal one through the lens's core, draws them as section-vertical.svg and
section-horizontal.svg beside DB with a swath of the model along X (swath-x.svg) and
the histogram of its grades (histogram.svg), writes a licence boundary over the lens
(licence.csv, which report --within reads), drawn dashed on the plan, and says how
long each step took. The database is built beside DB and takes its place only when
complete; an existing DB is replaced only when an earlier demo made it, it holds no
other run and nothing else has it open. Files of the drawings' and the licence's names
are replaced only beside such a database: beside a new one, the demo stops before it
begins.

Example:
  vornel demo out/demo.db --blocks 50000
)");
    cmd->callback([o] { runDemo(*o); });
}

}  // namespace vornel::cli
