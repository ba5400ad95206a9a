// The Win32 shell's front end: the status lines, the log window, the transfer status dialog, the
// caption and the remote buttons of the real main window. Calls from a worker thread are handed
// to the UI thread (posted, never waited for); calls on the UI thread act at once. A worker's
// questions (prompts, message boxes) are asked on the UI thread while the worker waits for the
// answer; Cancel, Close and Exit end that wait (the question then counts as cancelled).
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/status_dialog.h"
#include "core/shell_win32.h"

namespace app {

class Win32FrontEnd : public core::Win32Dialogs {
 public:
  // Made on the UI thread: the thread that owns the windows it updates.
  Win32FrontEnd();
  ~Win32FrontEnd() override;

  void ShowStatusLines(const std::string& upper, const std::string& lower, bool setUpper) override;
  void AppendLogLine(const std::string& line) override;
  int ShowMessage(const std::string& text, const std::string& caption, unsigned flags, bool owned) override;
  int Prompt(ui::PromptKind kind, const std::string& promptText, std::string& input,
             const std::vector<std::string>& history) override;
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
  // The progress labels used while HASH is off: the local one for sends, the remote one for receives.
  void SetProgressLabels(HWND local, HWND remote);

  // Runs `action` on the UI thread: at once when called there, else posted (never waited for).
  void RunOnUiThread(std::function<void()> action);
  // Runs what other threads handed over (on the UI thread).
  void Flush();
  // Paints what is due in the main window and the status dialog, at most every kPaintEveryMs:
  // while a worker keeps handing work over, the message queue is never empty, and Windows
  // sends WM_PAINT only when it is.
  void PaintIfDue();
  static constexpr DWORD kPaintEveryMs = 100;
  DWORD uiThread() const { return uiThread_; }

 private:
  class ProgressLabel;
  void ApplyStatusLines(bool setUpper);
  // Runs `ask` on the UI thread and waits for its answer; `cancelled` when the wait was given up.
  int AskOnUiThread(std::function<int()> ask, int cancelled);
  DWORD uiThread_;
  DWORD lastPaint_ = 0;
  HWND messageWindow_ = nullptr;
  HWND upper_ = nullptr, lower_ = nullptr;
  HWND progressLabels_[2] = {};  // local, remote (UI thread)
  HWND remote_[4] = {};
  std::unique_ptr<StatusDialogView> statusDialog_;
  std::unique_ptr<ProgressLabel> localProgress_, remoteProgress_;
  std::unique_ptr<StatusProgressPort> progress_;  // used by the thread that runs the transfer
  std::mutex lock_;
  std::vector<std::function<void()>> pending_;
  bool statusPending_ = false;
  std::string pendingLog_;  // lines from workers not yet in the log window
};

}  // namespace app
