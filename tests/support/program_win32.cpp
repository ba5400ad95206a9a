// Driving MIRVAN32.exe from a test process.
#include "support/program_win32.h"

#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "resources/resource.h"

namespace testing_support {

std::string ProgramPath() { return std::string(MIRVAN_BIN_DIR) + "\\MIRVAN32.exe"; }

bool WaitFor(const std::function<bool()>& done, int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

std::string Narrow(const std::wstring& w) {
  if (w.empty()) return "";
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
  return s;
}

std::string Text(HWND h) {
  wchar_t buf[512] = L"";
  if (!h) return "";
  SendMessageTimeoutW(h, WM_GETTEXT, 511, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, nullptr);
  return Narrow(buf);
}

std::string LongText(HWND edit) {
  DWORD_PTR len = 0;
  if (!edit || !SendMessageTimeoutW(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &len)) return "";
  std::wstring w(len + 1, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(edit, WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(&w[0]), SMTO_ABORTIFHUNG, 5000, &got);
  w.resize(got);
  return Narrow(w);
}

std::vector<std::string> ListItems(HWND list) {
  std::vector<std::string> items;
  const LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    const LRESULT len = SendMessageW(list, LB_GETTEXTLEN, i, 0);
    if (len < 0) break;
    std::wstring w(static_cast<size_t>(len) + 1, L'\0');
    // The length asked for may exceed the text's (items stored as multibyte text).
    w.resize(static_cast<size_t>(std::max<LRESULT>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&w[0])), 0)));
    items.push_back(Narrow(w));
  }
  return items;
}

std::string ComboText(HWND combo) {
  const LRESULT i = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (i < 0) return "";
  const LRESULT len = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
  std::wstring w(static_cast<size_t>(len > 0 ? len : 0) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&w[0]));
  w.resize(static_cast<size_t>(len > 0 ? len : 0));
  return Narrow(w);
}

HWND Child(HWND parent, int id) { return GetDlgItem(parent, id); }

bool HasItemStartingWith(const std::vector<std::string>& items, const std::string& prefix) {
  for (const std::string& s : items)
    if (s.compare(0, prefix.size(), prefix) == 0) return true;
  return false;
}

std::string Join(const std::vector<std::string>& items) {
  std::string s;
  for (const std::string& i : items) s += "[" + i + "] ";
  return s;
}

bool SelectItems(HWND window, int listId, const std::vector<std::string>& prefixes) {
  HWND list = Child(window, listId);
  std::vector<std::string> items = ListItems(list);
  SendMessageW(list, LB_SETSEL, FALSE, -1);
  size_t found = 0;
  for (const std::string& prefix : prefixes) {
    for (size_t i = 0; i < items.size(); ++i) {
      if (items[i].compare(0, prefix.size(), prefix) != 0) continue;
      SendMessageW(list, LB_SETSEL, TRUE, static_cast<LPARAM>(i));
      SendMessageW(list, LB_SETCARETINDEX, i, FALSE);
      ++found;
      break;
    }
  }
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  return found == prefixes.size();
}

void Click(HWND window, int id) { PostMessageW(Child(window, id), BM_CLICK, 0, 0); }

