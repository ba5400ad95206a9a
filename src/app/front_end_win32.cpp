// The Win32 front end: views updated on the UI thread, handed over from workers by a posted message.
#include "app/front_end_win32.h"

#include <chrono>
#include <condition_variable>

#include "app/status_dialog_win32.h"
#include "app/windows_win32.h"
#include "core/app_state.h"
#include "core/message_log.h"
#include "ftp/control.h"
#include "resources/resource.h"
#include "ui/message_box.h"

namespace app {
namespace {

constexpr UINT kFlushMessage = WM_APP + 1;
constexpr const char* kFlushClass = "MIRVANFLUSH";

LRESULT CALLBACK FlushProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kFlushMessage) {
    auto* fe = reinterpret_cast<Win32FrontEnd*>(lParam);
    fe->Flush();
    fe->PaintIfDue();
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND MainHwnd() { return static_cast<HWND>(core::App().mainWindow.load()); }

// A question a worker has handed to the UI thread.
struct UiQuestion {
  std::mutex lock;
  std::condition_variable answered;
  bool showing = false, done = false, abandoned = false;
  HWND window = nullptr;  // the dialog or message box asking it, once it is up
  int result = 0;
};

// The question being shown on the UI thread, whose window the hook below notes.
UiQuestion* capturing = nullptr;
HHOOK captureHook = nullptr;

LRESULT CALLBACK CaptureQuestionWindow(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && capturing) {
    HWND h = reinterpret_cast<HWND>(wParam);
    char cls[16] = "";
    GetClassNameA(h, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") == 0) {
      std::lock_guard<std::mutex> guard(capturing->lock);
      if (!capturing->window) capturing->window = h;
    }
  }
  return CallNextHookEx(captureHook, code, wParam, lParam);
}

// Cancel, Close and Exit raise one of these; a worker's question is then given up.
struct CancelMarks {
  int batch = ftp::Conn().batchCancel.load();
  int abort = ftp::Conn().abortFlag.load();
  bool Raised() const {
    return (batch == 0 && ftp::Conn().batchCancel.load() != 0) || (abort == 0 && ftp::Conn().abortFlag.load() != 0);
  }
};

}  // namespace

// The progress label in use while HASH is off, written on the UI thread.
class Win32FrontEnd::ProgressLabel : public ui::Label {
 public:
  ProgressLabel(Win32FrontEnd* fe, int slot) : fe_(fe), slot_(slot) {}
  void SetText(const std::string& text) override {
    {
      std::lock_guard<std::mutex> guard(lock_);
      text_ = text;
    }
    Win32FrontEnd* fe = fe_;
    const int slot = slot_;
    fe_->RunOnUiThread([fe, slot, text] {
      if (HWND h = fe->progressLabels_[slot]) {
        SetWindowTextA(h, text.c_str());
        UpdateWindow(h);
      }
    });
  }
  std::string Text() const override {  // the text last set, shown or about to be
    std::lock_guard<std::mutex> guard(lock_);
    return text_;
  }
  void SetEnabled(bool) override {}  // a progress label is always enabled
  bool IsEnabled() const override { return true; }

 private:
  Win32FrontEnd* fe_;
  int slot_;
  mutable std::mutex lock_;
  std::string text_;
};

Win32FrontEnd::Win32FrontEnd() : uiThread_(GetCurrentThreadId()) {
  auto runOnUi = [this](std::function<void()> action) { RunOnUiThread(std::move(action)); };
  statusDialog_ = std::make_unique<Win32StatusDialog>(runOnUi);
  localProgress_ = std::make_unique<ProgressLabel>(this, 0);
  remoteProgress_ = std::make_unique<ProgressLabel>(this, 1);
  progress_ = std::make_unique<StatusProgressPort>(statusDialog_.get(), localProgress_.get(), remoteProgress_.get());
  HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = FlushProc;
  wc.hInstance = inst;
  wc.lpszClassName = kFlushClass;
  RegisterClassA(&wc);  // fails harmlessly when a front end made it before
  messageWindow_ = CreateWindowA(kFlushClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, inst, nullptr);
}

