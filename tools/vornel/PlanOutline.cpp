#include "PlanOutline.h"

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Polygon_2_algorithms.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <map>

#include "ColumnRoles.h"
#include "Failure.h"
#include "NumberText.h"
#include "PartMeeting.h"
#include "Shapefile.h"
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

// Whether the edge from a to b crosses the ray from (x, y) towards +Y, the
// edge taken over X from its lower end up to, not with, its higher end.
bool crossesRayUp(const PlanPoint& a, const PlanPoint& b, double x, double y) {
    if ((a.x <= x) == (b.x <= x)) {
        return false;
    }
    // Whether the point lies below the edge, decided exactly: the edge's
    // height there, worked out in doubles, can lose a corner's last digits
    // (a point 1e-289 off another part's corner read as on its edge).
    const PlanPoint& left = a.x < b.x ? a : b;
    const PlanPoint& right = a.x < b.x ? b : a;
    return CGAL::orientation(Kernel::Point_2(left.x, left.y), Kernel::Point_2(right.x, right.y),
                             Kernel::Point_2(x, y)) == CGAL::RIGHT_TURN;
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

// The corners of one part, distinct; throws Failure, naming the part
// `where`, for corners that make no simple polygon enclosing an area.
std::vector<PlanPoint> checkedCorners(std::vector<PlanPoint> given, const std::string& where) {
    std::vector<PlanPoint> corners = distinctCorners(std::move(given));
    // Far beyond any map, and near enough to a double's limits that the
    // exact arithmetic of the nesting test overflows on its way.
    constexpr double farthest = 1e15;
    for (const PlanPoint& c : corners) {
        if (!(std::fabs(c.x) <= farthest && std::fabs(c.y) <= farthest)) {
            throw Failure(where +
                          ": a corner of the outline is no number, or lies more than 1e15 m from "
                          "the origin");
        }
    }
    if (corners.size() < 3) {
        throw Failure(where + ": an outline needs three corners or more, not " +
                      std::to_string(corners.size()));
    }
    std::vector<Kernel::Point_2> points;
    points.reserve(corners.size());
    std::transform(corners.begin(), corners.end(), std::back_inserter(points),
                   [](const PlanPoint& c) { return Kernel::Point_2(c.x, c.y); });
    if (!CGAL::is_simple_2(points.begin(), points.end(), Kernel())) {
        throw Failure(where +
                      ": the outline's edges cross or touch each other; give its corners "
                      "in order around it, once each");
    }
    if (std::fabs(twiceArea(corners)) / 2 == 0) {
        throw Failure(where + ": the outline encloses no area");
    }
    return corners;
}

}  // namespace

PlanOutline::PlanOutline(std::vector<OutlinePart> given, std::string name)
    : name_(std::move(name)), bounds_{HUGE_VAL, -HUGE_VAL, HUGE_VAL, -HUGE_VAL} {
    for (OutlinePart& part : given) {
        addPart(checkedCorners(std::move(part.corners),
                               name_ + (part.name.empty() ? "" : ", part '" + part.name + "'")));
    }
    indexEdges();
    findHoles(given);
    // A hole that differs from its part by less than a double tells apart
    // leaves nothing.
    if (!(area_ > 0)) {
        throw Failure(name_ + ": the outline encloses no area");
    }
}

void PlanOutline::addPart(std::vector<PlanPoint> corners) {
    Rectangle box{HUGE_VAL, -HUGE_VAL, HUGE_VAL, -HUGE_VAL};
    for (const PlanPoint& c : corners) {
        box = {std::min(box[0], c.x), std::max(box[1], c.x), std::min(box[2], c.y),
               std::max(box[3], c.y)};
    }
    bounds_ = {std::min(bounds_[0], box[0]), std::max(bounds_[1], box[1]),
               std::min(bounds_[2], box[2]), std::max(bounds_[3], box[3])};
    partBounds_.push_back(box);
    const auto index = static_cast<uint32_t>(parts_.size());
    for (size_t i = 0; i < corners.size(); ++i) {
        edges_.push_back({corners[i], corners[(i + 1) % corners.size()], index});
    }
    parts_.push_back(std::move(corners));
}

