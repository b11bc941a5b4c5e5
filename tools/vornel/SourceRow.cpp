#include "SourceRow.h"

#include <cmath>
#include <cstdint>

#include "Failure.h"
#include "NumberText.h"
#include "Utf8.h"

namespace vornel::cli {
namespace {

// The text fields of a block record hold 19 bytes and a terminator.
constexpr size_t kTextWidth = 19;

// Columns that only mean something together: all of them or none.
void requireAllOrNone(const ColumnRoles& roles, Role a, Role b, Role c, const char* names,
                      const std::string& where) {
    const int present = int(roles.has(a)) + int(roles.has(b)) + int(roles.has(c));
    if (present != 0 && present != 3) {
        // A column of another meaning may only share a name with them (K,
        // potassium): it can be left unread.
        std::string there;
        for (const Role r : {a, b, c}) {
            if (roles.has(r)) {
                there += (there.empty() ? "" : ",") + roles.names()[static_cast<size_t>(roles[r])];
            }
        }
        throw Failure(where + ": some of the columns " + names + " are missing (if " + there +
                      (present == 1 ? " holds something else, leave it"
                                    : " hold something else, leave them") +
                      " unread with --ignore " + there + ")");
    }
}

// Names a parent by its box: rows with the same box share the parent.
std::string keyOf(const Box& box) {
    std::string key;
    for (const double v :
         {box.centre.x, box.centre.y, box.centre.z, box.size.x, box.size.y, box.size.z}) {
        key += formatNumber(v, 15) + ",";
    }
    return key;
}

}  // namespace

std::string cellsText(const GridCells& cells) {
    return std::to_string(cells[0]) + " x " + std::to_string(cells[1]) + " x " +
           std::to_string(cells[2]);
}

double cellCount(const GridCells& cells) {
    return static_cast<double>(cells[0]) * static_cast<double>(cells[1]) *
           static_cast<double>(cells[2]);
}

SourceRowReader::SourceRowReader(const ColumnRoles& roles, const GridOptions& grid,
                                 const std::string& path, const std::string& where)
    : roles_(roles), grid_(grid), origin_(grid.origin.value_or(D_3DOT{0, 0, 0})), path_(path) {
    requireAllOrNone(roles, Role::X, Role::Y, Role::Z, "X, Y and Z", where);
    requireAllOrNone(roles, Role::SizeX, Role::SizeY, Role::SizeZ, "DX, DY and DZ", where);
    requireAllOrNone(roles, Role::I, Role::J, Role::K, "I, J and K", where);
    requireAllOrNone(roles, Role::ParentX, Role::ParentY, Role::ParentZ,
                     "PARENT_X, PARENT_Y and PARENT_Z", where);
    requireAllOrNone(roles, Role::ParentSizeX, Role::ParentSizeY, Role::ParentSizeZ,
                     "PARENT_DX, PARENT_DY and PARENT_DZ", where);
    if (roles.has(Role::ParentX) != roles.has(Role::ParentSizeX)) {
        throw Failure(where + ": the parent centre and size columns come together");
    }
    sizes_ = roles.has(Role::SizeX);
    const bool xyz = roles.has(Role::X);
    const bool ijk = roles.has(Role::I);
    if (grid.cells && (xyz || ijk)) {
        throw Failure(where + ": --grid places rows that have no position columns; these rows " +
                      "have " + (xyz ? "X, Y, Z" : "I, J, K"));
    }
    ordered_ = grid.cells.has_value();
    if (!xyz && !ijk && !ordered_) {
        throw Failure(where +
                      ": no block position columns: expected X, Y, Z (or XC/YC/ZC, "
                      "EAST/NORTH/ELEV, ...) or I, J, K; or give --grid NX,NY,NZ for rows "
                      "that fill a grid in order");
    }
    if (!sizes_ && !grid.blockSize) {
        throw Failure(where +
                      ": no block size columns (DX/DY/DZ, XINC/YINC/ZINC, ...); give the size "
                      "with --block-size");
    }
    if (!xyz && sizes_) {
        throw Failure(where +
                      ": sub-blocks sized by DX/DY/DZ need their centres in X, Y, Z columns, "
                      "not only I, J, K");
    }
    // Beside grid indices of their own, X/Y/Z are coordinates.
    indices_ = xyz ? !sizes_ && !ijk && !roles.has(Role::Ijk) && grid.origin.has_value() : true;
    ijkParent_ = xyz && ijk;
    cellParent_ = sizes_ && grid.blockSize && !roles.has(Role::Parent) && !roles.has(Role::Ijk) &&
                  !ijkParent_;
}

const Field& SourceRowReader::field(const Row& row, Role role) const {
    return row.fields[static_cast<size_t>(roles_[role])];
}

void SourceRowReader::refuse(const Row& row, Role role, const std::string& expected) const {
    const Field& f = field(row, role);
    const std::string& name = roles_.names()[static_cast<size_t>(roles_[role])];
    throw Failure(placeOf(path_, row.line, f.column) + ": expected " + expected + " in column '" +
                  name + "', found '" + f.text + "'");
}

double SourceRowReader::number(const Row& row, Role role) {
    const Field& f = field(row, role);
    double value = 0;
    if (!parseNumber(f.text, value)) {
        refuse(row, role, "a number");
    }
    // A file that writes numbers both ways misreads one of them: a
    // spreadsheet's thousands separator, 2.700, reads as 2.7.
    if (f.decimalComma || f.text.find('.') != std::string::npos) {
        std::string& first = f.decimalComma ? firstComma_ : firstPoint_;
        if (first.empty()) {
            first = "'" + asWritten(f) + "' at " + placeOf(path_, row.line, f.column);
        }
        if (!firstComma_.empty() && !firstPoint_.empty()) {
            throw Failure(placeOf(path_, row.line, f.column) +
                          ": the file writes numbers with a decimal comma (" + firstComma_ +
                          ") and with a point (" + firstPoint_ +
                          "), so one kind is misread (a thousands separator, 2.700, would read "
                          "as 2.7): write every number one way, without thousands separators");
        }
    }
    return value;
}

double SourceRowReader::bounded(const Row& row, Role role, bool (*within)(double),
                                const char* expected) {
    const double value = number(row, role);
    if (!within(value)) {
        refuse(row, role, expected);
    }
    return value;
}

double SourceRowReader::size(const Row& row, Role role) {
    return bounded(
        row, role, [](double v) { return v > 0; }, "a size above 0");
}

// A cell of the grid is named by whole numbers: a fraction would place the
// block across cells.
double SourceRowReader::index(const Row& row, Role role) {
    return bounded(
        row, role, [](double v) { return v == std::floor(v); }, "a whole number");
}

// The database keeps counts in 32 bits.
int SourceRowReader::count(const Row& row, Role role) {
    return static_cast<int>(bounded(
        row, role, [](double v) { return v >= 0 && v <= INT32_MAX && v == std::floor(v); },
        "a whole number from 0 to 2147483647"));
}

std::string SourceRowReader::text(const Row& row, Role role) const {
    if (!roles_.has(role)) {
        return {};
    }
    const Field& f = field(row, role);
    std::string text = asWritten(f);
    if (!isUtf8(text)) {
        throw Failure(placeOf(path_, row.line, f.column) +
                      ": a text that is not UTF-8 (a file saved as ANSI or Latin-1?); save the "
                      "file as CSV UTF-8");
    }
    if (text.size() > kTextWidth) {
        throw Failure(placeOf(path_, row.line, f.column) + ": '" + text + "' is longer than " +
                      std::to_string(kTextWidth) + " bytes, the most the database keeps");
    }
    return text;
}

Box SourceRowReader::gridCell(double i, double j, double k) const {
    const D_3DOT& s = *grid_.blockSize;
    return {{origin_.x + (i + 0.5) * s.x, origin_.y + (j + 0.5) * s.y, origin_.z + (k + 0.5) * s.z},
            s};
}

Box SourceRowReader::cellInOrder(long ordinal) const {
    const GridCells& n = *grid_.cells;
    const long i = ordinal % n[0];
    const long j = ordinal / n[0] % n[1];
    const long k = ordinal / n[0] / n[1];
    return gridCell(static_cast<double>(i), static_cast<double>(j), static_cast<double>(k));
}

Box SourceRowReader::cellAround(const D_3DOT& c) const {
    const D_3DOT& s = *grid_.blockSize;
    return gridCell(std::floor((c.x - origin_.x) / s.x), std::floor((c.y - origin_.y) / s.y),
                    std::floor((c.z - origin_.z) / s.z));
}

SourceRow SourceRowReader::read(const Row& row, long ordinal) {
    if (row.fields.size() != roles_.names().size()) {
        throw Failure(placeOf(path_, row.line, 0) + ": " + std::to_string(row.fields.size()) +
                      " fields where the header names " + std::to_string(roles_.names().size()));
    }
    SourceRow r;
    r.line = row.line;
    const bool xyz = roles_.has(Role::X);
    const Role px = xyz ? Role::X : Role::I;
    const Role py = xyz ? Role::Y : Role::J;
    const Role pz = xyz ? Role::Z : Role::K;
    if (ordered_) {
        r.box = cellInOrder(ordinal);
    } else if (indices_) {
        r.box = gridCell(index(row, px), index(row, py), index(row, pz));
    } else {
        r.box.centre = {number(row, px), number(row, py), number(row, pz)};
        r.box.size =
            sizes_ ? D_3DOT{size(row, Role::SizeX), size(row, Role::SizeY), size(row, Role::SizeZ)}
                   : *grid_.blockSize;
    }
    if (roles_.has(Role::ParentX)) {
        r.parentBox = Box{
            {number(row, Role::ParentX), number(row, Role::ParentY), number(row, Role::ParentZ)},
            {size(row, Role::ParentSizeX), size(row, Role::ParentSizeY),
             size(row, Role::ParentSizeZ)}};
    }
    if (roles_.has(Role::Parent) || roles_.has(Role::Ijk)) {
        r.parentKey = asWritten(field(row, roles_.has(Role::Parent) ? Role::Parent : Role::Ijk));
        if (!r.parentBox && grid_.blockSize) {
            r.parentBox = cellAround(r.box.centre);
        }
    } else if (ijkParent_) {
        const double i = index(row, Role::I);
        const double j = index(row, Role::J);
        const double k = index(row, Role::K);
        r.parentKey = formatNumber(i) + "," + formatNumber(j) + "," + formatNumber(k);
        if (!r.parentBox && grid_.blockSize) {
            r.parentBox = gridCell(i, j, k);
            r.parentIsGridCell = true;
        }
    } else if (r.parentBox) {
        r.parentKey = keyOf(*r.parentBox);
    } else if (cellParent_) {
        r.parentBox = cellAround(r.box.centre);
        r.parentKey = keyOf(*r.parentBox);
        r.parentIsGridCell = true;
    }
    if (roles_.has(Role::Grade)) {
        r.grade = number(row, Role::Grade);
    }
    if (roles_.has(Role::Variance)) {
        r.variance = number(row, Role::Variance);
    }
    if (roles_.has(Role::Tonnage)) {
        r.tonnage = bounded(
            row, Role::Tonnage, [](double v) { return v >= 0; }, "a tonnage of 0 or more");
    }
    // Air and water blocks weigh nothing.
    r.density = roles_.has(Role::Density) ? bounded(
                                                row, Role::Density, [](double v) { return v >= 0; },
                                                "a density of 0 or more")
                                          : grid_.density;
    if (roles_.has(Role::Coefficient)) {
        r.coefficient = bounded(
            row, Role::Coefficient, [](double v) { return v > 0 && v <= 1; },
            "a share of the block above 0 and at most 1");
    }
    // Any number but 0 is on the boundary: other tools write yes as -1.
    if (roles_.has(Role::Bound)) {
        r.bound = number(row, Role::Bound) != 0;
    }
    if (roles_.has(Role::MeanDistance)) {
        // Kept as a whole number: what a 32-bit integer holds.
        r.meanDistance = bounded(
            row, Role::MeanDistance, [](double v) { return v >= 0 && v < 2147483648.0; },
            "a distance from 0 to 2147483647");
    }
    if (roles_.has(Role::Samples)) {
        r.samples = count(row, Role::Samples);
    }
    if (roles_.has(Role::SearchPass)) {
        r.searchPass = count(row, Role::SearchPass);
    }
    if (roles_.has(Role::SubBlockCount)) {
        r.subBlockCount = count(row, Role::SubBlockCount);
    }
    r.category = text(row, Role::Category);
    r.oreType = text(row, Role::OreType);
    return r;
}

}  // namespace vornel::cli
