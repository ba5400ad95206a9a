// Adds many names to a visible sorted list box (the real control), with redrawing on or switched
// off by the list's batch update, and prints the time each fill took.
// Usage: bench_listbox [count] [on|off|both]   (default 20000 both)
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/pump.h"
#include "ui/controls_win32.h"

namespace {

double Fill(int count, bool batch) {
  HWND frame = CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 500, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  HWND h = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_SORT | LBS_HASSTRINGS, 0, 0, 380,
                           460, frame, nullptr, GetModuleHandleA(nullptr), nullptr);
  UpdateWindow(frame);
  platform::PumpWaitingMessages();
  ui::HwndListBox list(h);
  char buf[32];
  auto start = std::chrono::steady_clock::now();
  {
    ui::ListUpdate update(batch ? &list : nullptr);
    for (int i = 0; i < count; ++i) {
      std::snprintf(buf, sizeof buf, "dir%06d", count - i);  // descending: every add at the top
      list.SetItemData(list.AddString(buf), i);
    }
  }
  UpdateWindow(h);
  platform::PumpWaitingMessages();
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (list.Count() != count) std::printf("wrong count %d\n", list.Count());
  DestroyWindow(frame);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  int count = argc > 1 ? std::atoi(argv[1]) : 20000;
  std::string mode = argc > 2 ? argv[2] : "both";
  if (mode != "on") std::printf("%d adds, redraw off (batch update): %8.3f s\n", count, Fill(count, true));
  std::fflush(stdout);
  if (mode != "off") std::printf("%d adds, redraw on:                %8.3f s\n", count, Fill(count, false));
  return 0;
}
