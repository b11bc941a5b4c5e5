// Where a section quadrilateral meets a block, in the section's own plane
// coordinates, for drawing. Plain doubles: these results are only looked at,
// never used to decide what a section cuts.
#ifndef VORNEL_SECTIONTRACE_H
#define VORNEL_SECTIONTRACE_H

#include <optional>
#include <string>
#include <vector>

#include "vornel/Export.h"
#include "vornel/Types.h"

namespace vornel {

// Plane coordinates of a section with corners c1 to c4: origin at c1, u the
// unit vector from c1 toward c2, v the unit vector along the part of c1->c4
// square to u (of c1->c3 when c4 lies on the line through c1 and c2). A
// vertical section along a line has u along the line and v upward when c4
// lies above c1; a plan has u and v along its edges.
struct SectionFrame {
    D_3DOT origin;
    D_3DOT u;
    D_3DOT v;
};

struct SectionPoint {
    double u;
    double v;
};

using SectionPolygon = std::vector<SectionPoint>;

// The frame of the four corners, or none when c2 coincides with c1 or the
// other two lie on the line through c1 and c2.
VORNEL_API std::optional<SectionFrame> sectionFrame(const D_3DOT* corners);

// p's coordinates in the frame, p being first projected onto its plane.
VORNEL_API SectionPoint toSection(const SectionFrame& frame, const D_3DOT& p);

// "X", "-Y", "Z" and so on for a direction along a coordinate axis,
// otherwise its components to three significant digits: "(0.6, 0.8, 0)",
// one below a two-thousandth of the direction's length as 0.
VORNEL_API std::string axisLabel(const D_3DOT& direction);

// The parts of the section triangles (c1, c2, c3) and (c3, c4, c1) that lie
// in the closed box with the given centre and full edge lengths, one
// polygon for each triangle that reaches into the box. A triangle that only
// touches the box may give a polygon without area.
VORNEL_API std::vector<SectionPolygon> traceBox(const SectionFrame& frame, const D_3DOT* corners,
                                     const D_3DOT& centre, const D_3DOT& size);

}  // namespace vornel

#endif
