// The test front end: the memory front end with scripted answers. The recorders below plug into
// it while they live, so a test declares the ones it needs and reads back what was asked.
#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/help.h"
#include "core/prompts.h"
#include "transfer/progress.h"
#include "ui/front_end.h"
#include "ui/message_box.h"

namespace testing_support {

class RecordingMessageBox;
class ScriptedPrompts;
class RecordingHelp;

// Progress as a test sees it: each call in order.
class ProgressRecorder {
 public:
  virtual ~ProgressRecorder() = default;
  virtual void Open(bool sending, const std::string& statusText) = 0;
  virtual void SetProgress(const std::string& text) = 0;
  virtual void Close() = 0;
};

// Installed for every test program; a test resets it with Reset() where it reads its controls.
class TestFrontEnd : public ui::MemoryFrontEnd {
 public:
  int ShowMessage(const std::string& text, const std::string& caption, unsigned flags, bool owned) override;
  int Prompt(ui::PromptKind kind, const std::string& promptText, std::string& input,
             const std::vector<std::string>& history) override;
  void ShowHelp(const std::string& helpFile, int context) override;
  void QuitHelp() override;
  void ProgressOpen(bool sending, const std::string& statusText) override;
  void ProgressText(const std::string& text) override;
  void ProgressClose() override;
  void PumpWaitingMessages() override {
    if (pump) pump();
  }
  // What the message pump does while a wait runs (a test's stand-in for the user's actions).
  void SetPump(std::function<void()> action) { pump = std::move(action); }

  std::function<void()> pump;
  RecordingMessageBox* messageBox = nullptr;
  ScriptedPrompts* prompts = nullptr;
  RecordingHelp* help = nullptr;
  ProgressRecorder* progress = nullptr;
};

// The test front end, installed on first use.
TestFrontEnd& TestFront();
// A fresh test front end (its controls and records emptied), installed.
TestFrontEnd& ResetTestFront();

struct ShownMessage {
  std::string text, caption;
  unsigned flags;
};

// Records every message box and answers with the next scripted answer (Ok/Yes when none is left).
class RecordingMessageBox {
 public:
  RecordingMessageBox() { TestFront().messageBox = this; }
  ~RecordingMessageBox() { TestFront().messageBox = nullptr; }
  int Show(const std::string& text, const std::string& caption, unsigned flags, bool owned);
  std::vector<ShownMessage> shown;
  std::deque<int> answers;
};

struct AskedPrompt {
  core::PromptKind kind;
  std::string promptText, initial;
  int helpContext;
  std::vector<std::string> history;
};

// Answers prompts from a script: each entry is an answer, or Cancel when `ok` is false.
class ScriptedPrompts {
 public:
  struct Answer {
    bool ok;
    std::string text;
  };
  ScriptedPrompts() { TestFront().prompts = this; }
  ~ScriptedPrompts() { TestFront().prompts = nullptr; }
  int Run(core::PromptKind kind, const std::string& promptText, std::string& input,
          const std::vector<std::string>& history);
  std::deque<Answer> answers;
  std::vector<AskedPrompt> asked;
};

// Records help requests.
class RecordingHelp {
 public:
  RecordingHelp() { TestFront().help = this; }
  ~RecordingHelp() { TestFront().help = nullptr; }
  void Show(const std::string&, int context) { contexts.push_back(context); }
  void Quit() { ++quits; }
  std::vector<int> contexts;
  int quits = 0;
};

}  // namespace testing_support
