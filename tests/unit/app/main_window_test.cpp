// The main window's logic on memory controls: enabling, the command guards, double-clicks, the
// transfer buttons, masks, drops, the popup's FTP commands, Close and the abort sequence.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "app/worker.h"
#include "core/app_state.h"
#include "core/message_log.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "platform/clock.h"
#include "ftp/control.h"
#include "ftp/host_types.h"
#include "listing/dir_list.h"
#include "local/local_list.h"
#include "profiles/session_profile.h"
#include "resources/resource.h"
#include "support/fake_main_window.h"
#include "support/ports.h"
#include "support/scripted_ftp_server.h"
#include "support/temp_dir.h"

namespace {

using app::CommandRoute;
using testing_support::FakeMainWindow;
using Calls = std::vector<std::string>;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::ResetTestFront();
    ftp::Conn().Reset();
    ftp::Host().Reset();
    core::Settings().Reset();
    core::Settings().bell = 0;
    core::Settings().doupdate = 0;
    core::ResetMessageLog();
    core::Prompts().Reset();
    core::SetBusy(0);
    core::Files().settingsFile = dir.File("MIRVAN.INI");
    listing::RemotePane().Reset();
    local::LocalPane().Reset();
    ftp::InstallBlockingHook();
    app::AttachRemotePane(win.state);  // as the window's creation does
  }
  void TearDown() override {
    platform::SetClock(nullptr);
    testing_support::TestFront().SetPump(nullptr);
    app::StopWorker(5000);
    ftp::Conn().Reset();
    ftp::Host().Reset();
    core::Settings().Reset();
    core::SetBusy(0);
    core::Files().settingsFile.clear();
    listing::ClearListingCache();
  }
  static bool Logged(const std::string& text) {
    auto lines = core::StoredLines();
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
  }
  static int CountLogged(const std::string& text) {
    auto lines = core::StoredLines();
    return static_cast<int>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; }));
  }
  // A connection to a scripted server, greeting read, marked connected.
  void ConnectTo(testing_support::ScriptedFtpServer& server) {
    ftp::Socket s = ftp::ConnectHost("127.0.0.1", server.port(), "tcp");
    ASSERT_NE(s, ftp::kNoSocket);
    ftp::Conn().ctrl_skt = s;
    ASSERT_EQ(ftp::GetReply(s), 2);
    ftp::Conn().connected = 1;
  }
  static void Select(ui::MemoryListBox& list, int count) {
    for (int i = 0; i < count; ++i) list.SetSelected(list.AddString("item" + std::to_string(i)), true);
  }

  testing_support::TempDir dir;
  FakeMainWindow win;
};

