// A main window for tests: memory controls for every control the logic touches, a host that
// records what the logic asked of its window, and pane commands that record their calls. The
// caption is the test front end's (TestFront().caption).
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "listing/dir_list.h"
#include "ui/controls.h"

namespace testing_support {

class FakeMainWindowHost : public app::MainWindowHost {
 public:
  explicit FakeMainWindowHost(app::MainWindowState& w, ui::MemoryListBox* remoteFiles) : w_(w), remoteFiles_(remoteFiles) {}
  void PostCommand(int id) override { posted.push_back(id); }
  void SendCloseRequest() override {
    ++closeRequests;
    if (app::OnCloseRequest(w_)) ++windowsClosed;
  }
  void SetCursor(app::CursorKind c) override { cursors.push_back(c); }
  bool CtrlOrShiftHeld() override { return ctrlOrShift; }
  void ProcessPendingMessages() override { ++pendingMessageRuns; }
  bool RunSessionDialog(profiles::SessionProfile& chosen) override {
    ++sessionDialogs;
    if (!sessionDialogOk) return false;
    if (fillSession) fillSession(chosen);
    return true;
  }
  void ShowOptions() override { shown.push_back("options"); }
  void ShowAbout() override { shown.push_back("about"); }
  void ShowAssociations() override { shown.push_back("associations"); }
  void ShowLogWindow() override { shown.push_back("log"); }
  ui::ListBox* RecreateRemoteFileList() override {
    ++remoteListRecreated;
    return remoteFiles_;
  }
  void ApplyListFonts() override { shown.push_back("fonts"); }
  bool AskYesNo(const std::string& text, const std::string& caption) override {
    questions.push_back(caption + ": " + text);
    return yes;
  }

  std::vector<int> posted;
  std::vector<app::CursorKind> cursors;
  std::vector<std::string> shown, questions;
  int closeRequests = 0, windowsClosed = 0, pendingMessageRuns = 0, sessionDialogs = 0, remoteListRecreated = 0;
  bool ctrlOrShift = false, yes = true, sessionDialogOk = true;
  std::function<void(profiles::SessionProfile&)> fillSession;

 private:
  app::MainWindowState& w_;
  ui::MemoryListBox* remoteFiles_;
};

class RecordingPaneCommands : public app::PaneCommands {
 public:
  void FillLocalLists() override { calls.push_back("FillLocalLists"); }
  void ChangeDir(bool r) override { Note("ChangeDir", r); }
  void MakeDir(bool r) override { Note("MakeDir", r); }
  void RemoveDir(bool r) override { Note("RemoveDir", r); }
  void ViewFile(bool r) override { Note("ViewFile", r); }
  void ExecFile(bool r) override { Note("ExecFile", r); }
  void RenameFiles(bool r) override { Note("RenameFiles", r); }
  void DeleteFiles(bool r) override { Note("DeleteFiles", r); }
  void DirInfo(bool r) override { Note("DirInfo", r); }
  void DirComboNotify(bool r, int) override { Note("DirComboNotify", r); }
  void StartUpload(bool held) override { calls.push_back(held ? "StartUpload held" : "StartUpload"); }
  void StartDownload(bool held) override { calls.push_back(held ? "StartDownload held" : "StartDownload"); }
  void UploadTree() override {
    calls.push_back("UploadTree");
    if (duringTree) duringTree();
  }
  void DownloadTree() override {
    calls.push_back("DownloadTree");
    if (duringTree) duringTree();
  }
  int SendOneFile(const std::string& name, int k, int n, bool ask) override {
    calls.push_back("SendOneFile " + name + " " + std::to_string(k) + "/" + std::to_string(n) + (ask ? " ask" : ""));
    return sendResults.empty() ? 2 : Pop();
  }
  int ReceiveOneFile(const std::string& name, int k, int n, bool ask) override {
    calls.push_back("ReceiveOneFile " + name + " " + std::to_string(k) + "/" + std::to_string(n) + (ask ? " ask" : ""));
    return 2;
  }
  int DropFiles(const std::vector<std::string>& paths) override {
    std::string call = "DropFiles";
    for (const std::string& p : paths) call += " " + p;
    calls.push_back(call);
    return static_cast<int>(paths.size());
  }
  void ShowInViewer(const std::string& path) override { calls.push_back("ShowInViewer " + path); }

  std::vector<std::string> calls;
  std::vector<int> sendResults;  // answers of SendOneFile in order (2 once they run out)
  std::function<void()> duringTree;

 private:
  void Note(const char* what, bool remote) { calls.push_back(std::string(what) + (remote ? " remote" : " local")); }
  int Pop() {
    int r = sendResults.front();
    sendResults.erase(sendResults.begin());
    return r;
  }
};

// Every control of the window in memory, wired into a MainWindowState with the fakes above.
struct FakeMainWindow {
  FakeMainWindow() : host(state, &remoteFiles) {
    Wire(state.local, localCombo, localDirs, localFiles, localMask, localProgress, localButtons);
    Wire(state.remote, remoteCombo, remoteDirs, remoteFiles, remoteMask, remoteProgress, remoteButtons);
    state.upload = &upload;
    state.download = &download;
    state.modeAscii = &ascii;
    state.modeBinary = &binary;
    state.modeAuto = &autoMode;
    state.connect = &connect;
    state.host = &host;
    state.panes = &panes;
    upload.SetText("-->");
    download.SetText("<--");
    connect.SetText(app::kConnectText);
  }
  ~FakeMainWindow() {
    listing::RemotePane().dirList = nullptr;
    listing::RemotePane().fileList = nullptr;
    listing::RemotePane().dirField = nullptr;
  }
  FakeMainWindow(const FakeMainWindow&) = delete;
  FakeMainWindow& operator=(const FakeMainWindow&) = delete;

  app::MainWindowState state;
  ui::MemoryComboBox localCombo{true}, remoteCombo{true};
  ui::MemoryListBox localDirs{true}, localFiles{true}, remoteDirs{true}, remoteFiles{false};
  ui::MemoryEdit localMask, remoteMask;
  ui::MemoryLabel localProgress, remoteProgress;
  ui::MemoryButton localButtons[app::kPaneButtonCount], remoteButtons[app::kPaneButtonCount];
  ui::MemoryButton upload, download, ascii, binary, autoMode, connect;
  RecordingPaneCommands panes;
  FakeMainWindowHost host;

 private:
  static void Wire(app::PaneControls& p, ui::MemoryComboBox& combo, ui::MemoryListBox& dirs, ui::MemoryListBox& files,
                   ui::MemoryEdit& mask, ui::MemoryLabel& progress, ui::MemoryButton* buttons) {
    p.dirField = &combo;
    p.dirs = &dirs;
    p.files = &files;
    p.mask = &mask;
    p.progress = &progress;
    for (int k = 0; k < app::kPaneButtonCount; ++k)
      if (k != app::kPaneMask) p.buttons[k] = &buttons[k];
  }
};

}  // namespace testing_support
