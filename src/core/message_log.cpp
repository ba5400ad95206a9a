// The message ring and its views.
#include "core/message_log.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "core/prompts.h"
#include "core/settings.h"
#include "ui/front_end.h"

namespace core {
namespace {

struct MessageLog {
  std::mutex lock;
  char ring[kRingLines][kLineChars + 1] = {};
  int count = 0;
  int viewPos = 1;
};

MessageLog& Log() {
  static MessageLog log;
  return log;
}

// The two status lines showing the ring around position `pos` (copied under the lock).
struct StatusView {
  std::string upper, lower;
  bool hasUpper = false;
};
StatusView ViewAt(const MessageLog& log, int pos) {
  return StatusView{pos > 0 ? log.ring[pos - 1] : "", log.ring[pos], pos > 0};
}

}  // namespace

void LogMessage(const char* format, ...) {
  char buf[256];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  if (n < 0) return;
  LogLine(buf);
}

void LogLine(const std::string& text) {
  if (!text.empty() && text[0] == '[' && Settings().verbose.load() == 0) return;
  MessageLog& log = Log();
  std::string line;
  StatusView view;
  {
    std::lock_guard<std::mutex> guard(log.lock);
    int slot;
    if (log.count == kRingLines) {
      std::memmove(log.ring[0], log.ring[1], sizeof log.ring[0] * (kRingLines - 1));
      slot = kRingLines - 1;
    } else {
      slot = log.count++;
    }
    size_t n = std::min(text.size(), static_cast<size_t>(kLineChars));
    // A zero byte inside the text ends the line, as it would in the slot.
    n = std::min(n, std::strlen(text.c_str()));
    std::memcpy(log.ring[slot], text.data(), n);
    log.ring[slot][n] = '\0';
    log.viewPos = slot;
    line = log.ring[slot];
    view = ViewAt(log, slot);
  }
  // The views are updated after the lock is released: a front end that hands them to another
  // thread never waits while holding it.
  ui::Front().AppendLogLine(line);
  ui::Front().ShowStatusLines(view.upper, view.lower, view.hasUpper);
}

void ScrollStatusLines(int delta) {
  MessageLog& log = Log();
  StatusView view;
  {
    std::lock_guard<std::mutex> guard(log.lock);
    log.viewPos += delta;
    if (log.viewPos < 1) {
      log.viewPos = 1;
      return;
    }
    if (log.viewPos > log.count - 1) {
      log.viewPos = log.count > 0 ? log.count - 1 : 1;
      return;
    }
    view = ViewAt(log, log.viewPos);
  }
  ui::Front().ShowStatusLines(view.upper, view.lower, view.hasUpper);
}

void CurrentStatusLines(std::string& upper, std::string& lower) {
  MessageLog& log = Log();
  std::lock_guard<std::mutex> guard(log.lock);
  StatusView view = log.count > 0 ? ViewAt(log, std::min(log.viewPos, log.count - 1)) : StatusView{};
  upper = view.upper;
  lower = view.lower;
}

std::string LogWindowText() {
  std::string all;
  for (const auto& line : StoredLines()) all += line + "\r\n";
  return all;
}

std::vector<std::string> StoredLines() {
  MessageLog& log = Log();
  std::lock_guard<std::mutex> guard(log.lock);
  std::vector<std::string> out;
  for (int i = 0; i < log.count; ++i) out.emplace_back(log.ring[i]);
  return out;
}

int StoredLineCount() {
  std::lock_guard<std::mutex> guard(Log().lock);
  return Log().count;
}

int StatusViewPosition() {
  std::lock_guard<std::mutex> guard(Log().lock);
  return Log().viewPos;
}

bool WriteLogTo(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  for (const auto& line : StoredLines()) std::fprintf(f, "%s\n", line.c_str());
  return std::fclose(f) == 0;
}

void SaveLog() {
  std::string name;
  if (!GetInputString(&name, "Enter name for log file:")) return;
  WriteLogTo(name);
}

void ResetMessageLog() {
  MessageLog& log = Log();
  std::lock_guard<std::mutex> guard(log.lock);
  std::memset(log.ring, 0, sizeof log.ring);
  log.count = 0;
  log.viewPos = 1;
}

}  // namespace core
