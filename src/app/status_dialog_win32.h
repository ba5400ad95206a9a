// DLG_ABORT, the modeless transfer status dialog, over the status dialog's logic: the view the
// progress port drives from the transfer's thread, shown on the UI thread.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "app/status_dialog.h"

namespace app {

// Every call hands its work to the UI thread through `runOnUi` (which acts at once when called
// there and posts otherwise, never waiting), so a worker never touches the dialog.
class Win32StatusDialog : public StatusDialogView {
 public:
  explicit Win32StatusDialog(std::function<void(std::function<void()>)> runOnUi) : runOnUi_(std::move(runOnUi)) {}
  void Open(const std::string& statusText) override;
  void SetProgressText(const std::string& text) override;
  void SetBar(const std::string& text, unsigned percent) override;
  void Close() override;

 private:
  std::function<void(std::function<void()>)> runOnUi_;
};

// The open status dialog (UI thread), or nullptr.
HWND StatusDialogWindow();
// Closes it as OK does (no cancel); the main window does this when it goes.
void DestroyStatusDialog();

}  // namespace app
