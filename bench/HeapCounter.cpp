#include "HeapCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace tv::bench {
namespace {

std::atomic<std::size_t> inUse{0};
std::atomic<std::size_t> peak{0};
std::atomic<std::size_t> allocations{0};

// Each block carries its size in front of it, where delete finds it; the header keeps the
// alignment malloc gives.
constexpr std::size_t kHeader = alignof(std::max_align_t);

// A request for no bytes still gets a block of its own, as operator new must give.
void* take(std::size_t size) {
    if (size == 0) size = 1;
    void* block = std::malloc(size + kHeader);
    if (!block) return nullptr;
    *static_cast<std::size_t*>(block) = size;
    allocations.fetch_add(1, std::memory_order_relaxed);
    const std::size_t now = inUse.fetch_add(size, std::memory_order_relaxed) + size;
    for (std::size_t seen = peak.load(std::memory_order_relaxed);
         now > seen && !peak.compare_exchange_weak(seen, now, std::memory_order_relaxed);) {
    }
    return static_cast<char*>(block) + kHeader;
}

void give(void* pointer) {
    if (!pointer) return;
    void* block = static_cast<char*>(pointer) - kHeader;
    inUse.fetch_sub(*static_cast<std::size_t*>(block), std::memory_order_relaxed);
    std::free(block);
}

void* takeOrThrow(std::size_t size) {
    if (void* p = take(size)) return p;
    throw std::bad_alloc();
}

} // namespace

std::size_t heapInUse() { return inUse.load(std::memory_order_relaxed); }
std::size_t heapPeak() { return peak.load(std::memory_order_relaxed); }
std::size_t heapAllocations() { return allocations.load(std::memory_order_relaxed); }
void resetHeapPeak() { peak.store(inUse.load(std::memory_order_relaxed), std::memory_order_relaxed); }

} // namespace tv::bench

void* operator new(std::size_t size) { return tv::bench::takeOrThrow(size); }
void* operator new[](std::size_t size) { return tv::bench::takeOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return tv::bench::take(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return tv::bench::take(size); }
void operator delete(void* p) noexcept { tv::bench::give(p); }
void operator delete[](void* p) noexcept { tv::bench::give(p); }
void operator delete(void* p, std::size_t) noexcept { tv::bench::give(p); }
void operator delete[](void* p, std::size_t) noexcept { tv::bench::give(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { tv::bench::give(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { tv::bench::give(p); }
