// The rows of a block table that a section may reach, as a condition the
// database applies before a row is read. Most blocks of a model lie far
// from any section, and reading one through the recordset costs more than
// testing it; the database compares their bounds for a fraction of that.
#ifndef VORNEL_GEOMETRY_SECTIONREACH_H
#define VORNEL_GEOMETRY_SECTIONREACH_H

#include <string>

#include "db/Ado.h"

namespace vornel::geometry {

// A WHERE clause that keeps every row the cut could keep: it leaves out a
// row only when the row is tested whole and its box lies wholly beyond the
// section's bounds, `lo` and `hi` per axis. Empty when the bounds cannot be
// written as literals that keep that promise.
std::string reachClause(const double lo[3], const double hi[3]);

// Whether the columns the clause names are those the row reader reads by
// position, in an ordinary table: a table written by another program may
// name them otherwise. Uses, and closes, `rs`.
bool clauseFitsTable(CDbRecordset& rs, const std::string& table);

}  // namespace vornel::geometry

#endif
