// Counts global allocations while a CountAllocations scope is active. Include this header in
// exactly one source file of a test program: it replaces the global operator new and delete.
//
// ThreadSanitizer links its own global operator new, which cannot be replaced a second time;
// that build only runs the concurrent tests, so counting is left out there and
// kAllocationsCounted is false.
#pragma once

#include <atomic>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_THREAD__)
#define QX_COUNT_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QX_COUNT_ALLOCATIONS 0
#endif
#endif
#ifndef QX_COUNT_ALLOCATIONS
#define QX_COUNT_ALLOCATIONS 1
#endif

namespace qx::testing {

inline std::atomic<bool> g_counting_allocations{false};
inline std::atomic<long> g_allocation_count{0};
inline constexpr bool kAllocationsCounted = QX_COUNT_ALLOCATIONS != 0;

// Counts the allocations made between construction and count().
class CountAllocations {
  public:
    CountAllocations() {
        g_allocation_count = 0;
        g_counting_allocations = true;
    }
    ~CountAllocations() { g_counting_allocations = false; }
    long count() const { return g_allocation_count.load(); }
};

}  // namespace qx::testing

#if QX_COUNT_ALLOCATIONS

// Both sides go through malloc and free so every allocator (sanitizers included) sees matching
// pairs.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
    if (qx::testing::g_counting_allocations.load(std::memory_order_relaxed)) {
        qx::testing::g_allocation_count.fetch_add(1, std::memory_order_relaxed);
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
#endif
