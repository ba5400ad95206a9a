// A logged-in session against a real server on loopback for the batch tests, with in-memory
// pane lists and a view that records what the batch asked of the main window.
#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/batch.h"
#include "app/file_commands.h"
#include "core/app_state.h"
#include "core/message_log.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "ftp/commands.h"
#include "ftp/control.h"
#include "ftp/host_types.h"
#include "ftp/login.h"
#include "listing/dir_list.h"
#include "local/local_list.h"
#include "platform/fs.h"
#include "profiles/session_profile.h"
#include "support/ports.h"
#include "support/real_ftp_servers.h"
#include "support/temp_dir.h"

// Records the batch's requests; it acts at once, as the tests' UI thread is the caller.
class RecordingBatchView : public app::BatchView {
 public:
  void RefreshLocalLists() override { ++localRefreshes; }
  void RefreshRemoteLists() override {
    busyAtRemoteRefresh = core::IsBusy();
    ++remoteRefreshes;
  }
  void AddLocalFile(const std::string& name) override {
    std::lock_guard<std::mutex> g(lock);
    added.push_back(name);
  }
  void PlayCompleteSound() override { ++sounds; }
  std::vector<std::string> Added() {
    std::lock_guard<std::mutex> g(lock);
    return added;
  }
  std::atomic<int> localRefreshes{0}, remoteRefreshes{0}, sounds{0}, busyAtRemoteRefresh{-1};

 private:
  std::mutex lock;
  std::vector<std::string> added;
};

class RealBatchTest : public ::testing::Test {
 protected:
  using RealFtpServer = testing_support::RealFtpServer;
  void SetUp() override { StartServer(RealFtpServer::kPyftpdlib); }
  void StartServer(RealFtpServer::Kind kind) {
    std::string why;
    server = RealFtpServer::Start(kind, &why);
    if (!server) GTEST_SKIP() << why;
    ftp::Conn().Reset();
    ftp::Host().Reset();
    core::ResetMessageLog();
    testing_support::ResetTestFront().logWindowOpen = true;  // every line, not only the ring's newest
    core::Prompts().Reset();
    core::Settings().Reset();
    core::Settings().verbose = 1;
    core::Settings().bell = 1;
    core::Settings().prompt = 0;
    core::SetBusy(0);
    core::Files().settingsFile = local.File("MIRVAN.INI");
    core::Files().extensionListFile = local.File("MIRVAN.EXT");
    app::Batch().Reset();
    ftp::InstallBlockingHook();
    profiles::SessionProfile& p = profiles::CurrentProfile();
    p = profiles::SessionProfile();
    p.name = "real";
    p.host = "127.0.0.1";
    p.port = server->port();
    p.user = server->user();
    p.password = server->password();
    p.passive = 1;
    app::PaneControls l, r;
    l.dirField = &localField;
    l.dirs = &localDirs;
    l.files = &localFiles;
    r.dirField = &remoteField;
    r.dirs = &remoteDirs;
    r.files = &remoteFiles;
    local::LocalPane().Reset();
    listing::RemotePane().Reset();
    listing::ClearListingCache();
    app::AttachPanes(l, r);
    app::SetBatchView(&view);
    cwd = std::make_unique<testing_support::ScopedCurrentDir>(local.path());
    ctrl = ftp::Login(profiles::CurrentProfile());
    ASSERT_NE(ctrl, platform::kNoSocket);
    ftp::Conn().ctrl_skt = ctrl;
  }
  void TearDown() override {
    app::SetBatchView(nullptr);
    testing_support::ResetTestFront();
    if (ctrl != platform::kNoSocket) {
      ftp::SendFtpCommand(ctrl, "QUIT");
      ftp::CloseSocket(ctrl);
    }
    cwd.reset();
    app::DetachPanes();
    listing::ClearListingCache();
    ftp::Conn().Reset();
    core::Settings().Reset();
    core::SetBusy(0);
    profiles::CurrentProfile() = profiles::SessionProfile();
  }
  std::string Remote(const std::string& name) const { return platform::JoinPath(server->userRoot(), name); }
  // Every line logged since the test began.
  static std::vector<std::string> LogLines() {
    ui::MemoryFrontEnd& f = testing_support::TestFront();
    std::lock_guard<std::mutex> guard(f.lock);
    std::vector<std::string> lines;
    std::string all = f.logText.Text();
    for (size_t at = 0, end; (end = all.find("\r\n", at)) != std::string::npos; at = end + 2)
      lines.push_back(all.substr(at, end - at));
    return lines;
  }
  static int CountLines(const std::string& text) {
    int n = 0;
    for (const auto& l : LogLines()) n += l.find(text) != std::string::npos;
    return n;
  }
  static bool Logged(const std::string& text) { return CountLines(text) > 0; }
  static void Fill(ui::ListBox& list, const std::vector<std::string>& items, bool select) {
    list.Clear();
    for (const auto& s : items) {
      int i = list.AddString(s);
      if (select) list.SetSelected(i, true);
    }
  }

  std::unique_ptr<RealFtpServer> server;
  testing_support::TempDir local;
  std::unique_ptr<testing_support::ScopedCurrentDir> cwd;
  platform::Socket ctrl = platform::kNoSocket;
  RecordingBatchView view;
  ui::MemoryComboBox localField, remoteField;
  ui::MemoryListBox localDirs{true}, localFiles{true}, remoteDirs{true}, remoteFiles{false};
};