// The enabling rules as a table: selections x connected x capability flags -> enabled buttons.
TEST_F(MainWindowTest, EnablingTable) {
  struct Case {
    const char* name;
    int localFiles, remoteFiles;
    bool connected;
    int mkd, rmd, rename, dele;
    const char* enabled;  // every button that ends enabled
  };
  const Case cases[] = {
      {"closed_nothing_selected", 0, 0, false, 1, 1, 1, 1, "L.RmDir"},
      {"closed_one_remote_file", 0, 1, false, 1, 1, 1, 1, "L.RmDir R.View R.Exec R.Rename R.Delete"},
      {"connected_no_capabilities", 0, 0, true, 0, 0, 0, 0,
       "L.RmDir R.ChgDir Upload Download R.Refresh R.DirInfo"},
      {"connected_all_capabilities", 0, 0, true, 1, 1, 1, 1,
       "L.RmDir R.ChgDir R.MkDir R.RmDir Upload Download R.Refresh R.DirInfo"},
      {"one_remote_file_without_rnfr", 0, 1, true, 1, 1, 0, 1,
       "L.RmDir R.ChgDir R.MkDir R.RmDir R.View R.Exec R.Delete Upload Download R.Refresh R.DirInfo"},
      {"two_remote_files_no_dele", 0, 2, true, 0, 0, 1, 0, "L.RmDir R.ChgDir Upload Download R.Refresh R.DirInfo"},
      {"two_remote_files", 0, 2, true, 0, 0, 1, 1, "L.RmDir R.ChgDir R.Delete Upload Download R.Refresh R.DirInfo"},
      {"one_local_file", 1, 0, false, 0, 0, 0, 0, "L.RmDir L.View L.Exec L.Rename L.Delete"},
      {"three_local_files", 3, 0, false, 0, 0, 0, 0, "L.RmDir L.Delete"},
  };
  const char* names[app::kPaneButtonCount] = {"ChgDir", "MkDir", "RmDir", "", "View",
                                              "Exec",   "Rename", "Delete", "Refresh", "DirInfo"};
  for (const Case& c : cases) {
    FakeMainWindow w;
    for (auto* b : {&w.upload, &w.download}) b->SetEnabled(false);
    for (int k = 0; k < app::kPaneButtonCount; ++k) {
      w.localButtons[k].SetEnabled(false);
      w.remoteButtons[k].SetEnabled(false);
    }
    Select(w.localFiles, c.localFiles);
    Select(w.remoteFiles, c.remoteFiles);
    ftp::Conn().connected = c.connected;
    ftp::HostFacts& h = ftp::Host();
    h.canMkd = c.mkd;
    h.canRmd = c.rmd;
    h.canRename = c.rename;
    h.canDele = c.dele;
    app::EnableAllButtons(w.state);
    std::string got;
    auto add = [&](bool on, const std::string& name) {
      if (on) got += (got.empty() ? "" : " ") + name;
    };
    for (int k = 0; k < app::kPaneButtonCount; ++k)
      if (k != app::kPaneMask) add(w.localButtons[k].IsEnabled(), std::string("L.") + names[k]);
    for (int k = 0; k < app::kPaneButtonCount; ++k)
      if (k != app::kPaneMask) add(w.remoteButtons[k].IsEnabled(), std::string("R.") + names[k]);
    add(w.upload.IsEnabled(), "Upload");
    add(w.download.IsEnabled(), "Download");
    // Compare as sets of words.
    auto words = [](std::string s) {
      std::vector<std::string> out;
      for (size_t p = 0; p < s.size();) {
        size_t e = s.find(' ', p);
        out.push_back(s.substr(p, e - p));
        p = e == std::string::npos ? s.size() : e + 1;
      }
      std::sort(out.begin(), out.end());
      return out;
    };
    EXPECT_EQ(words(got), words(c.enabled)) << c.name << ": " << got;
  }
  ftp::Conn().connected = 0;
}

