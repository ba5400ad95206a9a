// The additions for today's servers at the FTP layer: IPv6 address text, FEAT, SIZE and EPSV
// replies (hostile ones included), and a login that asks FEAT and turns UTF-8 on.
#include <gtest/gtest.h>

#include "ftp/login.h"
#include "session_fixture.h"
#include "transfer/data_connection.h"

using testing_support::ScriptedReply;
using Lines = std::vector<std::string>;

namespace {

TEST(Ipv6Text, ParsesAndPrintsTheUsualForm) {
  struct Case {
    const char* in;
    const char* out;  // nullptr: not an IPv6 address
  } cases[] = {
      {"::1", "::1"},
      {"::", "::"},
      {"2001:0DB8:0000:0000:0000:0000:0000:0001", "2001:db8::1"},
      {"2001:db8:0:1:0:0:0:1", "2001:db8:0:1::1"},    // the longer run of zeros is compressed
      {"2001:0:0:1:0:0:0:1", "2001:0:0:1::1"},
      {"2001:db8:1:1:1:1:1:0", "2001:db8:1:1:1:1:1:0"},  // a single zero group stays
      {"fe80::1%3", "fe80::1%3"},
      {"::ffff:192.0.2.7", "::ffff:192.0.2.7"},
      {"1::", "1::"},
      {"1:2:3:4:5:6:7", nullptr},
      {"1::2::3", nullptr},
      {"12345::1", nullptr},
      {"1:2:3:4:5:6:7:8:9", nullptr},
      {"::1%", nullptr},
      {"g::1", nullptr},
      {"1:", nullptr},
      {"::ffff:300.1.1.1", nullptr},
  };
  for (const auto& c : cases) {
    platform::NetAddress a;
    bool ok = platform::ParseIpv6Address(c.in, a);
    EXPECT_EQ(ok, c.out != nullptr) << c.in;
    if (ok && c.out) {
      EXPECT_EQ(platform::AddressText(a), c.out) << c.in;
    }
  }
  platform::NetAddress v4{0x7F000001, 21};
  EXPECT_EQ(platform::AddressText(v4), "127.0.0.1");
}

TEST(Replies, SizeAndExtendedPassive) {
  int64_t size = -1;
  EXPECT_TRUE(ftp::ParseSizeReply("213 1234", size));
  EXPECT_EQ(size, 1234);
  EXPECT_TRUE(ftp::ParseSizeReply("213 9223372036854775807", size));
  EXPECT_EQ(size, INT64_MAX);
  for (const char* bad : {"213 18446744073709551616", "213 9223372036854775808", "213 -1", "213 12x", "213 ",
                          "550 no", "2131234"}) {
    size = 7;
    EXPECT_FALSE(ftp::ParseSizeReply(bad, size)) << bad;
    EXPECT_EQ(size, 7) << bad;
  }

  unsigned port = 0;
  EXPECT_TRUE(transfer::ParseExtendedPassiveReply("229 Entering Extended Passive Mode (|||6446|)", port));
  EXPECT_EQ(port, 6446u);
  EXPECT_TRUE(transfer::ParseExtendedPassiveReply("229 ok (!!!65535!)", port));
  EXPECT_EQ(port, 65535u);
  for (const char* bad : {"229 (|||0|)", "229 (|||65536|)", "229 (|||99999999|)", "229 (||6446|)", "229 (|||6446)",
                          "229 (|||6446!)", "229 (|||6446|", "229 (1116446|)", "229 no list", "229 (|||", "229 (|||x|)"}) {
    port = 0;
    EXPECT_FALSE(transfer::ParseExtendedPassiveReply(bad, port)) << bad;
  }
}

class ModernLogin : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    core::Settings().modernftp = 1;
    profiles::SessionProfile& p = profiles::CurrentProfile();
    p.name = "test";
    p.host = "127.0.0.1";
    p.port = server.port();
    p.user = "joe";
    p.password = "secret";
    server.On("USER", "331 password\r\n");
    server.On("PASS", "230 in\r\n");
  }
};

TEST_F(ModernLogin, FeatListsTheFeaturesAndUtf8IsTurnedOn) {
  server.On("FEAT", ScriptedReply::Pieces({"211-Features:\r\n EPRT\r\n EPSV\r\n MDTM\r\n MLST type*;size*;modify*;\r\n",
                                           " REST STREAM\r\n SIZE\r\n UTF8\r\n211 End\r\n"}));
  server.On("OPTS UTF8 ON", "200 ok\r\n");
  ctrl = ftp::Login(profiles::CurrentProfile());
  ASSERT_NE(ctrl, platform::kNoSocket);
  EXPECT_EQ(server.Transcript(), (Lines{"USER joe", "PASS secret", "FEAT", "OPTS UTF8 ON"}));
  const ftp::ServerFeatures& f = ftp::Conn().features;
  EXPECT_TRUE(f.listed && f.utf8 && f.mlst && f.size && f.rest && f.epsv && f.eprt);
  EXPECT_TRUE(ftp::Conn().utf8Names);
  EXPECT_TRUE(ftp::Conn().mlsdAllowed);
  EXPECT_TRUE(Logged(" MLST type*;size*;modify*;"));  // the reply is logged like any other
}

