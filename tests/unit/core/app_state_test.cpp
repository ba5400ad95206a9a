// Start-up rules: the saved window location, command-line mode, the thread decision.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/app_state.h"

using core::WindowLocation;

TEST(SavedLocation, FieldRules) {
  struct Case {
    const char* text;
    WindowLocation want;
  } cases[] = {
      {"", {10, 10, 500, 440, 0, 0}},
      {"20,30,600,400", {20, 30, 600, 400, 0, 0}},
      {"20,30,600", {20, 30, 500, 440, 0, 0}},             // width needs a comma after it
      {"20,30,600,400,", {20, 30, 600, 400, 0, 0}},        // height with a comma after it
      {"10,10,640,480,200,150", {10, 10, 640, 480, 200, 150}},
      {"10,10,640,480,200", {10, 10, 640, 480, 0, 0}},     // splitters only as a pair
      {"4294967286,-5, 700,x", {-10, -5, 700, 0, 0, 0}},   // "%u"-written negatives, blanks, no digits
      {"7", {10, 10, 500, 440, 0, 0}},
  };
  for (const auto& c : cases) {
    WindowLocation loc;
    core::ApplySavedLocation(c.text, loc);
    EXPECT_EQ(loc.left, c.want.left) << c.text;
    EXPECT_EQ(loc.top, c.want.top) << c.text;
    EXPECT_EQ(loc.width, c.want.width) << c.text;
    EXPECT_EQ(loc.height, c.want.height) << c.text;
    EXPECT_EQ(loc.splitX, c.want.splitX) << c.text;
    EXPECT_EQ(loc.splitY, c.want.splitY) << c.text;
  }
}

TEST(StartupRules, CommandLineModeAndThreads) {
  EXPECT_EQ(core::DecideCommandLineMode(""), 0);
  EXPECT_EQ(core::DecideCommandLineMode("a:b"), 0);
  EXPECT_EQ(core::DecideCommandLineMode("a:bc"), 1);
  EXPECT_EQ(core::ThreadsFromVersion(0x80000003u), 0);  // 16-bit hosted subset (3.x, non-NT)
  EXPECT_EQ(core::ThreadsFromVersion(0xC0000A04u), 1);  // Windows 95
  EXPECT_EQ(core::ThreadsFromVersion(0x00000003u), 1);  // NT 3.x
}

TEST(BusyFlag, SetAndRead) {
  core::SetBusy(1);
  EXPECT_EQ(core::IsBusy(), 1);
  core::SetBusy(0);
  EXPECT_EQ(core::IsBusy(), 0);
}

// Two threads reaching for BusyFlag at the same moment: exactly one takes it, many times over.
TEST(BusyFlagRace, ExactlyOneOfTwoThreadsTakesIt) {
  for (int round = 0; round < 300; ++round) {
    core::SetBusy(0);
    std::atomic<int> go{0}, wins{0}, tried{0};
    auto reach = [&] {
      while (!go) std::this_thread::yield();
      core::BusyScope scope;
      if (scope.taken()) ++wins;
      ++tried;
      while (tried < 2) std::this_thread::yield();  // both attempts happen before either scope ends
    };
    std::thread a(reach), b(reach);
    go = 1;
    a.join();
    b.join();
    ASSERT_EQ(wins.load(), 1) << "round " << round;
    ASSERT_EQ(core::IsBusy(), 0) << "the winner's scope released it";
  }
}
