// DLG_ABORT: the modeless transfer status dialog with its percentage bar, shown on the UI thread.
#include "app/status_dialog_win32.h"

#include "core/app_state.h"
#include "ftp/control.h"
#include "core/shell_win32.h"
#include "resources/resource.h"

namespace app {
namespace {

// The dialog's state; touched on the UI thread only.
struct DialogState {
  HWND dialog = nullptr;
  WNDPROC barProc = nullptr;  // the bar's own procedure while it is drawn as a bar
  unsigned percent = 0;
  std::string barText;
  RECT saved{};  // where the dialog was when it last closed (a top edge of 0: nowhere yet)
  bool closing = false;  // the transfer ended; the dialog goes when the close timer fires
} ds;

// A transfer's end takes the dialog down only after this pause: the next file of a batch or a
// tree reuses it, so a batch shows one dialog instead of one per file (creating and taking down
// a window per file would flicker, and costs seconds a file on some X desktops).
constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT kCloseDelayMs = 300;

HWND MainHwnd() { return static_cast<HWND>(core::App().mainWindow.load()); }

void PaintBar(HWND bar) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(bar, &ps);
  RECT rc;
  GetClientRect(bar, &rc);
  const int filled = FilledWidth(rc.right, ds.percent);
  if (filled > 0) {
    RECT done = rc;
    done.right = filled;
    FillRect(dc, &done, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
  }
  RECT rest = rc;
  rest.left = filled;
  if (rest.left < rest.right) FillRect(dc, &rest, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HGDIOBJ oldFont = nullptr;
  if (HFONT font = reinterpret_cast<HFONT>(SendMessageA(GetParent(bar), WM_GETFONT, 0, 0)))
    oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  DrawTextA(dc, ds.barText.c_str(), -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (oldFont) SelectObject(dc, oldFont);
  EndPaint(bar, &ps);
}

// The bar while a total is known: a new text repaints it at once, filled to the percentage.
LRESULT CALLBACK FillProc(HWND bar, UINT msg, WPARAM wParam, LPARAM lParam) {
  WNDPROC own = ds.barProc;
  if (!own) return DefWindowProcA(bar, msg, wParam, lParam);
  switch (msg) {
    case WM_SETTEXT: {
      ds.barText = lParam ? reinterpret_cast<const char*>(lParam) : "";
      LRESULT r = CallWindowProcA(own, bar, msg, wParam, lParam);  // kept for WM_GETTEXT
      InvalidateRect(bar, nullptr, FALSE);
      UpdateWindow(bar);
      return r;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintBar(bar);
      return 0;
  }
  return CallWindowProcA(own, bar, msg, wParam, lParam);
}

void CloseNow(bool cancel) {
  HWND d = ds.dialog;
  if (!d) return;
  HWND main = MainHwnd();
  if (ds.closing) {
    KillTimer(d, kCloseTimer);
    ds.closing = false;
  }
  if (cancel) {
    // First the transfer: the moving block ends it (failed), and the Cancel command raises the
    // batch's flag. Taking the window down may take a while on some desktops; the transfer
    // does not wait for that.
    CancelFromStatusDialog();
    if (main) SendMessageA(main, WM_COMMAND, IDM_CANCEL, 0);
    if (ds.dialog != d) return;  // the Cancel command closed it meanwhile
  }
  RECT r;
  if (GetWindowRect(d, &r)) ds.saved = r;
  if (main) EnableWindow(main, TRUE);
  if (ds.barProc) {
    SetWindowLongPtrA(GetDlgItem(d, IDC_STATUS_BAR), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ds.barProc));
    ds.barProc = nullptr;
  }
  ds.dialog = nullptr;
  void* expected = d;
  core::App().modelessDialog.compare_exchange_strong(expected, nullptr);
  if (GetActiveWindow() == d && main) SetActiveWindow(main);
  DestroyWindow(d);
  if (main) InvalidateRect(main, nullptr, TRUE);
}

INT_PTR CALLBACK StatusDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      if (ds.saved.top != 0)
        MoveWindow(dialog, ds.saved.left, ds.saved.top, ds.saved.right - ds.saved.left, ds.saved.bottom - ds.saved.top,
                   FALSE);
      else
        core::CenterDialog(dialog);
      const auto* text = reinterpret_cast<const std::string*>(lParam);
      SetDlgItemTextA(dialog, IDC_STATUS_TEXT, text ? text->c_str() : "");
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        CloseNow(LOWORD(wParam) == IDCANCEL);
        return TRUE;
      }
      break;
    case WM_CLOSE:  // the close box is Cancel
      CloseNow(true);
      return TRUE;
    case WM_TIMER:
      if (wParam != kCloseTimer) break;
      KillTimer(dialog, kCloseTimer);
      if (ds.dialog == dialog && ds.closing) CloseNow(false);
      return TRUE;
    case WM_DESTROY:
      if (ds.dialog == dialog) {  // destroyed with its owner
        ds.dialog = nullptr;
        ds.barProc = nullptr;
        ds.closing = false;
        void* expected = dialog;
        core::App().modelessDialog.compare_exchange_strong(expected, nullptr);
      }
      break;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORDLG:
      return static_cast<INT_PTR>(core::ControlColour(msg, wParam));
  }
  return FALSE;
}

// The dialog of the transfer before, still up, shows this one from the start.
void ReuseNow(const std::string& statusText) {
  HWND d = ds.dialog;
  KillTimer(d, kCloseTimer);
  ds.closing = false;
  ds.percent = 0;
  ds.barText.clear();
  SetDlgItemTextA(d, IDC_STATUS_TEXT, statusText.c_str());
  SetDlgItemTextA(d, IDC_STATUS_PROGRESS, "");
  if (HWND bar = GetDlgItem(d, IDC_STATUS_BAR)) {
    SetWindowTextA(bar, "");
    InvalidateRect(bar, nullptr, TRUE);
  }
  UpdateWindow(d);
}

void OpenNow(const std::string& statusText) {
  if (ds.dialog && ds.closing) {
    ReuseNow(statusText);
    return;
  }
  if (ds.dialog) CloseNow(false);
  HWND main = MainHwnd();
  HWND before = GetActiveWindow();
  ds.percent = 0;
  ds.barText.clear();
  HWND d = CreateDialogParamA(static_cast<HINSTANCE>(core::App().appInstance), "DLG_ABORT", main, StatusDialogProc,
                              reinterpret_cast<LPARAM>(&statusText));
  if (!d) return;
  ds.dialog = d;
  core::App().modelessDialog = d;
  ShowWindow(d, SW_SHOW);
  // The dialog does not take the focus from another window the user was in.
  if (before && before != main && before != d && IsWindow(before)) SetActiveWindow(before);
  UpdateWindow(d);
}

void SetBarNow(const std::string& text, unsigned percent) {
  if (!ds.dialog) return;
  HWND bar = GetDlgItem(ds.dialog, IDC_STATUS_BAR);
  if (!bar) return;
  if (!ds.barProc)
    ds.barProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FillProc)));
  ds.percent = percent;
  SetWindowTextA(bar, text.c_str());
}

