// The message-box port: every message box of the program goes through it, so the
// Win32 shell shows a real one, the console prints it and tests answer it.
#pragma once
#include <string>

namespace ui {

// Buttons and icons (the Windows values, so the Win32 shell passes them through).
constexpr unsigned kMbOk = 0x0, kMbOkCancel = 0x1, kMbYesNoCancel = 0x3, kMbYesNo = 0x4;
constexpr unsigned kMbIconStop = 0x10, kMbIconQuestion = 0x20, kMbIconExclamation = 0x30, kMbIconInformation = 0x40;
// Answers.
constexpr int kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7;

class MessageBoxPort {
 public:
  virtual ~MessageBoxPort() = default;
  // Shows the text; `owned` is false for a box without an owner window. Returns the button pressed.
  virtual int Show(const std::string& text, const std::string& caption, unsigned flags, bool owned) = 0;
};

// Installs the port (nullptr restores the default, which writes to stderr and answers Ok/Yes).
void SetMessageBoxPort(MessageBoxPort* port);
int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags, bool owned = true);

}  // namespace ui
