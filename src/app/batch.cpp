// Batch and tree transfers: single files with their names and log lines, the worker's batch
// loops, the tree walks on the UI thread, and dropped files.
#include "app/batch.h"

#include <algorithm>
#include <cctype>

#include "app/worker.h"
#include "core/app_state.h"
#include "core/message_log.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "ftp/commands.h"
#include "ftp/control.h"
#include "listing/dir_list.h"
#include "listing/listing_text.h"
#include "local/local_list.h"
#include "platform/dir_scan.h"
#include "platform/fs.h"
#include "platform/pump.h"
#include "profiles/session_profile.h"
#include "transfer/engine.h"
#include "transfer/rules.h"

namespace app {

using core::LogMessage;

namespace {

std::atomic<BatchView*> batchView{nullptr};

constexpr int kHelpLocalName = 630;
constexpr int kHelpRemoteName = 640;

char TypeLetter() {
  int m = core::Settings().mode;
  return (m == 'A' || m == 'I' || m == 'L') ? static_cast<char>(m) : 'I';
}

// True when Cancel (or Close, or stopping the worker) arrived while one file was moving.
class CancelWatch {
 public:
  CancelWatch()
      : batchBefore_(ftp::Conn().batchCancel.load() != 0), abortBefore_(ftp::Conn().abortFlag.load() != 0) {}
  bool Cancelled() const {
    const ftp::ConnectionState& c = ftp::Conn();
    return (!batchBefore_ && c.batchCancel.load() != 0) || (!abortBefore_ && c.abortFlag.load() != 0);
  }