// The guards: each command x BusyFlag x CommandDepth -> how it is routed.
TEST_F(MainWindowTest, CommandGuardTable) {
  using R = CommandRoute;
  struct Case {
    int id;
    R idle, busy, depth, busyAndDepth;
  };
  const Case cases[] = {
      {IDM_CANCEL, R::kCancel, R::kCancel, R::kCancel, R::kCancel},
      {IDM_EXIT, R::kRun, R::kRun, R::kAbort, R::kAbort},
      {IDM_POPUP_CLOSE, R::kRun, R::kRun, R::kAbort, R::kAbort},
      {IDM_CONNECT, R::kRun, R::kRun, R::kRun, R::kRun},  // Connect checks BusyFlag itself
      {IDC_UPLOAD, R::kRun, R::kIgnored, R::kRun, R::kIgnored},
      {IDC_DOWNLOAD, R::kRun, R::kIgnored, R::kRun, R::kIgnored},
      {IDC_REMOTE_CHGDIR, R::kRun, R::kIgnored, R::kRun, R::kIgnored},
      {IDC_REMOTE_MKDIR, R::kRun, R::kIgnored, R::kRun, R::kIgnored},
      {IDC_REMOTE_RMDIR, R::kRun, R::kIgnored, R::kRun, R::kIgnored},
      {IDC_REMOTE_VIEW, R::kRun, R::kIgnored, R::kRun, R::kIgnored},
      {IDC_REMOTE_EXEC, R::kRun, R::kIgnored, R::kRun, R::kIgnored},
      {IDC_REMOTE_REFRESH, R::kRun, R::kIgnored, R::kRun, R::kIgnored},
      {IDC_REMOTE_DELETE, R::kRun, R::kIgnored, R::kRun, R::kIgnored},
      {IDC_REMOTE_RENAME, R::kRun, R::kIgnored, R::kRun, R::kIgnored},
      {IDC_REMOTE_DIRINFO, R::kRun, R::kRun, R::kRun, R::kRun},
      {IDC_LOCAL_CHGDIR, R::kRun, R::kRun, R::kRun, R::kRun},
      {IDC_LOCAL_DELETE, R::kRun, R::kRun, R::kRun, R::kRun},
      {IDC_LOCAL_VIEW, R::kRun, R::kRun, R::kRun, R::kRun},
      {IDC_REMOTE_FILES, R::kRun, R::kRun, R::kRun, R::kRun},
      {IDM_LOGWND, R::kRun, R::kRun, R::kRun, R::kRun},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(app::RouteCommand(c.id, false, 0), c.idle) << c.id;
    EXPECT_EQ(app::RouteCommand(c.id, true, 0), c.busy) << c.id;
    EXPECT_EQ(app::RouteCommand(c.id, false, 1), c.depth) << c.id;
    EXPECT_EQ(app::RouteCommand(c.id, true, 2), c.busyAndDepth) << c.id;
  }

  // And through the dispatch: a guarded pane command does not reach the pane while BusyFlag is set.
  core::SetBusy(1);
  for (int id : {IDC_REMOTE_MKDIR, IDC_REMOTE_DELETE, IDC_UPLOAD, IDC_LOCAL_MKDIR, IDC_LOCAL_DELETE})
    app::HandleCommand(win.state, id);
  core::SetBusy(0);
  EXPECT_EQ(win.panes.calls, (Calls{"MakeDir local", "DeleteFiles local"}));
  app::HandleCommand(win.state, IDC_REMOTE_MKDIR);
  EXPECT_EQ(win.panes.calls.back(), "MakeDir remote");

  // Connect does nothing while BusyFlag is set.
  core::SetBusy(1);
  app::HandleCommand(win.state, IDM_CONNECT);
  EXPECT_EQ(win.host.sessionDialogs, 0);
  core::SetBusy(0);

  // Cancel raises the flags at any time.
  core::SetBusy(1);
  app::HandleCommand(win.state, IDM_CANCEL);
  EXPECT_EQ(ftp::Conn().abortFlag.load(), 1);
  EXPECT_EQ(ftp::Conn().batchCancel.load(), 1);
}

// The double-click rules: list x DBLCLK (x BusyFlag) -> what happens.
TEST_F(MainWindowTest, DoubleClickRules) {
  struct Case {
    int list, dblclk;
    bool busy;
    Calls want;
  };
  const Case cases[] = {
      {IDC_LOCAL_DIRS, 0, false, {"ChangeDir local"}},
      {IDC_REMOTE_DIRS, 0, false, {"ChangeDir remote"}},
      {IDC_REMOTE_DIRS, 0, true, {}},  // as remote ChgDir: guarded
      {IDC_LOCAL_FILES, 0, false, {"StartUpload"}},
      {IDC_LOCAL_FILES, 1, false, {"ViewFile local"}},
      {IDC_LOCAL_FILES, 2, false, {}},
      {IDC_REMOTE_FILES, 0, false, {"StartDownload"}},
      {IDC_REMOTE_FILES, 0, true, {}},
      {IDC_REMOTE_FILES, 1, false, {"ViewFile remote"}},
      {IDC_REMOTE_FILES, 1, true, {}},
      {IDC_REMOTE_FILES, 2, false, {}},
  };
  for (const Case& c : cases) {
    FakeMainWindow w;
    Select(w.localFiles, 1);
    Select(w.remoteFiles, 1);
    w.remoteButtons[app::kPaneView].SetEnabled(false);
    core::Settings().dblclk = c.dblclk;
    core::SetBusy(c.busy ? 1 : 0);
    app::HandleCommand(w.state, c.list, app::kNotifyDoubleClick);
    core::SetBusy(0);
    EXPECT_EQ(w.panes.calls, c.want) << c.list << " dblclk " << c.dblclk << (c.busy ? " busy" : "");
    // With DBLCLK 2 (and for every other notification) the list's enabling runs.
    if (c.list == IDC_REMOTE_FILES && c.dblclk == 2) {
      EXPECT_TRUE(w.remoteButtons[app::kPaneView].IsEnabled());
    }
  }
  // A selection change only runs the enabling.
  win.remoteButtons[app::kPaneView].SetEnabled(false);
  Select(win.remoteFiles, 1);
  app::HandleCommand(win.state, IDC_REMOTE_FILES, app::kNotifySelChange);
  EXPECT_TRUE(win.panes.calls.empty());
  EXPECT_TRUE(win.remoteButtons[app::kPaneView].IsEnabled());
}

