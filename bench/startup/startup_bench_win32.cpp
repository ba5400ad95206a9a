// Starts a program, watches its windows and reports how long it took until its main window was
// ready, how long a splash window stayed up and the processor time the program used meanwhile.
// Usage: bench_startup <exe> <main window class> [splash window class] [-- arguments]
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "../find_window_win32.h"

namespace {

double CpuMs(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  auto ms = [](FILETIME f) { return (static_cast<ULONGLONG>(f.dwHighDateTime) << 32 | f.dwLowDateTime) / 10000.0; };
  return ms(kernel) + ms(user);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_startup <exe> <main class> [splash class] [-- args]\n");
    return 2;
  }
  const char* exe = argv[1];
  const char* mainClass = argv[2];
  const char* splashClass = argc > 3 && std::strcmp(argv[3], "--") != 0 ? argv[3] : nullptr;
  std::string cmd = std::string("\"") + exe + "\"";
  for (int i = 3; i < argc; ++i)
    if (std::strcmp(argv[i], "--") == 0)
      for (int j = i + 1; j < argc; ++j) cmd += std::string(" ") + argv[j];

  LARGE_INTEGER freq, t0, now;
  QueryPerformanceFrequency(&freq);
  auto elapsedMs = [&] {
    QueryPerformanceCounter(&now);
    return (now.QuadPart - t0.QuadPart) * 1000.0 / freq.QuadPart;
  };
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  QueryPerformanceCounter(&t0);
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::fprintf(stderr, "cannot start %s (%lu)\n", exe, GetLastError());
    return 1;
  }
  // The splash's own wait is the first second it is up: its processor time is sampled 900 ms in.
  double splashOn = -1, splashOff = -1, cpuOn = -1, cpuOff = -1, cpuWait = -1, ready = -1, cpuReady = -1, shown = -1;
  while (elapsedMs() < 60000) {
    HWND splash = splashClass ? bench::FindVisibleWindow(pi.dwProcessId, splashClass) : nullptr;
    if (splash && splashOn < 0) {
      splashOn = elapsedMs();
      cpuOn = CpuMs(pi.hProcess);
    }
    if (splash && cpuWait < 0 && elapsedMs() - splashOn >= 900) cpuWait = CpuMs(pi.hProcess) - cpuOn;
    if (!splash && splashOn >= 0 && splashOff < 0) {
      splashOff = elapsedMs();
      cpuOff = CpuMs(pi.hProcess);
    }
    HWND main = bench::FindVisibleWindow(pi.dwProcessId, mainClass);
    if (main && shown < 0) shown = elapsedMs();
    DWORD_PTR ignored;
    if (main && !splash && SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored)) {
      ready = elapsedMs();
      cpuReady = CpuMs(pi.hProcess);
      PostMessageA(main, WM_CLOSE, 0, 0);
      break;
    }
    if (WaitForSingleObject(pi.hProcess, 10) == WAIT_OBJECT_0) break;
  }
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  std::printf("ready_ms=%.0f main_shown_ms=%.0f cpu_at_ready_ms=%.0f", ready, shown, cpuReady);
  if (splashClass)
    std::printf(" splash_on_ms=%.0f splash_shown_ms=%.0f cpu_first_900ms_of_splash_ms=%.0f cpu_during_splash_ms=%.0f",
                splashOn, splashOff - splashOn, cpuWait, cpuOff - cpuOn);
  std::printf("\n");
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return ready < 0 ? 1 : 0;
}
