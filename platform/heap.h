#pragma once
// The C library's heap: large blocks come straight from the system, and
// free pages go back to it once a capture is over.

namespace pryx::platform {

// Blocks of 1 MiB and more are mapped on their own and unmapped when freed.
// Left alone, the C library raises that limit to the size of the largest
// block freed so far, so after the first capture every picture, encoded
// file and stripe buffer of later ones lands in the heap and its pages stay
// with the process. Call once, before the first large allocation.
void keepLargeBlocksOutOfHeap();

// Hands the free pages of every heap arena back to the system.
void releaseFreeHeap();

} // namespace pryx::platform
