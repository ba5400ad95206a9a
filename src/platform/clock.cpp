// The process-wide clock: the system clock unless a test installed another.
#include "platform/clock.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace platform {
namespace {

class SystemClockImpl : public Clock {
 public:
  uint64_t NowMs() override {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }
  CalendarTime LocalNow() override {
#ifdef _WIN32
    // The system's own local time: the C library's localtime looks the time zone up afresh on
    // every call, which is slow enough to show in a batch that logs each file.
    SYSTEMTIME st;
    GetLocalTime(&st);
    return CalendarTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
#else
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return CalendarTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
#endif
  }
  void SleepMs(unsigned ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

std::atomic<Clock*> installed{nullptr};

}  // namespace

Clock& SystemClock() {
  static SystemClockImpl clock;
  return clock;
}

Clock& CurrentClock() {
  Clock* c = installed.load();
  return c ? *c : SystemClock();
}

void SetClock(Clock* clock) { installed.store(clock); }

}  // namespace platform
