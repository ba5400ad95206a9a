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

#include "resources/resource.h"
#include "support/program_win32.h"
#include "support/temp_dir.h"

using namespace testing_support;

namespace {

// The percentage the bar shows ("37%"), or -1 while it shows none.
int BarPercent(HWND dialog) {
  std::string t = Text(Child(dialog, IDC_STATUS_BAR));
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
  SetField(session, IDC_HOST_PASSWORD, L"tester@example.org");
  Click(session, IDOK);
  HWND main = program.Window("MIRVAN32 127.0.0.1");
  EXPECT_NE(main, nullptr);
  if (!main) return nullptr;
  HWND files = Child(main, IDC_REMOTE_FILES);
  EXPECT_TRUE(WaitFor([&] {
    const std::vector<std::string> items = ListItems(files);
    return HasItemStartingWith(items, "big.bin") && HasItemStartingWith(items, "hello.txt");
  })) << Join(ListItems(files));
  return main;
}

TEST(StatusDialogWine, ShowsASlowDownloadAndCancelEndsItAtOnce) {
  const char* port = std::getenv("MIRVAN_TEST_FTP_PORT");
  if (!port || !*port) GTEST_SKIP() << "no test FTP server (run through tests/gui/with_slow_ftp_server)";
  TempDir dir;
  Program program;
  HWND main = StartConnected(program, dir, port, 0);
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, IDM_LOGWND, 0);
  HWND logText = Child(program.Window("Message Log"), IDC_LOGTEXT);
  ASSERT_NE(logText, nullptr);

  // "<--" with big.bin selected: the status dialog opens and its bar moves.
  ASSERT_TRUE(SelectItems(main, IDC_REMOTE_FILES, {"big.bin"}));
  Click(main, IDC_DOWNLOAD);
  HWND status = program.Window("Transfer Status", 20000);
  ASSERT_NE(status, nullptr) << "no status dialog";
  // The status text is the server's reply to RETR.
  EXPECT_NE(Text(Child(status, IDC_STATUS_TEXT)).find("Transfer starting"), std::string::npos)
      << Text(Child(status, IDC_STATUS_TEXT));
  int first = -1;
  ASSERT_TRUE(WaitFor([&] { return (first = BarPercent(status)) > 0; }, 20000)) << Text(Child(status, IDC_STATUS_BAR));
  ASSERT_TRUE(WaitFor([&] { return BarPercent(status) > first; }, 20000)) << "the bar stays at " << first << "%";
  EXPECT_LT(BarPercent(status), 100);
  // The progress text starts with the bytes received so far.
  const std::string progress = Text(Child(status, IDC_STATUS_PROGRESS));
  EXPECT_GT(std::atoll(progress.c_str()), 1000000) << progress;
  // The main window answers while the worker receives.
  EXPECT_TRUE(Answers(main, 2000));

  // The user moves the dialog; the next transfer's dialog opens at the new place.
  SetWindowPos(status, nullptr, 40, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT moved{};
  ASSERT_TRUE(WaitFor([&] {
    GetWindowRect(status, &moved);
    return moved.left == 40 && moved.top == 300;
  }, 5000));

  // The download is moving into a partial file beside the target.
  ASSERT_EQ(OtherFiles(dir.path()).size(), 1u) << Join(OtherFiles(dir.path()));
  const size_t before = Count(LongText(logText), "transfer succeeded");  // the listings so far

  // Cancel: within 2 seconds the transfer has ended (the worker has removed its partial file);
  // the log says it failed, the dialog is gone and the client is not busy.
  const auto pressed = std::chrono::steady_clock::now();
  Click(status, IDCANCEL);
  EXPECT_TRUE(WaitFor([&] { return OtherFiles(dir.path()).empty(); }, 2000)) << Join(OtherFiles(dir.path()));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - pressed).count();
  std::printf("Cancel ended the download after %.2f s\n", seconds);
  EXPECT_LT(seconds, 2.0);
  EXPECT_TRUE(WaitFor([&] { return LongText(logText).find("transfer failed") != std::string::npos; }, 5000))
      << LongText(logText);
  EXPECT_TRUE(WaitFor([&] { return !program.Window("Transfer Status", 0); }, 5000));
  EXPECT_EQ(Count(LongText(logText), "transfer succeeded"), before) << LongText(logText);
  // The partial file is not left behind as if it had arrived.
  EXPECT_TRUE(WaitFor([&] { return !HasItemStartingWith(ListItems(Child(main, IDC_LOCAL_FILES)), "big.bin"); }, 3000))
      << Join(ListItems(Child(main, IDC_LOCAL_FILES)));
  EXPECT_EQ(GetFileAttributesA((dir.path() + "\\big.bin").c_str()), INVALID_FILE_ATTRIBUTES);

