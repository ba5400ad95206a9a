// DLG_DELETE: the delete confirmation behind the ConfirmDelete port.
#include "app/confirm_delete_win32.h"

#include <windows.h>

#include <string>

#include "app/file_commands.h"
#include "core/app_state.h"
#include "core/shell_win32.h"
#include "resources/files_resource.h"

namespace app {
namespace {

struct DeleteQuestion {
  const std::string* text;
  bool offerAll;
};

INT_PTR CALLBACK DeleteDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      const auto* q = reinterpret_cast<const DeleteQuestion*>(lParam);
      SetDlgItemTextA(dialog, IDC_DELETE_TEXT, q->text->c_str());
      if (!q->offerAll) ShowWindow(GetDlgItem(dialog, IDC_DELETE_ALL), SW_HIDE);
      core::CenterDialog(dialog);
      SetFocus(GetDlgItem(dialog, IDOK));
      return FALSE;  // the focus is set
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
        case IDC_DELETE_NO:
        case IDC_DELETE_ALL:
          EndDialog(dialog, LOWORD(wParam));
          return TRUE;
      }
      break;
    case WM_CLOSE:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return static_cast<INT_PTR>(core::ControlColour(msg, wParam));
  }
  return FALSE;
}

class Win32ConfirmDelete : public ConfirmDeletePort {
 public:
  int Ask(const std::string& text, bool offerDeleteAll) override {
    DeleteQuestion q{&text, offerDeleteAll};
    INT_PTR r = DialogBoxParamA(static_cast<HINSTANCE>(core::App().appInstance), "DLG_DELETE",
                                static_cast<HWND>(core::App().mainWindow.load()), DeleteDialogProc,
                                reinterpret_cast<LPARAM>(&q));
    return r <= 0 ? kDeleteCancel : static_cast<int>(r);
  }
};

}  // namespace

void InstallWin32ConfirmDelete() {
  static Win32ConfirmDelete port;
  SetConfirmDeletePort(&port);
}

}  // namespace app
