// DLG_ABORT, the modeless transfer status dialog, over the status dialog's logic: the view the
// progress port drives from the transfer's thread, shown on the UI thread.
#pragma once
#include <windows.h>

#include <functional>
#include <mutex>
#include <string>

#include "app/status_dialog.h"

namespace app {

// Every call hands its work to the UI thread through `runOnUi` (which acts at once when called
// there and posts otherwise, never waiting), so a worker never touches the dialog. Calls that
// arrive while an earlier hand-over waits are merged into it: the UI thread shows the newest
// state once (a batch of small files would otherwise queue a dozen window calls per file).
class Win32StatusDialog : public StatusDialogView {
 public:
  explicit Win32StatusDialog(std::function<void(std::function<void()>)> runOnUi) : runOnUi_(std::move(runOnUi)) {}
  void Open(const std::string& statusText) override;
  void SetProgressText(const std::string& text) override;
  void SetBar(const std::string& text, unsigned percent) override;
  void Close() override;

 private:
  // What waits for the UI thread, in the order it is applied.
  struct Pending {
    bool closeFirst = false;  // the dialog shown now goes (its transfer ended)
    bool open = false;        // then a transfer shows it with openText
    std::string openText;
    bool progress = false;
    std::string progressText;
    bool bar = false;
    std::string barText;
    unsigned percent = 0;
    bool closeLast = false;   // and that transfer ended too
  };
  // Changes the waiting state and hands Apply over unless a hand-over already waits.
  void Change(const std::function<void(Pending&)>& change);
  void Apply();  // UI thread
  std::function<void(std::function<void()>)> runOnUi_;
  std::mutex lock_;
  Pending pending_;
  bool posted_ = false;
};

// The open status dialog (UI thread), or nullptr.
HWND StatusDialogWindow();
// Closes it as OK does (no cancel); the main window does this when it goes.
void DestroyStatusDialog();

}  // namespace app
