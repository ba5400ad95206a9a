// The transfer status dialog as a user sees it: a slow 200 MB download from a throttled real
// server (its port in MIRVAN_TEST_FTP_PORT, see tests/gui/with_slow_ftp_server) shows the dialog
// with a moving bar; Cancel ends the download at once, reported failed, and the client goes on.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gui/gui_driver.h"
#include "resources/resource.h"
#include "support/temp_dir.h"

using namespace gui_driver;
using testing_support::TempDir;

namespace {

// The percentage the bar shows ("37%"), or -1 while it shows none.
int BarPercent(HWND dialog) {
  std::string t = Text(GetDlgItem(dialog, IDC_STATUS_BAR));
  if (t.empty() || t.back() != '%') return -1;
  return std::atoi(t.c_str());
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The names in a directory besides the settings file.
std::vector<std::string> OtherFiles(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    std::string n = fd.cFileName;
    if (n != "." && n != ".." && n != "slow.ini") names.push_back(n);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return names;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Starts MIRVAN32 on the test server's /pub (PROMPT as given) and waits for its listing.
// Returns the main window, or nullptr (with the failure recorded).
HWND StartConnected(Program& program, TempDir& dir, const char* port, int prompt) {
  std::string ini = dir.Write("slow.ini", "[_config_]\r\nAUTOSTART=1\r\nSESSION=srv\r\nMAILADDR=tester@example.org\r\n"
                                          "usewave=0\r\nHASH=1\r\nPROMPT=" + std::to_string(prompt) +
                                          "\r\nLOC=0,0,720,520\r\n[srv]\r\nHOST=127.0.0.1\r\nPORT=" + std::string(port) +
                                          "\r\nUID=anonymous\r\nTIMEOUT=120\r\nDIR=/pub\r\n");
  EXPECT_TRUE(program.Start("-i " + ini, dir.path()));
  HWND session = program.Window("Session Profile");
  EXPECT_NE(session, nullptr);
  if (!session) return nullptr;
  SetText(GetDlgItem(session, IDC_HOST_PASSWORD), "tester@example.org");
  Click(GetDlgItem(session, IDOK));
  HWND main = program.Window("MIRVAN32 127.0.0.1");
  EXPECT_NE(main, nullptr);
  if (!main) return nullptr;
  HWND files = GetDlgItem(main, IDC_REMOTE_FILES);
  EXPECT_TRUE(WaitFor([&] { return FindItem(files, "big.bin") >= 0 && FindItem(files, "hello.txt") >= 0; }))
      << Join(ListItems(files));
  return main;
}

TEST(StatusDialogWine, ShowsASlowDownloadAndCancelEndsItAtOnce) {
  const char* port = std::getenv("MIRVAN_TEST_FTP_PORT");
  if (!port || !*port) GTEST_SKIP() << "no test FTP server (run through tests/gui/with_slow_ftp_server)";
  TempDir dir;
  Program program;
  HWND main = StartConnected(program, dir, port, 0);
  ASSERT_NE(main, nullptr);
  HWND files = GetDlgItem(main, IDC_REMOTE_FILES);
  PostMessageW(main, WM_COMMAND, IDM_LOGWND, 0);
  HWND logText = GetDlgItem(program.Window("Message Log"), IDC_LOGTEXT);
  ASSERT_NE(logText, nullptr);

  // "<--" with big.bin selected: the status dialog opens and its bar moves.
  SendMessageW(files, LB_SETSEL, TRUE, FindItem(files, "big.bin"));
  Click(GetDlgItem(main, IDC_DOWNLOAD));
  HWND status = program.Window("Transfer Status", 20000);
  ASSERT_NE(status, nullptr) << "no status dialog";
  // The status text is the server's reply to RETR.
  EXPECT_NE(Text(GetDlgItem(status, IDC_STATUS_TEXT)).find("Transfer starting"), std::string::npos)
      << Text(GetDlgItem(status, IDC_STATUS_TEXT));
  int first = -1;
  ASSERT_TRUE(WaitFor([&] { return (first = BarPercent(status)) > 0; }, 20000)) << Text(GetDlgItem(status, IDC_STATUS_BAR));
  ASSERT_TRUE(WaitFor([&] { return BarPercent(status) > first; }, 20000)) << "the bar stays at " << first << "%";
  EXPECT_LT(BarPercent(status), 100);
  // The progress text starts with the bytes received so far.
  const std::string progress = Text(GetDlgItem(status, IDC_STATUS_PROGRESS));
  EXPECT_GT(std::atoll(progress.c_str()), 1000000) << progress;
  // The main window answers while the worker receives.
  DWORD_PTR answer = 0;
  EXPECT_NE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer), 0);

  // The user moves the dialog; the next transfer's dialog opens at the new place.
  SetWindowPos(status, nullptr, 40, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT moved{};
  ASSERT_TRUE(WaitFor([&] {
    GetWindowRect(status, &moved);
    return moved.left == 40 && moved.top == 300;
  }, 5000));

  // The download is moving into a partial file beside the target.
  ASSERT_EQ(OtherFiles(dir.path()).size(), 1u) << Join(OtherFiles(dir.path()));
  const size_t before = Count(Text(logText), "transfer succeeded");  // the listings so far

  // Cancel: within 2 seconds the transfer has ended (the worker has removed its partial file);
  // the log says it failed, the dialog is gone and the client is not busy.
  const auto pressed = std::chrono::steady_clock::now();
  Click(GetDlgItem(status, IDCANCEL));
  EXPECT_TRUE(WaitFor([&] { return OtherFiles(dir.path()).empty(); }, 2000)) << Join(OtherFiles(dir.path()));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - pressed).count();
  std::printf("Cancel ended the download after %.2f s\n", seconds);
  EXPECT_LT(seconds, 2.0);
  EXPECT_TRUE(WaitFor([&] { return Text(logText).find("transfer failed") != std::string::npos; }, 5000))
      << Text(logText);
  EXPECT_TRUE(WaitFor([&] { return !program.HasWindow("Transfer Status"); }, 5000));
  EXPECT_EQ(Count(Text(logText), "transfer succeeded"), before) << Text(logText);
  // The partial file is not left behind as if it had arrived.
  EXPECT_TRUE(WaitFor([&] { return FindItem(GetDlgItem(main, IDC_LOCAL_FILES), "big.bin") < 0; }, 3000))
      << Join(ListItems(GetDlgItem(main, IDC_LOCAL_FILES)));
  EXPECT_EQ(GetFileAttributesA((dir.path() + "\\big.bin").c_str()), INVALID_FILE_ATTRIBUTES);

  // The next download's dialog opens where the user left the last one; it is cancelled too.
  Click(GetDlgItem(main, IDC_DOWNLOAD));
  HWND second = program.Window("Transfer Status", 20000);
  ASSERT_NE(second, nullptr);
  RECT again{};
  GetWindowRect(second, &again);
  EXPECT_EQ(again.left, moved.left);
  EXPECT_EQ(again.top, moved.top);
  ASSERT_TRUE(WaitFor([&] { return OtherFiles(dir.path()).size() == 1; }, 10000));
  Click(GetDlgItem(second, IDCANCEL));
  EXPECT_TRUE(WaitFor([&] { return OtherFiles(dir.path()).empty(); }, 2000)) << Join(OtherFiles(dir.path()));
  EXPECT_TRUE(WaitFor([&] { return Count(Text(logText), "transfer failed") == 2; }, 5000)) << Text(logText);

  // A download that is left alone goes through.
  SendMessageW(files, LB_SETSEL, FALSE, -1);
  SendMessageW(files, LB_SETSEL, TRUE, FindItem(files, "hello.txt"));
  Click(GetDlgItem(main, IDC_DOWNLOAD));
  ASSERT_TRUE(WaitFor([&] { return Count(Text(logText), "transfer succeeded") == before + 1; }, 20000))
      << Text(logText);
  EXPECT_TRUE(WaitFor([&] { return FileText(dir.path() + "\\hello.txt") == "hello from the server\r\n"; }, 5000));
  EXPECT_TRUE(WaitFor([&] { return FindItem(GetDlgItem(main, IDC_LOCAL_FILES), "hello.txt") >= 0; }, 5000));

  Click(GetDlgItem(main, IDM_EXIT));
  EXPECT_EQ(program.ExitCode(), 0);
}

// With PROMPT on, the batch on the worker asks for each local name; the question is a window of
// the UI thread, its answer names the file, and Exit while it is up still ends the program
// cleanly.
TEST(WorkerPromptWine, NamePromptIsAskedOnTheUiThreadAndExitWhileItIsUpEndsCleanly) {
  const char* port = std::getenv("MIRVAN_TEST_FTP_PORT");
  if (!port || !*port) GTEST_SKIP() << "no test FTP server (run through tests/gui/with_slow_ftp_server)";
  TempDir dir;
  Program program;
  HWND main = StartConnected(program, dir, port, 1);
  ASSERT_NE(main, nullptr);
  HWND files = GetDlgItem(main, IDC_REMOTE_FILES);

  SendMessageW(files, LB_SETSEL, TRUE, FindItem(files, "hello.txt"));
  Click(GetDlgItem(main, IDC_DOWNLOAD));
  HWND prompt = program.Window("Input", 20000);
  ASSERT_NE(prompt, nullptr) << "no name prompt";
  EXPECT_EQ(Text(GetDlgItem(prompt, IDC_PROMPT)), "Enter local file name for hello.txt:");
  EXPECT_EQ(Text(GetDlgItem(prompt, IDC_INPUT)), "hello.txt");
  EXPECT_EQ(GetWindowThreadProcessId(prompt, nullptr), GetWindowThreadProcessId(main, nullptr))
      << "the prompt belongs to another thread than the main window";
  SetText(GetDlgItem(prompt, IDC_INPUT), "renamed.txt");
  Click(GetDlgItem(prompt, IDOK));
  EXPECT_TRUE(WaitFor([&] { return FileText(dir.path() + "\\renamed.txt") == "hello from the server\r\n"; }, 20000));
  EXPECT_EQ(GetFileAttributesA((dir.path() + "\\hello.txt").c_str()), INVALID_FILE_ATTRIBUTES);

  // The next batch's prompt is up when the program is told to close: it goes, nothing arrives,
  // and the program ends with 0.
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(main) && !program.HasWindow("Input"); }, 5000));
  SendMessageW(files, LB_SETSEL, FALSE, -1);
  SendMessageW(files, LB_SETSEL, TRUE, FindItem(files, "big.bin"));
  Click(GetDlgItem(main, IDC_DOWNLOAD));
  ASSERT_NE(program.Window("Input", 20000), nullptr);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(10000), 0);
  EXPECT_EQ(GetFileAttributesA((dir.path() + "\\big.bin").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
