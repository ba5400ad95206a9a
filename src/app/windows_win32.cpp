// Window classes, the message log window and the "FTP Menu" popup.
#include <windows.h>

#include <string>

#include "core/app_state.h"
#include "core/message_log.h"
#include "app/windows_win32.h"
#include "core/shell_win32.h"
#include "app/startup.h"
#include "ftp/control.h"
#include "resources/resource.h"
#include "ui/controls_win32.h"

namespace app {
using namespace core;
namespace {

HBRUSH mainBrush = nullptr;
HMENU ftpMenu = nullptr;
HMENU ftpSubmenus[2] = {nullptr, nullptr};
HWND logWindow = nullptr;
HWND logText = nullptr;
WNDPROC logTextOriginalProc = nullptr;
ui::HwndEdit logEdit;

HWND MainHwnd() { return static_cast<HWND>(App().mainWindow.load()); }

void ShowFtpMenuAt(HWND owner, POINT screen) {
  if (ftpMenu) TrackPopupMenu(ftpMenu, TPM_CENTERALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr);
}

LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_RBUTTONUP || msg == WM_LBUTTONDBLCLK) {
    POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(hwnd, &pt);
    ShowFtpMenuAt(MainHwnd(), pt);
    return 0;
  }
  return CallWindowProcA(logTextOriginalProc, hwnd, msg, wParam, lParam);
}

void CloseLogWindow(HWND hwnd) {
  if (logText && logTextOriginalProc)
    SetWindowLongPtrA(logText, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(logTextOriginalProc));
  logText = nullptr;
  logWindow = nullptr;
  DestroyWindow(hwnd);
}

void CopySelection() {
  SendMessageA(logText, WM_COPY, 0, 0);
  SendMessageA(logText, EM_SETSEL, 0, -1);
}

}  // namespace

int RegisterWindowClasses(HINSTANCE instance, WNDPROC mainProc, COLORREF buttonFace) {
  mainBrush = CreateSolidBrush(buttonFace);
  WNDCLASSA wc{};
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_BYTEALIGNWINDOW;
  wc.lpfnWndProc = mainProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(APP_MAIN));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = mainBrush;
  wc.lpszClassName = "MIRVAN32";
  if (!RegisterClassA(&wc)) return -1;
  wc.lpfnWndProc = StatusWndProc;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszMenuName = "LOGMENU";
  wc.lpszClassName = "MIRVANDBWNDC";
  RegisterClassA(&wc);
  return 0;
}

void UnregisterWindowClasses(HINSTANCE instance) {
  if (mainBrush) DeleteObject(mainBrush);
  mainBrush = nullptr;
  // Destroying the popup destroys its submenus with it.
  if (ftpMenu) DestroyMenu(ftpMenu);
  ftpMenu = ftpSubmenus[0] = ftpSubmenus[1] = nullptr;
  UnregisterClassA("MIRVAN32", instance);
  UnregisterClassA("MIRVANDBWNDC", instance);
}

HMENU BuildFtpMenu() {
  if (ftpMenu) return ftpMenu;
  ftpMenu = CreatePopupMenu();
  int sub = 0;
  for (const MenuEntry& e : FtpMenuLayout()) {
    switch (e.kind) {
      case MenuEntry::kTitle:
        AppendMenuA(ftpMenu, MF_STRING | MF_GRAYED, 0, e.text.c_str());
        break;
      case MenuEntry::kSeparator:
        AppendMenuA(ftpMenu, MF_SEPARATOR, 0, nullptr);
        break;
      case MenuEntry::kItem:
        AppendMenuA(ftpMenu, MF_STRING, e.id, e.text.c_str());
        break;
      case MenuEntry::kSubmenu: {
        HMENU m = CreatePopupMenu();
        for (const MenuEntry& c : e.children) {
          if (c.kind == MenuEntry::kSeparator) AppendMenuA(m, MF_SEPARATOR, 0, nullptr);
          else AppendMenuA(m, MF_STRING, c.id, c.text.c_str());
        }
        AppendMenuA(ftpMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(m), e.text.c_str());
        if (sub < 2) ftpSubmenus[sub++] = m;
        break;
      }
    }
  }
  return ftpMenu;
}

HMENU FtpMenu() { return ftpMenu; }

bool LogWindowOpen() { return logText != nullptr; }

void AppendToLogWindow(const std::string& line) {
  if (logText) logEdit.AppendText(line + "\r\n");
}

void ShowLogWindow() {
  if (logText) {
    SetWindowPos(logWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetFocus(logText);
    return;
  }
  RECT r{0, 0, 600, 400};
  if (HWND main = MainHwnd()) GetWindowRect(main, &r);
  HINSTANCE inst = static_cast<HINSTANCE>(App().appInstance);
  logWindow = CreateWindowA("MIRVANDBWNDC", "Message Log", WS_OVERLAPPEDWINDOW, r.left, r.top + 40, r.right - r.left,
                            (r.bottom - r.top) / 2, nullptr, nullptr, inst, nullptr);
  if (!logWindow) return;
  RECT c;
  GetClientRect(logWindow, &c);
  logText = CreateWindowA("EDIT", "",
                          WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                              ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                          0, 0, c.right, c.bottom, logWindow, reinterpret_cast<HMENU>(IDC_LOGTEXT), inst, nullptr);
  SendMessageA(logText, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), FALSE);
  // The whole session's lines: an edit control takes only about 30,000 characters unless told.
  SendMessageA(logText, EM_SETLIMITTEXT, 0, 0);
  logTextOriginalProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(logText, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProc)));
  logEdit.Attach(logText);
  // Every stored line, all selected; new lines are appended as they come.
  logEdit.AppendText(LogWindowText());
  logEdit.SelectAll();
  ShowWindow(logWindow, SW_SHOW);
}

LRESULT CALLBACK StatusWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      if (logText) MoveWindow(logText, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_CLOSE:
      CloseLogWindow(hwnd);
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDM_LOG_EXIT: CloseLogWindow(hwnd); return 0;
        case IDM_COPY: CopySelection(); return 0;
        case IDM_LOG_SAVEAS: SaveLog(); return 0;
      }
      break;
    case WM_RBUTTONUP: {
      POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      ClientToScreen(hwnd, &pt);
      ShowFtpMenuAt(hwnd, pt);
      return 0;
    }
    case WM_SETCURSOR:
      // The busy cursor while an FTP operation is in progress.
      if (ftp::Conn().commandDepth.load() != 0) {
        SetCursor(LoadCursorA(nullptr, IDC_APPSTARTING));
        return TRUE;
      }
      break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}


}  // namespace app
