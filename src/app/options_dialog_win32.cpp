// DLG_OPTIONS, DLG_PROG_OPTIONS and DLG_SES_OPTIONS: the procedures bind the controls by id and
// hand every action to the options' logic.
#include "app/options_dialog_win32.h"

#include <string>

#include "app/main_window_win32.h"
#include "app/options_dialog.h"
#include "core/app_state.h"
#include "core/help.h"
#include "core/shell_win32.h"
#include "ftp/control.h"
#include "listing/dir_list.h"
#include "platform/fs.h"
#include "resources/resource.h"
#include "transfer/list_editors_win32.h"
#include "ui/controls_win32.h"

namespace app {
namespace {

HINSTANCE Instance() { return static_cast<HINSTANCE>(core::App().appInstance); }

void Limit(HWND dialog, int id, int chars) { SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, chars, 0); }

template <typename Data>
Data* DataOf(HWND dialog, UINT msg, LPARAM lParam, int helpContext) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    core::SetDialogHelp(dialog, helpContext);
  }
  return reinterpret_cast<Data*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// What the three answer alike: colours, the close box as Cancel, the wait cursor while an FTP
// operation runs, F1 help.
bool CommonMessage(HWND dialog, UINT msg, WPARAM wParam, int helpContext, INT_PTR& result) {
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
    case WM_SETCURSOR:
      if (ftp::Conn().commandDepth.load() != 0) {
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
        result = TRUE;
        return true;
      }
      return false;
    case WM_HELP:
      core::ShowHelp(helpContext);
      result = TRUE;
      return true;
    case WM_DESTROY:
      core::ClearDialogHelp(dialog);
      return false;
  }
  return false;
}

// Binds a button or edit of the dialog by id.
template <typename Control>
Control* Bind(HWND dialog, Control& control, int id) {
  control.Attach(GetDlgItem(dialog, id));
  return &control;
}

// ---- the hub -----------------------------------------------------------------------------------

struct HubData {
  MainWindowState* window = nullptr;
};

WindowPlacement CurrentPlacement(MainWindowState& w) {
  WindowPlacement p;
  HWND main = static_cast<HWND>(core::App().mainWindow.load());
  if (!main) return p;
  p.maximized = IsZoomed(main) != FALSE;
  RECT r{};
  GetWindowRect(main, &r);
  p.left = r.left;
  p.top = r.top;
  p.width = r.right - r.left;
  p.height = r.bottom - r.top;
  p.splitX = w.layout.splitX;
  p.splitY = w.layout.splitY;
  return p;
}

}  // namespace

INT_PTR CALLBACK MV_OptionsMsgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  HubData* d = DataOf<HubData>(dialog, msg, lParam, kOptionsHelp);
  if (!d) return FALSE;
  INT_PTR result = FALSE;
  if (CommonMessage(dialog, msg, wParam, kOptionsHelp, result)) return result;
  switch (msg) {
    case WM_INITDIALOG:
      EnableWindow(GetDlgItem(dialog, IDC_OPT_SAVEDIRS), ftp::Conn().connected.load() != 0);
      core::CenterDialog(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_OPT_PROGRAM:
          ShowProgramOptions(dialog);
          SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDOK)), TRUE);
          return TRUE;
        case IDC_OPT_SESSION:
          ShowSessionOptions(dialog, *d->window);
          return TRUE;
        case IDC_OPT_ASCII:
          transfer::EditAsciiExtensions(dialog);
          return TRUE;
        case IDC_OPT_CONVERT:
          transfer::EditConversions(dialog);
          return TRUE;
        case IDC_OPT_ASSOCIATE:
          if (d->window->host) d->window->host->ShowAssociations();
          return TRUE;
        case IDC_OPT_SAVEDIRS:
          if (ftp::Conn().connected.load()) SaveDirectoryNames(listing::RemotePane().remoteDirName, platform::CurrentDirectory());
          return TRUE;
        case IDC_OPT_SAVELOC:
          SaveWindowLocation(CurrentPlacement(*d->window));
          return TRUE;
        case IDC_HELPBUTTON:
          core::ShowHelp(kOptionsHelp);
          return TRUE;
        case IDOK:
        case IDCANCEL:
          EndDialog(dialog, LOWORD(wParam));
          return TRUE;
      }
      break;
  }
  return FALSE;
}

// ---- program options ---------------------------------------------------------------------------

