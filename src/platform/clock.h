// The clock seam: monotonic milliseconds and the local calendar time, injectable for tests.
#pragma once
#include <cstdint>

namespace platform {

struct CalendarTime {
  int year = 0;    // full year, e.g. 2026
  int month = 0;   // 1..12
  int day = 0;     // 1..31
  int hour = 0, minute = 0, second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds from an arbitrary origin; never goes backwards.
  virtual uint64_t NowMs() = 0;
  // The local wall-clock time.
  virtual CalendarTime LocalNow() = 0;
  // Waits about this long (a fake clock advances instead).
  virtual void SleepMs(unsigned ms) = 0;
};

// The clock every part of the program reads. Tests may install their own (nullptr restores the system clock).
Clock& CurrentClock();
void SetClock(Clock* clock);
Clock& SystemClock();

// A clock that moves only when told to; SleepMs advances it.
class FakeClock : public Clock {
 public:
  uint64_t now = 0;
  CalendarTime local{2026, 1, 1, 12, 0, 0};
  uint64_t NowMs() override { return now; }
  CalendarTime LocalNow() override { return local; }
  void SleepMs(unsigned ms) override { now += ms; }
  void Advance(uint64_t ms) { now += ms; }
};

}  // namespace platform
