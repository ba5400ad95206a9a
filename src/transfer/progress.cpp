// The rate rule, the progress text and the statistics line.
#include "transfer/progress.h"

#include <atomic>
#include <cinttypes>
#include <cstdio>

#include "core/message_log.h"
#include "core/settings.h"
#include "transfer/transfer_state.h"
#include "ui/front_end.h"

namespace transfer {
namespace {
// Forwards the engine's progress calls to whichever front end is installed.
class FrontEndProgress : public ProgressPort {
 public:
  void Open(bool sending, const std::string& statusText) override { ui::Front().ProgressOpen(sending, statusText); }
  void SetProgress(const std::string& text) override { ui::Front().ProgressText(text); }
  void Close() override { ui::Front().ProgressClose(); }
  bool IsOpen() const override { return ui::Front().ProgressIsOpen(); }
};
std::atomic<uint64_t> lastUpdate{0};

std::string MinutesSeconds(uint64_t seconds) {
  char buf[48];
  std::snprintf(buf, sizeof buf, " : %" PRIu64 ":%02" PRIu64, seconds / 60, seconds % 60);
  return buf;
}
}  // namespace

ProgressPort* CurrentProgressPort() {
  static FrontEndProgress progress;
  return &progress;
}
void ResetProgressThrottle() { lastUpdate = 0; }

Rate ComputeRate(int64_t bytes, uint64_t elapsedMs, int tranrate) {
  if (elapsedMs < 100) elapsedMs = 100;
  float s = static_cast<float>(elapsedMs) / 1000.0f;
  float b = static_cast<float>(bytes);
  if (tranrate == 1) {
    float bps = b / s;
    if (bps <= 1024) return {bps, "Bps"};
    if (bps / 1024 <= 1024) return {bps / 1024, "KBps"};
    return {bps / 1024 / 1024, "MBps"};
  }
  float kbit = static_cast<float>(bytes / 102) / s;
  if (bytes > 100000) {
    if (kbit <= 1024) return {kbit, "Kbps"};
    return {kbit / 1024, "Mbps"};
  }
  float bits = 10 * b / s;
  if (bits <= 10000) return {bits, "bps"};
  float k = static_cast<float>((10 * bytes) / 1024) / s;
  if (k <= 1024) return {k, "Kbps"};
  return {kbit / 1024, "Mbps"};
}

std::string ProgressText(int64_t bytes, uint64_t start, uint64_t now, int64_t total) {
  char buf[160];
  if (core::Settings().hash == 0) {
    std::snprintf(buf, sizeof buf, "%" PRId64, bytes);
    return buf;
  }
  uint64_t elapsed = now - start;
  if (elapsed < 100) elapsed = 100;
  Rate r = ComputeRate(bytes, elapsed, core::Settings().tranrate);
  std::snprintf(buf, sizeof buf, "%" PRId64 " : %.2f %s", bytes, static_cast<double>(r.value), r.unit);
  std::string text = buf;
  if (elapsed / 1000 > 0) text += MinutesSeconds(elapsed / 1000);
  if (total > 0 && bytes > 0 && total - bytes > 0 && elapsed > 1000) {
    double perSecond = static_cast<double>(bytes) / (static_cast<double>(elapsed) / 1000.0);
    uint64_t remaining = static_cast<uint64_t>(static_cast<double>(total - bytes) / perSecond);
    if (remaining > 0) text += MinutesSeconds(remaining);
  }
  return text;
}

void ShowProgress(int64_t bytes, uint64_t start, uint64_t now, int64_t total) {
  ProgressPort* p = CurrentProgressPort();
  if (!p->IsOpen()) return;
  if (bytes == 0) {
    p->SetProgress("");
    return;
  }
  if (core::Settings().hash != 0) {
    if (now - lastUpdate.load() < 500) return;
    lastUpdate = now;
  }
  p->SetProgress(ProgressText(bytes, start, now, total));
}

void ReportTransferStats(const char* label, int64_t bytes, uint64_t start, uint64_t end, bool failed) {
  uint64_t elapsed = end - start;
  if (elapsed < 100) elapsed = 100;
  Rate r = ComputeRate(bytes, elapsed, core::Settings().tranrate);
  core::LogMessage("%s %" PRId64 " bytes in %.1f secs, (%.2f %s), transfer %s", label, bytes,
                   static_cast<double>(elapsed) / 1000.0, static_cast<double>(r.value), r.unit,
                   failed ? "failed" : "succeeded");
  Transfer().transferTotal = 0;
}

}  // namespace transfer