TEST_F(MainWindowTest, TransferButtonsFilesOrTrees) {
  // Files selected: the transfer starts, with the Ctrl/Shift state as held.
  Select(win.localFiles, 1);
  win.host.ctrlOrShift = true;
  app::HandleCommand(win.state, IDC_UPLOAD);
  EXPECT_EQ(win.panes.calls, (Calls{"StartUpload held"}));
  EXPECT_EQ(win.host.cursors.back(), app::CursorKind::kDefault);
  // Nothing selected at all: the transfer starts too (it reports that nothing is selected).
  app::HandleCommand(win.state, IDC_DOWNLOAD);
  EXPECT_EQ(win.panes.calls.back(), "StartDownload held");
  EXPECT_TRUE(win.host.questions.empty());

  // Only directories selected: the question; No transfers nothing.
  win.panes.calls.clear();
  win.localFiles.Clear();
  Select(win.localDirs, 2);
  win.host.yes = false;
  app::HandleCommand(win.state, IDC_UPLOAD);
  ASSERT_EQ(win.host.questions.size(), 1u);
  EXPECT_EQ(win.host.questions[0], std::string("MIRVAN32: ") + app::kTreeQuestion);
  EXPECT_TRUE(win.panes.calls.empty());

  // Yes: the tree runs with HASH, BELL and PROMPT off, and they come back afterwards.
  core::Settings().hash = core::Settings().prompt = 1;
  int hashDuring = -1, bellDuring = -1, promptDuring = -1;
  win.panes.duringTree = [&] {
    hashDuring = core::Settings().hash;
    bellDuring = core::Settings().bell;
    promptDuring = core::Settings().prompt;
  };
  win.host.yes = true;
  Select(win.remoteDirs, 1);
  app::HandleCommand(win.state, IDC_DOWNLOAD);
  EXPECT_EQ(win.panes.calls, (Calls{"DownloadTree"}));
  EXPECT_EQ(hashDuring + bellDuring + promptDuring, 0);
  EXPECT_EQ(core::Settings().hash, 1);
  EXPECT_EQ(core::Settings().prompt, 1);
}

TEST_F(MainWindowTest, ModeButtonsAndMasks) {
  app::HandleCommand(win.state, IDC_MODE_ASCII);
  EXPECT_TRUE(win.ascii.IsChecked());
  EXPECT_FALSE(win.binary.IsChecked());
  app::HandleCommand(win.state, IDC_MODE_AUTO);
  EXPECT_EQ(core::Settings().amode, 1);
  EXPECT_EQ(core::Settings().mode, 'A');  // the type letter stays
  EXPECT_TRUE(win.autoMode.IsChecked());
  app::HandleCommand(win.state, IDC_MODE_BINARY);
  EXPECT_EQ(core::Settings().amode, 0);
  EXPECT_TRUE(win.binary.IsChecked());
  EXPECT_FALSE(win.ascii.IsChecked());
  EXPECT_FALSE(win.autoMode.IsChecked());
  core::Settings().mode = 'L';  // the session options' local type
  app::HandleCommand(win.state, IDM_TYPECHANGED);
  EXPECT_TRUE(win.binary.IsChecked());

  struct MaskCase {
    const char* text;
    const char* local;
    const char* remote;
  };
  const MaskCase masks[] = {
      {"", "*.*", ""},
      {"*.txt", "*.txt", "*.txt"},
      {"abcdefghijklmnopqrstuvwxyz", "abcdefghijkl", "abcdefghijklmnopqrs"},
  };
  for (const MaskCase& m : masks) {
    win.localMask.SetText(m.text);
    win.remoteMask.SetText(m.text);
    app::MaskFocusLost(win.state, false);
    app::MaskFocusLost(win.state, true);
    EXPECT_EQ(local::LocalPane().localMask, m.local);
    EXPECT_EQ(listing::RemotePane().remoteMask, m.remote);
  }
  // Enter in the local mask field lists again; local ChgDir takes the mask first.
  win.localMask.SetText("*.c");
  app::MaskEnter(win.state, false);
  EXPECT_EQ(win.panes.calls, (Calls{"FillLocalLists"}));
  win.localMask.SetText("");
  app::HandleCommand(win.state, IDC_LOCAL_CHGDIR);
  EXPECT_EQ(local::LocalPane().localMask, "*.*");
}

