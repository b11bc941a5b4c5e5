// vornel section: the blocks and sub-blocks a section cuts, drawn and listed.
#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>

#include "Commands.h"
#include "Failure.h"
#include "ModelDatabase.h"
#include "ModelFacts.h"
#include "NumberText.h"
#include "OptionChecks.h"
#include "OutputFile.h"
#include "PlanOutline.h"
#include "SectionOutput.h"
#include "SectionSeries.h"

namespace vornel::cli {
namespace {

struct SectionOptions {
    std::string db;
    std::string table;
    SectionRequest request;
    std::string svg;
    std::string csv;
    std::string colour = "grade";
    std::string outline;
};

const char* const kFooter = R"footer(
The section is a convex quadrilateral (or a triangle: one corner on an
edge or repeated, corners 1 and 2 apart), given by its four corners in
order around its outline (--corners), or by a shorthand that spans the
whole model (every run's grid in a table that several runs share; a
section that meets runs of other elements or units is refused, for it
would colour them on one scale).
Corner 3 should lie in the plane of the other three: if it does not, the
section is folded along the line from corner 1 to corner 3 (the command
says so), each half cutting on its own, and the drawing shows the halves
flattened onto the plane of corners 1, 2 and 4. The shorthands:
  --x 5000               the vertical plane X = 5000 (drawn along Y)
  --y 8000               the vertical plane Y = 8000 (drawn along X)
  --z 600                the horizontal plane Z = 600 (drawn along X and Y)
  --line "4800,7900 5200,8100"
                         a vertical section along a line in plan
  --y 7800:8200:50       a series of sections, Y = 7800, 7850, ... 8200,
                         each written to its own files: "{}" in the paths
                         of --svg and --csv stands for the value
A block counts as cut when the section touches its box (or, for a block
stored with sub-blocks and a coefficient below 1, the box of one of its
sub-blocks); it comes back with the sub-blocks that are cut. Touching means
meeting a face, edge or corner of the box: a section lying wholly inside one
block, smaller than it, cuts nothing. A horizontal section keeps one layer:
the blocks whose centre lies at the height of the first block it touches
(the command says which). A section exactly on the face between two layers
may thus pick either, and blocks of another height that it crosses are left
out. In the same way a plane at one X, Y or Z that lies on the faces between
blocks (or sub-blocks) touches the boxes on both sides: it keeps those on
the side of the first such box, and leaves out a box of the other side
whose face the kept faces cover, so that no place is listed twice where the
two sides match (the command says which side it kept).

--svg draws the trace of every cut block or sub-block on the section plane
(the polygon where the plane meets its box), coloured by grade, with axes in
model coordinates, a colour bar, a title and a scale bar. --csv lists them:
  BLOCKID MINEID SUB X Y Z DX DY DZ <element> CATEGORY TRACE
(<element>_GRADE for an element named like another column, as Y)
where MINEID is the block's run (runs sharing a table repeat identifiers),
SUB 0 for a block cut whole, else the number of the sub-block in
its block (from 1), X .. DZ the box cut, the grade empty where the block
has none (it is drawn grey), and TRACE the polygon's corners
"u v;u v;..." in metres from corner 1: level along the section (toward the
side of corner 2, or of corner 3 where 2 lies straight up the slope from 1)
and up its slope; for a plan, east and north. The drawing has the same
axes, so whatever the order of the corners a plan is a map and up is up.
TRACE is empty where the section only touches the box along an edge or at a
corner.
--colour category colours each piece by its resource category instead, with
a key: Measured, Indicated and Inferred always in the same colours, other
names after them, grey for "(none)"; --colour oretype does the same by ore
type, and --colour pass by the search pass that estimated the block.
--colour variance colours by the kriging variance on the grade's ramp:
where the estimate is weak.
With --outline the drawing shows a plan outline (a licence boundary, a
pit's crest; its file as report --within reads it) dashed where it meets
the section: a plan shows the outline itself, a section at a slant the
outline carried onto its plane, and a vertical section a dashed upright
line at each place where it crosses the outline.
The drawing hatches the run's void blocks (old workings, each sub-block of
one that has them) where the section passes through them, over the blocks;
on a plane lying on faces, those on the side of the blocks kept.

Examples:
  vornel section demo.db --table CU_DEMO --z 605 --svg plan-605.svg
  vornel section demo.db --line "4800,7900 5200,8100" --csv cut.csv
  vornel section demo.db --y 8000 --colour category --svg classes-8000.svg
  vornel section demo.db --x 4600:5400:100 --svg x-{}.svg
)footer";

// Corners written in decimals are rarely flat to the last bit; a fold of a
// billionth of their size is rounding, not intent.
bool folded(const SectionPlane& plane) {
    double size = 1;
    for (const D_3DOT& c : plane.corners) {
        size = std::max({size, std::fabs(c.x), std::fabs(c.y), std::fabs(c.z)});
    }
    return plane.fold > 1e-9 * size;
}

// As the cut decides it: a plan keeps one layer of blocks.
bool flat(const SectionPlane& plane) {
    const D_3DOT* c = plane.corners;
    return c[0].z == c[1].z && c[1].z == c[2].z && c[2].z == c[3].z;
}

// What to tell of a section that cut nothing and lies inside a block's box,
// meeting none of its faces; empty when it lies inside none.
std::string blockAround(CVornelMng& mng, const std::string& table, const SectionPlane& plane) {
    std::ostringstream where;
    for (int a = 0; a < 3; ++a) {
        double low = HUGE_VAL;
        double high = -HUGE_VAL;
        for (const D_3DOT& c : plane.corners) {
            low = std::min(low, axis(c, a));
            high = std::max(high, axis(c, a));
        }
        const char name = "XYZ"[a];
        where << (a > 0 ? " AND " : "") << "Krig_PntLoc" << name << " - Krig_GridSize" << name
              << " / 2 < " << formatExact(low) << " AND Krig_PntLoc" << name << " + Krig_GridSize"
              << name << " / 2 > " << formatExact(high);
    }
    KrigBlockResult* blocks = nullptr;
    if (readMatching(mng, table, where.str(), "", &blocks) == 0) {
        return {};
    }
    const KrigBlockResult& b = blocks[0];
    const std::string inside = "the section lies inside block " + std::to_string(b.Krig_BlockID);
    // A split block is cut by its sub-blocks: reaching out of the block may
    // still meet none of them.
    if (b.SubBUD_Num > 0 && b.Block_Coef != 1.0) {
        return inside + " and meets no face of its sub-blocks";
    }
    return inside +
           ", meeting none of its faces: it cuts the boxes whose faces it meets, so reach it out "
           "of the block";
}

// Cuts one section, writes its files and tells what it cut.
void cutAndTell(CVornelMng& mng, const std::string& db, const std::string& table,
                const SectionPlane& plane, const std::string& svg, const std::string& csv,
                const SectionDrawing& drawing) {
    // The count goes where it does not mix with a drawing or list on
    // standard output.
    std::ostream& report = isStandardOutput(svg) || isStandardOutput(csv) ? std::cerr : std::cout;
    const SectionCount n = cutSection(mng, db, table, plane, svg, csv, drawing);
    report << table << ", section " << plane.title << ": " << n.blocks
           << (n.blocks == 1 ? " block" : " blocks") << " cut";
    if (n.split > 0) {
        report << ", " << n.split << " of them by " << n.subBlocks
               << (n.subBlocks == 1 ? " sub-block" : " sub-blocks");
    }
    report << '\n';
    // Edges and corners are touched piece by piece: a block cut whole is one
    // piece, a block cut by its sub-blocks as many as it has cut.
    if (n.untraced > 0) {
        report << "  " << n.untraced;
        if (n.split > 0) {
            report << " of the " << n.blocks - n.split + n.subBlocks
                   << " pieces cut (whole blocks and sub-blocks)";
        } else {
            report << " of them";
        }
        report << " only touched along an edge or at a corner (nothing to draw)\n";
    }
    if (!n.sideKept.empty()) {
        report << "  the plane lies on faces between boxes: where boxes on both sides meet it, "
                  "those at "
               << n.sideKept << " are kept\n";
    }
    if (n.emptyTable) {
        report << "  the table holds no blocks\n";
    } else if (n.blocks == 0) {
        D_3DOT high{};
        D_3DOT low{};
        if (const std::string around = blockAround(mng, table, plane); !around.empty()) {
            report << "  " << around << '\n';
        } else if (mng.getStatResultPos(table, high, low) != 0) {
            report << "  the block centres lie at X " << coordinateRange(low.x, high.x) << ", Y "
                   << coordinateRange(low.y, high.y) << ", Z " << coordinateRange(low.z, high.z)
                   << '\n';
        }
    }
    if (flat(plane) && n.blocks > 0) {
        report << "  layer: the blocks centred at Z = " << formatExact(n.layer)
               << " (a plan keeps the layer of the first block it meets)\n";
    }
    if (n.voids > 0) {
        report << "  void blocks of " << n.voidTable << ": " << n.voids
               << (n.voids == 1 ? " piece" : " pieces")
               << " in the section (the run's old workings, hatched in the drawing)\n";
    }
    if (folded(plane)) {
        report << "  corner 3 lies " << formatNumber(plane.fold)
               << " off the plane of corners 1, 2 and 4: the section is folded along the "
                  "line from corner 1 to corner 3, and drawn flattened\n";
    }
    for (const auto& [path, what] : {std::pair{svg, "drawing"}, std::pair{csv, "list"}}) {
        if (!path.empty()) {
            report << "  " << what << ": " << path << '\n';
        }
    }
}

void runSection(const SectionOptions& o) {
    const std::vector<SeriesSection> series = sectionSeries(o.request);
    std::vector<std::pair<std::string, std::string>> paths;
    for (const SeriesSection& section : series) {
        paths.emplace_back(pathInSeries(o.svg, section, "--svg"),
                           pathInSeries(o.csv, section, "--csv"));
        refuseOutputClash(paths.back().first, paths.back().second, o.db, o.outline);
    }
    SectionDrawing drawing = drawingColouredBy(o.colour);
    const std::optional<PlanOutline> outline = optionalOutline(o.outline);
    drawing.outline = outline ? &*outline : nullptr;
    CVornelMng mng;
    openModel(mng, o.db);
    const std::string table = resultTable(mng, o.db, o.table);
    const Box extent = modelExtent(mng, table);
    for (size_t i = 0; i < series.size(); ++i) {
        cutAndTell(mng, o.db, table, sectionPlane(series[i].request, extent), paths[i].first,
                   paths[i].second, drawing);
    }
}

}  // namespace