  // The next download's dialog opens where the user left the last one; it is cancelled too.
  Click(main, IDC_DOWNLOAD);
  HWND second = program.Window("Transfer Status", 20000);
  ASSERT_NE(second, nullptr);
  RECT again{};
  GetWindowRect(second, &again);
  EXPECT_EQ(again.left, moved.left);
  EXPECT_EQ(again.top, moved.top);
  ASSERT_TRUE(WaitFor([&] { return OtherFiles(dir.path()).size() == 1; }, 10000));
  Click(second, IDCANCEL);
  EXPECT_TRUE(WaitFor([&] { return OtherFiles(dir.path()).empty(); }, 2000)) << Join(OtherFiles(dir.path()));
  EXPECT_TRUE(WaitFor([&] { return Count(LongText(logText), "transfer failed") == 2; }, 5000)) << LongText(logText);

  // A download that is left alone goes through.
  ASSERT_TRUE(SelectItems(main, IDC_REMOTE_FILES, {"hello.txt"}));
  Click(main, IDC_DOWNLOAD);
  ASSERT_TRUE(WaitFor([&] { return Count(LongText(logText), "transfer succeeded") == before + 1; }, 20000))
      << LongText(logText);
  EXPECT_TRUE(WaitFor([&] { return FileText(dir.path() + "\\hello.txt") == "hello from the server\r\n"; }, 5000));
  EXPECT_TRUE(WaitFor([&] { return HasItemStartingWith(ListItems(Child(main, IDC_LOCAL_FILES)), "hello.txt"); }, 5000));

  Click(main, IDM_EXIT);
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

  ASSERT_TRUE(SelectItems(main, IDC_REMOTE_FILES, {"hello.txt"}));
  Click(main, IDC_DOWNLOAD);
  HWND prompt = program.Window("Input", 20000);
  ASSERT_NE(prompt, nullptr) << "no name prompt";
  EXPECT_EQ(Text(Child(prompt, IDC_PROMPT)), "Enter local file name for hello.txt:");
  EXPECT_EQ(Text(Child(prompt, IDC_INPUT)), "hello.txt");
  EXPECT_EQ(GetWindowThreadProcessId(prompt, nullptr), GetWindowThreadProcessId(main, nullptr))
      << "the prompt belongs to another thread than the main window";
  SetField(prompt, IDC_INPUT, L"renamed.txt");
  Click(prompt, IDOK);
  EXPECT_TRUE(WaitFor([&] { return FileText(dir.path() + "\\renamed.txt") == "hello from the server\r\n"; }, 20000));
  EXPECT_EQ(GetFileAttributesA((dir.path() + "\\hello.txt").c_str()), INVALID_FILE_ATTRIBUTES);

  // The next batch's prompt is up when the program is told to close: it goes, nothing arrives,
  // and the program ends with 0.
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(main) && !program.Window("Input", 0); }, 5000));
  ASSERT_TRUE(SelectItems(main, IDC_REMOTE_FILES, {"big.bin"}));
  Click(main, IDC_DOWNLOAD);
  ASSERT_NE(program.Window("Input", 20000), nullptr);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(10000), 0);
  EXPECT_EQ(GetFileAttributesA((dir.path() + "\\big.bin").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
