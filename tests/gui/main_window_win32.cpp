// MIRVAN32.exe driven as a user drives it: it starts with the session dialog open, the dialog's
// fields are filled by control id and Ok pressed; then the main window's caption, buttons and
// remote lists are read back from the other process while it connects, changes directory,
// closes and exits, against a real server (its port in MIRVAN_TEST_FTP_PORT) and a scripted one.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <string>
#include <vector>

#include "app/main_controls.h"
#include "app/main_layout.h"
#include "resources/resource.h"
#include "support/program_win32.h"
#include "support/scripted_ftp_server.h"
#include "support/temp_dir.h"

using testing_support::ScriptedFtpServer;
using testing_support::ScriptedReply;
using testing_support::DataEnd;
using testing_support::TempDir;

namespace {

using testing_support::AnswerSessionDialog;
using testing_support::Child;
using testing_support::Click;
using testing_support::ComboText;
using testing_support::HasItemStartingWith;
using testing_support::Join;
using testing_support::ListItems;
using testing_support::PressAlt;
using testing_support::Program;
using testing_support::Text;
using testing_support::WaitFor;
using testing_support::LongText;
using testing_support::Narrow;

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
  // The profile has no local mask: the field shows the one in force.
  EXPECT_EQ(Text(Child(main, IDC_LOCAL_MASK)), "*.*");
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
  ASSERT_TRUE(AnswerSessionDialog(program.Window("Session Profile"), L"127.0.0.1"));
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
  ASSERT_TRUE(AnswerSessionDialog(program.Window("Session Profile"), L"127.0.0.1"));
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
  ASSERT_TRUE(program.Start("-i " + WriteSettings(dir, server.port(), "LMASK=*.ini\r\n"), dir.path()));
  ASSERT_TRUE(AnswerSessionDialog(program.Window("Session Profile"), L"127.0.0.1")) << "the session dialog did not open";
  HWND main = program.Window("MIRVAN32 127.0.0.1");
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFor([&] { return Text(Child(main, IDM_CONNECT)) == "&Close"; }));
  const std::string mask = Text(Child(main, IDC_LOCAL_MASK));
  PostMessageW(Child(main, IDM_EXIT), BM_CLICK, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0);
  std::vector<std::string> t = server.Transcript();
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(t.front(), "USER anonymous");
  EXPECT_EQ(mask, "*.ini") << "the profile's local mask";
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

// ---- the mouse and help ----------------------------------------------------------------------

// A control's rectangle in the main window's client coordinates.
app::Rect ClientRect(HWND main, HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
  return app::Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// Every control with an id where the layout puts it (combo boxes: their closed height is theirs).
void ExpectLayout(HWND main, const app::MainLayout& expected, const char* when) {
  for (int i = 0; i < app::kMainControlCount; ++i) {
    const app::ControlSpec& spec = app::MainControlTable()[i];
    if (spec.id == -1) continue;
    const app::Rect got = ClientRect(main, Child(main, spec.id)), want = expected.controls[i];
    const bool combo = spec.kind == app::ControlClass::kComboBox;
    EXPECT_TRUE(got.x == want.x && got.y == want.y && got.width == want.width && (combo || got.height == want.height))
        << when << ": control " << spec.id << " at " << got.x << "," << got.y << " " << got.width << "x"
        << got.height << ", the layout says " << want.x << "," << want.y << " " << want.width << "x" << want.height;
  }
}

void MouseTo(HWND main, int x, int y) {
  POINT p{x, y};
  ClientToScreen(main, &p);
  SetCursorPos(p.x, p.y);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = MOUSEEVENTF_MOVE;  // a relative move of nothing: the window sees the pointer
  SendInput(1, &in, sizeof in);
}

void MouseButton(bool down) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &in, sizeof in);
}

// The cursor shown now, in the 32 bits that cursor handles use.
DWORD CursorNow() {
  CURSORINFO info{};
  info.cbSize = sizeof info;
  GetCursorInfo(&info);
  return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(info.hCursor));
}

