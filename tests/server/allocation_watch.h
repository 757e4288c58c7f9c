// Test support: the global allocation functions of the test program that
// links this, replaced to watch large allocations. They count the bytes of
// every allocation of at least kLargeAllocation, and can be told to refuse
// such allocations, or every allocation of one thread, as a machine out of
// memory would. Any thread.
#pragma once

#include <cstddef>

constexpr size_t kLargeAllocation = 1024 * 1024;

// Bytes of large allocations since the last reset.
size_t largeAllocatedBytes();
void resetLargeAllocatedBytes();

// While set, large allocations throw std::bad_alloc.
void refuseLargeAllocations(bool refuse);

// While set, every allocation the calling thread makes throws std::bad_alloc
// (nothrow forms return null). Other threads are not affected.
void refuseAllocationsOnThisThread(bool refuse);
