// The rate rule, the progress and statistics texts, argument quoting and PASV replies.
#include <gtest/gtest.h>

#include "core/message_log.h"
#include "core/settings.h"
#include "transfer/data_connection.h"
#include "transfer/engine.h"
#include "transfer/progress.h"

TEST(Progress, RateRuleTable) {
  struct Case {
    int64_t bytes;
    uint64_t ms;
    int tranrate;
    float rate;
    const char* unit;
  } cases[] = {
      {250000, 10000, 0, 245.0f, "Kbps"},             // (B div 102) / S
      {0, 0, 0, 0.0f, "bps"},                         // elapsed counts as 100 ms
      {500, 1000, 0, 5000.0f, "bps"},                 // 10 bits a byte
      {50000, 1000, 0, 488.0f, "Kbps"},               // (10 B div 1024) / S
      {100000, 100, 0, 9.5625f, "Mbps"},              // small but fast
      {int64_t{200} << 20, 1000, 0, 2007.8f, "Mbps"}, // over 1024 Kbps
      {1000, 1000, 1, 1000.0f, "Bps"},
      {500000, 1000, 1, 488.28f, "KBps"},
      {int64_t{3} << 20, 1000, 1, 3.0f, "MBps"},
      {int64_t{5} << 30, 2000, 1, 2560.0f, "MBps"},   // 5 GiB: no 32-bit wrap
  };
  for (const auto& c : cases) {
    transfer::Rate r = transfer::ComputeRate(c.bytes, c.ms, c.tranrate);
    EXPECT_NEAR(r.value, c.rate, c.rate * 0.001f + 0.01f) << c.bytes << " " << c.ms;
    EXPECT_STREQ(r.unit, c.unit) << c.bytes << " " << c.ms;
  }
}

TEST(Progress, TextsOfTheWorkedExamples) {
  core::Settings().Reset();
  EXPECT_EQ(transfer::ProgressText(250000, 1000, 11000, 0), "250000 : 245.00 Kbps : 0:10");
  // With an expected total the remaining time follows.
  EXPECT_EQ(transfer::ProgressText(250000, 0, 10000, 1000000), "250000 : 245.00 Kbps : 0:10 : 0:30");
  core::Settings().hash = 0;
  EXPECT_EQ(transfer::ProgressText(int64_t{5} << 30, 0, 1, 0), "5368709120");
  core::Settings().hash = 1;

  core::ResetMessageLog();
  transfer::ReportTransferStats("Received", 0, 5, 5, false);
  transfer::ReportTransferStats("Transmitted", int64_t{5} << 30, 0, 100000, true);
  auto lines = core::StoredLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Received 0 bytes in 0.1 secs, (0.00 bps), transfer succeeded");
  EXPECT_EQ(lines[1], "Transmitted 5368709120 bytes in 100.0 secs, (514.01 Mbps), transfer failed");
}

TEST(Transfer, QuoteArgument) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{"RETR X", "RETR 'X'"}, {"RETR  a b", "RETR  'a b'"}, {"NOARG", "NOARG"}};
  for (const auto& c : cases) {
    std::string s = c.in;
    transfer::QuoteArgument(s);
    EXPECT_EQ(s, c.out);
  }
}

TEST(Transfer, PassiveReplies) {
  unsigned n[6];
  std::string list;
  EXPECT_EQ(transfer::ParsePassiveReply("227 Entering Passive Mode (192,168,1,2,4,1)", n, &list), 6);
  EXPECT_EQ(n[0], 192u);
  EXPECT_EQ(n[4] * 256 + n[5], 1025u);
  EXPECT_EQ(transfer::ParsePassiveReply("227 Entering Passive Mode 10,0,0,1,200,10.", n, &list), 6);
  EXPECT_EQ(n[4] * 256 + n[5], 51210u);
  EXPECT_EQ(transfer::ParsePassiveReply("227 Passive (192,168,1,2,4)", n, &list), 5);
  EXPECT_EQ(list, "192,168,1,2,4");
  EXPECT_EQ(transfer::ParsePassiveReply("227 no numbers here", n, &list), -1);
}