void PlanOutline::indexEdges() {
    // About one edge to a strip, and two cells to an edge in a grid as
    // square as the bounds allow: a box then sees the few edges near it.
    const double width = bounds_[1] - bounds_[0];
    const double height = bounds_[3] - bounds_[2];
    const size_t count = edges_.size();
    strips_ = {bounds_[0], width / static_cast<double>(std::min<size_t>(count, 4096)),
               std::min<size_t>(count, 4096)};
    stripEdges_.resize(strips_.count);
    for (size_t e = 0; e < count; ++e) {
        const Edge& edge = edges_[e];
        for (size_t s = strips_.of(std::min(edge.a.x, edge.b.x));
             s <= strips_.of(std::max(edge.a.x, edge.b.x)); ++s) {
            stripEdges_[s].push_back(static_cast<uint32_t>(e));
        }
    }
    const double cellCount = static_cast<double>(std::min<size_t>(2 * count, size_t{1} << 20));
    const double across =
        std::clamp(std::round(std::sqrt(cellCount * width / height)), 1.0, cellCount);
    columns_ = {bounds_[0], width / across, static_cast<size_t>(across)};
    const double down = std::max(1.0, std::floor(cellCount / across));
    rows_ = {bounds_[2], height / down, static_cast<size_t>(down)};
    cells_.resize(columns_.count * rows_.count);
    for (size_t e = 0; e < count; ++e) {
        addToCells(static_cast<uint32_t>(e));
    }
}

void PlanOutline::addToCells(uint32_t index) {
    const bool rightward = edges_[index].a.x <= edges_[index].b.x;
    const PlanPoint& left = rightward ? edges_[index].a : edges_[index].b;
    const PlanPoint& right = rightward ? edges_[index].b : edges_[index].a;
    const double yLow = std::min(left.y, right.y);
    const double yHigh = std::max(left.y, right.y);
    const auto yAt = [&](double x) {
        return std::clamp(left.y + (x - left.x) / (right.x - left.x) * (right.y - left.y), yLow,
                          yHigh);
    };
    // The rows reached are taken a row wider on each side than the Y where
    // the edge enters and leaves the column, which the rounding of the
    // division may put a little off.
    const double margin = rows_.step + 1e-14 * std::max(std::fabs(yLow), std::fabs(yHigh));
    const size_t first = columns_.of(left.x);
    const size_t last = columns_.of(right.x);
    for (size_t c = first; c <= last; ++c) {
        const double x0 = columns_.from + static_cast<double>(c) * columns_.step;
        const double y0 = c == first ? left.y : yAt(x0);
        const double y1 = c == last ? right.y : yAt(x0 + columns_.step);
        for (size_t r = rows_.of(std::min(y0, y1) - margin);
             r <= rows_.of(std::max(y0, y1) + margin); ++r) {
            cell(c, r).push_back(index);
        }
    }
}

