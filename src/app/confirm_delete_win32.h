// The delete confirmation as a real dialog (DLG_DELETE).
#pragma once

namespace app {

// Installs the port that shows DLG_DELETE over the main window for ConfirmDelete.
void InstallWin32ConfirmDelete();

}  // namespace app
