// Runs the real INSTALL.EXE as a user would: this test answers its prompts and message boxes
// by their titles and buttons, serves the "PROGMAN" DDE service itself, and checks what
// was installed, what the user was shown and which program-group commands arrived.
#include <windows.h>
#include <ddeml.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "support/temp_dir.h"

using testing_support::ReadFile;
using testing_support::TempDir;

namespace {

const std::string kDist = MIRVAN_DIST_DIR;
const std::string kInstaller = kDist + "\\INSTALL.EXE";
const char* const kSevenFiles[] = {"MIRVAN32.exe", "MIRVAN.hlp", "whatsnew.txt", "complete.wav",
                                   "connect.wav",  "error.wav",  "mirvan.ext"};

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The desktop shell's side of the program group: a DDE server for "PROGMAN" in this process
// that records every execute command. Its conversations are served while the test pumps.
// Wine's own shell serves "PROGMAN" too; a client connects to the first server that answers
// the broadcast, and ours, registered after the shell's, answers first. Should Wine's shell
// ever win, the commands never reach this recorder and the tests that expect them fail.
class ProgmanServer {
 public:
  ProgmanServer() {
    current = this;
    DdeInitializeA(&instance_, Callback, APPCLASS_STANDARD | CBF_FAIL_POKES | CBF_FAIL_REQUESTS | CBF_SKIP_ALLNOTIFICATIONS, 0);
    service_ = DdeCreateStringHandleA(instance_, "PROGMAN", CP_WINANSI);
    registered_ = DdeNameService(instance_, service_, nullptr, DNS_REGISTER) != nullptr;
  }
  ~ProgmanServer() {
    if (registered_) DdeNameService(instance_, service_, nullptr, DNS_UNREGISTER);
    DdeFreeStringHandle(instance_, service_);
    DdeUninitialize(instance_);
    current = nullptr;
  }
  bool registered() const { return registered_; }
  std::vector<std::string> commands;

