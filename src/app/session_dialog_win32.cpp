// DLG_HOST and DLG_ADV_CONNECT: the dialog procedures hand every message to the dialogs' logic.
#include "app/session_dialog_win32.h"

#include <string>
#include <vector>

#include "app/session_dialog.h"
#include "core/app_state.h"
#include "core/help.h"
#include "core/shell_win32.h"
#include "profiles/session_profile.h"
#include "resources/resource.h"
#include "ui/controls_win32.h"

namespace app {
namespace {


// A combo box of a dialog, seen through the control interface.
class DialogCombo : public ui::ComboBox {
 public:
  void Attach(HWND h) { hwnd_ = h; }
  void SetEnabled(bool e) override { EnableWindow(hwnd_, e); }
  bool IsEnabled() const override { return IsWindowEnabled(hwnd_); }
  int AddString(const std::string& text) override {
    return static_cast<int>(SendMessageA(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
  }
  void Clear() override { SendMessageA(hwnd_, CB_RESETCONTENT, 0, 0); }
  int Count() const override { return static_cast<int>(SendMessageA(hwnd_, CB_GETCOUNT, 0, 0)); }
  std::string ItemText(int index) const override {
    LRESULT len = SendMessageA(hwnd_, CB_GETLBTEXTLEN, index, 0);
    if (len == CB_ERR) return "";
    std::vector<char> buf(static_cast<size_t>(len) + 1);
    SendMessageA(hwnd_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buf.data()));
    return buf.data();
  }
  void SetCurSel(int index) override { SendMessageA(hwnd_, CB_SETCURSEL, index, 0); }
  int CurSel() const override { return static_cast<int>(SendMessageA(hwnd_, CB_GETCURSEL, 0, 0)); }
  void SetText(const std::string& text) override { SetWindowTextA(hwnd_, text.c_str()); }
  std::string Text() const override { return ui::WindowText(hwnd_); }

 private:
  HWND hwnd_ = nullptr;
};

HINSTANCE Instance() { return static_cast<HINSTANCE>(core::App().appInstance); }

void Limit(HWND dialog, int id, int chars) { SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, chars, 0); }

struct AdvancedData {
  ui::HwndEdit retries, timeout, port, initCommand, localMask, remoteMask, fwHost, fwUser, fwPassword, fwPort;
  ui::HwndButton passive, useFirewall, fwSavePassword, type[5];
  AdvancedDialog logic{AdvancedControls{&retries, &timeout, &port, &initCommand, &localMask, &remoteMask, &passive,
                                        &useFirewall, &fwHost, &fwUser, &fwPassword, &fwPort, &fwSavePassword,
                                        {&type[0], &type[1], &type[2], &type[3], &type[4]}}};
};

struct HostData : SessionWindow {
  HWND dialog = nullptr;
  DialogCombo name, hostType;
  ui::HwndEdit host, user, password, account, remoteDir, localDir, comment;
  ui::HwndButton anonymous, savePassword, autoSave;
  SessionDialog logic{SessionControls{&name, &host, &hostType, &user, &password, &account, &remoteDir, &localDir,
                                      &comment, &anonymous, &savePassword, &autoSave},
                      *this};
  bool quiet = false;  // the logic is changing the controls: their notifications are its own

  void SetPasswordMasked(bool masked) override {
    SendMessageA(password.hwnd(), EM_SETPASSWORDCHAR, masked ? '*' : 0, 0);
    InvalidateRect(password.hwnd(), nullptr, TRUE);
  }
  void FocusProfileName() override {
    PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_HOST_PROFILE)), TRUE);
  }
  int RunAdvanced() override {
    AdvancedData data;
    INT_PTR r = DialogBoxParamA(Instance(), "DLG_ADV_CONNECT", dialog, MV_AdvConnectMsgProc,
                                reinterpret_cast<LPARAM>(&data));
    return r == 1 ? 1 : 0;
  }
};

template <typename Data>
Data* DataOf(HWND dialog, UINT msg, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    core::SetDialogHelp(dialog, kSessionHelp);
  }
  return reinterpret_cast<Data*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// What both procedures answer alike: colours, the close box, help on F1 over a button.
bool CommonMessage(HWND dialog, UINT msg, WPARAM wParam, INT_PTR& result) {
  switch (msg) {
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORDLG:
      result = static_cast<INT_PTR>(core::ControlColour(msg, wParam));
      return true;
    case WM_CLOSE:
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      result = TRUE;
      return true;
    case WM_HELP:
      core::ShowHelp(kSessionHelp);
      result = TRUE;
      return true;
    case WM_DESTROY:
      core::ClearDialogHelp(dialog);
      return false;
  }
  return false;
}

}  // namespace

