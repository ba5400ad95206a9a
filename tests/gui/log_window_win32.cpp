// The message log window and the help window, created in-process as the client creates them.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>

#include "core/app_state.h"
#include "core/help.h"
#include "core/message_log.h"
#include "core/settings.h"
#include "app/windows_win32.h"
#include "app/front_end_win32.h"
#include "core/shell_win32.h"
#include "support/temp_dir.h"
#include "ui/controls_win32.h"

namespace {

class ShellWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    core::App().appInstance = inst;
    core::ResetMessageLog();
    ASSERT_EQ(app::RegisterWindowClasses(inst, DefWindowProcA, GetSysColor(COLOR_BTNFACE)), 0);
    app::BuildFtpMenu();
    static app::Win32FrontEnd frontEnd;  // the real windows answer
    ui::InstallFrontEnd(&frontEnd);
  }
  void TearDown() override {
    if (HWND w = FindWindowA("MIRVANDBWNDC", "Message Log")) SendMessageA(w, WM_CLOSE, 0, 0);
    core::QuitHelp();
    app::UnregisterWindowClasses(GetModuleHandleA(nullptr));
    core::ResetMessageLog();
  }
};

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

}  // namespace

TEST_F(ShellWindows, LogWindowShowsTheRingAndFollowsNewLines) {
  core::LogLine("Connected to ftp.example.org port 21");
  app::ShowLogWindow();
  HWND w = FindWindowA("MIRVANDBWNDC", "Message Log");
  ASSERT_NE(w, nullptr);
  HWND text = GetDlgItem(w, 5554);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(ui::WindowText(text), "Connected to ftp.example.org port 21\r\n");
  core::LogLine("230 Login successful.");
  EXPECT_EQ(ui::WindowText(text), "Connected to ftp.example.org port 21\r\n230 Login successful.\r\n");
  EXPECT_NE(GetMenu(w), nullptr);  // LOGMENU

  // Opening it again raises the same window.
  app::ShowLogWindow();
  int count = 0;
  EnumWindows([](HWND h, LPARAM lp) -> BOOL {
    char cls[32];
    GetClassNameA(h, cls, sizeof cls);
    if (std::string(cls) == "MIRVANDBWNDC") ++*reinterpret_cast<int*>(lp);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&count));
  EXPECT_EQ(count, 1);

  // Copy (2200) puts the selection on the clipboard and selects everything again.
  SendMessageA(text, EM_SETSEL, 0, 9);
  SendMessageA(w, WM_COMMAND, 2200, 0);
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_TEXT);
  ASSERT_NE(data, nullptr);
  EXPECT_STREQ(static_cast<const char*>(GlobalLock(data)), "Connected");
  GlobalUnlock(data);
  CloseClipboard();
  DWORD from = 0, to = 0;
  SendMessageA(text, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 0u);
  EXPECT_EQ(to, static_cast<DWORD>(GetWindowTextLengthA(text)));

  // Exit (5555) closes it; lines then only go to the ring.
  SendMessageA(w, WM_COMMAND, 5555, 0);
  Pump();
  EXPECT_FALSE(IsWindow(w));
  EXPECT_FALSE(app::LogWindowOpen());
  core::LogLine("after close");
  EXPECT_EQ(core::StoredLines().size(), 3u);
}

TEST_F(ShellWindows, FtpMenuHasItsEntries) {
  HMENU m = app::FtpMenu();
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(GetMenuItemCount(m), 9);
  char text[64];
  GetMenuStringA(m, 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "FTP Menu");
  EXPECT_TRUE(GetMenuState(m, 0, MF_BYPOSITION) & MF_GRAYED);
  HMENU commands = GetSubMenu(m, 3);
  ASSERT_NE(commands, nullptr);
  EXPECT_EQ(GetMenuItemCount(commands), 12);
  EXPECT_EQ(GetMenuItemID(commands, 11), 1314u);  // STOR
  GetMenuStringA(m, 1500, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "A&bout");
}

TEST_F(ShellWindows, HelpOpensTheTopicOrTheContents) {
  testing_support::TempDir dir;
  core::Files().helpFile = dir.Write("MIRVAN.HLP", "@topic 10 Contents\nAll topics\n@topic 180 Directories\nCWD help\n");
  core::ShowHelp(180);
  HWND w = FindWindowA("MIRVANHELP", nullptr);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(ui::WindowText(w), "MIRVAN32 Help - Directories");
  EXPECT_EQ(ui::WindowText(GetDlgItem(w, 1)), "CWD help\r\n");
  core::ShowHelp(0);
  EXPECT_EQ(FindWindowA("MIRVANHELP", nullptr), w);  // one help window, showing the contents now
  EXPECT_EQ(ui::WindowText(w), "MIRVAN32 Help - Contents");
  core::QuitHelp();
  EXPECT_FALSE(IsWindow(w));
}

// Two worker threads logging while the log window and the status lines are open: the lines reach
// the windows through the UI thread, nothing waits on the other, and no line is lost or torn.
TEST_F(ShellWindows, TwoThreadsLogThroughTheRealWindowsWithoutLosingALine) {
  app::ShowLogWindow();
  HWND w = FindWindowA("MIRVANDBWNDC", "Message Log");
  ASSERT_NE(w, nullptr);
  HWND text = GetDlgItem(w, 5554);
  // The status lines, as the main window has them.
  HWND upper = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 400, 16, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  HWND lower = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 400, 16, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  auto* front = static_cast<app::Win32FrontEnd*>(&ui::Front());
  front->SetStatusLabels(upper, lower);
  constexpr int kLines = 1000;
  std::atomic<int> done{0};
  auto writer = [&done](char tag) {
    for (int i = 0; i < kLines; ++i) core::LogMessage("%c %04d %s", tag, i, std::string(40, tag).c_str());
    ++done;
  };
  DWORD start = GetTickCount();
  std::thread a(writer, 'A'), b(writer, 'B');
  // The UI thread logs too, and keeps dispatching, as the window does during a batch.
  for (int i = 0; done < 2 && GetTickCount() - start < 60000; ++i) {
    if (i % 50 == 0) core::LogLine("ui line");
    Pump();
    Sleep(1);
  }
  a.join();
  b.join();
  Pump();
  front->Flush();
  EXPECT_EQ(done.load(), 2) << "the writers did not finish: a wait between the threads";
  std::string all = ui::WindowText(text);
  std::set<std::string> seen;
  size_t pos = 0, count = 0;
  while ((pos = all.find("\r\n")) != std::string::npos) {
    std::string line = all.substr(0, pos);
    all.erase(0, pos + 2);
    if (line == "ui line") continue;
    ASSERT_EQ(line.size(), 47u) << line;
    ASSERT_EQ(line.substr(7), std::string(40, line[0])) << line;
    seen.insert(line.substr(0, 6));
    ++count;
  }
  EXPECT_EQ(count, 2u * kLines);
  EXPECT_EQ(seen.size(), 2u * kLines);
  // The status lines show the newest two lines of the log.
  std::string up, low;
  core::CurrentStatusLines(up, low);
  EXPECT_EQ(ui::WindowText(lower), low);
  EXPECT_EQ(ui::WindowText(upper), up);
  front->SetStatusLabels(nullptr, nullptr);
  DestroyWindow(upper);
  DestroyWindow(lower);
}
