// The message-box port and its console default.
#include "ui/message_box.h"

#include <atomic>
#include <cstdio>

namespace ui {
namespace {

class ConsoleMessageBox : public MessageBoxPort {
 public:
  int Show(const std::string& text, const std::string& caption, unsigned flags, bool) override {
    if (caption.empty()) std::fprintf(stderr, "%s\n", text.c_str());
    else std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    unsigned buttons = flags & 0xF;
    return (buttons == kMbYesNo || buttons == kMbYesNoCancel) ? kIdYes : kIdOk;
  }
};

std::atomic<MessageBoxPort*> installed{nullptr};

}  // namespace

void SetMessageBoxPort(MessageBoxPort* port) { installed.store(port); }

int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags, bool owned) {
  static ConsoleMessageBox console;
  MessageBoxPort* p = installed.load();
  return (p ? p : &console)->Show(text, caption, flags, owned);
}

}  // namespace ui
