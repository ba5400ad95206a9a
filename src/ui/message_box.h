// Message boxes: every message box of the program goes through the front end, so the Win32
// shell shows a real one, the console prints it and tests answer it.
#pragma once
#include <string>

namespace ui {

// Buttons and icons (the Windows values, so the Win32 shell passes them through).
constexpr unsigned kMbOk = 0x0, kMbOkCancel = 0x1, kMbYesNoCancel = 0x3, kMbYesNo = 0x4;
constexpr unsigned kMbIconStop = 0x10, kMbIconQuestion = 0x20, kMbIconExclamation = 0x30, kMbIconInformation = 0x40;
// Answers.
constexpr int kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7;

// Shows the text through the front end; `owned` is false for a box without an owner window.
// Returns the button pressed.
int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags, bool owned = true);

}  // namespace ui
