// Driving MIRVAN32.exe from another process as a user does: starting it, finding its windows by
// title, reading and setting controls by id, and waiting for what should appear.
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace gui_driver {

inline const std::string& Exe() {
  static const std::string exe = std::string(MIRVAN_BIN_DIR) + "\\MIRVAN32.exe";
  return exe;
}

// Polls `done` until it holds or `ms` have passed; true when it held.
inline bool WaitFor(const std::function<bool()>& done, int ms = 30000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

inline std::string Narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s += c < 128 ? static_cast<char>(c) : '?';
  return s;
}

// Another process's window text, however long (the W messages are the ones Wine passes on).
inline std::string Text(HWND h) {
  if (!h) return "";
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &len)) return "";
  std::wstring buf(len + 2, L'\0');
  SendMessageTimeoutW(h, WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(&buf[0]), SMTO_ABORTIFHUNG, 5000, nullptr);
  buf.resize(wcslen(buf.c_str()));
  return Narrow(buf);
}

inline std::vector<std::string> ListItems(HWND list) {
  std::vector<std::string> items;
  const LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    const LRESULT len = SendMessageW(list, LB_GETTEXTLEN, i, 0);
    if (len < 0) break;
    std::wstring w(static_cast<size_t>(len) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&w[0]));
    w.resize(static_cast<size_t>(len));
    items.push_back(Narrow(w));
  }
  return items;
}

// The index of the first list item starting with `prefix`, or -1.
inline int FindItem(HWND list, const std::string& prefix) {
  std::vector<std::string> items = ListItems(list);
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
  return -1;
}

inline std::string Join(const std::vector<std::string>& items) {
  std::string s;
  for (const std::string& i : items) s += "[" + i + "] ";
  return s;
}

inline void SetText(HWND h, const std::string& text) {
  std::wstring w(text.begin(), text.end());
  SendMessageW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()));
}

inline void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

struct FindArgs {
  DWORD pid;
  std::string title;  // exact, or a prefix when it ends in '*'
  HWND found = nullptr;
};

inline BOOL CALLBACK FindProc(HWND h, LPARAM lp) {
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

// A running MIRVAN32.exe; stopped at the end of the test if it is still running.
class Program {
 public:
  bool Start(const std::string& args, const std::string& dir) {
    std::string cmd = "\"" + Exe() + "\" " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    return CreateProcessA(Exe().c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi_);
  }
  ~Program() {
    if (!pi_.hProcess) return;
    if (WaitForSingleObject(pi_.hProcess, 0) != WAIT_OBJECT_0) {
      TerminateProcess(pi_.hProcess, 99);
      WaitForSingleObject(pi_.hProcess, 5000);
    }
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  // A visible top-level window of the program with this title ("X*": starting with X).
  HWND Window(const std::string& title, int ms = 30000) {
    FindArgs a{pi_.dwProcessId, title};
    WaitFor(
        [&] {
          a.found = nullptr;
          EnumWindows(FindProc, reinterpret_cast<LPARAM>(&a));
          return a.found != nullptr;
        },
        ms);
    return a.found;
  }
  // Whether such a window is up now.
  bool HasWindow(const std::string& title) {
    FindArgs a{pi_.dwProcessId, title};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&a));
    return a.found != nullptr;
  }
  // The exit code once the program has ended by itself within `ms`, else -1.
  long ExitCode(int ms = 30000) {
    if (WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(ms)) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return static_cast<long>(code);
  }

 private:
  PROCESS_INFORMATION pi_{};
};

}  // namespace gui_driver
