#include "platform/foundation/FreedMemory.h"

// Any C library header says which library this is.
#include <cstdlib>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace folio {

void releaseFreedMemory()
{
#if defined(__GLIBC__)
    // Trims every arena, not only the calling thread's.
    malloc_trim(0);
#endif
}

void returnLargeBlocksWhenFreed()
{
#if defined(__GLIBC__)
    // Setting the size also stops the allocator from moving it.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}

} // namespace folio
