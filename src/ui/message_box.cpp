// Message boxes through the front end.
#include "ui/message_box.h"

#include "ui/front_end.h"

namespace ui {

int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags, bool owned) {
  return Front().ShowMessage(text, caption, flags, owned);
}

}  // namespace ui
