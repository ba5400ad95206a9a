// The Win32 shell's own entry points: window classes, the log window, the FTP menu,
// dialog centring, and the ports that show real windows.
#pragma once
#include <windows.h>

namespace core {

// Registers "MIRVAN32" and "MIRVANDBWNDC"; 0, or -1 when the main class cannot be registered.
int RegisterWindowClasses(HINSTANCE instance, WNDPROC mainProc, COLORREF buttonFace);
// Deletes the main class's brush, destroys the FTP menu and unregisters both classes.
void UnregisterWindowClasses(HINSTANCE instance);

// Builds the "FTP Menu" popup once; returns it (kept for the main window).
HMENU BuildFtpMenu();
HMENU FtpMenu();

// Opens the message log window, or raises it when it is open.
void ShowLogWindow();
LRESULT CALLBACK StatusWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Centres a dialog over the main window's client area (or the desktop when the main window
// is hidden or minimised), never above or left of the screen origin.
void CenterDialog(HWND dialog);

// Installs the message-box, prompt and help ports that show real windows.
void InstallWin32Ports();

// The prompt dialogs' procedure (DLG_INPUT, DLG_INPUT_PASSWORD; DLG_INPUT1 uses its twin).
INT_PTR CALLBACK MV_InputMsgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace core
