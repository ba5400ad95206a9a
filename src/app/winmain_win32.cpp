// MIRVAN32's entry point: start-up, the main window's shell, the message loop and shutdown.
#include <winsock2.h>
#include <windows.h>

#include <optional>
#include <string>

#include "core/app_state.h"
#include "core/help.h"
#include "core/message_log.h"
#include "core/settings.h"
#include "profiles/profile_settings.h"
#include "app/front_end_win32.h"
#include "app/lifecycle.h"
#include "app/about_win32.h"
#include "app/windows_win32.h"
#include "core/shell_win32.h"
#include "app/startup.h"
#include "ftp/commands.h"
#include "ftp/control.h"
#include "ftp/login.h"
#include "ftp/socket_errors.h"
#include "listing/dir_list.h"
#include "platform/fs.h"
#include "platform/pump.h"
#include "resources/resource.h"
#include "listing/dir_list.h"
#include "app/command_line.h"
#include "transfer/data_connection.h"
#include "transfer/engine.h"
#include "ui/controls_win32.h"
#include "ui/front_end.h"
#include "ui/message_box.h"

namespace {

using namespace core;
using namespace app;

HACCEL accelerators = nullptr;
app::Win32FrontEnd* frontEnd = nullptr;

// The status area: two status lines and their scroll bar at the bottom of the main window.
constexpr int kStatusUpperId = 5101, kStatusLowerId = 5102, kStatusScrollId = 5103;
constexpr int kShowLogSysCommand = 0x0F10;  // system-menu "Show log..." (a multiple of 16)
ui::HwndLabel statusUpper, statusLower;
HWND statusScroll = nullptr;
RECT statusFrame{};

void CreateStatusArea(HWND hwnd) {
  HINSTANCE inst = static_cast<HINSTANCE>(App().appInstance);
  HFONT font = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
  for (int id : {kStatusUpperId, kStatusLowerId}) {
    HWND h = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 0, 0, 0, hwnd,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    (id == kStatusUpperId ? statusUpper : statusLower).Attach(h);
  }
  statusScroll = CreateWindowA("SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_VERT, 0, 0, 0, 0, hwnd,
                               reinterpret_cast<HMENU>(kStatusScrollId), inst, nullptr);
  if (frontEnd) frontEnd->SetStatusLabels(statusUpper.hwnd(), statusLower.hwnd());
}

void LayoutStatusArea(int width, int height) {
  const int lineH = 16, margin = 4, scrollW = GetSystemMetrics(SM_CXVSCROLL);
  int top = height - 2 * lineH - margin;
  statusFrame = RECT{margin - 2, top - 2, width - margin + 2, height - margin + 2};
  MoveWindow(statusUpper.hwnd(), margin, top, width - 2 * margin - scrollW, lineH, TRUE);
  MoveWindow(statusLower.hwnd(), margin, top + lineH, width - 2 * margin - scrollW, lineH, TRUE);
  MoveWindow(statusScroll, width - margin - scrollW, top, scrollW, 2 * lineH, TRUE);
}

// The close sequence: release what the window holds, store the session name, quit.
void CloseMainWindow(HWND hwnd) {
  if (frontEnd) frontEnd->SetStatusLabels(nullptr, nullptr);
  DestroyWindow(hwnd);
  App().mainWindow = nullptr;
  profiles::SaveCurrentSessionName();
  QuitHelp();
  SetBusy(0);
  PostQuitMessage(0);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      App().mainWindow = hwnd;
      BuildFtpMenu();
      CreateStatusArea(hwnd);
      AppendMenuA(GetSystemMenu(hwnd, FALSE), MF_SEPARATOR, 0, nullptr);
      AppendMenuA(GetSystemMenu(hwnd, FALSE), MF_STRING, kShowLogSysCommand, "Show log...");
      listing::ReserveTempNames();  // the listing and viewer temporary file names
      SetTimer(hwnd, ftp::kKeepAliveTimerId, ftp::kKeepAlivePeriodMs, nullptr);
      // The panes, buttons and lists of the main window are created here too once they exist.
      return 0;
    case WM_SIZE:
      LayoutStatusArea(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      DrawEdge(dc, &statusFrame, EDGE_SUNKEN, BF_RECT);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wParam), App().buttonFaceColour);
      return static_cast<LRESULT>(GetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND));
    case WM_VSCROLL:
      if (reinterpret_cast<HWND>(lParam) == statusScroll) {
        if (LOWORD(wParam) == SB_LINEUP) ScrollStatusLines(-1);
        else if (LOWORD(wParam) == SB_LINEDOWN) ScrollStatusLines(1);
      }
      return 0;
    case WM_LBUTTONDBLCLK: {
      POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (PtInRect(&statusFrame, pt)) ShowLogWindow();
      return 0;
    }
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == kShowLogSysCommand) {
        ShowLogWindow();
        return 0;
      }
      break;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDM_LOGWND:
        case IDM_SHOWLOG: ShowLogWindow(); return 0;
        case IDM_HELP: ShowHelp(0); return 0;
        case IDM_CMDLINE:
          // The command-line transfer; the program ends with it unless a directory stays open.
          if (app::RunCommandLine(App().commandLineBuffer) != 2) SendMessageA(hwnd, WM_CLOSE, 0, 0);
          return 0;
        case IDM_TYPECHANGED:  // the type buttons follow MODE once they exist
        case IDM_CONNECT:  // the session dialog comes with the profile dialogs
          return 0;
      }
      break;
    case WM_TIMER:
      // KEEPALIVE: a connection the server closed while idle shows as closed in the caption.
      if (wParam != ftp::kKeepAliveTimerId) break;
      if (ftp::KeepAliveTick()) SetWindowTextA(hwnd, kProgramCaption);
      return 0;
    case WM_CLOSE:
      CloseMainWindow(hwnd);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}


}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR cmdLine, int showState) {
  AppState& app = App();
  // 1. The instance, and the shell's ports.
  app.appInstance = instance;
  static app::Win32FrontEnd win32FrontEnd;
  frontEnd = &win32FrontEnd;
  ui::InstallFrontEnd(frontEnd);
  // 2. The splash window, on top until the main window is ready (at least one second).
  ShowSplash(instance);
  // 3. Threads: every platform this build runs on has them.
  app.threadsAvailable = 1;
  // 4. BusyLock is a process-wide mutex, ready before anything runs.
  // 5. The socket library, version 1.1.
  WSADATA wsa;
  if (int err = WSAStartup(MAKEWORD(1, 1), &wsa)) {
    DestroySplash();
    MessageBoxA(nullptr, ftp::SocketErrorText(err).c_str(), "WSAStartup", MB_OK | MB_ICONEXCLAMATION);
    return 1;
  }
  // 6. The blocking hook: waits on sockets keep dispatching messages and run the time-out.
  ftp::InstallBlockingHook();
  // 7. The button face colour.
  app.buttonFaceColour = GetSysColor(COLOR_BTNFACE);
  // 8. Window classes.
  if (!previous && RegisterWindowClasses(instance, WndProc, app.buttonFaceColour) == -1) {
    DestroySplash();
    MessageBoxA(nullptr, "Error registering class.\nExit and restart Windows.", nullptr, MB_OK | MB_ICONEXCLAMATION);
    WSACleanup();
    return -1;
  }
  // 9. Dialog base units.
  LONG units = GetDialogBaseUnits();
  app.dialogUnitX = LOWORD(units);
  app.dialogUnitY = HIWORD(units);
  // 10.-11. Location defaults; the command line and the settings.
  WindowLocation loc;
  std::string line;
  if (!TakeCommandLine(cmdLine ? cmdLine : "", line)) {
    ui::ShowMessageBox("The command line is longer than 511 characters and was ignored.", kProgramCaption,
                       ui::kMbOk | ui::kMbIconExclamation, false);
  }
  app::ReadStartupState(line);
  // 12. The saved window location.
  ApplySavedLocation(ReadConfigString("LOC", "", 79), loc);
  app.savedSplitX = loc.splitX;
  app.savedSplitY = loc.splitY;
  // 13. The main window.
  HWND main = CreateWindowA("MIRVAN32", "MIRVAN32",
                            WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                                WS_MAXIMIZEBOX | WS_CLIPCHILDREN,
                            loc.left, loc.top, loc.width, loc.height, nullptr, nullptr, instance, nullptr);
  if (!main) {
    DestroySplash();
    MessageBoxA(nullptr, "Window creation failed.\nExit and restart Windows.", nullptr, MB_OK | MB_ICONEXCLAMATION);
    WSACleanup();
    return 2;
  }
  app.mainWindow = main;
  // 14.-15. Command-line mode and the start-up banner.
  app.commandLineMode = DecideCommandLineMode(app.commandLineBuffer);
  if (app.commandLineMode == 1 || showState == SW_MINIMIZE) {
    ShowWindow(main, SW_MINIMIZE);
    WriteStartupBanner(wsa.szDescription);
  } else {
    WriteStartupBanner(wsa.szDescription);
    ShowWindow(main, ReadConfigInt("MAXIMIZE", 0) == 1 ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
  }
  UpdateWindow(main);
  // 16. The start directory.
  app.startDirectory = platform::CurrentDirectory();
  // 17. The first command.
  if (app.commandLineMode == 1) PostMessageA(main, WM_COMMAND, IDM_CMDLINE, 0);
  else if (Settings().autostart != 0) PostMessageA(main, WM_COMMAND, IDM_CONNECT, 0);
  // 18. Accelerators.
  accelerators = LoadAcceleratorsA(instance, "ACCEL");
  // 19. The main window is ready: the splash window goes.
  DestroySplash();
  // 20. The message loop.
  MSG msg;
  int code = 0;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    HWND modeless = static_cast<HWND>(app.modelessDialog.load());
    if (modeless && IsDialogMessageA(modeless, &msg)) continue;
    HWND mainNow = static_cast<HWND>(app.mainWindow.load());
    if (mainNow && accelerators && TranslateAcceleratorA(mainNow, accelerators, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (msg.message == WM_QUIT) code = static_cast<int>(msg.wParam);
  // After the loop: the data connections, then QUIT on the control connection; then the socket library.
  app::EndSession();
  WSACleanup();
  UnregisterWindowClasses(instance);
  ui::InstallFrontEnd(nullptr);
  return code;
}
