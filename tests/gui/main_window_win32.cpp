// MIRVAN32.exe driven as a user drives it: it starts with the session dialog open, the dialog's
// fields are filled by control id and Ok pressed; then the main window's caption, buttons and
// remote lists are read back from the other process while it connects, changes directory,
// closes and exits, against a real server (its port in MIRVAN_TEST_FTP_PORT) and a scripted one.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "support/program_win32.h"
#include "support/scripted_ftp_server.h"
#include "support/temp_dir.h"

using testing_support::ScriptedFtpServer;
using testing_support::ScriptedReply;
using testing_support::TempDir;

namespace {

using testing_support::AnswerSessionDialog;
using testing_support::Child;
using testing_support::ComboText;
using testing_support::HasItemStartingWith;
using testing_support::Join;
using testing_support::ListItems;
using testing_support::PressAlt;
using testing_support::Program;
using testing_support::Text;
using testing_support::WaitFor;

// The settings file of a run: the session dialog opens at start-up on profile "srv", whose
// stored host is wrong on purpose (the typed one must be used).
std::string WriteSettings(TempDir& dir, int port, const std::string& extra = "") {
  return dir.Write("main.ini", "[_config_]\r\nAUTOSTART=1\r\nSESSION=srv\r\nMAILADDR=tester@example.org\r\nusewave=0\r\n"
                               "LOC=0,0,720,520\r\n[srv]\r\nHOST=wrong.invalid\r\nPORT=" +
                                   std::to_string(port) + "\r\nUID=anonymous\r\nTIMEOUT=120\r\n" + extra);
}

TEST(MainWindowWine, ConnectsListsChangesDirectoryClosesAndExitsWithTheKeyboard) {
  const char* port = std::getenv("MIRVAN_TEST_FTP_PORT");
  if (!port || !*port) GTEST_SKIP() << "no test FTP server (run through tests/gui/with_ftp_server)";
  TempDir dir;
  std::string ini = WriteSettings(dir, std::atoi(port), "DIR=/pub\r\n");
  Program program;
  ASSERT_TRUE(program.Start("-i " + ini, dir.path()));
  ASSERT_TRUE(AnswerSessionDialog(program.Window("Session Profile"), L"127.0.0.1")) << "the session dialog did not open";

  HWND main = program.Window("MIRVAN32 127.0.0.1");
  ASSERT_NE(main, nullptr) << "no connected caption";
  HWND dirs = Child(main, IDC_REMOTE_DIRS), files = Child(main, IDC_REMOTE_FILES);
  EXPECT_EQ(Text(Child(main, IDM_CONNECT)), "&Close");
  // The listing of /pub: the directory "docs" and the 23-byte file hello.txt.
  ASSERT_TRUE(WaitFor([&] { return HasItemStartingWith(ListItems(files), "hello.txt"); })) << Join(ListItems(files));
  EXPECT_EQ(ListItems(dirs), (std::vector<std::string>{"..", "docs"}));
  EXPECT_EQ(ComboText(Child(main, IDC_REMOTE_DIRCOMBO)), "/pub");
  const std::string hello = ListItems(files)[0];
  EXPECT_EQ(hello.substr(hello.size() - 3), " 23") << hello;
  EXPECT_TRUE(IsWindowEnabled(Child(main, IDC_REMOTE_CHGDIR)));
  // The local pane lists the directory the program runs in.
  EXPECT_TRUE(HasItemStartingWith(ListItems(Child(main, IDC_LOCAL_FILES)), "main.ini"))
      << Join(ListItems(Child(main, IDC_LOCAL_FILES)));

  // A double-click on "docs" lists that directory.
  SendMessageW(dirs, LB_SETSEL, TRUE, 1);
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_REMOTE_DIRS, LBN_DBLCLK), reinterpret_cast<LPARAM>(dirs));
  ASSERT_TRUE(WaitFor([&] { return HasItemStartingWith(ListItems(Child(main, IDC_REMOTE_FILES)), "notes.txt"); }))
      << Join(ListItems(Child(main, IDC_REMOTE_FILES)));
  EXPECT_EQ(ListItems(Child(main, IDC_REMOTE_DIRS)), (std::vector<std::string>{".."}));
  EXPECT_EQ(ComboText(Child(main, IDC_REMOTE_DIRCOMBO)), "/pub/docs");

  // Alt+C closes the connection: the remote lists empty, the button reads "&Connect" again.
  PressAlt(main, 'C');
  ASSERT_TRUE(WaitFor([&] { return Text(main) == "MIRVAN32"; })) << Text(main);
  EXPECT_TRUE(WaitFor([&] { return Text(Child(main, IDM_CONNECT)) == "&Connect"; }));
  EXPECT_TRUE(ListItems(Child(main, IDC_REMOTE_FILES)).empty()) << Join(ListItems(Child(main, IDC_REMOTE_FILES)));
  EXPECT_TRUE(ListItems(Child(main, IDC_REMOTE_DIRS)).empty() ||
              ListItems(Child(main, IDC_REMOTE_DIRS)) == std::vector<std::string>{".."});
  EXPECT_FALSE(IsWindowEnabled(Child(main, IDC_REMOTE_CHGDIR)));

  // Alt+X ends the program.
  PressAlt(main, 'X');
  EXPECT_EQ(program.ExitCode(), 0);
}

