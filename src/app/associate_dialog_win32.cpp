// DLG_ASSOCIATE: which program opens files of an extension, written to the association store.
#include "app/associate_dialog_win32.h"

#include <commdlg.h>

#include <algorithm>
#include <cctype>

#include "core/app_state.h"
#include "core/help.h"
#include "core/shell_win32.h"
#include "local/associations.h"
#include "resources/resource.h"

namespace app {
namespace {

bool extTyped = false;  // the extension was typed since the command field last followed it

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string FieldText(HWND dialog, int id, size_t limit) {
  char buf[256] = "";
  GetDlgItemTextA(dialog, id, buf, sizeof buf);
  std::string s = buf;
  if (s.size() > limit) s.resize(limit);
  return s;
}

// The command field shows the stored association of the extension field's extension.
void ShowCurrentAssociation(HWND dialog, const std::string& ext) {
  SetDlgItemTextA(dialog, IDC_ASSOC_COMMAND, ext.empty() ? "" : local::ReadAssociation(ext).c_str());
}

void Browse(HWND dialog) {
  char file[MAX_PATH] = "";
  char windowsDir[MAX_PATH] = "";
  GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = dialog;
  ofn.lpstrFilter = "Programs\0*.exe;*.pif;*.com;*.bat\0All Files (*.*)\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrInitialDir = windowsDir;
  ofn.lpstrTitle = "Browse";
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (GetOpenFileNameA(&ofn)) SetDlgItemTextA(dialog, IDC_ASSOC_COMMAND, Lower(file).c_str());
}

}  // namespace

INT_PTR CALLBACK MV_AssociateMsgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      core::CenterDialog(dialog);
      extTyped = false;
      core::SetDialogHelp(dialog, HLP_ASSOCIATE);
      HWND ext = GetDlgItem(dialog, IDC_ASSOC_EXT), command = GetDlgItem(dialog, IDC_ASSOC_COMMAND);
      SendMessageA(ext, CB_LIMITTEXT, local::kAssociateExtMax, 0);
      SendMessageA(command, CB_LIMITTEXT, local::kAssociateCmdMax, 0);
      local::AssociateLists lists = local::AssociateDialogLists(local::ListAssociations());
      for (const std::string& e : lists.extensions)
        if (SendMessageA(ext, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(e.c_str())) == CB_ERR)
          SendMessageA(ext, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.c_str()));
      for (const std::string& p : lists.programs)
        SendMessageA(command, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p.c_str()));
      const auto* offered = reinterpret_cast<const std::string*>(lParam);
      std::string first = offered ? offered->substr(0, local::kAssociateExtMax) : "";
      SetWindowTextA(ext, first.c_str());
      ShowCurrentAssociation(dialog, first);
      return TRUE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam), notify = HIWORD(wParam);
      if (id == IDC_ASSOC_EXT && notify == CBN_SELCHANGE) {
        HWND ext = GetDlgItem(dialog, IDC_ASSOC_EXT);
        LRESULT i = SendMessageA(ext, CB_GETCURSEL, 0, 0);
        char buf[64] = "";
        if (i != CB_ERR && SendMessageA(ext, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof buf))
          SendMessageA(ext, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
        ShowCurrentAssociation(dialog, std::string(buf).substr(0, local::kAssociateExtMax));
        extTyped = false;
        return TRUE;
      }
      if (id == IDC_ASSOC_EXT && notify == CBN_EDITCHANGE) {
        extTyped = true;
        return TRUE;
      }
      // Leaving the field after typing shows the typed extension's entry; merely passing
      // through it leaves a command the user has typed alone.
      if (id == IDC_ASSOC_EXT && notify == CBN_KILLFOCUS) {
        if (extTyped) ShowCurrentAssociation(dialog, FieldText(dialog, IDC_ASSOC_EXT, local::kAssociateExtMax));
        extTyped = false;
        return TRUE;
      }
      switch (id) {
        case IDOK: {
          const std::string ext = FieldText(dialog, IDC_ASSOC_EXT, local::kAssociateExtMax);
          const std::string stored =
              local::AssociationToStore(ext, FieldText(dialog, IDC_ASSOC_COMMAND, local::kAssociateCmdMax));
          // Either field empty: OK is Cancel.
          EndDialog(dialog, !stored.empty() && local::WriteAssociation(ext, stored) ? 1 : 0);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        case IDC_ASSOC_BROWSE:
          Browse(dialog);
          return TRUE;
        case IDC_HELPBUTTON:
          core::ShowHelp(HLP_ASSOCIATE);
          return TRUE;
      }
      break;
    }
    case WM_HELP:
      core::ShowHelp(HLP_ASSOCIATE);
      return TRUE;
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORDLG:
      return static_cast<INT_PTR>(core::ControlColour(msg, wParam));
    case WM_DESTROY:
      core::ClearDialogHelp(dialog);
      break;
  }
  return FALSE;
}

int RunAssociateDialog(HWND owner, const std::string& offeredExt) {
  INT_PTR r = DialogBoxParamA(static_cast<HINSTANCE>(core::App().appInstance), "DLG_ASSOCIATE", owner,
                              MV_AssociateMsgProc, reinterpret_cast<LPARAM>(&offeredExt));
  return r == 1 ? 1 : 0;
}

namespace {

class Win32AssociatePort : public local::AssociatePort {
 public:
  // Owned by the window in front (the options dialog when it asks), so that closing it
  // never re-enables a window that another dialog keeps disabled.
  int EditAssociations(const std::string& offeredExt) override {
    HWND owner = GetActiveWindow();
    if (!owner) owner = static_cast<HWND>(core::App().mainWindow.load());
    return RunAssociateDialog(owner, offeredExt);
  }
};

}  // namespace

void InstallWin32Associations() {
  static Win32AssociatePort port;
  local::SetAssociatePort(&port);
}

}  // namespace app
