// Replaces the global allocation functions so that a test can count every
// allocation made while counting is on, the non-throwing forms included.
// Include it in exactly one source file of a program.
#pragma once

#include <atomic>
#include <cstdlib>
#include <new>

namespace tarn::testing {

inline std::atomic<bool> countingAllocations{false};
inline std::atomic<long> allocationCount{0};

inline void *countedAllocation(std::size_t size) {
    if (countingAllocations.load(std::memory_order_relaxed)) allocationCount.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size ? size : 1);
}

}  // namespace tarn::testing

// GCC sees the replaced operator new inlined as malloc and the matching
// delete as free, and takes the pair for a mismatch.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void *operator new(std::size_t size) {
    if (void *p = tarn::testing::countedAllocation(size)) return p;
    throw std::bad_alloc();
}
void *operator new[](std::size_t size) { return operator new(size); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
    return tarn::testing::countedAllocation(size);
}
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept {
    return tarn::testing::countedAllocation(size);
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }
