// The socket seam's shared half: the per-thread blocking hook and cancellation, and the
// sliced waits every blocking call is built on.
#include "platform/net.h"
#include "platform/net_internal.h"

namespace platform {
namespace {

thread_local BlockingHook threadHook = nullptr;
thread_local int blockingDepth = 0;
thread_local bool cancelRequested = false;

}  // namespace

void SetBlockingHook(BlockingHook hook) { threadHook = hook; }
bool IsBlocking() { return blockingDepth > 0; }

void CancelBlockingCall() {
  if (blockingDepth > 0) cancelRequested = true;
}

int WaitInSlices(Socket s, bool forWrite) {
  ++blockingDepth;
  int result;
  for (;;) {
    if (cancelRequested) {
      cancelRequested = false;
      SetLastSocketError(kErrCancelled);
      result = -1;
      break;
    }
    int ready = SelectOne(s, forWrite, kWaitSliceMs);
    if (ready != 0) {
      result = ready > 0 ? 0 : -1;
      break;
    }
    if (threadHook) threadHook();
  }
  --blockingDepth;
  if (blockingDepth == 0) cancelRequested = false;
  return result;
}

}  // namespace platform
