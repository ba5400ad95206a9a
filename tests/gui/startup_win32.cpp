// Starts the real MIRVAN32.exe, finds its main window, closes it as a user does, and checks
// what it wrote back to its settings file.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/ini.h"
#include "support/temp_dir.h"

using testing_support::TempDir;

namespace {

const std::string kExe = std::string(MIRVAN_BIN_DIR) + "\\MIRVAN32.exe";

struct Running {
  PROCESS_INFORMATION pi{};
  bool started = false;
  ~Running() {
    if (!started) return;
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
};

bool Start(Running& r, const std::string& args, const std::string& dir) {
  std::string cmd = "\"" + kExe + "\" " + args;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  r.started = CreateProcessA(kExe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &r.pi);
  return r.started;
}

struct FindData {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM lp) {
  auto* d = reinterpret_cast<FindData*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char caption[64] = "";
  GetWindowTextA(hwnd, caption, sizeof caption);
  if (pid == d->pid && std::string(caption) == "MIRVAN32" && IsWindowVisible(hwnd)) {
    d->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND WaitForMainWindow(DWORD pid) {
  for (int i = 0; i < 200; ++i) {
    FindData d{pid, nullptr};
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&d));
    if (d.found) return d.found;
    Sleep(50);
  }
  return nullptr;
}

DWORD CloseAndWait(Running& r, HWND main) {
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(r.pi.hProcess, 20000), WAIT_OBJECT_0);
  DWORD code = 12345;
  GetExitCodeProcess(r.pi.hProcess, &code);
  return code;
}

}  // namespace

TEST(Startup, PlacesWindowFromSettingsAndSavesSessionOnClose) {
  TempDir dir;
  std::string ini = dir.Write("start.ini", "[_config_]\r\nAUTOSTART=0\r\nLOC=20,30,600,400\r\nSESSION=alpha\r\n");
  {
    Running r;
    ASSERT_TRUE(Start(r, "-i " + ini, dir.path())) << kExe;
    HWND main = WaitForMainWindow(r.pi.dwProcessId);
    ASSERT_NE(main, nullptr);
    RECT rc;
    GetWindowRect(main, &rc);
    EXPECT_EQ(rc.left, 20);
    EXPECT_EQ(rc.top, 30);
    EXPECT_EQ(rc.right - rc.left, 600);
    EXPECT_EQ(rc.bottom - rc.top, 400);
    char cls[32];
    GetClassNameA(main, cls, sizeof cls);
    EXPECT_STREQ(cls, "MIRVAN32");
    EXPECT_EQ(CloseAndWait(r, main), 0u);
  }
  EXPECT_EQ(core::ini::ReadString(ini, "_config_", "SESSION", ""), "alpha");
  {
    Running r;
    ASSERT_TRUE(Start(r, "-i " + ini + " -p beta", dir.path()));
    HWND main = WaitForMainWindow(r.pi.dwProcessId);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(CloseAndWait(r, main), 0u);
  }
  EXPECT_EQ(core::ini::ReadString(ini, "_config_", "SESSION", ""), "beta");
}

TEST(Startup, DamagedOrReadOnlySettingsDoNotStopTheProgram) {
  TempDir dir;
  std::string bad = "garbage\r\n[_config_\r\n" + std::string(100 * 1024, 'x') + "\r\n\x01\x02\xff[AUTOSTART=0\r\n";
  bad += "[_config_]\r\nAUTOSTART=0\r\n";
  std::string ini = dir.Write("bad.ini", bad);
  SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
  Running r;
  ASSERT_TRUE(Start(r, "-i " + ini + " -p gamma", dir.path()));
  HWND main = WaitForMainWindow(r.pi.dwProcessId);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(CloseAndWait(r, main), 0u);
  SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
}
