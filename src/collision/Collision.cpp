#include "collision/Collision.h"

#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "collision/Collide.h"
#include "collision/Surface.h"

using vornel::collision::Surface;

namespace {

struct LastCollision {
    ObbtHandle first = nullptr;
    ObbtHandle second = nullptr;
    std::vector<ObbtTriPair> pairs;
};

// Freed surfaces keep their vectors' capacity for the next build, so that a
// warm thread tests box after box without allocating.
thread_local std::vector<std::unique_ptr<Surface>> spareSurfaces;
thread_local LastCollision last;

std::unique_ptr<Surface> takeSpare() {
    if (spareSurfaces.empty()) {
        return std::make_unique<Surface>();
    }
    std::unique_ptr<Surface> s = std::move(spareSurfaces.back());
    spareSurfaces.pop_back();
    return s;
}

void turnAround(LastCollision& c) {
    std::swap(c.first, c.second);
    for (ObbtTriPair& p : c.pairs) {
        std::swap(p.first, p.second);
    }
}

}  // namespace

ObbtHandle BuildObbtOfPolyh(const TinPntStrcT* pnts, long nPnts, const TinNetStrcT* tris,
                            long nTris) {
    if (pnts == nullptr || tris == nullptr || nPnts <= 0 || nTris <= 0) {
        return nullptr;
    }
    std::unique_ptr<Surface> s = takeSpare();
    vornel::collision::load(*s, pnts, nPnts, tris, nTris);
    return s.release();
}

long ObbtCollide(ObbtHandle first, ObbtHandle second, double, double, double, double) {
    last.first = first;
    last.second = second;
    last.pairs.clear();
    if (first != nullptr && second != nullptr) {
        vornel::collision::collide(*first, *second, last.pairs);
    }
    return static_cast<long>(last.pairs.size());
}

// cppcheck-suppress constParameter ; handles keep one type across the interface
long GetCollideTriPair(ObbtHandle first, ObbtHandle second, const ObbtTriPair** pairs,
                       long* count) {
    const bool asCollided = first == last.first && second == last.second;
    const bool reversed = first == last.second && second == last.first;
    if (!asCollided && !reversed) {
        *pairs = nullptr;
        *count = 0;
        return 0;
    }
    if (!asCollided) {
        turnAround(last);
    }
    *pairs = last.pairs.empty() ? nullptr : last.pairs.data();
    *count = static_cast<long>(last.pairs.size());
    return 1;
}

long DeleteObbtObj(ObbtHandle handle) {
    if (handle == nullptr) {
        return 0;
    }
    // The handle may come back from the next build; its pairs must not.
    if (handle == last.first || handle == last.second) {
        last.first = nullptr;
        last.second = nullptr;
        last.pairs.clear();
    }
    std::unique_ptr<Surface> surface(handle);
    try {
        spareSurfaces.push_back(std::move(surface));
    } catch (const std::bad_alloc&) {
        // No room to keep it for the next build (a failed push_back leaves
        // the pointer where it was): it goes now. Nothing leaves a delete.
    }
    return 1;
}
