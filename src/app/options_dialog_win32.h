// The options dialogs of the Win32 shell: the hub the Options command opens, and its two
// settings dialogs.
#pragma once
#include <windows.h>

#include "app/main_window.h"

namespace app {

// Runs DLG_OPTIONS modally over `owner` until "E&xit" or the close box.
void ShowOptionsDialog(HWND owner, MainWindowState& w);
// Runs DLG_PROG_OPTIONS: 1 after Save (the main window laid out again when LAYOUT or BONTOP
// changed), 0 after Cancel.
int ShowProgramOptions(HWND owner);
// Runs DLG_SES_OPTIONS: 1 after Save (the remote list and listing follow), 0 after Cancel.
int ShowSessionOptions(HWND owner, MainWindowState& w);

INT_PTR CALLBACK MV_OptionsMsgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK MV_ProgOptionsMsgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK MV_SesOptionsMsgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace app
