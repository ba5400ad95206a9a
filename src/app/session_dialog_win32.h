// The session profile dialogs of the Win32 shell: the entry point the Connect command calls.
#pragma once
#include <windows.h>

namespace app {

// Runs the session dialog (DLG_HOST) modally over `owner` (nullptr: no owner).
// Returns 1 when the user chose Ok: WorkingProfile holds the chosen profile and CurrentProfile
// has been made a copy of it, ready for the login. Returns 0 on Cancel or the close box (or
// when the dialog could not be made): WorkingProfile is CurrentProfile again and CurrentProfile
// is unchanged. Either way, what Save, Delete, Ok with AUTOSAVE, the e-mail prompt and the
// advanced dialog's firewall login wrote is in the settings file.
int RunSessionDialog(HWND owner);

// The dialog procedures: they take their data from the creation parameter and forward to
// the dialogs' logic.
INT_PTR CALLBACK MV_HostMsgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK MV_AdvConnectMsgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace app
