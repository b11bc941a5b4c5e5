// The plan outline reader on any bytes a file can hold: it either refuses
// the file with one Failure, or gives an outline of some area that boxes
// share out as the plane does: a box around it holds all of it, the four
// quarters of that box hold as much between them, and no box holds more
// than its own volume.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "Failure.h"
#include "FuzzCheck.h"
#include "PlanOutline.h"

using vornel::cli::Box;
using vornel::cli::Failure;
using vornel::cli::PlanOutline;
using vornel::cli::PlanPoint;
using vornel::fuzz::require;

namespace {

// A plan from x0 to x1 and y0 to y1, 1 m high: its volume is its area.
Box plan(double x0, double x1, double y0, double y1) {
    return {{x0 / 2 + x1 / 2, y0 / 2 + y1 / 2, 0}, {x1 - x0, y1 - y0, 1}};
}

// Areas agree when they differ by no more than the rounding of sums of
// products of the corners' coordinates can explain.
void requireSameArea(double a, double b, double slack) {
    require(!(std::fabs(a - b) > slack));
}

void checkAreas(const PlanOutline& outline) {
    const double area = outline.area();
    require(area > 0 && std::isfinite(area));
    double lo[2] = {HUGE_VAL, HUGE_VAL};
    double hi[2] = {-HUGE_VAL, -HUGE_VAL};
    double largest = 0;
    size_t corners = 0;
    for (const auto& part : outline.parts()) {
        for (const PlanPoint& p : part) {
            lo[0] = std::min(lo[0], p.x);
            hi[0] = std::max(hi[0], p.x);
            lo[1] = std::min(lo[1], p.y);
            hi[1] = std::max(hi[1], p.y);
            largest = std::max({largest, std::fabs(p.x), std::fabs(p.y)});
            ++corners;
        }
    }
    const double extent = std::max(hi[0] - lo[0], hi[1] - lo[1]);
    const double slack = 1e-9 * area + 64.0 * static_cast<double>(corners) *
                                           std::numeric_limits<double>::epsilon() * largest *
                                           extent;
    const Box around = plan(lo[0], hi[0], lo[1], hi[1]);
    if (!std::isfinite(around.volume())) {
        return;  // a plan wider than a double holds
    }
    requireSameArea(outline.volumeIn(around), area, slack);
    const double midX = lo[0] / 2 + hi[0] / 2;
    const double midY = lo[1] / 2 + hi[1] / 2;
    double quarters = 0;
    for (const Box& quarter : {plan(lo[0], midX, lo[1], midY), plan(midX, hi[0], lo[1], midY),
                               plan(lo[0], midX, midY, hi[1]), plan(midX, hi[0], midY, hi[1])}) {
        const double inside = outline.volumeIn(quarter);
        require(inside >= 0 && !(inside > quarter.volume() * (1 + 1e-12) + slack));
        quarters += inside;
    }
    requireSameArea(quarters, area, 4 * slack);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const vornel::fuzz::ScratchFile file("-outline.csv");
    file.write(data, size);
    try {
        checkAreas(vornel::cli::readOutline(file.path()));
    } catch (const Failure& failure) {
        require(std::string(failure.what()).find('\n') == std::string::npos);  // one line
    }
    return 0;
}
