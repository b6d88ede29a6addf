#pragma once

namespace folio {

// Hands memory that was freed back to the system. The allocator keeps what a
// thread freed for that thread's next allocations, so after one large
// transient task (a save that builds the page's HTML tree, its attributed
// text and the file's bytes) the process would keep the task's peak for
// good. Call it after such a task; it costs a walk over the free lists.
void releaseFreedMemory();

// Makes every block of a megabyte or more a mapping of its own, returned to
// the system as soon as it is freed. Left to itself, the allocator raises
// that size after the first large block is freed, up to 32 MB; from then on a
// long document's strings are carved from a worker thread's heap, whose free
// top the release above does not reach (10 MB kept after each save of a 1 MB
// document). Call it once, at the start of the program.
void returnLargeBlocksWhenFreed();

} // namespace folio
