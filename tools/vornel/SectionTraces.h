// The outlines that a section leaves on the blocks and sub-blocks it cuts,
// in the section's plane coordinates, ready to draw or list.
#ifndef VORNEL_CLI_SECTIONTRACES_H
#define VORNEL_CLI_SECTIONTRACES_H

#include <cstdint>
#include <string>
#include <vector>

#include "Box.h"
#include "vornel/KrigBlockResult.h"
#include "vornel/SectionTrace.h"

namespace vornel::cli {

struct SectionTrace {
    int32_t mineId = 0;
    int32_t blockId = 0;
    int subBlock = 0;  // 1-based; 0 for a block cut whole
    Box box;
    double grade = 0;
    bool graded = true;  // false where the grade is NULL, a text or infinite
    double variance = 0;
    std::string category;
    std::string oreType;
    std::string pass;  // "pass 2", or empty
    // Counter-clockwise, convex but where the halves of a folded section
    // meet the box in a whole that is not; empty when the section only
    // touches the box along an edge or at a corner.
    SectionPolygon outline;
};

// Twice the signed area of the triangle o, a, b: above 0 when b lies to the
// left of the line from o through a.
double turn(const SectionPoint& o, const SectionPoint& a, const SectionPoint& b);

double areaOf(const SectionPolygon& polygon);

// The part of a convex polygon on the left of the line from a through b.
SectionPolygon clipToLeft(const SectionPolygon& subject, const SectionPoint& a,
                          const SectionPoint& b);

// The part of a convex polygon inside another, counter-clockwise one.
SectionPolygon clipConvex(SectionPolygon subject, const SectionPolygon& window);

// The part of a convex polygon outside another, counter-clockwise one, as
// convex pieces that do not overlap.
std::vector<SectionPolygon> subtractConvex(SectionPolygon subject, const SectionPolygon& window);

// Where a box lies against the plane at `at` along axis `axis` (0 for X, 1
// for Y, 2 for Z), its extent as the cut places it (centre less and plus half
// its size): -1 with its upper face on the plane, 1 with its lower face on
// it, 2 flat in it, 0 crossed by it or apart from it.
int sideOfPlane(const Box& box, int axis, double at);

// The outline a section leaves on a box, counter-clockwise: convex, or the
// two pieces of a folded section's halves joined along the fold where their
// hull would be larger than they are, at the edge or the corner they share
// on it (where they share none, their hull, which reaches over ground
// between them); empty
// where it misses the box or only touches it along an edge or at a corner
// (a piece of a billionth of the box's largest face or less).
SectionPolygon outlineOf(const SectionFrame& frame, const D_3DOT* corners, const Box& box);

// One trace for every cut block without sub-blocks and for every cut
// sub-block, in the order of the cut.
std::vector<SectionTrace> traceCut(const SectionFrame& frame, const D_3DOT* corners,
                                   const KrigBlockResult* blocks, long count);

}  // namespace vornel::cli

#endif
