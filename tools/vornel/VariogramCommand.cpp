// vornel variogram: a run's variogram model as the catalog records it, its
// values at lags along the major, minor and vertical axes, and its curves.
#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>

#include "Commands.h"
#include "CsvWriter.h"
#include "Failure.h"
#include "ModelDatabase.h"
#include "NumberText.h"
#include "OptionChecks.h"
#include "OutputFile.h"
#include "SvgChart.h"
#include "SvgWriter.h"
#include "TextTable.h"
#include "VariogramModel.h"

namespace vornel::cli {
namespace {

struct VariogramOptions {
    std::string db;
    std::string table;
    long run = 0;    // MineID; 0: the table's run, which must be one
    double lag = 0;  // 0: a round step, about a twelfth of the longest range
    std::string csv;
    std::string svg;
};

const char* const kFooter = R"(
The model is the one the catalog records for the run (KrigBlock_Param and
KrigBlock_Vrg_Param): the nugget, and nested structures of type spherical,
exponential or gaussian, each with its share of the sill, the angles of its
anisotropy as recorded (Vrg_Azm/Vrg_Dip/Vrg_Org) and its ranges along the
major, minor and vertical axes they set. Values along the axes are given
only for structures that share their angles. The ranges are
practical ranges: an exponential or gaussian structure reaches 95 % of its
share there. The table gives the variogram at lags from 0 to a fifth past
the longest range along each axis; --csv writes the same with every digit,
--svg draws the three curves with the recorded sill. A table that the
catalog lists for several runs needs --run, the MineID of one of them.

Example:
  vornel variogram demo.db --svg variogram.svg
)";

const char* const kAxes[] = {"major", "minor", "vertical"};
const char* const kColours[] = {"#0072b2", "#d55e00", "#009e73"};

std::vector<double> lagsOf(const VariogramModel& model, double lag) {
    double longest = 0;
    for (const VariogramStructure& s : model.structures) {
        longest = std::max({longest, s.ranges[0], s.ranges[1], s.ranges[2]});
    }
    const double step = lag > 0 ? lag : niceStep(1.2 * longest, 12);
    const double steps = std::ceil(1.2 * longest / step);
    if (!(steps <= 10000)) {
        throw UsageError("--lag: " + formatNumber(step) + " m makes more than 10000 lags up to " +
                         formatNumber(1.2 * longest) + " m");
    }
    std::vector<double> lags;
    for (long k = 0; k <= static_cast<long>(steps); ++k) {
        lags.push_back(stepMultiple(k, step));
    }
    return lags;
}

void writeVariogramSvg(std::ostream& out, const std::string& title, const VariogramModel& model,
                       const std::vector<double>& lags) {
    using namespace chart;
    double largest = model.sill;
    for (int a = 0; a < 3; ++a) {
        for (const double h : lags) {
            largest = std::max(largest, variogramAt(model, a, h));
        }
    }
    const Across across = acrossOf(0, lags.back());
    const ValueAxis gamma = valueAxis(largest, 1);
    writeSvgStart(out, kRight + 40 + textWidth("vertical", 12) + 60, kBottom + kBottomMargin,
                  "path.gamma{fill:none;stroke-width:2}path.lag{display:none}"
                  "line.gamma{stroke-width:2}line.sill{stroke:#222;stroke-dasharray:6 4}");
    writeText(out, kLeft, 32, title, " class=\"title\"");
    writeText(out, kLeft, 54,
              "nugget " + formatNumber(model.nugget) + ", sill " + formatNumber(model.sill));
    writePlot(out, across, "lag (m)");
    writeLeftAxis(out, gamma, "variogram");
    if (model.sill > 0) {
        writeLine(out, kLeft, gamma.yOf(model.sill), kRight, gamma.yOf(model.sill), "sill");
    }
    // The curve at every other pixel, from its jump at the nugget, with a
    // mark at each lag of the table.
    const double end = lags.back();
    for (int a = 0; a < 3; ++a) {
        std::vector<std::optional<Point>> curve = {Point{across.xOf(0), gamma.yOf(0), ""}};
        for (int k = 0; k <= kPlotWidth / 2; ++k) {
            const double h = std::max(end * k / (kPlotWidth / 2), end * 1e-9);
            curve.push_back(Point{across.xOf(h), gamma.yOf(variogramAt(model, a, h)), ""});
        }
        writeCurve(out, "gamma", kColours[a], curve, false);
        std::vector<std::optional<Point>> marks;
        for (const double h : lags) {
            const double g = variogramAt(model, a, h);
            marks.push_back(Point{
                across.xOf(h), gamma.yOf(g),
                std::string(kAxes[a]) + ": " + formatNumber(g) + " at " + formatNumber(h) + " m"});
        }
        writeCurve(out, "lag", kColours[a], marks);
        writeKeyLine(out, kRight + 40, kTop + 6 + kKeyRow * a, "gamma", kColours[a], kAxes[a]);
    }
    out << "</svg>\n";
}

// The run of the table, or of its several the one --run names.
KrigBlockParam runToDraw(CVornelMng& mng, const VariogramOptions& o, const std::string& table) {
    const std::vector<KrigBlockParam> runs = runsOf(mng, table);
    std::string ids;
    for (const KrigBlockParam& r : runs) {
        if (r.MineID == o.run || (o.run == 0 && runs.size() == 1)) {
            return r;
        }
        ids += (ids.empty() ? "" : ", ") + std::to_string(r.MineID);
    }
    if (runs.empty()) {
        throw Failure(o.db + ": the catalog has no run for " + table);
    }
    if (o.run == 0) {
        throw UsageError("--run is needed: the catalog lists " + std::to_string(runs.size()) +
                         " runs for " + table + " (MineID " + ids + ")");
    }
    throw Failure(o.db + ": " + table + " holds no run " + std::to_string(o.run) + " (MineID " +
                  ids + ")");
}

void runVariogram(const VariogramOptions& o) {
    ListAndDrawing files(o.csv, o.svg, o.db, "");
    std::ostream& out = files.table;
    CVornelMng mng;
    openModel(mng, o.db);
    const std::string table = chosenTable(mng, o.db, o.table);
    const KrigBlockParam run = runToDraw(mng, o, table);
    const VariogramModel model = readVariogram(mng, o.db, run);
    const std::vector<double> lags = lagsOf(model, o.lag);
    const std::string title = "Variogram of " + table + " (" + run.Mine_Element + ")";
    out << title << ": nugget " << formatNumber(model.nugget) << ", sill "
        << formatNumber(model.sill) << '\n';
    TextTable structures;
    structures.alignLeft(1);
    structures.add({"structure", "type", "sill", "angles", "major", "minor", "vertical"});
    for (size_t i = 0; i < model.structures.size(); ++i) {
        const VariogramStructure& s = model.structures[i];
        structures.add({std::to_string(i + 1), s.type, formatNumber(s.contribution),
                        anglesText(s.angles), formatNumber(s.ranges[0]), formatNumber(s.ranges[1]),
                        formatNumber(s.ranges[2])});
    }
    structures.print(out);
    if (const size_t off = structureOffAxes(model)) {
        throw Failure(table + ": structures 1 and " + std::to_string(off + 1) +
                      " lie at different angles (" + anglesText(model.structures[0].angles) +
                      " and " + anglesText(model.structures[off].angles) +
                      "), so their axes are not one set of directions; values along the axes "
                      "are given only for structures that share their angles");
    }
    TextTable values;
    values.add({"lag (m)", "major", "minor", "vertical"});
    for (const double h : lags) {
        std::vector<std::string> row = {formatNumber(h)};
        for (int a = 0; a < 3; ++a) {
            row.push_back(formatFixed(variogramAt(model, a, h), 4));
        }
        values.add(row);
    }
    values.print(out);
    if (files.csv) {
        CsvWriter csv(files.csv->stream());
        csv.header({"lag", "major", "minor", "vertical"});
        for (const double h : lags) {
            csv.number(h);
            for (int a = 0; a < 3; ++a) {
                csv.number(variogramAt(model, a, h));
            }
            csv.endRow();
        }
    }
    if (files.svg) {
        writeVariogramSvg(files.svg->stream(), title, model, lags);
    }
    files.commit();
}

}  // namespace

void addVariogramCommand(CLI::App& app) {
    auto o = std::make_shared<VariogramOptions>();
    CLI::App* cmd = app.add_subcommand(
        "variogram", "A run's variogram model: its structures, its values at lags, its curves");
    addDatabaseOption(cmd, o->db);
    addTableOption(cmd, o->table);
    cmd->add_option("--run", o->run, "MineID of the run, where the table holds several")
        ->check(CLI::Range(1L, 2147483647L));
    cmd->add_option("--lag", o->lag, "Lag spacing (m); by default a round step")
        ->check(numberAboveZero());
    cmd->add_option("--csv", o->csv, "The values also as CSV (\"-\" for standard output)");
    cmd->add_option("--svg", o->svg, "The curves as SVG (\"-\" for standard output)");
    cmd->footer(kFooter);
    cmd->callback([o] { runVariogram(*o); });
}

}  // namespace vornel::cli