void PlanOutline::findHoles(const std::vector<OutlinePart>& given) {
    std::vector<size_t> around(parts_.size(), 0);
    const std::set<std::pair<uint32_t, uint32_t>> meeting = meetingParts();
    for (const auto& [p, q] : meeting) {
        const std::string both =
            name_ + ": parts '" + given[p].name + "' and '" + given[q].name + "' of the outline ";
        switch (howPartsMeet(parts_[p], parts_[q])) {
            case PartMeeting::Apart:
                break;
            case PartMeeting::FirstInside:
                ++around[p];
                break;
            case PartMeeting::SecondInside:
                ++around[q];
                break;
            case PartMeeting::Same:
                throw Failure(both + "enclose the same ground");
            case PartMeeting::Overlapping:
                throw Failure(both +
                              "overlap; each part must lie apart from the others (sharing edges "
                              "and corners at most), or wholly inside one as a hole");
        }
    }
    // Parts that do not meet: any corner of one tells whether it lies
    // inside the other, by the edges of the other that the ray up from it
    // crosses, all of them in the corner's strip.
    std::vector<bool> holds(parts_.size(), false);
    std::vector<uint32_t> crossed;
    for (uint32_t p = 0; p < parts_.size(); ++p) {
        const PlanPoint& corner = parts_[p][0];
        for (const uint32_t index : stripEdges_[strips_.of(corner.x)]) {
            const Edge& e = edges_[index];
            if (e.part != p && crossesRayUp(e.a, e.b, corner.x, corner.y)) {
                holds[e.part] = !holds[e.part];
                crossed.push_back(e.part);
            }
        }
        for (const uint32_t q : crossed) {
            if (holds[q] && meeting.count({std::min(p, q), std::max(p, q)}) == 0) {
                ++around[p];
            }
            holds[q] = false;
        }
        crossed.clear();
    }
    // A part inside an odd number of others is a hole: the parts nest, so
    // the count alternates ground and hole down the nesting.
    for (size_t p = 0; p < parts_.size(); ++p) {
        signs_.push_back(around[p] % 2 == 0 ? 1.0 : -1.0);
        area_ += signs_.back() * std::fabs(twiceArea(parts_[p])) / 2;
    }
}

std::set<std::pair<uint32_t, uint32_t>> PlanOutline::meetingParts() const {
    std::set<std::pair<uint32_t, uint32_t>> meeting;
    for (const std::vector<uint32_t>& near : cells_) {
        for (size_t i = 0; i < near.size(); ++i) {
            const Edge& e = edges_[near[i]];
            for (size_t j = i + 1; j < near.size(); ++j) {
                const Edge& f = edges_[near[j]];
                const std::pair pair{std::min(e.part, f.part), std::max(e.part, f.part)};
                if (e.part != f.part && std::max(e.a.y, e.b.y) >= std::min(f.a.y, f.b.y) &&
                    std::max(f.a.y, f.b.y) >= std::min(e.a.y, e.b.y) && meeting.count(pair) == 0 &&
                    CGAL::do_intersect(Kernel::Segment_2({e.a.x, e.a.y}, {e.b.x, e.b.y}),
                                       Kernel::Segment_2({f.a.x, f.a.y}, {f.b.x, f.b.y}))) {
                    meeting.insert(pair);
                }
            }
        }
    }
    return meeting;
}

size_t PlanOutline::Steps::of(double v) const {
    // Steps too narrow for a double make the quotient infinite.
    const double s = std::min((v - from) / step, 1e18);
    return s >= 1 ? std::min(static_cast<size_t>(s), count - 1) : 0;
}

