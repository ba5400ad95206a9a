// The one worker thread of batch transfers: started with BusyFlag taken, never killed; stopping
// it raises the cancel flags and waits for it while the calling thread keeps its window alive.
#pragma once
#include <functional>

namespace app {

// Starts `job` on the worker thread when BusyFlag is free (taken in one step and cleared when
// the job returns). False when a worker runs or BusyFlag is held: nothing was started.
bool StartWorker(std::function<void()> job);

// True from StartWorker until the job has returned.
bool WorkerRunning();

// Stops a running worker without killing it: sets AbortFlag and BatchCancel, shuts the data
// connection down so that a blocked wait ends, and waits for the job to return while the calling
// thread keeps dispatching its waiting messages. True when no worker runs any more; false when it
// was still running after `timeoutMs` (it then ends on its own later and clears BusyFlag itself).
bool StopWorker(int timeoutMs = 2000);

// Waits (dispatching messages) until a worker that ends on its own has ended; then releases it.
void JoinWorker();

}  // namespace app
