// MIRVAN32.exe driven as a user drives it: it starts with the session dialog open, the dialog's
// fields are filled by control id and Ok pressed; then the main window's caption, buttons and
// remote lists are read back from the other process while it connects, changes directory,
// closes and exits, against a real server (its port in MIRVAN_TEST_FTP_PORT) and a scripted one.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "resources/resource.h"
#include "support/scripted_ftp_server.h"
#include "support/temp_dir.h"

using testing_support::ScriptedFtpServer;
using testing_support::ScriptedReply;
using testing_support::TempDir;

namespace {

const std::string kExe = std::string(MIRVAN_BIN_DIR) + "\\MIRVAN32.exe";

// Polls `done` until it holds or `ms` have passed; true when it held.
bool WaitFor(const std::function<bool()>& done, int ms = 30000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

// UTF-8, so that names outside ASCII compare exactly.
std::string Narrow(const std::wstring& w) {
  if (w.empty()) return "";
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
  return s;
}

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return L"";
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], n);
  return w;
}

// A whole file read through the wide API (the test's own code page plays no part); "" if absent.
std::string ReadWide(const std::wstring& path) {
  std::string data;
  FILE* f = _wfopen(path.c_str(), L"rb");
  if (!f) return data;
  char buf[4096];
  size_t got;
  while ((got = fread(buf, 1, sizeof buf, f)) > 0) data.append(buf, got);
  fclose(f);
  return data;
}

bool WriteWide(const std::wstring& path, const std::string& data) {
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return false;
  const bool ok = fwrite(data.data(), 1, data.size(), f) == data.size();
  return fclose(f) == 0 && ok;
}

// A folder of the Linux side as Wine shows it (drive Z:).
std::wstring UnixFolder(const char* path) {
  std::wstring w = L"Z:" + Wide(path);
  for (wchar_t& c : w)
    if (c == L'/') c = L'\\';
  return w;
}

// Another process's window text (the W messages are the ones Wine passes between processes).
std::string Text(HWND h) {
  wchar_t buf[512] = L"";
  if (!h) return "";
  SendMessageTimeoutW(h, WM_GETTEXT, 511, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, nullptr);
  return Narrow(buf);
}

std::vector<std::string> ListItems(HWND list) {
  std::vector<std::string> items;
  const LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    const LRESULT len = SendMessageW(list, LB_GETTEXTLEN, i, 0);
    if (len < 0) break;
    std::wstring w(static_cast<size_t>(len) + 1, L'\0');
    // The length asked for may exceed the text's (items stored as multibyte text).
    w.resize(static_cast<size_t>(std::max<LRESULT>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&w[0])), 0)));
    items.push_back(Narrow(w));
  }
  return items;
}

std::string ComboText(HWND combo) {
  const LRESULT i = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (i < 0) return "";
  const LRESULT len = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
  std::wstring w(static_cast<size_t>(len > 0 ? len : 0) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&w[0]));
  w.resize(static_cast<size_t>(len > 0 ? len : 0));
  return Narrow(w);
}

struct FindArgs {
  DWORD pid;
  std::string title;  // exact, or a prefix when it ends in '*'
  HWND found = nullptr;
};

BOOL CALLBACK FindProc(HWND h, LPARAM lp) {
  FindArgs& a = *reinterpret_cast<FindArgs*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid != a.pid || !IsWindowVisible(h)) return TRUE;
  std::string t = Text(h);
  const bool prefix = !a.title.empty() && a.title.back() == '*';
  if (prefix ? t.compare(0, a.title.size() - 1, a.title, 0, a.title.size() - 1) == 0 : t == a.title) {
    a.found = h;
    return FALSE;
  }
  return TRUE;
}