// Drags from one point to another with the left button, as a hand does, in steps.
void Drag(HWND main, int x0, int y0, int x1, int y1) {
  MouseTo(main, x0, y0);
  Sleep(100);
  MouseButton(true);
  for (int k = 1; k <= 4; ++k) {
    Sleep(50);
    MouseTo(main, x0 + (x1 - x0) * k / 4, y0 + (y1 - y0) * k / 4);
  }
  Sleep(100);
  MouseButton(false);
}

TEST(MainWindowWine, SplittersFollowTheMouseWithTheirCursors) {
  TempDir dir;
  Program program;
  ASSERT_TRUE(program.Start("-i " + dir.Write("m.ini", "[_config_]\r\nAUTOSTART=0\r\nusewave=0\r\nLOC=0,0,760,560\r\n"),
                            dir.path()));
  HWND main = program.Window("MIRVAN32");
  ASSERT_NE(main, nullptr);
  SetForegroundWindow(main);
  DWORD splitH = 0, splitV = 0;
  ASSERT_TRUE(program.CallHelper("ProgramCursor", std::string("SPLITH") + '\0', splitH) && splitH);
  ASSERT_TRUE(program.CallHelper("ProgramCursor", std::string("SPLITV") + '\0', splitV) && splitV);
  ASSERT_NE(splitH, splitV);

  RECT client{};
  GetClientRect(main, &client);
  app::LayoutInput in;
  in.width = client.right;
  in.height = client.bottom;
  const LONG units = GetDialogBaseUnits();  // the same display and fonts as the program's
  in.bx = LOWORD(units);
  in.by = HIWORD(units);
  const app::MainLayout start = app::ComputeMainLayout(in);
  ExpectLayout(main, start, "at start");
  const int sv = start.splitX, sh = start.splitY;
  const int midY = start.controls[app::kCtlLocalFiles].y + 20;

  // The vertical splitter: its cursor over the band, then dragged 60 pixels to the left.
  MouseTo(main, sv - 2, midY + 2);
  MouseTo(main, sv - 2, midY);
  EXPECT_TRUE(WaitFor([&] { return CursorNow() == splitH; }, 3000)) << CursorNow() << " " << splitH;
  Drag(main, sv - 2, midY, sv - 62, midY);
  in.splitX = sv - 62;
  app::MainLayout moved = app::ComputeMainLayout(in);
  EXPECT_TRUE(WaitFor([&] { return ClientRect(main, Child(main, IDC_REMOTE_FILES)).x == moved.controls[app::kCtlRemoteFiles].x; }, 3000));
  ExpectLayout(main, moved, "after the vertical drag");

  // The horizontal splitter, in the remote pane's margin: dragged 50 pixels down.
  const int x = moved.splitX + 4;
  MouseTo(main, x, sh - 1);
  MouseTo(main, x, sh - 2);
  EXPECT_TRUE(WaitFor([&] { return CursorNow() == splitV; }, 3000)) << CursorNow() << " " << splitV;
  Drag(main, x, sh - 2, x, sh + 48);
  in.splitY = sh + 48;
  moved = app::ComputeMainLayout(in);
  EXPECT_TRUE(WaitFor([&] { return ClientRect(main, Child(main, IDC_REMOTE_FILES)).y == moved.controls[app::kCtlRemoteFiles].y; }, 3000));
  ExpectLayout(main, moved, "after the horizontal drag");
  testing_support::Screenshot("splitters");
  PressAlt(main, 'X');
  EXPECT_EQ(program.ExitCode(), 0);
}

