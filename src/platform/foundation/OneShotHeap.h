#pragma once

#include <cstddef>

namespace folio {

// Readies the allocator for a process that does one large task and exits,
// such as converting a document on the command line. Left as it is, the
// allocator maps each large block afresh and hands it back when freed, and
// returns the top of its heap as soon as it is free: a conversion's buffers
// come and go, and every time, each of their pages is faulted in anew (on a
// virtual machine, several microseconds a page). This reserves
// `expectedPeakBytes` of heap in one piece and keeps whatever the task frees
// for its later allocations.
//
// Large pages would save more faults still, but where memory is fragmented
// the kernel compacts it on the spot to make them, which costs more than it
// saves; they are not asked for.
//
// Not for a long-lived process: nothing the task frees leaves it.
void reserveHeapForOneShotTask(std::size_t expectedPeakBytes);

} // namespace folio
