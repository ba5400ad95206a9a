// Working with files in MIRVAN32.exe as a user does: files selected in a pane and sent or
// received with the arrow buttons, remote files deleted through the delete confirmation,
// directories made and removed through the name prompt, a local file renamed, and files
// dropped on the window. Against a real server whose tree the test reads and writes directly
// (its port in MIRVAN_TEST_FTP_PORT, its tree in MIRVAN_TEST_FTP_ROOT) and scripted ones.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "resources/files_resource.h"
#include "resources/resource.h"
#include "support/program_win32.h"
#include "support/scripted_ftp_server.h"
#include "support/temp_dir.h"

using namespace testing_support;

namespace {

// The real server's directory /pub as this process sees it, or "" when no server runs.
std::string ServerPub() {
  const char* port = std::getenv("MIRVAN_TEST_FTP_PORT");
  const char* root = std::getenv("MIRVAN_TEST_FTP_ROOT");
  if (!port || !*port || !root || !*root) return "";
  std::string path = std::string("Z:") + root + "/pub";
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Bytes that a text-mode transfer or a truncation would change.
std::string Binary(size_t n, unsigned seed) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) {
    seed = seed * 1103515245u + 12345u;
    s[i] = static_cast<char>(seed >> 16);
  }
  if (n > 4) s.replace(1, 3, "\r\n\n");
  return s;
}

// The settings of a run: the session dialog opens at start-up on profile "srv" in /pub;
// transfers without the status window (unless `config` turns it on) or sounds.
std::string Settings(TempDir& dir, int port, const std::string& config = "", const std::string& profile = "") {
  // `config` first: the first of two equal keys is the one read.
  return dir.Write("main.ini", "[_config_]\r\n" + config + "AUTOSTART=1\r\nSESSION=srv\r\nMAILADDR=tester@example.org\r\n"
                               "usewave=0\r\nHASH=0\r\nBELL=0\r\nLOC=0,0,760,560\r\n[srv]\r\nHOST=127.0.0.1\r\nPORT=" +
                                   std::to_string(port) + "\r\nUID=anonymous\r\nTIMEOUT=120\r\nDIR=/pub\r\n" + profile);
}

// Starts the program in `dir` and connects; the main window once the remote files show `file`.
HWND Connect(Program& program, TempDir& dir, const std::string& ini, const std::string& file) {
  if (!program.Start("-i " + ini, dir.path())) return nullptr;
  if (!AnswerSessionDialog(program.Window("Session Profile"), L"127.0.0.1")) return nullptr;
  HWND main = program.Window("MIRVAN32 127.0.0.1");
  if (!main) return nullptr;
  if (!WaitFor([&] { return HasItemStartingWith(ListItems(Child(main, IDC_REMOTE_FILES)), file); })) return nullptr;
  return main;
}

// The first position of each text in the log, in order; false when one is missing or out of order.
bool LoggedInOrder(const std::string& log, const std::vector<std::string>& texts) {
  size_t at = 0;
  for (const std::string& t : texts) {
    at = log.find(t, at);
    if (at == std::string::npos) return false;
  }
  return true;
}

