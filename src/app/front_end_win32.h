// The Win32 shell's front end: the status lines, the log window, the caption and the remote
// buttons of the real main window. Calls from a worker thread are handed to the UI thread
// (posted, never waited for); calls on the UI thread act at once.
#pragma once
#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/shell_win32.h"

namespace app {

class Win32FrontEnd : public core::Win32Dialogs {
 public:
  // Made on the UI thread: the thread that owns the windows it updates.
  Win32FrontEnd();
  ~Win32FrontEnd() override;

  void ShowStatusLines(const std::string& upper, const std::string& lower, bool setUpper) override;
  void AppendLogLine(const std::string& line) override;
  void ProgressOpen(bool sending, const std::string& statusText) override;
  void ProgressText(const std::string& text) override;
  void ProgressClose() override;
  bool ProgressIsOpen() const override;
  void SetMainCaption(const std::string& caption) override;
  void SetRemoteCapabilities(bool mkd, bool rmd, bool rename, bool dele) override;
  void TransferTypeChanged() override;
  void ShowMainWindow() override;
  // Dispatches the calling thread's waiting messages (the modeless dialog gets its keys first).
  void PumpWaitingMessages() override;

  // Where the views are (nullptr: none yet).
  void SetStatusLabels(HWND upper, HWND lower);
  void SetRemoteButtons(HWND mkd, HWND rmd, HWND rename, HWND dele);
  void SetProgressLabel(HWND label);

  // Runs `action` on the UI thread: at once when called there, else posted (never waited for).
  void RunOnUiThread(std::function<void()> action);
  // Runs what other threads handed over (on the UI thread).
  void Flush();
  DWORD uiThread() const { return uiThread_; }

 private:
  void ApplyStatusLines(bool setUpper);
  DWORD uiThread_;
  HWND messageWindow_ = nullptr;
  HWND upper_ = nullptr, lower_ = nullptr, progress_ = nullptr;
  HWND remote_[4] = {};
  bool progressOpen_ = false;
  std::mutex lock_;
  std::vector<std::function<void()>> pending_;
  bool statusPending_ = false;
  std::string pendingLog_;  // lines from workers not yet in the log window
};

}  // namespace app