void SetField(HWND dialog, int id, const wchar_t* text) {
  SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void PressAlt(HWND window, WORD letter) {
  SetForegroundWindow(window);
  WaitFor([&] { return GetForegroundWindow() == window; }, 5000);
  INPUT in[4] = {};
  for (INPUT& i : in) i.type = INPUT_KEYBOARD;
  in[0].ki.wVk = VK_MENU;
  in[1].ki.wVk = letter;
  in[2].ki.wVk = letter;
  in[2].ki.dwFlags = KEYEVENTF_KEYUP;
  in[3].ki.wVk = VK_MENU;
  in[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(4, in, sizeof(INPUT));
}

namespace {

struct FindArgs {
  DWORD pid;
  std::string title;  // exact, or a prefix when it ends in '*'
  HWND found = nullptr;
};

BOOL CALLBACK FindProc(HWND h, LPARAM lp) {
  FindArgs& a = *reinterpret_cast<FindArgs*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid != a.pid || !IsWindowVisible(h)) return TRUE;
  std::string t = Text(h);
  const bool prefix = !a.title.empty() && a.title.back() == '*';
  if (prefix ? t.compare(0, a.title.size() - 1, a.title, 0, a.title.size() - 1) == 0 : t == a.title) {
    a.found = h;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

bool Program::Start(const std::string& args, const std::string& dir) {
  const std::string exe = ProgramPath();
  std::string cmd = "\"" + exe + "\" " + args;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  return CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi_);
}

Program::~Program() {
  if (!pi_.hProcess) return;
  if (WaitForSingleObject(pi_.hProcess, 0) != WAIT_OBJECT_0) {
    TerminateProcess(pi_.hProcess, 99);
    WaitForSingleObject(pi_.hProcess, 5000);
  }
  CloseHandle(pi_.hThread);
  CloseHandle(pi_.hProcess);
}

HWND Program::Window(const std::string& title, int ms) {
  FindArgs a{pi_.dwProcessId, title};
  WaitFor(
      [&] {
        EnumWindows(FindProc, reinterpret_cast<LPARAM>(&a));
        return a.found != nullptr;
      },
      ms);
  return a.found;
}

long Program::ExitCode(int ms) {
  if (WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(ms)) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(pi_.hProcess, &code);
  return static_cast<long>(code);
}

namespace {

// Runs `function(copy of param)` on a new thread of `process` and waits for it.
bool RunRemote(HANDLE process, LPTHREAD_START_ROUTINE function, const std::string& param, DWORD& result) {
  void* remote = VirtualAllocEx(process, nullptr, param.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!remote) return false;
  bool ran = false;
  if (WriteProcessMemory(process, remote, param.data(), param.size(), nullptr)) {
    if (HANDLE thread = CreateRemoteThread(process, nullptr, 0, function, remote, 0, nullptr)) {
      ran = WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0 && GetExitCodeThread(thread, &result);
      CloseHandle(thread);
    }
  }
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return ran;
}

template <typename T>
T* FunctionPointer(FARPROC f) {
  return reinterpret_cast<T*>(reinterpret_cast<void*>(f));
}

}  // namespace

bool Program::CallHelper(const char* function, const std::string& param, DWORD& result) {
  const std::string dll = MIRVAN_INJECT_DLL;
  const char* name = "mirvan_test_inject.dll";
  // Loaded into the program once (kernel32 sits at the same address in both processes).
  auto* load = FunctionPointer<DWORD WINAPI(void*)>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA"));
  DWORD loaded = 0;
  if (!RunRemote(pi_.hProcess, load, dll + '\0', loaded) || !loaded) return false;
  // The function's address there: its offset in the library plus the library's base there.
  HMODULE here = LoadLibraryA(dll.c_str());
  FARPROC local = here ? GetProcAddress(here, function) : nullptr;
  if (!local) return false;
  const auto offset = reinterpret_cast<char*>(reinterpret_cast<void*>(local)) - reinterpret_cast<char*>(here);
  BYTE* base = nullptr;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pi_.dwProcessId);
  MODULEENTRY32 m{};
  m.dwSize = sizeof m;
  for (BOOL more = Module32First(snap, &m); more; more = Module32Next(snap, &m))
    if (lstrcmpiA(m.szModule, name) == 0) base = m.modBaseAddr;
  CloseHandle(snap);
  if (!base) return false;
  return RunRemote(pi_.hProcess, reinterpret_cast<LPTHREAD_START_ROUTINE>(base + offset), param, result);
}

bool Program::Running() const { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

bool AnswerSessionDialog(HWND dialog, const wchar_t* host) {
  if (!dialog) return false;
  SetField(dialog, IDC_HOST_HOSTNAME, host);
  SetField(dialog, IDC_HOST_USER, L"anonymous");
  SetField(dialog, IDC_HOST_PASSWORD, L"tester@example.org");
  PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  return true;
}

std::string LogText(Program& program, HWND main) {
  HWND log = program.Window("Message Log", 0);
  if (!log) {
    Click(main, IDM_LOGWND);
    log = program.Window("Message Log", 10000);
  }
  return LongText(GetDlgItem(log, IDC_LOGTEXT));
}

bool Answers(HWND window, int ms) {
  DWORD_PTR answer = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, static_cast<UINT>(ms), &answer) != 0;
}

void Screenshot(const std::string& name) {
  const char* dir = std::getenv("MIRVAN_SHOT_DIR");
  if (!dir || !*dir) return;
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  BITMAPINFOHEADER bi{};
  bi.biSize = sizeof bi;
  bi.biWidth = w;
  bi.biHeight = h;
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  const DWORD stride = static_cast<DWORD>((w * 3 + 3) & ~3);
  std::vector<char> pixels(stride * static_cast<DWORD>(h));
  GetDIBits(mem, bmp, 0, static_cast<UINT>(h), pixels.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi;
  fh.bfSize = fh.bfOffBits + static_cast<DWORD>(pixels.size());
  if (std::FILE* f = std::fopen((std::string(dir) + "\\" + name + ".bmp").c_str(), "wb")) {
    std::fwrite(&fh, sizeof fh, 1, f);
    std::fwrite(&bi, sizeof bi, 1, f);
    std::fwrite(pixels.data(), 1, pixels.size(), f);
    std::fclose(f);
  }
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
}

}  // namespace testing_support