// The log's lines about one transfer: from `start` up to the next PWD (the refresh after it).
std::string TransferLines(const std::string& log, const std::string& start) {
  const size_t from = log.find(start);
  if (from == std::string::npos) return "";
  const size_t to = log.find("\nPWD", from);
  return log.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

// A drop from the desktop: DROPFILES in the program's global memory, posted to `window`.
bool DropOn(Program& program, HWND window, const std::vector<std::string>& paths) {
  std::string param(8, '\0');
  memcpy(&param[0], &window, sizeof window);
  for (const std::string& p : paths) param += p + '\0';
  param += '\0';
  DWORD result = 1;
  return program.CallHelper("PostDrop", param, result) && result == 0;
}

// A scripted server that logs anyone in, in /pub, whose listing holds x.txt; what follows is
// the caller's.
void ScriptLoginInPub(ScriptedFtpServer& server) {
  server.On("USER", "331 password please\r\n");
  server.On("PASS", "230 logged in\r\n");
  for (int i = 0; i < 4; ++i) server.On("PWD", "257 \"/pub\" is current\r\n");
  server.On("CWD", "250 ok\r\n");
  server.On("SYST", "215 UNIX Type: L8\r\n");
  for (int i = 0; i < 4; ++i) {
    server.On("TYPE", "200 ok\r\n");
    server.On("PORT", ScriptedReply::Port());
  }
  server.On("LIST", ScriptedReply::Download("150 here\r\n", "-rw-r--r-- 1 ftp ftp 5 Jan 01 2020 x.txt\r\n",
                                            DataEnd::kClose, "226 ok\r\n"));
}

TEST(FileCommandsWine, ThreeFilesUpAndOneDownArriveByteIdentical) {
  const std::string pub = ServerPub();
  if (pub.empty()) GTEST_SKIP() << "no writable test FTP server (run through tests/gui/with_ftp_server --writable)";
  TempDir dir;
  const std::string one = Binary(1000, 1), two = Binary(70000, 2), three = Binary(5, 3);
  dir.Write("one.bin", one);
  dir.Write("two.dat", two);
  dir.Write("three.txt", three);
  Program program;
  HWND main = Connect(program, dir, Settings(dir, std::atoi(std::getenv("MIRVAN_TEST_FTP_PORT"))), "hello.txt");
  ASSERT_NE(main, nullptr);
  Click(main, IDC_MODE_BINARY);

  ASSERT_TRUE(SelectItems(main, IDC_LOCAL_FILES, {"one.bin", "three.txt", "two.dat"}))
      << Join(ListItems(Child(main, IDC_LOCAL_FILES)));
  Click(main, IDC_UPLOAD);
  EXPECT_TRUE(WaitFor([&] {
    return ReadFile(pub + "\\one.bin") == one && ReadFile(pub + "\\two.dat") == two &&
           ReadFile(pub + "\\three.txt") == three;
  })) << "sizes on the server: " << ReadFile(pub + "\\one.bin").size() << " " << ReadFile(pub + "\\two.dat").size()
      << " " << ReadFile(pub + "\\three.txt").size();
  // The remote list is refreshed once the batch has ended.
  EXPECT_TRUE(WaitFor([&] {
    std::vector<std::string> files = ListItems(Child(main, IDC_REMOTE_FILES));
    return HasItemStartingWith(files, "one.bin") && HasItemStartingWith(files, "two.dat") &&
           HasItemStartingWith(files, "three.txt");
  })) << Join(ListItems(Child(main, IDC_REMOTE_FILES)));
  Screenshot("upload");
  const std::string log = LogText(program, main);
  EXPECT_TRUE(LoggedInOrder(log, {"one.bin as one.bin (1 of 3)", "three.txt as three.txt (2 of 3)",
                                  "two.dat as two.dat (3 of 3)"}))
      << log;

  ASSERT_TRUE(SelectItems(main, IDC_REMOTE_FILES, {"hello.txt"}));
  Click(main, IDC_DOWNLOAD);
  EXPECT_TRUE(WaitFor([&] { return ReadFile(dir.File("hello.txt")) == ReadFile(pub + "\\hello.txt"); }))
      << ReadFile(dir.File("hello.txt")).size();
  EXPECT_TRUE(WaitFor([&] { return HasItemStartingWith(ListItems(Child(main, IDC_LOCAL_FILES)), "hello.txt"); }));
  EXPECT_NE(LogText(program, main).find("receiving hello.txt as hello.txt (1 of 1)"), std::string::npos);
  Click(main, IDM_EXIT);
  EXPECT_EQ(program.ExitCode(), 0);
}

TEST(FileCommandsWine, DeleteAllMkDirRmDirAndLocalRename) {
  const std::string pub = ServerPub();
  if (pub.empty()) GTEST_SKIP() << "no writable test FTP server (run through tests/gui/with_ftp_server --writable)";
  TempDir dir, server;
  for (const char* name : {"\\del1.txt", "\\del2.txt", "\\del3.txt"}) {
    HANDLE f = CreateFileA((pub + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    CloseHandle(f);
  }
  dir.Write("old.txt", "local file\r\n");
  Program program;
  HWND main = Connect(program, dir, Settings(dir, std::atoi(std::getenv("MIRVAN_TEST_FTP_PORT"))), "del3.txt");
  ASSERT_NE(main, nullptr);

  // Three files, one question: "Delete All" answers for the rest.
  ASSERT_TRUE(SelectItems(main, IDC_REMOTE_FILES, {"del1.txt", "del2.txt", "del3.txt"}));
  Click(main, IDC_REMOTE_DELETE);
  HWND ask = program.Window("Verify Deletion", 10000);
  ASSERT_NE(ask, nullptr);
  EXPECT_EQ(Text(Child(ask, IDC_DELETE_TEXT)), "Are you sure you want to delete \"del1.txt\"?");
  EXPECT_TRUE(IsWindowVisible(Child(ask, IDC_DELETE_ALL)));
  Screenshot("delete");
  Click(ask, IDC_DELETE_ALL);
  EXPECT_TRUE(WaitFor([&] { return !Exists(pub + "\\del1.txt") && !Exists(pub + "\\del2.txt") && !Exists(pub + "\\del3.txt"); }));
  EXPECT_EQ(program.Window("Verify Deletion", 1000), nullptr) << "asked again after Delete All";
  EXPECT_TRUE(WaitFor([&] { return !HasItemStartingWith(ListItems(Child(main, IDC_REMOTE_FILES)), "del"); }))
      << Join(ListItems(Child(main, IDC_REMOTE_FILES)));

  // MkDir: the name is typed into the prompt.
  Click(main, IDC_REMOTE_MKDIR);
  HWND input = program.Window("Input", 10000);
  ASSERT_NE(input, nullptr);
  EXPECT_EQ(Text(Child(input, IDC_PROMPT)), "Enter new remote directory name:");
  SetField(input, IDC_INPUT, L"made");
  Click(input, IDOK);
  EXPECT_TRUE(WaitFor([&] { return Exists(pub + "\\made"); }));
  EXPECT_TRUE(WaitFor([&] { return HasItemStartingWith(ListItems(Child(main, IDC_REMOTE_DIRS)), "made"); }))
      << Join(ListItems(Child(main, IDC_REMOTE_DIRS)));

  // RmDir of the selected directory: confirmed once, without "Delete All".
  ASSERT_TRUE(SelectItems(main, IDC_REMOTE_DIRS, {"made"}));
  Click(main, IDC_REMOTE_RMDIR);
  ask = program.Window("Verify Deletion", 10000);
  ASSERT_NE(ask, nullptr);
  EXPECT_EQ(Text(Child(ask, IDC_DELETE_TEXT)), "Are you sure you want to delete \"made\"?");
  EXPECT_FALSE(IsWindowVisible(Child(ask, IDC_DELETE_ALL)));
  Click(ask, IDOK);
  EXPECT_TRUE(WaitFor([&] { return !Exists(pub + "\\made"); }));
  EXPECT_TRUE(WaitFor([&] { return !HasItemStartingWith(ListItems(Child(main, IDC_REMOTE_DIRS)), "made"); }));

  // A local rename of the focused file.
  ASSERT_TRUE(SelectItems(main, IDC_LOCAL_FILES, {"old.txt"}));
  Click(main, IDC_LOCAL_RENAME);
  input = program.Window("Input", 10000);
  ASSERT_NE(input, nullptr);
  EXPECT_EQ(Text(Child(input, IDC_PROMPT)), "Enter new name for \"old.txt\":");
  SetField(input, IDC_INPUT, L"new.txt");
  Screenshot("rename");
  Click(input, IDOK);
  EXPECT_TRUE(WaitFor([&] { return ReadFile(dir.File("new.txt")) == "local file\r\n" && !Exists(dir.File("old.txt")); }));
  EXPECT_TRUE(WaitFor([&] {
    std::vector<std::string> files = ListItems(Child(main, IDC_LOCAL_FILES));
    return HasItemStartingWith(files, "new.txt") && !HasItemStartingWith(files, "old.txt");
  })) << Join(ListItems(Child(main, IDC_LOCAL_FILES)));
  Click(main, IDM_EXIT);
  EXPECT_EQ(program.ExitCode(), 0);
}

TEST(FileCommandsWine, DroppedFileIsSentAndADroppedDirectoryIsRefused) {
  const std::string pub = ServerPub();
  if (pub.empty()) GTEST_SKIP() << "no writable test FTP server (run through tests/gui/with_ftp_server --writable)";
  TempDir dir, desktop;
  const std::string bytes = Binary(3000, 7);
  const std::string file = desktop.Write("Dropped.Bin", bytes);
  CreateDirectoryA(desktop.File("folder").c_str(), nullptr);
  Program program;
  HWND main = Connect(program, dir, Settings(dir, std::atoi(std::getenv("MIRVAN_TEST_FTP_PORT")), "MODE=I\r\n"),
                      "hello.txt");
  ASSERT_NE(main, nullptr);

  ASSERT_TRUE(DropOn(program, main, {desktop.File("folder"), file}));
  EXPECT_TRUE(WaitFor([&] { return ReadFile(pub + "\\dropped.bin") == bytes; }))
      << ReadFile(pub + "\\dropped.bin").size();
  EXPECT_TRUE(WaitFor([&] { return HasItemStartingWith(ListItems(Child(main, IDC_REMOTE_FILES)), "dropped.bin"); }));
  EXPECT_FALSE(Exists(pub + "\\folder"));
  Screenshot("drop");
  const std::string log = LogText(program, main);
  EXPECT_NE(log.find("folder is a directory: not sent"), std::string::npos) << log;
  EXPECT_NE(log.find("as dropped.bin (1 of 1)"), std::string::npos) << log;
  Click(main, IDM_EXIT);
  EXPECT_EQ(program.ExitCode(), 0);
}

// A scripted server that logs anyone in in /, and takes at most 64 KiB of an upload then holds
// the data connection open: the batch stays running until it is cancelled.
TEST(FileCommandsWine, ADropWhileABatchRunsIsDiscarded) {
  ScriptedFtpServer server;
  ScriptLoginInPub(server);
  server.On("STOR", ScriptedReply::Upload("150 go\r\n", 65536, DataEnd::kStall, "226 ok\r\n"));
  TempDir dir, desktop;
  dir.Write("big.bin", Binary(16 << 20, 9));
  const std::string dropped = desktop.Write("late.txt", "late\r\n");
  Program program;
  HWND main = Connect(program, dir, Settings(dir, server.port()), "x.txt");
  ASSERT_NE(main, nullptr) << Join(server.Transcript());
  ASSERT_TRUE(SelectItems(main, IDC_LOCAL_FILES, {"big.bin"}));
  Click(main, IDC_UPLOAD);
  ASSERT_TRUE(WaitFor([&] { return server.DataReceived().size() >= 65536; }));

  ASSERT_TRUE(DropOn(program, main, {dropped}));
  EXPECT_TRUE(Answers(main, 2000));
  EXPECT_TRUE(WaitFor([&] { return LogText(program, main).find("Busy!! File(s) ignored.") != std::string::npos; }, 5000))
      << LogText(program, main);
  Click(main, IDM_CANCEL);
  EXPECT_TRUE(WaitFor([&] { return LogText(program, main).find("failed") != std::string::npos; }, 5000));
  int stors = 0;
  for (const std::string& c : server.Transcript()) stors += c.compare(0, 4, "STOR") == 0;
  EXPECT_EQ(stors, 1) << "the dropped file was sent";
  Click(main, IDM_EXIT);
  EXPECT_EQ(program.ExitCode(), 0);
}

// A batch of some dozens of files with the status window on, as users have it: every file
// arrives whole, the window answers all along, and one status window serves the whole batch (a
// window made and taken down per file flickers and, on an X desktop without a window manager,
// held the window up for seconds a file).
TEST(FileCommandsWine, ABatchOfManyFilesKeepsTheWindowAnswering) {
  const std::string pub = ServerPub();
  if (pub.empty()) GTEST_SKIP() << "no writable test FTP server (run through tests/gui/with_ftp_server --writable)";
  constexpr int kFiles = 40;
  std::vector<std::string> contents;
  for (int i = 0; i < kFiles; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "\\many%02d.bin", i);
    contents.push_back(Binary(3000 + 97 * i, 100 + i));
    std::FILE* f = std::fopen((pub + name).c_str(), "wb");
    ASSERT_NE(f, nullptr) << pub + name;
    std::fwrite(contents.back().data(), 1, contents.back().size(), f);
    std::fclose(f);
  }
  TempDir dir;
  Program program;
  HWND main = Connect(program, dir, Settings(dir, std::atoi(std::getenv("MIRVAN_TEST_FTP_PORT")), "HASH=1\r\nMODE=I\r\n"),
                      "many39.bin");
  ASSERT_NE(main, nullptr);
  std::vector<std::string> names;
  for (int i = 0; i < kFiles; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "many%02d.bin", i);
    names.push_back(name);
  }
  ASSERT_TRUE(SelectItems(main, IDC_REMOTE_FILES, names));
  Click(main, IDC_DOWNLOAD);

  auto arrived = [&] {
    for (int i = 0; i < kFiles; ++i)
      if (ReadFile(dir.File(names[i])) != contents[i]) return false;
    return true;
  };
  std::vector<HWND> statusWindows;
  DWORD longestMs = 0;
  const DWORD start = GetTickCount();
  bool done = false;
  while (!done && GetTickCount() - start < 60000) {
    if (HWND status = program.Window("Transfer Status", 0)) {
      bool seen = false;
      for (HWND h : statusWindows) seen = seen || h == status;
      if (!seen) statusWindows.push_back(status);
    }
    const DWORD asked = GetTickCount();
    const bool answered = Answers(main, 10000);
    longestMs = std::max(longestMs, GetTickCount() - asked);
    EXPECT_TRUE(answered) << "the window did not answer for 10 s";
    done = arrived() && HasItemStartingWith(ListItems(Child(main, IDC_LOCAL_FILES)), "many39.bin");
    Sleep(20);
  }
  EXPECT_TRUE(done) << "after " << (GetTickCount() - start) << " ms: " << Join(ListItems(Child(main, IDC_LOCAL_FILES)))
                    << "\n" << LogText(program, main);
  // Under Xvfb without a window manager, taking a window down holds the thread about 2 s; the
  // batch may cost that once, not once a file.
  EXPECT_LT(longestMs, 5000u) << "the window went " << longestMs << " ms without answering";
  EXPECT_LE(statusWindows.size(), 2u) << "a status window per file";
  const std::string log = LogText(program, main);
  EXPECT_NE(log.find(" (40 of 40)"), std::string::npos) << log;  // the window keeps the newest lines
  // The status window goes once the batch has ended.
  EXPECT_TRUE(WaitFor([&] { return program.Window("Transfer Status", 0) == nullptr; }, 10000));
  Click(main, IDM_EXIT);
  EXPECT_EQ(program.ExitCode(), 0);
}

// ---- names and servers that refuse --------------------------------------------------------------

// Remote names a Windows directory cannot hold as they are: devices and trailing dots. Each
// arrives under a name of its own, whole, and no device is written to.
TEST(FileCommandsWine, DevicesAndTrailingDotsArriveUnderNamesOfTheirOwn) {
  const std::string pub = ServerPub();
  if (pub.empty()) GTEST_SKIP() << "no writable test FTP server (run through tests/gui/with_ftp_server --writable)";
  const char* root = std::getenv("MIRVAN_TEST_FTP_ROOT");
  // Written from the POSIX side: Windows would resolve these names itself.
  const std::string unixPub = std::string(root) + "/pub/";
  struct Remote {
    const char* name;
    std::string bytes;
  } remote[] = {{"con", Binary(300, 11)}, {"aux.txt", Binary(400, 12)}, {"dots..", Binary(500, 13)}};
  for (const Remote& r : remote) {
    std::string path = "Z:" + unixPub + r.name;
    for (char& ch : path)
      if (ch == '/') ch = '\\';
    // Windows file calls drop a trailing dot and resolve a device name, unless the path is literal.
    HANDLE f = CreateFileA(("\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE) << r.name;
    DWORD wrote = 0;
    WriteFile(f, r.bytes.data(), static_cast<DWORD>(r.bytes.size()), &wrote, nullptr);
    CloseHandle(f);
  }
  TempDir dir;
  Program program;
  HWND main = Connect(program, dir, Settings(dir, std::atoi(std::getenv("MIRVAN_TEST_FTP_PORT")), "MODE=I\r\n"), "con");
  ASSERT_NE(main, nullptr) << "remote files missing";
  ASSERT_TRUE(SelectItems(main, IDC_REMOTE_FILES, {"con", "aux.txt", "dots.."})) << Join(ListItems(Child(main, IDC_REMOTE_FILES)));
  Click(main, IDC_DOWNLOAD);
  ASSERT_TRUE(WaitFor([&] { return LogText(program, main).find("(3 of 3)") != std::string::npos; }));
  // The batch has ended once the window takes commands again.
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(Child(main, IDC_DOWNLOAD)) && Answers(main, 1000); }));
  Sleep(1000);
  std::vector<std::string> local;
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((dir.path() + "\\*").c_str(), &fd);
  for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &fd))
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) local.push_back(fd.cFileName);
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  const std::string log = LogText(program, main);
  for (const Remote& r : remote) {
    bool found = false;
    for (const std::string& l : local) found = found || ReadFile(dir.File(l)) == r.bytes;
    EXPECT_TRUE(found) << r.name << " did not arrive whole; local files: " << Join(local) << "\n" << log;
  }
  Click(main, IDM_EXIT);
  EXPECT_EQ(program.ExitCode(), 0);
}

