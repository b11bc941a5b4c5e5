// The allocations a program makes through new, counted, and made to fail
// from a size on while a test asks. A test program that compiles
// Allocations.cpp in replaces the global allocation functions with these.
#ifndef VORNEL_TESTS_ALLOCATIONS_H
#define VORNEL_TESTS_ALLOCATIONS_H

#include <atomic>
#include <cstddef>

namespace vornel::test {

// Allocations made so far, by new in every form and by whatever else a test
// routes through allocate().
extern std::atomic<long> allocations;

// Counts the allocation; throws std::bad_alloc where it fails.
void* allocate(std::size_t bytes);

// Allocations of at least `bytes` fail while it lives; the engine's own
// (which does not use new) go on.
class ShortOfMemory {
public:
    explicit ShortOfMemory(std::size_t bytes);
    ~ShortOfMemory();
    ShortOfMemory(const ShortOfMemory&) = delete;
    ShortOfMemory& operator=(const ShortOfMemory&) = delete;
};

// The nth allocation from now (1 for the next) fails while it lives: once,
// or `onward`, with every one after it, as when memory stays short. With
// `engineToo`, the engine's own allocations count and fail as well.
class FailingAllocation {
public:
    explicit FailingAllocation(long nth, bool onward = false, bool engineToo = false);
    ~FailingAllocation();
    FailingAllocation(const FailingAllocation&) = delete;
    FailingAllocation& operator=(const FailingAllocation&) = delete;

    // Whether the allocation has been made, and failed.
    bool failed() const;
};

}  // namespace vornel::test

#endif