TEST_F(MainWindowTest, DroppedFiles) {
  const std::vector<std::string> names = {"C:\\Data\\One.TXT", "C:\\Data\\two.bin", "C:\\Data\\THREE"};
  // Not connected, or an operation in progress: refused with a log line, nothing sent.
  app::HandleDroppedFiles(win.state, names);
  EXPECT_TRUE(Logged("NOT CONNECTED!! File(s) ignored."));
  ftp::Conn().connected = 1;
  ftp::Conn().commandDepth = 1;
  app::HandleDroppedFiles(win.state, names);
  EXPECT_TRUE(Logged("Busy!! File(s) ignored."));
  ftp::Conn().commandDepth = 0;
  // A batch on the worker holds BusyFlag: the drop is refused the same way.
  core::ResetMessageLog();
  core::SetBusy(1);
  app::HandleDroppedFiles(win.state, names);
  EXPECT_TRUE(Logged("Busy!! File(s) ignored."));
  core::SetBusy(0);
  EXPECT_TRUE(win.panes.calls.empty());

  // Connected and idle: the names go to the sending (its rules are tested with the batches).
  app::HandleDroppedFiles(win.state, names);
  EXPECT_EQ(win.panes.calls, (Calls{"DropFiles C:\\Data\\One.TXT C:\\Data\\two.bin C:\\Data\\THREE"}));
  ftp::Conn().connected = 0;
}

TEST_F(MainWindowTest, GeneralButtonsAndPopupEntries) {
  testing_support::RecordingHelp help;
  for (int id : {IDM_LOGWND, IDM_SHOWLOG, IDM_ABOUT, IDM_POPUP_ABOUT, IDM_POPUP_ASSOCIATE, IDM_OPTIONS, IDM_HELP})
    app::HandleCommand(win.state, id);
  EXPECT_EQ(win.host.shown, (std::vector<std::string>{"log", "log", "about", "about", "associations", "options", "fonts"}));
  EXPECT_EQ(win.host.posted, (std::vector<int>{IDM_TYPECHANGED}));  // after the options
  EXPECT_EQ(help.contexts.size(), 1u);
  app::HandleCommand(win.state, IDM_EXIT);
  EXPECT_EQ(win.host.closeRequests, 1);
  EXPECT_EQ(win.host.windowsClosed, 1);
}

