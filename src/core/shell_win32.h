// The Win32 shell's core services: dialog centring and the ports that show real windows.
#pragma once
#include <windows.h>

namespace core {

// Centres a dialog over the main window's client area (or the desktop when the main window
// is hidden or minimised), never above or left of the screen origin.
void CenterDialog(HWND dialog);

// Installs the message-box, prompt and help ports that show real windows.
void InstallWin32Ports();

// The prompt dialogs' procedure (DLG_INPUT, DLG_INPUT_PASSWORD; DLG_INPUT1 uses its twin).
INT_PTR CALLBACK MV_InputMsgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace core