// Ctrl+F1 on a control opens help at that control's topic; F1 alone at the contents.
TEST(MainWindowWine, CtrlF1OpensTheFocusedControlsTopic) {
  TempDir dir;
  Program program;
  ASSERT_TRUE(program.Start("-i " + dir.Write("m.ini", "[_config_]\r\nAUTOSTART=0\r\nusewave=0\r\nLOC=0,0,760,560\r\n"),
                            dir.path()));
  HWND main = program.Window("MIRVAN32");
  ASSERT_NE(main, nullptr);
  struct Case {
    int id;
    bool ctrl;
    const char* title;
  } cases[] = {
      {IDC_LOCAL_FILES, true, "MIRVAN32 Help - Files and transfers"},
      {IDC_REMOTE_DIRS, true, "MIRVAN32 Help - Directories"},
      {IDC_LOCAL_MASK, true, "MIRVAN32 Help - Directories"},
      {IDC_LOCAL_FILES, false, "MIRVAN32 Help - Contents"},
  };
  for (const Case& c : cases) {
    SetForegroundWindow(main);
    WaitFor([&] { return GetForegroundWindow() == main; }, 5000);
    const app::Rect r = ClientRect(main, Child(main, c.id));
    MouseTo(main, r.x + r.width / 2, r.y + r.height / 2);
    MouseButton(true);
    MouseButton(false);
    ASSERT_TRUE(WaitFor([&] {
      GUITHREADINFO info{};
      info.cbSize = sizeof info;
      GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info);
      return info.hwndFocus == Child(main, c.id);
    }, 5000)) << c.id << " has no focus";
    std::vector<INPUT> keys;
    auto key = [&](WORD vk, bool up) {
      INPUT i{};
      i.type = INPUT_KEYBOARD;
      i.ki.wVk = vk;
      i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
      keys.push_back(i);
    };
    if (c.ctrl) key(VK_CONTROL, false);
    key(VK_F1, false);
    key(VK_F1, true);
    if (c.ctrl) key(VK_CONTROL, true);
    SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
    HWND help = program.Window(c.title, 10000);
    EXPECT_NE(help, nullptr) << c.id << " " << c.title;
    if (c.id == IDC_LOCAL_MASK) testing_support::Screenshot("help");
    // Closed again, as a user does, so that it covers nothing of the main window.
    if (help) PostMessageW(help, WM_CLOSE, 0, 0);
    WaitFor([&] { return !IsWindowVisible(help); }, 5000);
  }
  PostMessageW(Child(main, IDM_EXIT), BM_CLICK, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0);
}

// ---- bad input -----------------------------------------------------------------------------------

// The longest time the window took to answer, pinged every 50 ms until `stop`.
class AnswerWatch {
 public:
  explicit AnswerWatch(HWND window)
      : thread_([this, window] {
          while (!stop_) {
            const DWORD start = GetTickCount();
            DWORD_PTR r = 0;
            if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &r)) timedOut_ = true;
            worst_ = std::max<DWORD>(worst_, GetTickCount() - start);
            Sleep(50);
          }
        }) {}
  ~AnswerWatch() { Stop(); }
  DWORD Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return timedOut_ ? 10000 : worst_.load();
  }

 private:
  std::atomic<bool> stop_{false}, timedOut_{false};
  std::atomic<DWORD> worst_{0};
  std::thread thread_;
};

// A Unix listing of `n` plain files, then the lines of `extra`.
std::string UnixListing(int n, const std::string& extra) {
  std::string text;
  char line[96];
  for (int i = 0; i < n; ++i) {
    snprintf(line, sizeof line, "-rw-r--r--   1 ftp      ftp          %5d Jan 01  2020 f%06d.txt\r\n", i % 99999, i);
    text += line;
  }
  return text + extra;
}

// A scripted server that logs in, lists / with `listing`, and answers QUIT.
void ListingServer(ScriptedFtpServer& server, const std::string& listing) {
  LogInRules(server);
  server.On("PWD", "257 \"/\" is current\r\n");
  server.On("SYST", "215 UNIX Type: L8\r\n");
  server.On("PORT", ScriptedReply::Port());
  server.On("LIST", ScriptedReply::Download("150 here\r\n", listing, DataEnd::kClose, "226 ok\r\n"));
  server.On("QUIT", "221 bye\r\n");
}

