#include "allocation_watch.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> largeBytes{0};
std::atomic<bool> refusing{false};
thread_local bool refusingThisThread = false;

void* allocate(size_t size) {
  if (refusingThisThread) throw std::bad_alloc();
  if (size >= kLargeAllocation) {
    if (refusing.load()) throw std::bad_alloc();
    largeBytes.fetch_add(size);
  }
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}

}  // namespace

size_t largeAllocatedBytes() { return largeBytes.load(); }
void resetLargeAllocatedBytes() { largeBytes.store(0); }
void refuseLargeAllocations(bool refuse) { refusing.store(refuse); }
void refuseAllocationsOnThisThread(bool refuse) { refusingThisThread = refuse; }

void* operator new(size_t size) { return allocate(size); }
void* operator new[](size_t size) { return allocate(size); }
// The nothrow forms too, so that every allocation is paired with the free
// below (and refused alike).
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