// The control of the program's window thread that has the keyboard focus.
HWND FocusOf(HWND main) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info);
  return info.hwndFocus;
}

void PressTab(bool shift) {
  std::vector<INPUT> in;
  auto key = [&](WORD vk, bool up) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.push_back(i);
  };
  if (shift) key(VK_SHIFT, false);
  key(VK_TAB, false);
  key(VK_TAB, true);
  if (shift) key(VK_SHIFT, true);
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

TEST(MainWindowWine, TabWrapsAndSkipsDisabledControls) {
  TempDir dir;
  std::string ini = dir.Write("tab.ini", "[_config_]\r\nAUTOSTART=0\r\nusewave=0\r\nLOC=0,0,720,520\r\n");
  Program program;
  ASSERT_TRUE(program.Start("-i " + ini, dir.path()));
  HWND main = program.Window("MIRVAN32");
  ASSERT_NE(main, nullptr);
  SetForegroundWindow(main);
  // The Connect button has the focus at start.
  ASSERT_TRUE(WaitFor([&] { return FocusOf(main) == Child(main, IDM_CONNECT); }, 10000));
  struct Step {
    bool shift;
    int expectedId;  // where the focus lands
  } steps[] = {
      {false, IDM_CANCEL},
      {true, IDM_CONNECT},
      // Not connected: remote DirInfo, Refresh, Delete, Rename, Exec and View are disabled.
      {true, IDC_REMOTE_MASK},
      {false, IDM_CONNECT},
      {false, IDM_CANCEL},
      {false, IDM_LOGWND},
      {false, IDM_HELP},
      {false, IDM_OPTIONS},
      {false, IDM_ABOUT},
      {false, IDM_EXIT},
      {false, IDC_LOCAL_DIRS},  // from Exit, Tab wraps to the first list
      {true, IDM_EXIT},         // and back
  };
  for (const Step& step : steps) {
    PressTab(step.shift);
    EXPECT_TRUE(WaitFor([&] { return FocusOf(main) == Child(main, step.expectedId); }, 10000))
        << "expected " << step.expectedId << ", focus on id " << GetDlgCtrlID(FocusOf(main));
  }
  PressAlt(main, 'X');
  EXPECT_EQ(program.ExitCode(), 0);
}

// A scripted server that logs anyone in; every other command gets 502 unless a rule says more.
void LogInRules(ScriptedFtpServer& server) {
  server.On("USER", "331 password please\r\n");
  server.On("PASS", "230 logged in\r\n");
}

TEST(MainWindowWine, ExitWhileConnectedSendsQuitAndEndsWithZero) {
  ScriptedFtpServer server;
  LogInRules(server);
  server.On("PWD", "257 \"/\" is current\r\n");
  server.On("QUIT", "221 bye\r\n");
  TempDir dir;
  Program program;
  ASSERT_TRUE(program.Start("-i " + WriteSettings(dir, server.port()), dir.path()));
  ASSERT_TRUE(AnswerSessionDialog(program.Window("Session Profile"), L"127.0.0.1")) << "the session dialog did not open";
  HWND main = program.Window("MIRVAN32 127.0.0.1");
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFor([&] { return Text(Child(main, IDM_CONNECT)) == "&Close"; }));
  PostMessageW(Child(main, IDM_EXIT), BM_CLICK, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0);
  std::vector<std::string> t = server.Transcript();
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(t.front(), "USER anonymous");
  EXPECT_EQ(t.back(), "QUIT");
}

TEST(MainWindowWine, CancelEndsAListingThatTheServerStalls) {
  ScriptedFtpServer server;
  LogInRules(server);
  server.On("PWD", "257 \"/\" is current\r\n");
  server.On("PASV", ScriptedReply::Passive());
  server.On("PORT", ScriptedReply::Port());
  server.On("LIST", ScriptedReply::Stall());  // no reply at all; the client would wait 120 s
  TempDir dir;
  Program program;
  ASSERT_TRUE(program.Start("-i " + WriteSettings(dir, server.port()), dir.path()));
  ASSERT_TRUE(AnswerSessionDialog(program.Window("Session Profile"), L"127.0.0.1")) << "the session dialog did not open";
  HWND main = program.Window("MIRVAN32*");
  ASSERT_NE(main, nullptr);
  // The listing has started and hangs.
  ASSERT_TRUE(WaitFor([&] {
    for (const std::string& c : server.Transcript())
      if (c.compare(0, 4, "LIST") == 0) return true;
    return false;
  }));
  PostMessageW(Child(main, IDM_CANCEL), BM_CLICK, 0, 0);
  // Control comes back long before the time-out: the listing gives up (the directory list
  // then holds ".." alone), the connection stays open and the window answers.
  EXPECT_TRUE(WaitFor([&] { return ListItems(Child(main, IDC_REMOTE_DIRS)) == std::vector<std::string>{".."}; }, 5000))
      << Join(ListItems(Child(main, IDC_REMOTE_DIRS)));
  EXPECT_TRUE(ListItems(Child(main, IDC_REMOTE_FILES)).empty());
  EXPECT_EQ(Text(Child(main, IDM_CONNECT)), "&Close");
  DWORD_PTR answer = 0;
  EXPECT_NE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer), 0);
  PostMessageW(Child(main, IDM_EXIT), BM_CLICK, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0);
}

}  // namespace
