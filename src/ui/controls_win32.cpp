// Window-handle implementations of the control interfaces.
#include "ui/controls_win32.h"

#include <vector>

namespace ui {

std::string WindowText(HWND hwnd) {
  int n = GetWindowTextLengthA(hwnd);
  if (n <= 0) return "";
  std::vector<char> buf(static_cast<size_t>(n) + 1);
  int got = GetWindowTextA(hwnd, buf.data(), n + 1);
  return std::string(buf.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void HwndLabel::SetText(const std::string& text) {
  if (!hwnd_) return;
  SetWindowTextA(hwnd_, text.c_str());
  // Shown at once: the message loop may not run while a network operation blocks.
  InvalidateRect(hwnd_, nullptr, TRUE);
  UpdateWindow(hwnd_);
}

std::string HwndLabel::Text() const { return WindowText(hwnd_); }
std::string HwndEdit::Text() const { return WindowText(hwnd_); }
std::string HwndButton::Text() const { return WindowText(hwnd_); }

void HwndEdit::AppendText(const std::string& text) {
  if (!hwnd_) return;
  int end = GetWindowTextLengthA(hwnd_);
  SendMessageA(hwnd_, EM_SETSEL, end, end);
  SendMessageA(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace ui
