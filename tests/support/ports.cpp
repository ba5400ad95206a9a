// Scripted and recording ports for tests.
#include "support/ports.h"

namespace testing_support {

int RecordingMessageBox::Show(const std::string& text, const std::string& caption, unsigned flags, bool) {
  shown.push_back({text, caption, flags});
  if (!answers.empty()) {
    int a = answers.front();
    answers.pop_front();
    return a;
  }
  unsigned buttons = flags & 0xF;
  return (buttons == ui::kMbYesNo || buttons == ui::kMbYesNoCancel) ? ui::kIdYes : ui::kIdOk;
}

int ScriptedPrompts::Run(core::PromptKind kind, const std::string& promptText, std::string& input,
                         const std::vector<std::string>& history) {
  asked.push_back({kind, promptText, input, core::Prompts().currentHelpContext, history});
  if (answers.empty()) return 0;
  Answer a = answers.front();
  answers.pop_front();
  if (!a.ok) return 0;
  input = a.text.substr(0, core::kInputMax);
  return 1;
}

}  // namespace testing_support
