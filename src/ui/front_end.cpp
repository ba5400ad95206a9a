// Installing the front end, and the memory front end.
#include "ui/front_end.h"

#include <atomic>
#include <cstdio>

#include "ui/message_box.h"

namespace ui {
namespace {

std::atomic<FrontEnd*> installed{nullptr};

MemoryFrontEnd& Fallback() {
  static MemoryFrontEnd fallback;
  return fallback;
}

}  // namespace

void InstallFrontEnd(FrontEnd* frontEnd) { installed.store(frontEnd); }

FrontEnd& Front() {
  FrontEnd* f = installed.load();
  return f ? *f : Fallback();
}

void MemoryFrontEnd::ShowStatusLines(const std::string& upper, const std::string& lower, bool setUpper) {
  std::lock_guard<std::mutex> guard(lock);
  if (setUpper) upperStatus.SetText(upper);
  lowerStatus.SetText(lower);
}

void MemoryFrontEnd::AppendLogLine(const std::string& line) {
  std::lock_guard<std::mutex> guard(lock);
  if (logWindowOpen) logText.AppendText(line + "\r\n");
}

int MemoryFrontEnd::ShowMessage(const std::string& text, const std::string& caption, unsigned flags, bool) {
  if (caption.empty()) std::fprintf(stderr, "%s\n", text.c_str());
  else std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  unsigned buttons = flags & 0xF;
  return (buttons == kMbYesNo || buttons == kMbYesNoCancel) ? kIdYes : kIdOk;
}

int MemoryFrontEnd::Prompt(PromptKind, const std::string&, std::string&, const std::vector<std::string>&) {
  return 0;
}

void MemoryFrontEnd::ShowHelp(const std::string&, int context) {
  std::lock_guard<std::mutex> guard(lock);
  helpContexts.push_back(context);
}

void MemoryFrontEnd::QuitHelp() {
  std::lock_guard<std::mutex> guard(lock);
  ++helpQuits;
}

void MemoryFrontEnd::ProgressOpen(bool, const std::string&) {
  std::lock_guard<std::mutex> guard(lock);
  progressOpen = true;
}

void MemoryFrontEnd::ProgressText(const std::string& text) {
  std::lock_guard<std::mutex> guard(lock);
  progressTexts.push_back(text);
}

void MemoryFrontEnd::ProgressClose() {
  std::lock_guard<std::mutex> guard(lock);
  progressOpen = false;
}

bool MemoryFrontEnd::ProgressIsOpen() const {
  std::lock_guard<std::mutex> guard(lock);
  return progressOpen;
}

void MemoryFrontEnd::SetMainCaption(const std::string& text) {
  std::lock_guard<std::mutex> guard(lock);
  caption.SetText(text);
}

void MemoryFrontEnd::SetRemoteCapabilities(bool mkd, bool rmd, bool rename, bool dele) {
  std::lock_guard<std::mutex> guard(lock);
  remoteMkd.SetEnabled(mkd);
  remoteRmd.SetEnabled(rmd);
  remoteRename.SetEnabled(rename);
  remoteDelete.SetEnabled(dele);
}

void MemoryFrontEnd::TransferTypeChanged() {
  std::lock_guard<std::mutex> guard(lock);
  ++typeChanges;
}

void MemoryFrontEnd::ShowMainWindow() {
  std::lock_guard<std::mutex> guard(lock);
  ++mainWindowShown;
}

}  // namespace ui
