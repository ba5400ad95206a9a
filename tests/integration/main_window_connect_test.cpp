// The main window's Connect and Close against real servers on loopback, through a fake window:
// the session dialog's choice logs in, the remote lists show the server's directory, the caption
// and the Connect button follow the connection, and Close empties the lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "core/app_state.h"
#include "core/message_log.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "ftp/control.h"
#include "ftp/host_types.h"
#include "listing/dir_list.h"
#include "platform/fs.h"
#include "profiles/session_profile.h"
#include "resources/resource.h"
#include "support/fake_main_window.h"
#include "support/ports.h"
#include "support/real_ftp_servers.h"
#include "support/temp_dir.h"

namespace {

using testing_support::RealFtpServer;

class MainWindowConnect : public ::testing::TestWithParam<RealFtpServer::Kind> {
 protected:
  void SetUp() override {
    std::string why;
    server = RealFtpServer::Start(GetParam(), &why);
    if (!server) GTEST_SKIP() << why;
    testing_support::ResetTestFront();
    ftp::Conn().Reset();
    ftp::Host().Reset();
    core::ResetMessageLog();
    core::Prompts().Reset();
    core::Settings().Reset();
    core::Settings().bell = 0;
    core::SetBusy(0);
    core::Files().settingsFile = local.File("MIRVAN.INI");
    profiles::CurrentProfile() = profiles::SessionProfile();
    listing::RemotePane().Reset();
    ftp::InstallBlockingHook();
    win = std::make_unique<testing_support::FakeMainWindow>();
    app::FinishCreation(win->state);

    platform::MakeDirectory(server->userRoot() + "/pub");
    platform::MakeDirectory(server->userRoot() + "/docs");
    std::ofstream(server->userRoot() + "/a.txt") << "a";
    std::ofstream(server->userRoot() + "/b.bin") << "bb";
    std::ofstream(server->userRoot() + "/pub/inside.txt") << "inside";
    win->host.fillSession = [this](profiles::SessionProfile& p) {
      p.name = "real";
      p.host = "127.0.0.1";
      p.port = server->port();
      p.user = server->user();
      p.password = password;
      p.passive = 1;
      p.remoteDir = remoteDir;
      p.retries = retries;
      p.localMask = "*.*";
      p.remoteMask = "";
    };
  }
  void TearDown() override {
    if (win) {
      if (ftp::Conn().ctrl_skt.load() != ftp::kNoSocket) app::HandleCommand(win->state, IDM_POPUP_CLOSE);
      win.reset();
    }
    listing::ClearListingCache();
    listing::RemotePane().Reset();
    ftp::Conn().Reset();
    core::Settings().Reset();
    core::Files().settingsFile.clear();
    profiles::CurrentProfile() = profiles::SessionProfile();
  }
  static std::vector<std::string> Items(const ui::ListBox& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Text(i));
    return out;
  }
  // The names of the file list's entries (the text before the information columns).
  static std::vector<std::string> FileNames(const ui::ListBox& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) {
      std::string t = list.Text(i);
      t = t.substr(0, t.find("\t| "));
      t.erase(t.find_last_not_of(' ') + 1);
      out.push_back(t);
    }
    std::sort(out.begin(), out.end());
    return out;
  }
  static bool Logged(const std::string& text) {
    for (const auto& l : core::StoredLines())
      if (l.find(text) != std::string::npos) return true;
    return false;
  }

  testing_support::TempDir local;
  std::unique_ptr<RealFtpServer> server;
  std::unique_ptr<testing_support::FakeMainWindow> win;
  std::string password;
  std::string remoteDir;
  int retries = 0;
};