void addSectionCommand(CLI::App& app) {
    auto o = std::make_shared<SectionOptions>();
    CLI::App* cmd = app.add_subcommand(
        "section", "The blocks and sub-blocks a section cuts: count, drawing (SVG), list (CSV)");
    addDatabaseOption(cmd, o->db);
    addTableOption(cmd, o->table);
    cmd->add_option("--corners", o->request.corners,
                    "Four corners \"x,y,z x,y,z x,y,z x,y,z\" in order around the section");
    cmd->add_option("--x", o->request.x,
                    "Vertical section at this X, across the model (or at FROM:TO:STEP)");
    cmd->add_option("--y", o->request.y,
                    "Vertical section at this Y, across the model (or at FROM:TO:STEP)");
    cmd->add_option("--z", o->request.z,
                    "Horizontal section at this Z, across the model (or at FROM:TO:STEP)");
    cmd->add_option("--line", o->request.line,
                    "Vertical section along the line \"x1,y1 x2,y2\", top to bottom of the model");
    cmd->add_option("--svg", o->svg, "SVG drawing to write (\"-\" for standard output)");
    cmd->add_option("--csv", o->csv,
                    "CSV list of the cut blocks and sub-blocks to write (\"-\" for standard "
                    "output)");
    cmd->add_option("--colour,--color", o->colour,
                    "Colour the drawing by grade (the default), variance, category, ore type or "
                    "search pass")
        ->check(CLI::IsMember({"grade", "variance", "category", "oretype", "pass"}));
    cmd->add_option("--outline", o->outline,
                    "Draw where a plan outline (a file of its corners' X and Y, or a shapefile) "
                    "meets the section");
    cmd->footer(kFooter);
    cmd->callback([o] { runSection(*o); });
}

}  // namespace vornel::cli
