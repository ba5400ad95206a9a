// The pane commands of the main window over the file commands, the local listing, the batches
// and the viewer: what each button, list and directory field of the two panes runs.
#pragma once
#include "app/main_window.h"

namespace app {

// Notification codes of a directory field passed to DirComboNotify (the Win32 values).
constexpr int kComboSelChange = 1;  // CBN_SELCHANGE: the user picked an entry
constexpr int kComboSelEndOk = 9;   // CBN_SELENDOK: the drop-down list closed on an entry

class FileCommandPanes : public PaneCommands {
 public:
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
  int ReceiveOneFile(const std::string& remoteName, int k, int n, bool ask) override;
  void ShowInViewer(const std::string& path) override;
};

}  // namespace app
