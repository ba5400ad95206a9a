// The pane commands over the file commands, the local listing, the batches and the viewer.
#include "app/pane_commands.h"

#include "app/batch.h"
#include "app/file_commands.h"
#include "listing/dir_list.h"
#include "local/associations.h"
#include "local/local_list.h"

namespace app {

void FileCommandPanes::FillLocalLists() { local::ListLocalDirectory(); }
void FileCommandPanes::ChangeDir(bool remote) { remote ? RemoteChgDir() : LocalChgDir(); }
void FileCommandPanes::MakeDir(bool remote) { remote ? RemoteMkDir() : LocalMkDir(); }
void FileCommandPanes::RemoveDir(bool remote) { remote ? RemoteRmDir() : LocalRmDir(); }
void FileCommandPanes::ViewFile(bool remote) { remote ? RemoteView() : LocalView(); }
void FileCommandPanes::ExecFile(bool remote) { remote ? RemoteExec() : LocalExec(); }
void FileCommandPanes::RenameFiles(bool remote) { remote ? RemoteRename() : LocalRename(); }
void FileCommandPanes::DeleteFiles(bool remote) { remote ? RemoteDelete() : LocalDelete(); }
void FileCommandPanes::DirInfo(bool remote) { remote ? RemoteDirInfo() : LocalDirInfo(); }

void FileCommandPanes::DirComboNotify(bool remote, int notification) {
  if (notification != kComboSelEndOk) return;  // not every arrow key of an open list
  ui::ComboBox* field = remote ? listing::RemotePane().dirField : local::LocalPane().dirField;
  if (!field || field->CurSel() < 0) return;
  const std::string text = field->ItemText(field->CurSel());
  remote ? RemoteDirFieldPicked(text) : LocalDirFieldPicked(text);
}

void FileCommandPanes::StartUpload(bool ctrlOrShift) { app::StartUpload(ctrlOrShift); }
void FileCommandPanes::StartDownload(bool ctrlOrShift) { app::StartDownload(ctrlOrShift); }
void FileCommandPanes::UploadTree() { app::UploadTree(); }
void FileCommandPanes::DownloadTree() { app::DownloadTree(); }

int FileCommandPanes::SendOneFile(const std::string& localName, int k, int n, bool ask) {
  return app::SendOneFile(localName, static_cast<unsigned>(k), static_cast<unsigned>(n), ask);
}
int FileCommandPanes::ReceiveOneFile(const std::string& remoteName, int k, int n, bool ask) {
  return app::ReceiveOneFile(remoteName, static_cast<unsigned>(k), static_cast<unsigned>(n), ask);
}

void FileCommandPanes::ShowInViewer(const std::string& path) { local::ViewFile(path); }

}  // namespace app
