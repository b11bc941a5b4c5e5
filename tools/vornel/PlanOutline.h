// A closed outline in plan (a licence boundary, a pit's crest, a zone drawn
// on a level plan) standing for all the ground below and above it: how much
// of a block's box lies within it.
#ifndef VORNEL_CLI_PLANOUTLINE_H
#define VORNEL_CLI_PLANOUTLINE_H

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "Box.h"
#include "PlanPoint.h"

namespace vornel::cli {

// One ring of corners in order around it, either way; a last corner that
// repeats the first closes it.
struct OutlinePart {
    std::string name;  // for messages: "part 'B'", or empty for the only one
    std::vector<PlanPoint> corners;
};

class PlanOutline {
public:
    // The ground within the parts: a part inside another is a hole in it,
    // and one inside a hole an island again. Parts may share edges and
    // corners. Throws Failure, naming `name` and the part, for fewer than
    // three corners, a corner that is no number or lies beyond 1e15 m,
    // edges of one part that cross or touch other than at the corners they
    // share, or two parts that overlap without one lying wholly inside the
    // other.
    PlanOutline(std::vector<OutlinePart> parts, std::string name);

    const std::string& name() const { return name_; }
    // Each part's corners in order around it, without a corner repeated.
    const std::vector<std::vector<PlanPoint>>& parts() const { return parts_; }
    double area() const { return area_; }

    // The volume of the part of the box within the outline.
    double volumeIn(const Box& box) const;

private:
    using Rectangle = std::array<double, 4>;  // X from, X to, Y from, Y to
    using Band = std::array<double, 2>;       // X from, X to
    struct BitsHash {
        // The bits of the numbers, mixed by multiplying: a few times faster
        // than hashing each number's bytes, which counts on a model of
        // millions of pieces.
        template <size_t N>
        size_t operator()(const std::array<double, N>& values) const {
            uint64_t h = 0;
            for (const double v : values) {
                uint64_t bits = 0;
                std::memcpy(&bits, &v, sizeof bits);
                h = (h ^ bits) * 0x9E3779B97F4A7C15ULL;
                h ^= h >> 32;
            }
            return static_cast<size_t>(h);
        }
    };
    struct Edge {
        PlanPoint a;
        PlanPoint b;
        uint32_t part;
    };
    struct BandPart {
        uint32_t part;
        std::vector<PlanPoint> corners;
    };
    // Equal steps along X or Y from the outline's bounds.
    struct Steps {
        double from = 0;
        double step = 1;
        size_t count = 1;
        // The step that holds v: the first or the last for a v beyond them.
        size_t of(double v) const;
    };

    void addPart(std::vector<PlanPoint> corners);
    void indexEdges();
    // Adds the edge to each cell its line passes through, or passes near.
    void addToCells(uint32_t index);
    // The parts, the lower number first, that an edge of the other meets.
    std::set<std::pair<uint32_t, uint32_t>> meetingParts() const;
    // Which parts are holes, and the area the parts enclose; throws Failure
    // for parts that overlap or repeat each other.
    void findHoles(const std::vector<OutlinePart>& given);
    double areaIn(double xLow, double xHigh, double yLow, double yHigh) const;
    // The parts that reach into the band of X, cut to it.
    const std::vector<BandPart>& bandOf(double xLow, double xHigh) const;
    // Whether a point of the rectangle lies on an edge found near it: if
    // none does, the rectangle is wholly inside or wholly outside.
    bool edgeMeets(double xLow, double xHigh, double yLow, double yHigh) const;
    bool contains(double x, double y) const;
    std::vector<uint32_t>& cell(size_t column, size_t row) {
        return cells_[row * columns_.count + column];
    }
    const std::vector<uint32_t>& cell(size_t column, size_t row) const {
        return cells_[row * columns_.count + column];
    }

    std::string name_;
    std::vector<std::vector<PlanPoint>> parts_;
    std::vector<double> signs_;  // 1 for a part that is ground, -1 for a hole
    std::vector<Rectangle> partBounds_;
    std::vector<Edge> edges_;
    double area_ = 0;
    Rectangle bounds_{};
    // Edges by the strips of X they span, for the ray that counts the edges
    // above a point.
    Steps strips_;
    std::vector<std::vector<uint32_t>> stripEdges_;
    // Edges by the cells of a grid they pass through, so that a box sees
    // only the edges near it.
    Steps columns_;
    Steps rows_;
    std::vector<std::vector<uint32_t>> cells_;
    // The area within the outline of each plan that an edge crosses, as the
    // clipping measured it: the blocks of a model stand on few plans, one
    // above another.
    mutable std::unordered_map<Rectangle, double, BitsHash> clippedAreas_;
    // The parts cut to each band of X those plans span.
    mutable std::unordered_map<Band, std::vector<BandPart>, BitsHash> bands_;
};

// The outline in a text file of X and Y columns (named as block model files
// name them, or the first two when the file has no header), one corner per
// row, the rows of each part under one name in a PART (or RING, POLYGON)
// column when there are several; other columns, a Z among them, are
// ignored. Throws Failure.
PlanOutline readOutline(const std::string& path);

// The outline in the file at `path`, as an option names it: none when the
// path is empty.
std::optional<PlanOutline> optionalOutline(const std::string& path);

}  // namespace vornel::cli

#endif
