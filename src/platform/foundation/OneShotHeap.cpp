#include "platform/foundation/OneShotHeap.h"

// Any C library header says which library this is.
#include <cstdlib>
#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#endif

namespace folio {

#if defined(__GLIBC__)

namespace {

// mallopt takes its sizes as int.
constexpr std::size_t kLargestReservation = std::size_t(1) << 30;
// What the heap grows by once the reservation is spent, so that a task
// larger than foreseen still grows in few steps.
constexpr int kLaterGrowth = 32 << 20;
constexpr std::uintptr_t kLargePage = std::uintptr_t(2) << 20;

void adviseLargePages(std::uintptr_t begin, std::uintptr_t end)
{
#if defined(MADV_HUGEPAGE)
    // Only whole large pages inside the heap can be backed by one.
    const std::uintptr_t first = (begin + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t last = end & ~(kLargePage - 1);
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);  // a refusal leaves small pages
#else
    (void)begin;
    (void)end;
#endif
}

} // namespace

void reserveHeapForOneShotTask(std::size_t expectedPeakBytes)
{
    const std::size_t reservation = std::min(expectedPeakBytes, kLargestReservation);
    // Large blocks come from the heap too, so that they reuse what the task
    // freed before them and lie in the large pages.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, int(kLargestReservation));
    mallopt(M_TOP_PAD, int(reservation));

    const auto before = reinterpret_cast<std::uintptr_t>(sbrk(0));
    // A block larger than the free top of the heap makes the heap grow, by
    // the block and the reservation at once.
    void* probe = std::malloc(mallinfo2().keepcost + 4096);
    std::free(probe);
    const auto after = reinterpret_cast<std::uintptr_t>(sbrk(0));
    mallopt(M_TOP_PAD, kLaterGrowth);
    if (probe && after > before)
        adviseLargePages(before, after);
}

#else

void reserveHeapForOneShotTask(std::size_t) {}

#endif

} // namespace folio
