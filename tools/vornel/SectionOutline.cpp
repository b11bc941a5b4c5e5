#include "SectionOutline.h"

#include <algorithm>
#include <cmath>

namespace vornel::cli {

OutlineOnSection outlineOnSection(const PlanOutline& outline, const SectionFrame& frame) {
    const D_3DOT& u = frame.u;
    const D_3DOT& v = frame.v;
    const D_3DOT normal{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
    const D_3DOT& o = frame.origin;
    OutlineOnSection on;
    // How far a corner lies across the plane, measured in plan.
    const auto across = [&](const PlanPoint& p) {
        return normal.x * (p.x - o.x) + normal.y * (p.y - o.y);
    };
    const auto addEdge = [&](const PlanPoint& a, const PlanPoint& b) {
        if (normal.z != 0) {
            // The height at which the plane stands above a corner.
            const auto onPlane = [&](const PlanPoint& p) {
                return toSection(frame, {p.x, p.y, o.z - across(p) / normal.z});
            };
            on.edges.emplace_back(onPlane(a), onPlane(b));
            return;
        }
        // The outline meets the section where an edge passes from one side
        // to the other, and at each corner on it: so an edge along the
        // section is met at both its ends, from whichever side.
        const double da = across(a);
        const double db = across(b);
        if (da == 0) {
            on.crossings.push_back(toSection(frame, {a.x, a.y, o.z}).u);
        } else if ((da < 0 && db > 0) || (da > 0 && db < 0)) {
            const double t = da / (da - db);
            on.crossings.push_back(
                toSection(frame, {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), o.z}).u);
        }
    };
    for (const std::vector<PlanPoint>& corners : outline.parts()) {
        for (size_t i = 0; i < corners.size(); ++i) {
            addEdge(corners[i], corners[(i + 1) % corners.size()]);
        }
    }
    // Parts that share a corner meet the section there once.
    std::sort(on.crossings.begin(), on.crossings.end());
    on.crossings.erase(std::unique(on.crossings.begin(), on.crossings.end()), on.crossings.end());
    return on;
}

}  // namespace vornel::cli
