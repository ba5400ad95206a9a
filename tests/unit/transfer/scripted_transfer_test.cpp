// Transfers against a scripted server: the fall-back from passive to active, a server that
// never connects back, the STOU fall-back and automatic ASCII type, as command transcripts.
#include <gtest/gtest.h>

#include "support/ports.h"

#include "platform/fs.h"
#include "transfer/engine.h"
#include "unit/ftp/session_fixture.h"

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
