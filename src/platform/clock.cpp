// The process-wide clock: the system clock unless a test installed another.
#include "platform/clock.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

namespace platform {
namespace {

class SystemClockImpl : public Clock {
 public:
  uint64_t NowMs() override {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }
  CalendarTime LocalNow() override {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return CalendarTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
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
