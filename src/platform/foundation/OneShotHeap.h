#pragma once

#include <cstddef>

namespace folio {

// Readies the allocator for a process that does one large task and exits,
// such as converting a document on the command line. Every page the heap
// hands out for the first time costs the kernel a fault (on a virtual machine
// several microseconds), and a conversion touches tens of megabytes: the
// faults cost as much as the conversion's own work. This reserves
// `expectedPeakBytes` of heap in one piece, asks for it in large pages where
// the system grants them, and keeps freed memory for the task's later
// allocations instead of returning it to be faulted in again.
//
// Not for a long-lived process: nothing the task frees leaves it.
void reserveHeapForOneShotTask(std::size_t expectedPeakBytes);

} // namespace folio