namespace {

struct ProgramData {
  ui::HwndButton layout, bontop, longdir, autosave, vrfydel, autostart, verbose, doLog, dblclk[3], rateBits, rateBytes,
      font[5], scale;
  ui::HwndEdit viewer, mailAddr, logFile, rbp, sbp;
  ProgramOptionsDialog logic{ProgramOptionsControls{
      &layout, &bontop, &longdir, &autosave, &vrfydel, &autostart, &verbose, &viewer, &mailAddr, &logFile, &doLog,
      {&dblclk[0], &dblclk[1], &dblclk[2]}, &rateBits, &rateBytes, &rbp, &sbp,
      {&font[0], &font[1], &font[2], &font[3], &font[4]}, &scale}};
  ProgramOptionsChange change;
  bool customChecked = false;  // "Custom Font" was checked before the latest click
};

}  // namespace

INT_PTR CALLBACK MV_ProgOptionsMsgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  ProgramData* d = DataOf<ProgramData>(dialog, msg, lParam, kProgramOptionsHelp);
  if (!d) return FALSE;
  INT_PTR result = FALSE;
  if (CommonMessage(dialog, msg, wParam, kProgramOptionsHelp, result)) return result;
  switch (msg) {
    case WM_INITDIALOG: {
      struct {
        ui::HwndButton* button;
        int id;
      } buttons[] = {{&d->layout, IDC_PO_LAYOUT},         {&d->bontop, IDC_PO_BONTOP},
                     {&d->longdir, IDC_PO_LONGDIR},       {&d->autosave, IDC_PO_AUTOSAVE},
                     {&d->vrfydel, IDC_PO_VRFYDEL},       {&d->autostart, IDC_PO_AUTOSTART},
                     {&d->verbose, IDC_PO_VERBOSE},       {&d->doLog, IDC_PO_DOLOG},
                     {&d->dblclk[0], IDC_PO_DBL_TRANSFER}, {&d->dblclk[1], IDC_PO_DBL_VIEW},
                     {&d->dblclk[2], IDC_PO_DBL_NOTHING}, {&d->rateBits, IDC_PO_RATE_BITS},
                     {&d->rateBytes, IDC_PO_RATE_BYTES},  {&d->scale, IDC_PO_SCALE}};
      for (auto& b : buttons) Bind(dialog, *b.button, b.id);
      for (int i = 0; i < 5; ++i) Bind(dialog, d->font[i], IDC_PO_FONT_SYSTEM + i);
      Bind(dialog, d->viewer, IDC_PO_VIEWER);
      Bind(dialog, d->mailAddr, IDC_PO_MAILADDR);
      Bind(dialog, d->logFile, IDC_PO_LOGFILE);
      Bind(dialog, d->rbp, IDC_PO_RBP);
      Bind(dialog, d->sbp, IDC_PO_SBP);
      Limit(dialog, IDC_PO_VIEWER, static_cast<int>(kViewerMax));
      Limit(dialog, IDC_PO_MAILADDR, static_cast<int>(kMailAddrMax));
      Limit(dialog, IDC_PO_LOGFILE, static_cast<int>(kLogFileMax));
      Limit(dialog, IDC_PO_RBP, 10);
      Limit(dialog, IDC_PO_SBP, 10);
      d->logic.Open();
      d->customChecked = d->font[4].IsChecked();
      core::CenterDialog(dialog);
      return TRUE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id >= IDC_PO_FONT_SYSTEM && id <= IDC_PO_FONT_CUSTOM && HIWORD(wParam) == BN_CLICKED) {
        const bool custom = d->font[4].IsChecked();
        if (id == IDC_PO_FONT_CUSTOM && custom && !d->customChecked) {
          ChooseCustomListFont(static_cast<HWND>(core::App().mainWindow.load()));
          SetFocus(GetDlgItem(dialog, IDC_PO_FONT_CUSTOM));
        }
        d->customChecked = custom;
        return TRUE;
      }
      switch (id) {
        case IDOK:
          d->change = d->logic.Save();
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        case IDC_HELPBUTTON:
          core::ShowHelp(kProgramOptionsHelp);
          return TRUE;
      }
      break;
    }
  }
  return FALSE;
}

// ---- session options ---------------------------------------------------------------------------

