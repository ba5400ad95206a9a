// Win32 half of the message pump: dispatch what is waiting, leaving the quit message for the main loop.
#include <windows.h>

namespace platform {

void PlatformPump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace platform