 private:
  static HDDEDATA CALLBACK Callback(UINT type, UINT, HCONV, HSZ topic, HSZ, HDDEDATA data, ULONG_PTR, ULONG_PTR) {
    ProgmanServer* self = current;
    if (!self) return nullptr;
    if (type == XTYP_CONNECT) {
      return reinterpret_cast<HDDEDATA>(static_cast<INT_PTR>(DdeCmpStringHandles(topic, self->service_) == 0));
    }
    if (type == XTYP_EXECUTE) {
      DWORD size = DdeGetData(data, nullptr, 0, 0);
      std::string text(size, '\0');
      DdeGetData(data, reinterpret_cast<LPBYTE>(&text[0]), size, 0);
      text.resize(strnlen(text.c_str(), text.size()));
      self->commands.push_back(text);
      return reinterpret_cast<HDDEDATA>(static_cast<INT_PTR>(DDE_FACK));
    }
    return nullptr;
  }
  static ProgmanServer* current;
  DWORD instance_ = 0;
  HSZ service_ = nullptr;
  bool registered_ = false;
};
ProgmanServer* ProgmanServer::current = nullptr;

// One answer of the user: text typed into the prompt, or a button ("<OK>", "<Cancel>", "<Yes>", "<No>").
struct Step {
  std::string answer;
};

struct Outcome {
  std::vector<std::string> seen;  // every prompt and message box, in order
  DWORD exitCode = 12345;
  bool ended = false;
  bool copyDialogSeen = false;
  RECT mainWindow{};  // the installer's main window, as last seen
};

// A caption or a static text, read without waiting for the installer's thread (which may
// be busy copying).
std::string Text(HWND window) {
  char buffer[1024] = "";
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

// An edit field's contents, which only its own thread can give.
std::string EditText(HWND edit) {
  char buffer[1024] = "";
  DWORD_PTR n = 0;
  SendMessageTimeoutA(edit, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000, &n);
  return buffer;
}

std::string ClassOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

BOOL CALLBACK FindStaticText(HWND child, LPARAM lp) {
  auto* text = reinterpret_cast<std::string*>(lp);
  if (_stricmp(ClassOf(child).c_str(), "Static") == 0) {
    std::string t = Text(child);
    if (!t.empty()) {
      *text = t;
      return FALSE;
    }
  }
  return TRUE;
}

struct Windows {
  DWORD pid;
  std::vector<HWND> found;
  HWND main;
};

BOOL CALLBACK CollectDialogs(HWND window, LPARAM lp) {
  auto* w = reinterpret_cast<Windows*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != w->pid || !IsWindowVisible(window)) return TRUE;
  if (ClassOf(window) == "#32770") w->found.push_back(window);
  if (ClassOf(window) == "MVInstal" && Text(window) == "MIRVAN Install") w->main = window;
  return TRUE;
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Click(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// A message box's text; "" until the box has been filled in.
std::string MessageText(HWND dialog) {
  std::string text;
  EnumChildWindows(dialog, FindStaticText, reinterpret_cast<LPARAM>(&text));
  return text;
}

// Whether a dialog has been set up and can be read and answered.
bool Ready(HWND dialog) {
  std::string caption = Text(dialog);
  if (caption.empty()) return false;
  if (caption == "Input") return GetDlgItem(dialog, 954) && GetDlgItem(dialog, 3010);
  return !MessageText(dialog).empty();
}

// Answers one prompt or message box and returns how it was seen.
std::string Answer(HWND dialog, const Step* step) {
  std::string caption = Text(dialog);
  if (caption == "Input" && GetDlgItem(dialog, 954) && GetDlgItem(dialog, 3010)) {
    HWND edit = GetDlgItem(dialog, 954);
    std::string seen = "Input: " + Text(GetDlgItem(dialog, 3010)) + " [" + EditText(edit) + "]";
    if (!step || step->answer == "<Cancel>") {
      Click(dialog, IDCANCEL);
    } else {
      DWORD_PTR r;
      SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(step->answer.c_str()), SMTO_ABORTIFHUNG, 5000, &r);
      Click(dialog, IDOK);
    }
    return seen;
  }
  std::string text = MessageText(dialog);
  // System error numbers differ between systems; the rest of the text is compared exactly.
  text = std::regex_replace(text, std::regex("\\(\\d+\\)$"), "(N)");
  int button = GetDlgItem(dialog, IDOK) ? IDOK : GetDlgItem(dialog, IDNO) ? IDNO : IDCANCEL;
  if (step && step->answer == "<Yes>") button = IDYES;
  if (step && step->answer == "<No>") button = IDNO;
  Click(dialog, button);
  return caption + ": " + text;
}

// Our Xvfb has no window manager, and Wine then waits about a second for one whenever a
// managed window closes. Marking the installer's windows unmanaged (for INSTALL.EXE only, in
// the test prefix) removes that wait; what the windows do is unchanged.
void UnmanagedInstallerWindows() {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\INSTALL.EXE\\X11 Driver", 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
    RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
    RegCloseKey(key);
  }
}

// Runs the installer from `dir` and answers what it shows from `script`; anything beyond
// the script is cancelled (or acknowledged) so the installer always ends.
Outcome RunInstaller(const std::string& exe, const std::string& dir, const std::vector<Step>& script,
                     bool cancelCopy = false) {
  Outcome out;
  UnmanagedInstallerWindows();
  std::string cmd = "\"" + exe + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi)) {
    ADD_FAILURE() << "cannot start " << exe << " (" << GetLastError() << ")";
    return out;
  }
  std::vector<HWND> handled;
  size_t next = 0;
  bool cancelled = false;
  DWORD deadline = GetTickCount() + 90000;
  while (GetTickCount() < deadline) {
    Pump();
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) {
      out.ended = true;
      break;
    }
    Windows w{pi.dwProcessId, {}, nullptr};
    EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&w));
    if (w.main) GetWindowRect(w.main, &out.mainWindow);
    for (HWND dialog : w.found) {
      if (Text(dialog) == "Installation") {
        out.copyDialogSeen = true;
        if (cancelCopy && !cancelled) {
          Click(dialog, IDCANCEL);
          cancelled = true;
        }
        continue;
      }
      bool done = false;
      for (HWND h : handled) done = done || h == dialog;
      if (done || !Ready(dialog)) continue;
      out.seen.push_back(Answer(dialog, next < script.size() ? &script[next] : nullptr));
      ++next;
      handled.push_back(dialog);
    }
    // Drop handles of dialogs that are gone, so a new dialog reusing one is seen.
    std::vector<HWND> alive;
    for (HWND h : handled) {
      if (IsWindow(h) && IsWindowVisible(h)) alive.push_back(h);
    }
    handled.swap(alive);
    MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 5, QS_ALLINPUT);
  }
  if (!out.ended) {
    ADD_FAILURE() << "the installer did not end; seen so far: " << out.seen.size();
    TerminateProcess(pi.hProcess, 99);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  Pump();
  GetExitCodeProcess(pi.hProcess, &out.exitCode);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_LE(next, script.size()) << "the installer asked more than the script answers";
  return out;
}

