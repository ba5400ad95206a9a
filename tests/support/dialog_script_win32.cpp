// Timer-driven answers to modal dialogs in GUI tests.
#include "support/dialog_script_win32.h"

namespace testing_support {
namespace {

struct Script {
  const char* title = nullptr;
  void (*steps)(HWND) = nullptr;
  bool ran = false;
} script;

void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = FindWindowA("#32770", script.title);
  if (!dialog || script.ran) return;
  script.ran = true;
  KillTimer(nullptr, id);
  script.steps(dialog);
}

}  // namespace

void ScheduleDialogScript(const char* title, void (*steps)(HWND dialog)) {
  script = Script{title, steps, false};
  SetTimer(nullptr, 0, 50, Tick);
}

bool DialogScriptRan() { return script.ran; }

}  // namespace testing_support
