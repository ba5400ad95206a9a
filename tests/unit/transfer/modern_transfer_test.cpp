// Transfers with MODERNFTP against a scripted server: EPSV with the fall-back to PASV remembered
// for the connection, hostile EPSV and SIZE replies, and resume refused in ASCII type.
#include <gtest/gtest.h>

#include "platform/fs.h"
#include "transfer/engine.h"
#include "transfer/transfer_state.h"
#include "unit/ftp/session_fixture.h"

using testing_support::ScriptedReply;
using Lines = std::vector<std::string>;

namespace {

// A loopback listener whose connections the kernel completes without an accept: the client's
// passive connect succeeds, and no data ever flows.
class QuietListener {
 public:
  QuietListener() {
    s_ = platform::NewSocket(true, 6);
    platform::NetAddress at;
    at.address = 0x7F000001;
    platform::BindSocket(s_, at);
    platform::ListenSocket(s_, 8);
    platform::NetAddress bound;
    platform::LocalAddress(s_, bound);
    port_ = bound.port;
  }
  ~QuietListener() { platform::CloseSocketHandle(s_); }
  unsigned port() const { return port_; }
  std::string PasvReply() const {
    return "227 Entering Passive Mode (127,0,0,1," + std::to_string(port_ / 256) + "," + std::to_string(port_ % 256) +
           ")\r\n";
  }

 private:
  platform::Socket s_;
  unsigned port_ = 0;
};

class ModernTransfer : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    core::Settings().Reset();
    core::Settings().verbose = 1;
    core::Settings().bell = 0;
    core::Settings().modernftp = 1;
    core::Files().extensionListFile = dir.File("MIRVAN.EXT");
    profiles::CurrentProfile().passive = 1;
    ASSERT_EQ(ConnectAndGreet(), 2);
    ftp::Conn().connected = 1;
    ftp::Conn().ctrl_skt = ctrl;
  }
  void TearDown() override {
    core::Settings().Reset();
    SessionTest::TearDown();
  }
  QuietListener data;
};

TEST_F(ModernTransfer, EpsvRefusedFallsBackToPasvForTheRestOfTheConnection) {
  server.On("TYPE", "200 ok\r\n");
  server.On("EPSV", "500 EPSV not understood\r\n");
  server.On("PASV", data.PasvReply());
  server.On("RETR", "550 no such file\r\n");
  server.On("PASV", data.PasvReply());
  server.On("RETR", "550 no such file\r\n");
  EXPECT_EQ(transfer::ReceiveFile(ctrl, "RETR a.bin", dir.File("a.bin"), 'I'), 0);
  EXPECT_EQ(transfer::ReceiveFile(ctrl, "RETR b.bin", dir.File("b.bin"), 'I'), 0);
  EXPECT_EQ(server.Transcript(), (Lines{"TYPE I", "EPSV", "PASV", "RETR a.bin", "PASV", "RETR b.bin"}));
  EXPECT_TRUE(ftp::Conn().epsvRefused);
}

TEST_F(ModernTransfer, EpsvPortIsTakenOnTheControlConnectionsPeer) {
  server.On("TYPE", "200 ok\r\n");
  server.On("EPSV", "229 Entering Extended Passive Mode (|||" + std::to_string(data.port()) + "|)\r\n");
  server.On("RETR", "550 no such file\r\n");
  EXPECT_EQ(transfer::ReceiveFile(ctrl, "RETR a.bin", dir.File("a.bin"), 'I'), 0);
  EXPECT_EQ(server.Transcript(), (Lines{"TYPE I", "EPSV", "RETR a.bin"}));
  EXPECT_TRUE(Logged("connecting to 127.0.0.1:" + std::to_string(data.port())));
}

