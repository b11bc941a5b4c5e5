#include "ModelFile.h"

#include <algorithm>
#include <optional>
#include <set>
#include <utility>

#include "BlockAssembly.h"
#include "CodeNames.h"
#include "ColumnRoles.h"
#include "Failure.h"
#include "GslibHeader.h"
#include "NumberText.h"
#include "ProgressBar.h"
#include "TextRows.h"

namespace vornel::cli {
namespace {

// A header is a first row in which no field is a number.
bool isHeader(const Row& row) {
    return std::none_of(row.fields.begin(), row.fields.end(), [](const Field& f) {
        double ignored = 0;
        return parseNumber(f.text, ignored);
    });
}

std::vector<std::string> textsOf(const Row& row) {
    std::vector<std::string> names(row.fields.size());
    std::transform(row.fields.begin(), row.fields.end(), names.begin(),
                   [](const Field& f) { return f.text; });
    return names;
}

// The names of the columns and where they stand, read from a GSLIB header
// or the first row (or given with --columns); leaves `row` at the first data
// row, if `more`.
struct FileColumns {
    std::vector<std::string> names;
    std::string where;    // what complaints about the columns start with
    long headerLine = 0;  // the last line of the header; 0 for none
    std::optional<GslibHeader> gslib;
};

FileColumns readColumns(TextRows& rows, const ModelFileOptions& options, Row& row, bool& more) {
    const std::string& path = rows.path();
    FileColumns c;
    c.gslib = readGslibHeader(rows);
    if (c.gslib) {
        if (!options.columns.empty()) {
            throw Failure(path +
                          ": a GSLIB file names its columns in its header; --columns is for a "
                          "file without names");
        }
        c.names = c.gslib->names;
        c.where = path + " (GSLIB header)";
        c.headerLine = c.gslib->lastLine;
        more = rows.next(row);
        return c;
    }
    rows.readAgainFromStart();
    if (!rows.next(row)) {
        throw Failure(path + ": the file holds no rows");
    }
    const bool header = isHeader(row);
    if (header && !options.columns.empty()) {
        throw Failure(placeOf(path, row.line, 0) +
                      ": the file names its columns in its first row; --columns is for a file "
                      "without such a row");
    }
    if (!header && options.columns.empty()) {
        throw Failure(placeOf(path, row.line, 0) +
                      ": the first row holds numbers, not column names; name the columns "
                      "with --columns");
    }
    c.names = header ? textsOf(row) : options.columns;
    c.where = header ? placeOf(path, row.line, 0) : path + " (--columns)";
    c.headerLine = header ? row.line : 0;
    more = !header || rows.next(row);
    return c;
}

// Whether the row's grade is `value`; a row that cannot tell is read, and
// refused, as any other.
bool gradeIs(const Row& row, const ColumnRoles& roles, double value) {
    double grade = 0;
    return roles.has(Role::Grade) && row.fields.size() == roles.names().size() &&
           parseNumber(row.fields[static_cast<size_t>(roles[Role::Grade])].text, grade) &&
           grade == value;
}

}  // namespace

ModelFileReport readModelFile(const std::string& path, const ModelFileOptions& options,
                              BlockList& blocks) {
    TextRows rows(path);
    Row row;
    bool more = false;
    const FileColumns columns = readColumns(rows, options, row, more);
    const ColumnRoles roles(columns.names, options.element, options.gradeColumn, columns.where,
                            options.unread);
    GridOptions grid = options.grid;
    // Rows laid out for one grid would be placed all wrong on another.
    if (columns.gslib && columns.gslib->cells && grid.cells &&
        *grid.cells != *columns.gslib->cells) {
        throw Failure(path + ": --grid gives " + cellsText(*grid.cells) +
                      " cells, the file's header " + cellsText(*columns.gslib->cells));
    }
    // A grid file's own cells place rows that have no positions of their own.
    if (columns.gslib && columns.gslib->cells && !grid.cells && !roles.has(Role::X) &&
        !roles.has(Role::I)) {
        grid.cells = columns.gslib->cells;
    }
    const std::optional<double> missing =
        options.missing || !columns.gslib ? options.missing : kGslibNoGrade;
    SourceRowReader reader(roles, grid, path, columns.where);

    // Grid indices read as centres put blocks of --block-size into each other.
    BlockAssembly assembly(path, !roles.has(Role::SizeX) && !reader.positionsAreIndices()
                                     ? " (if X, Y, Z are grid indices, give --origin)"
                                     : "");
    bool severalSizes = false;
    size_t leftOut = 0;
    long n = 0;
    // Only a GSLIB file has keys for its numbers. An empty cell of a grid
    // file is missing in every column: no number of a key.
    CodesMet codes;
    const auto note = [&](const Row& row, Role role, std::set<std::string>& met) {
        const auto at = static_cast<size_t>(roles[role]);
        double code = 0;
        if (columns.gslib && roles.has(role) && at < row.fields.size() &&
            !(missing && parseNumber(row.fields[at].text, code) && code == *missing)) {
            met.insert(row.fields[at].text);
        }
    };
    {
        ProgressBar bar("reading " + path);
        std::optional<D_3DOT> firstSize;
        for (; more; ++n) {
            if (reader.rowsInGridOrder() && static_cast<double>(n) >= cellCount(*grid.cells)) {
                throw Failure(placeOf(path, row.line, 0) + ": more rows than the " +
                              cellsText(*grid.cells) + " cells of the grid");
            }
            note(row, Role::Category, codes.categories);
            note(row, Role::OreType, codes.oreTypes);
            if (missing && gradeIs(row, roles, *missing)) {
                ++leftOut;
            } else {
                SourceRow read = reader.read(row, n);
                if (!firstSize) {
                    firstSize = read.box.size;
                }
                severalSizes = severalSizes || read.box.size.x != firstSize->x ||
                               read.box.size.y != firstSize->y || read.box.size.z != firstSize->z;
                assembly.add(std::move(read), blocks);
            }
            if (n % 8192 == 0) {
                bar.update(rows.fractionRead());
            }
            more = rows.next(row);
        }
    }
    if (assembly.rowCount() == 0) {
        throw Failure(placeOf(path, columns.headerLine, 0) +
                      (leftOut > 0 ? ": every row's grade is " + formatNumber(*missing) +
                                         ", which marks a block not estimated"
                                   : std::string(": a header but no data rows")));
    }
    if (reader.rowsInGridOrder() && static_cast<double>(n) < cellCount(*grid.cells)) {
        throw Failure(path + ": " + std::to_string(n) + " rows for the " + cellsText(*grid.cells) +
                      " cells of the grid: it ends early");
    }
    assembly.build(blocks);
    if (columns.gslib) {
        nameCodes(columns.gslib->title, codes, blocks);
    }

    ModelFileReport report;
    report.rows = assembly.rowCount() + leftOut;
    report.separator = rows.separator();
    report.positionsAreIndices = reader.positionsAreIndices();
    report.severalSizesUngrouped = severalSizes && !reader.groupsRows();
    report.tonnesInFile = roles.has(Role::Tonnage) || roles.has(Role::Density);
    report.ignoredColumns = roles.ignored();
    if (roles.has(Role::Grade)) {
        report.gradeColumn = columns.names[static_cast<size_t>(roles[Role::Grade])];
    }
    if (columns.gslib) {
        report.gslibTitle = columns.gslib->title;
    }
    if (reader.rowsInGridOrder()) {
        report.cellsInOrder = grid.cells;
    }
    report.leftOut = leftOut;
    report.missing = missing;
    return report;
}

}  // namespace vornel::cli