// A running MIRVAN32.exe; stopped at the end of the test if it is still running.
class Program {
 public:
  bool Start(const std::string& args, const std::string& dir) {
    std::string cmd = "\"" + kExe + "\" " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    return CreateProcessA(kExe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi_);
  }
  ~Program() {
    if (!pi_.hProcess) return;
    if (WaitForSingleObject(pi_.hProcess, 0) != WAIT_OBJECT_0) {
      TerminateProcess(pi_.hProcess, 99);
      WaitForSingleObject(pi_.hProcess, 5000);
    }
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  // A visible top-level window of the program with this title ("X*": starting with X).
  HWND Window(const std::string& title, int ms = 30000) {
    FindArgs a{pi_.dwProcessId, title};
    WaitFor(
        [&] {
          EnumWindows(FindProc, reinterpret_cast<LPARAM>(&a));
          return a.found != nullptr;
        },
        ms);
    return a.found;
  }
  // The exit code once the program has ended by itself within `ms`, else -1.
  long ExitCode(int ms = 30000) {
    if (WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(ms)) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return static_cast<long>(code);
  }

 private:
  PROCESS_INFORMATION pi_{};
};

void SetField(HWND dialog, int id, const wchar_t* text) {
  SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// Fills the session dialog's host, user and password as a user types them, and presses Ok.
void AnswerSessionDialog(HWND dialog, const wchar_t* host) {
  ASSERT_NE(dialog, nullptr) << "the session dialog did not open";
  SetField(dialog, IDC_HOST_HOSTNAME, host);
  SetField(dialog, IDC_HOST_USER, L"anonymous");
  SetField(dialog, IDC_HOST_PASSWORD, L"tester@example.org");
  PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
}

// Presses Alt and a letter on the keyboard while the main window has the focus.
void PressAlt(HWND main, WORD letter) {
  SetForegroundWindow(main);
  WaitFor([&] { return GetForegroundWindow() == main; }, 5000);
  INPUT in[4] = {};
  for (INPUT& i : in) i.type = INPUT_KEYBOARD;
  in[0].ki.wVk = VK_MENU;
  in[1].ki.wVk = letter;
  in[2].ki.wVk = letter;
  in[2].ki.dwFlags = KEYEVENTF_KEYUP;
  in[3].ki.wVk = VK_MENU;
  in[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(4, in, sizeof(INPUT));
}

// The settings file of a run: the session dialog opens at start-up on profile "srv", whose
// stored host is wrong on purpose (the typed one must be used).
std::string WriteSettings(TempDir& dir, int port, const std::string& extra = "") {
  return dir.Write("main.ini", "[_config_]\r\nAUTOSTART=1\r\nSESSION=srv\r\nMAILADDR=tester@example.org\r\nusewave=0\r\n"
                               "LOC=0,0,720,520\r\n[srv]\r\nHOST=wrong.invalid\r\nPORT=" +
                                   std::to_string(port) + "\r\nUID=anonymous\r\nTIMEOUT=120\r\n" + extra);
}

HWND Child(HWND main, int id) { return GetDlgItem(main, id); }

bool HasItemStartingWith(const std::vector<std::string>& items, const std::string& prefix) {
  for (const std::string& s : items)
    if (s.compare(0, prefix.size(), prefix) == 0) return true;
  return false;
}

std::string Join(const std::vector<std::string>& items) {
  std::string s;
  for (const std::string& i : items) s += "[" + i + "] ";
  return s;
}

TEST(MainWindowWine, ConnectsListsChangesDirectoryClosesAndExitsWithTheKeyboard) {
  const char* port = std::getenv("MIRVAN_TEST_FTP_PORT");
  if (!port || !*port) GTEST_SKIP() << "no test FTP server (run through tests/gui/with_ftp_server)";
  TempDir dir;
  std::string ini = WriteSettings(dir, std::atoi(port), "DIR=/pub\r\n");
  Program program;
  ASSERT_TRUE(program.Start("-i " + ini, dir.path()));
  AnswerSessionDialog(program.Window("Session Profile"), L"127.0.0.1");

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

int IndexStartingWith(const std::vector<std::string>& items, const std::string& prefix) {
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
  return -1;
}

// Names outside ASCII, end to end: listed in the remote list as the server sends them (UTF-8),
// downloaded under the same local name byte for byte, and a local file of such a name uploaded
// under its name. The server's tree is read back through drive Z:.
TEST(MainWindowWine, NonAsciiNamesAreListedDownloadedAndUploadedUnchanged) {
  const char* port = std::getenv("MIRVAN_TEST_FTP_PORT");
  const char* tree = std::getenv("MIRVAN_TEST_FTP_TREE");
  if (!port || !*port || !tree || std::string(std::getenv("MIRVAN_TEST_FTP_SERVER")) != "pyftpdlib")
    GTEST_SKIP() << "needs the writable pyftpdlib server of tests/gui/with_ftp_server";
  const std::string german = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC.txt";  // Grüße €.txt
  const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE"
                               "\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB.txt";  // 日本語のファイル.txt
  const std::string upload = "\xC3\x9C" "bersicht \xE4\xB8\x8A\xE4\xBC\xA0 \xC3\xA9t\xC3\xA9.bin";  // Übersicht 上传 été.bin
  const std::wstring serverDir = UnixFolder(tree) + L"\\intl\\";
  TempDir dir;
  const std::wstring localDir = Wide(dir.path()) + L"\\";
  std::string payload;
  for (int i = 0; i < 70000; ++i) payload += static_cast<char>((i * 7919) >> 3);
  ASSERT_TRUE(WriteWide(localDir + Wide(upload), payload));

  std::string ini = WriteSettings(dir, std::atoi(port), "DIR=/intl\r\n");
  Program program;
  ASSERT_TRUE(program.Start("-i " + ini, dir.path()));
  AnswerSessionDialog(program.Window("Session Profile"), L"127.0.0.1");
  HWND main = program.Window("MIRVAN32 127.0.0.1");
  ASSERT_NE(main, nullptr) << "no connected caption";
  auto remote = [&] { return ListItems(Child(main, IDC_REMOTE_FILES)); };
  auto local = [&] { return ListItems(Child(main, IDC_LOCAL_FILES)); };
  ASSERT_TRUE(WaitFor([&] { return IndexStartingWith(remote(), german) >= 0 &&
                                   IndexStartingWith(remote(), japanese) >= 0; }))
      << Join(remote());
  ASSERT_GE(IndexStartingWith(local(), upload), 0) << Join(local());

  // Both server files at once into the local folder.
  HWND files = Child(main, IDC_REMOTE_FILES);
  SendMessageW(files, LB_SETSEL, TRUE, IndexStartingWith(remote(), german));
  SendMessageW(files, LB_SETSEL, TRUE, IndexStartingWith(remote(), japanese));
  PostMessageW(Child(main, IDC_DOWNLOAD), BM_CLICK, 0, 0);
  for (const std::string& name : {german, japanese}) {
    const std::string expected = ReadWide(serverDir + Wide(name));
    ASSERT_FALSE(expected.empty()) << name;
    EXPECT_TRUE(WaitFor([&] { return ReadWide(localDir + Wide(name)) == expected; })) << name;
  }
  EXPECT_TRUE(WaitFor([&] { return IndexStartingWith(local(), german) >= 0 && IndexStartingWith(local(), japanese) >= 0; }))
      << Join(local());

  // The local file with a non-ASCII name up to the server. The download's worker may still be
  // ending, when the button does nothing: pressed again until the file arrives.
  HWND localFiles = Child(main, IDC_LOCAL_FILES);
  bool arrived = WaitFor([&] {
    SendMessageW(localFiles, LB_SETSEL, FALSE, -1);
    SendMessageW(localFiles, LB_SETSEL, TRUE, IndexStartingWith(local(), upload));
    PostMessageW(Child(main, IDC_UPLOAD), BM_CLICK, 0, 0);
    return WaitFor([&] { return ReadWide(serverDir + Wide(upload)) == payload; }, 3000);
  });
  EXPECT_TRUE(arrived) << "got " << ReadWide(serverDir + Wide(upload)).size() << " bytes";
  DeleteFileW((serverDir + Wide(upload)).c_str());
  PostMessageW(Child(main, IDM_EXIT), BM_CLICK, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0);
}

// The whole text of another process's edit control.
std::string LongText(HWND h) {
  DWORD_PTR len = 0;
  if (!h || !SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &len)) return "";
  std::wstring w(len + 1, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(h, WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(&w[0]), SMTO_ABORTIFHUNG, 5000, &got);
  w.resize(got);
  return Narrow(w);
}

// KEEPALIVE 1 against the real server: NOOPs while the window idles; then the server stops
// (closing the connection) while the client idles, and the window says so and shows itself
// closed without any command from the user.
TEST(KeepAliveWine, NoopWhileIdleAndAServerThatStopsIsShownClosed) {
  const char* port = std::getenv("MIRVAN_TEST_FTP_PORT");
  const char* stop = std::getenv("MIRVAN_TEST_FTP_STOP");
  if (!port || !*port || !stop) GTEST_SKIP() << "needs the pyftpdlib server of tests/gui/with_ftp_server";
  TempDir dir;
  std::string ini = WriteSettings(dir, std::atoi(port), "DIR=/pub\r\nKEEPALIVE=1\r\n");
  Program program;
  ASSERT_TRUE(program.Start("-i " + ini, dir.path()));
  AnswerSessionDialog(program.Window("Session Profile"), L"127.0.0.1");
  HWND main = program.Window("MIRVAN32 127.0.0.1");
  ASSERT_NE(main, nullptr) << "no connected caption";
  ASSERT_TRUE(WaitFor([&] { return HasItemStartingWith(ListItems(Child(main, IDC_REMOTE_FILES)), "hello.txt"); }));
  PostMessageW(main, WM_COMMAND, IDM_LOGWND, 0);
  HWND logWindow = program.Window("Message Log");
  ASSERT_NE(logWindow, nullptr);
  HWND log = GetDlgItem(logWindow, IDC_LOGTEXT);
  // Two NOOPs, each answered, while nobody touches the window.
  auto count = [&](const std::string& text) {
    const std::string all = LongText(log);
    int n = 0;
    for (size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) ++n;
    return n;
  };
  EXPECT_TRUE(WaitFor([&] { return count("NOOP\r\n") >= 2 && count("200 ") >= 2; }, 10000)) << LongText(log);
  EXPECT_EQ(Text(Child(main, IDM_CONNECT)), "&Close");

  WriteWide(UnixFolder(stop), "");
  EXPECT_TRUE(WaitFor([&] { return Text(main) == "MIRVAN32"; }, 10000)) << Text(main);
  EXPECT_TRUE(WaitFor([&] { return count("Connection closed by the server") == 1; }, 5000)) << LongText(log);
  EXPECT_EQ(Text(Child(main, IDM_CONNECT)), "&Connect");
  EXPECT_TRUE(ListItems(Child(main, IDC_REMOTE_FILES)).empty()) << Join(ListItems(Child(main, IDC_REMOTE_FILES)));
  EXPECT_TRUE(ListItems(Child(main, IDC_REMOTE_DIRS)).empty()) << Join(ListItems(Child(main, IDC_REMOTE_DIRS)));
  EXPECT_FALSE(IsWindowEnabled(Child(main, IDC_DOWNLOAD)));
  // No more NOOPs once closed.
  const int noops = count("NOOP\r\n");
  Sleep(2500);
  EXPECT_EQ(count("NOOP\r\n"), noops);
  PostMessageW(Child(main, IDM_EXIT), BM_CLICK, 0, 0);
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
  AnswerSessionDialog(program.Window("Session Profile"), L"127.0.0.1");
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
  AnswerSessionDialog(program.Window("Session Profile"), L"127.0.0.1");
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
