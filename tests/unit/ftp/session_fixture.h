// A clean session for each test: connection state, host facts, profile, log, prompts, clock.
#pragma once
#include <gtest/gtest.h>

#include "support/ports.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/message_log.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "ftp/commands.h"
#include "ftp/control.h"
#include "ftp/host_types.h"
#include "platform/clock.h"
#include "platform/net.h"
#include "platform/pump.h"
#include "profiles/session_profile.h"
#include "support/scripted_ftp_server.h"
#include "support/temp_dir.h"

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::NetStartup();
    ftp::Conn().Reset();
    ftp::Host().Reset();
    profiles::CurrentProfile() = profiles::SessionProfile();
    profiles::Firewall() = profiles::FirewallLogin();
    core::ResetMessageLog();
    core::Prompts().Reset();
    core::Settings().verbose = 1;
    core::Settings().modernftp = 0;  // the classic command sequences; tests of the additions turn it on
    core::Files().settingsFile = dir.File("MIRVAN.INI");
    ftp::InstallBlockingHook();
  }
  void TearDown() override {
    if (ctrl != platform::kNoSocket) platform::CloseSocketHandle(ctrl);
    testing_support::TestFront().SetPump(nullptr);
    platform::SetClock(nullptr);
    platform::SetBlockingHook(nullptr);
    core::Settings().verbose = 0;
    core::Settings().modernftp = 1;
    ftp::Conn().Reset();
  }

  // Connects the control socket to the scripted server and reads its greeting.
  int ConnectAndGreet() {
    ctrl = ftp::ConnectHost("127.0.0.1", server.port(), "tcp");
    if (ctrl == platform::kNoSocket) return -1;
    return ftp::GetReply(ctrl);
  }

  static std::vector<std::string> Log() { return core::StoredLines(); }
  static bool Logged(const std::string& line) {
    auto lines = Log();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  static bool LogMentions(const std::string& text) {
    for (const auto& l : Log())
      if (l.find(text) != std::string::npos) return true;
    return false;
  }

  testing_support::TempDir dir;
  testing_support::ScriptedFtpServer server;
  platform::Socket ctrl = platform::kNoSocket;
};