// A server that refuses every upload: the first refusal ends the batch, the log says so, and
// the files after it are not tried.
TEST(FileCommandsWine, AServerRefusingEveryStorStopsTheBatch) {
  ScriptedFtpServer server;
  ScriptLoginInPub(server);
  for (int i = 0; i < 3; ++i) server.On("STOR", "553 Permission denied.\r\n");
  server.On("QUIT", "221 bye\r\n");
  TempDir dir;
  for (const char* name : {"a1.bin", "a2.bin", "a3.bin"}) dir.Write(name, Binary(2000, 5));
  Program program;
  HWND main = Connect(program, dir, Settings(dir, server.port()), "x.txt");
  ASSERT_NE(main, nullptr) << Join(server.Transcript());
  ASSERT_TRUE(SelectItems(main, IDC_LOCAL_FILES, {"a1.bin", "a2.bin", "a3.bin"}));
  Click(main, IDC_UPLOAD);
  ASSERT_TRUE(WaitFor([&] { return LogText(program, main).find("553 Permission denied.") != std::string::npos; }));
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(Child(main, IDC_UPLOAD)) && Answers(main, 1000); }));
  Sleep(1500);
  int stors = 0;
  for (const std::string& c : server.Transcript()) stors += c.compare(0, 4, "STOR") == 0;
  EXPECT_EQ(stors, 1) << Join(server.Transcript());
  const std::string log = LogText(program, main);
  EXPECT_EQ(log.find("(2 of 3)"), std::string::npos) << log;
  const std::string lines = TransferLines(log, "STOR a1.bin");
  ASSERT_FALSE(lines.empty()) << log;
  EXPECT_EQ(lines.find("succeeded"), std::string::npos) << "a refused file reported as sent:\n" << log;
  Click(main, IDM_EXIT);
  EXPECT_EQ(program.ExitCode(), 0);
}