std::vector<std::string> GroupCommands(const std::string& dest) {
  return {"[CreateGroup(MIRVAN)]", "[AddItem(" + dest + "\\MIRVAN32.exe ,\"MIRVAN32\")]",
          "[AddItem(" + dest + "\\MIRVAN.hlp ,\"Help\")]", "[AddItem(" + dest + "\\whatsnew.txt ,\"Release Notes\")]"};
}

const std::string kAskDestination = "Input: Enter the destination directory: [C:\\MIRVAN]";
const std::string kSuccess = "MIRVAN32: Installation successful!";
const std::string kFailure = "MIRVAN32: Some portion of installation process failed.";

// A small distribution of our own, to tell its files from the real ones.
void WriteFixtureDistribution(const TempDir& dir, size_t clientSize = 100) {
  std::string client(clientSize, '\0');
  for (size_t i = 0; i < clientSize; ++i) client[i] = static_cast<char>((i * 131 + 7) % 251);
  dir.Write("MIRVAN32.exe", client);
  for (const char* name : kSevenFiles) {
    if (std::string(name) != "MIRVAN32.exe") dir.Write(name, std::string("fixture ") + name + "\r\n");
  }
  dir.Write("MIRVAN.ini", "[_config_]\r\nAUTOSTART=1\r\n");
}

}  // namespace

TEST(Installer, InstallsTheDistributionIntoNewNestedDirectoryAndCreatesTheGroup) {
  ProgmanServer shell;
  ASSERT_TRUE(shell.registered());
  TempDir elsewhere, target;
  // Two missing levels below an existing directory.
  std::string dest = target.path() + "\\Programs\\MIRVAN";
  Outcome run = RunInstaller(kInstaller, elsewhere.path(), {{dest}, {"<OK>"}});
  EXPECT_EQ(run.seen, (std::vector<std::string>{kAskDestination, kSuccess}));
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_TRUE(run.ended);
  // The installer's own window covers the desktop behind its dialogs.
  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  EXPECT_EQ(run.mainWindow.left, 0);
  EXPECT_EQ(run.mainWindow.top, 0);
  EXPECT_EQ(run.mainWindow.right, desktop.right);
  EXPECT_EQ(run.mainWindow.bottom, desktop.bottom);
  for (const char* name : kSevenFiles) {
    std::string copied = ReadFile(dest + "\\" + name);
    EXPECT_FALSE(copied.empty()) << name;
    EXPECT_TRUE(copied == ReadFile(kDist + "\\" + name)) << name << " differs from the distribution";
  }
  EXPECT_EQ(ReadFile(dest + "\\MIRVAN.ini"), ReadFile(kDist + "\\MIRVAN.ini"));
  EXPECT_FALSE(Exists(dest + "\\INSTALL.EXE"));
  // The shell was asked for the group first and then for the three items, with the destination.
  EXPECT_EQ(shell.commands, GroupCommands(dest));
}

