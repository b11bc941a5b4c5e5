#include "PlanOutline.h"

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Polygon_2_algorithms.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "ColumnRoles.h"
#include "Failure.h"
#include "NumberText.h"
#include "TextRows.h"

namespace vornel::cli {
namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;

// Twice the signed area (anticlockwise above 0), by the shoelace.
double twiceArea(const std::vector<PlanPoint>& p) {
    double sum = 0;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        sum += (p[j].x - p[i].x) * (p[j].y + p[i].y);
    }
    return sum;
}

// The polygon cut to one side of a line across X (axis 0) or Y (axis 1):
// one step of Sutherland and Hodgman's clipping, which gives the right area
// for any polygon clipped by a convex one.
std::vector<PlanPoint> clipped(const std::vector<PlanPoint>& p, int across, double at,
                               bool keepAbove) {
    const auto value = [across](const PlanPoint& q) { return across == 0 ? q.x : q.y; };
    const auto kept = [&](const PlanPoint& q) {
        return keepAbove ? value(q) >= at : value(q) <= at;
    };
    std::vector<PlanPoint> out;
    out.reserve(p.size() + 4);
    for (size_t i = 0; i < p.size(); ++i) {
        const PlanPoint& a = p[i];
        const PlanPoint& b = p[(i + 1) % p.size()];
        if (kept(a)) {
            out.push_back(a);
        }
        if (kept(a) != kept(b)) {
            const double t = (at - value(a)) / (value(b) - value(a));
            PlanPoint crossing{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
            (across == 0 ? crossing.x : crossing.y) = at;
            out.push_back(crossing);
        }
    }
    return out;
}

// The corners as given, less a last one that repeats the first and corners
// that repeat the one before.
std::vector<PlanPoint> distinctCorners(std::vector<PlanPoint> corners) {
    const auto same = [](const PlanPoint& a, const PlanPoint& b) {
        return a.x == b.x && a.y == b.y;
    };
    corners.erase(std::unique(corners.begin(), corners.end(), same), corners.end());
    if (corners.size() > 1 && same(corners.front(), corners.back())) {
        corners.pop_back();
    }
    return corners;
}

}  // namespace

PlanOutline::PlanOutline(std::vector<PlanPoint> corners, std::string name)
    : name_(std::move(name)), corners_(distinctCorners(std::move(corners))) {
    for (const PlanPoint& c : corners_) {
        if (!std::isfinite(c.x) || !std::isfinite(c.y)) {
            throw Failure(name_ + ": a corner of the outline is no number");
        }
    }
    if (corners_.size() < 3) {
        throw Failure(name_ + ": an outline needs three corners or more, not " +
                      std::to_string(corners_.size()));
    }
    std::vector<Kernel::Point_2> points;
    points.reserve(corners_.size());
    std::transform(corners_.begin(), corners_.end(), std::back_inserter(points),
                   [](const PlanPoint& c) { return Kernel::Point_2(c.x, c.y); });
    if (!CGAL::is_simple_2(points.begin(), points.end(), Kernel())) {
        throw Failure(name_ +
                      ": the outline's edges cross or touch each other; give its corners "
                      "in order around it, once each");
    }
    area_ = std::fabs(twiceArea(corners_)) / 2;
    if (!std::isfinite(area_)) {
        throw Failure(name_ + ": the outline's area is beyond what a double holds");
    }
    if (area_ == 0) {
        throw Failure(name_ + ": the outline encloses no area");
    }
    const auto [xLow, xHigh] =
        std::minmax_element(corners_.begin(), corners_.end(),
                            [](const PlanPoint& a, const PlanPoint& b) { return a.x < b.x; });
    const auto [yLow, yHigh] =
        std::minmax_element(corners_.begin(), corners_.end(),
                            [](const PlanPoint& a, const PlanPoint& b) { return a.y < b.y; });
    xLow_ = xLow->x;
    xHigh_ = xHigh->x;
    yLow_ = yLow->y;
    yHigh_ = yHigh->y;
    // About one edge to a strip: a box then sees the few edges near it.
    const size_t stripCount = std::min<size_t>(corners_.size(), 4096);
    stripWidth_ = (xHigh_ - xLow_) / static_cast<double>(stripCount);
    strips_.resize(stripCount);
    for (size_t e = 0; e < corners_.size(); ++e) {
        const PlanPoint& a = corners_[e];
        const PlanPoint& b = corners_[(e + 1) % corners_.size()];
        for (size_t s = stripOf(std::min(a.x, b.x)); s <= stripOf(std::max(a.x, b.x)); ++s) {
            strips_[s].push_back(static_cast<uint32_t>(e));
        }
    }
}

size_t PlanOutline::stripOf(double x) const {
    // Strips too narrow for a double make the quotient infinite.
    const double s = std::min((x - xLow_) / stripWidth_, 1e18);
    return s >= 1 ? std::min(static_cast<size_t>(s), strips_.size() - 1) : 0;
}

