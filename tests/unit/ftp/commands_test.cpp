// The command layer: the log echo, the X-command fall-backs, CDUP and the VMS directory form.
#include <gtest/gtest.h>

#include "session_fixture.h"
#include "support/ports.h"

using testing_support::ScriptedPrompts;
using Lines = std::vector<std::string>;

namespace {

TEST_F(SessionTest, SecretsAreMaskedInTheLogOnly) {
  server.On("PASS", "230 in\r\n");
  server.On("ACCT", "230 acct ok\r\n");
  server.On("pass", "500 what\r\n");
  ASSERT_EQ(ConnectAndGreet(), 2);
  EXPECT_EQ(ftp::SendFtpCommand(ctrl, "PASS %s", "s3cret"), 2);
  EXPECT_EQ(ftp::SendFtpCommandText(ctrl, "ACCT acct-secret"), 2);
  EXPECT_EQ(ftp::SendFtpCommand(ctrl, "pass %s", "lower"), 5);
  EXPECT_EQ(server.Transcript(), (Lines{"PASS s3cret", "ACCT acct-secret", "pass lower"}));
  EXPECT_TRUE(Logged("PASS xxxxxx"));
  EXPECT_TRUE(Logged("ACCT xxxxxx"));
  EXPECT_TRUE(Logged("pass lower"));
  EXPECT_FALSE(LogMentions("s3cret"));
  EXPECT_FALSE(LogMentions("acct-secret"));
}

TEST_F(SessionTest, PercentInTextReachesTheServer) {
  server.On("DELE", "250 gone\r\n");
  ASSERT_EQ(ConnectAndGreet(), 2);
  EXPECT_EQ(ftp::DeleteRemoteFile(ctrl, "100%s.txt"), 2);
  EXPECT_EQ(server.Transcript(), Lines{"DELE 100%s.txt"});
}

TEST_F(SessionTest, NoConnection) {
  EXPECT_EQ(ftp::SendFtpCommand(platform::kNoSocket, "NOOP"), 0);
  EXPECT_TRUE(Logged("Not connected"));
  EXPECT_EQ(ftp::PrintRemoteDir(platform::kNoSocket), 0);
}

struct FallbackCase {
  const char* name;
  int (*op)(platform::Socket);
  const char* firstVerb;
  const char* firstReply;
  Lines expected;
  int cls;
};

int Pwd(platform::Socket s) { return ftp::PrintRemoteDir(s); }
int Pasv(platform::Socket s) { return ftp::EnterPassiveMode(s); }
int Mkd(platform::Socket s) { return ftp::MakeRemoteDir(s, "new dir"); }
int Rmd(platform::Socket s) { return ftp::RemoveRemoteDir(s, "old"); }
int Cwd(platform::Socket s) {
  ftp::Host().useCdup = 0;
  return ftp::ChangeRemoteDir(s, "pub");
}
int Dele(platform::Socket s) { return ftp::DeleteRemoteFile(s, "f"); }

class Fallbacks : public SessionTest, public ::testing::WithParamInterface<FallbackCase> {};

TEST_P(Fallbacks, OnlyExactly500BringsTheXCommand) {
  const FallbackCase& c = GetParam();
  server.On(c.firstVerb, c.firstReply);
  for (const char* x : {"XPWD", "XPSV", "XMKD", "XRMD", "XCWD"}) server.On(x, "257 x-form ok\r\n");
  ASSERT_EQ(ConnectAndGreet(), 2);
  EXPECT_EQ(c.op(ctrl), c.cls);
  EXPECT_EQ(server.Transcript(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, Fallbacks,
    ::testing::Values(FallbackCase{"Pwd500", Pwd, "PWD", "500 unknown\r\n", {"PWD", "XPWD"}, 2},
                      FallbackCase{"Pwd502", Pwd, "PWD", "502 not implemented\r\n", {"PWD"}, 5},
                      FallbackCase{"Pwd550", Pwd, "PWD", "550 no\r\n", {"PWD"}, 5},
                      FallbackCase{"PwdOk", Pwd, "PWD", "257 \"/\"\r\n", {"PWD"}, 2},
                      FallbackCase{"Pasv500", Pasv, "PASV", "500 unknown\r\n", {"PASV", "XPSV"}, 2},
                      FallbackCase{"Mkd500", Mkd, "MKD", "500 unknown\r\n", {"MKD new dir", "XMKD new dir"}, 2},
                      FallbackCase{"Rmd500", Rmd, "RMD", "500 unknown\r\n", {"RMD old", "XRMD old"}, 2},
                      FallbackCase{"Rmd550", Rmd, "RMD", "550 not empty\r\n", {"RMD old"}, 5},
                      FallbackCase{"Cwd500", Cwd, "CWD", "500 unknown\r\n", {"CWD pub", "XCWD pub"}, 2},
                      FallbackCase{"Dele500", Dele, "DELE", "500 unknown\r\n", {"DELE f"}, 5}),
    [](const ::testing::TestParamInfo<FallbackCase>& info) { return info.param.name; });

struct CwdCase {
  const char* name;
  int hostType;
  int useCdup;
  std::string dir;
  std::vector<std::pair<std::string, std::string>> rules;
  Lines expected;
  int cls;
};

class ChangeDir : public SessionTest, public ::testing::WithParamInterface<CwdCase> {};

TEST_P(ChangeDir, CommandsSent) {
  const CwdCase& c = GetParam();
  profiles::CurrentProfile().hostType = c.hostType;
  ftp::Host().useCdup = c.useCdup;
  for (const auto& r : c.rules) server.On(r.first, r.second);
  ASSERT_EQ(ConnectAndGreet(), 2);
  EXPECT_EQ(ftp::ChangeRemoteDir(ctrl, c.dir), c.cls);
  EXPECT_EQ(server.Transcript(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Dirs, ChangeDir,
    ::testing::Values(
        CwdCase{"EmptyNameSendsNothing", 6000, 1, "", {}, {}, 2},
        CwdCase{"CdupAccepted", 6000, 1, "..", {{"CDUP", "250 ok\r\n"}}, {"CDUP"}, 2},
        CwdCase{"CdupRefusedThenCwd", 6000, 1, "..", {{"CDUP", "502 no\r\n"}, {"CWD", "250 ok\r\n"}},
                {"CDUP", "CWD .."}, 2},
        CwdCase{"NoCdupForThisHost", 6026, 0, "..", {{"CWD", "250 ok\r\n"}}, {"CWD .."}, 2},
        CwdCase{"VmsBracketedFirst", 6012, 1, "x", {{"CWD", "250 ok\r\n"}}, {"CWD [.x]"}, 2},
        CwdCase{"VmsBracketRefusedThenPlain", 6012, 1, "x", {{"CWD", "550 no\r\n"}, {"CWD", "250 ok\r\n"}},
                {"CWD [.x]", "CWD x"}, 2},
        CwdCase{"VmsBracketTransientFailureStops", 6012, 1, "x", {{"CWD", "450 busy\r\n"}}, {"CWD [.x]"}, 4},
        CwdCase{"VmsNameWithBracketPlainOnly", 6012, 1, "[a.b]", {{"CWD", "250 ok\r\n"}}, {"CWD [a.b]"}, 2}),
    [](const ::testing::TestParamInfo<CwdCase>& info) { return info.param.name; });

TEST_F(SessionTest, DirectoryThatWantsAnAccount) {
  server.On("CWD", "332 need account\r\n");
  server.On("ACCT", "250 ok\r\n");
  ASSERT_EQ(ConnectAndGreet(), 2);
  profiles::CurrentProfile().account = "stored";
  ScriptedPrompts prompts;
  prompts.answers = {{true, ""}, {true, "dept42"}};
  EXPECT_EQ(ftp::ChangeRemoteDir(ctrl, "secret"), 2);
  // Shown even though the account held text; shown again after an empty Ok.
  ASSERT_EQ(prompts.asked.size(), 2u);
  EXPECT_EQ(prompts.asked[0].promptText, "Password required:");
  EXPECT_EQ(prompts.asked[0].initial, "stored");
  EXPECT_EQ(prompts.asked[0].kind, core::PromptKind::kPassword);
  EXPECT_EQ(prompts.asked[1].helpContext, 80);
  EXPECT_EQ(server.Transcript(), (Lines{"CWD secret", "ACCT dept42"}));
  EXPECT_EQ(profiles::CurrentProfile().account, "dept42");
  EXPECT_EQ(core::Prompts().inputBuffer, "");
  EXPECT_TRUE(Logged("ACCT xxxxxx"));

  // Cancel: nothing more is sent when the account ends up empty.
  server.On("CWD", "332 need account\r\n");
  profiles::CurrentProfile().account.clear();
  prompts.answers = {{false, ""}};
  EXPECT_EQ(ftp::ChangeRemoteDir(ctrl, "other"), 3);
  EXPECT_EQ(server.Transcript(), (Lines{"CWD secret", "ACCT dept42", "CWD other"}));
}

}  // namespace
