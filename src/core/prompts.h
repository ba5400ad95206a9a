// The three one-line prompts (plain, with a history list, hidden). They share the prompt
// text, the input buffer and the help context, so only one is open at a time.
#pragma once
#include <string>
#include <vector>

#include "ui/front_end.h"

namespace core {

constexpr size_t kInputMax = 69;  // longest answer a prompt takes

using PromptKind = ui::PromptKind;

// The shared prompt state.
struct PromptState {
  std::string promptText = "input:";
  std::string inputBuffer;
  int currentHelpContext = 0;
  void Reset();
};
PromptState& Prompts();

// Supplies the combo prompt's list (the cached remote directories).
void SetPromptHistorySource(std::vector<std::string> (*source)());

// Returns 1 for Ok, 0 for Cancel. With a buffer its text is the initial text and it receives
// the answer on Ok; without one the field starts empty and the answer is left in inputBuffer.
int GetInputString(std::string* buffer, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
// The buffer supplies the initial text and receives the answer on Ok.
int GetInputPassword(std::string& buffer, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
// The initial text goes into inputBuffer; the answer is read from there.
int GetInputCombo(const std::string& initial, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

}  // namespace core
