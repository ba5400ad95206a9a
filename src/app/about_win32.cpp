// The splash window and the about box: their windows, the bitmap they paint through a palette made
// from the bitmap's own colours, and what the about box finds out about the machine.
#include "app/about_win32.h"

#include "app/startup.h"
#include "core/app_state.h"
#include "core/help.h"
#include "core/shell_win32.h"
#include "resources/resource.h"

namespace app {
namespace {

constexpr const char* kSplashClass = "MIRVANSPLASH";
constexpr const char* kFrameProcProp = "MirvanFrameProc";

// The one bitmap shown (the splash window and the about box are never open together).
struct BitmapState {
  const BITMAPINFOHEADER* header = nullptr;  // the loaded resource: header, colour table, pixels
  unsigned entries = 0;                      // colour-table entries
  const void* bits = nullptr;                // start of the pixel data
  HPALETTE palette = nullptr;
};
BitmapState bitmap;
HWND splashWindow = nullptr;
HWND aboutDialog = nullptr;
HHOOK helpKeyHook = nullptr;

HINSTANCE Instance() { return static_cast<HINSTANCE>(core::App().appInstance); }

// Loads a bitmap resource and makes its palette; leaves the state empty when it is missing.
void LoadBitmapResource(const char* name) {
  bitmap = BitmapState{};
  HRSRC found = FindResourceA(Instance(), name, MAKEINTRESOURCEA(2) /* RT_BITMAP */);
  HGLOBAL loaded = found ? LoadResource(Instance(), found) : nullptr;
  const auto* header = loaded ? static_cast<const BITMAPINFOHEADER*>(LockResource(loaded)) : nullptr;
  if (!header || SizeofResource(Instance(), found) < sizeof(BITMAPINFOHEADER)) return;
  bitmap.header = header;
  bitmap.entries = ColourTableEntries(header->biBitCount, header->biClrUsed);
  // The pixels follow the header and the colour table.
  const auto* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(header) + header->biSize);
  bitmap.bits = table + bitmap.entries;
  if (bitmap.entries == 0) return;
  // A logical palette with one entry per colour-table entry (the table holds blue, green, red).
  size_t bytes = sizeof(LOGPALETTE) + bitmap.entries * sizeof(PALETTEENTRY);
  auto* logical = static_cast<LOGPALETTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes));
  if (!logical) return;
  logical->palVersion = 0x300;
  logical->palNumEntries = static_cast<WORD>(bitmap.entries);
  for (unsigned i = 0; i < bitmap.entries; ++i)
    logical->palPalEntry[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
  bitmap.palette = CreatePalette(logical);
  HeapFree(GetProcessHeap(), 0, logical);
}

// Releases the resource's palette (the resource itself lives as long as the program).
void ReleaseBitmap() {
  if (bitmap.palette) DeleteObject(bitmap.palette);
  bitmap = BitmapState{};
}

// Draws the bitmap over a frame's whole client area.
void DrawBitmapInto(HWND frame) {
  if (!bitmap.header) return;
  RECT rc;
  GetClientRect(frame, &rc);
  HDC dc = GetDC(frame);
  if (!dc) return;
  HPALETTE old = bitmap.palette ? SelectPalette(dc, bitmap.palette, FALSE) : nullptr;
  if (bitmap.palette) RealizePalette(dc);
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchDIBits(dc, 0, 0, rc.right, rc.bottom, 0, 0, bitmap.header->biWidth, bitmap.header->biHeight, bitmap.bits,
                reinterpret_cast<const BITMAPINFO*>(bitmap.header), DIB_RGB_COLORS, SRCCOPY);
  if (old) SelectPalette(dc, old, FALSE);
  ReleaseDC(frame, dc);
}

// A frame control paints itself (its border or background) and then the bitmap, so the picture
// comes back whenever the frame alone is uncovered.
LRESULT CALLBACK FrameProc(HWND frame, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto original = reinterpret_cast<WNDPROC>(GetPropA(frame, kFrameProcProp));
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    RemovePropA(frame, kFrameProcProp);
  }
  LRESULT result = CallWindowProcA(original, frame, msg, wParam, lParam);
  if (msg == WM_PAINT) DrawBitmapInto(frame);
  return result;
}

void MakeBitmapFrame(HWND frame) {
  if (!frame || GetPropA(frame, kFrameProcProp)) return;
  SetPropA(frame, kFrameProcProp, reinterpret_cast<HANDLE>(GetWindowLongPtrA(frame, GWLP_WNDPROC)));
  SetWindowLongPtrA(frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FrameProc));
}

// Pixels for a length given at 96 dots per inch, on this screen.
int Scaled(int pixels) {
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return MulDiv(pixels, dpi > 0 ? dpi : 96, 96);
}

