// vornel export: a block table as CSV (or GSLIB), one row per block or per
// sub-block, in columns that `vornel import` reads back; or as a VTK file
// for 3D viewers.
#include <strings.h>

#include <algorithm>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>

#include "BlockGrid.h"
#include "ColumnRoles.h"
#include "Commands.h"
#include "CsvWriter.h"
#include "Depletion.h"
#include "ExportVtk.h"
#include "Failure.h"
#include "GradeUnit.h"
#include "GslibHeader.h"
#include "ModelDatabase.h"
#include "OptionChecks.h"
#include "OutputFile.h"
#include "PlanOutline.h"
#include "ProgressBar.h"
#include "RecordFields.h"
#include "TextCodes.h"

namespace vornel::cli {
namespace {

struct ExportOptions {
    std::string db;
    std::string table;
    std::string where;
    std::string output;
    std::string format;
    std::string within;
    bool subBlocks = false;
    bool grid = false;
};

const char* const kFooter = R"(
Columns, one row per block:
  BLOCKID MINEID X Y Z DX DY DZ COEF <element> VARIANCE CATEGORY ORETYPE BOUND
  SUBBLOCKS VOLUME TONNAGE NSAMP AVGDIST PASS
With --subblocks, one row per sub-block (a block without sub-blocks is one
row that fills its parent), the parent's box in PARENT_X .. PARENT_DZ, the
sub-block's in X .. DZ, and the block's tonnage shared out by volume:
  BLOCKID MINEID PARENT_X PARENT_Y PARENT_Z PARENT_DX PARENT_DY PARENT_DZ
  X Y Z DX DY DZ COEF <element> VARIANCE CATEGORY ORETYPE BOUND TONNAGE NSAMP
  AVGDIST PASS
<element> is the run's element from the catalog (GRADE when it has none;
Y_GRADE, K_GRADE and the like for an element named like another column),
with _gpt or _ppm after it for grades in g/t or ppm, which import reads.
A block whose grade is NULL (left so by another tool) has an empty cell
there. Numbers are written so that they read back exactly; a block's
VOLUME and TONNAGE, which the database keeps in single precision, in the
fewest digits that give the same single-precision value (61200.01 for a
61200.012 given, not 61200.01171875). A sub-block's TONNAGE, its share of
its block's, is no stored value: it is written in every digit that reads
back. A table that holds several runs is written one run at a time:
--where "MineID = 2".

--within selects the blocks with ground within an outline in plan (the
file report --within reads): a block partly outside it is written whole,
with all its sub-blocks, as it is stored.

--where takes SQL over the table's columns: Krig_BlockID, MineID,
Krig_PntLocX/Y/Z (centre), Krig_GridSizeX/Y/Z, Block_Coef, Krig_OutAttr
(grade), Krig_OutVari, Krig_ResType (category), Krig_OreType, Krig_Bound,
Block_Vol, Block_CorMass (tonnage), Krig_PntNum, Krig_MeanDis, Srch_Degr.

A void table (old workings) is written whole, one row per void block:
  BLOCKID X Y Z DX DY DZ COEF ORETYPE BOUND SUBBLOCKS
or with --subblocks one per sub-block, which import --voids reads back:
  BLOCKID PARENT_X .. PARENT_DZ X Y Z DX DY DZ COEF ORETYPE BOUND

With --format vtk (the default for an output ending in .vtk) the table is
written for 3D viewers such as ParaView: a legacy VTK file (binary) of
boxes, one per block or with --subblocks one per sub-block, each with the
block's BLOCKID, MINEID, <element> (NaN where there is none), VARIANCE,
COEF, CATEGORY, ORETYPE, BOUND, TONNAGE, NSAMP, AVGDIST and PASS. CATEGORY
and ORETYPE are numbers, 1, 2, ... in the order reports list the names
(each spelling apart: "measured" is not Measured here) and 0 for none; the
command prints what each stands for, and the file's title line holds the
same as far as its 255 bytes go. Void blocks carry BLOCKID, COEF, ORETYPE
and BOUND.

With --format gslib (the default for an output ending in .gslib) the
columns are those of the CSV, in a GSLIB (Geo-EAS) file for geostatistics
programs: a title line (the table, its element and the keys of CATEGORY
and ORETYPE, which are numbers as in VTK; a name holding ", " or "; " is
in double quotes), the number of columns, one line
naming each, then the rows separated by blanks; -999 stands for a grade
there is none of, and import leaves such rows out (the command counts
blocks whose grade is -999 itself, which are lost so); import reads the
numbers back as the names the keys give them. With --grid the file is
a GSLIB grid: the blocks, all of one size (a block with sub-blocks as its
parent's box) on one lattice, in every cell of the grid around them, X
first, then Y, then Z, the cells NX NY NZ after the number of columns, and
a row of -999 for each cell without a block; import reads a block with
sub-blocks back only whole, with --ignore SUBBLOCKS.

Examples:
  vornel export demo.db --table CU_DEMO --where "Krig_OutAttr >= 1" -o rich.csv
  vornel export demo.db --subblocks -o subblocks.csv
  vornel export demo.db --table OLD_WORKINGS --subblocks -o workings.csv
  vornel export demo.db --subblocks -o model.vtk
  vornel export demo.db -o model.gslib
  vornel export demo.db --grid -o grid.gslib
  vornel export demo.db --within licence.csv -o licence.vtk
)";

void writeBlockColumns(CsvWriter& csv, const KrigBlockResult& b) {
    csv.integer(b.Krig_BlockID).integer(b.MineID);
}

// The text columns as numbers, in a file that holds numbers only.
struct TextColumns {
    std::optional<TextCodes> category;
    std::optional<TextCodes> oreType;
};

void writeText(CsvWriter& csv, const std::optional<TextCodes>& codes, long i, const char* text) {
    if (codes) {
        csv.integer(codes->codeOf[static_cast<size_t>(i)]);
    } else {
        csv.text(text);
    }
}

// A block without a grade gets an empty cell, which import refuses rather
// than read as a grade, or in a GSLIB file the -999 it leaves out.
void writeEstimate(CsvWriter& csv, const KrigBlockResult* blocks, long i,
                   const UngradedBlocks& ungraded, const TextColumns& texts) {
    const KrigBlockResult& b = blocks[i];
    csv.number(b.Block_Coef);
    if (ungraded.has(b)) {
        csv.missing();
    } else {
        csv.number(b.Krig_OutAttr);
    }
    csv.number(b.Krig_OutVari);
    writeText(csv, texts.category, i, b.Krig_ResType);
    writeText(csv, texts.oreType, i, b.Krig_OreType);
}

void writeSearch(CsvWriter& csv, const KrigBlockResult& b) {
    csv.integer(b.Krig_PntNum).number(b.Krig_MeanDis).integer(b.Srch_Degr);
}

// After block i of count; no bar where the rows go to standard output.
void showProgress(ProgressBar* bar, long i, long count) {
    if (bar != nullptr) {
        bar->update(static_cast<double>(i + 1) / static_cast<double>(count));
    }
}

void writeBox(CsvWriter& csv, const Box& box) {
    csv.number(box.centre.x).number(box.centre.y).number(box.centre.z);
    csv.number(box.size.x).number(box.size.y).number(box.size.z);
}

// The blocks in their order, or every cell of their grid, -999 in each
// column of a cell without a block: the rows written.
long writeBlocks(CsvWriter& csv, const std::string& element, const KrigBlockResult* blocks,
                 long count, const UngradedBlocks& ungraded, const TextColumns& texts,
                 const std::string& title, const BlockGrid* grid, ProgressBar* bar) {
    const std::vector<std::string> names = {
        "BLOCKID",   "MINEID", "X",       "Y",        "Z",        "DX",      "DY",
        "DZ",        "COEF",   element,   "VARIANCE", "CATEGORY", "ORETYPE", "BOUND",
        "SUBBLOCKS", "VOLUME", "TONNAGE", "NSAMP",    "AVGDIST",  "PASS"};
    csv.header(names, title,
               grid == nullptr
                   ? ""
                   : std::to_string(grid->cells[0]) + " " + std::to_string(grid->cells[1]) + " " +
                         std::to_string(grid->cells[2]));
    const auto writeRow = [&](long i) {
        const KrigBlockResult& b = blocks[i];
        writeBlockColumns(csv, b);
        writeBox(csv, boxOf(b));
        writeEstimate(csv, blocks, i, ungraded, texts);
        csv.integer(b.Krig_Bound != 0 ? 1 : 0).integer(b.SubBUD_Num);
        csv.single(b.Block_Vol).single(b.Block_CorMass);
        writeSearch(csv, b);
        csv.endRow();
    };
    if (grid == nullptr) {
        for (long i = 0; i < count; ++i) {
            writeRow(i);
            showProgress(bar, i, count);
        }
        return count;
    }
    const auto cells = static_cast<long>(grid->blockOf.size());
    for (long c = 0; c < cells; ++c) {
        const int32_t i = grid->blockOf[static_cast<size_t>(c)];
        if (i >= 0) {
            writeRow(i);
        } else {
            std::for_each(names.begin(), names.end(), [&](const std::string&) { csv.missing(); });
            csv.endRow();
        }
        showProgress(bar, c, cells);
    }
    return cells;
}

long writeSubBlocks(CsvWriter& csv, const std::string& element, const KrigBlockResult* blocks,
                    long count, const UngradedBlocks& ungraded, const TextColumns& texts,
                    const std::string& title, ProgressBar* bar) {
    const KrigBlockResult* flat = std::find_if(
        blocks, blocks + count, [](const KrigBlockResult& b) { return !sharedByVolume(b); });
    if (flat != blocks + count) {
        throw Failure("block " + std::to_string(flat->Krig_BlockID) +
                      " has sub-blocks of no volume, among which its tonnage cannot be shared "
                      "out ('vornel check' lists such blocks); export the blocks whole, without "
                      "--subblocks");
    }
    csv.header({"BLOCKID",   "MINEID",    "PARENT_X", "PARENT_Y", "PARENT_Z", "PARENT_DX",
                "PARENT_DY", "PARENT_DZ", "X",        "Y",        "Z",        "DX",
                "DY",        "DZ",        "COEF",     element,    "VARIANCE", "CATEGORY",
                "ORETYPE",   "BOUND",     "TONNAGE",  "NSAMP",    "AVGDIST",  "PASS"},
               title);
    long rows = 0;
    for (long i = 0; i < count; ++i) {
        const KrigBlockResult& b = blocks[i];
        forEachPiece(b, [&](const Box& piece, double share) {
            writeBlockColumns(csv, b);
            writeBox(csv, boxOf(b));
            writeBox(csv, piece);
            writeEstimate(csv, blocks, i, ungraded, texts);
            csv.integer(b.Krig_Bound != 0 ? 1 : 0);
            // A piece that is its whole block has the tonnage as stored.
            if (share == 1.0) {
                csv.single(b.Block_CorMass);
            } else {
                csv.number(b.Block_CorMass * share);
            }
            writeSearch(csv, b);
            csv.endRow();
            ++rows;
        });
        showProgress(bar, i, count);
    }
    return rows;
}

long writeVoids(CsvWriter& csv, const KrigBlockVoid* voids, long count, bool subBlocks,
                const std::optional<TextCodes>& oreTypes, const std::string& title,
                ProgressBar* bar) {
    const std::vector<std::string> box = {"X", "Y", "Z", "DX", "DY", "DZ"};
    std::vector<std::string> header = {"BLOCKID"};
    if (subBlocks) {
        std::transform(box.begin(), box.end(), std::back_inserter(header),
                       [](const std::string& c) { return "PARENT_" + c; });
    }
    header.insert(header.end(), box.begin(), box.end());
    header.insert(header.end(), {"COEF", "ORETYPE", "BOUND"});
    if (!subBlocks) {
        header.emplace_back("SUBBLOCKS");
    }
    csv.header(header, title);
    long rows = 0;
    for (long i = 0; i < count; ++i) {
        const KrigBlockVoid& v = voids[i];
        for (const Box& piece : subBlocks ? groundOf(v) : std::vector<Box>{boxOf(v)}) {
            csv.integer(v.Krig_BlockID);
            if (subBlocks) {
                writeBox(csv, boxOf(v));
            }
            writeBox(csv, piece);
            csv.number(v.Block_Coef);
            writeText(csv, oreTypes, i, v.Krig_OreType);
            csv.integer(v.Krig_Bound != 0 ? 1 : 0);
            if (!subBlocks) {
                csv.integer(v.SubBUD_Num);
            }
            csv.endRow();
            ++rows;
        }
        showProgress(bar, i, count);
    }
    return rows;
}

// How many blocks an outline kept, and of those how many it cuts.
struct BlocksWithin {
    long kept = 0;
    long across = 0;
};

// Puts the blocks with ground within the outline first, in their order.
// The records are swapped, so that the cache still holds each sub-block
// array once.
BlocksWithin keepWithin(KrigBlockResult* blocks, long count, const PlanOutline& within) {
    const VoidGround none;
    BlocksWithin r;
    for (long i = 0; i < count; ++i) {
        const double share = groundOfBlock(blocks[i], none, &within).shareInside();
        if (share > 0) {
            r.across += share < 1 ? 1 : 0;
            std::swap(blocks[r.kept++], blocks[i]);
        }
    }
    return r;
}

// Blocks whose grade is GSLIB's code for none: the file cannot tell them
// from blocks without a grade, and import leaves both out.
long gradedAsNone(const KrigBlockResult* blocks, long count, const UngradedBlocks& ungraded) {
    return std::count_if(blocks, blocks + count, [&](const KrigBlockResult& b) {
        return b.Krig_OutAttr == kGslibNoGrade && !ungraded.has(b);
    });
}

// --format, or the one the output's name ends in: csv, vtk or gslib.
std::string formatOf(const ExportOptions& o) {
    if (!o.format.empty()) {
        return o.format;
    }
    for (const char* format : {"vtk", "gslib"}) {
        const std::string suffix = std::string(".") + format;
        if (o.output.size() > suffix.size() &&
            strcasecmp(o.output.c_str() + o.output.size() - suffix.size(), suffix.c_str()) == 0) {
            return format;
        }
    }
    return "csv";
}

void runExport(const ExportOptions& o) {
    refuseDatabaseAsOutput(o.output, o.db);
    refuseOutlineAsOutput(o.output, o.within);
    CVornelMng mng;
    openModel(mng, o.db);
    const bool voidTable = !o.table.empty() && isVoidTable(mng, o.table);
    for (const auto& [option, given] : {std::pair{"--where", !o.where.empty()},
                                        {"--within", !o.within.empty()},
                                        {"--grid", o.grid}}) {
        if (voidTable && given) {
            throw UsageError(std::string(option) + ": the void table " + o.table +
                             " is written whole");
        }
    }
    const std::string table = voidTable ? o.table : resultTable(mng, o.db, o.table);
    const std::string format = formatOf(o);
    const bool vtk = format == "vtk";
    if (o.grid && (format != "gslib" || o.subBlocks)) {
        throw UsageError(
            "--grid writes a run's blocks as a GSLIB file, one row a cell: give "
            "--format gslib (or an output ending in .gslib), without --subblocks");
    }
    if (vtk && o.output.empty()) {
        throw UsageError(
            "--format vtk: a VTK file is binary; name it with -o (\"-o -\" for standard output)");
    }
    // An output that cannot be written is found before a long read.
    std::unique_ptr<OutputFile> file;
    if (!o.output.empty()) {
        file = std::make_unique<OutputFile>(o.output);
    }
    const std::optional<PlanOutline> outline = optionalOutline(o.within);
    KrigBlockVoid* voids = nullptr;
    KrigBlockResult* blocks = nullptr;
    long count = 0;
    std::optional<UngradedBlocks> ungraded;
    std::optional<UngradedBlocks> unplaced;
    std::string element;
    if (voidTable) {
        count = readVoids(mng, o.db, table, &voids);
    } else {
        ungraded.emplace(mng, table);
        unplaced.emplace(mng, table, kPlaceColumns);
        const std::vector<KrigBlockParam> runs = runsOf(mng, table);
        count = readBlocks(mng, table, o.where, &blocks);
        const std::optional<KrigBlockParam> run = runOfBlocks(mng, runs, blocks, count);
        element = withGradeUnit(
            gradeColumnName(run && run->Mine_Element[0] != '\0' ? std::string(run->Mine_Element)
                                                                : "GRADE"),
            gradeUnitOfCode(run ? run->OreAttr_Unit : 0));
    }
    const long read = count;
    std::optional<BlocksWithin> within;
    if (outline) {
        within = keepWithin(blocks, count, *outline);
        count = within->kept;
    }

    std::optional<ProgressBar> bar;
    if (file && !isStandardOutput(o.output)) {
        bar.emplace("writing " + o.output);
    }
    ProgressBar* shown = bar ? &*bar : nullptr;
    std::ostream& out = file ? file->stream() : std::cout;
    long rows = 0;
    std::vector<std::string> keys;
    bool keysCut = false;
    std::optional<BlockGrid> grid;
    if (vtk) {
        const VtkExport written =
            voidTable
                ? writeVoidsVtk(out, table, voids, count, o.subBlocks, shown)
                : writeBlocksVtk(out, table, element, blocks, count, *ungraded, o.subBlocks, shown);
        rows = written.cells;
        keys = written.keys;
        keysCut = written.titleCut;
    } else {
        // GSLIB files hold numbers only.
        const bool gslib = format == "gslib";
        if (o.grid) {
            if (within && count == 0) {
                throw Failure(o.within +
                              ": no block has ground within this outline to lay on a grid");
            }
            grid = gridOf(blocks, count);
        }
        TextColumns texts;
        if (gslib) {
            texts.oreType = voidTable ? oreTypeCodes(voids, count) : oreTypeCodes(blocks, count);
            if (!voidTable) {
                texts.category = categoryCodes(blocks, count);
            }
            keys = keysOf({texts.category ? texts.category->key : "", texts.oreType->key});
        }
        const std::string title =
            titleOf(table + (voidTable ? " (void blocks)" : " (" + element + ")"), keys);
        CsvWriter csv(out, gslib ? TableLayout::Gslib : TableLayout::Csv);
        rows = voidTable ? writeVoids(csv, voids, count, o.subBlocks, texts.oreType, title, shown)
               : o.subBlocks
                   ? writeSubBlocks(csv, element, blocks, count, *ungraded, texts, title, shown)
                   : writeBlocks(csv, element, blocks, count, *ungraded, texts, title,
                                 grid ? &*grid : nullptr, shown);
    }
    bar.reset();
    if (file) {
        file->commit();
    }
    if (file && !isStandardOutput(o.output)) {
        if (grid) {
            std::cout << "Wrote the " << cellsText(grid->cells) << " cells of the grid of " << table
                      << " to " << o.output << " (GSLIB), " << count
                      << (count == 1 ? " block" : " blocks") << " among them\n";
        } else {
            const char* unit = vtk           ? (rows == 1 ? " cell of " : " cells of ")
                               : o.subBlocks ? (rows == 1 ? " row of " : " rows of ")
                                             : (rows == 1 ? " of " : "s of ");
            std::cout << "Wrote " << rows << (o.subBlocks ? " sub-block" : " block") << unit
                      << table << " to " << o.output
                      << (vtk                 ? " (VTK)"
                          : format == "gslib" ? " (GSLIB)"
                                              : "")
                      << '\n';
        }
        if (within) {
            std::cout << "  within " << o.within << ": " << within->kept << " of " << read
                      << (read == 1 ? " block" : " blocks") << ", " << within->across
                      << " of them partly outside it and written whole\n";
        }
        for (const std::string& key : keys) {
            std::cout << "  " << key << '\n';
        }
        if (keysCut) {
            std::cout << "  (the file's title holds these in part: a VTK title has at most 255 "
                         "bytes)\n";
        }
    }
    // What import cannot read back is said even where the rows go to
    // standard output.
    std::ostream& losses = file && !isStandardOutput(o.output) ? std::cout : std::cerr;
    const long asNone =
        format == "gslib" && !voidTable ? gradedAsNone(blocks, count, *ungraded) : 0;
    if (asNone > 0) {
        losses << "  " << asNone << (asNone == 1 ? " block has" : " blocks have")
               << " the grade -999 itself, which the file holds as no grade: import leaves "
               << (asNone == 1 ? "it" : "them") << " out (a CSV file keeps "
               << (asNone == 1 ? "it" : "them") << ")\n";
    }
    const long noPlace =
        voidTable ? 0 : std::count_if(blocks, blocks + count, [&](const KrigBlockResult& b) {
            return unplaced->has(b);
        });
    if (noPlace > 0) {
        losses << "  " << noPlace << (noPlace == 1 ? " block has" : " blocks have")
               << " a centre or size stored as no number (empty, text or bytes), written as 0 "
                  "or as the number a text begins with: 'vornel check' lists them\n";
    }
    const long noGrade =
        voidTable || vtk ? 0 : std::count_if(blocks, blocks + count, [&](const KrigBlockResult& b) {
            return ungraded->has(b);
        });
    if (noGrade > 0) {
        losses << "  " << noGrade << (noGrade == 1 ? " block has" : " blocks have")
               << " no grade (stored as no number: empty, text or bytes): "
               << (format == "gslib" ? "-999 in the file, which import leaves out"
                                     : "an empty cell, which import refuses")
               << "; --where \"typeof(Krig_OutAttr) IN ('integer', 'real')\" writes the "
                  "others alone\n";
    }
}

}  // namespace