bool PlanOutline::edgeMeets(double xLow, double xHigh, double yLow, double yHigh) const {
    const size_t lastRow = rows_.of(yHigh);
    const size_t lastColumn = columns_.of(xHigh);
    for (size_t c = columns_.of(xLow); c <= lastColumn; ++c) {
        for (size_t r = rows_.of(yLow); r <= lastRow; ++r) {
            for (const uint32_t index : cell(c, r)) {
                const PlanPoint& a = edges_[index].a;
                const PlanPoint& b = edges_[index].b;
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
    }
    return false;
}

bool PlanOutline::contains(double x, double y) const {
    // Each part holds the point when the ray crosses its edges an odd
    // number of times (an edge two parts share counts for each), and the
    // parts nest or lie apart: an odd count in all is ground, an even one a
    // hole or outside.
    bool in = false;
    for (const uint32_t index : stripEdges_[strips_.of(x)]) {
        in = in != crossesRayUp(edges_[index].a, edges_[index].b, x, y);
    }
    return in;
}

double PlanOutline::areaIn(double xLow, double xHigh, double yLow, double yHigh) const {
    if (xHigh <= bounds_[0] || xLow >= bounds_[1] || yHigh <= bounds_[2] || yLow >= bounds_[3]) {
        return 0;
    }
    const double whole = (xHigh - xLow) * (yHigh - yLow);
    if (!edgeMeets(xLow, xHigh, yLow, yHigh)) {
        return contains((xLow + xHigh) / 2, (yLow + yHigh) / 2) ? whole : 0;
    }
    const auto [at, added] = clippedAreas_.try_emplace(Rectangle{xLow, xHigh, yLow, yHigh}, 0.0);
    if (added) {
        double inside = 0;
        for (const BandPart& piece : bandOf(xLow, xHigh)) {
            const Rectangle& box = partBounds_[piece.part];
            if (yHigh <= box[2] || yLow >= box[3]) {
                continue;
            }
            std::vector<PlanPoint> p = clipped(piece.corners, 1, yLow, true);
            p = clipped(p, 1, yHigh, false);
            inside += p.size() < 3 ? 0 : signs_[piece.part] * std::fabs(twiceArea(p)) / 2;
        }
        at->second = std::clamp(inside, 0.0, whole);
    }
    return at->second;
}

const std::vector<PlanOutline::BandPart>& PlanOutline::bandOf(double xLow, double xHigh) const {
    // Kept for the plans of a column of blocks, read one after another; a
    // model of pieces in ever new places would make too many to keep.
    if (bands_.size() >= 65536) {
        bands_.clear();
    }
    const auto [at, added] = bands_.try_emplace(Band{xLow, xHigh});
    if (added) {
        for (uint32_t part = 0; part < parts_.size(); ++part) {
            const Rectangle& box = partBounds_[part];
            if (xHigh > box[0] && xLow < box[1]) {
                std::vector<PlanPoint> cut =
                    clipped(clipped(parts_[part], 0, xLow, true), 0, xHigh, false);
                if (cut.size() >= 3) {
                    at->second.push_back({part, std::move(cut)});
                }
            }
        }
    }
    return at->second;
}

double PlanOutline::volumeIn(const Box& box) const {
    return areaIn(box.low(0), box.high(0), box.low(1), box.high(1)) * box.size.z;
}

PlanOutline readOutline(const std::string& path) {
    if (std::optional<std::vector<OutlinePart>> rings = shapefileRings(path)) {
        return PlanOutline(std::move(*rings), path);
    }
    TextRows rows(path);
    Row row;
    if (!rows.next(row)) {
        throw Failure(path + ": the file holds no rows");
    }
    double value = 0;
    int xColumn = 0;
    int yColumn = 1;
    int partColumn = -1;
    if (!parseNumber(row.fields[0].text, value)) {
        xColumn = yColumn = -1;
        for (size_t c = 0; c < row.fields.size(); ++c) {
            const std::string name = normalName(row.fields[c].text);
            if (namesRole(name, Role::X)) {
                xColumn = static_cast<int>(c);
            } else if (namesRole(name, Role::Y)) {
                yColumn = static_cast<int>(c);
            } else if (name == "PART" || name == "RING" || name == "POLYGON") {
                partColumn = static_cast<int>(c);
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
    std::vector<OutlinePart> parts;
    std::map<std::string, size_t> partNamed;
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
        const auto c = static_cast<size_t>(partColumn);
        const std::string part = partColumn >= 0 && c < row.fields.size() ? row.fields[c].text : "";
        const auto [at, added] = partNamed.emplace(part, parts.size());
        if (added) {
            parts.push_back({part, {}});
        }
        parts[at->second].corners.push_back(p);
    } while (rows.next(row));
    if (parts.size() == 1) {
        parts[0].name.clear();
    }
    return PlanOutline(std::move(parts), path);
}

std::optional<PlanOutline> optionalOutline(const std::string& path) {
    if (path.empty()) {
        return std::nullopt;
    }
    return readOutline(path);
}

}  // namespace vornel::cli