// The popup's raw FTP commands: prompts with their help topics, exact command lines, a cancelled
// prompt sends nothing, LIST goes to the viewer, RETR and STOR to the one-file transfers.
TEST_F(MainWindowTest, PopupFtpCommands) {
  testing_support::ScriptedFtpServer server;
  server.On("CWD", "250 ok\r\n");
  server.On("SITE", "200 site ok\r\n");
  server.On("HELP", "214 help\r\n");
  server.On("SYST", "215 UNIX Type: L8\r\n");
  server.On("PWD", "257 \"/x\"\r\n");
  server.On("NOOP", "200 noop\r\n");
  ConnectTo(server);
  testing_support::ScriptedPrompts prompts;
  prompts.answers = {{true, "/pub"}, {false, ""}, {true, "CHMOD 644 f"}, {true, "NOOP"}, {true, "a.zip"}, {true, "b.txt"}};
  for (int id : {IDM_POPUP_CWD, IDM_POPUP_SITE, IDM_POPUP_SITE, IDM_POPUP_HELP, IDM_POPUP_SYST, IDM_POPUP_PWD,
                 IDM_POPUP_QUOTE, IDM_POPUP_RETR, IDM_POPUP_STOR})
    app::HandleCommand(win.state, id);
  EXPECT_EQ(server.Transcript(),
            (std::vector<std::string>{"CWD /pub", "SITE CHMOD 644 f", "HELP", "SYST", "PWD", "NOOP"}));
  ASSERT_EQ(prompts.asked.size(), 6u);
  EXPECT_EQ(prompts.asked[0].promptText, "Enter remote directory name:");
  EXPECT_EQ(prompts.asked[0].helpContext, HLP_DIRECTORIES);
  EXPECT_EQ(prompts.asked[1].helpContext, HLP_SITE);
  EXPECT_EQ(prompts.asked[3].promptText, "Enter command for remote host:");
  EXPECT_EQ(prompts.asked[3].helpContext, HLP_QUOTE);
  EXPECT_EQ(prompts.asked[4].helpContext, HLP_RECEIVE_NAME);
  EXPECT_EQ(prompts.asked[5].promptText, "Enter local file name:");
  EXPECT_EQ(win.panes.calls, (Calls{"ReceiveOneFile a.zip 0/0 ask", "SendOneFile b.txt 0/0 ask"}));
  // CWD leaves the lists alone.
  EXPECT_EQ(win.remoteDirs.Count(), 0);
  ftp::Conn().ctrl_skt = ftp::CloseSocket(ftp::Conn().ctrl_skt.load());
}

// Close while connected: QUIT, the lists emptied, caption and button back, capabilities cleared.
// A second Close arriving while the first waits for the QUIT reply does nothing, and the Close
// ends even though the server never answers.
TEST_F(MainWindowTest, CloseWhileClosingDoesNothingMore) {
  testing_support::ScriptedFtpServer server;
  server.On("QUIT", testing_support::ScriptedReply::Stall());
  ConnectTo(server);
  ftp::Host().canDele = ftp::Host().canMkd = 1;
  win.remoteDirs.AddString("..");
  win.remoteFiles.AddString("old.txt");
  win.connect.SetText(app::kCloseText);
  int secondCloses = 0;
  testing_support::TestFront().SetPump([&] {
    if (ftp::Conn().commandDepth != 0 && secondCloses == 0) {
      ++secondCloses;
      app::HandleCommand(win.state, IDM_POPUP_CLOSE);
    }
  });
  app::HandleCommand(win.state, IDM_POPUP_CLOSE);
  testing_support::TestFront().SetPump(nullptr);
  EXPECT_EQ(secondCloses, 1);
  EXPECT_EQ(server.Transcript(), (std::vector<std::string>{"QUIT"}));
  EXPECT_EQ(ftp::Conn().ctrl_skt.load(), ftp::kNoSocket);
  EXPECT_EQ(ftp::Conn().connected.load(), 0);
  EXPECT_EQ(win.remoteDirs.Count(), 0);
  EXPECT_EQ(win.remoteFiles.Count(), 0);
  EXPECT_EQ(testing_support::TestFront().caption.Text(), "MIRVAN32");
  EXPECT_EQ(win.connect.Text(), "&Connect");
  EXPECT_EQ(ftp::Host().canDele, 0);
  EXPECT_FALSE(win.remoteButtons[app::kPaneDelete].IsEnabled());
  EXPECT_FALSE(win.upload.IsEnabled());
  EXPECT_FALSE(win.state.closing);
  EXPECT_EQ(win.host.closeRequests, 0);
}