TEST(MainWindowWine, AHundredThousandEntriesFillWhileTheWindowAnswers) {
  ScriptedFtpServer server;
  ListingServer(server, UnixListing(100000, ""));
  TempDir dir;
  Program program;
  ASSERT_TRUE(program.Start("-i " + WriteSettings(dir, server.port()), dir.path()));
  HWND dialog = program.Window("Session Profile");
  HWND main = program.Window("MIRVAN32");
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(AnswerSessionDialog(dialog, L"127.0.0.1"));
  // Watched from the moment the dialog has gone (without a window manager, Wine spends two
  // seconds hiding it).
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 10000));
  AnswerWatch watch(main);
  // (Connecting makes the remote file list anew.)
  auto files = [&] { return Child(main, IDC_REMOTE_FILES); };
  const DWORD start = GetTickCount();
  EXPECT_TRUE(WaitFor([&] { return SendMessageW(files(), LB_GETCOUNT, 0, 0) == 100000; }, 120000))
      << SendMessageW(files(), LB_GETCOUNT, 0, 0);
  std::printf("connected and listed 100000 entries in %lu ms\n", GetTickCount() - start);
  const DWORD worst = watch.Stop();
  std::printf("the window answered within %lu ms at worst\n", worst);
  EXPECT_LT(worst, 1000u) << "the window did not answer for " << worst << " ms";
  wchar_t last[128] = L"";
  SendMessageW(files(), LB_GETTEXT, 99999, reinterpret_cast<LPARAM>(last));
  EXPECT_EQ(testing_support::Narrow(last).substr(0, 11), "f099999.txt");
  testing_support::Screenshot("hundred-thousand");
  PostMessageW(Child(main, IDM_EXIT), BM_CLICK, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0);
}

TEST(MainWindowWine, GarbledListingAndOddNamesShowWhatTheyCan) {
  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 7919) % 256);
  const std::string longName(1000, 'n');
  ScriptedFtpServer server;
  ListingServer(server, UnixListing(3, garbage + "\r\n" +
                                           "-rw-r--r--   1 ftp      ftp             10 Jan 01  2020 bell\x07name.txt\r\n"
                                           "-rw-r--r--   1 ftp      ftp             10 Jan 01  2020 esc\x1b[2Jname\r\n"
                                           "drwxr-xr-x   2 ftp      ftp           4096 Jan 01  2020 dir\x01" "ctl\r\n"
                                           "-rw-r--r--   1 ftp      ftp             10 Jan 01  2020 " + longName + "\r\n" +
                                           "-rw-r--r--   1 ftp      ftp             10 Jan 01  2020 last.txt\r\n"));
  TempDir dir;
  Program program;
  ASSERT_TRUE(program.Start("-i " + WriteSettings(dir, server.port()), dir.path()));
  ASSERT_TRUE(AnswerSessionDialog(program.Window("Session Profile"), L"127.0.0.1"));
  HWND main = program.Window("MIRVAN32 127.0.0.1");
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFor([&] { return HasItemStartingWith(ListItems(Child(main, IDC_REMOTE_FILES)), "last.txt"); }))
      << Join(ListItems(Child(main, IDC_REMOTE_FILES)));
  const std::vector<std::string> files = ListItems(Child(main, IDC_REMOTE_FILES));
  // The plain entries around the garbage, the names with control characters and the long name
  // are listed; the directory whose name holds a control character is refused, and the log says so.
  for (const char* name : {"f000000.txt", "f000002.txt", "bell\x07name.txt", "esc\x1b[2Jname"})
    EXPECT_TRUE(HasItemStartingWith(files, name)) << name;
  EXPECT_TRUE(std::any_of(files.begin(), files.end(), [](const std::string& f) { return f.size() > 1000; }));
  EXPECT_EQ(ListItems(Child(main, IDC_REMOTE_DIRS)), std::vector<std::string>{".."});
  EXPECT_TRUE(program.Running());
  EXPECT_TRUE(testing_support::Answers(main, 2000));
  EXPECT_NE(testing_support::LogText(program, main).find("unsafe directory name not listed: dir?ctl"), std::string::npos);
  testing_support::Screenshot("garbled");
  PostMessageW(Child(main, IDM_EXIT), BM_CLICK, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0);
}

