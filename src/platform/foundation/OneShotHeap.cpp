#include "platform/foundation/OneShotHeap.h"

// Any C library header says which library this is.
#include <cstdlib>
#if defined(__GLIBC__)
#include <malloc.h>

#include <algorithm>
#include <string>
#include <string_view>
#endif

namespace folio {

namespace {

bool g_heapIsForOneShotTask = false;

} // namespace

bool heapIsForOneShotTask() { return g_heapIsForOneShotTask; }

#if defined(__GLIBC__)

namespace {

// mallopt takes its sizes as int.
constexpr std::size_t kLargestReservation = std::size_t(1) << 30;
// What the heap grows by once the reservation is spent, so that a task
// larger than foreseen still grows in few steps.
constexpr int kLaterGrowth = 32 << 20;

} // namespace

void reserveHeapForOneShotTask(std::size_t expectedPeakBytes)
{
    g_heapIsForOneShotTask = true;
    const std::size_t reservation = std::min(expectedPeakBytes, kLargestReservation);
    // Large blocks come from the heap too, so that they reuse what the task
    // freed before them.
    mallopt(M_MMAP_MAX, 0);
    // Small blocks freed to the fast lists are merged all at once on the
    // next large request, a walk over every one of them; freed straight to
    // the ordinary lists they are merged as they come, at less in all.
    mallopt(M_MXFAST, 0);
    mallopt(M_TRIM_THRESHOLD, int(kLargestReservation));
    mallopt(M_TOP_PAD, int(reservation));
    // A block larger than the free top of the heap makes the heap grow, by
    // the block and the reservation at once.
    std::free(std::malloc(mallinfo2().keepcost + 4096));
    mallopt(M_TOP_PAD, kLaterGrowth);
}

void readyStartedProcessesForOneShotTask()
{
    // A started process cannot be handed a reservation, only the policy:
    // large blocks from the heap, freed blocks kept, the heap grown in large
    // steps. The page process builds and frees its layout's and its printed
    // pages' buffers over and over, and faulted each one in anew.
    static constexpr std::string_view kSettings[][2] = {
        {"glibc.malloc.mmap_max", "0"},
        {"glibc.malloc.mxfast", "0"},
        {"glibc.malloc.trim_threshold", "1073741824"},
        {"glibc.malloc.top_pad", "33554432"},
    };
    // The user's own settings are kept whole: the C library has already
    // cut this process's copy of them into pieces, so they could not even be
    // read back to add to.
    if (std::getenv("GLIBC_TUNABLES"))
        return;
    std::string tunables;
    for (const auto& [name, value] : kSettings) {
        if (!tunables.empty())
            tunables += ':';
        tunables.append(name).append("=").append(value);
    }
    setenv("GLIBC_TUNABLES", tunables.c_str(), 1);
}

#else

void reserveHeapForOneShotTask(std::size_t) { g_heapIsForOneShotTask = true; }

void readyStartedProcessesForOneShotTask() {}

#endif

} // namespace folio
