#include "support/Allocations.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace vornel::test {

std::atomic<long> allocations{0};

namespace {

std::atomic<std::size_t> failFrom{SIZE_MAX};
// Allocations left before the one that fails; 0 when none is to.
std::atomic<long> failIn{0};
// Whether every allocation after that one fails too, and whether it came.
std::atomic<bool> failOnward{false};
std::atomic<bool> failing{false};
std::atomic<bool> engineCounted{false};

void* allocateOrNull(std::size_t bytes) noexcept {
    try {
        return allocate(bytes);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// Counts the allocation, and says whether it is to fail.
bool allocationFails(std::size_t bytes) {
    ++allocations;
    if (bytes >= failFrom.load()) {
        return true;
    }
    long left = failIn.load();
    while (left > 0 && !failIn.compare_exchange_weak(left, left - 1)) {
    }
    if (left == 1) {
        failing = failOnward.load();
        return true;
    }
    return failing.load();
}

// The engine's allocator, as it was before the one below took its place.
sqlite3_mem_methods engineMemory;

// True where the engine's allocation is to fail; counted only while asked.
bool engineAllocationFails(int bytes) {
    return engineCounted.load() && allocationFails(static_cast<std::size_t>(bytes));
}

void* engineMalloc(int bytes) {
    return engineAllocationFails(bytes) ? nullptr : engineMemory.xMalloc(bytes);
}

void* engineRealloc(void* p, int bytes) {
    return engineAllocationFails(bytes) ? nullptr : engineMemory.xRealloc(p, bytes);
}

// Put in place before the engine starts, which is before main.
const bool engineAllocatorHooked = [] {
    sqlite3_config(SQLITE_CONFIG_GETMALLOC, &engineMemory);
    static sqlite3_mem_methods hooked = engineMemory;
    hooked.xMalloc = engineMalloc;
    hooked.xRealloc = engineRealloc;
    if (sqlite3_config(SQLITE_CONFIG_MALLOC, &hooked) != SQLITE_OK) {
        std::abort();
    }
    return true;
}();

}  // namespace

void* allocate(std::size_t bytes) {
    if (allocationFails(bytes)) {
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(bytes == 0 ? 1 : bytes)) {
        return p;
    }
    throw std::bad_alloc();
}

ShortOfMemory::ShortOfMemory(std::size_t bytes) {
    failFrom = bytes;
}

ShortOfMemory::~ShortOfMemory() {
    failFrom = SIZE_MAX;
}

FailingAllocation::FailingAllocation(long nth, bool onward, bool engineToo) {
    failOnward = onward;
    failing = false;
    failIn = nth;
    engineCounted = engineToo;
}

FailingAllocation::~FailingAllocation() {
    engineCounted = false;
    failIn = 0;
    failing = false;
}

bool FailingAllocation::failed() const {
    return failIn.load() == 0;
}

}  // namespace vornel::test

// Every form, since the sanitizer's runtime gives each its own.
void* operator new(std::size_t n) {
    return vornel::test::allocate(n);
}
void* operator new[](std::size_t n) {
    return vornel::test::allocate(n);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return vornel::test::allocateOrNull(n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return vornel::test::allocateOrNull(n);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
