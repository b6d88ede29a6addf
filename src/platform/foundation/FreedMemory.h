#pragma once

namespace folio {

// Hands memory that was freed back to the system. The allocator keeps what a
// thread freed for that thread's next allocations, so after one large
// transient task (a save that builds the page's HTML tree, its attributed
// text and the file's bytes) the process would keep the task's peak for
// good. Call it after such a task; it costs a walk over the free lists.
void releaseFreedMemory();

} // namespace folio
