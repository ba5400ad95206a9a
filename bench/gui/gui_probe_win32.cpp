// Drives and watches the real main window from another process, the way a user's clicks reach
// it, and prints what it measured as name=value pairs on one line.
//
//   gui_probe remote <exe> <entries> <refreshes> <cancel_ms> [-- args]
//     Start-up to the main window shown; the remote listing the command line asks for: from the
//     moment a status line shows its "226" reply (the end of the transfer) to the moment the two
//     remote lists hold <entries> items (".." included), polling LB_GETCOUNT; every poll is also a
//     message sent to the window, and the longest wait for its answer is reported. The working
//     set then. The same for <refreshes> presses of the remote Refresh button; with cancel_ms >= 0
//     one more Refresh with Cancel pressed that long after its 226: the answer's delay and what
//     the lists then hold.
//   gui_probe local <exe> <dir> <entries> <runs> [-- args]
//     Started in <dir>; once the local lists hold <entries> items, the local Refresh button is
//     pressed <runs> times, each timed until the window answers again.
//   gui_probe batch <exe> <outdir> <count> <local_items> [-- args]
//     Started in the empty <outdir> with a remote directory of <count> files shown: selects
//     every remote file, presses "<--" and times until the local file list holds <local_items>
//     items (the files, and the transfer log where one is written there).
//   gui_probe start <exe> <class> [-- args]
//     Start-up to a window of <class> shown, and the working set a second later (any program).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../find_window_win32.h"
#include "resources/resource.h"

namespace {

LARGE_INTEGER freq, t0;

double Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return (now.QuadPart - t0.QuadPart) * 1000.0 / freq.QuadPart;
}

BOOL CALLBACK AddStatic(HWND hwnd, LPARAM lp) {
  char cls[32] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  if (lstrcmpiA(cls, "Static") == 0) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
  return TRUE;
}

struct Child {
  HWND main = nullptr;
  HWND Item(int id) const { return GetDlgItem(main, id); }
};

PROCESS_INFORMATION Start(int argc, char** argv, int first, const char* exe, const char* dir) {
  std::string cmd = std::string("\"") + exe + "\"";
  for (int i = first; i < argc; ++i)
    if (std::strcmp(argv[i], "--") == 0)
      for (int j = i + 1; j < argc; ++j) cmd += std::string(" ") + argv[j];
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&t0);
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir, &si, &pi)) {
    std::fprintf(stderr, "cannot start %s (%lu)\n", exe, GetLastError());
    std::exit(1);
  }
  return pi;
}

