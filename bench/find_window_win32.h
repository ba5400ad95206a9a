// For the benchmark programs that drive another program's windows: its visible top-level
// window of a class.
#pragma once
#include <windows.h>

namespace bench {

// The visible top-level window of class `className` (any case) that process `pid` owns, or nullptr.
inline HWND FindVisibleWindow(DWORD pid, const char* className) {
  struct Query {
    DWORD pid;
    const char* className;
    HWND found;
  } q{pid, className, nullptr};
  EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* q = reinterpret_cast<Query*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        char cls[64] = "";
        GetClassNameA(hwnd, cls, sizeof cls);
        if (owner != q->pid || lstrcmpiA(cls, q->className) != 0 || !IsWindowVisible(hwnd)) return TRUE;
        q->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&q));
  return q.found;
}

}  // namespace bench