Win32FrontEnd::~Win32FrontEnd() {
  DestroyStatusDialog();
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

void Win32FrontEnd::PaintIfDue() {
  const DWORD now = GetTickCount();
  if (now - lastPaint_ < kPaintEveryMs) return;
  lastPaint_ = now;
  for (HWND w : {MainHwnd(), StatusDialogWindow()})
    if (w) RedrawWindow(w, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
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

int Win32FrontEnd::AskOnUiThread(std::function<int()> ask, int cancelled) {
  auto q = std::make_shared<UiQuestion>();
  const CancelMarks marks;
  RunOnUiThread([q, ask, marks] {
    {
      std::lock_guard<std::mutex> guard(q->lock);
      if (q->abandoned) return;
      q->showing = true;
    }
    int result = 0;
    bool asked = false;
    if (!marks.Raised()) {  // no question once the batch is being stopped
      UiQuestion* outer = capturing;
      capturing = q.get();
      HHOOK hook = SetWindowsHookExA(WH_CBT, CaptureQuestionWindow, nullptr, GetCurrentThreadId());
      HHOOK outerHook = captureHook;
      captureHook = hook;
      result = ask();
      asked = true;
      if (hook) UnhookWindowsHookEx(hook);
      captureHook = outerHook;
      capturing = outer;
    }
    std::lock_guard<std::mutex> guard(q->lock);
    q->result = result;
    q->done = asked;
    q->abandoned = q->abandoned || !asked;
    q->answered.notify_all();
  });
  std::unique_lock<std::mutex> lk(q->lock);
  while (!q->done && !q->abandoned) {
    if (marks.Raised()) {
      q->abandoned = true;
      if (q->showing) {  // take the question down; the UI thread ends it (never this thread)
        RunOnUiThread([q, cancelled] {
          HWND w;
          {
            std::lock_guard<std::mutex> guard(q->lock);
            w = q->done ? nullptr : q->window;
          }
          if (w && IsWindow(w)) EndDialog(w, cancelled);
        });
      }
      break;
    }
    q->answered.wait_for(lk, std::chrono::milliseconds(50));
  }
  return q->done && !q->abandoned ? q->result : cancelled;
}

int Win32FrontEnd::ShowMessage(const std::string& text, const std::string& caption, unsigned flags, bool owned) {
  if (GetCurrentThreadId() == uiThread_) return Win32Dialogs::ShowMessage(text, caption, flags, owned);
  const unsigned buttons = flags & 0xF;
  const int cancelled = buttons == ui::kMbYesNo ? ui::kIdNo : ui::kIdCancel;
  return AskOnUiThread([this, text, caption, flags, owned] { return Win32Dialogs::ShowMessage(text, caption, flags, owned); },
                       cancelled);
}

int Win32FrontEnd::Prompt(ui::PromptKind kind, const std::string& promptText, std::string& input,
                          const std::vector<std::string>& history) {
  if (GetCurrentThreadId() == uiThread_) return Win32Dialogs::Prompt(kind, promptText, input, history);
  // The UI thread works on copies: a worker that gives up must not have its strings written later.
  auto answer = std::make_shared<std::string>(input);
  int ok = AskOnUiThread(
      [this, kind, promptText, answer, history] { return Win32Dialogs::Prompt(kind, promptText, *answer, history); },
      0);
  if (ok == 1) input = *answer;
  return ok == 1 ? 1 : 0;
}

void Win32FrontEnd::ProgressOpen(bool sending, const std::string& statusText) { progress_->Open(sending, statusText); }

void Win32FrontEnd::ProgressText(const std::string& text) { progress_->SetProgress(text); }

void Win32FrontEnd::ProgressClose() { progress_->Close(); }

bool Win32FrontEnd::ProgressIsOpen() const { return progress_->IsOpen(); }

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
  // A worker owns no window (its questions are asked on the UI thread): nothing of its own to
  // dispatch, and under Wine every look into the queue is a trip to the server.
  if (GetCurrentThreadId() != uiThread_) return;
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

void Win32FrontEnd::SetProgressLabels(HWND local, HWND remote) {
  progressLabels_[0] = local;
  progressLabels_[1] = remote;
}

}  // namespace app
