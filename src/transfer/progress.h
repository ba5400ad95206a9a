// Progress of a transfer: the rate rule, the progress text, the statistics line, and the
// progress port through which a shell shows them (the GUI's status dialog, the console's line).
#pragma once
#include <cstdint>
#include <string>

namespace transfer {

struct Rate {
  float value = 0;
  const char* unit = "bps";
};
// The rate of `bytes` in `elapsedMs` (at least 100 ms counted): tranrate 1 in bytes per
// second, 0 in bits (a byte counting as 10 bits).
Rate ComputeRate(int64_t bytes, uint64_t elapsedMs, int tranrate);

// The progress of a transfer as the engine drives it; it reaches the front end's progress.
class ProgressPort {
 public:
  virtual ~ProgressPort() = default;
  // A transfer starts (sending or receiving) with its status text.
  virtual void Open(bool sending, const std::string& statusText) = 0;
  // The progress text ("" clears it).
  virtual void SetProgress(const std::string& text) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
};
// The front end's progress (never null).
ProgressPort* CurrentProgressPort();

// Updates the progress text (at most every 500 ms); all zero clears it.
void ShowProgress(int64_t bytes, uint64_t startTick, uint64_t nowTick, int64_t expectedTotal);
// The progress text for these figures, ignoring the 500 ms throttle.
std::string ProgressText(int64_t bytes, uint64_t startTick, uint64_t nowTick, int64_t expectedTotal);
// Logs "<label> N bytes in S secs, (R unit), transfer succeeded|failed" and resets TransferTotal.
void ReportTransferStats(const char* label, int64_t bytes, uint64_t startTick, uint64_t endTick, bool failed);
void ResetProgressThrottle();

}  // namespace transfer
