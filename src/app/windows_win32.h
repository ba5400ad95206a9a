// The Win32 shell's windows: the two window classes, the "FTP Menu" popup and the log window.
#pragma once
#include <windows.h>

#include <string>

namespace app {

// Registers "MIRVAN32" and "MIRVANDBWNDC"; 0, or -1 when the main class cannot be registered.
int RegisterWindowClasses(HINSTANCE instance, WNDPROC mainProc, COLORREF buttonFace);
// Deletes the main class's brush, destroys the FTP menu and unregisters both classes.
void UnregisterWindowClasses(HINSTANCE instance);

// Builds the "FTP Menu" popup once; returns it (kept for the main window).
HMENU BuildFtpMenu();
HMENU FtpMenu();

// Opens the message log window, or raises it when it is open.
void ShowLogWindow();
// Whether the log window is open; appends a line to it when it is (UI thread only).
bool LogWindowOpen();
void AppendToLogWindow(const std::string& line);
LRESULT CALLBACK StatusWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace app
