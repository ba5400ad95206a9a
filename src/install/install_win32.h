// The installer's window-side operations and its process-wide state.
#pragma once
#include <windows.h>

#include <string>

namespace install {

// The installer's state: its main window, the modeless copy dialog while it exists, and the
// flag set by the copy dialog's Cancel button.
struct InstallerState {
  HINSTANCE instance = nullptr;
  HWND mainWindow = nullptr;
  HWND copyDialog = nullptr;
  bool cancelFlag = false;
};
extern InstallerState installer;

// Dispatches every waiting message (the copy dialog's first), so windows repaint and
// Cancel is seen. A quit request is put back for the main loop.
void PumpMessages();

// Creates a directory and any missing parents; an existing directory counts as created.
// Each level that cannot be created shows its own message box. Returns success.
bool CreateDirectoryPath(const std::string& path);

// Copies `name` from the source directory (which ends in a separator) into the destination
// directory, overwriting, and shows progress in `status`. Returns 0 on success, 1 on failure
// (after a message box).
int CopyOneFile(const std::string& sourceDir, const char* name, const std::string& destDir, HWND owner, HWND status);

// The modal prompt DLG_INPUT: returns true with the edited text in `result` on OK, false on Cancel.
bool AskText(HWND owner, const std::string& prompt, const std::string& initial, std::string* result);

// The whole installation, from finding the distribution to the final message. Returns success.
bool RunInstallation(HWND mainWindow);

}  // namespace install
