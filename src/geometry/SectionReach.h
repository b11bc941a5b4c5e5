// The rows of a block table that a section cannot reach, turned away by the
// database before they are read. Most blocks of a model lie far from any
// section, and reading a row through the recordset costs many times the
// cut's own cheap test of its box; the database runs that test first.
#ifndef VORNEL_GEOMETRY_SECTIONREACH_H
#define VORNEL_GEOMETRY_SECTIONREACH_H

#include <functional>
#include <memory>
#include <string>

#include "db/Ado.h"
#include "vornel/VornelMng.h"

namespace vornel::geometry {

// True only when a box with this centre and size cannot meet the section.
using BoxTurnedAway = std::function<bool(const D_3DOT& centre, const D_3DOT& size)>;

// Makes the test that reachClause() calls answer `turnedAway` on the
// connection while it lives; a row is turned away only when it is tested
// whole and its centre and size are finite doubles.
class ReachTest {
public:
    ReachTest(CDbConnection& connection, BoxTurnedAway turnedAway);
    ~ReachTest();
    ReachTest(const ReachTest&) = delete;
    ReachTest& operator=(const ReachTest&) = delete;

    // False when the connection would not take the test: then the clause
    // must not be used.
    bool defined() const { return defined_; }

private:
    CDbConnection& connection_;
    // Made once, so that undoing the test allocates nothing.
    const std::string name_;
    // False once this test has ended. Undoing the test in the connection
    // may yet fail for want of memory; the test left there then turns
    // nothing away, and never reaches the section it was made for.
    std::shared_ptr<bool> live_;
    bool defined_;
};

// The WHERE clause that leaves out the rows the ReachTest turns away.
std::string reachClause();

// Whether the columns the clause names are those the row reader reads by
// position, in an ordinary table: a table written by another program may
// name them otherwise. Uses, and closes, `rs`.
bool clauseFitsTable(CDbRecordset& rs, const std::string& table);

}  // namespace vornel::geometry

#endif