INT_PTR CALLBACK MV_HostMsgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  HostData* d = DataOf<HostData>(dialog, msg, lParam);
  if (!d) return FALSE;
  INT_PTR result = FALSE;
  if (CommonMessage(dialog, msg, wParam, result)) return result;
  struct Quiet {
    HostData* d;
    bool was;
    explicit Quiet(HostData* data) : d(data), was(data->quiet) { d->quiet = true; }
    ~Quiet() { d->quiet = was; }
  };
  switch (msg) {
    case WM_INITDIALOG: {
      Quiet q(d);
      d->dialog = dialog;
      d->name.Attach(GetDlgItem(dialog, IDC_HOST_PROFILE));
      d->hostType.Attach(GetDlgItem(dialog, IDC_HOST_HOSTTYPE));
      d->host.Attach(GetDlgItem(dialog, IDC_HOST_HOSTNAME));
      d->user.Attach(GetDlgItem(dialog, IDC_HOST_USER));
      d->password.Attach(GetDlgItem(dialog, IDC_HOST_PASSWORD));
      d->account.Attach(GetDlgItem(dialog, IDC_HOST_ACCOUNT));
      d->remoteDir.Attach(GetDlgItem(dialog, IDC_HOST_REMOTEDIR));
      d->localDir.Attach(GetDlgItem(dialog, IDC_HOST_LOCALDIR));
      d->comment.Attach(GetDlgItem(dialog, IDC_HOST_COMMENT));
      d->anonymous.Attach(GetDlgItem(dialog, IDC_HOST_ANONYMOUS));
      d->savePassword.Attach(GetDlgItem(dialog, IDC_HOST_SAVEPASSWORD));
      d->autoSave.Attach(GetDlgItem(dialog, IDC_HOST_AUTOSAVE));
      SendDlgItemMessageA(dialog, IDC_HOST_PROFILE, CB_LIMITTEXT, 79, 0);
      for (int id : {IDC_HOST_HOSTNAME, IDC_HOST_USER, IDC_HOST_PASSWORD, IDC_HOST_ACCOUNT, IDC_HOST_COMMENT})
        Limit(dialog, id, 79);
      Limit(dialog, IDC_HOST_REMOTEDIR, 143);
      Limit(dialog, IDC_HOST_LOCALDIR, 143);
      d->logic.Open();
      core::CenterDialog(dialog);
      return TRUE;
    }
    case WM_COMMAND: {
      int id = LOWORD(wParam), code = HIWORD(wParam);
      if (id == IDC_HOST_PROFILE) {
        if (d->quiet) return TRUE;
        Quiet q(d);
        if (code == CBN_SELCHANGE) {
          int sel = d->name.CurSel();
          if (sel >= 0) d->logic.NameChanged(d->name.ItemText(sel));
        } else if (code == CBN_EDITCHANGE || code == CBN_KILLFOCUS) {
          d->logic.NameChanged(d->name.Text());
        }
        return TRUE;
      }
      Quiet q(d);
      switch (id) {
        case IDOK:
          if (d->logic.Ok()) EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          d->logic.Cancel();
          EndDialog(dialog, 0);
          return TRUE;
        case IDC_HOST_SAVE:
          d->logic.Save();
          return TRUE;
        case IDC_HOST_DELETE:
          d->logic.Delete();
          return TRUE;
        case IDC_HOST_NEW:
          d->logic.New();
          return TRUE;
        case IDC_HOST_ANONYMOUS:
          if (code == BN_CLICKED) d->logic.AnonymousClicked();
          return TRUE;
        case IDC_HOST_ADVANCED:
          d->logic.Advanced();
          return TRUE;
        case IDC_HELPBUTTON:
          d->logic.Help();
          return TRUE;
      }
      break;
    }
  }
  return FALSE;
}

INT_PTR CALLBACK MV_AdvConnectMsgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  AdvancedData* d = DataOf<AdvancedData>(dialog, msg, lParam);
  if (!d) return FALSE;
  INT_PTR result = FALSE;
  if (CommonMessage(dialog, msg, wParam, result)) return result;
  switch (msg) {
    case WM_INITDIALOG: {
      struct Bind {
        ui::HwndEdit* edit;
        int id, limit;
      } edits[] = {{&d->retries, IDC_ADV_RETRIES, 10},     {&d->timeout, IDC_ADV_TIMEOUT, 10},
                   {&d->port, IDC_ADV_PORT, 10},           {&d->initCommand, IDC_ADV_INITCMD, 79},
                   {&d->localMask, IDC_ADV_LOCALMASK, 19}, {&d->remoteMask, IDC_ADV_REMOTEMASK, 19},
                   {&d->fwHost, IDC_ADV_FWHOST, 79},       {&d->fwUser, IDC_ADV_FWUSER, 79},
                   {&d->fwPassword, IDC_ADV_FWPASSWORD, 79}, {&d->fwPort, IDC_ADV_FWPORT, 10}};
      for (const Bind& b : edits) {
        b.edit->Attach(GetDlgItem(dialog, b.id));
        Limit(dialog, b.id, b.limit);
      }
      d->passive.Attach(GetDlgItem(dialog, IDC_ADV_PASSIVE));
      d->useFirewall.Attach(GetDlgItem(dialog, IDC_ADV_FIREWALL));
      d->fwSavePassword.Attach(GetDlgItem(dialog, IDC_ADV_FWSAVEPASSWORD));
      for (int i = 0; i < 5; ++i) d->type[i].Attach(GetDlgItem(dialog, IDC_ADV_FWTYPE_SITE + i));
      d->logic.Open();
      core::CenterDialog(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_ADV_FIREWALL:
          if (HIWORD(wParam) == BN_CLICKED) d->logic.FirewallSwitch();
          return TRUE;
        case IDOK:
          if (d->logic.Ok()) EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        case IDC_HELPBUTTON:
          core::ShowHelp(kAdvancedHelp);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

int RunSessionDialog(HWND owner) {
  HostData data;
  INT_PTR r = DialogBoxParamA(Instance(), "DLG_HOST", owner, MV_HostMsgProc, reinterpret_cast<LPARAM>(&data));
  if (r != 1) {
    profiles::WorkingProfile() = profiles::CurrentProfile();
    return 0;
  }
  profiles::CurrentProfile() = profiles::WorkingProfile();
  return 1;
}

}  // namespace app
