// The list-editor dialogs of the Win32 shell (opened from the options dialog).
#pragma once
#include <windows.h>

namespace transfer {
// Each runs its dialog modally; 1 when it was left with Exit (the list written), 0 on Cancel.
int EditAsciiExtensions(HWND parent);
int EditConversions(HWND parent);
}  // namespace transfer
