// Replaces the global operator new and delete with counting ones. Kept in a file of its own so
// the compiler never sees a new and a delete of the same block together and pairs them wrongly.
#include "bench/heap_calls.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::uint64_t> heapCalls{0};
}  // namespace

std::uint64_t HeapCallCount() {
    return heapCalls.load(std::memory_order_relaxed);
}

void* operator new(std::size_t size) {
    heapCalls.fetch_add(1, std::memory_order_relaxed);
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
