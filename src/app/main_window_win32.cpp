// The main window's procedure: controls from the table, layout, painting, Tab order, splitters,
// fonts and cursors over Win32; everything a command does is the main window's logic.
#include "app/main_window_win32.h"

#include <commdlg.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <mutex>
#include <vector>

#include "app/about_win32.h"
#include "app/associate_dialog_win32.h"
#include "app/batch.h"
#include "app/confirm_delete_win32.h"
#include "app/file_commands.h"
#include "app/main_controls.h"
#include "app/main_fonts.h"
#include "app/main_layout.h"
#include "app/options_dialog_win32.h"
#include "app/pane_commands.h"
#include "app/session_dialog_win32.h"
#include "app/windows_win32.h"
#include "app/worker.h"
#include "core/app_state.h"
#include "core/help.h"
#include "core/message_log.h"
#include "core/settings.h"
#include "core/shell_win32.h"
#include "ftp/control.h"
#include "listing/dir_list.h"
#include "local/associations.h"
#include "local/local_list.h"
#include "profiles/session_profile.h"
#include "resources/resource.h"
#include "ui/controls_win32.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace app {
namespace {


Win32FrontEnd* frontEnd = nullptr;
MainWindowState state;
HWND mainWindow = nullptr;
HWND controls[kMainControlCount] = {};
WNDPROC ownProcs[kMainControlCount] = {};
std::vector<int> tabList;  // table indexes of the controls in the Tab list, in table order

// The control objects the logic sees.
ui::HwndComboBox dirCombos[2];
std::unique_ptr<ui::HwndListBox> lists[4];  // local dirs, local files, remote dirs, remote files
ui::HwndEdit masks[2];
ui::HwndLabel progressLabels[2];
ui::HwndButton buttons[kMainControlCount];

HCURSOR arrowCursor = nullptr, busyCursor = nullptr, splitHCursor = nullptr, splitVCursor = nullptr;
HFONT customFont = nullptr, scaledFont = nullptr;
int scaledFontUnit = 0;
int dpiOfLayout = 0;      // the DPI the window was last laid out for
bool dpiChanging = false;  // the size changes because the DPI did: the splitters stay where they are

HINSTANCE Instance() { return static_cast<HINSTANCE>(core::App().appInstance); }

// ---- fonts -------------------------------------------------------------------------------------

// The window's DPI (per monitor where the system tells it), else the one the base units were
// measured at.
int WindowDpi() {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  const UINT dpi = getDpi && mainWindow ? getDpi(mainWindow) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : core::App().dialogUnitDpi;
}

// The stock fonts are fixed-size designs for 96 DPI (they do not follow the system's DPI): on a
// screen of another DPI the lists and labels use copies scaled to the window's DPI, made once per
// DPI.
constexpr int kStockFontDpi = 96;

struct DpiStockFonts {
  int dpi = 0;
  HFONT fonts[4] = {};  // SYSTEM_FONT, SYSTEM_FIXED_FONT, ANSI_VAR_FONT, ANSI_FIXED_FONT
  void Drop() {
    for (HFONT& f : fonts) {
      if (f) DeleteObject(f);
      f = nullptr;
    }
    dpi = 0;
  }
} dpiStockFonts;

HFONT StockFont(int stock) {
  const int dpi = WindowDpi();
  HFONT base = static_cast<HFONT>(GetStockObject(stock));
  if (dpi <= kStockFontDpi) return base;
  const int slot = stock == SYSTEM_FONT ? 0 : stock == SYSTEM_FIXED_FONT ? 1 : stock == ANSI_VAR_FONT ? 2 : 3;
  if (dpiStockFonts.dpi != dpi) {
    dpiStockFonts.Drop();
    dpiStockFonts.dpi = dpi;
  }
  HFONT& font = dpiStockFonts.fonts[slot];
  if (!font) {
    LOGFONTA lf{};
    if (!GetObjectA(base, sizeof lf, &lf)) return base;
    lf.lfHeight = ScaleForDpi(lf.lfHeight, dpi, kStockFontDpi);
    lf.lfWidth = ScaleForDpi(lf.lfWidth, dpi, kStockFontDpi);
    lf.lfQuality = CLEARTYPE_QUALITY;
    font = CreateFontIndirectA(&lf);
  }
  return font ? font : base;
}

HFONT ListFont() {
  switch (ListFontKindFrom(core::Settings().font)) {
    case kFontSystem: return StockFont(SYSTEM_FONT);
    case kFontSystemFixed: return StockFont(SYSTEM_FIXED_FONT);
    case kFontAnsiVar: return StockFont(ANSI_VAR_FONT);
    case kFontCustom:
      if (customFont) return customFont;
      break;
    default: break;
  }
  return StockFont(ANSI_FIXED_FONT);
}

// The custom font: its stored height and width are pixels at the system's DPI.
void CreateCustomFont() {
  CustomFontSpec spec = ReadCustomFontSpec();
  const int dpi = WindowDpi(), unitDpi = core::App().dialogUnitDpi;
  LOGFONTA lf{};
  lf.lfHeight = ScaleForDpi(spec.height, dpi, unitDpi);
  lf.lfWidth = ScaleForDpi(spec.width, dpi, unitDpi);
  lf.lfWeight = spec.weight;
  lf.lfPitchAndFamily = static_cast<BYTE>(spec.pitchFamily);
  lstrcpynA(lf.lfFaceName, spec.face.c_str(), LF_FACESIZE);
  if (customFont) DeleteObject(customFont);
  customFont = CreateFontIndirectA(&lf);
}

// The eight controls with the list font, in the order it is applied: lists, masks, combos.
constexpr int kListFontControls[] = {kCtlLocalDirs,  kCtlLocalFiles, kCtlRemoteDirs,    kCtlRemoteFiles,
                                     kCtlLocalButtons + kPaneMask,  kCtlRemoteButtons + kPaneMask,
                                     kCtlLocalDirCombo, kCtlRemoteDirCombo};

void ApplyListFont() {
  HFONT font = ListFont();
  for (int i : kListFontControls)
    if (controls[i]) SendMessageA(controls[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

bool UsesListFont(int index) {
  for (int i : kListFontControls)
    if (i == index) return true;
  return false;
}

// The label font for the layout's vertical unit: the scaled font when the window has shrunk below
// its full unit (the system's, at the window's DPI) and SCALE is on, else the ANSI proportional
// font. Also given to the buttons and static texts.
HFONT LabelFont(int layoutUnitY) {
  const int fullUnit = state.layout.current.fullBy > 0 ? state.layout.current.fullBy : core::App().dialogUnitY;
  const bool scaled = UseScaledLabelFont(layoutUnitY, fullUnit, core::Settings().scale);
  if (layoutUnitY != scaledFontUnit || (scaled && !scaledFont)) {
    scaledFontUnit = layoutUnitY;
    if (scaledFont) DeleteObject(scaledFont);
    scaledFont = nullptr;
    if (scaled) {
      // The unit is in pixels at the window's DPI; the height follows the system's DPI rule.
      int height = ScaledLabelFontHeight(layoutUnitY, core::App().dialogUnitDpi);
      scaledFont = CreateFontA(height, 0, 0, 0, FW_DONTCARE, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, VARIABLE_PITCH, nullptr);
    }
  }
  if (scaled && scaledFont) return scaledFont;
  return StockFont(ANSI_VAR_FONT);
}

void ApplyLabelFont(int layoutUnitY) {
  HFONT font = LabelFont(layoutUnitY);
  core::SetLabelFont(font);
  for (int i = 0; i < kMainControlCount; ++i)
    if (controls[i] && !UsesListFont(i)) SendMessageA(controls[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

// ---- controls ----------------------------------------------------------------------------------

DWORD WindowStyleOf(int index) {
  const ControlSpec& spec = MainControlTable()[index];
  const unsigned s = MainControlStyle(index, core::Settings().sortlbx);
  DWORD style = WS_CHILD | WS_VISIBLE;
  if (spec.tabStop) style |= WS_TABSTOP;
  if (s & kStyleVScroll) style |= WS_VSCROLL;
  if (s & kStyleHScroll) style |= WS_HSCROLL;
  if (s & kStyleBorder) style |= WS_BORDER;
  switch (spec.kind) {
    case ControlClass::kComboBox:
      if (s & kStyleDropDownList) style |= CBS_DROPDOWNLIST;
      if (s & kStyleSorted) style |= CBS_SORT;
      break;
    case ControlClass::kStatic:
      style |= (s & kStyleRight) ? SS_RIGHT : SS_LEFTNOWORDWRAP;
      if (s & kStyleNoPrefix) style |= SS_NOPREFIX;
      break;
    case ControlClass::kScrollBar:
      if (s & kStyleVertical) style |= SBS_VERT;
      break;
    case ControlClass::kListBox:
      if (s & kStyleExtendedSel) style |= LBS_EXTENDEDSEL;
      if (s & kStyleSorted) style |= LBS_SORT;
      if (s & kStyleNotify) style |= LBS_NOTIFY;
      if (s & kStyleNoIntegralHeight) style |= LBS_NOINTEGRALHEIGHT;
      if (s & kStyleUseTabStops) style |= LBS_USETABSTOPS;
      break;
    case ControlClass::kButton:
      if (s & kStyleRadioButton) style |= BS_RADIOBUTTON;
      else if (s & kStyleCheckBox) style |= BS_CHECKBOX;
      else style |= BS_PUSHBUTTON;
      break;
    case ControlClass::kEdit:
      if (s & kStyleAutoHScroll) style |= ES_AUTOHSCROLL;
      break;
  }
  return style;
}

LRESULT CALLBACK TabProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Creates table entry `index` at its layout rectangle with the shared control handler in front.
HWND CreateControl(int index) {
  const ControlSpec& spec = MainControlTable()[index];
  const Rect& r = state.layout.current.controls[index];
  HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id == -1 ? 0xFFFF : spec.id));
  HWND h = CreateWindowA(spec.className, spec.text, WindowStyleOf(index), r.x, r.y, r.width, r.height, mainWindow, id,
                         Instance(), nullptr);
  controls[index] = h;
  if (!h) return nullptr;
  ownProcs[index] = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TabProc)));
  return h;
}

int ListSlot(int index) { return index - kCtlLocalDirs; }  // 7..10 -> 0..3

void AttachControls() {
  dirCombos[0].Attach(controls[kCtlLocalDirCombo]);
  dirCombos[1].Attach(controls[kCtlRemoteDirCombo]);
  for (int i = kCtlLocalDirs; i <= kCtlRemoteFiles; ++i)
    lists[ListSlot(i)] = std::make_unique<ui::HwndListBox>(controls[i]);
  masks[0].Attach(controls[kCtlLocalButtons + kPaneMask]);
  masks[1].Attach(controls[kCtlRemoteButtons + kPaneMask]);
  progressLabels[0].Attach(controls[kCtlLocalProgress]);
  progressLabels[1].Attach(controls[kCtlRemoteProgress]);
  for (int i = 0; i < kMainControlCount; ++i)
    if (MainControlTable()[i].kind == ControlClass::kButton) buttons[i].Attach(controls[i]);

  PaneControls* panes[2] = {&state.local, &state.remote};
  for (int side = 0; side < 2; ++side) {
    PaneControls& p = *panes[side];
    p.dirField = &dirCombos[side];
    p.dirs = lists[side * 2].get();
    p.files = lists[side * 2 + 1].get();
    p.mask = &masks[side];
    p.progress = &progressLabels[side];
    const int first = side == 0 ? kCtlLocalButtons : kCtlRemoteButtons;
    for (int k = 0; k < kPaneButtonCount; ++k) p.buttons[k] = k == kPaneMask ? nullptr : &buttons[first + k];
  }
  state.upload = &buttons[kCtlUpload];
  state.download = &buttons[kCtlDownload];
  state.modeAscii = &buttons[kCtlModeAscii];
  state.modeBinary = &buttons[kCtlModeBinary];
  state.modeAuto = &buttons[kCtlModeAuto];
  state.connect = &buttons[kCtlConnect];
}

LayoutInput CurrentLayoutInput() {
  RECT rc{};
  GetClientRect(mainWindow, &rc);
  LayoutInput in;
  in.width = rc.right;
  in.height = rc.bottom;
  in.bx = core::App().dialogUnitX;
  in.by = core::App().dialogUnitY;
  in.unitDpi = core::App().dialogUnitDpi;
  in.dpi = WindowDpi();
  in.layout = core::Settings().layout;
  in.bontop = core::Settings().bontop;
  return in;
}

// Moves every control to its rectangle, then repaints the whole window once.
void RelayoutWindow() {
  const MainLayout& l = Relayout(state.layout, CurrentLayoutInput());
  for (int i = 0; i < kMainControlCount; ++i) {
    if (!controls[i]) continue;
    const Rect& r = l.controls[i];
    MoveWindow(controls[i], r.x, r.y, r.width, r.height, FALSE);
  }
  if (controls[kCtlUpload]) SetWindowTextA(controls[kCtlUpload], l.uploadText);
  if (controls[kCtlDownload]) SetWindowTextA(controls[kCtlDownload], l.downloadText);
  ApplyLabelFont(l.by);
  RedrawWindow(mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
  UpdateWindow(mainWindow);
}

HCURSOR CursorHandle(CursorKind kind) {
  switch (kind) {
    case CursorKind::kBusy: return busyCursor;
    case CursorKind::kSplitH: return splitHCursor;
    case CursorKind::kSplitV: return splitVCursor;
    default: return arrowCursor;
  }
}

bool Alternate() { return core::Settings().layout != 0; }

// ---- the host --------------------------------------------------------------------------------

class Win32MainHost : public MainWindowHost {
 public:
  void PostCommand(int id) override { PostMessageA(mainWindow, WM_COMMAND, static_cast<WPARAM>(id), 0); }
  // Posted: the close request then runs after the command that asked for it has returned.
  void SendCloseRequest() override { PostMessageA(mainWindow, WM_CLOSE, 0, 0); }
  void SetCursor(CursorKind cursor) override { ::SetCursor(CursorHandle(cursor)); }
  bool CtrlOrShiftHeld() override { return GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_SHIFT) < 0; }
  void ProcessPendingMessages() override {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  }
  bool RunSessionDialog(profiles::SessionProfile& chosen) override {
    if (app::RunSessionDialog(mainWindow) != 1) return false;
    chosen = profiles::CurrentProfile();
    return true;
  }
  void ShowOptions() override { ShowOptionsDialog(mainWindow, state); }
  void ShowAbout() override { ShowAboutBox(mainWindow); }
  void ShowAssociations() override { local::EditAssociations(""); }
  void ShowLogWindow() override { app::ShowLogWindow(); }
  ui::ListBox* RecreateRemoteFileList() override {
    if (controls[kCtlRemoteFiles]) DestroyWindow(controls[kCtlRemoteFiles]);
    controls[kCtlRemoteFiles] = nullptr;
    HWND h = CreateControl(kCtlRemoteFiles);
    if (!h) return nullptr;
    // Its place in the Tab order follows from the table, so the Tab list needs no change.
    lists[ListSlot(kCtlRemoteFiles)] = std::make_unique<ui::HwndListBox>(h);
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(ListFont()), TRUE);
    UpdateWindow(mainWindow);
    return lists[ListSlot(kCtlRemoteFiles)].get();
  }
  void ApplyListFonts() override { ApplyListFont(); }
  bool AskYesNo(const std::string& text, const std::string& caption) override {
    return MessageBoxA(mainWindow, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
  }
};
Win32MainHost host;

FilePaneCommands paneCommands(state);

// What a batch on the worker thread asks of the window, handed to the UI thread.
class Win32BatchView : public BatchView {
 public:
  void RefreshLocalLists() override {
    RunOnUi([] { local::ListLocalDirectory(); });
  }
  void RefreshRemoteLists() override {
    RunOnUi([] { PostMessageA(mainWindow, WM_COMMAND, IDC_REMOTE_REFRESH, 0); });
  }
  // Names that arrive while an earlier hand-over waits join it: one list update for them all.
  void AddLocalFile(const std::string& name) override {
    {
      std::lock_guard<std::mutex> guard(lock_);
      added_.push_back(name);
      if (added_.size() > 1) return;
    }
    RunOnUi([this] {
      std::vector<std::string> names;
      {
        std::lock_guard<std::mutex> guard(lock_);
        names.swap(added_);
      }
      ui::ListBox* files = local::LocalPane().fileList;
      if (!files) return;
      ui::ListUpdate update(files);
      for (const std::string& n : names) files->AddString(n);
    });
  }

 private:
  std::mutex lock_;
  std::vector<std::string> added_;  // names not handed to the UI thread yet
  static void RunOnUi(std::function<void()> action) {
    if (frontEnd) frontEnd->RunOnUiThread(std::move(action));
    else action();
  }
};
Win32BatchView batchView;

// ---- the shared control handler ----------------------------------------------------------------

// Found in the table rather than kept in a window property: this runs for every message a control
// gets (three per item of a list fill), and a property read is a round trip to the window server.
int ControlIndex(HWND h) {
  for (int i = 0; i < kMainControlCount; ++i)
    if (controls[i] == h) return i;
  return -1;
}

void TabFrom(int index) {
  int current = -1;
  std::vector<bool> usable;
  for (size_t k = 0; k < tabList.size(); ++k) {
    HWND h = controls[tabList[k]];
    usable.push_back(h && IsWindowVisible(h) && IsWindowEnabled(h));
    if (tabList[k] == index) current = static_cast<int>(k);
  }
  int next = NextTabStop(usable, current, GetKeyState(VK_SHIFT) < 0);
  if (next >= 0 && controls[tabList[static_cast<size_t>(next)]]) SetFocus(controls[tabList[static_cast<size_t>(next)]]);
}

LRESULT CALLBACK TabProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const int index = ControlIndex(hwnd);
  WNDPROC own = index >= 0 && index < kMainControlCount ? ownProcs[index] : nullptr;
  if (!own) return DefWindowProcA(hwnd, msg, wParam, lParam);
  const bool localMask = index == kCtlLocalButtons + kPaneMask, remoteMask = index == kCtlRemoteButtons + kPaneMask;
  switch (msg) {
    case WM_CHAR:
      if (wParam == VK_TAB) {
        TabFrom(index);
        return 0;
      }
      if (wParam == VK_RETURN && (localMask || remoteMask)) {
        MaskEnter(state, remoteMask);
        return 0;
      }
      break;
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (wParam == VK_TAB) return 0;
      if (msg == WM_KEYDOWN && wParam == VK_F1) {
        core::ShowHelp(GetKeyState(VK_CONTROL) < 0 ? MainControlTable()[index].helpContext : 0);
        return 0;
      }
      break;
    case WM_KILLFOCUS:
      if (localMask || remoteMask) MaskFocusLost(state, remoteMask);
      break;
    case WM_RBUTTONUP: {
      POINT pt;
      GetCursorPos(&pt);
      TrackPopupMenu(FtpMenu(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, mainWindow, nullptr);
      return 0;
    }
    case WM_NCDESTROY: {
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
      return CallWindowProcA(own, hwnd, msg, wParam, lParam);
    }
    default: break;
  }
  return CallWindowProcA(own, hwnd, msg, wParam, lParam);
}

// ---- creation, painting, splitters ----------------------------------------------------------------

void OnCreate(HWND hwnd) {
  mainWindow = hwnd;
  core::App().mainWindow = hwnd;
  arrowCursor = LoadCursorA(nullptr, IDC_ARROW);
  busyCursor = LoadCursorA(nullptr, IDC_APPSTARTING);
  if (!busyCursor) busyCursor = LoadCursorA(nullptr, IDC_WAIT);
  splitHCursor = LoadCursorA(Instance(), "SPLITH");
  splitVCursor = LoadCursorA(Instance(), "SPLITV");
  if (!splitHCursor) splitHCursor = LoadCursorA(nullptr, IDC_SIZEWE);
  if (!splitVCursor) splitVCursor = LoadCursorA(nullptr, IDC_SIZENS);
  BuildFtpMenu();

  // The controls, at the layout of the current client area.
  RECT rc{};
  GetClientRect(hwnd, &rc);
  state.layout.lastWidth = rc.right;
  state.layout.lastHeight = rc.bottom;
  dpiOfLayout = WindowDpi();
  state.layout.splitX = core::App().savedSplitX;
  state.layout.splitY = core::App().savedSplitY;
  state.layout.savedSplitX = core::App().savedSplitX;
  state.layout.savedSplitY = core::App().savedSplitY;
  core::Settings().sortlbx = core::ReadConfigInt("SORTLBX", core::Settings().sortlbx);
  Relayout(state.layout, CurrentLayoutInput());
  tabList.clear();
  for (int i = 0; i < kMainControlCount; ++i)
    if (CreateControl(i) && MainControlTable()[i].tabStop) tabList.push_back(i);
  AttachControls();
  CreateCustomFont();
  ApplyListFont();
  ApplyLabelFont(state.layout.current.by);
  if (controls[kCtlStatusScroll]) EnableScrollBar(controls[kCtlStatusScroll], SB_CTL, ESB_ENABLE_BOTH);

  state.host = &host;
  state.panes = &paneCommands;
  local::LocalPane().dialogCharWidth = core::App().dialogUnitX;
  AttachPanes(state.local, state.remote);
  SetBatchView(&batchView);
  InstallWin32ConfirmDelete();
  InstallWin32Associations();
  if (frontEnd) {
    frontEnd->SetStatusLabels(controls[kCtlStatusUpper], controls[kCtlStatusLower]);
    frontEnd->SetRemoteButtons(controls[kCtlRemoteButtons + kPaneMkDir], controls[kCtlRemoteButtons + kPaneRmDir],
                               controls[kCtlRemoteButtons + kPaneRename], controls[kCtlRemoteButtons + kPaneDelete]);
    frontEnd->SetProgressLabels(controls[kCtlLocalProgress], controls[kCtlRemoteProgress]);
  }

  HMENU sys = GetSystemMenu(hwnd, FALSE);
  AppendMenuA(sys, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(sys, MF_STRING, IDM_ABOUT, "About...");
  AppendMenuA(sys, MF_STRING, IDM_SHOWLOG, "Show log...");
  FinishCreation(state);
  listing::ReserveTempNames();  // the listing and viewer temporary file names
  DragAcceptFiles(hwnd, TRUE);
  SetTimer(hwnd, ftp::kKeepAliveTimerId, ftp::kKeepAlivePeriodMs, nullptr);
  if (!tabList.empty() && controls[kCtlConnect]) SetFocus(controls[kCtlConnect]);
}

RECT ToRect(const Box& b) { return RECT{b.left, b.top, b.right, b.bottom}; }

void SunkenBorder(HDC dc, int index) {
  const Rect& r = state.layout.current.controls[index];
  RECT box{r.x - 2, r.y - 2, r.x + r.width + 2, r.y + r.height + 2};
  DrawEdge(dc, &box, EDGE_SUNKEN, BF_RECT);
}

void OnPaint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!state.layout.layoutRunning) {
    const MainLayout& l = state.layout.current;
    HGDIOBJ oldFont = SelectObject(dc, LabelFont(l.by));
    SetBkColor(dc, core::App().buttonFaceColour);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    if (l.paneFrames) {
      for (const Box& b : {l.localFrame, l.remoteFrame}) {
        RECT r = ToRect(b);
        InflateRect(&r, 1, 1);
        DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
      }
    }
    TextOutA(dc, l.localCaption.x, l.localCaption.y, kLocalCaption, lstrlenA(kLocalCaption));
    TextOutA(dc, l.remoteCaption.x, l.remoteCaption.y, kRemoteCaption, lstrlenA(kRemoteCaption));
    static constexpr int kSunken[] = {kCtlRemoteDirCombo, kCtlLocalDirs,   kCtlLocalFiles,
                                      kCtlRemoteDirs,     kCtlRemoteFiles, kCtlLocalDirCombo};
    for (int i : kSunken)
      if (controls[i]) SunkenBorder(dc, i);
    RECT status = ToRect(l.statusFrame);
    DrawEdge(dc, &status, EDGE_BUMP, BF_RECT);
    SelectObject(dc, oldFont);
  }
  EndPaint(hwnd, &ps);
}

void InvertBar(SplitterKind kind, int pos) {
  RECT rc;
  GetClientRect(mainWindow, &rc);
  Rect bar = SplitterBar(kind, pos, rc.right, rc.bottom);
  HDC dc = GetDCEx(mainWindow, nullptr, DCX_CACHE | DCX_PARENTCLIP);
  PatBlt(dc, bar.x, bar.y, bar.width, bar.height, DSTINVERT);
  ReleaseDC(mainWindow, dc);
}

void CloseWindowNow(HWND hwnd) {
  if (frontEnd) {
    frontEnd->SetStatusLabels(nullptr, nullptr);
    frontEnd->SetRemoteButtons(nullptr, nullptr, nullptr, nullptr);
    frontEnd->SetProgressLabels(nullptr, nullptr);
  }
  SetBatchView(nullptr);
  DetachPanes();
  DragAcceptFiles(hwnd, FALSE);
  KillTimer(hwnd, ftp::kKeepAliveTimerId);
  DestroyWindow(hwnd);
  core::App().mainWindow = nullptr;
  core::QuitHelp();
  PostQuitMessage(0);
}

}  // namespace

