// A command-line run whose remote path is a directory stays open and lists it in the cached form:
// for a host type whose PWD must not be repeated (6026) no second PWD goes out.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/command_line.h"
#include "core/app_state.h"
#include "core/settings.h"
#include "ftp/control.h"
#include "ftp/host_type_codes.h"
#include "ftp/host_types.h"
#include "listing/dir_list.h"
#include "profiles/session_profile.h"
#include "support/scripted_ftp_server.h"
#include "support/temp_dir.h"

namespace {

TEST(CommandLineDirectory, ListedInTheCachedFormWithoutAnotherPwd) {
  testing_support::TempDir dir;
  core::Files().settingsFile = dir.File("MIRVAN.INI");
  ftp::Conn().Reset();
  ftp::Host().Reset();
  ftp::InstallBlockingHook();
  listing::ClearListingCache();
  ui::MemoryListBox dirs(true), files;
  listing::RemotePane().dirList = &dirs;
  listing::RemotePane().fileList = &files;
  for (int hostType : {ftp::kHostCdcCyber, ftp::kHostUnix}) {
    SCOPED_TRACE(hostType);
    testing_support::ScriptedFtpServer server;
    server.On("USER", "331 password\r\n");
    server.On("PASS", "230 in\r\n");
    server.On("CWD", "250 directory\r\n");
    server.On("PWD", "257 \"/sub\"\r\n");
    profiles::CurrentProfile() = profiles::SessionProfile();
    profiles::CurrentProfile().hostType = hostType;  // as the start-up profile names it
    int result = app::RunCommandLine("-quiet ftp://joe:pw@127.0.0.1:" + std::to_string(server.port()) + "/sub");
    EXPECT_EQ(result, 2);
    std::vector<std::string> t = server.Transcript();
    auto cwd = std::find(t.begin(), t.end(), "CWD sub");
    ASSERT_NE(cwd, t.end());
    const bool pwdAfterCwd = std::find(cwd, t.end(), "PWD") != t.end();
    EXPECT_EQ(pwdAfterCwd, hostType != ftp::kHostCdcCyber);
    ftp::Conn().ctrl_skt = ftp::CloseSocket(ftp::Conn().ctrl_skt.load());
    ftp::Conn().Reset();
    listing::ClearListingCache();
  }
  listing::RemotePane().Reset();
  profiles::CurrentProfile() = profiles::SessionProfile();
  core::Settings().Reset();
  core::App().commandLineMode = 0;
  core::Files().settingsFile.clear();
}

}  // namespace
