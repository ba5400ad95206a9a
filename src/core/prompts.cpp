// The prompt calls over the prompt port.
#include "core/prompts.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace core {
namespace {

std::atomic<std::vector<std::string> (*)()> historySource{nullptr};

std::string FormatPrompt(const char* format, va_list args) {
  char buf[512];
  int n = std::vsnprintf(buf, sizeof buf, format, args);
  return n < 0 ? std::string() : std::string(buf);
}

int RunPrompt(PromptKind kind) {
  PromptState& st = Prompts();
  std::vector<std::string> history;
  if (kind == PromptKind::kCombo) {
    if (auto src = historySource.load()) history = src();
  }
  std::string answer = st.inputBuffer;
  int ok = ui::Front().Prompt(kind, st.promptText, answer, history);
  if (ok) st.inputBuffer = answer.substr(0, kInputMax);
  st.currentHelpContext = 0;
  return ok ? 1 : 0;
}

}  // namespace

void PromptState::Reset() { *this = PromptState(); }

PromptState& Prompts() {
  static PromptState state;
  return state;
}

void SetPromptHistorySource(std::vector<std::string> (*source)()) { historySource.store(source); }

int GetInputString(std::string* buffer, const char* format, ...) {
  PromptState& st = Prompts();
  va_list args;
  va_start(args, format);
  st.promptText = FormatPrompt(format, args);
  va_end(args);
  st.inputBuffer = buffer ? buffer->substr(0, kInputMax) : std::string();
  int ok = RunPrompt(PromptKind::kPlain);
  if (ok && buffer) *buffer = st.inputBuffer;
  return ok;
}

int GetInputPassword(std::string& buffer, const char* format, ...) {
  PromptState& st = Prompts();
  va_list args;
  va_start(args, format);
  st.promptText = FormatPrompt(format, args);
  va_end(args);
  st.inputBuffer = buffer.substr(0, kInputMax);
  int ok = RunPrompt(PromptKind::kPassword);
  if (ok) buffer = st.inputBuffer;
  return ok;
}

int GetInputCombo(const std::string& initial, const char* format, ...) {
  PromptState& st = Prompts();
  va_list args;
  va_start(args, format);
  st.promptText = FormatPrompt(format, args);
  va_end(args);
  st.inputBuffer = initial.substr(0, kInputMax);
  return RunPrompt(PromptKind::kCombo);
}

}  // namespace core
