// The splash window of a real MIRVAN32.exe start, the about box in-process, and what the
// executable carries in its resources (manifest, version, icon sizes, pictures).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/about.h"
#include "app/about_win32.h"
#include "core/app_state.h"
#include "core/shell_win32.h"
#include "resources/resource.h"
#include "support/dialog_script_win32.h"
#include "support/ports.h"
#include "support/temp_dir.h"

namespace {

const std::string kExe = std::string(MIRVAN_BIN_DIR) + "\\MIRVAN32.exe";

struct Process {
  PROCESS_INFORMATION pi{};
  bool started = false;
  ~Process() {
    if (!started) return;
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
};

struct TopLevelQuery {
  DWORD pid;
  const char* className;
  HWND found;
};

BOOL CALLBACK FindByClass(HWND hwnd, LPARAM lp) {
  auto* q = reinterpret_cast<TopLevelQuery*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char cls[64] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  if (pid == q->pid && lstrcmpA(cls, q->className) == 0) {
    q->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// The process's top-level window of a class, or nullptr.
HWND FindWindowOf(DWORD pid, const char* className) {
  TopLevelQuery q{pid, className, nullptr};
  EnumWindows(FindByClass, reinterpret_cast<LPARAM>(&q));
  return q.found;
}

TEST(SplashWindow, ShownDuringStartupAndGoneWhenTheMainWindowIsReady) {
  testing_support::TempDir dir;
  std::string ini = dir.Write("splash.ini", "[_config_]\r\nAUTOSTART=0\r\n");
  Process p;
  std::string cmd = "\"" + kExe + "\" -i " + ini;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  p.started = CreateProcessA(kExe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.path().c_str(), &si, &p.pi);
  ASSERT_TRUE(p.started) << kExe;
  const DWORD pid = p.pi.dwProcessId;

  // Start-up shows the splash window first.
  HWND splash = nullptr;
  for (DWORD t0 = GetTickCount(); !splash && GetTickCount() - t0 < 30000;) {
    splash = FindWindowOf(pid, "MIRVANSPLASH");
    if (splash && !IsWindowVisible(splash)) splash = nullptr;  // still being created
    if (splash) break;
    if (WaitForSingleObject(p.pi.hProcess, 0) == WAIT_OBJECT_0) break;
    HWND main = FindWindowOf(pid, "MIRVAN32");
    if (main && IsWindowVisible(main)) break;  // the main window up and no splash seen
    Sleep(5);
  }
  ASSERT_NE(splash, nullptr) << "no splash window before the main window";
  EXPECT_TRUE(IsWindowVisible(splash));
  EXPECT_TRUE(GetWindowLongA(splash, GWL_EXSTYLE) & WS_EX_TOPMOST);
  HWND frame = GetDlgItem(splash, IDC_SPLASH_FRAME);
  ASSERT_NE(frame, nullptr) << "the bitmap frame";
  RECT rc;
  GetClientRect(frame, &rc);
  EXPECT_GT(rc.right, 0);
  EXPECT_GT(rc.bottom, 0);

  // The main window comes up; once its message loop answers, the splash window is gone.
  HWND main = nullptr;
  for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < 30000; Sleep(10)) {
    main = FindWindowOf(pid, "MIRVAN32");
    if (main && IsWindowVisible(main)) break;
  }
  ASSERT_NE(main, nullptr);
  DWORD_PTR ignored = 0;
  ASSERT_NE(SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &ignored), 0);
  EXPECT_FALSE(IsWindow(splash));
  EXPECT_EQ(FindWindowOf(pid, "MIRVANSPLASH"), nullptr);

  PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(p.pi.hProcess, 20000), WAIT_OBJECT_0);
  DWORD code = 12345;
  GetExitCodeProcess(p.pi.hProcess, &code);
  EXPECT_EQ(code, 0u);
}

class AboutBox : public ::testing::Test {
 protected:
  void SetUp() override {
    core::App().appInstance = GetModuleHandleA(nullptr);
    testing_support::ResetTestFront();  // help requests are recorded
  }
};

std::string ItemText(HWND d, int id) {
  char text[256] = "";
  GetDlgItemTextA(d, id, text, sizeof text);
  return text;
}

// How many distinct colours a frame shows on a grid of sample points.
int ColoursShown(HWND frame) {
  RECT rc;
  GetClientRect(frame, &rc);
  HDC dc = GetDC(frame);
  COLORREF seen[64];
  int count = 0;
  for (int y = 4; y < rc.bottom - 4; y += rc.bottom / 8 + 1)
    for (int x = 4; x < rc.right - 4; x += rc.right / 6 + 1) {
      COLORREF c = GetPixel(dc, x, y);
      bool known = false;
      for (int i = 0; i < count; ++i) known = known || seen[i] == c;
      if (!known && count < 64) seen[count++] = c;
    }
  ReleaseDC(frame, dc);
  return count;
}

TEST_F(AboutBox, ShowsVersionAndMachineAndClosesWithOk) {
  testing_support::RecordingHelp help;
  static std::string version, platform, memory, math, disk, title;
  static int colours = 0;
  testing_support::ScheduleDialogScript("About", [](HWND d) {
    version = ItemText(d, IDC_ABOUT_VERSION);
    platform = ItemText(d, IDC_ABOUT_PLATFORM);
    memory = ItemText(d, IDC_ABOUT_MEMORY);
    math = ItemText(d, IDC_ABOUT_MATH);
    disk = ItemText(d, IDC_ABOUT_DISK);
    title = ItemText(d, IDC_ABOUT_TITLE);
    ShowWindow(d, SW_SHOWNORMAL);  // as the modal loop does once it is idle
    RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    colours = ColoursShown(GetDlgItem(d, IDC_ABOUT_BITMAP));
    // F1 on the OK button, F2 too, then OK, through the dialog's own loop.
    HWND ok = GetDlgItem(d, IDOK);
    PostMessageA(ok, WM_KEYDOWN, VK_F1, 0);
    PostMessageA(ok, WM_KEYDOWN, VK_F2, 0);
    PostMessageA(ok, BM_CLICK, 0, 0);
  });
  EXPECT_EQ(app::ShowAboutBox(nullptr), 1);
  ASSERT_TRUE(testing_support::DialogScriptRan());
  EXPECT_EQ(version, "Version 3.00, Release 96.04.27");
  EXPECT_EQ(title, app::kAboutTitle);
  EXPECT_EQ(platform, app::AboutPlatformLine(app::GatherMachineFacts()));
  EXPECT_EQ(platform.compare(0, 25, "Windows NT (threaded)  - "), 0) << platform;
  EXPECT_EQ(memory.compare(0, 4, "Tot:"), 0) << memory;
  EXPECT_EQ(math, "Present");
  EXPECT_GE(disk.size(), 8u);
  EXPECT_EQ(disk.substr(disk.size() - 8), " KB Free") << disk;
  // The picture is painted into the frame: many colours, not the dialog's one background colour.
  EXPECT_GE(colours, 4) << "the about picture was not painted";
  EXPECT_EQ(help.contexts, (std::vector<int>{HLP_ABOUT, HLP_ABOUT}));
}

TEST_F(AboutBox, CloseBoxGivesZero) {
  testing_support::ScheduleDialogScript("About", [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); });
  EXPECT_EQ(app::ShowAboutBox(nullptr), 0);
  EXPECT_TRUE(testing_support::DialogScriptRan());
}

