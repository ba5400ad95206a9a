// The Win32 shell's core services: dialog centring and the ports that show real windows.
#pragma once
#include <windows.h>

namespace core {

// Centres a dialog over the main window's client area (or the desktop when the main window
// is hidden or minimised), never above or left of the screen origin.
void CenterDialog(HWND dialog);

// The shared colour handler of the main window and every dialog: button and static requests
// get the label font and the button-face background, dialog requests the background brush;
// edit and list box requests (and anything else) return 0 so the system's defaults apply.
// Returns the brush to answer with, or 0 when the caller should fall back to the default.
LRESULT ControlColour(UINT msg, WPARAM wParam);
// The label font the colour handler selects (the main window sets it when it makes its fonts).
void SetLabelFont(HFONT font);
// The background brush of button faces, made on first use and kept for the run.
HBRUSH BackgroundBrush();

// Installs the message-box, prompt and help ports that show real windows.
void InstallWin32Ports();

// The prompt dialogs' procedure (DLG_INPUT, DLG_INPUT_PASSWORD; DLG_INPUT1 uses its twin).
INT_PTR CALLBACK MV_InputMsgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace core
