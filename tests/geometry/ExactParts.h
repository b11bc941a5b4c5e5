// The independent side of the randomized tests: exact constructions and none
// of the filters of the code under test. A triangle without area is the union
// of its edges, an edge without length its end point.
#ifndef VORNEL_TESTS_GEOMETRY_EXACTPARTS_H
#define VORNEL_TESTS_GEOMETRY_EXACTPARTS_H

#include <CGAL/Exact_predicates_exact_constructions_kernel.h>

#include <array>
#include <variant>
#include <vector>

#include "vornel/Types.h"

namespace vornel::test {

using Exact = CGAL::Exact_predicates_exact_constructions_kernel;
using ExactParts = std::vector<std::variant<Exact::Point_3, Exact::Segment_3, Exact::Triangle_3>>;

ExactParts triangleParts(const D_3DOT& a, const D_3DOT& b, const D_3DOT& c);

// The section's triangles (1, 2, 3) and (3, 4, 1), or one of them.
ExactParts sectionParts(const std::array<D_3DOT, 4>& corners, int triangle = 0);

// The six faces of the box with this centre and size.
ExactParts boxSurfaceParts(const D_3DOT& centre, const D_3DOT& size);

bool meet(const ExactParts& a, const ExactParts& b);

}  // namespace vornel::test

#endif
