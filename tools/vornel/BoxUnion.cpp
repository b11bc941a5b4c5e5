#include "BoxUnion.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "BoxOverlap.h"

namespace vornel::cli {
namespace {

// A box by its faces, which subtraction cuts along and keeps as they are.
struct Faces {
    std::array<double, 3> lo;
    std::array<double, 3> hi;
};

Faces facesOf(const Box& b) {
    return {{b.low(0), b.low(1), b.low(2)}, {b.high(0), b.high(1), b.high(2)}};
}

Box boxOf(const Faces& f) {
    return {{(f.lo[0] + f.hi[0]) / 2, (f.lo[1] + f.hi[1]) / 2, (f.lo[2] + f.hi[2]) / 2},
            {f.hi[0] - f.lo[0], f.hi[1] - f.lo[1], f.hi[2] - f.lo[2]}};
}

}  // namespace

Box sharedBox(const Box& a, const Box& b) {
    double low[3];
    double size[3];
    for (int i = 0; i < 3; ++i) {
        low[i] = std::max(a.low(i), b.low(i));
        size[i] = std::max(0.0, std::min(a.high(i), b.high(i)) - low[i]);
    }
    return {{low[0] + size[0] / 2, low[1] + size[1] / 2, low[2] + size[2] / 2},
            {size[0], size[1], size[2]}};
}

double sharedVolume(const Box& a, const Box& b) {
    return sharedBox(a, b).volume();
}

double totalVolume(const std::vector<Box>& boxes) {
    return std::accumulate(boxes.begin(), boxes.end(), 0.0,
                           [](double sum, const Box& b) { return sum + b.volume(); });
}

std::vector<Box> subtractBox(const Box& a, const Box& b) {
    if (sharedVolume(a, b) <= 0) {
        return {a};
    }
    const Faces cut = facesOf(b);
    Faces rest = facesOf(a);
    std::vector<Box> parts;
    // Slabs off each side of `b` in turn; what is left lies inside it.
    for (size_t i = 0; i < 3; ++i) {
        if (cut.lo[i] > rest.lo[i]) {
            Faces part = rest;
            part.hi[i] = cut.lo[i];
            parts.push_back(boxOf(part));
            rest.lo[i] = cut.lo[i];
        }
        if (cut.hi[i] < rest.hi[i]) {
            Faces part = rest;
            part.lo[i] = cut.hi[i];
            parts.push_back(boxOf(part));
            rest.hi[i] = cut.hi[i];
        }
    }
    return parts;
}

std::vector<Box> disjointBoxes(const std::vector<Box>& boxes) {
    const BoxIndex index(boxes);
    std::vector<Box> result;
    for (size_t i = 0; i < boxes.size(); ++i) {
        std::vector<Box> left = {boxes[i]};
        for (const size_t earlier : index.reaching(boxes[i])) {
            if (earlier >= i) {
                continue;
            }
            std::vector<Box> next;
            for (const Box& part : left) {
                const std::vector<Box> outside = subtractBox(part, boxes[earlier]);
                next.insert(next.end(), outside.begin(), outside.end());
            }
            left = std::move(next);
        }
        result.insert(result.end(), left.begin(), left.end());
    }
    return result;
}

}  // namespace vornel::cli