// ---- What MIRVAN32.exe carries in its resources ----

class ExecutableResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module = LoadLibraryExA(kExe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << kExe;
  }
  void TearDown() override {
    if (module) FreeLibrary(module);
  }
  std::string Resource(LPCSTR name, LPCSTR type) {
    HRSRC r = FindResourceA(module, name, type);
    if (!r) return "";
    HGLOBAL g = LoadResource(module, r);
    const char* data = g ? static_cast<const char*>(LockResource(g)) : nullptr;
    return data ? std::string(data, SizeofResource(module, r)) : "";
  }
  HMODULE module = nullptr;
};

TEST_F(ExecutableResources, ManifestAsksForVisualStylesDpiAwarenessAndUtf8) {
  std::string manifest = Resource(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
  ASSERT_FALSE(manifest.empty()) << "no manifest with id 1";
  for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                           "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2",
                           "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
                           ">UTF-8</activeCodePage>",
                           "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",
                           "<requestedExecutionLevel level=\"asInvoker\""})
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
}

TEST_F(ExecutableResources, VersionIconAndPictures) {
  // The version: 3.00 for the file and the product.
  std::string info = Resource(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16) /* RT_VERSION */);
  ASSERT_GE(info.size(), 40u + sizeof(VS_FIXEDFILEINFO));
  const char* fixedAt = nullptr;
  for (size_t i = 0; i + 4 <= info.size() && !fixedAt; i += 4)
    if (*reinterpret_cast<const DWORD*>(info.data() + i) == 0xFEEF04BD) fixedAt = info.data() + i;
  ASSERT_NE(fixedAt, nullptr) << "no fixed file information";
  const auto* fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(fixedAt);
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 3));
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 3));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  // The icon group APP_MAIN: 16, 32 and 48 pixels.
  std::string group = Resource(MAKEINTRESOURCEA(APP_MAIN), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
  ASSERT_GE(group.size(), 6u + 3 * 14u);
  ASSERT_EQ(*reinterpret_cast<const WORD*>(group.data() + 4), 3);
  const unsigned sizes[] = {16, 32, 48};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(static_cast<unsigned char>(group[6 + 14 * i]), sizes[i]);

  // The two pictures as device-independent bitmaps (the file header is gone).
  struct Picture {
    const char* name;
    LONG width, height;
    WORD bits;
    DWORD compression;
  };
  for (const Picture& pic : {Picture{"BMP_CORV", 176, 70, 4, BI_RGB}, Picture{"MV_BMP", 159, 172, 8, BI_RLE8}}) {
    SCOPED_TRACE(pic.name);
    std::string dib = Resource(pic.name, MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    ASSERT_GE(dib.size(), sizeof(BITMAPINFOHEADER));
    const auto* h = reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
    EXPECT_EQ(h->biSize, 40u);
    EXPECT_EQ(h->biWidth, pic.width);
    EXPECT_EQ(h->biHeight, pic.height);
    EXPECT_EQ(h->biBitCount, pic.bits);
    EXPECT_EQ(h->biCompression, pic.compression);
  }
}

}  // namespace
