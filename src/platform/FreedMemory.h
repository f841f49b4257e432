#pragma once

// Hands memory the program has freed back to the system. The allocator keeps the freed
// blocks of big buffers (page renderings, window images) for reuse, so after a window or
// a hidden page has let its buffers go they would still count against the program.
namespace FreedMemory {

// Returns freed memory about a second from now, once the engine has finished releasing
// what goes with a closed or hidden page; calls in between coalesce. GUI thread only.
void ReleaseSoon();

} // namespace FreedMemory
