// The pane commands of the main window: its file and directory buttons, transfers, drops and the
// viewer, carried out by the local pane, the file commands and the batch code.
#pragma once
#include "app/main_window.h"

namespace app {

class FilePaneCommands : public PaneCommands {
 public:
  // Works on the window's state (its masks and pane controls).
  explicit FilePaneCommands(MainWindowState& window) : window_(window) {}
  void FillLocalLists() override;
  void ChangeDir(bool remote) override;
  void MakeDir(bool remote) override;
  void RemoveDir(bool remote) override;
  void ViewFile(bool remote) override;
  void ExecFile(bool remote) override;
  void RenameFiles(bool remote) override;
  void DeleteFiles(bool remote) override;
  void DirInfo(bool remote) override;
  void DirComboNotify(bool remote, int notification) override;
  void StartUpload(bool ctrlOrShift) override;
  void StartDownload(bool ctrlOrShift) override;
  void UploadTree() override;
  void DownloadTree() override;
  int SendOneFile(const std::string& localName, int k, int n, bool ask) override;
  int DropFiles(const std::vector<std::string>& paths) override;
  int ReceiveOneFile(const std::string& remoteName, int k, int n, bool ask) override;
  void ShowInViewer(const std::string& path) override;

 private:
  MainWindowState& window_;
};

// Combo box notifications the directory fields act on (the Windows values).
constexpr int kComboSelChange = 1;   // an entry was picked
constexpr int kComboDropDown = 7;    // the list is about to open

}  // namespace app
