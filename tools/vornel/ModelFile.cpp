#include "ModelFile.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "BlockAssembly.h"
#include "ColumnRoles.h"
#include "Failure.h"
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

}  // namespace

ModelFileReport readModelFile(const std::string& path, const ModelFileOptions& options,
                              BlockList& blocks) {
    TextRows rows(path);
    Row row;
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
    const long headerLine = header ? row.line : 0;
    const std::vector<std::string> names = options.columns.empty() ? textsOf(row) : options.columns;
    const std::string where = header ? placeOf(path, row.line, 0) : path + " (--columns)";
    const ColumnRoles roles(names, options.element, options.gradeColumn, where);
    const SourceRowReader reader(roles, options.grid, path, where);

    // Grid indices read as centres put blocks of --block-size into each other.
    BlockAssembly assembly(path, !roles.has(Role::SizeX) && !reader.positionsAreIndices()
                                     ? " (if X, Y, Z are grid indices, give --origin)"
                                     : "");
    bool severalSizes = false;
    {
        ProgressBar bar("reading " + path);
        bool more = !header || rows.next(row);
        std::optional<D_3DOT> firstSize;
        for (long n = 0; more; ++n) {
            SourceRow read = reader.read(row);
            if (!firstSize) {
                firstSize = read.box.size;
            }
            severalSizes = severalSizes || read.box.size.x != firstSize->x ||
                           read.box.size.y != firstSize->y || read.box.size.z != firstSize->z;
            assembly.add(std::move(read));
            if (n % 8192 == 0) {
                bar.update(rows.fractionRead());
            }
            more = rows.next(row);
        }
    }
    if (assembly.rowCount() == 0) {
        throw Failure(placeOf(path, headerLine, 0) + ": a header but no data rows");
    }
    assembly.build(blocks);

    ModelFileReport report;
    report.rows = assembly.rowCount();
    report.separator = rows.separator();
    report.positionsAreIndices = reader.positionsAreIndices();
    report.severalSizesUngrouped = severalSizes && !reader.groupsRows();
    report.tonnesInFile = roles.has(Role::Tonnage) || roles.has(Role::Density);
    report.ignoredColumns = roles.ignored();
    if (roles.has(Role::Grade)) {
        report.gradeColumn = names[static_cast<size_t>(roles[Role::Grade])];
    }
    return report;
}

}  // namespace vornel::cli
