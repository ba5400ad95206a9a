// Batch and tree transfers: the selected files of one pane sent or received one by one on the
// worker thread, single files with their destination names and log lines, whole directory
// trees walked on both sides at once, and dropped files.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/controls.h"

namespace app {

constexpr int kMaxTreeDepth = 32;      // directory levels a tree transfer enters below its start
constexpr int kMaxTreeSelection = 250; // selected directories a tree transfer takes
constexpr size_t kDroppedNameMax = 149;

// What a batch asks of the main window. The worker thread calls these; the Win32 shell posts a
// message to the main window for each (never waiting for it), tests act directly. A tree
// transfer calls them on the UI thread.
class BatchView {
 public:
  virtual ~BatchView() = default;
  // Fill the local lists again from the current directory.
  virtual void RefreshLocalLists() = 0;
  // The remote Refresh command (944); called after BusyFlag has been cleared.
  virtual void RefreshRemoteLists() = 0;
  // Show a file that has just arrived in the local file list (before the final refresh).
  virtual void AddLocalFile(const std::string& name) = 0;
  // The transfer-complete sound (the default plays it through the transfer rules).
  virtual void PlayCompleteSound();
};
// Installs the main window's view (nullptr: a batch updates nothing and plays no sound).
void SetBatchView(BatchView* view);

// Process-wide batch state.
struct BatchState {
  std::atomic<int64_t> expectedSize{0};  // ExpectedSize: the number stored with the last item read
  void Reset() { expectedSize = 0; }
};
BatchState& Batch();

// The name of a list item: its text up to "\t| " with trailing blanks, tabs, CR and LF removed;
// sets ExpectedSize from the item's data. Returns the name's length (0 for an index out of range).
int ItemName(const ui::ListBox& list, int index, std::string& out);

// The batch's prompt switch: PROMPT, inverted when Ctrl or Shift was held down.
bool BatchPrompt(bool ctrlOrShiftHeld);

// One file up: the remote name is the part of the path after its last "\" (else "/") with the
// sending conversion; with `ask` the user may change it ("Enter remote file name for %s:"; Cancel
// logs "cancelled" and returns 2). Logs "sending %s as %s (%u of %u)". Returns the transfer's
// result: 2 when the file went through; a file whose transfer was cancelled is reported failed.
int SendOneFile(const std::string& localPath, unsigned k, unsigned n, bool ask);
// One file down, named by the local naming rules (asked with "Enter local file name for %s:").
int ReceiveOneFile(const std::string& remoteName, unsigned k, unsigned n, bool ask);

// What a batch did.
struct BatchResult {
  int transferred = 0;  // files that went through
  int count = 0;        // files in the batch
  bool stopped = false; // ended early: a file failed or the batch was cancelled
};
// Runs a batch on the calling thread (the worker body): the files in order, numbered 1..n,
// stopping after a failed file or when BatchCancel rises; then the view's refreshes and the
// completion sound. Clears BusyFlag before asking for the remote refresh.
BatchResult RunUploadBatch(const std::vector<std::string>& localNames, bool ask);
// `sizes` (when given, one per name) become ExpectedSize for each file in turn.
BatchResult RunDownloadBatch(const std::vector<std::string>& remoteNames, bool ask,
                             const std::vector<int64_t>& sizes = {});

// Upload (939) and download (940) of the selected files, on the UI thread: takes the selected
// names of the local (remote) file list, or asks for one name when none is selected, and starts
// the batch on the worker thread. False when nothing was started (busy, or the prompt cancelled).
bool StartUpload(bool ctrlOrShiftHeld);
bool StartDownload(bool ctrlOrShiftHeld);

// Tree transfers of the selected directories (or, with none selected, of the current
// directory's contents), on the UI thread. Return the step flags of the last directory handled
// (15: made, entered, listed and returned on both sides).
int UploadTree();
int DownloadTree();

// Files dropped on the main window (UI thread): refused with a log line while not connected or
// during an operation, and so is a dropped directory; the files are sent one by one.
// Returns the number of files sent.
int DropFiles(const std::vector<std::string>& paths);

}  // namespace app
