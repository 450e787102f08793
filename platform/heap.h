#pragma once
// The C library's heap: free pages go back to the system once a capture is
// over. After the first large block is freed the C library serves later
// pictures, encoded files and stripe buffers from its heap, and keeps the
// pages of a freed heap block with the process.

namespace pryx::platform {

// Hands the free pages of every heap arena back to the system.
void releaseFreeHeap();

} // namespace pryx::platform
