#include "BoxOverlap.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace vornel::cli {
namespace {

using Cell = std::array<int64_t, 3>;

struct CellHash {
    size_t operator()(const Cell& c) const {
        const std::hash<int64_t> h;
        return (h(c[0]) * 31 + h(c[1])) * 31 + h(c[2]);
    }
};

}  // namespace

bool overlapping(const Box& a, const Box& b) {
    const double slack = kBoxTolerance * std::max({a.size.x, a.size.y, a.size.z});
    for (int i = 0; i < 3; ++i) {
        if (a.high(i) <= b.low(i) + slack || b.high(i) <= a.low(i) + slack) {
            return false;
        }
    }
    return true;
}

// Cells as large as the largest box: the lower corners of two boxes that
// overlap lie in the same cell or in neighbouring ones.
std::optional<std::pair<size_t, size_t>> firstOverlap(const std::vector<Box>& boxes) {
    double cell[3] = {0, 0, 0};
    for (const Box& b : boxes) {
        for (int i = 0; i < 3; ++i) {
            cell[i] = std::max(cell[i], axis(b.size, i));
        }
    }
    const auto cellOf = [&](const Box& b) {
        Cell c{};
        for (int i = 0; i < 3; ++i) {
            // Far out, boxes share a cell rather than overflow its number.
            constexpr double kFar = 4e18;
            c[i] = static_cast<int64_t>(std::clamp(std::floor(b.low(i) / cell[i]), -kFar, kFar));
        }
        return c;
    };
    // The boxes of a cell as a chain: the last one placed, and before each
    // the one placed before it.
    constexpr size_t kNone = SIZE_MAX;
    std::unordered_map<Cell, size_t, CellHash> last(boxes.size());
    std::vector<size_t> before(boxes.size(), kNone);
    for (size_t later = 0; later < boxes.size(); ++later) {
        const Cell home = cellOf(boxes[later]);
        for (int n = 0; n < 27; ++n) {
            const Cell near{home[0] + n % 3 - 1, home[1] + n / 3 % 3 - 1, home[2] + n / 9 - 1};
            const auto found = last.find(near);
            for (size_t e = found == last.end() ? kNone : found->second; e != kNone;
                 e = before[e]) {
                if (overlapping(boxes[e], boxes[later])) {
                    return std::make_pair(e, later);
                }
            }
        }
        const auto [it, added] = last.try_emplace(home, later);
        if (!added) {
            before[later] = it->second;
            it->second = later;
        }
    }
    return std::nullopt;
}

}  // namespace vornel::cli