namespace {

struct SessionData {
  ui::HwndComboBox hostType;
  ui::HwndButton doupdate, hash, passive, sortlbx, firewall, forclow, convext, stou, recu, prompt, sound[3], mode[4],
      linksAsDirs, linksAsFiles, modernFtp, resume;
  ui::HwndEdit keepAlive;
  SessionOptionsDialog logic{SessionOptionsControls{
      &hostType, &doupdate, &hash, &passive, &sortlbx, &firewall, &forclow, &convext, &stou, &recu, &prompt,
      {&sound[0], &sound[1], &sound[2]}, {&mode[0], &mode[1], &mode[2], &mode[3]}, &linksAsDirs, &linksAsFiles,
      &modernFtp, &resume, &keepAlive}};
  SessionOptionsChange change;
};

}  // namespace

INT_PTR CALLBACK MV_SesOptionsMsgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  SessionData* d = DataOf<SessionData>(dialog, msg, lParam, kSessionOptionsHelp);
  if (!d) return FALSE;
  INT_PTR result = FALSE;
  if (CommonMessage(dialog, msg, wParam, kSessionOptionsHelp, result)) return result;
  switch (msg) {
    case WM_INITDIALOG: {
      Bind(dialog, d->hostType, IDC_SO_HOSTTYPE);
      struct {
        ui::HwndButton* button;
        int id;
      } buttons[] = {{&d->doupdate, IDC_SO_DOUPDATE},     {&d->hash, IDC_SO_HASH},
                     {&d->passive, IDC_SO_PASSIVE},       {&d->sortlbx, IDC_SO_SORTLBX},
                     {&d->firewall, IDC_SO_FIREWALL},     {&d->forclow, IDC_SO_FORCLOW},
                     {&d->convext, IDC_SO_CONVEXT},       {&d->stou, IDC_SO_STOU},
                     {&d->recu, IDC_SO_RECU},             {&d->prompt, IDC_SO_PROMPT},
                     {&d->sound[0], IDC_SO_SOUND_NONE},   {&d->sound[1], IDC_SO_SOUND_BEEPS},
                     {&d->sound[2], IDC_SO_SOUND_WAVE},   {&d->mode[0], IDC_SO_MODE_ASCII},
                     {&d->mode[1], IDC_SO_MODE_BINARY},   {&d->mode[2], IDC_SO_MODE_L8},
                     {&d->mode[3], IDC_SO_MODE_AUTO},     {&d->linksAsDirs, IDC_SO_LINKS_DIRS},
                     {&d->linksAsFiles, IDC_SO_LINKS_FILES}, {&d->modernFtp, IDC_SO_MODERNFTP},
                     {&d->resume, IDC_SO_RESUME}};
      for (auto& b : buttons) Bind(dialog, *b.button, b.id);
      Bind(dialog, d->keepAlive, IDC_SO_KEEPALIVE);
      Limit(dialog, IDC_SO_KEEPALIVE, 5);
      SendDlgItemMessageA(dialog, IDC_SO_HOSTTYPE, CB_LIMITTEXT, 79, 0);
      d->logic.Open();
      core::CenterDialog(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          d->change = d->logic.Save();
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        case IDC_SO_SAVEDEFAULT:
          d->logic.SaveAsDefault();
          return TRUE;
        case IDC_HELPBUTTON:
          core::ShowHelp(kSessionOptionsHelp);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

// ---- entry points --------------------------------------------------------------------------------

int ShowProgramOptions(HWND owner) {
  ProgramData data;
  INT_PTR r = DialogBoxParamA(Instance(), "DLG_PROG_OPTIONS", owner, MV_ProgOptionsMsgProc,
                              reinterpret_cast<LPARAM>(&data));
  if (r != 1) return 0;
  if (data.change.layout) RelayoutMainWindow();
  // The lists show the chosen font at once, while the hub stays open (and again when it closes).
  if (data.change.font && MainState().host) MainState().host->ApplyListFonts();
  return 1;
}

int ShowSessionOptions(HWND owner, MainWindowState& w) {
  SessionData data;
  INT_PTR r = DialogBoxParamA(Instance(), "DLG_SES_OPTIONS", owner, MV_SesOptionsMsgProc,
                              reinterpret_cast<LPARAM>(&data));
  if (r != 1) return 0;
  ApplySessionOptionsChange(w, data.change);
  return 1;
}

void ShowOptionsDialog(HWND owner, MainWindowState& w) {
  HubData data{&w};
  DialogBoxParamA(Instance(), "DLG_OPTIONS", owner, MV_OptionsMsgProc, reinterpret_cast<LPARAM>(&data));
}

}  // namespace app
