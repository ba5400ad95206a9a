// MIRVAN32.exe run and driven from a test process as a user drives it: its windows found by
// title, their texts and list items read back, buttons pressed and keys typed, by control id.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// The program under test: MIRVAN_BIN_DIR\MIRVAN32.exe.
std::string ProgramPath();

// Polls `done` until it holds or `ms` have passed; true when it held.
bool WaitFor(const std::function<bool()>& done, int ms = 30000);

std::string Narrow(const std::wstring& w);  // as UTF-8

// Another process's window text (the W messages are the ones Wine passes between processes).
std::string Text(HWND h);
// The whole text of a (large) edit control of another process.
std::string LongText(HWND edit);
std::vector<std::string> ListItems(HWND list);
std::string ComboText(HWND combo);  // the selected item of a combo box
HWND Child(HWND parent, int id);

bool HasItemStartingWith(const std::vector<std::string>& items, const std::string& prefix);
std::string Join(const std::vector<std::string>& items);

// Selects exactly the items whose text starts with one of `prefixes` in a multiple-selection
// list and tells the window, as a click does (LBN_SELCHANGE). False when one was not found.
bool SelectItems(HWND window, int listId, const std::vector<std::string>& prefixes);
// Presses a button of a window (posted: a dialog it opens must not block the test).
void Click(HWND window, int id);
void SetField(HWND dialog, int id, const wchar_t* text);

// Presses Alt and a letter on the keyboard while the window has the focus.
void PressAlt(HWND window, WORD letter);

// A running MIRVAN32.exe; stopped at the end of the test if it is still running.
class Program {
 public:
  Program() = default;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program();
  bool Start(const std::string& args, const std::string& dir);
  // A visible top-level window of the program with this title ("X*": starting with X).
  HWND Window(const std::string& title, int ms = 30000);
  // The exit code once the program has ended by itself within `ms`, else -1.
  long ExitCode(int ms = 30000);
  bool Running() const;
  DWORD Id() const { return pi_.dwProcessId; }
  // Runs `function` of the test helper library inside the program, on a new thread of it, with
  // a copy of `param` as its argument; false when it could not run. Its exit code in `result`.
  bool CallHelper(const char* function, const std::string& param, DWORD& result);

 private:
  PROCESS_INFORMATION pi_{};
};

// Fills the session dialog's host, user and password as a user types them, and presses Ok.
// False when the dialog did not open.
bool AnswerSessionDialog(HWND dialog, const wchar_t* host);

// The message log's text: opens the log window with the LogWnd button when it is not open.
std::string LogText(Program& program, HWND main);

// Whether the window answers a message within `ms`.
bool Answers(HWND window, int ms);

// With MIRVAN_SHOT_DIR set, saves the screen as <dir>\<name>.bmp (to look at after a run).
void Screenshot(const std::string& name);

}  // namespace testing_support