void Stop(PROCESS_INFORMATION& pi, HWND main) {
  if (main) PostMessageA(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

HWND WaitMain(const PROCESS_INFORMATION& pi, const char* cls, double* shownMs) {
  while (Now() < 60000) {
    HWND main = bench::FindVisibleWindow(pi.dwProcessId, cls);
    if (main) {
      *shownMs = Now();
      return main;
    }
    if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  std::fprintf(stderr, "no %s window\n", cls);
  return nullptr;
}

double WorkingSetMiB(HANDLE process) {
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof pmc;
  if (!GetProcessMemoryInfo(process, &pmc, sizeof pmc)) return -1;
  return pmc.WorkingSetSize / 1048576.0;
}

// The item count of a list, sent as a message; the time its answer took goes to *waitMs.
int Count(HWND list, double* waitMs = nullptr) {
  double a = Now();
  DWORD_PTR n = 0;
  if (!SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 120000, &n)) n = 0;
  if (waitMs) *waitMs = Now() - a;
  return static_cast<int>(n);
}

// Sends a command as its button would and returns how long the window took to answer.
double Press(HWND main, int id) {
  double a = Now();
  DWORD_PTR r;
  SendMessageTimeoutA(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(main, id)),
                      SMTO_NORMAL, 300000, &r);
  return Now() - a;
}

bool StatusShows(const std::vector<HWND>& statics, const char* code) {
  char text[512];
  for (HWND h : statics) {
    // Another process's window: its text is read without a message, so this never waits for it.
    if (GetWindowTextA(h, text, sizeof text) <= 0) continue;
    if (std::strncmp(text, code, 3) == 0) return true;
  }
  return false;
}

struct FillResult {
  double transferEnd = -1, fill = -1, longest = 0, cancelAnswer = -1;
  int items = 0, polls = 0;
};

// Waits for the listing's 150 and then its 226 on a status line, then polls the lists (each poll a message the
// window must answer) until they hold `entries` items; or, with cancelMs >= 0, presses Cancel
// that long after the 226 and waits until the lists stop changing.
FillResult MeasureFill(HANDLE process, HWND main, const std::vector<HWND>& statics, HWND dirs, HWND files, int entries,
                       int cancelMs) {
  FillResult r;
  double begin = Now();
  // The upper status line holds the line before the newest: an older 226 may linger there until
  // the listing's own "150" has been logged.
  bool started = false;
  while (Now() - begin < 600000 && WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
    if (!started) started = StatusShows(statics, "150");
    if (started && StatusShows(statics, "226")) {
      r.transferEnd = Now();
      break;
    }
    Sleep(1);
  }
  if (r.transferEnd < 0) {
    std::fprintf(stderr, "no 226 reply seen\n");
    return r;
  }
  double wait = 0;
  if (cancelMs >= 0) {
    Sleep(static_cast<DWORD>(cancelMs));
    r.cancelAnswer = Press(main, IDM_CANCEL);
    int last = -1;
    for (int same = 0; same < 20; Sleep(50)) {  // settled: one second without a change
      r.items = Count(dirs) + Count(files);
      same = r.items == last ? same + 1 : 0;
      last = r.items;
    }
    r.fill = Now() - r.transferEnd;
    return r;
  }
  while (Now() - r.transferEnd < 600000) {
    r.items = Count(dirs, &wait) + Count(files);
    r.longest = std::max(r.longest, wait);
    ++r.polls;
    if (r.items >= entries) {
      r.fill = Now() - r.transferEnd;
      break;
    }
    Sleep(5);
  }
  return r;
}

int Remote(int argc, char** argv) {
  if (argc < 6) return 2;
  const int entries = std::atoi(argv[3]);
  const int refreshes = std::atoi(argv[4]);
  const int cancelMs = std::atoi(argv[5]);
  PROCESS_INFORMATION pi = Start(argc, argv, 6, argv[2], nullptr);
  double shown = -1;
  HWND main = WaitMain(pi, "MIRVAN32", &shown);
  if (!main) return 1;
  HWND dirs = GetDlgItem(main, IDC_REMOTE_DIRS), files = GetDlgItem(main, IDC_REMOTE_FILES);
  std::vector<HWND> statics;
  EnumChildWindows(main, AddStatic, reinterpret_cast<LPARAM>(&statics));
  FillResult first = MeasureFill(pi.hProcess, main, statics, dirs, files, entries, -1);
  double ws = WorkingSetMiB(pi.hProcess);
  std::printf("main_shown_ms=%.0f transfer_end_ms=%.0f first_fill_ms=%.0f items=%d longest_answer_ms=%.0f "
              "working_set_mib=%.1f",
              shown, first.transferEnd, first.fill, first.items, first.longest, ws);
  bool ok = first.fill >= 0;
  // Refresh in the window as it now stands.
  for (int i = 0; ok && i < refreshes + (cancelMs >= 0 ? 1 : 0); ++i) {
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_REMOTE_REFRESH, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(main, IDC_REMOTE_REFRESH)));
    bool cancel = i == refreshes;
    FillResult f = MeasureFill(pi.hProcess, main, statics, dirs, files, entries, cancel ? cancelMs : -1);
    if (cancel) {
      std::printf(" cancel_after_ms=%d cancel_answer_ms=%.0f items_after_cancel=%d", cancelMs, f.cancelAnswer, f.items);
    } else {
      std::printf(" refresh_fill_ms=%.0f items=%d polls=%d longest_answer_ms=%.0f", f.fill, f.items, f.polls,
                  f.longest);
      ok = f.fill >= 0;
    }
  }
  std::printf("\n");
  std::fflush(stdout);
  Stop(pi, main);
  return ok ? 0 : 1;
}

