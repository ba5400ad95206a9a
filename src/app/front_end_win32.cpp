// The Win32 front end: views updated on the UI thread, handed over from workers by a posted message.
#include "app/front_end_win32.h"

#include "app/windows_win32.h"
#include "core/app_state.h"
#include "core/message_log.h"
#include "resources/resource.h"

namespace app {
namespace {

constexpr UINT kFlushMessage = WM_APP + 1;
constexpr const char* kFlushClass = "MIRVANFLUSH";

LRESULT CALLBACK FlushProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kFlushMessage) {
    reinterpret_cast<Win32FrontEnd*>(lParam)->Flush();
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND MainHwnd() { return static_cast<HWND>(core::App().mainWindow.load()); }

}  // namespace

Win32FrontEnd::Win32FrontEnd() : uiThread_(GetCurrentThreadId()) {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = FlushProc;
  wc.hInstance = inst;
  wc.lpszClassName = kFlushClass;
  RegisterClassA(&wc);  // fails harmlessly when a front end made it before
  messageWindow_ = CreateWindowA(kFlushClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, inst, nullptr);
}

Win32FrontEnd::~Win32FrontEnd() {
  if (messageWindow_) DestroyWindow(messageWindow_);
}

void Win32FrontEnd::RunOnUiThread(std::function<void()> action) {
  if (GetCurrentThreadId() == uiThread_) {
    Flush();  // what a worker left first, so the order holds
    action();
    return;
  }
  bool post;
  {
    std::lock_guard<std::mutex> guard(lock_);
    post = pending_.empty();
    pending_.push_back(std::move(action));
  }
  if (post && messageWindow_) PostMessageA(messageWindow_, kFlushMessage, 0, reinterpret_cast<LPARAM>(this));
}

void Win32FrontEnd::Flush() {
  std::vector<std::function<void()>> actions;
  {
    std::lock_guard<std::mutex> guard(lock_);
    actions.swap(pending_);
  }
  for (auto& a : actions) a();
}

// Shows the newest lines of the log (not the ones a call was made for: a worker may have logged
// since, and its hand-over may have run already). The upper line is left alone while it would
// be empty and `setUpper` is clear (the log's very first line).
void Win32FrontEnd::ApplyStatusLines(bool setUpper) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    statusPending_ = false;
  }
  std::string upper, lower;
  core::CurrentStatusLines(upper, lower);
  if (upper_ && (setUpper || !upper.empty())) {
    SetWindowTextA(upper_, upper.c_str());
    UpdateWindow(upper_);  // shown at once, even while no message loop runs
  }
  if (lower_) {
    SetWindowTextA(lower_, lower.c_str());
    UpdateWindow(lower_);
  }
}

void Win32FrontEnd::ShowStatusLines(const std::string& /*upper*/, const std::string& /*lower*/, bool setUpper) {
  if (GetCurrentThreadId() == uiThread_) {
    Flush();
    ApplyStatusLines(setUpper);
    return;
  }
  // From a worker: one hand-over shows the newest lines, however many arrived meanwhile.
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (statusPending_) return;
    statusPending_ = true;
  }
  RunOnUiThread([this] { ApplyStatusLines(true); });
}

void Win32FrontEnd::AppendLogLine(const std::string& line) {
  if (GetCurrentThreadId() == uiThread_) {
    Flush();
    AppendToLogWindow(line);
    return;
  }
  // From a worker: lines gather until the UI thread takes them all in one append.
  bool first;
  {
    std::lock_guard<std::mutex> guard(lock_);
    first = pendingLog_.empty();
    if (!first) pendingLog_ += "\r\n";
    pendingLog_ += line;
  }
  if (first) RunOnUiThread([this] {
    std::string lines;
    {
      std::lock_guard<std::mutex> guard(lock_);
      lines.swap(pendingLog_);
    }
    if (!lines.empty()) AppendToLogWindow(lines);
  });
}

void Win32FrontEnd::ProgressOpen(bool, const std::string&) {
  progressOpen_ = true;
}

void Win32FrontEnd::ProgressText(const std::string& text) {
  RunOnUiThread([this, text] {
    if (progress_) {
      SetWindowTextA(progress_, text.c_str());
      UpdateWindow(progress_);
    }
  });
}

void Win32FrontEnd::ProgressClose() {
  progressOpen_ = false;
  ProgressText("");
}

bool Win32FrontEnd::ProgressIsOpen() const { return progressOpen_; }

void Win32FrontEnd::SetMainCaption(const std::string& caption) {
  RunOnUiThread([caption] {
    if (HWND main = MainHwnd()) SetWindowTextA(main, caption.c_str());
  });
}

void Win32FrontEnd::SetRemoteCapabilities(bool mkd, bool rmd, bool rename, bool dele) {
  RunOnUiThread([this, mkd, rmd, rename, dele] {
    const bool on[4] = {mkd, rmd, rename, dele};
    for (int i = 0; i < 4; ++i)
      if (remote_[i]) EnableWindow(remote_[i], on[i]);
  });
}

void Win32FrontEnd::TransferTypeChanged() {
  if (HWND main = MainHwnd()) PostMessageA(main, WM_COMMAND, IDM_TYPECHANGED, 0);
}

void Win32FrontEnd::ShowMainWindow() {
  RunOnUiThread([] {
    if (HWND main = MainHwnd()) {
      ShowWindow(main, SW_SHOWNORMAL);
      SetForegroundWindow(main);
    }
  });
}

void Win32FrontEnd::PumpWaitingMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    HWND modeless = static_cast<HWND>(core::App().modelessDialog.load());
    if (modeless && IsDialogMessageA(modeless, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Win32FrontEnd::SetStatusLabels(HWND upper, HWND lower) {
  upper_ = upper;
  lower_ = lower;
}

void Win32FrontEnd::SetRemoteButtons(HWND mkd, HWND rmd, HWND rename, HWND dele) {
  remote_[0] = mkd;
  remote_[1] = rmd;
  remote_[2] = rename;
  remote_[3] = dele;
}

void Win32FrontEnd::SetProgressLabel(HWND label) { progress_ = label; }

}  // namespace app
