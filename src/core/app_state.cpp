// Process-wide client state, the busy flag, and the pure rules of start-up.
#include "core/app_state.h"

#include <cstdint>

namespace core {
namespace {
std::mutex busyLock;
int busyFlag = 0;
}  // namespace

AppState& App() {
  static AppState state;
  return state;
}

void AppState::Reset() {
  appInstance = nullptr;
  mainWindow = nullptr;
  threadsAvailable = 1;
  commandLineBuffer.clear();
  commandLineMode = 0;
  startDirectory.clear();
  savedSplitX = savedSplitY = 0;
  modelessDialog = nullptr;
  splashWindow = nullptr;
  SetBusy(0);
}

void SetBusy(int busy) {
  std::lock_guard<std::mutex> lock(busyLock);
  busyFlag = busy;
}

bool TryTakeBusy() {
  std::lock_guard<std::mutex> lock(busyLock);
  if (busyFlag) return false;
  busyFlag = 1;
  return true;
}

int IsBusy() {
  std::lock_guard<std::mutex> lock(busyLock);
  return busyFlag;
}

int ParseLocationField(const char* p) {
  while (*p == ' ' || *p == '\t') ++p;
  bool negative = false;
  if (*p == '-' || *p == '+') negative = (*p++ == '-');
  uint32_t v = 0;
  for (; *p >= '0' && *p <= '9'; ++p) v = v * 10u + static_cast<uint32_t>(*p - '0');
  if (negative) v = 0u - v;
  return static_cast<int32_t>(v);
}

void ApplySavedLocation(const std::string& text, WindowLocation& loc) {
  if (text.empty()) return;
  // Split into fields, remembering for each whether a comma follows it.
  std::string fields[6];
  bool commaAfter[6] = {};
  int count = 0;
  size_t pos = 0;
  while (count < 6) {
    size_t comma = text.find(',', pos);
    fields[count] = text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
    commaAfter[count] = comma != std::string::npos;
    ++count;
    if (comma == std::string::npos) break;
    pos = comma + 1;
  }
  int* const targets[4] = {&loc.left, &loc.top, &loc.width, &loc.height};
  for (int i = 0; i < 3 && i < count; ++i)
    if (commaAfter[i]) *targets[i] = ParseLocationField(fields[i].c_str());
  if (count >= 4) *targets[3] = ParseLocationField(fields[3].c_str());
  if (count >= 6) {
    loc.splitX = ParseLocationField(fields[4].c_str());
    loc.splitY = ParseLocationField(fields[5].c_str());
  }
}

int DecideCommandLineMode(const std::string& remaining) { return remaining.size() > 3 ? 1 : 0; }

int ThreadsFromVersion(unsigned versionWord) {
  bool nonNt = (versionWord & 0x80000000u) != 0;
  unsigned major = versionWord & 0x0Fu;
  return (nonNt && major < 4) ? 0 : 1;
}

}  // namespace core