TEST_F(ModernLogin, ServerWithoutFeatHasNone) {
  server.On("FEAT", "502 what?\r\n");
  profiles::CurrentProfile().hostType = 6010;  // a forced host type keeps LIST
  ctrl = ftp::Login(profiles::CurrentProfile());
  ASSERT_NE(ctrl, platform::kNoSocket);
  EXPECT_EQ(server.Transcript(), (Lines{"USER joe", "PASS secret", "FEAT"}));
  const ftp::ServerFeatures& f = ftp::Conn().features;
  EXPECT_FALSE(f.listed || f.utf8 || f.mlst || f.size);
  EXPECT_FALSE(ftp::Conn().mlsdAllowed);
}

TEST_F(ModernLogin, SwitchedOffSendsNoFeat) {
  core::Settings().modernftp = 0;
  ctrl = ftp::Login(profiles::CurrentProfile());
  ASSERT_NE(ctrl, platform::kNoSocket);
  EXPECT_EQ(server.Transcript(), (Lines{"USER joe", "PASS secret"}));
}

TEST_F(ModernLogin, BracketedIpv6HostIsALiteralAddress) {
  // The scripted server listens on IPv4 only: the connect to [::1] is tried and fails, which
  // shows the address was taken as IPv6 and not looked up as a name.
  profiles::CurrentProfile().host = "[::1]";
  ctrl = ftp::Login(profiles::CurrentProfile());
  EXPECT_EQ(ctrl, platform::kNoSocket);
  EXPECT_TRUE(Logged("connecting to ::1 ..."));
  EXPECT_FALSE(LogMentions("host entry"));
}

}  // namespace

namespace {

class KeepAlive : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    platform::SetClock(&clock);
    core::Settings().keepalive = 30;
  }
  void TearDown() override {
    core::Settings().keepalive = 0;
    SessionTest::TearDown();
  }
  void Connected() {
    ASSERT_EQ(ConnectAndGreet(), 2);
    ftp::Conn().ctrl_skt = ctrl;
    ftp::Conn().connected = 1;
    ftp::Conn().lastCommandMs = clock.now;
  }
  platform::FakeClock clock;
};

TEST_F(KeepAlive, NoopOnlyAfterTheIdleInterval) {
  server.On("NOOP", "200 ok\r\n");
  Connected();
  clock.Advance(29000);
  EXPECT_EQ(ftp::KeepAliveTick(), 0);
  EXPECT_TRUE(server.Transcript().empty());
  clock.Advance(1000);
  EXPECT_EQ(ftp::KeepAliveTick(), 0);
  EXPECT_EQ(server.Transcript(), (Lines{"NOOP"}));
  EXPECT_EQ(ftp::KeepAliveTick(), 0);  // the NOOP itself restarts the interval
  EXPECT_EQ(server.Transcript().size(), 1u);
  core::Settings().keepalive = 0;
  clock.Advance(60000);
  EXPECT_EQ(ftp::KeepAliveTick(), 0);
  EXPECT_EQ(server.Transcript().size(), 1u);
  ctrl = ftp::Conn().ctrl_skt;
}

// Idle means no command line for the interval: a command restarts it.
TEST_F(KeepAlive, ACommandRestartsTheIdleInterval) {
  server.On("NOOP", "200 ok\r\n");
  server.On("PWD", "257 \"/\" is current\r\n");
  Connected();
  clock.Advance(20000);
  EXPECT_EQ(ftp::SendFtpCommand(ctrl, "PWD"), 2);
  clock.Advance(10000);
  EXPECT_EQ(ftp::KeepAliveTick(), 0);
  EXPECT_EQ(server.Transcript(), (Lines{"PWD"}));
  clock.Advance(20000);
  EXPECT_EQ(ftp::KeepAliveTick(), 0);
  EXPECT_EQ(server.Transcript(), (Lines{"PWD", "NOOP"}));
  ctrl = ftp::Conn().ctrl_skt;
}

TEST_F(KeepAlive, ConnectionClosedWhileIdleIsReportedAndClosed) {
  server.Greeting(ScriptedReply::Drop("220 short visit\r\n"));
  Connected();
  ASSERT_TRUE(server.WaitForClose());
  clock.Advance(30000);
  EXPECT_EQ(ftp::KeepAliveTick(), 1);
  EXPECT_TRUE(Logged("Connection closed by the server"));
  EXPECT_EQ(ftp::Conn().ctrl_skt.load(), platform::kNoSocket);
  EXPECT_EQ(ftp::Conn().connected.load(), 0);
  ctrl = platform::kNoSocket;  // closed by the keep-alive
}

}  // namespace
