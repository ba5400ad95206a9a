// The control connection: reply assembly, the line sender, the time-out and Cancel, closing.
#include <gtest/gtest.h>

#include "support/ports.h"

#include <atomic>
#include <thread>

#include "ftp/control.h"

#include "ftp/socket_errors.h"
#include "session_fixture.h"

using testing_support::ScriptedReply;

namespace {

struct ReplyCase {
  const char* name;
  std::vector<std::string> pieces;
  ScriptedReply::After after;
  int cls, lastCode;
  std::vector<std::string> logged;  // reply lines in the log, in order
  std::string replyLine;
};

class ReplyAssembly : public SessionTest, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(ReplyAssembly, ClassCodeAndLines) {
  const ReplyCase& c = GetParam();
  server.Greeting(ScriptedReply::Pieces(c.pieces, c.after));
  EXPECT_EQ(ConnectAndGreet(), c.cls);
  EXPECT_EQ(ftp::Conn().lastReplyCode, c.lastCode);
  EXPECT_EQ(ftp::Conn().replyLine, c.replyLine);
  std::vector<std::string> replies;
  for (const auto& l : Log())
    if (l.rfind("- -", 0) != 0 && l.rfind("connecting", 0) != 0 && l.rfind("Connected", 0) != 0 &&
        l.rfind("rl-recv", 0) != 0)
      replies.push_back(l);
  EXPECT_EQ(replies, c.logged);
  EXPECT_EQ(ftp::Conn().commandDepth, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ReplyAssembly,
    ::testing::Values(
        ReplyCase{"ThreeLinesInOneRead", {"220-Welcome\r\nplain text\r\n220 ready\r\n"}, ScriptedReply::kKeep, 2, 220,
                  {"220-Welcome", "plain text", "220 ready"}, "220 ready"},
        ReplyCase{"OtherCodeInsideMultiLine", {"230-first\r\n220 inner\r\n230 done\r\n"}, ScriptedReply::kKeep, 2, 230,
                  {"230-first", "220 inner", "230 done"}, "230 done"},
        ReplyCase{"UncodedLineFirst", {"hello there\r\n", "331 need password\r\n"}, ScriptedReply::kKeep, 3, 331,
                  {"hello there", "331 need password"}, "331 need password"},
        ReplyCase{"OneLineOverSeveralReads", {"22", "0 split ", "line\r\n"}, ScriptedReply::kKeep, 2, 220,
                  {"220 split line"}, "220 split line"},
        ReplyCase{"TrailingBlanksRemoved", {"220 ok \t \r\n"}, ScriptedReply::kKeep, 2, 220, {"220 ok"}, "220 ok"},
        ReplyCase{"DroppedMidReply", {"220-partial\r\n220-more"}, ScriptedReply::kDrop, 4, 421,
                  {"220-partial", "Connection to the server lost: it is closed", "220-more"}, "220-more"},
        ReplyCase{"DroppedBeforeAnything", {}, ScriptedReply::kDrop, 4, 421,
                  {"Connection to the server lost: it is closed", ""}, ""}),
    [](const ::testing::TestParamInfo<ReplyCase>& info) { return info.param.name; });

TEST_F(SessionTest, LinesAfterTheFirstComeFromThePendingText) {
  server.Greeting("220-a\r\n220-b\r\n220 c\r\n");
  ctrl = ftp::ConnectHost("127.0.0.1", server.port(), "tcp");
  ASSERT_NE(ctrl, platform::kNoSocket);
  EXPECT_EQ(ftp::ReadReplyLine(ctrl), 220);
  EXPECT_EQ(ftp::Conn().replyLine, "220-a");
  ASSERT_TRUE(ftp::Conn().replyPending);
  EXPECT_EQ(ftp::Conn().pendingReplyText, "220-b\r\n220 c\r\n");
  EXPECT_EQ(ftp::ReadReplyLine(ctrl), 220);
  EXPECT_EQ(ftp::Conn().replyLine, "220-b");
  EXPECT_EQ(ftp::ReadReplyLine(ctrl), 220);
  EXPECT_EQ(ftp::Conn().replyLine, "220 c");
}

TEST_F(SessionTest, LongLineIsReturnedInPieces) {
  std::string text = "220 " + std::string(1500, 'x') + "\r\n";
  server.Greeting(text);
  ctrl = ftp::ConnectHost("127.0.0.1", server.port(), "tcp");
  ASSERT_NE(ctrl, platform::kNoSocket);
  EXPECT_EQ(ftp::ReadReplyLine(ctrl), 220);
  size_t first = ftp::Conn().replyLine.size();
  EXPECT_GE(first, 942u);
  EXPECT_LT(first, 942u + 82u);
  std::string rest;
  while (rest.size() + first < text.size() - 2) {
    ftp::ReadReplyLine(ctrl);
    ASSERT_FALSE(ftp::Conn().abortFlag);
    rest += ftp::Conn().replyLine;
  }
  EXPECT_EQ(ftp::Conn().replyLine.back(), 'x');
  EXPECT_EQ(first + rest.size(), text.size() - 2);
}

TEST_F(SessionTest, CommandLineSentTrimmedWithOneCrLf) {
  ASSERT_EQ(ConnectAndGreet(), 2);
  EXPECT_EQ(ftp::SendCommandLine(ctrl, "NOOP \t\r\n"), 6);
  ASSERT_TRUE(server.WaitForCommands(1));
  EXPECT_EQ(server.Received(), "NOOP\r\n");
}

TEST_F(SessionTest, CommandWithLineBreakInsideIsNeverSent) {
  server.On("NOOP", "200 ok\r\n");
  ASSERT_EQ(ConnectAndGreet(), 2);
  EXPECT_EQ(ftp::SendFtpCommandText(ctrl, "DELE a.txt\r\nDELE b.txt"), 0);
  EXPECT_EQ(ftp::SendFtpCommandText(ctrl, std::string("RETR a\0b", 8)), 0);
  EXPECT_EQ(ftp::SendCommandLine(ctrl, "DELE x\rDELE y"), -1);
  EXPECT_TRUE(Logged("Command not sent: it holds a line break or NUL character"));
  EXPECT_FALSE(LogMentions("DELE a.txt"));
  // The connection is still in step: the next command gets its own reply.
  EXPECT_EQ(ftp::SendFtpCommandText(ctrl, "NOOP"), 2);
  EXPECT_EQ(server.Transcript(), std::vector<std::string>{"NOOP"});
}

TEST_F(SessionTest, OverlongCommandIsNotCut) {
  server.On("NOOP", "200 ok\r\n");
  ASSERT_EQ(ConnectAndGreet(), 2);
  std::string name(300, 'n');
  EXPECT_EQ(ftp::SendFtpCommand(ctrl, "DELE %s", name.c_str()), 0);
  EXPECT_EQ(ftp::SendFtpCommandText(ctrl, "DELE " + name), 0);
  EXPECT_EQ(ftp::SendFtpCommandText(ctrl, "NOOP"), 2);
  EXPECT_EQ(server.Transcript(), std::vector<std::string>{"NOOP"});
}

// The time-out: a fake clock that moves five seconds each time the wait pumps messages.
struct TimeoutCase {
  int timeout;
  int cancelAfterTicks;  // 0: never
};

class NetTimeout : public SessionTest, public ::testing::WithParamInterface<TimeoutCase> {};

TEST_P(NetTimeout, SilentServerIsCancelledAfterWholeTicks) {
  server.Greeting(ScriptedReply::Stall());
  server.On("NOOP", "200 ok\r\n");
  profiles::CurrentProfile().timeout = GetParam().timeout;
  ctrl = ftp::ConnectHost("127.0.0.1", server.port(), "tcp");
  ASSERT_NE(ctrl, platform::kNoSocket);
  platform::FakeClock clock;
  platform::SetClock(&clock);
  int pumps = 0;
  testing_support::TestFront().SetPump([&] {
    ++pumps;
    clock.Advance(5000);
  });
  core::ResetMessageLog();
  int code = ftp::ReadReplyLine(ctrl);
  if (GetParam().cancelAfterTicks) {
    EXPECT_EQ(code, 421);
    EXPECT_EQ(pumps, GetParam().cancelAfterTicks);
    EXPECT_EQ(clock.now, 5000u * GetParam().cancelAfterTicks);
    EXPECT_TRUE(ftp::Conn().abortFlag);
    EXPECT_EQ(Log(), (std::vector<std::string>{"Timer cancelled blocking call", "rl-recv: Blocking call cancelled",
                                               "Connection to the server lost: it is closed"}));
    EXPECT_FALSE(ftp::NetTimerRunning());
    // The connection is finished: the next command is not sent and waits for nothing.
    int pumpsBefore = pumps;
    EXPECT_EQ(ftp::SendFtpCommand(ctrl, "NOOP"), 0);
    EXPECT_EQ(ftp::GetReply(ctrl), 4);
    EXPECT_EQ(pumps, pumpsBefore);
    EXPECT_TRUE(server.WaitForClose(5000));  // the server saw it end
    EXPECT_TRUE(server.Transcript().empty());
    ctrl = ftp::CloseSocket(ctrl);
    EXPECT_EQ(ftp::Conn().lostSocket.load(), platform::kNoSocket);
  }
  EXPECT_EQ(ftp::Conn().commandDepth, 0);
}

INSTANTIATE_TEST_SUITE_P(Timeouts, NetTimeout,
                         ::testing::Values(TimeoutCase{65, 13}, TimeoutCase{12, 2}, TimeoutCase{5, 1}),
                         [](const ::testing::TestParamInfo<TimeoutCase>& info) {
                           return "Timeout" + std::to_string(info.param.timeout);
                         });

TEST_F(SessionTest, TimeoutBelowFiveNeverCancels) {
  // The server stays silent for 200 simulated seconds, then answers.
  server.Greeting(ScriptedReply::Pieces({}));
  profiles::CurrentProfile().timeout = 3;
  ctrl = ftp::ConnectHost("127.0.0.1", server.port(), "tcp");
  ASSERT_NE(ctrl, platform::kNoSocket);
  platform::FakeClock clock;
  platform::SetClock(&clock);
  int pumps = 0;
  // The client's NOOP goes out from the pump's 40th call, while the read is waiting.
  testing_support::TestFront().SetPump([&] {
    clock.Advance(5000);
    if (++pumps == 40) ftp::SendAll(ctrl, "NOOP\r\n", 6);
  });
  server.On("NOOP", "200 late but fine\r\n");
  EXPECT_EQ(ftp::ReadReplyLine(ctrl), 200);
  EXPECT_GE(pumps, 40);
  EXPECT_FALSE(LogMentions("Timer cancelled"));
}

TEST_F(SessionTest, CancelEndsTheWaitAtOnce) {
  server.Greeting(ScriptedReply::Stall());
  ctrl = ftp::ConnectHost("127.0.0.1", server.port(), "tcp");
  ASSERT_NE(ctrl, platform::kNoSocket);
  int pumps = 0;
  testing_support::TestFront().SetPump([&] {
    ++pumps;
    ftp::Conn().abortFlag = 1;  // the user's Cancel, dispatched from the message queue
  });
  EXPECT_EQ(ftp::GetReply(ctrl), 4);
  EXPECT_EQ(pumps, 1);
  EXPECT_EQ(ftp::Conn().lastReplyCode, 421);
  EXPECT_TRUE(Logged("rl-recv: Blocking call cancelled"));
}

TEST_F(SessionTest, CommandWaitsForTheOperationInProgress) {
  server.On("NOOP", "200 ok\r\n");
  ASSERT_EQ(ConnectAndGreet(), 2);
  ftp::Conn().commandDepth = 1;
  int pumps = 0;
  testing_support::TestFront().SetPump([&] {
    if (++pumps == 3) ftp::Conn().commandDepth = 0;  // the other operation ends
  });
  EXPECT_EQ(ftp::SendCommandLine(ctrl, "NOOP"), 6);
  EXPECT_EQ(pumps, 3);
  EXPECT_TRUE(Logged("[x] cmd in progress, yielding"));
  // An abort while waiting: nothing is sent.
  ftp::Conn().commandDepth = 1;
  testing_support::TestFront().SetPump([&] { ftp::Conn().abortFlag = 1; });
  EXPECT_EQ(ftp::SendCommandLine(ctrl, "NOOP"), -1);
  ftp::Conn().commandDepth = 0;
  ASSERT_TRUE(server.WaitForCommands(1));
  EXPECT_EQ(server.Transcript().size(), 1u);
}

TEST_F(SessionTest, ConnectFailuresAreLogged) {
  // A port nobody listens on: take one from a closed listener.
  platform::Socket probe = platform::NewSocket(true, 0);
  platform::NetAddress at{0x7F000001, 0};
  ASSERT_EQ(platform::BindSocket(probe, at), 0);
  ASSERT_TRUE(platform::LocalAddress(probe, at));
  platform::CloseSocketHandle(probe);
  EXPECT_EQ(ftp::ConnectHost("127.0.0.1", at.port, "tcp"), platform::kNoSocket);
  EXPECT_TRUE(Logged("can't connect to 127.0.0.1 - connection refused"));
  EXPECT_EQ(ftp::ConnectHost("300.1.2.3", 21, "tcp"), platform::kNoSocket);
  EXPECT_TRUE(Logged("can't get \"300.1.2.3\" host entry"));
  EXPECT_EQ(ftp::ConnectHost("127.0.0.1", 21, "no-such-protocol"), platform::kNoSocket);
  EXPECT_TRUE(Logged("can't get \"no-such-protocol\" protocol entry"));
}

TEST_F(SessionTest, CloseLogsAndDrainDiscards) {
  server.Greeting("220 hi\r\n");
  ctrl = ftp::ConnectHost("127.0.0.1", server.port(), "tcp");
  ASSERT_NE(ctrl, platform::kNoSocket);
  ASSERT_TRUE(platform::WaitReadable(ctrl, 5000));
  ftp::Conn().pendingReplyText = "stale";
  ftp::Conn().replyPending = true;
  ftp::DrainControl(ctrl);
  EXPECT_FALSE(ftp::Conn().replyPending);
  EXPECT_FALSE(platform::Readable(ctrl));
  platform::Socket s = ctrl;
  ctrl = ftp::CloseSocket(ctrl);
  EXPECT_EQ(ctrl, platform::kNoSocket);
  EXPECT_TRUE(Logged("[" + std::to_string(s) + "] Socket closed."));
  EXPECT_TRUE(server.WaitForClose());
}

TEST(SocketErrors, TextsAndUnknownCodes) {
  EXPECT_EQ(ftp::SocketErrorText(10004), "Blocking call cancelled");
  EXPECT_EQ(ftp::SocketErrorText(11002), "Host not found or server failure");
  EXPECT_EQ(ftp::SocketErrorText(10049), "address not available");
  std::string out;
  EXPECT_EQ(ftp::SocketErrorText(12345, &out), "error 12345");
  EXPECT_EQ(out, "error 12345");
  for (int id = 1; id <= 27; ++id) EXPECT_STRNE(ftp::SocketErrorBuiltinText(id), "") << id;
}

}  // namespace

// Two threads taking the idle control connection at once hold it one after the other, never both.
TEST(CommandDepthRace, TakenByOneThreadAtATime) {
  ftp::Conn().Reset();
  for (int round = 0; round < 100; ++round) {
    std::atomic<int> go{0}, holders{0}, maxHolders{0}, takes{0};
    auto take = [&] {
      while (!go) std::this_thread::yield();
      if (!ftp::TakeIdleDepth()) return;
      int now = ++holders;
      int seen = maxHolders.load();
      while (now > seen && !maxHolders.compare_exchange_weak(seen, now)) {
      }
      ++takes;
      std::this_thread::yield();
      --holders;
      --ftp::Conn().commandDepth;
    };
    std::thread a(take), b(take);
    go = 1;
    a.join();
    b.join();
    ASSERT_EQ(takes.load(), 2) << "round " << round;
    ASSERT_EQ(maxHolders.load(), 1) << "round " << round;
    ASSERT_EQ(ftp::Conn().commandDepth.load(), 0);
  }
}