TEST(Installer, DistributionInCurrentDirectoryWinsAndExistingSettingsFileIsAskedAbout) {
  struct Case {
    const char* answer;
    bool replaced;
  } cases[] = {{"<No>", false}, {"<Yes>", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    ProgmanServer shell;
    TempDir source, dest;
    WriteFixtureDistribution(source);
    const std::string mine = "[_config_]\r\nSESSION=mine\r\nMAILADDR=me@example.org\r\n";
    dest.Write("MIRVAN.ini", mine);
    // The destination exists already: accepted without a word.
    Outcome run = RunInstaller(kInstaller, source.path(), {{dest.path()}, {c.answer}, {"<OK>"}});
    EXPECT_EQ(run.seen, (std::vector<std::string>{
                            kAskDestination,
                            "MIRVAN32: You have an INI file in the destination directory.\nDo you want to overwrite it "
                            "with the distribution version?",
                            kSuccess}));
    EXPECT_EQ(run.exitCode, 0u);
    // The installer in the real distribution took its files from the current directory.
    for (const char* name : kSevenFiles) {
      EXPECT_TRUE(ReadFile(dest.File(name)) == ReadFile(source.File(name))) << name;
    }
    EXPECT_EQ(ReadFile(dest.File("MIRVAN.ini")), c.replaced ? ReadFile(source.File("MIRVAN.ini")) : mine);
    EXPECT_EQ(shell.commands, GroupCommands(dest.path()));
  }
}

TEST(Installer, MissingSourceIsAskedForUntilFoundOrGivenUp) {
  TempDir away, empty, source, dest;
  WriteFixtureDistribution(source);
  // The installer alone, without a distribution beside it, started from an empty directory.
  std::string lonely = away.File("INSTALL.EXE");
  ASSERT_TRUE(CopyFileA(kInstaller.c_str(), lonely.c_str(), FALSE));
  const std::string ask = "Input: Can't locate source directory, please point me to it! [";
  {
    ProgmanServer shell;
    Outcome run = RunInstaller(lonely, empty.path(), {{"<Cancel>"}, {"<OK>"}, {"<OK>"}});
    EXPECT_EQ(run.seen, (std::vector<std::string>{ask + away.path() + "\\]",
                                                  "MIRVAN32.exe: Can't continue with no source.", kFailure}));
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(shell.commands.empty());
  }
  {
    // A wrong answer is asked again (with a separator added); a right one typed without its
    // trailing separator is accepted.
    ProgmanServer shell;
    std::string wrong = empty.path();
    Outcome run = RunInstaller(lonely, empty.path(), {{wrong}, {source.path()}, {dest.path()}, {"<OK>"}});
    EXPECT_EQ(run.seen, (std::vector<std::string>{ask + away.path() + "\\]", ask + wrong + "\\]", kAskDestination,
                                                  kSuccess}));
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(ReadFile(dest.File("MIRVAN32.exe")), ReadFile(source.File("MIRVAN32.exe")));
    EXPECT_EQ(ReadFile(dest.File("MIRVAN.ini")), ReadFile(source.File("MIRVAN.ini")));
    EXPECT_EQ(shell.commands, GroupCommands(dest.path()));
  }
}

TEST(Installer, DestinationThatCannotBeCreatedIsAskedForAgain) {
  ProgmanServer shell;
  TempDir source, target;
  WriteFixtureDistribution(source);
  target.Write("plain-file", "not a directory");
  std::string bad = target.path() + "\\plain-file\\MIRVAN";
  std::string good = target.path() + "\\MIRVAN";
  Outcome run = RunInstaller(kInstaller, source.path(), {{bad}, {"<OK>"}, {"<OK>"}, {good}, {"<OK>"}});
  EXPECT_EQ(run.seen, (std::vector<std::string>{kAskDestination, "Install: Creation of " + bad + " failed. (N)",
                                                "MIRVAN32: Failed to create requested directory!",
                                                "Input: Enter the destination directory: [" + bad + "]", kSuccess}));
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(ReadFile(good + "\\mirvan.ext"), ReadFile(source.File("mirvan.ext")));
}

TEST(Installer, FailedCopyStopsTheInstallationWithoutGroup) {
  ProgmanServer shell;
  TempDir source, dest;
  WriteFixtureDistribution(source);
  // A directory where the third file should go cannot be overwritten by a copy.
  ASSERT_TRUE(CreateDirectoryA(dest.File("whatsnew.txt").c_str(), nullptr));
  Outcome run = RunInstaller(kInstaller, source.path(), {{dest.path()}, {"<OK>"}, {"<OK>"}});
  EXPECT_EQ(run.seen, (std::vector<std::string>{
                          kAskDestination, "Install: Copy of whatsnew.txt to " + dest.path() + " failed. (N)", kFailure}));
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_TRUE(Exists(dest.File("MIRVAN.hlp")));
  EXPECT_FALSE(Exists(dest.File("complete.wav")));
  EXPECT_FALSE(Exists(dest.File("MIRVAN.ini")));
  EXPECT_TRUE(shell.commands.empty());
}

TEST(Installer, CancelInTheCopyDialogStopsAfterTheCurrentFile) {
  ProgmanServer shell;
  TempDir source, dest;
  // A large first file keeps the copy busy while Cancel is pressed.
  WriteFixtureDistribution(source, 96u << 20);
  Outcome run = RunInstaller(kInstaller, source.path(), {{dest.path()}, {"<OK>"}}, true);
  EXPECT_TRUE(run.copyDialogSeen);
  EXPECT_EQ(run.seen, (std::vector<std::string>{kAskDestination, kFailure}));
  EXPECT_EQ(run.exitCode, 1u);
  // The file being copied when Cancel came is complete; nothing after it was started.
  EXPECT_TRUE(ReadFile(dest.File("MIRVAN32.exe")) == ReadFile(source.File("MIRVAN32.exe")));
  EXPECT_FALSE(Exists(dest.File("MIRVAN.hlp")));
  EXPECT_FALSE(Exists(dest.File("MIRVAN.ini")));
  EXPECT_TRUE(shell.commands.empty());
}