 private:
  bool batchBefore_, abortBefore_;
};

bool CancelRequested() { return ftp::Conn().batchCancel.load() != 0; }

}  // namespace

void BatchView::PlayCompleteSound() { transfer::PlaySoundEvent(transfer::kSoundComplete); }

void SetBatchView(BatchView* view) { batchView = view; }

BatchState& Batch() {
  static BatchState state;
  return state;
}

int ItemName(const ui::ListBox& list, int index, std::string& out) {
  out.clear();
  if (index < 0 || index >= list.Count()) {
    Batch().expectedSize = 0;
    return 0;
  }
  std::string text = list.Text(index);
  Batch().expectedSize = list.ItemData(index);
  size_t cut = text.find("\t| ");
  if (cut != std::string::npos) text.resize(cut);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
    text.pop_back();
  out = text;
  return static_cast<int>(out.size());
}

bool BatchPrompt(bool ctrlOrShiftHeld) { return (core::Settings().prompt != 0) != ctrlOrShiftHeld; }

namespace {

// Sends a local file under a proposed remote name (asked for when `ask` is set).
int SendNamed(const std::string& localPath, std::string remote, unsigned k, unsigned n, bool ask) {
  if (ask) {
    core::Prompts().currentHelpContext = kHelpRemoteName;
    if (!core::GetInputString(&remote, "Enter remote file name for %s:", localPath.c_str())) {
      LogMessage("cancelled");
      return 2;
    }
  }
  if (remote.empty()) {
    LogMessage("no remote name for %s", localPath.c_str());
    return 0;
  }
  LogMessage("sending %s as %s (%u of %u)", localPath.c_str(), remote.c_str(), k, n);
  CancelWatch watch;
  int result = transfer::SendFile(ftp::Conn().ctrl_skt.load(), "STOR " + remote, localPath, TypeLetter());
  if (result == 2 && watch.Cancelled()) {
    LogMessage("sending %s cancelled: transfer failed", localPath.c_str());
    result = 0;
  }
  if (result == 2)
    transfer::LogTransfer(1, localPath, profiles::CurrentProfile().host, listing::RemotePane().remoteDirName, remote);
  return result;
}

// The part of a path after its last "\\", else after its last "/", else the whole path.
std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('\\');
  if (slash == std::string::npos) slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int SendOneFile(const std::string& localPath, unsigned k, unsigned n, bool ask) {
  std::string remote = BaseName(localPath);
  transfer::ConvertExtension(remote, 0);
  return SendNamed(localPath, remote, k, n, ask);
}

int ReceiveOneFile(const std::string& remoteName, unsigned k, unsigned n, bool ask) {
  std::string localName;
  if (!transfer::LocalFileName(localName, remoteName)) return 0;
  if (ask) {
    core::Prompts().currentHelpContext = kHelpLocalName;
    if (!core::GetInputString(&localName, "Enter local file name for %s:", remoteName.c_str())) {
      LogMessage("cancelled");
      return 2;
    }
  }
  if (localName.empty()) {
    LogMessage("no local name for %s", remoteName.c_str());
    return 0;
  }
  LogMessage("receiving %s as %s (%u of %u)", remoteName.c_str(), localName.c_str(), k, n);
  CancelWatch watch;
  int result = transfer::ReceiveFile(ftp::Conn().ctrl_skt.load(), "RETR " + remoteName, localName, TypeLetter());
  if (result == 2 && watch.Cancelled()) {
    LogMessage("receiving %s cancelled: transfer failed", remoteName.c_str());
    result = 0;
  }
  if (result == 2)
    transfer::LogTransfer(2, localName, profiles::CurrentProfile().host, listing::RemotePane().remoteDirName,
                          remoteName);
  return result;
}

BatchResult RunUploadBatch(const std::vector<std::string>& names, bool ask) {
  ftp::InstallBlockingHook();
  transfer::TransferLogBatch logSettings;  // read once for the whole batch
  BatchResult r;
  r.count = static_cast<int>(names.size());
  const unsigned n = static_cast<unsigned>(names.size());
  for (unsigned k = 1; k <= n; ++k) {
    if (SendOneFile(names[k - 1], k, n, ask) != 2) {
      r.stopped = true;
      break;
    }
    ++r.transferred;
    platform::PumpWaitingMessages();
    if (CancelRequested() && k < n) {
      r.stopped = true;
      break;
    }
  }
  core::SetBusy(0);
  BatchView* view = batchView.load();
  if (view && r.transferred > 0 && core::Settings().doupdate) view->RefreshRemoteLists();
  if (view && !r.stopped && r.transferred == r.count && r.count > 0 && core::Settings().bell) view->PlayCompleteSound();
  return r;
}

BatchResult RunDownloadBatch(const std::vector<std::string>& names, bool ask, const std::vector<int64_t>& sizes) {
  ftp::InstallBlockingHook();
  transfer::TransferLogBatch logSettings;  // read once for the whole batch
  BatchResult r;
  r.count = static_cast<int>(names.size());
  const unsigned n = static_cast<unsigned>(names.size());
  BatchView* view = batchView.load();
  for (unsigned k = 1; k <= n; ++k) {
    Batch().expectedSize = k <= sizes.size() ? sizes[k - 1] : 0;
    if (ReceiveOneFile(names[k - 1], k, n, ask) != 2 || ftp::Conn().abortFlag.load()) {
      r.stopped = true;
      break;
    }
    ++r.transferred;
    if (view) view->AddLocalFile(names[k - 1]);
    platform::PumpWaitingMessages();
    if (CancelRequested() && k < n) {
      r.stopped = true;
      break;
    }
  }
  if (view) view->RefreshLocalLists();
  if (view && !r.stopped && r.transferred == r.count && r.count > 0 && core::Settings().bell) view->PlayCompleteSound();
  core::SetBusy(0);
  return r;
}

namespace {

std::vector<std::string> SelectedNames(const ui::ListBox* list, std::vector<int64_t>* sizes = nullptr) {
  std::vector<std::string> names;
  if (!list) return names;
  for (int i : list->SelectedItems()) {
    std::string name;
    if (ItemName(*list, i, name) > 0) {
      names.push_back(name);
      if (sizes) sizes->push_back(Batch().expectedSize.load());
    }
  }
  return names;
}

}  // namespace

bool StartUpload(bool ctrlOrShiftHeld) {
  if (core::IsBusy()) return false;
  const bool ask = BatchPrompt(ctrlOrShiftHeld);
  std::vector<std::string> names = SelectedNames(local::LocalPane().fileList);
  if (names.empty()) {
    core::Prompts().currentHelpContext = kHelpLocalName;
    std::string answer;
    if (!core::GetInputString(&answer, "Enter local file name:") || answer.empty()) return false;
    names.push_back(answer);
  }
  ftp::Conn().batchCancel = 0;
  return StartWorker([names, ask] { RunUploadBatch(names, ask); });
}

bool StartDownload(bool ctrlOrShiftHeld) {
  if (core::IsBusy()) return false;
  const bool ask = BatchPrompt(ctrlOrShiftHeld);
  std::vector<int64_t> sizes;
  std::vector<std::string> names = SelectedNames(listing::RemotePane().fileList, &sizes);
  if (names.empty()) {
    core::Prompts().currentHelpContext = kHelpRemoteName;
    std::string answer;
    if (!core::GetInputString(&answer, "Enter remote file name:") || answer.empty()) return false;
    names.push_back(answer);
  }
  ftp::Conn().batchCancel = 0;
  return StartWorker([names, ask, sizes] { RunDownloadBatch(names, ask, sizes); });
}

// ---- tree transfers ----------------------------------------------------------

namespace {

// The tree walk runs on the UI thread; its lists are refreshed directly.
class TreeView : public BatchView {
 public:
  explicit TreeView(bool upload) : upload_(upload) {}
  void RefreshLocalLists() override { local::ListLocalDirectory(); }
  void RefreshRemoteLists() override {
    if (upload_) listing::DoDirList(1);
  }
  void AddLocalFile(const std::string&) override {}
  void PlayCompleteSound() override {}