// Exit (the button, or the window's close request) or Close (the popup's, or the "&Close" button)
// while a command of this thread waits
// for a server that has stopped answering: no worker, so no "Aborting thread."; QUIT goes out,
// the wait ends, the connection is closed, and once the command below has returned the window
// gets its close request (Exit) or the remote lists are emptied (Close).
TEST_F(MainWindowTest, AbortDuringAStalledCommandOfThisThread) {
  enum How { kExitButton, kCloseRequest, kPopupClose, kCloseButton };
  for (How how : {kExitButton, kCloseRequest, kPopupClose, kCloseButton}) {
    SCOPED_TRACE(how);
    FakeMainWindow w;
    app::AttachRemotePane(w.state);
    w.remoteDirs.AddString("..");
    w.connect.SetText(app::kCloseText);
    testing_support::ScriptedFtpServer server;
    server.On("SYST", testing_support::ScriptedReply::Stall());
    ConnectTo(server);
    profiles::CurrentProfile().timeout = 600;  // only the abort can end the wait
    bool aborted = false;
    int closeRequestsDuringCommand = -1;
    testing_support::TestFront().SetPump([&] {
      if (!aborted && ftp::Conn().commandDepth != 0 && server.Transcript().size() == 1) {
        aborted = true;
        if (how == kCloseRequest) EXPECT_FALSE(app::OnCloseRequest(w.state));  // the window stays for now
        else app::HandleCommand(w.state, how == kExitButton ? IDM_EXIT : how == kPopupClose ? IDM_POPUP_CLOSE : IDM_CONNECT);
        closeRequestsDuringCommand = w.host.closeRequests;
      }
    });
    app::HandleCommand(w.state, IDM_POPUP_SYST);
    testing_support::TestFront().SetPump(nullptr);
    ASSERT_TRUE(aborted);
    EXPECT_EQ(closeRequestsDuringCommand, 0);  // nothing closes while the command unwinds
    const bool exits = how == kExitButton || how == kCloseRequest;
    EXPECT_EQ(w.host.closeRequests, exits ? 1 : 0);
    EXPECT_EQ(w.host.windowsClosed, exits ? 1 : 0);
    EXPECT_FALSE(Logged("Aborting thread."));
    EXPECT_EQ(server.Transcript(), (std::vector<std::string>{"SYST"}));
    EXPECT_TRUE(server.WaitForClose());
    EXPECT_EQ(server.Received(), "SYST\r\nQUIT\r\n");  // QUIT said while the server stalled
    EXPECT_EQ(ftp::Conn().ctrl_skt.load(), ftp::kNoSocket);
    EXPECT_EQ(ftp::Conn().connected.load(), 0);
    EXPECT_EQ(ftp::Conn().commandDepth.load(), 0);
    EXPECT_EQ(core::IsBusy(), 0);
    EXPECT_EQ(w.state.deferredAbort, 0);
    EXPECT_FALSE(w.state.closing);
    EXPECT_EQ(w.connect.Text(), "&Connect");
    if (!exits) {
      EXPECT_EQ(w.remoteDirs.Count(), 0);
      EXPECT_EQ(testing_support::TestFront().caption.Text(), "MIRVAN32");
    }
    profiles::CurrentProfile() = profiles::SessionProfile();
  }
}

// Exit while a worker runs: "Aborting thread." once, the worker stopped through the flags (never
// killed: its job sees the flags and returns), BusyFlag clear, the connection closed, the window
// closed. The client stays usable: a new worker starts afterwards.
TEST_F(MainWindowTest, ExitWhileAWorkerRuns) {
  testing_support::ScriptedFtpServer server;
  ConnectTo(server);
  std::atomic<bool> started{false}, returned{false};
  ASSERT_TRUE(app::StartWorker([&] {
    ftp::DepthScope depth;
    started = true;
    while (!ftp::Conn().abortFlag) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    returned = true;
  }));
  while (!started) std::this_thread::yield();
  app::HandleCommand(win.state, IDM_EXIT);
  EXPECT_EQ(CountLogged("Aborting thread."), 1);
  EXPECT_TRUE(returned);  // the job ended by itself, seeing the flag
  EXPECT_EQ(ftp::Conn().batchCancel.load(), 1);
  EXPECT_FALSE(app::WorkerRunning());
  EXPECT_EQ(core::IsBusy(), 0);
  EXPECT_EQ(win.host.closeRequests, 1);
  EXPECT_EQ(win.host.windowsClosed, 1);
  EXPECT_EQ(ftp::Conn().ctrl_skt.load(), ftp::kNoSocket);
  EXPECT_TRUE(server.WaitForCommands(1));
  EXPECT_EQ(server.Transcript(), (std::vector<std::string>{"QUIT"}));
  std::atomic<int> ran{0};
  ASSERT_TRUE(app::StartWorker([&] { ran = 1; }));
  app::JoinWorker();
  EXPECT_EQ(ran.load(), 1);
}

