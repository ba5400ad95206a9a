// The front end: everything the program's logic asks of its user interface, as one interface.
// The Win32 shell implements it over real windows, the console program on the terminal, and
// the memory front end below serves tests. Exactly one is installed at a time.
#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "ui/controls.h"

namespace ui {

enum class PromptKind { kPlain, kCombo, kPassword };

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;

  // ---- The message log's views. Called from any thread, never while the log's lock is held.
  // The status lines now show these texts (the upper one only when `setUpper`: the very first
  // line of the log has none above it).
  virtual void ShowStatusLines(const std::string& upper, const std::string& lower, bool setUpper) = 0;
  // A new line for the open log window (nothing when none is open).
  virtual void AppendLogLine(const std::string& line) = 0;

  // ---- Questions. Each returns what the user answered.
  // A message box; `owned` is false for a box without an owner window. Returns the button id.
  virtual int ShowMessage(const std::string& text, const std::string& caption, unsigned flags, bool owned) = 0;
  // A one-line prompt with `promptText`; the field starts with `input`. On Ok stores the answer
  // in `input` and returns 1; Cancel returns 0 and leaves `input` alone. `history` fills the
  // combo prompt's list.
  virtual int Prompt(PromptKind kind, const std::string& promptText, std::string& input,
                     const std::vector<std::string>& history) = 0;

  // ---- Help: show the topic of a context number of the help file; the program quits.
  virtual void ShowHelp(const std::string& helpFile, int context) = 0;
  virtual void QuitHelp() = 0;

  // ---- Progress of a transfer (the GUI's status dialog, the console's progress line).
  virtual void ProgressOpen(bool sending, const std::string& statusText) = 0;
  virtual void ProgressText(const std::string& text) = 0;
  virtual void ProgressClose() = 0;
  virtual bool ProgressIsOpen() const = 0;

  // ---- The main window.
  virtual void SetMainCaption(const std::string& caption) = 0;
  // The remote MkDir, RmDir, Rename and Delete buttons follow the server's capabilities.
  virtual void SetRemoteCapabilities(bool mkd, bool rmd, bool rename, bool dele) = 0;
  // The transfer type changed: the type buttons follow it (posted, never blocking).
  virtual void TransferTypeChanged() = 0;
  // A command-line run shows the main window normally and in front.
  virtual void ShowMainWindow() = 0;

  // ---- The message pump: dispatch waiting messages of the calling thread and return.
  virtual void PumpWaitingMessages() = 0;
};

// Installs a front end (nullptr: the memory front end below, with no one answering).
void InstallFrontEnd(FrontEnd* frontEnd);
FrontEnd& Front();

// A front end in memory: the status lines, the log window's text, the caption and the remote
// buttons are memory controls a test can read; message boxes are written to standard error and
// answered Ok (Yes for questions); prompts are cancelled; help and progress are recorded.
class MemoryFrontEnd : public FrontEnd {
 public:
  void ShowStatusLines(const std::string& upper, const std::string& lower, bool setUpper) override;
  void AppendLogLine(const std::string& line) override;
  int ShowMessage(const std::string& text, const std::string& caption, unsigned flags, bool owned) override;
  int Prompt(PromptKind kind, const std::string& promptText, std::string& input,
             const std::vector<std::string>& history) override;
  void ShowHelp(const std::string& helpFile, int context) override;
  void QuitHelp() override;
  void ProgressOpen(bool sending, const std::string& statusText) override;
  void ProgressText(const std::string& text) override;
  void ProgressClose() override;
  bool ProgressIsOpen() const override;
  void SetMainCaption(const std::string& caption) override;
  void SetRemoteCapabilities(bool mkd, bool rmd, bool rename, bool dele) override;
  void TransferTypeChanged() override;
  void ShowMainWindow() override;
  void PumpWaitingMessages() override {}

  // What a test reads back (guarded by `lock` when other threads may write).
  mutable std::mutex lock;
  MemoryLabel upperStatus, lowerStatus, caption;
  MemoryEdit logText;
  bool logWindowOpen = false;  // AppendLogLine writes to logText only while this is set
  MemoryButton remoteMkd, remoteRmd, remoteRename, remoteDelete;
  std::vector<int> helpContexts;
  int helpQuits = 0;
  bool progressOpen = false;
  std::vector<std::string> progressTexts;
  int typeChanges = 0;
  int mainWindowShown = 0;
};

}  // namespace ui
