#include "geometry/SectionReach.h"

#include <cmath>

#include "store/BlockRows.h"
#include "store/Query.h"
#include "store/Sql.h"

using vornel::store::format;
using vornel::store::quoted;

namespace vornel::geometry {

namespace {

const char* const kCentre[3] = {"Krig_PntLocX", "Krig_PntLocY", "Krig_PntLocZ"};
const char* const kSize[3] = {"Krig_GridSizeX", "Krig_GridSizeY", "Krig_GridSizeZ"};

// A bound moved outward by far more than the database's reading of a
// decimal literal can be off, so that the clause errs toward keeping; empty
// when it would leave the doubles.
std::string widened(double bound, double outward) {
    const double moved = bound + outward * (std::fabs(bound) * 1e-9 + 1e-300);
    return std::isfinite(moved) ? format("%.17g", moved) : std::string();
}

// True only where a value of the column is a finite double: never NULL, so
// that no comparison after it can come out NULL and drop a row unasked; a
// text or a blob compares above every number (9e999 is the database's
// infinity).
std::string finite(const char* column) {
    return format("%s IS NOT NULL AND %s > -9e999 AND %s < 9e999", column, column, column);
}

// Both ends of the box on one side of a bound ("<" or ">"): the sums are
// the very doubles the cut computes for them, whatever the sign of the size.
std::string bothEnds(int axis, const char* side, const std::string& bound) {
    const char* c = kCentre[axis];
    const char* s = kSize[axis];
    return format("%s + %s / 2.0 %s %s AND %s - %s / 2.0 %s %s", c, s, side, bound.c_str(), c, s,
                  side, bound.c_str());
}

}  // namespace

std::string reachClause(const double lo[3], const double hi[3]) {
    // Only an axis on which the section has no extent pays for its tests:
    // plans, and vertical sections along X or Y, leave out all but a slice
    // of the model; an oblique section's bounds span most of it.
    std::string beyond;
    for (int a = 0; a < 3; ++a) {
        const std::string low = widened(lo[a], -1);
        const std::string high = widened(hi[a], 1);
        if (lo[a] != hi[a] || low.empty() || high.empty()) {
            continue;
        }
        beyond += (beyond.empty() ? "(" : " OR (") + bothEnds(a, "<", low) + " OR " +
                  bothEnds(a, ">", high) + ") AND " + finite(kCentre[a]) + " AND " +
                  finite(kSize[a]);
    }
    if (beyond.empty()) {
        return "";
    }
    // A block with sub-blocks and a coefficient other than 1 is tested by
    // its sub-blocks, which nothing keeps inside its box.
    return " WHERE NOT ((" + beyond + ") AND (SubBUDBlob IS NULL OR Block_Coef IS 1.0))";
}

bool clauseFitsTable(CDbRecordset& rs, const std::string& table) {
    // REAL affinity keeps every number a double and compares a text as a
    // text; in a column of another type the clause would compare otherwise.
    const std::string name = quoted(table);
    const std::string sql = format(
        "SELECT (SELECT count(*) FROM pragma_table_list WHERE name = %s COLLATE NOCASE) = 1 "
        "AND (SELECT type FROM pragma_table_list WHERE name = %s COLLATE NOCASE) = 'table' "
        "AND (SELECT count(*) FROM pragma_table_xinfo(%s) WHERE "
        "(cid, lower(name), upper(type)) IN (VALUES (2, 'krig_pntlocx', 'DOUBLE'), "
        "(3, 'krig_pntlocy', 'DOUBLE'), (4, 'krig_pntlocz', 'DOUBLE'), "
        "(5, 'krig_gridsizex', 'DOUBLE'), (6, 'krig_gridsizey', 'DOUBLE'), "
        "(7, 'krig_gridsizez', 'DOUBLE'), (8, 'block_coef', 'DOUBLE')) "
        "OR (cid = %ld AND lower(name) = 'subbudblob')) = 8",
        name.c_str(), name.c_str(), name.c_str(), store::kResultSubBlockColumn);
    const store::OpenQuery query(rs, sql);
    long fits = 0;
    return query.opened() && rs.IsEOF() == 0 && rs.GetCollect(0, fits) != 0 && fits == 1;
}

}  // namespace vornel::geometry