void SetMainFrontEnd(Win32FrontEnd* fe) { frontEnd = fe; }
MainWindowState& MainState() { return state; }
HWND MainControlWindow(int index) { return index >= 0 && index < kMainControlCount ? controls[index] : nullptr; }

void DeleteMainFonts() {
  if (customFont && DeleteObject(customFont)) customFont = nullptr;
  if (scaledFont && DeleteObject(scaledFont)) scaledFont = nullptr;
  dpiStockFonts.Drop();
}

static void OnDpiChanged(int newDpi, const RECT& suggested) {
  ApplyDpiChange(state.layout, newDpi, dpiOfLayout > 0 ? dpiOfLayout : core::App().dialogUnitDpi);
  dpiOfLayout = newDpi;
  // Fonts for the new DPI, then the suggested rectangle; the size change lays the window out.
  dpiStockFonts.Drop();
  CreateCustomFont();
  ApplyListFont();
  scaledFontUnit = 0;
  dpiChanging = true;
  SetWindowPos(mainWindow, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT rc{};
  GetClientRect(mainWindow, &rc);
  // A rectangle of the same size sends no size message: the layout runs here instead.
  if (ApplyResize(state.layout, rc.right, rc.bottom, false, true, false)) {
    state.layout.layoutRunning = true;
    RelayoutWindow();
    state.layout.layoutRunning = false;
  }
  dpiChanging = false;
}

void RelayoutMainWindow() {
  if (!mainWindow) return;
  state.layout.lastWidth = state.layout.lastHeight = 10;
  ShowWindow(mainWindow, SW_HIDE);
  // A size of 0 by 0 differs from the one remembered: the layout runs from the real client area.
  if (ApplyResize(state.layout, 0, 0, state.hasConnected, true, false)) {
    state.layout.layoutRunning = true;
    RelayoutWindow();
    state.layout.layoutRunning = false;
  }
  ShowWindow(mainWindow, SW_SHOWNORMAL);
  UpdateWindow(mainWindow);
}

void ChooseCustomListFont(HWND owner) {
  CustomFontSpec spec = ReadCustomFontSpec();
  LOGFONTA lf{};
  lf.lfHeight = spec.height;
  lf.lfWidth = spec.width;
  lf.lfWeight = spec.weight;
  lf.lfPitchAndFamily = static_cast<BYTE>(spec.pitchFamily);
  lstrcpynA(lf.lfFaceName, spec.face.c_str(), LF_FACESIZE);
  CHOOSEFONTA cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = owner;
  cf.lpLogFont = &lf;
  cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_APPLY;
  if (ChooseFontA(&cf)) {
    spec.height = lf.lfHeight;
    spec.width = lf.lfWidth;
    spec.weight = lf.lfWeight;
    spec.pitchFamily = lf.lfPitchAndFamily;
    spec.face = lf.lfFaceName;
  }
  WriteCustomFontSpec(spec);
  CreateCustomFont();
  ApplyListFont();
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      OnCreate(hwnd);
      return 0;
    case WM_SIZE: {
      if (hwnd != mainWindow) break;
      if (!ApplyResize(state.layout, LOWORD(lParam), HIWORD(lParam), state.hasConnected && !dpiChanging, true,
                       wParam == SIZE_MINIMIZED))
        return 0;
      state.layout.layoutRunning = true;
      RelayoutWindow();
      state.layout.layoutRunning = false;
      return 0;
    }
    case WM_PAINT:
      OnPaint(hwnd);
      return 0;
    case WM_DPICHANGED:
      if (hwnd == mainWindow) {
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
      }
      break;
    case WM_SETCURSOR: {
      const bool overMain = reinterpret_cast<HWND>(wParam) == hwnd && LOWORD(lParam) == HTCLIENT;
      CursorKind kind = CursorFor(state.layout, overMain, ftp::Conn().commandDepth.load(), WorkerRunning(), Alternate());
      if (kind == CursorKind::kDefault && !overMain) break;
      ::SetCursor(CursorHandle(kind));
      return TRUE;
    }
    case WM_LBUTTONDOWN:
      if (SplitterButtonDown(state.layout, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)),
                             Alternate())) {
        SetCapture(hwnd);
        InvertBar(state.layout.dragging, state.layout.dragPos);
      }
      return 0;
    case WM_MOUSEMOVE: {
      SplitterKind kind = state.layout.dragging;
      int oldPos = 0;
      if (SplitterMouseMove(state.layout, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)),
                            oldPos)) {
        InvertBar(kind, oldPos);
        InvertBar(kind, state.layout.dragPos);
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      SplitterKind kind = state.layout.dragging;
      int oldPos = 0;
      if (SplitterButtonUp(state.layout, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)),
                           oldPos)) {
        ReleaseCapture();
        InvertBar(kind, oldPos);
        RelayoutWindow();
      }
      return 0;
    }
    case WM_LBUTTONDBLCLK: {
      POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      const Box& f = state.layout.current.statusFrame;
      if (pt.x > f.left && pt.x < f.right - 1 && pt.y > f.top && pt.y < f.bottom - 1) ShowLogWindow();
      return 0;
    }
    case WM_RBUTTONUP: {
      POINT pt;
      GetCursorPos(&pt);
      TrackPopupMenu(FtpMenu(), TPM_CENTERALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd, nullptr);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_F1) {
        core::ShowHelp(0);
        return 0;
      }
      if (wParam == VK_F2) {
        core::ShowHelp(HLP_STATUS);
        return 0;
      }
      break;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      if (LRESULT brush = core::ControlColour(msg, wParam)) return brush;
      break;
    case WM_VSCROLL:
      if (reinterpret_cast<HWND>(lParam) == controls[kCtlStatusScroll]) {
        if (LOWORD(wParam) == SB_LINEUP) core::ScrollStatusLines(-1);
        else if (LOWORD(wParam) == SB_LINEDOWN) core::ScrollStatusLines(1);
      }
      return 0;
    case WM_SYSCOMMAND:
      if (wParam == IDM_ABOUT) {
        ShowAboutBox(hwnd);
        return 0;
      }
      if (wParam == IDM_SHOWLOG) {
        ShowLogWindow();
        return 0;
      }
      break;
    case WM_COMMAND: {
      // Buttons, lists and combos send their notification code; menus and accelerators have none.
      const int notify = lParam ? HIWORD(wParam) : 0;
      // The remote directory field does not open while a batch or a listing runs.
      if (LOWORD(wParam) == IDC_REMOTE_DIRCOMBO && notify == CBN_DROPDOWN && RemoteDirFieldMustClose()) {
        SendMessageA(reinterpret_cast<HWND>(lParam), CB_SHOWDROPDOWN, FALSE, 0);
        return 0;
      }
      HandleCommand(state, LOWORD(wParam), notify);
      return 0;
    }
    case WM_DROPFILES: {
      // While a batch or a listing runs the drop is refused (with a log line) and discarded.
      HDROP drop = reinterpret_cast<HDROP>(wParam);
      std::vector<std::string> names;
      const UINT n = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
      for (UINT i = 0; i < n; ++i) {
        char name[MAX_PATH + 1] = {};
        DragQueryFileA(drop, i, name, sizeof name);
        names.emplace_back(name);
      }
      DragFinish(drop);
      HandleDroppedFiles(state, names);
      return 0;
    }
    case WM_TIMER:
      if (wParam != ftp::kKeepAliveTimerId) break;
      KeepAliveTimer(state);
      return 0;
    case WM_CLOSE:
      if (OnCloseRequest(state)) CloseWindowNow(hwnd);
      return 0;
    case WM_DESTROY:
      if (hwnd == mainWindow) {
        mainWindow = nullptr;
        for (HWND& h : controls) h = nullptr;
      }
      return 0;
    default: break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace app
