// The three one-line prompts (plain, with a history list, hidden). They share the prompt
// text, the input buffer and the help context, so only one is open at a time.
#pragma once
#include <string>
#include <vector>

namespace core {

constexpr size_t kInputMax = 69;  // longest answer a prompt takes

enum class PromptKind { kPlain, kCombo, kPassword };

// How a prompt is shown: the Win32 shell runs the dialog, the console asks on the
// terminal, tests answer from a script.
class PromptPort {
 public:
  virtual ~PromptPort() = default;
  // Shows the prompt with `promptText`; the field starts with `input`. On Ok the port stores
  // the answer (at most kInputMax characters) in `input` and returns 1; Cancel returns 0 and
  // leaves `input` alone. `history` fills the combo prompt's list.
  virtual int Run(PromptKind kind, const std::string& promptText, std::string& input,
                  const std::vector<std::string>& history) = 0;
};

// Installs the port (nullptr: every prompt is cancelled).
void SetPromptPort(PromptPort* port);

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