TEST_F(ModernTransfer, HostileEpsvRepliesAreRefusedAndActiveModeTakesOver) {
  for (std::string reply : {"229 Entering Extended Passive Mode (|||0|)", "229 Entering Extended Passive Mode (|||65536|)",
                            "229 Entering Extended Passive Mode (|||1|2|)", "229 Entering Extended Passive Mode (||21|)",
                            "229 Entering Extended Passive Mode"}) {
    core::ResetMessageLog();
    size_t before = server.Transcript().size();
    server.On("EPSV", reply + "\r\n");
    server.On("PORT", "200 ok\r\n");
    server.On("RETR", "550 no such file\r\n");
    EXPECT_EQ(transfer::ReceiveFile(ctrl, "RETR a.bin", dir.File("a.bin"), 'A'), 0);
    Lines sent = server.Transcript();
    sent.erase(sent.begin(), sent.begin() + static_cast<long>(before));
    ASSERT_EQ(sent.size(), 3u) << reply;
    EXPECT_EQ(sent[0], "EPSV");
    EXPECT_EQ(sent[1].substr(0, 5), "PORT ");
    EXPECT_TRUE(Logged("bad EPSV reply " + reply)) << reply;
    EXPECT_FALSE(ftp::Conn().epsvRefused);
  }
}

TEST_F(ModernTransfer, SizeGivesTheExpectedTotalAndAnOversizedReplyIsRefused) {
  ftp::Conn().features.size = true;
  server.On("TYPE", "200 ok\r\n");
  server.On("SIZE", "213 18446744073709551616\r\n");
  server.On("EPSV", "229 ok (|||" + std::to_string(data.port()) + "|)\r\n");
  server.On("RETR", "550 no such file\r\n");
  EXPECT_EQ(transfer::ReceiveFile(ctrl, "RETR big.iso", dir.File("big.iso"), 'I'), 0);
  EXPECT_EQ(server.Transcript(), (Lines{"TYPE I", "SIZE big.iso", "EPSV", "RETR big.iso"}));
  EXPECT_TRUE(Logged("SIZE reply not understood: 213 18446744073709551616"));
  EXPECT_EQ(transfer::Transfer().transferTotal.load(), 0);

  server.On("SIZE", "213 52428800\r\n");
  server.On("EPSV", "229 ok (|||" + std::to_string(data.port()) + "|)\r\n");
  server.On("RETR", "550 no such file\r\n");
  transfer::ReceiveFile(ctrl, "RETR f.bin", dir.File("f.bin"), 'I');
  EXPECT_EQ(transfer::Transfer().transferTotal.load(), 52428800);
}

TEST_F(ModernTransfer, ResumeAsksRestInBinaryOnlyAndKeepsTheFileWhenRefused) {
  ftp::Conn().features.size = true;
  core::Settings().resume = 1;
  std::string part = dir.Write("part.bin", "0123456789");
  server.On("TYPE", "200 ok\r\n");
  server.On("SIZE", "213 100\r\n");
  server.On("EPSV", "229 ok (|||" + std::to_string(data.port()) + "|)\r\n");
  server.On("REST", "502 no restart\r\n");
  server.On("RETR", "550 gone\r\n");
  EXPECT_EQ(transfer::ReceiveFile(ctrl, "RETR part.bin", part, 'I'), 0);
  EXPECT_TRUE(Logged("REST refused: " + part + " is received whole"));
  EXPECT_EQ(testing_support::ReadFile(part), "0123456789");

  server.On("TYPE", "200 ok\r\n");
  server.On("SIZE", "213 100\r\n");
  server.On("EPSV", "229 ok (|||" + std::to_string(data.port()) + "|)\r\n");
  server.On("RETR", "550 gone\r\n");
  EXPECT_EQ(transfer::ReceiveFile(ctrl, "RETR part.bin", part, 'A'), 0);
  EXPECT_TRUE(Logged(part + " not resumed: only binary downloads are resumed"));
  EXPECT_EQ(server.Transcript(), (Lines{"TYPE I", "SIZE part.bin", "EPSV", "REST 10", "RETR part.bin", "TYPE A",
                                        "SIZE part.bin", "EPSV", "RETR part.bin"}));
}

}  // namespace
