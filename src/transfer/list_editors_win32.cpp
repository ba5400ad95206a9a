// The list-editor dialogs DLG_EXTENSIONS and DLG_CONVERT: the dialog procedures forward to the editors.
#include <windows.h>

#include <memory>

#include "core/app_state.h"
#include "core/help.h"
#include "core/shell_win32.h"
#include "resources/transfer_resource.h"
#include "transfer/list_editors.h"
#include "transfer/list_editors_win32.h"
#include "ui/controls_win32.h"

namespace transfer {
namespace {

struct EditorDialog {
  ui::HwndEdit entry, dest;
  ui::HwndListBox list;
  std::unique_ptr<AsciiExtensionsEditor> ascii;
  std::unique_ptr<ConversionsEditor> conv;
};
EditorDialog* active = nullptr;

INT_PTR CALLBACK EditorProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (!active) return FALSE;
  switch (msg) {
    case WM_INITDIALOG:
      core::CenterDialog(dialog);
      active->entry.Attach(GetDlgItem(dialog, IDC_LISTEDIT_ENTRY));
      active->dest.Attach(GetDlgItem(dialog, IDC_LISTEDIT_DEST));
      active->list.Attach(GetDlgItem(dialog, IDC_LISTEDIT_LIST));
      SendDlgItemMessageA(dialog, IDC_LISTEDIT_ENTRY, EM_LIMITTEXT, active->ascii ? 9 : 19, 0);
      SendDlgItemMessageA(dialog, IDC_LISTEDIT_DEST, EM_LIMITTEXT, 19, 0);
      if (active->ascii) active->ascii->Open();
      else active->conv->Open();
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_LISTEDIT_ADD:
          if (active->ascii) active->ascii->Add();
          else active->conv->Add();
          return TRUE;
        case IDC_LISTEDIT_DELETE:
          if (active->ascii) active->ascii->Delete();
          else active->conv->Delete();
          return TRUE;
        case IDC_LISTEDIT_LIST:
          if (HIWORD(wParam) == LBN_SELCHANGE) {
            if (active->ascii) active->ascii->Select();
            else active->conv->Select();
            SetFocus(GetDlgItem(dialog, IDC_LISTEDIT_DELETE));
          }
          return TRUE;
        case IDOK:
          if (active->ascii) active->ascii->Exit();
          else active->conv->Exit();
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        case IDC_LISTEDIT_HELP:
          core::ShowHelp(kListEditorHelp);
          return TRUE;
      }
      break;
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
  }
  return FALSE;
}

int RunEditor(HWND parent, const char* resource, bool ascii) {
  EditorDialog d;
  if (ascii) d.ascii = std::make_unique<AsciiExtensionsEditor>(d.entry, d.list);
  else d.conv = std::make_unique<ConversionsEditor>(d.entry, d.dest, d.list);
  active = &d;
  INT_PTR r = DialogBoxParamA(static_cast<HINSTANCE>(core::App().appInstance), resource, parent, EditorProc, 0);
  active = nullptr;
  return r == 1 ? 1 : 0;
}

}  // namespace

int EditAsciiExtensions(HWND parent) { return RunEditor(parent, "DLG_EXTENSIONS", true); }
int EditConversions(HWND parent) { return RunEditor(parent, "DLG_CONVERT", false); }

}  // namespace transfer
