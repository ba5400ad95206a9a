// The message ring and its views.
#include "core/message_log.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "core/prompts.h"
#include "core/settings.h"

namespace core {
namespace {

struct MessageLog {
  std::mutex lock;
  char ring[kRingLines][kLineChars + 1] = {};
  int count = 0;
  int viewPos = 1;
  ui::Label* upper = nullptr;
  ui::Label* lower = nullptr;
  ui::Edit* logText = nullptr;
};

MessageLog& Log() {
  static MessageLog log;
  return log;
}

void ShowView(MessageLog& log, int pos) {
  if (log.lower) log.lower->SetText(log.ring[pos]);
  if (log.upper && pos > 0) log.upper->SetText(log.ring[pos - 1]);
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
  if (log.logText) log.logText->AppendText(std::string(log.ring[slot]) + "\r\n");
  if (log.lower) log.lower->SetText(log.ring[slot]);
  if (slot > 0 && log.upper) log.upper->SetText(log.ring[slot - 1]);
  log.viewPos = slot;
}

void ScrollStatusLines(int delta) {
  MessageLog& log = Log();
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
  ShowView(log, log.viewPos);
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

void AttachStatusLines(ui::Label* upper, ui::Label* lower) {
  std::lock_guard<std::mutex> guard(Log().lock);
  Log().upper = upper;
  Log().lower = lower;
}

void AttachLogText(ui::Edit* text) {
  MessageLog& log = Log();
  std::lock_guard<std::mutex> guard(log.lock);
  log.logText = text;
  if (!text) return;
  std::string all;
  for (int i = 0; i < log.count; ++i) {
    all += log.ring[i];
    all += "\r\n";
  }
  text->AppendText(all);
  text->SelectAll();
}

bool LogWindowOpen() {
  std::lock_guard<std::mutex> guard(Log().lock);
  return Log().logText != nullptr;
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
  log.upper = log.lower = nullptr;
  log.logText = nullptr;
}

}  // namespace core
