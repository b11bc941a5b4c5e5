#include "geometry/SectionReach.h"

#include <cmath>
#include <memory>

#include "store/BlockRows.h"
#include "store/Query.h"
#include "store/Sql.h"
#include "store/SubBlockBuffer.h"

using vornel::store::format;
using vornel::store::quoted;

namespace vornel::geometry {

namespace {

constexpr const char* kTestName = "VORNEL_TURNED_AWAY";
constexpr int kArity = 7;

}  // namespace

ReachTest::ReachTest(CDbConnection& connection, BoxTurnedAway turnedAway)
    : connection_(connection), name_(kTestName), live_(std::make_shared<bool>(true)) {
    defined_ = connection.DefineRowTest(
        name_, kArity, [live = live_, turnedAway = std::move(turnedAway)](const double* v) {
            // A NULL, a text or an integer reads as a number the test would
            // have to guess; such a row is left to the cut.
            if (!*live || v[0] != 1.0) {
                return false;
            }
            for (int i = 1; i < kArity; ++i) {
                if (!std::isfinite(v[i])) {
                    return false;
                }
            }
            return turnedAway({v[1], v[2], v[3]}, {v[4], v[5], v[6]});
        });
}

ReachTest::~ReachTest() {
    *live_ = false;
    if (defined_) {
        connection_.DefineRowTest(name_, kArity, {});
    }
}

std::string reachClause() {
    // A block with sub-blocks and a coefficient other than 1 is tested by
    // its sub-blocks, which nothing keeps inside its box: its first
    // argument is then no 1.0, and the test keeps it. A buffer too short for
    // one sub-block holds none, as the four bytes of a block stored without
    // them; typeof and length tell it without loading the buffer, and only
    // where the coefficient leaves the choice open.
    return format(
        " WHERE NOT %s(CASE WHEN SubBUDBlob IS NULL OR (Block_Coef <> 1.0 AND "
        "typeof(SubBUDBlob) = 'blob' AND length(SubBUDBlob) < %zu) THEN 1.0 ELSE Block_Coef "
        "END, Krig_PntLocX, Krig_PntLocY, Krig_PntLocZ, Krig_GridSizeX, Krig_GridSizeY, "
        "Krig_GridSizeZ)",
        kTestName, vornel::store::subBlockBufferSize(1));
}

bool clauseFitsTable(CDbRecordset& rs, const std::string& table) {
    // The reader turns a value by the column's declared type (a currency
    // to four places, a date to nothing): only in a DOUBLE column is the
    // double the test is given the one the cut reads.
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
