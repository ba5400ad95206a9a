// The test front end and its scripted and recording parts.
#include "support/ports.h"

namespace testing_support {

TestFrontEnd& TestFront() {
  static TestFrontEnd* front = [] {
    static TestFrontEnd f;
    ui::InstallFrontEnd(&f);
    return &f;
  }();
  return *front;
}

TestFrontEnd& ResetTestFront() {
  TestFrontEnd& f = TestFront();
  {
    std::lock_guard<std::mutex> guard(f.lock);
    f.upperStatus = ui::MemoryLabel();
    f.lowerStatus = ui::MemoryLabel();
    f.caption = ui::MemoryLabel();
    f.logText = ui::MemoryEdit();
    f.logWindowOpen = false;
    for (ui::MemoryButton* b : {&f.remoteMkd, &f.remoteRmd, &f.remoteRename, &f.remoteDelete}) *b = ui::MemoryButton();
    f.helpContexts.clear();
    f.helpQuits = 0;
    f.progressOpen = false;
    f.progressTexts.clear();
    f.typeChanges = 0;
    f.mainWindowShown = 0;
  }
  ui::InstallFrontEnd(&f);
  return f;
}

int TestFrontEnd::ShowMessage(const std::string& text, const std::string& caption, unsigned flags, bool owned) {
  if (messageBox) return messageBox->Show(text, caption, flags, owned);
  return MemoryFrontEnd::ShowMessage(text, caption, flags, owned);
}

int TestFrontEnd::Prompt(ui::PromptKind kind, const std::string& promptText, std::string& input,
                         const std::vector<std::string>& history) {
  if (prompts) return prompts->Run(kind, promptText, input, history);
  return MemoryFrontEnd::Prompt(kind, promptText, input, history);
}

void TestFrontEnd::ShowHelp(const std::string& helpFile, int context) {
  if (help) help->Show(helpFile, context);
  MemoryFrontEnd::ShowHelp(helpFile, context);
}

void TestFrontEnd::QuitHelp() {
  if (help) help->Quit();
  MemoryFrontEnd::QuitHelp();
}

void TestFrontEnd::ProgressOpen(bool sending, const std::string& statusText) {
  if (progress) progress->Open(sending, statusText);
  MemoryFrontEnd::ProgressOpen(sending, statusText);
}

void TestFrontEnd::ProgressText(const std::string& text) {
  if (progress) progress->SetProgress(text);
  MemoryFrontEnd::ProgressText(text);
}

void TestFrontEnd::ProgressClose() {
  if (progress) progress->Close();
  MemoryFrontEnd::ProgressClose();
}

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