bool PlanOutline::edgeMeets(double xLow, double xHigh, double yLow, double yHigh) const {
    for (size_t s = stripOf(xLow); s <= stripOf(xHigh); ++s) {
        for (const uint32_t e : strips_[s]) {
            const PlanPoint& a = corners_[e];
            const PlanPoint& b = corners_[(e + 1) % corners_.size()];
            if (std::max(a.x, b.x) < xLow || std::min(a.x, b.x) > xHigh ||
                std::max(a.y, b.y) < yLow || std::min(a.y, b.y) > yHigh) {
                continue;
            }
            // The edge's line leaves the rectangle's four corners on one
            // side when it passes it by.
            const auto side = [&](double x, double y) {
                const double cross = (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
                return cross > 0 ? 1 : cross < 0 ? -1 : 0;
            };
            const int sides[] = {side(xLow, yLow), side(xHigh, yLow), side(xHigh, yHigh),
                                 side(xLow, yHigh)};
            if (std::any_of(std::begin(sides), std::end(sides),
                            [&](int v) { return v != sides[0]; }) ||
                sides[0] == 0) {
                return true;
            }
        }
    }
    return false;
}

bool PlanOutline::contains(double x, double y) const {
    // Edges crossed by the ray from the point towards +Y, each edge taken
    // over X from its lower end up to, not with, its higher end.
    bool in = false;
    for (const uint32_t e : strips_[stripOf(x)]) {
        const PlanPoint& a = corners_[e];
        const PlanPoint& b = corners_[(e + 1) % corners_.size()];
        if ((a.x <= x) != (b.x <= x)) {
            const double yAt = a.y + (x - a.x) / (b.x - a.x) * (b.y - a.y);
            in = in != (yAt > y);
        }
    }
    return in;
}

double PlanOutline::areaIn(double xLow, double xHigh, double yLow, double yHigh) const {
    if (xHigh <= xLow_ || xLow >= xHigh_ || yHigh <= yLow_ || yLow >= yHigh_) {
        return 0;
    }
    const double whole = (xHigh - xLow) * (yHigh - yLow);
    if (!edgeMeets(xLow, xHigh, yLow, yHigh)) {
        return contains((xLow + xHigh) / 2, (yLow + yHigh) / 2) ? whole : 0;
    }
    const auto [at, added] = clippedAreas_.try_emplace(Rectangle{xLow, xHigh, yLow, yHigh}, 0.0);
    if (added) {
        std::vector<PlanPoint> p = clipped(corners_, 0, xLow, true);
        p = clipped(p, 0, xHigh, false);
        p = clipped(p, 1, yLow, true);
        p = clipped(p, 1, yHigh, false);
        at->second = p.size() < 3 ? 0 : std::min(whole, std::fabs(twiceArea(p)) / 2);
    }
    return at->second;
}

size_t PlanOutline::RectangleHash::operator()(const Rectangle& r) const {
    // The bits of the four numbers, mixed by multiplying: a few times faster
    // than hashing each number's bytes, which counts on a model of millions
    // of pieces.
    uint64_t h = 0;
    for (const double v : r) {
        uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        h = (h ^ bits) * 0x9E3779B97F4A7C15ULL;
        h ^= h >> 32;
    }
    return static_cast<size_t>(h);
}

double PlanOutline::volumeIn(const Box& box) const {
    return areaIn(box.low(0), box.high(0), box.low(1), box.high(1)) * box.size.z;
}

PlanOutline readOutline(const std::string& path) {
    TextRows rows(path);
    Row row;
    if (!rows.next(row)) {
        throw Failure(path + ": the file holds no rows");
    }
    double value = 0;
    int xColumn = 0;
    int yColumn = 1;
    if (!parseNumber(row.fields[0].text, value)) {
        xColumn = yColumn = -1;
        for (size_t c = 0; c < row.fields.size(); ++c) {
            if (namesRole(row.fields[c].text, Role::X)) {
                xColumn = static_cast<int>(c);
            } else if (namesRole(row.fields[c].text, Role::Y)) {
                yColumn = static_cast<int>(c);
            }
        }
        if (xColumn < 0 || yColumn < 0) {
            throw Failure(placeOf(path, row.line, 0) +
                          ": no X and Y columns (X/Y, EAST/NORTH, ...) for the outline's corners");
        }
        if (!rows.next(row)) {
            throw Failure(placeOf(path, row.line, 0) + ": a header but no corners");
        }
    }
    std::vector<PlanPoint> corners;
    do {
        PlanPoint p;
        for (const auto& [column, into] : {std::pair{xColumn, &p.x}, std::pair{yColumn, &p.y}}) {
            const auto c = static_cast<size_t>(column);
            if (c >= row.fields.size() || !parseNumber(row.fields[c].text, *into)) {
                throw Failure(
                    placeOf(path, row.line, c < row.fields.size() ? row.fields[c].column : 0) +
                    ": expected a number for the corner's " + (into == &p.x ? "X" : "Y"));
            }
        }
        corners.push_back(p);
    } while (rows.next(row));
    return PlanOutline(std::move(corners), path);
}

}  // namespace vornel::cli
