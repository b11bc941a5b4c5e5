// One row of a block model file read as a block or a sub-block, and how the
// file's rows are read: its columns and the grid options given with it.
#ifndef VORNEL_CLI_SOURCEROW_H
#define VORNEL_CLI_SOURCEROW_H

#include <array>
#include <optional>
#include <string>

#include "Box.h"
#include "ColumnRoles.h"
#include "TextRows.h"

namespace vornel::cli {

struct SourceRow {
    long line = 0;
    Box box;
    std::optional<Box> parentBox;
    // The parent is a --block-size cell from --origin, the one the row's
    // centre falls in or its I, J, K name, not a box the file gives.
    bool parentIsGridCell = false;
    // Rows with the same key are sub-blocks of one parent; an empty key makes
    // the row a block of its own.
    std::string parentKey;
    double grade = 0;
    double variance = 0;
    std::optional<double> tonnage;
    std::optional<double> density;
    std::optional<double> coefficient;
    bool bound = false;
    double meanDistance = 0;
    int samples = 0;
    int searchPass = 0;
    int subBlockCount = 0;  // sub-blocks the block has, whether listed or not
    std::string category;
    std::string oreType;
};

// Cells of a grid along X, Y and Z, each at least 1.
using GridCells = std::array<long, 3>;

// "40 x 30 x 10".
std::string cellsText(const GridCells& cells);
// Their product, which a long need not hold.
double cellCount(const GridCells& cells);

// The grid the options describe: where index 0 starts and the block size.
struct GridOptions {
    std::optional<D_3DOT> origin;
    std::optional<D_3DOT> blockSize;
    std::optional<double> density;
    // Rows without position columns fill the grid's cells in order, along
    // X first, then Y, then Z, as GSLIB programs write their estimates.
    std::optional<GridCells> cells;
};

// Turns the fields of each data row into a SourceRow, by the column roles.
class SourceRowReader {
public:
    // Checks that the columns and options together place every block;
    // throws Failure prefixed by `where` otherwise.
    SourceRowReader(const ColumnRoles& roles, const GridOptions& grid, const std::string& path,
                    const std::string& where);

    // Throws Failure at the field's line and column. `ordinal` counts the
    // data rows before this one: when they fill a grid, fewer than its cells.
    SourceRow read(const Row& row, long ordinal);

    // True when the position columns hold grid indices, not coordinates.
    bool positionsAreIndices() const { return indices_; }
    // True when the rows are the grid's cells in order.
    bool rowsInGridOrder() const { return ordered_; }
    // True when something gathers rows into parents: a parent id, I/J/K
    // beside coordinates, PARENT_* boxes or the --block-size grid.
    bool groupsRows() const {
        return roles_.has(Role::Parent) || roles_.has(Role::Ijk) || roles_.has(Role::ParentX) ||
               ijkParent_ || cellParent_;
    }

private:
    [[noreturn]] void refuse(const Row& row, Role role, const std::string& expected) const;
    double number(const Row& row, Role role);
    // A number for which `within` holds; `expected` says what that is.
    double bounded(const Row& row, Role role, bool (*within)(double), const char* expected);
    double index(const Row& row, Role role);
    double size(const Row& row, Role role);
    int count(const Row& row, Role role);
    std::string text(const Row& row, Role role) const;
    const Field& field(const Row& row, Role role) const;
    Box gridCell(double i, double j, double k) const;
    Box cellAround(const D_3DOT& centre) const;
    Box cellInOrder(long ordinal) const;

    const ColumnRoles& roles_;
    GridOptions grid_;
    D_3DOT origin_{};
    std::string path_;
    bool sizes_ = false;       // size columns present
    bool indices_ = false;     // X/Y/Z or I/J/K give grid indices
    bool ijkParent_ = false;   // I/J/K name the parent of coordinate rows
    bool cellParent_ = false;  // the parent is the grid cell around the centre
    bool ordered_ = false;     // rows fill the grid's cells in order
    // The first number read with a decimal comma, and with a point, where
    // and as written.
    std::string firstComma_;
    std::string firstPoint_;
};

}  // namespace vornel::cli

#endif