HFONT MakeFont(int height, int weight, const char* face) {
  return CreateFontA(height, 0, 0, 0, weight, TRUE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

void PaintSplash(HWND hwnd) {
  HWND frame = GetDlgItem(hwnd, IDC_SPLASH_FRAME);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!dc) {
    PaintBitmap(frame);
    ValidateRect(hwnd, nullptr);
    return;
  }
  if (bitmap.header) PaintBitmap(frame);
  RECT rc;
  GetClientRect(hwnd, &rc);
  int centre = rc.right / 2;
  int oldMode = SetBkMode(dc, TRANSPARENT);
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  int h = tm.tmHeight;
  int y = Scaled(72);
  struct Line {
    int height, weight;
    const char* face;
    const char* text;
    int gapBefore;
  };
  const Line lines[] = {
      {2 * h, 900, nullptr, kProgramName, 0},
      {2 * h, 500, "Arial", "File Transfer Client", 0},
      {2 * h, 500, "Arial", "for Windows 95 and Windows NT", 0},
      {9 * h / 10, 400, "Arial", kOwnershipNotice, Scaled(10)},
  };
  HGDIOBJ previous = nullptr;
  for (const Line& line : lines) {
    y += line.gapBefore;
    HFONT font = MakeFont(line.height, line.weight, line.face);
    HGDIOBJ was = SelectObject(dc, font);
    if (!previous) previous = was;
    // A line wider than the window is drawn in a font just small enough to fit.
    SIZE size{};
    int length = lstrlenA(line.text), room = rc.right - Scaled(8);
    if (GetTextExtentPoint32A(dc, line.text, length, &size) && size.cx > room && room > 0) {
      SelectObject(dc, previous);
      DeleteObject(font);
      font = MakeFont(MulDiv(line.height, room, size.cx), line.weight, line.face);
      SelectObject(dc, font);
    }
    y = DrawCenteredLine(dc, centre, y, line.text);
    SelectObject(dc, previous);
    DeleteObject(font);
  }
  SetBkMode(dc, oldMode);
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK SplashWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      RECT rc;
      GetClientRect(hwnd, &rc);
      HWND frame = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, rc.right / 2 - Scaled(88), 0, Scaled(175),
                                 Scaled(69), hwnd, reinterpret_cast<HMENU>(IDC_SPLASH_FRAME), Instance(), nullptr);
      MakeBitmapFrame(frame);
      LoadBitmapResource("BMP_CORV");
      return 0;
    }
    case WM_PAINT:
      PaintSplash(hwnd);
      return 0;
    case WM_DESTROY:
      ReleaseBitmap();
      if (splashWindow == hwnd) splashWindow = nullptr;
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// F1 and F2 anywhere in the about box open its help topic: the keys go to the focused control,
// so the box's modal loop is watched through a message filter.
LRESULT CALLBACK AboutKeyFilter(int code, WPARAM wParam, LPARAM lParam) {
  auto* msg = reinterpret_cast<MSG*>(lParam);
  if (code == MSGF_DIALOGBOX && msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_F1 || msg->wParam == VK_F2) &&
      aboutDialog && (msg->hwnd == aboutDialog || IsChild(aboutDialog, msg->hwnd))) {
    SendMessageA(aboutDialog, WM_COMMAND, IDM_HELP, 0);
    return 1;
  }
  return CallNextHookEx(helpKeyHook, code, wParam, lParam);
}

void RealizeInto(HWND hwnd) {
  if (!bitmap.palette) return;
  HDC dc = GetDC(hwnd);
  if (!dc) return;
  HPALETTE old = SelectPalette(dc, bitmap.palette, FALSE);
  RealizePalette(dc);
  SelectPalette(dc, old, FALSE);
  ReleaseDC(hwnd, dc);
}

}  // namespace