int Local(int argc, char** argv) {
  if (argc < 6) return 2;
  const int entries = std::atoi(argv[4]);
  const int runs = std::atoi(argv[5]);
  PROCESS_INFORMATION pi = Start(argc, argv, 6, argv[2], argv[3]);
  double shown = -1;
  HWND main = WaitMain(pi, "MIRVAN32", &shown);
  if (!main) return 1;
  HWND dirs = GetDlgItem(main, IDC_LOCAL_DIRS), files = GetDlgItem(main, IDC_LOCAL_FILES);
  while (Count(dirs) + Count(files) < entries && Now() < 120000) Sleep(20);
  std::printf("main_shown_ms=%.0f", shown);
  for (int i = 0; i < runs; ++i) {
    double answer = Press(main, IDC_LOCAL_REFRESH);
    int n = Count(dirs) + Count(files);
    std::printf(" refresh_ms=%.0f items=%d", answer, n);
  }
  std::printf("\n");
  std::fflush(stdout);
  Stop(pi, main);
  return 0;
}

int Batch(int argc, char** argv) {
  if (argc < 6) return 2;
  const int count = std::atoi(argv[4]);
  const int localItems = std::atoi(argv[5]);
  PROCESS_INFORMATION pi = Start(argc, argv, 6, argv[2], argv[3]);
  double shown = -1;
  HWND main = WaitMain(pi, "MIRVAN32", &shown);
  if (!main) return 1;
  HWND remote = GetDlgItem(main, IDC_REMOTE_FILES), local = GetDlgItem(main, IDC_LOCAL_FILES);
  while (Count(remote) < count && Now() < 120000) Sleep(20);
  double listed = Now();
  double ws = WorkingSetMiB(pi.hProcess);
  DWORD_PTR r;
  SendMessageTimeoutA(remote, LB_SETSEL, TRUE, -1, SMTO_NORMAL, 10000, &r);
  int selected = static_cast<int>(SendMessageA(remote, LB_GETSELCOUNT, 0, 0));
  double a = Now();
  double answer = Press(main, IDC_DOWNLOAD);
  double longest = 0, wait = 0, done = -1;
  int n = 0;
  while (Now() - a < 600000) {
    n = Count(local, &wait);
    longest = std::max(longest, wait);
    if (n >= localItems) {
      done = Now();
      break;
    }
    Sleep(5);
  }
  std::printf("main_shown_ms=%.0f listed_ms=%.0f working_set_mib=%.1f selected=%d press_answer_ms=%.0f batch_ms=%.0f "
              "local_items=%d longest_answer_ms=%.0f\n",
              shown, listed, ws, selected, answer, done - a, n, longest);
  std::fflush(stdout);
  Sleep(2000);  // the end of the batch: its last list refresh
  Stop(pi, main);
  return done < 0 ? 1 : 0;
}

int StartOnly(int argc, char** argv) {
  if (argc < 4) return 2;
  PROCESS_INFORMATION pi = Start(argc, argv, 4, argv[2], nullptr);
  double shown = -1;
  HWND main = WaitMain(pi, argv[3], &shown);
  if (!main) return 1;
  DWORD_PTR r;
  SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &r);
  Sleep(1000);
  std::printf("main_shown_ms=%.0f working_set_mib=%.1f\n", shown, WorkingSetMiB(pi.hProcess));
  std::fflush(stdout);
  Stop(pi, main);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  int r = 2;
  if (mode == "remote") r = Remote(argc, argv);
  else if (mode == "local") r = Local(argc, argv);
  else if (mode == "batch") r = Batch(argc, argv);
  else if (mode == "start") r = StartOnly(argc, argv);
  if (r == 2) std::fprintf(stderr, "usage: see the head of gui_probe_win32.cpp\n");
  return r;
}
