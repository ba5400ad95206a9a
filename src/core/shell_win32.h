// The Win32 shell's core services: dialog centring and the ports that show real windows.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "ui/front_end.h"

namespace core {

// Centres a dialog over the main window's client area (or the desktop when the main window
// is hidden or minimised), never above or left of the screen origin.
void CenterDialog(HWND dialog);

// The shared colour handler of the main window and every dialog: button and static requests
// get the label font and the button-face background, dialog requests the background brush;
// edit and list box requests (and anything else) return 0 so the system's defaults apply.
// Returns the brush to answer with, or 0 when the caller should fall back to the default.
LRESULT ControlColour(UINT msg, WPARAM wParam);
// The label font the colour handler selects (the main window sets it when it makes its fonts).
void SetLabelFont(HFONT font);
// The background brush of button faces, made on first use and kept for the run.
HBRUSH BackgroundBrush();

// F1 and F2 go to the focused control, not to its dialog, so the modal loops of the dialogs that
// carry a help context are watched: either key in such a dialog opens its topic. SetDialogHelp
// at WM_INITDIALOG (the first one on a thread starts the watch), ClearDialogHelp at WM_DESTROY
// (the last one ends it).
void SetDialogHelp(HWND dialog, int context);
void ClearDialogHelp(HWND dialog);

// The questions and the help of the Win32 shell: real message boxes, the prompt dialogs and the
// help window. The main window's front end builds on it; what concerns the main window is left
// to it (so a front end that forgets one does not compile).
class Win32Dialogs : public ui::FrontEnd {
 public:
  int ShowMessage(const std::string& text, const std::string& caption, unsigned flags, bool owned) override;
  int Prompt(ui::PromptKind kind, const std::string& promptText, std::string& input,
             const std::vector<std::string>& history) override;
  void ShowHelp(const std::string& helpFile, int context) override;
  void QuitHelp() override;
};

// The prompt dialogs' procedure (DLG_INPUT, DLG_INPUT_PASSWORD; DLG_INPUT1 uses its twin).
INT_PTR CALLBACK MV_InputMsgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace core
