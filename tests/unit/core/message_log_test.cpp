// The message ring: cutting, the debug filter, the 60-line ring, status lines, saving, threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>

#include "core/message_log.h"
#include "core/settings.h"
#include "support/ports.h"
#include "support/temp_dir.h"

using testing_support::ReadFile;
using testing_support::ScriptedPrompts;
using testing_support::TempDir;

namespace {
class MessageLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    core::ResetMessageLog();
    core::Settings().verbose = 0;
  }
  void TearDown() override { core::ResetMessageLog(); }
  testing_support::TestFrontEnd& front = testing_support::ResetTestFront();
  ui::MemoryLabel& upper = front.upperStatus;
  ui::MemoryLabel& lower = front.lowerStatus;
  // The log window as a front end shows it: the ring when it opens, then each new line.
  void OpenLogWindow() {
    std::lock_guard<std::mutex> guard(front.lock);
    front.logText.SetText(core::LogWindowText());
    front.logWindowOpen = true;
  }
  void CloseLogWindow() {
    std::lock_guard<std::mutex> guard(front.lock);
    front.logWindowOpen = false;
  }
};
}  // namespace

TEST_F(MessageLogTest, LinesAreCutAt99Characters) {
  core::LogLine(std::string(99, 'a'));
  core::LogLine(std::string(100, 'b'));
  core::LogLine(std::string(300, 'c'));
  auto lines = core::StoredLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], std::string(99, 'a'));
  EXPECT_EQ(lines[1], std::string(99, 'b'));
  EXPECT_EQ(lines[2], std::string(99, 'c'));
}

TEST_F(MessageLogTest, DebugLinesNeedTheDebugSwitch) {
  core::LogLine("[x] cmd in progress, yielding");
  core::LogMessage("Connected to %s port %u", "ftp.example.org", 21u);
  EXPECT_EQ(core::StoredLines(), std::vector<std::string>{"Connected to ftp.example.org port 21"});
  core::Settings().verbose = 1;
  core::LogLine("[x] cmd in progress, yielding");
  EXPECT_EQ(core::StoredLines().back(), "[x] cmd in progress, yielding");
}

TEST_F(MessageLogTest, StatusLinesShowTheNewestTwo) {
  core::LogLine("first");
  EXPECT_EQ(lower.Text(), "first");
  EXPECT_EQ(upper.Text(), "");
  EXPECT_EQ(upper.updates(), 0);
  core::LogLine("second");
  EXPECT_EQ(lower.Text(), "second");
  EXPECT_EQ(upper.Text(), "first");
}

TEST_F(MessageLogTest, RingKeepsSixtyAndSavesThem) {
  for (int i = 1; i <= 61; ++i) core::LogMessage("line %d", i);
  auto lines = core::StoredLines();
  ASSERT_EQ(lines.size(), 60u);
  EXPECT_EQ(lines.front(), "line 2");
  EXPECT_EQ(lines.back(), "line 61");
  EXPECT_EQ(lower.Text(), "line 61");
  EXPECT_EQ(upper.Text(), "line 60");

  TempDir dir;
  ScriptedPrompts prompts;
  prompts.answers.push_back({true, dir.File("saved.log")});
  core::SaveLog();
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].promptText, "Enter name for log file:");
  EXPECT_EQ(prompts.asked[0].initial, "");
  std::string saved = ReadFile(dir.File("saved.log"));
  saved.erase(std::remove(saved.begin(), saved.end(), '\r'), saved.end());  // text mode on Windows
  EXPECT_EQ(saved.substr(0, 7), "line 2\n");
  EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 60);
}

TEST_F(MessageLogTest, SavingNowhereOrCancelledWritesNothing) {
  core::LogLine("x");
  TempDir dir;
  ScriptedPrompts prompts;
  prompts.answers.push_back({true, dir.File("no/such/dir/log.txt")});
  prompts.answers.push_back({false, ""});
  core::SaveLog();
  core::SaveLog();
  EXPECT_EQ(prompts.asked.size(), 2u);
  EXPECT_EQ(core::StoredLines(), std::vector<std::string>{"x"});
}

TEST_F(MessageLogTest, ScrollingStopsAtBothEnds) {
  for (int i = 0; i < 5; ++i) core::LogMessage("l%d", i);
  EXPECT_EQ(core::StatusViewPosition(), 4);
  core::ScrollStatusLines(-1);
  EXPECT_EQ(lower.Text(), "l3");
  EXPECT_EQ(upper.Text(), "l2");
  for (int i = 0; i < 10; ++i) core::ScrollStatusLines(-1);
  EXPECT_EQ(core::StatusViewPosition(), 1);
  EXPECT_EQ(lower.Text(), "l1");
  EXPECT_EQ(upper.Text(), "l0");
  for (int i = 0; i < 10; ++i) core::ScrollStatusLines(1);
  EXPECT_EQ(core::StatusViewPosition(), 4);
  EXPECT_EQ(lower.Text(), "l4");
  core::ScrollStatusLines(-2);
  core::LogLine("new");  // a new line puts the view back on the newest
  EXPECT_EQ(core::StatusViewPosition(), 5);
  EXPECT_EQ(lower.Text(), "new");
}

TEST_F(MessageLogTest, LogWindowGetsTheRingThenEachLine) {
  core::LogLine("before");
  OpenLogWindow();
  core::LogLine("after");
  EXPECT_EQ(front.logText.Text(), "before\r\nafter\r\n");
  CloseLogWindow();
  core::LogLine("closed");
  EXPECT_EQ(front.logText.Text(), "before\r\nafter\r\n");
}

TEST_F(MessageLogTest, TwoThreadsNeverLoseOrTearLines) {
  auto writer = [](char tag) {
    for (int i = 0; i < 2000; ++i) core::LogMessage("%c %04d %s", tag, i, std::string(80, tag).c_str());
  };
  OpenLogWindow();
  std::thread a(writer, 'A'), b(writer, 'B');
  a.join();
  b.join();
  CloseLogWindow();
  // Every line reached the log window whole, once.
  std::set<std::string> seen;
  std::string all = front.logText.Text();
  size_t pos = 0, count = 0;
  while ((pos = all.find("\r\n")) != std::string::npos) {
    std::string line = all.substr(0, pos);
    all.erase(0, pos + 2);
    ASSERT_EQ(line.size(), 87u) << line;
    ASSERT_EQ(line.substr(7), std::string(80, line[0])) << line;
    seen.insert(line.substr(0, 6));
    ++count;
  }
  EXPECT_EQ(count, 4000u);
  EXPECT_EQ(seen.size(), 4000u);
  EXPECT_EQ(core::StoredLineCount(), 60);
}
