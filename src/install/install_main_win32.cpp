// The installer's entry point: the "MVInstal" main window with its painted title, which runs
// the installation as soon as its message loop starts.
#include "install/install_resource.h"
#include "install/install_win32.h"

namespace {

bool installationOk = false;

// The title in the top-left corner: seven dark layers and a white one on top, as a shadow.
void PaintTitle(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  HFONT font = CreateFontA(metrics.tmHeight * 5, 0, 0, 0, 900, TRUE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  static const char kTitle[] = "MIRVAN32";
  for (int offset = 10; offset >= 4; --offset) TextOutA(dc, offset, offset, kTitle, sizeof kTitle - 1);
  SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
  TextOutA(dc, 3, 3, kTitle, sizeof kTitle - 1);
  if (old) SelectObject(dc, old);
  if (font) DeleteObject(font);
  EndPaint(window, &ps);
}

LRESULT CALLBACK InstallWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      PaintTitle(window);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDM_INSTALL_RUN) {
        installationOk = install::RunInstallation(window);
        PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  install::installer.instance = instance;

  WNDCLASSA wc{};
  wc.lpfnWndProc = InstallWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, "APP_MAIN");
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  HBRUSH background = CreateSolidBrush(RGB(0x40, 0x40, 0xFF));
  wc.hbrBackground = background;
  wc.lpszClassName = "MVInstal";
  if (!RegisterClassA(&wc)) {
    MessageBoxA(nullptr, "Window registration failed.\nExit and restart Windows.", nullptr, MB_OK | MB_ICONEXCLAMATION);
    return -1;
  }

  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  HWND main = CreateWindowA("MVInstal", "MIRVAN Install", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, 0,
                            desktop.right - desktop.left, desktop.bottom - desktop.top, nullptr, nullptr, instance,
                            nullptr);
  if (!main) {
    MessageBoxA(nullptr, "Window creation failed.\nExit and restart Windows.", nullptr, MB_OK | MB_ICONEXCLAMATION);
    return 2;
  }
  install::installer.mainWindow = main;
  ShowWindow(main, show);
  UpdateWindow(main);
  PostMessageA(main, WM_COMMAND, IDM_INSTALL_RUN, 0);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    HWND dialog = install::installer.copyDialog;
    if (dialog && IsDialogMessageA(dialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  install::installer.mainWindow = nullptr;
  DeleteObject(background);
  // A failed installation is not reported as success to whoever started the installer.
  return installationOk ? 0 : 1;
}
