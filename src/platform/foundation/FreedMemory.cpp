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

} // namespace folio
