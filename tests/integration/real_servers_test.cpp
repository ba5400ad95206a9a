// The FTP session against real servers on loopback: logins, directory commands, detection.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "core/message_log.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "ftp/commands.h"
#include "ftp/control.h"
#include "ftp/login.h"
#include "ftp/host_types.h"
#include "platform/fs.h"
#include "profiles/session_profile.h"
#include "support/real_ftp_servers.h"
#include "support/temp_dir.h"

using testing_support::RealFtpServer;

namespace {

class RealServer : public ::testing::TestWithParam<RealFtpServer::Kind> {
 protected:
  void SetUp() override {
    std::string why;
    server = RealFtpServer::Start(GetParam(), &why);
    if (!server) GTEST_SKIP() << why;
    ftp::Conn().Reset();
    ftp::Host().Reset();
    core::ResetMessageLog();
    core::Prompts().Reset();
    core::Files().settingsFile = dir.File("MIRVAN.INI");
    ftp::InstallBlockingHook();
  }
  void TearDown() override {
    if (ctrl != platform::kNoSocket) {
      ftp::SendFtpCommand(ctrl, "QUIT");
      ftp::CloseSocket(ctrl);
    }
    ftp::Conn().Reset();
    profiles::CurrentProfile() = profiles::SessionProfile();
  }
  bool LoginAs(const std::string& user, const std::string& password) {
    profiles::SessionProfile& p = profiles::CurrentProfile();
    p = profiles::SessionProfile();
    p.name = "real";
    p.host = "127.0.0.1";
    p.port = server->port();
    p.user = user;
    p.password = password;
    ctrl = ftp::Login(p);
    return ctrl != platform::kNoSocket;
  }
  std::string Pwd() {
    EXPECT_EQ(ftp::PrintRemoteDir(ctrl), 2);
    const std::string& line = ftp::Conn().replyLine;
    size_t a = line.find('"'), b = line.rfind('"');
    return a != std::string::npos && b > a ? line.substr(a + 1, b - a - 1) : line;
  }
  static std::string LogText() {
    std::string all;
    for (const auto& l : core::StoredLines()) all += l + "\n";
    return all;
  }
  static bool Logged(const std::string& text) {
    auto lines = core::StoredLines();
    return std::find(lines.begin(), lines.end(), text) != lines.end();
  }

  std::unique_ptr<RealFtpServer> server;
  testing_support::TempDir dir;
  platform::Socket ctrl = platform::kNoSocket;
};

TEST_P(RealServer, AnonymousLogin) {
  ASSERT_TRUE(LoginAs("anonymous", "me@example.org")) << server->name() << "\n" << LogText();
  EXPECT_EQ(ftp::Conn().connected, 1);
  EXPECT_EQ(Pwd(), "/");
}

TEST_P(RealServer, WrongPasswordFails) {
  EXPECT_FALSE(LoginAs(server->user(), "not-the-password"));
  EXPECT_TRUE(Logged("logon failure, so quitting"));
  EXPECT_TRUE(Logged("PASS xxxxxx"));
  EXPECT_EQ(ftp::Conn().connected, 0);
  EXPECT_EQ(ftp::Conn().commandDepth, 0);
}

TEST_P(RealServer, UserLoginAndDirectoryRoundTrips) {
  ASSERT_TRUE(LoginAs(server->user(), server->password())) << server->name() << "\n" << LogText();
  const std::string home = Pwd();
  const std::string onDisk = server->userRoot() + "/sub";

  EXPECT_EQ(ftp::MakeRemoteDir(ctrl, "sub"), 2);
  EXPECT_TRUE(platform::IsDirectory(onDisk));
  EXPECT_EQ(ftp::ChangeRemoteDir(ctrl, "sub"), 2);
  EXPECT_EQ(Pwd(), home == "/" ? "/sub" : home + "/sub");
  EXPECT_EQ(ftp::ChangeRemoteDir(ctrl, "no-such-dir"), 5);
  EXPECT_EQ(ftp::ChangeRemoteDir(ctrl, ".."), 2);
  EXPECT_EQ(Pwd(), home);
  EXPECT_EQ(ftp::RemoveRemoteDir(ctrl, "sub"), 2);
  EXPECT_FALSE(platform::PathExists(onDisk));
  EXPECT_EQ(ftp::RemoveRemoteDir(ctrl, "sub"), 5);

  std::ofstream(server->userRoot() + "/old.txt") << "bye";
  EXPECT_EQ(ftp::DeleteRemoteFile(ctrl, "old.txt"), 2);
  EXPECT_FALSE(platform::PathExists(server->userRoot() + "/old.txt"));
  EXPECT_EQ(ftp::DeleteRemoteFile(ctrl, "old.txt"), 5);
}

TEST_P(RealServer, UnixDetectedThroughSyst) {
  ASSERT_TRUE(LoginAs(server->user(), server->password())) << server->name() << "\n" << LogText();
  ASSERT_EQ(profiles::CurrentProfile().hostType, 6000);
  ftp::DetectHostType(ctrl);
  EXPECT_EQ(profiles::CurrentProfile().hostType, 6010);
  EXPECT_TRUE(Logged("Host type (2): UNIX (standard)"));
  EXPECT_EQ(ftp::Host().hostTypeKnown, 1);
  EXPECT_EQ(ftp::Host().canMkd + ftp::Host().canRmd + ftp::Host().canRename + ftp::Host().canDele, 4);
}

INSTANTIATE_TEST_SUITE_P(Servers, RealServer, ::testing::Values(RealFtpServer::kPyftpdlib, RealFtpServer::kVsftpd),
                         [](const ::testing::TestParamInfo<RealFtpServer::Kind>& info) {
                           return info.param == RealFtpServer::kPyftpdlib ? "pyftpdlib" : "vsftpd";
                         });

}  // namespace