TEST_P(MainWindowConnect, ButtonConnectListsAndCloseEmpties) {
  password = server->password();
  testing_support::FakeMainWindow& w = *win;
  app::HandleCommand(w.state, IDM_CONNECT);
  EXPECT_EQ(w.host.sessionDialogs, 1);
  EXPECT_EQ(w.host.remoteListRecreated, 1);
  ASSERT_EQ(ftp::Conn().connected.load(), 1);
  EXPECT_EQ(testing_support::TestFront().caption.Text(), "MIRVAN32 127.0.0.1");
  EXPECT_EQ(w.connect.Text(), "&Close");
  EXPECT_TRUE(w.state.hasConnected);
  EXPECT_EQ(Items(w.remoteDirs), (std::vector<std::string>{"..", "docs", "pub"}));
  EXPECT_EQ(FileNames(w.remoteFiles), (std::vector<std::string>{"a.txt", "b.bin"}));
  EXPECT_FALSE(w.remoteCombo.Text().empty());
  EXPECT_TRUE(w.remoteButtons[app::kPaneChgDir].IsEnabled());
  EXPECT_TRUE(w.remoteButtons[app::kPaneRefresh].IsEnabled());
  EXPECT_TRUE(w.download.IsEnabled());
  EXPECT_EQ(w.host.posted, (std::vector<int>{IDM_TYPECHANGED}));
  EXPECT_EQ(core::IsBusy(), 0);

  // The button again closes: QUIT, empty lists, caption and button back.
  app::HandleCommand(w.state, IDM_CONNECT);
  EXPECT_TRUE(Logged("QUIT"));
  EXPECT_EQ(ftp::Conn().ctrl_skt.load(), ftp::kNoSocket);
  EXPECT_EQ(ftp::Conn().connected.load(), 0);
  EXPECT_EQ(w.remoteDirs.Count(), 0);
  EXPECT_EQ(w.remoteFiles.Count(), 0);
  EXPECT_EQ(testing_support::TestFront().caption.Text(), "MIRVAN32");
  EXPECT_EQ(w.connect.Text(), "&Connect");
  EXPECT_FALSE(w.remoteButtons[app::kPaneChgDir].IsEnabled());
  EXPECT_FALSE(w.download.IsEnabled());
  EXPECT_EQ(w.host.sessionDialogs, 1);  // closing asks nothing
}

TEST_P(MainWindowConnect, PopupConnectEntersTheInitialDirectoryWithoutListing) {
  password = server->password();
  remoteDir = "pub";
  testing_support::FakeMainWindow& w = *win;
  app::HandleCommand(w.state, IDM_POPUP_CONNECT);
  ASSERT_EQ(ftp::Conn().connected.load(), 1);
  EXPECT_TRUE(Logged("CWD pub"));
  EXPECT_EQ(w.remoteDirs.Count(), 0);  // the popup's Connect does not list
  EXPECT_EQ(w.remoteFiles.Count(), 0);
  // Refresh lists the directory it is in; the remote mask field is read first (an argument of
  // LIST that not every server takes, so only vsftpd gets one).
  const bool masked = server->kind() == RealFtpServer::kVsftpd;
  std::ofstream(server->userRoot() + "/pub/other.bin") << "o";
  w.remoteMask.SetText(masked ? "*.txt" : "");
  listing::RemotePane().remoteMask = "stale";
  app::HandleCommand(w.state, IDC_REMOTE_REFRESH);
  EXPECT_EQ(listing::RemotePane().remoteMask, masked ? "*.txt" : "");
  const std::vector<std::string> want =
      masked ? std::vector<std::string>{"inside.txt"} : std::vector<std::string>{"inside.txt", "other.bin"};
  EXPECT_EQ(FileNames(w.remoteFiles), want);
  // Exit while connected: QUIT, closed, and the window closes.
  app::HandleCommand(w.state, IDM_EXIT);
  EXPECT_EQ(w.host.windowsClosed, 1);
  EXPECT_TRUE(Logged("QUIT"));
  EXPECT_EQ(ftp::Conn().ctrl_skt.load(), ftp::kNoSocket);
}

TEST_P(MainWindowConnect, FailedLoginRetriesThenStaysClosed) {
  password = "wrong-password";
  retries = 2;
  testing_support::FakeMainWindow& w = *win;
  app::HandleCommand(w.state, IDM_CONNECT);
  EXPECT_EQ(w.host.pendingMessageRuns, 2);  // between the three attempts
  EXPECT_EQ(ftp::Conn().connected.load(), 0);
  EXPECT_EQ(ftp::Conn().ctrl_skt.load(), ftp::kNoSocket);
  EXPECT_EQ(w.connect.Text(), "&Connect");
  EXPECT_EQ(w.remoteDirs.Count(), 0);
  EXPECT_TRUE(w.state.hasConnected);  // set after every Connect command
  // A cancelled session dialog logs nothing in and lists nothing.
  w.host.sessionDialogOk = false;
  app::HandleCommand(w.state, IDM_CONNECT);
  EXPECT_EQ(w.host.sessionDialogs, 2);
  EXPECT_EQ(w.host.pendingMessageRuns, 2);
}

INSTANTIATE_TEST_SUITE_P(Servers, MainWindowConnect, ::testing::Values(RealFtpServer::kPyftpdlib, RealFtpServer::kVsftpd),
                         [](const ::testing::TestParamInfo<RealFtpServer::Kind>& info) {
                           return std::string(info.param == RealFtpServer::kPyftpdlib ? "pyftpdlib" : "vsftpd");
                         });

}  // namespace
