#include "platform/heap.h"

#include <cstdlib>   // defines __GLIBC__ with the C library's features
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace pryx::platform {

void keepLargeBlocksOutOfHeap()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    mallopt(M_TRIM_THRESHOLD, 4 << 20);
#endif
}

void releaseFreeHeap()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace pryx::platform
