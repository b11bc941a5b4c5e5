#include "BoxOverlap.h"

#include <algorithm>
#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>
#include <boost/range/adaptor/transformed.hpp>
#include <boost/range/irange.hpp>
#include <cmath>

namespace vornel::cli {
namespace {

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;
using Point = bg::model::point<double, 3, bg::cs::cartesian>;
using Bounds = bg::model::box<Point>;
using Entry = std::pair<Bounds, size_t>;

Bounds boundsOf(const Box& b) {
    return {{b.low(0), b.low(1), b.low(2)}, {b.high(0), b.high(1), b.high(2)}};
}

}  // namespace

bool overlapping(const Box& a, const Box& b) {
    // Boxes too small for their place to show in their corners (1e-300 wide
    // at 1e10) are one box still.
    if (a.centre.x == b.centre.x && a.centre.y == b.centre.y && a.centre.z == b.centre.z &&
        a.size.x == b.size.x && a.size.y == b.size.y && a.size.z == b.size.z) {
        return true;
    }
    for (int i = 0; i < 3; ++i) {
        const double depth = std::min(a.high(i), b.high(i)) - std::max(a.low(i), b.low(i));
        if (!(depth > kOverlapShare * std::min(axis(a.size, i), axis(b.size, i)))) {
            return false;
        }
    }
    return true;
}

bool inside(const Box& inner, const Box& outer) {
    for (int i = 0; i < 3; ++i) {
        const double slack = kOverlapShare * axis(inner.size, i);
        if (inner.low(i) < outer.low(i) - slack || inner.high(i) > outer.high(i) + slack) {
            return false;
        }
    }
    return true;
}

// An R-tree answers for each box the boxes that reach into it, whatever
// their sizes.
struct BoxIndex::Tree {
    bgi::rtree<Entry, bgi::rstar<16>> rtree;
};

BoxIndex::BoxIndex(const std::vector<Box>& boxes)
    : tree_(std::make_unique<Tree>(Tree{bgi::rtree<Entry, bgi::rstar<16>>(
          boost::irange<size_t>(0, boxes.size()) | boost::adaptors::transformed([&](size_t i) {
              return Entry{boundsOf(boxes[i]), i};
          }))})) {}

BoxIndex::~BoxIndex() = default;

std::vector<size_t> BoxIndex::reaching(const Box& query, const std::array<double, 3>& inset) const {
    const Bounds drawnIn{
        {query.low(0) + inset[0], query.low(1) + inset[1], query.low(2) + inset[2]},
        {query.high(0) - inset[0], query.high(1) - inset[1], query.high(2) - inset[2]}};
    std::vector<size_t> found;
    for (auto it = tree_->rtree.qbegin(bgi::intersects(drawnIn)); it != tree_->rtree.qend(); ++it) {
        found.push_back(it->second);
    }
    return found;
}

// Each box asks with its faces drawn in by a millionth of the smallest size,
// far less than any overlap counted: boxes that only touch it, which could be
// many, are not among the answers.
void forEachOverlap(const std::vector<Box>& boxes,
                    const std::function<bool(size_t, size_t)>& visit) {
    const BoxIndex index(boxes);
    std::array<double, 3> inset = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    for (const Box& b : boxes) {
        for (int i = 0; i < 3; ++i) {
            inset[i] = std::min(inset[i], 1e-6 * axis(b.size, i));
        }
    }
    for (size_t later = 0; later < boxes.size(); ++later) {
        std::vector<size_t> reaching = index.reaching(boxes[later], inset);
        std::sort(reaching.begin(), reaching.end());
        for (const size_t earlier : reaching) {
            if (earlier < later && overlapping(boxes[earlier], boxes[later]) &&
                !visit(earlier, later)) {
                return;
            }
        }
    }
}

std::optional<std::pair<size_t, size_t>> firstOverlap(const std::vector<Box>& boxes) {
    std::optional<std::pair<size_t, size_t>> first;
    forEachOverlap(boxes, [&first](size_t earlier, size_t later) {
        first = std::make_pair(earlier, later);
        return false;
    });
    return first;
}

}  // namespace vornel::cli
