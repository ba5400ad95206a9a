// Test stand-ins for the user-question ports: they record what was asked and answer from a script.
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "core/help.h"
#include "core/prompts.h"
#include "ui/message_box.h"

namespace testing_support {

struct ShownMessage {
  std::string text, caption;
  unsigned flags;
};

// Records every message box and answers with the next scripted answer (Ok/Yes when none is left).
class RecordingMessageBox : public ui::MessageBoxPort {
 public:
  RecordingMessageBox() { ui::SetMessageBoxPort(this); }
  ~RecordingMessageBox() override { ui::SetMessageBoxPort(nullptr); }
  int Show(const std::string& text, const std::string& caption, unsigned flags, bool) override;
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
class ScriptedPrompts : public core::PromptPort {
 public:
  struct Answer {
    bool ok;
    std::string text;
  };
  ScriptedPrompts() { core::SetPromptPort(this); }
  ~ScriptedPrompts() override { core::SetPromptPort(nullptr); }
  int Run(core::PromptKind kind, const std::string& promptText, std::string& input,
          const std::vector<std::string>& history) override;
  std::deque<Answer> answers;
  std::vector<AskedPrompt> asked;
};

// Records help requests.
class RecordingHelp : public core::HelpPort {
 public:
  RecordingHelp() { core::SetHelpPort(this); }
  ~RecordingHelp() override { core::SetHelpPort(nullptr); }
  void Show(const std::string&, int context) override { contexts.push_back(context); }
  void Quit() override { ++quits; }
  std::vector<int> contexts;
  int quits = 0;
};

}  // namespace testing_support
