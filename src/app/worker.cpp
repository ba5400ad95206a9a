// The batch worker thread: one at a time, stopped through the cancel flags and joined, never killed.
#include "app/worker.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "core/app_state.h"
#include "ftp/control.h"
#include "platform/net.h"
#include "ui/front_end.h"

namespace app {
namespace {

struct WorkerState {
  std::mutex lock;  // guards `thread` (start, join)
  std::thread thread;
  std::atomic<bool> running{false};
  // At exit: a job that ended on its own has not been joined yet (a thread left joinable would
  // abort the program); one still running, that did not stop in time, ends with the process.
  ~WorkerState() {
    if (!thread.joinable()) return;
    if (running) thread.detach();
    else thread.join();
  }
};

WorkerState& Worker() {
  static WorkerState state;
  return state;
}

// Joins a thread whose job has returned (or is about to): it owns nothing any more.
void ReleaseFinished(WorkerState& w) {
  std::lock_guard<std::mutex> guard(w.lock);
  if (w.thread.joinable() && !w.running) w.thread.join();
}

}  // namespace

bool StartWorker(std::function<void()> job) {
  WorkerState& w = Worker();
  ReleaseFinished(w);
  std::lock_guard<std::mutex> guard(w.lock);
  if (w.running || w.thread.joinable()) return false;
  if (!core::TryTakeBusy()) return false;
  w.running = true;
  w.thread = std::thread([job = std::move(job)]() {
    job();
    core::SetBusy(0);
    Worker().running = false;
  });
  return true;
}

bool WorkerRunning() { return Worker().running.load(); }

bool StopWorker(int timeoutMs) {
  WorkerState& w = Worker();
  if (!w.running) {
    ReleaseFinished(w);
    return true;
  }
  ftp::ConnectionState& c = ftp::Conn();
  c.abortFlag = 1;
  c.batchCancel = 1;
  // A receive or send blocked on the data connection ends at once; the worker closes the socket.
  ftp::Socket data = c.dataSocket.load();
  if (data != ftp::kNoSocket) platform::ShutdownSocket(data);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (w.running && std::chrono::steady_clock::now() < deadline) {
    ui::Front().PumpWaitingMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (w.running) return false;
  ReleaseFinished(w);
  return true;
}

void JoinWorker() {
  WorkerState& w = Worker();
  while (w.running) {
    ui::Front().PumpWaitingMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ReleaseFinished(w);
}

}  // namespace app
