// Login: the direct sequence with its prompts, and each firewall kind's success and failure.
#include <gtest/gtest.h>

#include "core/ini.h"
#include "ftp/login.h"
#include "profiles/profile_store.h"
#include "session_fixture.h"
#include "support/ports.h"
#include "ui/controls.h"

using testing_support::ScriptedPrompts;
using testing_support::ScriptedReply;
using Lines = std::vector<std::string>;
using Rules = std::vector<std::pair<std::string, std::string>>;

namespace {

class LoginTest : public SessionTest {
 protected:
  profiles::SessionProfile& Profile(const std::string& user, const std::string& password) {
    profiles::SessionProfile& p = profiles::CurrentProfile();
    p.name = "test";
    p.host = "127.0.0.1";
    p.port = server.port();
    p.user = user;
    p.password = password;
    return p;
  }
  void AddRules(const Rules& rules) {
    for (const auto& r : rules) server.On(r.first, r.second);
  }
  platform::Socket LoginNow() {
    ctrl = ftp::Login(profiles::CurrentProfile());
    return ctrl;
  }
};

TEST_F(LoginTest, DirectLoginWithInitCommand) {
  server.Greeting(ScriptedReply::Pieces({"120 wait a moment\r\n", "220 ready now\r\n"}));
  AddRules({{"USER", "331 password\r\n"}, {"PASS", "230 welcome\r\n"}, {"SITE", "200 done\r\n"}});
  profiles::SessionProfile& p = Profile("joe", "secret");
  p.initCommand = "SITE UMASK %d%s";
  ui::MemoryLabel& caption = testing_support::ResetTestFront().caption;
  platform::Socket s = LoginNow();
  ASSERT_NE(s, platform::kNoSocket);
  EXPECT_EQ(server.Transcript(), (Lines{"USER joe", "PASS secret", "SITE UMASK %d%s"}));
  EXPECT_EQ(ftp::Conn().connected, 1);
  EXPECT_EQ(ftp::Conn().commandDepth, 0);
  EXPECT_EQ(caption.Text(), "MIRVAN32 127.0.0.1");
  EXPECT_TRUE(Logged("PASS xxxxxx"));
  EXPECT_FALSE(LogMentions("secret"));
  EXPECT_TRUE(LogMentions("] from 127.0.0.1 port "));

  // A second login while connected is refused.
  core::ResetMessageLog();
  EXPECT_EQ(ftp::Login(profiles::CurrentProfile()), platform::kNoSocket);
  EXPECT_EQ(Log(), Lines{"Already connected!"});
}

TEST_F(LoginTest, UserAcceptedWithoutPasswordAsksNothing) {
  AddRules({{"USER", "230 no password needed\r\n"}});
  Profile("guest", "");
  ScriptedPrompts prompts;
  EXPECT_NE(LoginNow(), platform::kNoSocket);
  EXPECT_TRUE(prompts.asked.empty());
  EXPECT_EQ(server.Transcript(), Lines{"USER guest"});
}

TEST_F(LoginTest, MissingPasswordAndAccountArePrompted) {
  AddRules({{"USER", "331 password\r\n"}, {"PASS", "332 account please\r\n"}, {"ACCT", "230 ok\r\n"}});
  profiles::SessionProfile& p = Profile("joe", "");
  ScriptedPrompts prompts;
  prompts.answers = {{true, ""}, {true, "typed-pw"}, {true, "acct9"}};
  ASSERT_NE(LoginNow(), platform::kNoSocket);
  ASSERT_EQ(prompts.asked.size(), 3u);
  EXPECT_EQ(prompts.asked[0].promptText, "Need a password:");
  EXPECT_EQ(prompts.asked[1].helpContext, 80);
  EXPECT_EQ(prompts.asked[2].promptText, "Need an account:");
  EXPECT_EQ(prompts.asked[2].kind, core::PromptKind::kPlain);
  EXPECT_EQ(prompts.asked[2].helpContext, 85);
  EXPECT_EQ(server.Transcript(), (Lines{"USER joe", "PASS typed-pw", "ACCT acct9"}));
  EXPECT_EQ(p.password, "typed-pw");
  EXPECT_EQ(p.account, "acct9");
  EXPECT_EQ(core::Prompts().inputBuffer, "");
  EXPECT_EQ(core::Prompts().currentHelpContext, 0);
}

TEST_F(LoginTest, AccountAfterAcceptedPasswordIsNotJudged) {
  AddRules({{"USER", "331 password\r\n"}, {"PASS", "230 ACCOUNT may be given\r\n"}, {"ACCT", "530 bad account\r\n"}});
  Profile("joe", "pw").account = "a1";
  EXPECT_NE(LoginNow(), platform::kNoSocket);
  EXPECT_EQ(server.Transcript(), (Lines{"USER joe", "PASS pw", "ACCT a1"}));
}

TEST_F(LoginTest, CancelledPasswordPromptFails) {
  AddRules({{"USER", "331 password\r\n"}});
  Profile("joe", "");
  ScriptedPrompts prompts;
  prompts.answers = {{false, ""}};
  EXPECT_EQ(LoginNow(), platform::kNoSocket);
  EXPECT_EQ(server.Transcript(), Lines{"USER joe"});
  EXPECT_TRUE(Logged("logon failure, so quitting"));
  EXPECT_EQ(ftp::Conn().connected, 0);
  EXPECT_EQ(ftp::Conn().commandDepth, 0);
  EXPECT_TRUE(server.WaitForClose());
}

TEST_F(LoginTest, GreetingFailures) {
  server.Greeting("421 too many users\r\n");
  Profile("joe", "pw");
  EXPECT_EQ(LoginNow(), platform::kNoSocket);
  EXPECT_TRUE(Logged("connection failed"));
  EXPECT_TRUE(server.WaitForClose());

  testing_support::ScriptedFtpServer odd;
  odd.Greeting("530 go away\r\n");
  profiles::CurrentProfile().port = odd.port();
  EXPECT_EQ(LoginNow(), platform::kNoSocket);
  EXPECT_TRUE(Logged("unk open msg \"530 go away\" 530"));
  EXPECT_EQ(ftp::Conn().commandDepth, 0);
  EXPECT_TRUE(server.Transcript().empty());
}

TEST_F(LoginTest, ConnectFailure) {
  Profile("joe", "pw").host = "300.0.0.1";
  EXPECT_EQ(LoginNow(), platform::kNoSocket);
  EXPECT_TRUE(Logged("Connection to 300.0.0.1 failed"));
  EXPECT_EQ(ftp::Conn().commandDepth, 0);
}

// Each firewall kind: the firewall section, the server's rules, what it must receive.
struct FirewallCase {
  const char* name;
  int fireType;
  std::string storedPassword;  // firewall password in the file ("" = none stored)
  Rules rules;
  std::vector<ScriptedPrompts::Answer> answers;
  Lines expected;
  bool success;
  std::string failure;  // the failure's log line
};

class FirewallLogin : public LoginTest, public ::testing::WithParamInterface<FirewallCase> {};

TEST_P(FirewallLogin, Transcript) {
  const FirewallCase& c = GetParam();
  const std::string& ini = core::Files().settingsFile;
  core::ini::Write(ini, "FIREWALL", "HOST", "127.0.0.1");
  core::ini::Write(ini, "FIREWALL", "UID", "fwuser");
  core::ini::WriteUnsigned(ini, "FIREWALL", "PORT", server.port());
  core::ini::WriteUnsigned(ini, "FIREWALL", "FIRETYPE", c.fireType);
  if (!c.storedPassword.empty())
    core::ini::Write(ini, "FIREWALL", "PWD", profiles::ScramblePassword("fwuser", c.storedPassword).c_str());
  profiles::SessionProfile& p = Profile("joe", "secret");
  p.host = "remote.example";
  p.port = 2121;
  p.useFirewall = 1;
  AddRules(c.rules);
  ScriptedPrompts prompts;
  prompts.answers.assign(c.answers.begin(), c.answers.end());
  platform::Socket s = LoginNow();
  EXPECT_EQ(server.Transcript(), c.expected);
  EXPECT_EQ(s != platform::kNoSocket, c.success);
  EXPECT_EQ(ftp::Conn().connected, c.success ? 1 : 0);
  EXPECT_EQ(ftp::Conn().commandDepth, 0);
  EXPECT_EQ(p.port, server.port());  // the firewall's port replaces the profile's in memory
  if (!c.success) {
    EXPECT_TRUE(Logged(c.failure)) << c.failure;
  }
  EXPECT_FALSE(LogMentions("fwpass"));
  EXPECT_FALSE(LogMentions("secret"));
  EXPECT_EQ(profiles::Firewall().user, "fwuser");
}

const Rules kRemoteLogin = {{"USER joe", "331 password\r\n"}, {"PASS secret", "230 in\r\n"}};

Rules With(Rules first, const Rules& then) {
  first.insert(first.end(), then.begin(), then.end());
  return first;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FirewallLogin,
    ::testing::Values(
        FirewallCase{"Site", 0, "fwpass",
                     With({{"USER fwuser", "331 fw password\r\n"}, {"PASS fwpass", "230 fw ok\r\n"},
                           {"SITE", "220 connected to remote\r\n"}},
                          kRemoteLogin),
                     {}, {"USER fwuser", "PASS fwpass", "SITE remote.example", "USER joe", "PASS secret"}, true, ""},
        FirewallCase{"SiteRefused", 0, "fwpass",
                     {{"USER fwuser", "331 fw password\r\n"}, {"PASS fwpass", "230 fw ok\r\n"},
                      {"SITE", "550 unknown host\r\n"}},
                     {}, {"USER fwuser", "PASS fwpass", "SITE remote.example"}, false,
                     "Connect to final destination failed, so quitting"},
        FirewallCase{"SiteFirewallPasswordPrompted", 0, "",
                     With({{"USER fwuser", "331 fw password\r\n"}, {"PASS fwpass", "230 fw ok\r\n"},
                           {"SITE", "220 ok\r\n"}},
                          kRemoteLogin),
                     {{true, "fwpass"}},
                     {"USER fwuser", "PASS fwpass", "SITE remote.example", "USER joe", "PASS secret"}, true, ""},
        FirewallCase{"UserAfterLogon", 1, "fwpass",
                     {{"USER fwuser", "331 fw password\r\n"}, {"PASS fwpass", "230 fw ok\r\n"},
                      {"USER joe@remote.example", "331 password\r\n"}, {"PASS secret", "230 in\r\n"}},
                     {}, {"USER fwuser", "PASS fwpass", "USER joe@remote.example", "PASS secret"}, true, ""},
        FirewallCase{"UserAfterLogonNoPasswordNeeded", 1, "fwpass",
                     {{"USER fwuser", "331 fw password\r\n"}, {"PASS fwpass", "230 fw ok\r\n"},
                      {"USER joe@remote.example", "230 in already\r\n"}},
                     {}, {"USER fwuser", "PASS fwpass", "USER joe@remote.example"}, false,
                     "Connect to final destination failed, so quitting"},
        FirewallCase{"UserAfterLogonFirewallRefuses", 1, "fwpass",
                     {{"USER fwuser", "331 fw password\r\n"}, {"PASS fwpass", "530 wrong\r\n"}}, {},
                     {"USER fwuser", "PASS fwpass"}, false, "Firewall logon failure, so quitting"},
        FirewallCase{"UserNoLogon", 2, "",
                     {{"USER joe@remote.example", "331 password\r\n"}, {"PASS secret", "230 in\r\n"}}, {},
                     {"USER joe@remote.example", "PASS secret"}, true, ""},
        FirewallCase{"UserNoLogonRefused", 2, "", {{"USER joe@remote.example", "530 no such host\r\n"}}, {},
                     {"USER joe@remote.example"}, false, "Connect to final destination failed, so quitting"},
        FirewallCase{"ProxyOpen", 3, "", With({{"OPEN", "220 remote ready\r\n"}}, kRemoteLogin), {},
                     {"OPEN remote.example", "USER joe", "PASS secret"}, true, ""},
        FirewallCase{"ProxyOpenRefused", 3, "", {{"OPEN", "550 cannot reach\r\n"}}, {}, {"OPEN remote.example"},
                     false, "Connect to final destination failed, so quitting"},
        FirewallCase{"Gateuser", 4, "fwpass",
                     {{"USER joe@remote.example fwuser", "331 password\r\n"}, {"PASS secret", "331 gate pw\r\n"},
                      {"ACCT fwpass", "230 in\r\n"}},
                     {}, {"USER joe@remote.example fwuser", "PASS secret", "ACCT fwpass"}, true, ""},
        FirewallCase{"GateuserNoPasswordNeeded", 4, "fwpass",
                     {{"USER joe@remote.example fwuser", "230 in already\r\n"}}, {},
                     {"USER joe@remote.example fwuser"}, false, "Firewall logon failure, so quitting"},
        FirewallCase{"GateuserFirewallPasswordCancelled", 4, "",
                     {{"USER joe@remote.example fwuser", "331 password\r\n"}, {"PASS secret", "331 gate pw\r\n"}},
                     {{false, ""}}, {"USER joe@remote.example fwuser", "PASS secret"}, false,
                     "Firewall logon failure, so quitting"}),
    [](const ::testing::TestParamInfo<FirewallCase>& info) { return info.param.name; });

TEST_F(LoginTest, GateuserLogsAcctMasked) {
  const std::string& ini = core::Files().settingsFile;
  core::ini::Write(ini, "FIREWALL", "HOST", "127.0.0.1");
  core::ini::Write(ini, "FIREWALL", "UID", "gate");
  core::ini::Write(ini, "FIREWALL", "PWD", profiles::ScramblePassword("gate", "Gate-Pw").c_str());
  core::ini::WriteUnsigned(ini, "FIREWALL", "PORT", server.port());
  core::ini::WriteUnsigned(ini, "FIREWALL", "FIRETYPE", 4);
  Profile("joe", "pw").useFirewall = 1;
  AddRules({{"USER", "331 pw\r\n"}, {"PASS", "331 gate\r\n"}, {"ACCT", "230 in\r\n"}});
  ASSERT_NE(LoginNow(), platform::kNoSocket);
  EXPECT_EQ(server.Transcript().back(), "ACCT Gate-Pw");
  EXPECT_TRUE(Logged("ACCT xxxxxx"));
  EXPECT_FALSE(LogMentions("Gate-Pw"));
}

TEST_F(LoginTest, GreetingLinesOfferedToDetection) {
  server.Greeting(ScriptedReply::Pieces({"120-Service ready soon\r\n120 NetWare v4 FTP\r\n", "220 ready\r\n"}));
  AddRules({{"USER", "230 ok\r\n"}});
  Profile("joe", "");
  ASSERT_NE(LoginNow(), platform::kNoSocket);
  EXPECT_EQ(profiles::CurrentProfile().hostType, 6035);
  EXPECT_TRUE(Logged("Host type (1): NetWare v4"));
}

TEST_F(LoginTest, RsxProfileIsKnownAfterLogin) {
  AddRules({{"USER", "230 ok\r\n"}});
  Profile("joe", "").hostType = 6019;
  ftp::Host().hostTypeKnown = 0;
  ASSERT_NE(LoginNow(), platform::kNoSocket);
  EXPECT_EQ(ftp::Host().hostTypeKnown, 1);
  EXPECT_EQ(ftp::Host().canDele, 1);
}

}  // namespace