// The keep-alive timer of the window: NOOP only while the window is idle (never while BusyFlag
// is set or a worker owns the connection); a connection the server closed while idle is logged
// and shown closed.
TEST_F(MainWindowTest, KeepAliveTimerOnlyWhileIdle) {
  platform::FakeClock clock;
  platform::SetClock(&clock);
  core::Settings().keepalive = 10;
  testing_support::ScriptedFtpServer server;
  server.On("NOOP", "200 ok\r\n");
  ConnectTo(server);
  ftp::Conn().lastCommandMs = clock.now;
  win.connect.SetText(app::kCloseText);
  clock.Advance(60000);

  core::SetBusy(1);
  app::KeepAliveTimer(win.state);
  core::SetBusy(0);
  std::atomic<bool> release{false};
  ASSERT_TRUE(app::StartWorker([&] {
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }));
  core::SetBusy(0);  // a worker counts even once BusyFlag has been cleared
  app::KeepAliveTimer(win.state);
  release = true;
  app::JoinWorker();
  EXPECT_TRUE(server.Transcript().empty());

  app::KeepAliveTimer(win.state);
  EXPECT_EQ(server.Transcript(), (std::vector<std::string>{"NOOP"}));
  EXPECT_EQ(win.connect.Text(), "&Close");
  EXPECT_EQ(ftp::Conn().connected.load(), 1);
  ftp::Conn().ctrl_skt = ftp::CloseSocket(ftp::Conn().ctrl_skt.load());
}

TEST_F(MainWindowTest, KeepAliveShowsAConnectionTheServerClosedAsClosed) {
  platform::FakeClock clock;
  platform::SetClock(&clock);
  core::Settings().keepalive = 10;
  testing_support::ScriptedFtpServer server;
  server.Greeting(testing_support::ScriptedReply::Drop("220 short visit\r\n"));
  ConnectTo(server);
  ftp::Conn().lastCommandMs = clock.now;
  ASSERT_TRUE(server.WaitForClose());
  win.remoteDirs.AddString("..");
  win.remoteFiles.AddString("old.txt");
  win.connect.SetText(app::kCloseText);
  testing_support::TestFront().caption.SetText("MIRVAN32 127.0.0.1");
  clock.Advance(9000);
  app::KeepAliveTimer(win.state);
  EXPECT_EQ(ftp::Conn().connected.load(), 1);  // not yet: the idle time is not over
  clock.Advance(1000);
  app::KeepAliveTimer(win.state);
  EXPECT_TRUE(Logged("Connection closed by the server"));
  EXPECT_EQ(ftp::Conn().ctrl_skt.load(), ftp::kNoSocket);
  EXPECT_EQ(ftp::Conn().connected.load(), 0);
  EXPECT_EQ(win.connect.Text(), "&Connect");
  EXPECT_EQ(testing_support::TestFront().caption.Text(), "MIRVAN32");
  EXPECT_EQ(win.remoteDirs.Count(), 0);
  EXPECT_EQ(win.remoteFiles.Count(), 0);
  EXPECT_FALSE(win.download.IsEnabled());
  EXPECT_TRUE(server.Transcript().empty());  // nothing sent to a closed connection
}

TEST_F(MainWindowTest, FinishCreationWhileClosed) {
  core::Settings().layout = 1;
  listing::RemotePane().remoteMask = "*.zip";
  win.remoteDirs.AddString("stale");
  app::FinishCreation(win.state);
  EXPECT_EQ(win.upload.Text(), "Send");
  EXPECT_EQ(win.download.Text(), "Receive");
  EXPECT_EQ(win.localMask.Text(), "*.*");
  EXPECT_EQ(win.remoteMask.Text(), "*.zip");
  EXPECT_EQ(win.panes.calls, (Calls{"FillLocalLists"}));
  EXPECT_EQ(win.remoteDirs.Count(), 0);  // the cached listing of a closed session is empty
  EXPECT_TRUE(win.binary.IsChecked());
  EXPECT_FALSE(win.remoteButtons[app::kPaneChgDir].IsEnabled());
  EXPECT_EQ(listing::RemotePane().fileList, &win.remoteFiles);
}

}  // namespace
