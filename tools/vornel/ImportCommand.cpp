// vornel import: a block model file into a new block table, in one
// transaction.
#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>

#include "ColumnRoles.h"
#include "Commands.h"
#include "Failure.h"
#include "GradeUnit.h"
#include "Interrupt.h"
#include "ModelDatabase.h"
#include "ModelFacts.h"
#include "ModelFile.h"
#include "NumberText.h"
#include "OptionChecks.h"
#include "OutputFile.h"
#include "RunRecord.h"
#include "Stopwatch.h"
#include "Utf8.h"

namespace vornel::cli {
namespace {

struct ImportOptions {
    std::string db;
    std::string file;
    std::string table;
    std::string element;
    std::string grade;
    std::vector<std::string> columns;
    std::vector<std::string> unread;  // --ignore
    std::string blockSize;
    std::string origin;
    std::string grid;
    std::optional<double> missing;
    double density = 0;
    std::string description;
    std::string unit;  // empty: from the grade column's name, else %
    std::string voidTable;
    bool voids = false;
    bool check = false;
};

// What the catalog's description field keeps, less its terminator.
constexpr size_t kLongestDescription = sizeof(KrigBlockParam::Krig_Result_Name) - 1;

const char* const kFooter = R"(
Formats: comma-, semicolon- or tab-separated (CSV, fields may be quoted;
each separator ends one field, which may be empty; between semicolons a
number may have a decimal comma, 502,5) or separated by runs of
blanks, found from the first row (in which the tabs of a tab-separated file
stand alone between fields, or lead it, as a data frame's index column
without a name does). Lines starting with #, and rows of empty
fields (as a spreadsheet leaves below its data), are skipped. The
first row is the header when none of its fields is a number; a file without
a header needs --columns.

GSLIB (Geo-EAS) files, as kriging programs such as kt3d write their
estimates, are found by their header: a title line, the number of
variables (in a grid file followed by its cells NX NY NZ), one line naming
each variable, then rows separated by blanks. Rows whose grade is -999 (or
--missing) are blocks not estimated and are left out. Rows without position
columns fill the grid's cells in order, X first, then Y, then Z: give the
cells with --grid unless the header does, the block size with --block-size
and with --origin the lower corner of the first cell (GSLIB's xmn, ymn, zmn
are its centre).

Columns are found by name, in any letter case (other columns are ignored,
and so are those named with --ignore):
  block centre     X Y Z, XC YC ZC, XCENTRE.., EAST NORTH ELEV, RL
  block size       DX DY DZ, XINC YINC ZINC, XSIZE.., SIZEX..
  grid indices     I J K (IX IY IZ)
  parent block     BLOCKID, PARENT, PARENT_ID, PID, IJK; PARENT_X.. PARENT_DZ
  grade            the element's name: CU, Cu_pct, CU%, Au g/t (or --grade
                   NAME); a unit at its end is the grades' unit (see --unit)
  also             VARIANCE (KVAR, CU_VAR, EstimationVariance), CATEGORY
                   (CLASS, RESCAT), ORETYPE (ROCK, DOMAIN), TONNAGE (TONNES),
                   DENSITY (SG), NSAMP, AVGDIST, PASS, COEF, BOUND (not 0 for
                   a block on the boundary; one with sub-blocks always is),
                   SUBBLOCKS (a block counting sub-blocks must come with them:
                   export --subblocks)

Positions: without size columns every row is a whole block of --block-size.
Its I/J/K are grid indices; so are its X/Y/Z when --origin is given (the
lower corner of block 0,0,0; a MineLib model is read this way) and no
I/J/K or IJK column is, block centres otherwise.

Sub-blocks: rows that share a parent id, an IJK value, I/J/K beside
X/Y/Z coordinates, or else the same PARENT_* box are the sub-blocks of one
block. Without such columns, rows with size columns are grouped by the
--block-size cell (from --origin, default 0,0,0) that holds their centre.
The parent box comes from the PARENT_* columns, else from that grid cell,
else it is the box around its rows. A block's grade is its rows' mean
weighed by their tonnes (so the metal is kept; by their volumes when a
row's tonnes are unknown), its variance their volume-weighted mean, its
coefficient the fraction of the parent they fill, its tonnage their sum
(or volume times density). A single row filling its parent is a whole
block; the category, ore type and search figures of a block are those of
its largest row.

The database keeps volume and tonnage in single precision (about seven
digits: 61200.012 t is kept as 61200.0117), AVGDIST as a whole number (cut
toward zero), and the catalog's grid to three decimals.

The run is registered in the catalog (KrigBlock_Param) and its blocks are
numbered 1, 2, ... in file order. Nothing is written until the whole file has
been read, and then everything is written in one transaction: after a
failure the database is as it was (a database the import created is removed).
With --check the file is read and checked as for an import, and what the
import would store is told, but nothing is written and no database made.

With --voids the file holds void blocks (old workings, mined-out ground):
no grade and no --element; their boxes and sub-blocks are read as blocks'
are, into a new void table (--table) that the catalog registers. A run is
used with it when its blocks are imported with --void-table, before or
after; report --deplete takes the void blocks' ground off the run's blocks.

Examples:
  vornel import marvin.db marvin.blocks --table MARVIN --element Cu \
      --block-size 30 --origin 0,0,0
  vornel import pit.db stopes.csv --table STOPES --voids
  vornel import pit.db model.csv --table AU_2026 --element Au --check
  vornel import pit.db kt3d.out --table CU_OK --element Cu --grade Estimate \
      --grid 40,30,10 --block-size 10 --origin 500000,3000000,-200
)";

// Whole numbers from 1 up: the blocks of a run are numbered in 32 bits.
GridCells parseCells(const std::string& text) {
    const D_3DOT n = parsePoint(text, "--grid", false);
    GridCells cells{};
    const double counts[] = {n.x, n.y, n.z};
    for (size_t a = 0; a < 3; ++a) {
        if (!(counts[a] >= 1) || counts[a] != std::floor(counts[a])) {
            throw UsageError("--grid: the cells along X, Y and Z are whole numbers from 1, got '" +
                             text + "'");
        }
        if (counts[a] > INT32_MAX) {
            throw UsageError("--grid: " + formatExact(counts[a]) + " cells along " + "XYZ"[a] +
                             " are more blocks than a run numbers (2147483647)");
        }
        cells[a] = static_cast<long>(counts[a]);
    }
    if (cellCount(cells) > INT32_MAX) {
        throw UsageError("--grid: " + cellsText(cells) +
                         " cells are more blocks than a run numbers (2147483647)");
    }
    return cells;
}

ModelFileOptions fileOptions(const ImportOptions& o) {
    ModelFileOptions f;
    f.element = o.element;
    f.gradeColumn = o.grade;
    f.columns = o.columns;
    f.unread = o.unread;
    if (!o.blockSize.empty()) {
        f.grid.blockSize = parsePoint(o.blockSize, "--block-size", true);
        const D_3DOT& s = *f.grid.blockSize;
        if (s.x <= 0 || s.y <= 0 || s.z <= 0) {
            throw UsageError("--block-size: sizes must be above 0");
        }
    }
    if (!o.origin.empty()) {
        f.grid.origin = parsePoint(o.origin, "--origin", false);
    }
    if (!o.grid.empty()) {
        f.grid.cells = parseCells(o.grid);
    }
    if (o.density > 0) {
        f.grid.density = o.density;
    }
    f.missing = o.missing;
    return f;
}

std::string descriptionOf(const ImportOptions& o) {
    return o.description.empty()
               ? "imported from " + std::filesystem::path(o.file).filename().string()
               : o.description;
}

RunNames runNames(const ImportOptions& o, const GradeUnit& unit) {
    RunNames names;
    names.description = descriptionOf(o);
    names.element = o.element;
    names.table = o.table;
    names.voidTable = o.voidTable;
    names.unitCode = unit.code;
    return names;
}

void writeRun(CVornelMng& mng, const ImportOptions& o, const GradeUnit& unit, BlockList& blocks,
              bool fresh) {
    HostTransaction transaction(mng, o.db);
    if (fresh) {
        // A new database gets its catalog with the run, in one transaction:
        // until then no other import takes the file for a model and writes
        // into it, which a failure of this one would remove.
        createCatalog(mng, o.db);
    }
    // Creating a table replaces one of that name: one of the catalog's, or
    // one that another import made while this one read its file. Only a
    // check under the write lock keeps them.
    refuseExistingTable(mng, o.db, o.table, "import");
    if (o.voids) {
        check(mng, mng.createBlockVoidTbl(o.table), o.db);
        VoidList voids;
        moveIntoVoids(blocks, voids);
        insertVoids(mng, o.table, registerVoidTable(mng, o.table, descriptionOf(o)), voids);
        transaction.commit("storing " + o.table + " in " + o.db);
        return;
    }
    check(mng, mng.createBlockResultTbl(o.table), o.db);
    KrigBlockParam run = describeRun(blocks, runNames(o, unit));
    const long mineId = registerRun(mng, run);
    insertBlocks(mng, o.table, mineId, blocks);
    transaction.commit("storing " + o.table + " in " + o.db);
}

// What to say of blocks with a grade below 0; empty when none has one.
std::string negativeGradeNote(const BlockList& blocks) {
    long negative = 0;
    double lowest = 0;
    for (const KrigBlockResult& b : blocks.all()) {
        negative += b.Krig_OutAttr < 0 ? 1 : 0;
        lowest = std::min(lowest, b.Krig_OutAttr);
    }
    if (negative == 0) {
        return "";
    }
    return std::to_string(negative) + (negative == 1 ? " block has" : " blocks have") +
           " a negative grade (down to " + formatNumber(lowest) +
           "), as some programs write for a block not estimated; such grades count in reports "
           "and drawings";
}

// Writes the run into the database at `file`, creating it when `fresh`; a
// database created is removed again when the write fails or is interrupted.
void writeNewRun(CVornelMng& mng, const ImportOptions& o, const GradeUnit& unit, BlockList& blocks,
                 const std::string& file, bool fresh) {
    std::optional<RemovedIfInterrupted> unfinished;
    if (fresh) {
        // Named before it is made: stopped while making it, the import
        // would leave an empty file that every command then refuses.
        unfinished.emplace(file, true);
        if (mng.createDatabase(file) == 0) {
            unfinished.reset();  // the file there is another's
            std::error_code ignored;
            if (std::filesystem::exists(file, ignored)) {
                throw Failure(o.db + ": another command created it while this import read " +
                              o.file + "; import again");
            }
            check(mng, 0, o.db);
        }
    }
    try {
        writeRun(mng, o, unit, blocks, fresh);
    } catch (const Failure&) {
        if (fresh) {
            mng.clearDatabase();
            removeModelFiles(file);
        }
        throw;
    }
}

// The rows read, those left out, and the columns nothing was read from.
std::string rowsRead(const ModelFileReport& report) {
    std::string text = std::to_string(report.rows);
    if (report.leftOut > 0) {
        text += " (" + std::to_string(report.leftOut) + " whose grade is " +
                formatNumber(*report.missing) + ", blocks not estimated, left out)";
    }
    std::string ignored;
    for (const std::string& name : report.ignoredColumns) {
        ignored += (ignored.empty() ? "" : ", ") + name;
    }
    return ignored.empty() ? text : text + " (ignored columns: " + ignored + ")";
}

// How the file was read: "GSLIB file "kt3d", rows filling a 4 x 3 x 2 grid in order".
std::string layoutOf(const ModelFileReport& report) {
    std::string text = report.gslibTitle          ? "GSLIB file \"" + *report.gslibTitle + "\""
                       : report.separator == ','  ? "comma-separated"
                       : report.separator == ';'  ? "semicolon-separated"
                       : report.separator == '\t' ? "tab-separated"
                                                  : "whitespace-separated";
    if (report.cellsInOrder) {
        text += ", rows filling a " + cellsText(*report.cellsInOrder) + " grid in order";
    } else if (report.positionsAreIndices) {
        text += ", positions as grid indices";
    }
    return text;
}

// What the void table holds, or would hold after a check: `summary`.
void printVoidsImported(CVornelMng& mng, const ImportOptions& o, const ModelFileReport& report,
                        const std::string& summary) {
    printFact(std::cout, "void table", o.table + ": " + summary);
    printFact(std::cout, "rows", rowsRead(report));
    // The runs imported before their void table, with --void-table.
    std::vector<_STRU_MINE_NAMEINFO> runs;
    mng.getAllKrigTblName(runs);
    std::string tables;
    for (const _STRU_MINE_NAMEINFO& r : runs) {
        const std::optional<KrigBlockParam> run = runOfTable(mng, r.TableName);
        if (run && strcasecmp(run->VoidTable_Name, o.table.c_str()) == 0) {
            tables += (tables.empty() ? "" : ", ") + std::string(r.TableName);
        }
    }
    printFact(
        std::cout, "used with",
        tables.empty() ? "no run yet: import a run's blocks with --void-table " + o.table : tables);
}

void runImport(const ImportOptions& o) {
    Stopwatch clock;
    checkNewTableName(o.table, "--table");
    if (!o.voids) {
        if (o.element.empty()) {
            throw UsageError("--element is required (or --voids for a file of void blocks)");
        }
        checkNewName(o.element, "--element");
        // The catalog marks a void table's row with this element.
        if (strcasecmp(o.element.c_str(), kVoidElement) == 0) {
            throw UsageError("--element '" + o.element +
                             "': the catalog reserves this name for void tables");
        }
    }
    if (!isPrintableText(o.description)) {
        // Not repeated: it would break the line, or the terminal.
        throw UsageError(
            "--name: a description is one line of UTF-8 text, without control characters");
    }
    if (o.description.size() > kLongestDescription) {
        throw UsageError("--name: " + std::to_string(o.description.size()) +
                         " bytes; the catalog keeps " + std::to_string(kLongestDescription) +
                         " at most");
    }
    if (!o.voidTable.empty()) {
        checkNewTableName(o.voidTable, "--void-table");
        if (strcasecmp(o.voidTable.c_str(), o.table.c_str()) == 0) {
            throw UsageError("--void-table '" + o.voidTable +
                             "': the run's own blocks cannot be its void blocks");
        }
    }
    const GradeUnit* const named = o.unit.empty() ? nullptr : &gradeUnitNamed(o.unit);
    const ModelFileOptions options = fileOptions(o);

    CVornelMng mng;
    // A symbolic link at the path names where a new database goes.
    const std::string file = followLinks(o.db);
    std::error_code unreadable;
    const bool fresh = !std::filesystem::exists(file, unreadable);
    if (unreadable) {
        throw Failure(o.db + ": cannot be read: " + unreadable.message());
    }
    if (!fresh) {
        openModel(mng, o.db);
        // Refused before a long read; writeRun checks again under the lock.
        refuseExistingTable(mng, o.db, o.table, "import");
        if (!o.voidTable.empty() && isBlockTable(mng, o.voidTable)) {
            throw Failure(o.db + ": --void-table '" + o.voidTable +
                          "' holds a run's blocks, not void blocks");
        }
    }
    BlockList blocks;
    const ModelFileReport report = readModelFile(o.file, options, blocks);
    const GradeUnit* const inName = gradeUnitInName(report.gradeColumn);
    const GradeUnit& unit = named != nullptr    ? *named
                            : inName != nullptr ? *inName
                                                : gradeUnitOfCode(0);
    const std::string negative = negativeGradeNote(blocks);
    if (!o.check) {
        writeNewRun(mng, o, unit, blocks, file, fresh);
        // What follows reads the stored blocks back, into as much memory.
        blocks.clear();
    }
    std::cout << (o.check ? "Checked " : "Imported ") << o.file << " (" << layoutOf(report)
              << (o.check ? "): nothing was written to " : ") into ") << o.db << '\n';
    if (o.voids) {
        VoidList voids;
        if (o.check) {
            moveIntoVoids(blocks, voids);
        }
        printVoidsImported(mng, o, report,
                           voidSummary(o.check ? factsOfVoids(voids.all().data(), voids.size())
                                               : readVoidFacts(mng, o.db, o.table)));
        printFact(std::cout, "took", clock.text());
        return;
    }
    const std::optional<KrigBlockParam> stored =
        o.check ? describeRun(blocks, runNames(o, unit)) : runOfTable(mng, o.table);
    if (!stored) {
        throw Failure(o.db + ": the run of " + o.table + " cannot be read back");
    }
    const KrigBlockParam& run = *stored;
    // Without a unit given or in the column's name, % is only the default:
    // gold, named plainly Au, is most often in g/t, and Au_ppb names a unit
    // this command does not know.
    const bool guessed = named == nullptr && inName == nullptr;
    printFact(std::cout, "run",
              (o.check ? std::string("new") : std::to_string(run.MineID)) + ", table " + o.table +
                  ", element " + o.element + " (" + unit.name +
                  (guessed ? ", as no unit was given: --unit if '" + report.gradeColumn +
                                 "' holds another"
                           : "") +
                  ")");
    printFact(std::cout, "rows", rowsRead(report));
    printTableFacts(std::cout,
                    o.check ? factsOfBlocks(blocks.all().data(), blocks.size(), 0, nullptr)
                            : readTableFacts(mng, o.table, run.MineID),
                    o.element, unit);
    printFact(std::cout, "extent",
              "X " + coordinateRange(run.Grid_StartX, run.Grid_EndX) + ", Y " +
                  coordinateRange(run.Grid_StartY, run.Grid_EndY) + ", Z " +
                  coordinateRange(run.Grid_StartZ, run.Grid_EndZ));
    // Rows in grid order hold no place of their own: the origin places them.
    if (report.cellsInOrder && o.origin.empty()) {
        printFact(std::cout, "note",
                  "the grid's first cell starts at 0,0,0, as no --origin gave its lower corner");
    }
    if (report.severalSizesUngrouped) {
        printFact(std::cout, "note",
                  "the rows have several sizes and nothing groups them, so each is a block; "
                  "give --block-size to gather sub-blocks into their parent blocks");
    }
    if (!negative.empty()) {
        printFact(std::cout, "note", negative);
    }
    if (o.density > 0 && report.tonnesInFile) {
        printFact(std::cout, "note",
                  "--density was not used: the file's TONNAGE or DENSITY column gives the tonnes");
    }
    printFact(std::cout, "took", clock.text());
}

}  // namespace