MachineFacts GatherMachineFacts() {
  MachineFacts facts;
  facts.versionWord = GetVersion();
  facts.threadsAvailable = core::App().threadsAvailable;
  SYSTEM_INFO info{};
  GetNativeSystemInfo(&info);
  facts.processors = info.dwNumberOfProcessors;
  facts.processorType = info.dwProcessorType;
  facts.architecture = info.wProcessorArchitecture;
  // An x86 program on an ARM64 machine sees an x86 machine above; the machine's own kind comes
  // from IsWow64Process2 where the platform has it.
  using Wow64Process2 = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
  if (auto query = reinterpret_cast<Wow64Process2>(
          reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process2")))) {
    USHORT process = 0, native = 0;
    if (query(GetCurrentProcess(), &process, &native)) {
      if (native == 0xAA64) facts.architecture = kArchArm64;         // IMAGE_FILE_MACHINE_ARM64
      else if (native == 0x8664) facts.architecture = kArchAmd64;    // IMAGE_FILE_MACHINE_AMD64
    }
  }
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof memory;
  if (GlobalMemoryStatusEx(&memory)) {
    facts.totalMemory = memory.ullTotalPhys;
    facts.availableMemory = memory.ullAvailPhys;
  }
  ULARGE_INTEGER toCaller{}, total{}, totalFree{};
  if (GetDiskFreeSpaceExA(nullptr, &toCaller, &total, &totalFree)) facts.freeDisk = totalFree.QuadPart;
  return facts;
}

int DrawCenteredLine(HDC dc, int centreX, int top, const char* text) {
  int length = lstrlenA(text);
  SIZE size{};
  GetTextExtentPoint32A(dc, text, length, &size);
  TextOutA(dc, centreX - size.cx / 2, top, text, length);
  return top + size.cy;
}

void PaintBitmap(HWND frame) {
  if (!frame) return;
  // The frame paints itself and then the bitmap (see FrameProc).
  MakeBitmapFrame(frame);
  InvalidateRect(frame, nullptr, TRUE);
  UpdateWindow(frame);
}

HWND ShowSplash(HINSTANCE instance) {
  WNDCLASSA wc{};
  wc.style = CS_VREDRAW | CS_HREDRAW;
  wc.lpfnWndProc = SplashWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512) /* IDI_APPLICATION */);
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  wc.lpszClassName = kSplashClass;
  RegisterClassA(&wc);  // already registered on a second call: the class is the same
  int width = Scaled(350), height = Scaled(280);
  int x = GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2;
  int y = GetSystemMetrics(SM_CYSCREEN) / 2 - Scaled(100);
  // A tool window that does not take the activation: no taskbar button, and the main window
  // is the one that becomes active when it appears.
  HWND hwnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kSplashClass, "", WS_POPUP | WS_BORDER | WS_CLIPCHILDREN, x, y, width,
                              height, nullptr, nullptr, instance, nullptr);
  if (!hwnd) {
    char text[48];
    wsprintfA(text, "error %u creating window", static_cast<unsigned>(GetLastError()));
    MessageBoxA(nullptr, text, "error", MB_OK);
    return nullptr;
  }
  splashWindow = hwnd;
  core::App().splashWindow = hwnd;
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  UpdateWindow(hwnd);
  // At least one second on screen. Waiting messages are dispatched as they come; in between the
  // thread sleeps until the next message or the deadline instead of asking the clock in a loop.
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    bool quit = false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // for the main loop to see
        quit = true;
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    DWORD elapsed = GetTickCount() - start;
    if (quit || elapsed >= 1000) break;
    MsgWaitForMultipleObjectsEx(0, nullptr, 1000 - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
  return hwnd;
}

void DestroySplash() {
  if (splashWindow) DestroyWindow(splashWindow);
  splashWindow = nullptr;
  core::App().splashWindow = nullptr;
}

INT_PTR CALLBACK MV_AboutMsgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: {
      aboutDialog = dialog;
      if (!helpKeyHook) helpKeyHook = SetWindowsHookExA(WH_MSGFILTER, AboutKeyFilter, nullptr, GetCurrentThreadId());
      core::CenterDialog(dialog);
      LoadBitmapResource("MV_BMP");
      MakeBitmapFrame(GetDlgItem(dialog, IDC_ABOUT_BITMAP));
      MachineFacts facts = GatherMachineFacts();
      SetDlgItemTextA(dialog, IDC_ABOUT_TITLE, kAboutTitle);
      SetDlgItemTextA(dialog, IDC_ABOUT_NOTICE, kOwnershipNotice);
      SetDlgItemTextA(dialog, IDC_ABOUT_VERSION, AboutVersionLine().c_str());
      SetDlgItemTextA(dialog, IDC_ABOUT_PLATFORM, AboutPlatformLine(facts).c_str());
      SetDlgItemTextA(dialog, IDC_ABOUT_MATH, "Present");
      SetDlgItemTextA(dialog, IDC_ABOUT_MEMORY, AboutMemoryLine(facts).c_str());
      SetDlgItemTextA(dialog, IDC_ABOUT_DISK, AboutDiskLine(facts).c_str());
      return TRUE;
    }
    case WM_PAINT: {
      // The dialog's own painting (its background) first, then the picture on top of it.
      PAINTSTRUCT ps;
      BeginPaint(dialog, &ps);
      EndPaint(dialog, &ps);
      PaintBitmap(GetDlgItem(dialog, IDC_ABOUT_BITMAP));
      return TRUE;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) RealizeInto(dialog);
      return FALSE;
    case WM_QUERYNEWPALETTE:
      RealizeInto(dialog);
      return TRUE;
    case WM_HELP:  // F1 reaching the dialog itself
      core::ShowHelp(HLP_ABOUT);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: EndDialog(dialog, 1); return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        case IDM_HELP: core::ShowHelp(HLP_ABOUT); return TRUE;
      }
      break;
    case WM_DESTROY:
      if (helpKeyHook) UnhookWindowsHookEx(helpKeyHook);
      helpKeyHook = nullptr;
      aboutDialog = nullptr;
      ReleaseBitmap();
      break;
  }
  return FALSE;
}

int ShowAboutBox(HWND owner) {
  INT_PTR result = DialogBoxParamA(Instance(), "DLG_ABOUT", owner, MV_AboutMsgProc, 0);
  return result == 1 ? 1 : 0;
}

}  // namespace app
