// Transfers against a scripted server: the fall-back from passive to active, a server that
// never connects back, the STOU fall-back and automatic ASCII type, as command transcripts.
#include <gtest/gtest.h>

#include <chrono>

#include "support/ports.h"

#include "platform/fs.h"
#include "platform/net.h"
#include "transfer/engine.h"
#include "unit/ftp/session_fixture.h"

using testing_support::DataEnd;
using testing_support::ScriptedReply;

namespace {
class ScriptedTransfer : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    core::Settings().Reset();
    core::Settings().verbose = 1;
    core::Settings().bell = 0;
    core::Settings().modernftp = 0;
    core::Files().extensionListFile = dir.File("MIRVAN.EXT");
    ASSERT_EQ(ConnectAndGreet(), 2);
    ftp::Conn().connected = 1;
    ftp::Conn().ctrl_skt = ctrl;
  }
  void TearDown() override {
    core::Settings().Reset();
    SessionTest::TearDown();
  }
  std::vector<std::string> Verbs() {
    std::vector<std::string> out;
    for (const auto& l : server.Transcript()) out.push_back(l.substr(0, l.find(' ')));
    return out;
  }
};
}  // namespace

TEST_F(ScriptedTransfer, PassiveFailureFallsBackToActiveInOneTransfer) {
  profiles::CurrentProfile().passive = 1;
  server.On("TYPE", "200 ok\r\n");
  server.On("PASV", "227 Entering Passive Mode (127,0,0,1,0)\r\n");  // five numbers: unusable
  server.On("PORT", "200 PORT ok\r\n");
  server.On("RETR", "550 no such file\r\n");
  std::string keep = dir.Write("x.bin", "old");
  EXPECT_EQ(transfer::ReceiveFile(ctrl, "RETR x.bin", keep, 'I'), 0);
  EXPECT_EQ(Verbs(), (std::vector<std::string>{"TYPE", "PASV", "PORT", "RETR"}));
  EXPECT_TRUE(Logged("bad address in 127,0,0,1,0"));
  EXPECT_EQ(testing_support::ReadFile(keep), "old");
}

TEST_F(ScriptedTransfer, ServerThatNeverConnectsBackIsGivenUpAfterTheTimeout) {
  server.On("PORT", "200 PORT ok\r\n");
  server.On("RETR", "150 Opening BINARY mode data connection\r\n");
  ftp::Conn().serverTransferType = 'I';
  profiles::CurrentProfile().timeout = 12;  // rounded down to 10 s: two ticks
  platform::FakeClock clock;
  platform::SetClock(&clock);
  testing_support::TestFront().SetPump([&] { clock.Advance(5000); });
  EXPECT_EQ(transfer::ReceiveFile(ctrl, "RETR x.bin", dir.File("x.bin"), 'I'), 0);
  EXPECT_TRUE(Logged("accept: Blocking call cancelled"));
  EXPECT_EQ(clock.now, 10000u);
  EXPECT_FALSE(platform::PathExists(dir.File("x.bin")));
  EXPECT_EQ(ftp::Conn().listenSocket.load(), platform::kNoSocket);
}

TEST_F(ScriptedTransfer, StoreUniqueRefusedIsStoredInTheSameAttempt) {
  core::Settings().stou = 1;
  server.On("TYPE", "200 ok\r\n");
  server.On("PORT", "200 PORT ok\r\n");
  server.On("STOU", "500 STOU not understood\r\n");
  server.On("STOR", "553 not allowed\r\n");
  std::string f = dir.Write("a.bin", "data");
  EXPECT_EQ(transfer::SendFile(ctrl, "STOR a.bin", f, 'I'), 0);
  auto t = server.Transcript();
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[2], "STOU a.bin");
  EXPECT_EQ(t[3], "STOR a.bin");
}

TEST_F(ScriptedTransfer, AutomaticTypeFollowsTheAsciiList) {
  dir.Write("MIRVAN.EXT", ".TXT\n");
  core::Settings().amode = 1;
  ftp::Conn().serverTransferType = 'I';
  server.On("TYPE A", "200 Type set to A\r\n");
  server.On("PORT", "500 no\r\n");
  server.On("TYPE I", "200 Type set to I\r\n");
  server.On("PORT", "500 no\r\n");
  EXPECT_EQ(transfer::ReceiveFile(ctrl, "RETR readme.txt", dir.File("r.txt"), 'I'), 0);
  EXPECT_EQ(core::Settings().mode, 'A');
  EXPECT_EQ(transfer::ReceiveFile(ctrl, "RETR logo.gif", dir.File("l.gif"), 'A'), 0);
  EXPECT_EQ(core::Settings().mode, 'I');
  EXPECT_EQ(Verbs(), (std::vector<std::string>{"TYPE", "PORT", "TYPE", "PORT"}));
  EXPECT_EQ(server.Transcript()[0], "TYPE A");
}

namespace {
// Cancels as the status window does (the flag, and the data connection shut) at the first progress.
class CancelAtFirstProgress : public testing_support::ProgressRecorder {
 public:
  void Open(bool, const std::string&) override {}
  void SetProgress(const std::string& text) override {
    if (text.empty()) return;
    ftp::Conn().abortFlag = 1;
    platform::Socket data = ftp::Conn().dataSocket.load();
    if (data != platform::kNoSocket) platform::ShutdownSocket(data);
  }
  void Close() override {}
};
}  // namespace

// A server that stops sending and answers a Cancel only seconds later: the transfer ends at
// once as a failure, and the late reply is read before the next command, which gets its own.
TEST_F(ScriptedTransfer, AReplyHeldBackAfterACancelIsReadBeforeTheNextCommand) {
  profiles::CurrentProfile().passive = 1;
  core::Settings().hash = 0;  // every block reaches the progress port
  server.On("TYPE", "200 ok\r\n");
  server.On("PASV", ScriptedReply::Passive());
  ScriptedReply retr = ScriptedReply::Download("150 here\r\n", std::string(100000, 'd'), DataEnd::kStall,
                                               "426 cancelled, late\r\n");
  retr.completionDelayMs = 4000;
  server.On("RETR", retr);
  server.On("PWD", "257 \"/late\" is current\r\n");
  CancelAtFirstProgress cancel;
  testing_support::TestFront().progress = &cancel;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(transfer::ReceiveFile(ctrl, "RETR x.bin", dir.File("x.bin"), 'I'), 0);
  const auto took = std::chrono::steady_clock::now() - start;
  testing_support::TestFront().progress = nullptr;
  EXPECT_LT(took, std::chrono::milliseconds(3500)) << "waited for the held-back reply";
  EXPECT_FALSE(platform::PathExists(dir.File("x.bin")));
  EXPECT_TRUE(LogMentions("transfer failed"));
  EXPECT_EQ(ftp::Conn().owedReplies.load(), 1);

  EXPECT_EQ(ftp::SendFtpCommandText(ctrl, "PWD"), 2);
  EXPECT_NE(ftp::Conn().replyLine.find("/late"), std::string::npos) << ftp::Conn().replyLine;
  EXPECT_TRUE(Logged("426 cancelled, late"));
  EXPECT_EQ(ftp::Conn().owedReplies.load(), 0);
  EXPECT_EQ(server.Transcript().back(), "PWD");
}
