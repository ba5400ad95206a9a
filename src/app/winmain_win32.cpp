// MIRVAN32's entry point: start-up, the message loop with the accelerators and the modeless
// dialog, and shutdown. The main window's procedure is in main_window_win32.cpp.
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
#include "app/main_layout.h"
#include "app/main_window_win32.h"
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

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR cmdLine, int showState) {
  AppState& app = App();
  // 1. The instance, and the shell's ports.
  app.appInstance = instance;
  static app::Win32FrontEnd win32FrontEnd;
  frontEnd = &win32FrontEnd;
  ui::InstallFrontEnd(frontEnd);
  app::SetMainFrontEnd(frontEnd);
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
  if (!previous && RegisterWindowClasses(instance, app::MainWndProc, app.buttonFaceColour) == -1) {
    DestroySplash();
    MessageBoxA(nullptr, "Error registering class.\nExit and restart Windows.", nullptr, MB_OK | MB_ICONEXCLAMATION);
    WSACleanup();
    return -1;
  }
  // 9. Dialog base units.
  LONG units = GetDialogBaseUnits();
  app.dialogUnitX = LOWORD(units);
  app.dialogUnitY = HIWORD(units);
  if (HDC screen = GetDC(nullptr)) {
    app.dialogUnitDpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
  // 10.-11. Location defaults; the command line and the settings.
  WindowLocation loc;
  std::string line;
  if (!TakeCommandLine(cmdLine ? cmdLine : "", line)) {
    ui::ShowMessageBox("The command line is longer than 511 characters and was ignored.", kProgramCaption,
                       ui::kMbOk | ui::kMbIconExclamation, false);
  }
  app::ReadStartupState(line);
  // 12. The saved window location; without one, the default size is for 96 DPI and grows with the
  // screen's.
  loc.width = app::ScaleForDpi(loc.width, app.dialogUnitDpi, 96);
  loc.height = app::ScaleForDpi(loc.height, app.dialogUnitDpi, 96);
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
  app::DeleteMainFonts();
  ui::InstallFrontEnd(nullptr);
  return code;
}