void SetProgressNow(const std::string& text) {
  if (!ds.dialog) return;
  HWND label = GetDlgItem(ds.dialog, IDC_STATUS_PROGRESS);
  SetWindowTextA(label, text.c_str());
  UpdateWindow(label);
}

}  // namespace

void Win32StatusDialog::Open(const std::string& statusText) {
  Change([&](Pending& p) {
    // A transfer that opened and ended while the UI thread was busy is never shown.
    p.open = true;
    p.openText = statusText;
    p.progress = p.bar = p.closeLast = false;
  });
}

void Win32StatusDialog::SetProgressText(const std::string& text) {
  Change([&](Pending& p) {
    p.progress = true;
    p.progressText = text;
  });
}

void Win32StatusDialog::SetBar(const std::string& text, unsigned percent) {
  Change([&](Pending& p) {
    p.bar = true;
    p.barText = text;
    p.percent = percent;
  });
}

void Win32StatusDialog::Close() {
  Change([](Pending& p) { (p.open ? p.closeLast : p.closeFirst) = true; });
}

void Win32StatusDialog::Change(const std::function<void(Pending&)>& change) {
  bool post;
  {
    std::lock_guard<std::mutex> guard(lock_);
    change(pending_);
    post = !posted_;
    posted_ = true;
  }
  if (post) runOnUi_([this] { Apply(); });  // outside the lock: on the UI thread it runs at once
}

void Win32StatusDialog::Apply() {
  Pending p;
  {
    std::lock_guard<std::mutex> guard(lock_);
    p = std::move(pending_);
    pending_ = Pending();
    posted_ = false;
  }
  // A transfer's end takes the dialog down a little later, unless the next one reuses it.
  auto closeSoon = [] {
    if (!ds.dialog || ds.closing) return;
    ds.closing = true;
    if (!SetTimer(ds.dialog, kCloseTimer, kCloseDelayMs, nullptr)) CloseNow(false);
  };
  if (p.closeFirst) closeSoon();
  if (p.open) OpenNow(p.openText);
  if (p.progress) SetProgressNow(p.progressText);
  if (p.bar) SetBarNow(p.barText, p.percent);
  if (p.closeLast) closeSoon();
}

HWND StatusDialogWindow() { return ds.dialog; }

void DestroyStatusDialog() { CloseNow(false); }

}  // namespace app
