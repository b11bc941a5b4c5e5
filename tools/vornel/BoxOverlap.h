// Which of many boxes overlap, found without comparing every pair: a file
// may hold a million blocks, or a parent column that makes them all one
// block's sub-blocks, and blocks of very different sizes.
#ifndef VORNEL_CLI_BOXOVERLAP_H
#define VORNEL_CLI_BOXOVERLAP_H

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "Box.h"

namespace vornel::cli {

// How deep two boxes may run into each other on an axis, as a share of the
// smaller one's size there, and still count as neighbours: centres rounded
// to two decimals put 6.25 m blocks up to 1 cm into each other.
constexpr double kOverlapShare = 0.01;

// Whether two boxes overlap: on every axis they run into each other deeper
// than kOverlapShare of the smaller one's size there. Boxes that share a
// face do not; two boxes of one centre and size always do.
bool overlapping(const Box& a, const Box& b);

// Whether a box lies inside another, but for as much as overlapping lets
// boxes run into each other: rounded centres may stand a sub-block out of
// its block by that.
bool inside(const Box& inner, const Box& outer);

// Many boxes, kept for asking which of them reach into a box.
class BoxIndex {
public:
    explicit BoxIndex(const std::vector<Box>& boxes);
    ~BoxIndex();
    BoxIndex(const BoxIndex&) = delete;
    BoxIndex& operator=(const BoxIndex&) = delete;

    // The boxes that meet `query` drawn in by `inset` on each axis (by
    // nothing: those that touch it too).
    std::vector<size_t> reaching(const Box& query, const std::array<double, 3>& inset = {}) const;

private:
    struct Tree;
    std::unique_ptr<Tree> tree_;
};

// Calls visit(earlier, later) for each pair of boxes that overlap, by the
// later box, in the given order, until it returns false.
void forEachOverlap(const std::vector<Box>& boxes,
                    const std::function<bool(size_t, size_t)>& visit);

// The first box, in the given order, that overlaps an earlier one:
// {earlier, later}.
std::optional<std::pair<size_t, size_t>> firstOverlap(const std::vector<Box>& boxes);

}  // namespace vornel::cli

#endif
