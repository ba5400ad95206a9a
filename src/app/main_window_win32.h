// The main window's procedure in the Win32 shell: it makes the 43 controls, lays them out, paints
// the frames, and forwards commands, drops and the close request to the main window's logic.
#pragma once
#include <windows.h>

#include "app/front_end_win32.h"
#include "app/main_window.h"

namespace app {

// The procedure of the "MIRVAN32" window class.
LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The front end the window tells where its status lines, remote buttons and progress label are
// (set before the window is created; nullptr: none).
void SetMainFrontEnd(Win32FrontEnd* frontEnd);

// The window's logic state (one main window per process).
MainWindowState& MainState();

// A control of the main window by table index (nullptr when it does not exist).
HWND MainControlWindow(int index);

// Deletes the list and label fonts; after the message loop has ended.
void DeleteMainFonts();

// After LAYOUT or BONTOP changed: the remembered size is forgotten and the hidden window is laid
// out again from its real client area, then shown in its normal state.
void RelayoutMainWindow();

// The font chooser for the custom list font, owned by `owner`, starting from the stored
// description. Whatever its result, FONT becomes 4 and the description is stored; the new font
// is on the lists at once.
void ChooseCustomListFont(HWND owner);

}  // namespace app
