// Answers a modal dialog from a test: once a dialog with the given title exists, the steps run
// on a timer tick inside that dialog's own modal loop (so they can type, click and close it).
#pragma once
#include <windows.h>

namespace testing_support {

// Arms the script; call it right before the call that opens the modal dialog.
void ScheduleDialogScript(const char* title, void (*steps)(HWND dialog));
// True once the steps have run.
bool DialogScriptRan();

}  // namespace testing_support