// A listed file is removed behind the program's back (the directory the pane shows cannot go:
// Windows holds it while it is a program's current directory): its upload fails with a log
// line and no success, Refresh drops it, and the window goes on working.
TEST(FileCommandsWine, ALocalFileThatVanishesUnderThePane) {
  const std::string pub = ServerPub();
  if (pub.empty()) GTEST_SKIP() << "no writable test FTP server (run through tests/gui/with_ftp_server --writable)";
  TempDir dir;
  const std::string gone = dir.File("gone");
  ASSERT_TRUE(CreateDirectoryA(gone.c_str(), nullptr));
  dir.Write("gone\\vanish.bin", Binary(100, 21));
  Program program;
  HWND main = Connect(program, dir, Settings(dir, std::atoi(std::getenv("MIRVAN_TEST_FTP_PORT")), "",
                                             "LOCDIR=" + gone + "\r\n"), "hello.txt");
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFor([&] { return HasItemStartingWith(ListItems(Child(main, IDC_LOCAL_FILES)), "vanish.bin"); }));
  ASSERT_TRUE(DeleteFileA((gone + "\\vanish.bin").c_str()));

  ASSERT_TRUE(SelectItems(main, IDC_LOCAL_FILES, {"vanish.bin"}));
  Click(main, IDC_UPLOAD);
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(Child(main, IDC_UPLOAD)) && Answers(main, 1000); }));
  Click(main, IDC_LOCAL_REFRESH);
  EXPECT_TRUE(WaitFor([&] { return !HasItemStartingWith(ListItems(Child(main, IDC_LOCAL_FILES)), "vanish.bin"); }))
      << Join(ListItems(Child(main, IDC_LOCAL_FILES)));
  EXPECT_FALSE(Exists(pub + "\\vanish.bin"));
  const std::string log = LogText(program, main);
  const std::string lines = TransferLines(log, "sending vanish.bin");
  EXPECT_NE(lines.find("failed to open file vanish.bin"), std::string::npos) << log;
  EXPECT_EQ(lines.find("succeeded"), std::string::npos) << log;
  // The window still works: a directory change on the remote side lists.
  Click(main, IDC_REMOTE_REFRESH);
  EXPECT_TRUE(WaitFor([&] { return HasItemStartingWith(ListItems(Child(main, IDC_REMOTE_FILES)), "hello.txt"); }));
  Screenshot("vanished");
  Click(main, IDM_EXIT);
  EXPECT_EQ(program.ExitCode(), 0);
}

}  // namespace
