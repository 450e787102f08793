#include "platform/heap.h"

#include <cstdlib>   // defines __GLIBC__ with the C library's features
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace pryx::platform {

void releaseFreeHeap()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace pryx::platform