void addExportCommand(CLI::App& app) {
    auto o = std::make_shared<ExportOptions>();
    CLI::App* cmd = app.add_subcommand(
        "export",
        "Write a block table as CSV or GSLIB, one row per block or sub-block, or as VTK for 3D "
        "viewers");
    addDatabaseOption(cmd, o->db);
    cmd->add_option("-t,--table", o->table,
                    "Block table to write (may be left out when the database holds one)");
    cmd->add_option("--where", o->where,
                    "SQL condition on the table's columns, e.g. \"Krig_OutAttr >= 0.5\"");
    cmd->add_flag("--subblocks", o->subBlocks, "One row per sub-block instead of per block");
    cmd->add_flag("--grid", o->grid,
                  "With --format gslib: a row for every cell of the blocks' grid, X first, -999 "
                  "where no block lies");
    cmd->add_option("-o,--output", o->output,
                    "File to write (standard output when not given or \"-\", but for a VTK "
                    "file, which takes \"-o -\"); it appears only when complete");
    cmd->add_option("--format", o->format,
                    "csv; vtk for 3D viewers, gslib for geostatistics programs (the default for "
                    "an output ending in .vtk or .gslib)")
        ->check(CLI::IsMember({"csv", "vtk", "gslib"}));
    cmd->add_option("--within", o->within,
                    "Only the blocks with ground within a plan outline: a file of its corners' X "
                    "and Y, or a shapefile (.shp) of polygons");
    cmd->footer(kFooter);
    cmd->callback([o] { runExport(*o); });
}

}  // namespace vornel::cli
