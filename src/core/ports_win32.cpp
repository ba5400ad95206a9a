// The Win32 shell's ports: real message boxes, the prompt dialogs and the help window.
#include <windows.h>

#include <string>

#include "core/app_state.h"
#include "core/help.h"
#include "core/prompts.h"
#include "core/shell_win32.h"
#include "resources/resource.h"
#include "ui/controls_win32.h"
#include "ui/front_end.h"
#include "ui/message_box.h"

namespace core {
namespace {

HWND MainHwnd() { return static_cast<HWND>(App().mainWindow.load()); }
HINSTANCE Instance() { return static_cast<HINSTANCE>(App().appInstance); }


// What the open prompt dialog works on (prompts are modal and one at a time).
struct PromptDialog {
  const std::string* promptText = nullptr;
  std::string* input = nullptr;
  const std::vector<std::string>* history = nullptr;
  bool combo = false;
} activePrompt;

int InputControlId() { return activePrompt.combo ? IDC_INPUTCOMBO : IDC_INPUT; }


// ---- the help window: one topic in a read-only text control ----

constexpr const char* kHelpClass = "MIRVANHELP";
HWND helpWindow = nullptr;

LRESULT CALLBACK HelpWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      if (HWND text = GetDlgItem(hwnd, 1)) MoveWindow(text, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_DESTROY:
      helpWindow = nullptr;
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void ShowHelpWindow(const std::string& helpFile, int context) {
  {
    HelpBook book;
    std::string title = "MIRVAN32 Help", text;
    if (!LoadHelpFile(helpFile, book)) {
      text = "The help file " + helpFile + " could not be read.";
    } else if (const HelpTopic* t = book.Find(context)) {
      title = "MIRVAN32 Help - " + t->title;
      text = t->text;
    } else {
      text = "The help file holds no such topic.";
    }
    if (!helpWindow) {
      static bool registered = false;
      if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = HelpWndProc;
        wc.hInstance = Instance();
        wc.hIcon = LoadIconA(Instance(), MAKEINTRESOURCEA(APP_MAIN));
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kHelpClass;
        registered = RegisterClassA(&wc) != 0;
      }
      helpWindow = CreateWindowA(kHelpClass, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 520,
                                 420, nullptr, nullptr, Instance(), nullptr);
      if (!helpWindow) return;
      RECT c;
      GetClientRect(helpWindow, &c);
      CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0,
                    c.right, c.bottom, helpWindow, reinterpret_cast<HMENU>(1), Instance(), nullptr);
    }
    SetWindowTextA(helpWindow, title.c_str());
    SetDlgItemTextA(helpWindow, 1, text.c_str());
    ShowWindow(helpWindow, SW_SHOWNORMAL);
    SetForegroundWindow(helpWindow);
  }
}

constexpr const char* kHelpContextProperty = "MirvanHelpContext";  // the context + 1
thread_local HHOOK helpKeyHook = nullptr;
thread_local int dialogsWithHelp = 0;

LRESULT CALLBACK HelpKeyFilter(int code, WPARAM wParam, LPARAM lParam) {
  auto* msg = reinterpret_cast<MSG*>(lParam);
  if (code == MSGF_DIALOGBOX && msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_F1 || msg->wParam == VK_F2)) {
    HWND root = GetAncestor(msg->hwnd, GA_ROOT);
    if (HANDLE stored = root ? GetPropA(root, kHelpContextProperty) : nullptr) {
      ShowHelp(static_cast<int>(reinterpret_cast<INT_PTR>(stored)) - 1);
      return 1;
    }
  }
  return CallNextHookEx(helpKeyHook, code, wParam, lParam);
}

}  // namespace

void SetDialogHelp(HWND dialog, int context) {
  if (GetPropA(dialog, kHelpContextProperty) == nullptr) ++dialogsWithHelp;
  SetPropA(dialog, kHelpContextProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(context) + 1));
  if (!helpKeyHook) helpKeyHook = SetWindowsHookExA(WH_MSGFILTER, HelpKeyFilter, nullptr, GetCurrentThreadId());
}

void ClearDialogHelp(HWND dialog) {
  if (RemovePropA(dialog, kHelpContextProperty) == nullptr) return;
  if (--dialogsWithHelp == 0 && helpKeyHook) {
    UnhookWindowsHookEx(helpKeyHook);
    helpKeyHook = nullptr;
  }
}

