// The associations dialog as a real dialog (DLG_ASSOCIATE).
#pragma once
#include <windows.h>

#include <string>

namespace app {

// Shows DLG_ASSOCIATE over `owner` with `offeredExt` in the extension field: 1 when an
// association was saved, 0 on Cancel.
int RunAssociateDialog(HWND owner, const std::string& offeredExt);

// Installs the port through which Exec asks for a missing association (the main window's).
void InstallWin32Associations();

INT_PTR CALLBACK MV_AssociateMsgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace app