void addImportCommand(CLI::App& app) {
    auto o = std::make_shared<ImportOptions>();
    CLI::App* cmd = app.add_subcommand(
        "import",
        "Read a block model file (CSV, tab- or whitespace-separated, GSLIB) into a new block "
        "table");
    addDatabaseOption(cmd, o->db, "Database file; created when it does not exist");
    cmd->add_option("FILE", o->file, "Block model file to read")->required();
    cmd->add_option("-t,--table", o->table,
                    "New block table (void table with --voids): a letter, then letters, digits "
                    "or _, 19 at most")
        ->required();
    // Void blocks have no grade and no tonnes, and are no run to name a void table.
    std::vector<CLI::Option*> runOnly;
    runOnly.push_back(
        cmd->add_option("-e,--element", o->element,
                        "Element estimated (Cu, Au, ...); its grade column goes by this name"));
    runOnly.push_back(
        cmd->add_option("--grade", o->grade, "Grade column, when its name is not the element's"));
    cmd->add_option("--ignore", o->unread,
                    "Columns to leave unread, e.g. K,ZONE: another element's K, or one of two "
                    "columns that look alike")
        ->delimiter(',');
    cmd->add_option("--columns", o->columns,
                    "Column names of a file without a header, e.g. X,Y,Z,DX,DY,DZ,CU")
        ->delimiter(',');
    cmd->add_option("--block-size", o->blockSize,
                    "Parent block size DX,DY,DZ (or one size for all three)");
    cmd->add_option("--origin", o->origin,
                    "Lower corner X,Y,Z of grid block 0,0,0; makes X/Y/Z of a file without "
                    "size or index columns grid indices");
    cmd->add_option("--grid", o->grid,
                    "Cells NX,NY,NZ of a grid that rows without positions fill in order, X "
                    "first (a GSLIB grid file gives them)");
    runOnly.push_back(
        cmd->add_option(
               "--missing", o->missing,
               "Leave out rows whose grade is this, blocks not estimated (-999 in a GSLIB file)")
            ->check(finiteNumber()));
    runOnly.push_back(
        cmd->add_option("--density", o->density,
                        "Density (t/m3) for tonnage when the file has no TONNAGE or DENSITY column")
            ->check(numberAboveZero()));
    runOnly.push_back(cmd->add_option("--unit", o->unit,
                                      std::string("Grade unit: ") + gradeUnitNames() +
                                          "; by default the one the grade column's name ends "
                                          "in (Au_gpt, Cu %), else %"));
    cmd->add_option("--name", o->description,
                    "Description of the run for the catalog, 253 bytes at most");
    runOnly.push_back(
        cmd->add_option("--void-table", o->voidTable, "Void table the run is used with"));
    CLI::Option* voids = cmd->add_flag(
        "--voids", o->voids,
        "The file holds void blocks (old workings): into a new void table, without a grade");
    for (CLI::Option* option : runOnly) {
        voids->excludes(option);
    }
    cmd->add_flag("--check", o->check,
                  "Read the file and tell what it holds, without writing to the database");
    cmd->footer(kFooter);
    cmd->callback([o] { runImport(*o); });
}

}  // namespace vornel::cli