// A settings file the program could not have written: each line a section, a key with its
// value, or empty; no section twice.
bool WellFormedSettings(const std::string& text, std::string& why) {
  std::vector<std::string> sections;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end == std::string::npos ? text.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line.front() == '[') {
      if (line.back() != ']' || line.find(']') != line.size() - 1) return why = "bad section line: " + line.substr(0, 80), false;
      if (std::find(sections.begin(), sections.end(), line) != sections.end()) return why = "section twice: " + line, false;
      sections.push_back(line);
    } else if (line.find('=') == std::string::npos || sections.empty()) {
      return why = "stray line: " + line.substr(0, 80), false;
    }
  }
  return true;
}

TEST(MainWindowWine, AbsurdProfilesAndUnwritableSettingsNeitherHangNorBreakTheFile) {
  const std::string hugeHost(10000, 'h');
  struct Case {
    const char* what;
    std::string profile;  // the [srv] section's keys; "missing": no settings file at all
    bool readOnly;
  } cases[] = {
      {"absurd values", "HOST=" + hugeHost + "\r\nPORT=-1\r\nRETRIES=1e9\r\nTIMEOUT=-5\r\nUID=anonymous\r\n", false},
      {"read-only file", "HOST=127.0.0.1\r\nPORT=1\r\nRETRIES=1000000000\r\nUID=anonymous\r\n", true},
      {"missing file", "missing", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string ini = dir.File("main.ini");
    std::string before;
    if (c.profile != "missing") {
      before = "[_config_]\r\nAUTOSTART=1\r\nSESSION=srv\r\nMAILADDR=tester@example.org\r\nusewave=0\r\nBELL=0\r\nLOC=0,0,720,520\r\n[srv]\r\n" + c.profile;
      dir.Write("main.ini", before);
      if (c.readOnly) SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    Program program;
    ASSERT_TRUE(program.Start("-i " + ini, dir.path()));
    if (c.profile != "missing") {
      // The session dialog shows the profile as stored; Ok tries it.
      HWND dialog = program.Window("Session Profile");
      ASSERT_NE(dialog, nullptr);
      PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    }
    HWND main = program.Window("MIRVAN32", 60000);
    ASSERT_NE(main, nullptr);
    char kind[32] = "";
    GetClassNameA(main, kind, sizeof kind);
    if (std::string(kind) == "#32770") {  // a missing settings file is reported first
      EXPECT_EQ(c.profile, "missing");
      PostMessageW(main, WM_COMMAND, IDOK, 0);
      ASSERT_TRUE(WaitFor([&] { return !IsWindow(main); }, 10000));
      main = program.Window("MIRVAN32", 30000);
      ASSERT_NE(main, nullptr);
      // The settings it falls back on are the system's; their session dialog is closed.
      if (HWND dialog = program.Window("Session Profile", 5000)) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 10000));
      }
    }
    // The attempt fails within a bound (no billion retries), and the window is usable.
    EXPECT_TRUE(WaitFor([&] { return !program.Window("Session Profile", 0) && Text(Child(main, IDM_CONNECT)) == "&Connect"; }, 60000));
    EXPECT_TRUE(testing_support::Answers(main, 2000));
    testing_support::Screenshot(std::string("settings-") + (c.readOnly ? "readonly" : c.profile == "missing" ? "missing" : "absurd"));
    PressAlt(main, 'X');
    EXPECT_EQ(program.ExitCode(), 0);
    const std::string after = testing_support::ReadFile(ini);
    if (c.readOnly) {
      EXPECT_EQ(after, before) << "a read-only settings file was changed";
    }
    std::string why;
    if (!after.empty()) {
      EXPECT_TRUE(WellFormedSettings(after, why)) << why;
    }
    if (c.readOnly) SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

}  // namespace
