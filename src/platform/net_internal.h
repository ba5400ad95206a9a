// Internals shared by the two halves of the socket seam.
#pragma once
#include "platform/net.h"

namespace platform {

// Waits up to `ms` for the socket to become readable (or writable): 1 ready, 0 not yet,
// -1 failed (error set). Platform half.
int SelectOne(Socket s, bool forWrite, int ms);

// Waits in slices until the socket is ready, calling the thread's blocking hook between
// slices: 0 when ready, -1 when cancelled (kErrCancelled) or failed.
int WaitInSlices(Socket s, bool forWrite);

}  // namespace platform
