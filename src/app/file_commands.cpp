// The pane commands on both sides, the delete confirmation, and the directory fields.
#include "app/file_commands.h"

#include <atomic>
#include <vector>

#include "app/batch.h"
#include "core/app_state.h"
#include "core/message_log.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "ftp/commands.h"
#include "ftp/control.h"
#include "listing/dir_list.h"
#include "local/associations.h"
#include "local/local_list.h"
#include "platform/dir_scan.h"
#include "platform/fs.h"
#include "platform/temp_file.h"
#include "transfer/engine.h"
#include "transfer/rules.h"

namespace app {

using core::LogMessage;

namespace {

constexpr int kHelpChgDir = 180;
constexpr int kHelpMkDir = 185;
constexpr int kHelpRemoteRmDir = 650;
constexpr size_t kRemoteMaskMax = 19;
constexpr size_t kFieldTextMax = 69;

std::atomic<ConfirmDeletePort*> deletePort{nullptr};

struct Masks {
  ui::Edit* local = nullptr;
  ui::Edit* remote = nullptr;
};
Masks& MaskFields() {
  static Masks m;
  return m;
}

platform::Socket Ctrl() { return ftp::Conn().ctrl_skt.load(); }
bool DoUpdate() { return core::Settings().doupdate != 0; }

// The item the command acts on: the caret item, else the first selected one; -1 for none.
int CaretItem(const ui::ListBox* list) {
  if (!list) return -1;
  int i = list->CurSel();
  if (i >= 0) return i;
  std::vector<int> sel = list->SelectedItems();
  return sel.empty() ? -1 : sel.front();
}

// The selected item of a directory list (its text as ItemName gives it), or "" for none.
std::string SelectedDirName(const ui::ListBox* list) {
  if (!list) return "";
  std::vector<int> sel = list->SelectedItems();
  int i = sel.empty() ? list->CurSel() : sel.front();
  std::string name;
  if (i >= 0) ItemName(*list, i, name);
  return name;
}

std::string CaretFileName(const ui::ListBox* list) {
  std::string name;
  int i = CaretItem(list);
  if (list && i >= 0) ItemName(*list, i, name);
  return name;
}

// A local drive change, then a directory change; false when either failed.
bool ChangeLocalDir(const std::string& text) {
  if (text.size() >= 2 && text[1] == ':' && !platform::ChangeDrive(text[0])) return false;
  return platform::ChangeDirectory(text);
}

}  // namespace

void AttachPanes(const PaneControls& l, const PaneControls& r) {
  local::LocalPaneState& lp = local::LocalPane();
  lp.dirField = l.dirField;
  lp.dirList = l.dirs;
  lp.fileList = l.files;
  listing::RemotePaneState& rp = listing::RemotePane();
  rp.dirField = r.dirField;
  rp.dirList = r.dirs;
  rp.fileList = r.files;
  MaskFields().local = l.mask;
  MaskFields().remote = r.mask;
}

void DetachPanes() { AttachPanes(PaneControls(), PaneControls()); }

void SetConfirmDeletePort(ConfirmDeletePort* port) { deletePort = port; }

int ConfirmDelete(const std::string& name, int itemsLeft) {
  ConfirmDeletePort* port = deletePort.load();
  if (!port) return kDeleteCancel;
  std::string text = "Are you sure you want to delete \"" + name + "\"?";
  int answer = port->Ask(text, itemsLeft >= 2);
  if (answer == kDeleteAll && itemsLeft < 2) return kDeleteCancel;
  return (answer == kDeleteYes || answer == kDeleteNo || answer == kDeleteAll) ? answer : kDeleteCancel;
}

void ReadLocalMask() {
  if (!MaskFields().local) return;
  std::string mask = MaskFields().local->Text();
  if (mask.size() > local::kLocalMaskMax) mask.resize(local::kLocalMaskMax);
  local::LocalPane().localMask = mask.empty() ? "*.*" : mask;
}

void ReadRemoteMask() {
  if (!MaskFields().remote) return;
  std::string mask = MaskFields().remote->Text();
  if (mask.size() > kRemoteMaskMax) mask.resize(kRemoteMaskMax);
  listing::RemotePane().remoteMask = mask;
}

// ---- ChgDir -------------------------------------------------------------------

void LocalChgDir() {
  std::string item = SelectedDirName(local::LocalPane().dirList);
  if (item.empty()) {
    core::Prompts().currentHelpContext = kHelpChgDir;
    std::string answer;
    if (!core::GetInputString(&answer, "Enter local directory name:")) return;
    ChangeLocalDir(answer);
    local::ListLocalDirectory();
    return;
  }
  if (item.compare(0, 2, "[-") == 0) {
    if (item.size() > 2) platform::ChangeDrive(item[2]);
    local::ListLocalDirectory();
    return;
  }
  if (platform::ChangeDirectory(item)) local::ListLocalDirectory();
}

void RemoteChgDir() {
  if (core::IsBusy()) return;
  std::string name = SelectedDirName(listing::RemotePane().dirList);
  if (name.empty()) {
    core::Prompts().currentHelpContext = kHelpChgDir;
    if (!core::GetInputCombo(listing::RemotePane().remoteDirName, "Enter remote directory name:")) return;
    name = core::Prompts().inputBuffer;
  }
  if (ftp::ChangeRemoteDir(Ctrl(), name) == 2) listing::DoDirList(0);
}

// ---- MkDir / RmDir --------------------------------------------------------------

void LocalMkDir() {
  core::Prompts().currentHelpContext = kHelpMkDir;
  std::string name;
  if (!core::GetInputString(&name, "Enter new local directory name:")) return;
  platform::MakeDirectory(name);
  local::ListLocalDirectory();
}

void RemoteMkDir() {
  if (core::IsBusy()) return;
  core::Prompts().currentHelpContext = kHelpMkDir;
  std::string name;
  if (!core::GetInputString(&name, "Enter new remote directory name:")) return;
  if (ftp::MakeRemoteDir(Ctrl(), name) == 2 && DoUpdate()) listing::DoDirList(1);
}

void LocalRmDir() {
  std::string name = SelectedDirName(local::LocalPane().dirList);
  if (name.empty()) {
    LogMessage("no local directory selected");
    return;
  }
  if (name == ".." || name.compare(0, 2, "[-") == 0) {
    LogMessage("%s cannot be removed", name.c_str());
    return;
  }
  if (ConfirmDelete(name, 1) != kDeleteYes) return;
  if (platform::RemoveDirectoryPath(name)) local::ListLocalDirectory();
}

void RemoteRmDir() {
  if (core::IsBusy()) return;
  std::string name = SelectedDirName(listing::RemotePane().dirList);
  if (name.empty()) {
    core::Prompts().currentHelpContext = kHelpRemoteRmDir;
    if (!core::GetInputString(&name, "Enter remote directory name:")) return;
  } else if (ConfirmDelete(name, 1) != kDeleteYes) {
    return;
  }
  if (ftp::RemoveRemoteDir(Ctrl(), name) == 2 && DoUpdate()) listing::DoDirList(1);
}

// ---- View / Exec ----------------------------------------------------------------

void LocalView() {
  std::string name = CaretFileName(local::LocalPane().fileList);
  if (!name.empty()) local::ViewFile(name);
}

void LocalExec() {
  std::string name = CaretFileName(local::LocalPane().fileList);
  if (!name.empty()) local::RunOrOpen(name);
}

void RemoteView() {
  std::string name = CaretFileName(listing::RemotePane().fileList);
  if (name.empty()) return;
  core::BusyScope busy;
  if (!busy.taken()) return;
  const std::string target = listing::ViewerTempFile();
  core::ProgramSettings& s = core::Settings();
  const int savedAmode = s.amode;
  s.amode = 0;
  int r = target.empty() ? 0 : transfer::ReceiveFile(Ctrl(), "RETR " + name, target, 'A');
  s.amode = savedAmode;
  if (r == 2) local::ViewFile(target);
  local::ListLocalDirectory();
}

void RemoteExec() {
  std::string name = CaretFileName(listing::RemotePane().fileList);
  if (name.empty()) return;
  core::BusyScope busy;
  if (!busy.taken()) return;
  std::string localForm;
  std::string reserved = platform::MakeTempFile("txt");
  if (!reserved.empty() && transfer::LocalFileName(localForm, name)) {
    // The reserved file stays; the download goes beside it under the remote file's local name.
    size_t slash = reserved.find_last_of(platform::PathSeparator());
    std::string dir = slash == std::string::npos ? platform::TempDirectory() : reserved.substr(0, slash);
    size_t own = localForm.find_last_of("\\/");
    if (own != std::string::npos) localForm = localForm.substr(own + 1);
    std::string path = platform::JoinPath(dir, localForm);
    LogMessage("receiving %s as %s", name.c_str(), path.c_str());
    if (transfer::ReceiveFile(Ctrl(), "RETR " + name, path, 'I') == 2) local::RunOrOpen(path);
  } else if (reserved.empty()) {
    LogMessage("no temporary file for %s", name.c_str());
  }
  local::ListLocalDirectory();
}

// ---- Rename -----------------------------------------------------------------------

void LocalRename() {
  std::string name = CaretFileName(local::LocalPane().fileList);
  if (name.empty()) return;
  std::string newName = name;
  if (!core::GetInputString(&newName, "Enter new name for \"%s\":", name.c_str())) return;
  if (platform::RenamePath(name, newName)) local::ListLocalDirectory();
}

void RemoteRename() {
  if (core::IsBusy()) return;
  std::string name = CaretFileName(listing::RemotePane().fileList);
  if (name.empty()) return;
  std::string newName = name;
  if (!core::GetInputString(&newName, "Enter new name for \"%s\":", name.c_str())) return;
  if (ftp::SendFtpCommand(Ctrl(), "RNFR %s", name.c_str()) != 3) return;
  if (ftp::SendFtpCommand(Ctrl(), "RNTO %s", newName.c_str()) == 2 && DoUpdate()) listing::DoDirList(1);
}

// ---- Delete -----------------------------------------------------------------------

namespace {

// Asks for each selected file (unless VRFYDEL is off) and deletes the ones the user agrees to.
// Returns the number of deletions attempted.
template <typename DeleteOne>
int DeleteSelected(ui::ListBox* list, DeleteOne deleteOne) {
  if (!list) return 0;
  std::vector<std::string> names;
  for (int i : list->SelectedItems()) {
    std::string name;
    if (ItemName(*list, i, name) > 0) names.push_back(name);
  }
  bool asking = core::Settings().vrfydel != 0;
  int attempted = 0;
  const int n = static_cast<int>(names.size());
  for (int i = 0; i < n; ++i) {
    if (asking) {
      int answer = ConfirmDelete(names[i], n - i);
      if (answer == kDeleteCancel) break;
      if (answer == kDeleteNo) continue;
      if (answer == kDeleteAll) asking = false;
    }
    deleteOne(names[i]);
    ++attempted;
  }
  return attempted;
}

}  // namespace

void LocalDelete() {
  if (!local::LocalPane().fileList || local::LocalPane().fileList->SelectedItems().empty()) return;
  DeleteSelected(local::LocalPane().fileList, [](const std::string& name) { platform::RemoveFile(name); });
  local::ListLocalDirectory();
}

void RemoteDelete() {
  if (core::IsBusy()) return;
  int sent = DeleteSelected(listing::RemotePane().fileList,
                            [](const std::string& name) { ftp::DeleteRemoteFile(Ctrl(), name); });
  if (sent > 0 && DoUpdate()) listing::DoDirList(1);
}

// ---- Refresh / DirInfo ----------------------------------------------------------------

void LocalRefresh() {
  if (local::LocalPane().localMask.empty()) local::LocalPane().localMask = "*.*";
  local::ListLocalDirectory();
}

void RemoteRefresh() {
  if (core::IsBusy()) return;
  ftp::DrainControl(Ctrl());
  listing::DoDirList(1);
}

void LocalDirInfo() {
  std::string path = platform::MakeTempFile("DSP");
  if (path.empty()) {
    LogMessage("no temporary file for the directory report");
    return;
  }
  local::WriteLocalDirInfo(path);
  local::ViewFile(path);
}

void RemoteDirInfo() {
  if (!ftp::Conn().connected.load()) return;
  std::string file = listing::CurrentListingFile();
  if (!file.empty()) local::ViewFile(file);
}

// ---- directory fields ---------------------------------------------------------------------

void LocalDirFieldPicked(const std::string& text) {
  if (text.compare(0, 2, "[-") == 0) {
    if (text.size() > 2) platform::ChangeDrive(text[2]);
  } else if (!ChangeLocalDir(text)) {
    return;
  }
  local::ListLocalDirectory();
}

void RemoteDirFieldPicked(const std::string& text) {
  if (core::IsBusy()) return;
  std::string dir = text.size() > kFieldTextMax ? text.substr(0, kFieldTextMax) : text;
  if (ftp::ChangeRemoteDir(Ctrl(), dir) == 2) listing::DoDirList(0);
}

bool RemoteDirFieldMustClose() { return core::IsBusy() != 0; }

}  // namespace app