 private:
  bool upload_;
};

// Installs the tree's view for one level's batch and puts the window's back afterwards.
class ViewSwap {
 public:
  explicit ViewSwap(BatchView* v) : saved_(batchView.exchange(v)) {}
  ~ViewSwap() { batchView = saved_; }

 private:
  BatchView* saved_;
};

bool WalkStopped() { return ftp::Conn().abortFlag.load() != 0 || ftp::Conn().batchCancel.load() != 0; }

std::vector<std::string> ListNames(const ui::ListBox* list, std::vector<int64_t>* sizes = nullptr) {
  std::vector<std::string> names;
  if (!list) return names;
  for (int i = 0; i < list->Count(); ++i) {
    std::string name;
    if (ItemName(*list, i, name) > 0) {
      names.push_back(name);
      if (sizes) sizes->push_back(Batch().expectedSize.load());
    }
  }
  return names;
}

// A directory name taken from the other side that may be made and entered here: a single name
// component, not "..", not a device.
bool SafeTreeName(const std::string& name) {
  return listing::IsSafeDirName(name.c_str()) && !local::IsReservedLocalName(name);
}

struct Direction {
  bool upload;
};

int WalkInside(Direction d, int depth, bool& stopped);

// The steps for each of these directories, in order (the selected form of the walk).
int WalkEntries(Direction d, const std::vector<std::string>& names, int depth, bool& stopped) {
  const platform::Socket ctrl = ftp::Conn().ctrl_skt.load();
  int flags = 0;
  for (const std::string& name : names) {
    flags = 0;
    const std::string origRemote = listing::RemotePane().remoteDirName;
    const std::string origLocal = platform::CurrentDirectory();
    if (name.empty()) {
      LogMessage("[E] failed to get sel dir name");
    } else if (name == "..") {
      LogMessage("[E] can't go to ..");
    } else if (name[0] == '[' || !SafeTreeName(name)) {
      LogMessage("refused directory name %s: not entered", name.c_str());
    } else if (depth >= kMaxTreeDepth) {
      LogMessage("directory tree deeper than %d levels: %s not entered", kMaxTreeDepth, name.c_str());
    } else {
      const std::string localDir = platform::JoinPath(origLocal, name);
      bool entered;
      if (d.upload) {
        ftp::MakeRemoteDir(ctrl, name);
        entered = platform::ChangeDirectory(localDir);
      } else {
        if (!platform::IsDirectory(localDir)) platform::MakeDirectory(localDir);
        entered = platform::ChangeDirectory(localDir);
      }
      if (!entered) {
        LogMessage("[E] failed to change to new ldir %s", name.c_str());
      } else {
        local::ListLocalDirectory();
        flags |= 1;
        if (ftp::ChangeRemoteDir(ctrl, name) != 2) {
          LogMessage("[E] failed to change to select dir %s", name.c_str());
        } else {
          listing::DoDirList(d.upload ? 0 : 1);
          flags |= 2;
          WalkInside(d, depth + 1, stopped);
          LogMessage("[S] transfer directory complete");
          if (ftp::ChangeRemoteDir(ctrl, origRemote) == 2) {
            listing::DoDirList(d.upload ? 1 : 0);
            flags |= 8;
            LogMessage("[S] changed back to orig dir %s", origRemote.c_str());
          } else {
            LogMessage("[E] failed to return to orig dir %s", origRemote.c_str());
          }
        }
        if (!platform::ChangeDirectory(origLocal)) {
          LogMessage("[E] failed to return to orig ldir %s", origLocal.c_str());
        } else {
          flags |= 4;
          local::ListLocalDirectory();
          LogMessage("[S] changed back to orig ldir %s", origLocal.c_str());
        }
      }
    }
    if (flags != 15 || stopped) {
      stopped = true;
      break;
    }
  }
  return flags;
}

// The level inside a directory: its files as one batch, then each subdirectory in turn.
int WalkInside(Direction d, int depth, bool& stopped) {
  std::vector<std::string> files, dirs;
  std::vector<int64_t> sizes;
  if (d.upload) {
    std::vector<platform::DirEntry> entries;
    platform::ScanDirectory(platform::CurrentDirectory(), entries);
    const std::string mask = local::LocalPane().localMask;
    for (const auto& e : entries) {
      if (e.isDirectory) {
        if (e.name != "." && e.name != "..") dirs.push_back(e.name);
      } else if (local::MatchesMask(e.name, mask)) {
        files.push_back(e.name);
      }
    }
    auto byListOrder = [](const std::string& a, const std::string& b) { return ui::CompareListText(a, b) < 0; };
    std::sort(files.begin(), files.end(), byListOrder);
    std::sort(dirs.begin(), dirs.end(), byListOrder);
  } else {
    files = ListNames(listing::RemotePane().fileList, &sizes);
    for (const std::string& name : ListNames(listing::RemotePane().dirList))
      if (name != "..") dirs.push_back(name);
  }
  if (!files.empty()) {
    TreeView view(d.upload);
    ViewSwap swap(&view);
    core::SetBusy(1);
    BatchResult r = d.upload ? RunUploadBatch(files, false) : RunDownloadBatch(files, false, sizes);
    if (r.stopped && WalkStopped()) stopped = true;
  }
  for (const std::string& dir : dirs) {
    if (stopped || WalkStopped()) {
      stopped = true;
      break;
    }
    // A name that cannot be made here is left out; the rest of the level goes on.
    if (dir[0] == '[' || !SafeTreeName(dir)) {
      LogMessage("refused directory name %s: not entered", dir.c_str());
      continue;
    }
    if (WalkEntries(d, {dir}, depth, stopped) != 15) break;
  }
  return 0;
}

int RunTree(Direction d) {
  ftp::Conn().batchCancel = 0;
  bool stopped = false;
  ui::ListBox* dirList = d.upload ? local::LocalPane().dirList : listing::RemotePane().dirList;
  std::vector<std::string> names;
  if (dirList) {
    std::vector<int> sel = dirList->SelectedItems();
    if (sel.empty() && dirList->CurSel() >= 0) sel.push_back(dirList->CurSel());
    if (sel.size() > static_cast<size_t>(kMaxTreeSelection)) sel.resize(kMaxTreeSelection);
    for (int i : sel) {
      std::string name;
      ItemName(*dirList, i, name);
      names.push_back(name);
    }
  }
  int flags = names.empty() ? WalkInside(d, 0, stopped) : WalkEntries(d, names, 0, stopped);
  // The walk's own lines are debug lines; the user still learns that the tree is incomplete.
  if (stopped || WalkStopped()) LogMessage("directory transfer stopped before its end");
  return flags;
}

}  // namespace

int UploadTree() { return RunTree(Direction{true}); }
int DownloadTree() { return RunTree(Direction{false}); }

// ---- dropped files -------------------------------------------------------------

int DropFiles(const std::vector<std::string>& paths) {
  ftp::ConnectionState& c = ftp::Conn();
  c.batchCancel = 0;
  if (!c.connected.load()) {
    LogMessage("NOT CONNECTED!! File(s) ignored.");
    return 0;
  }
  if (c.commandDepth.load() != 0 || core::IsBusy()) {
    LogMessage("Busy!! File(s) ignored.");
    return 0;
  }
  std::vector<std::string> files;
  for (std::string p : paths) {
    if (p.size() > kDroppedNameMax) {
      LogMessage("name too long, not sent: %.60s...", p.c_str());
      continue;
    }
    if (platform::IsDirectory(p)) {
      LogMessage("%s is a directory: not sent (use the directory transfer)", p.c_str());
      continue;
    }
    files.push_back(p);
  }
  const bool ask = core::Settings().prompt != 0;
  int sent = 0;
  const unsigned n = static_cast<unsigned>(files.size());
  for (unsigned k = 1; k <= n; ++k) {
    // The remote name is lower-cased; the local file is opened by the name the system gave
    // (on a case-sensitive file system the lower-cased path would name another file).
    std::string remote = BaseName(files[k - 1]);
    for (char& ch : remote) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    transfer::ConvertExtension(remote, 0);
    int r = SendNamed(files[k - 1], remote, k, n, ask);
    if (r != 2) break;
    ++sent;
    if (c.batchCancel.load()) break;
  }
  if (core::Settings().doupdate) listing::DoDirList(1);
  return sent;
}

}  // namespace app
