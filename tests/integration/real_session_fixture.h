// A real FTP server per test (the parameter: server kind and passive mode), a clean session,
// and the current profile set up for the server's user with a password.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>

#include "core/app_state.h"
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

using RealSessionParam = std::tuple<testing_support::RealFtpServer::Kind, bool>;  // server, passive

class RealSessionTest : public ::testing::TestWithParam<RealSessionParam> {
 public:
  // Test names: server and mode.
  static std::string ParamName(const ::testing::TestParamInfo<RealSessionParam>& info) {
    return std::string(std::get<0>(info.param) == testing_support::RealFtpServer::kPyftpdlib ? "pyftpdlib"
                                                                                             : "vsftpd") +
           (std::get<1>(info.param) ? "Passive" : "Active");
  }

 protected:
  using RealFtpServer = testing_support::RealFtpServer;

  // The loopback address the server listens on and the profile's HOST names.
  virtual std::string ServerAddress() const { return "127.0.0.1"; }

  void SetUp() override {
    std::string why;
    server = RealFtpServer::Start(std::get<0>(GetParam()), &why, ServerAddress());
    if (!server) GTEST_SKIP() << why;
    ftp::Conn().Reset();
    ftp::Host().Reset();
    core::ResetMessageLog();
    core::Prompts().Reset();
    core::Settings().Reset();
    core::Settings().bell = 0;
    core::Settings().verbose = 1;
    core::SetBusy(0);
    core::Files().settingsFile = local.File("MIRVAN.INI");
    core::Files().extensionListFile = local.File("MIRVAN.EXT");
    ftp::InstallBlockingHook();
    profiles::SessionProfile& p = profiles::CurrentProfile();
    p = profiles::SessionProfile();
    p.name = "real";
    p.host = ServerAddress();
    p.port = server->port();
    p.user = server->user();
    p.password = server->password();
    p.passive = std::get<1>(GetParam()) ? 1 : 0;
  }
  void TearDown() override {
    if (ctrl != platform::kNoSocket) {
      ftp::SendFtpCommand(ctrl, "QUIT");
      ftp::CloseSocket(ctrl);
    }
    ftp::Conn().Reset();
    core::Settings().Reset();
    profiles::CurrentProfile() = profiles::SessionProfile();
  }
  // Logs in with the current profile and keeps the control socket.
  void Connect() {
    ctrl = ftp::Login(profiles::CurrentProfile());
    ASSERT_NE(ctrl, platform::kNoSocket);
    ftp::Conn().ctrl_skt = ctrl;
  }
  std::string Remote(const std::string& name) const { return platform::JoinPath(server->userRoot(), name); }
  static bool LogMentions(const std::string& text) {
    for (const auto& l : core::StoredLines())
      if (l.find(text) != std::string::npos) return true;
    return false;
  }
  std::unique_ptr<RealFtpServer> server;
  testing_support::TempDir local;
  platform::Socket ctrl = platform::kNoSocket;
};

#define MIRVAN_ALL_REAL_SESSIONS(suite)                                                                        \
  INSTANTIATE_TEST_SUITE_P(ServersAndModes, suite,                                                             \
                           ::testing::Combine(::testing::Values(testing_support::RealFtpServer::kPyftpdlib,     \
                                                                testing_support::RealFtpServer::kVsftpd),       \
                                              ::testing::Bool()),                                              \
                           RealSessionTest::ParamName)
