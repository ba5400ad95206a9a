// The main window's pane commands, mapped onto the local pane, the file commands and the batches.
#include "app/pane_commands.h"

#include "app/batch.h"
#include "app/file_commands.h"
#include "local/associations.h"
#include "local/local_list.h"

namespace app {

void FilePaneCommands::FillLocalLists() { local::ListLocalDirectory(); }

void FilePaneCommands::ChangeDir(bool remote) {
  if (remote) {
    app::ReadRemoteMask();
    RemoteChgDir();
  } else {
    app::ReadLocalMask();
    LocalChgDir();
  }
}

void FilePaneCommands::MakeDir(bool remote) { remote ? RemoteMkDir() : LocalMkDir(); }
void FilePaneCommands::RemoveDir(bool remote) { remote ? RemoteRmDir() : LocalRmDir(); }
void FilePaneCommands::ViewFile(bool remote) { remote ? RemoteView() : LocalView(); }
void FilePaneCommands::ExecFile(bool remote) { remote ? RemoteExec() : LocalExec(); }
void FilePaneCommands::RenameFiles(bool remote) { remote ? RemoteRename() : LocalRename(); }
void FilePaneCommands::DeleteFiles(bool remote) { remote ? RemoteDelete() : LocalDelete(); }
void FilePaneCommands::DirInfo(bool remote) { remote ? RemoteDirInfo() : LocalDirInfo(); }

void FilePaneCommands::DirComboNotify(bool remote, int notification) {
  PaneControls& pane = remote ? window_.remote : window_.local;
  if (notification == kComboSelChange && pane.dirField) {
    int sel = pane.dirField->CurSel();
    if (sel < 0) return;
    std::string text = pane.dirField->ItemText(sel);
    remote ? RemoteDirFieldPicked(text) : LocalDirFieldPicked(text);
  }
}

void FilePaneCommands::StartUpload(bool ctrlOrShift) { app::StartUpload(ctrlOrShift); }
void FilePaneCommands::StartDownload(bool ctrlOrShift) { app::StartDownload(ctrlOrShift); }
void FilePaneCommands::UploadTree() { app::UploadTree(); }
void FilePaneCommands::DownloadTree() { app::DownloadTree(); }

int FilePaneCommands::SendOneFile(const std::string& localName, int k, int n, bool ask) {
  return app::SendOneFile(localName, static_cast<unsigned>(k), static_cast<unsigned>(n), ask);
}

int FilePaneCommands::ReceiveOneFile(const std::string& remoteName, int k, int n, bool ask) {
  return app::ReceiveOneFile(remoteName, static_cast<unsigned>(k), static_cast<unsigned>(n), ask);
}

int FilePaneCommands::DropFiles(const std::vector<std::string>& paths) { return app::DropFiles(paths); }

void FilePaneCommands::ShowInViewer(const std::string& path) { local::ViewFile(path); }

}  // namespace app