INT_PTR CALLBACK MV_InputMsgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: {
      CenterDialog(dialog);
      SetDialogHelp(dialog, Prompts().currentHelpContext);
      SetDlgItemTextA(dialog, IDC_PROMPT, activePrompt.promptText ? activePrompt.promptText->c_str() : "");
      HWND field = GetDlgItem(dialog, InputControlId());
      if (activePrompt.combo && activePrompt.history)
        for (const auto& dir : *activePrompt.history)  // each directory once; the list sorts itself
          if (SendMessageA(field, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(dir.c_str())) ==
              CB_ERR)
            SendMessageA(field, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(dir.c_str()));
      SetWindowTextA(field, activePrompt.input ? activePrompt.input->c_str() : "");
      if (activePrompt.combo) SendMessageA(field, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
      else SendMessageA(field, EM_SETSEL, 0, -1);
      SetFocus(field);
      return FALSE;  // focus set here
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          char buf[kInputMax + 1];
          GetDlgItemTextA(dialog, InputControlId(), buf, sizeof buf);
          if (activePrompt.input) *activePrompt.input = buf;
          EndDialog(dialog, 1);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        case IDC_HELPBUTTON:
          ShowHelp(Prompts().currentHelpContext);
          return TRUE;
      }
      break;
    case WM_HELP:  // F1 while a button has the focus
      ShowHelp(Prompts().currentHelpContext);
      return TRUE;
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORDLG:
      return static_cast<INT_PTR>(ControlColour(msg, wParam));
    case WM_DESTROY:
      ClearDialogHelp(dialog);
      break;
  }
  return FALSE;
}

int Win32Dialogs::ShowMessage(const std::string& text, const std::string& caption, unsigned flags, bool owned) {
  return MessageBoxA(owned ? MainHwnd() : nullptr, text.c_str(), caption.empty() ? nullptr : caption.c_str(), flags);
}

int Win32Dialogs::Prompt(ui::PromptKind kind, const std::string& promptText, std::string& input,
                         const std::vector<std::string>& history) {
  activePrompt = PromptDialog{&promptText, &input, &history, kind == PromptKind::kCombo};
  const char* resource = kind == PromptKind::kPassword ? "DLG_INPUT_PASSWORD"
                         : kind == PromptKind::kCombo  ? "DLG_INPUT1"
                                                       : "DLG_INPUT";
  INT_PTR r = DialogBoxParamA(Instance(), resource, MainHwnd(), MV_InputMsgProc, 0);
  activePrompt = PromptDialog{};
  return r == 1 ? 1 : 0;
}

void Win32Dialogs::ShowHelp(const std::string& helpFile, int context) { ShowHelpWindow(helpFile, context); }

void Win32Dialogs::QuitHelp() {
  if (helpWindow) DestroyWindow(helpWindow);
}

void CenterDialog(HWND dialog) {
  RECT d;
  GetWindowRect(dialog, &d);
  int w = d.right - d.left, h = d.bottom - d.top;
  RECT area;
  HWND main = MainHwnd();
  if (main && IsWindowVisible(main) && !IsIconic(main)) {
    GetClientRect(main, &area);
    MapWindowPoints(main, nullptr, reinterpret_cast<POINT*>(&area), 2);
  } else {
    GetWindowRect(GetDesktopWindow(), &area);
  }
  int x = area.left + ((area.right - area.left) - w) / 2;
  int y = area.top + ((area.bottom - area.top) - h) / 2;
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

namespace {
HFONT labelFont = nullptr;
HBRUSH backgroundBrush = nullptr;
}  // namespace

void SetLabelFont(HFONT font) { labelFont = font; }

HBRUSH BackgroundBrush() {
  if (!backgroundBrush) backgroundBrush = CreateSolidBrush(App().buttonFaceColour);
  return backgroundBrush;
}

LRESULT ControlColour(UINT msg, WPARAM wParam) {
  HDC dc = reinterpret_cast<HDC>(wParam);
  switch (msg) {
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      if (labelFont) SelectObject(dc, labelFont);
      SetBkColor(dc, App().buttonFaceColour);
      return reinterpret_cast<LRESULT>(BackgroundBrush());
    case WM_CTLCOLORDLG:
      return reinterpret_cast<LRESULT>(BackgroundBrush());
    default:
      return 0;
  }
}

}  // namespace core
