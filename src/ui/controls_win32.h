// The control interfaces over window handles (Win32 shell only).
#pragma once
#include <windows.h>

#include "ui/controls.h"

namespace ui {

class HwndLabel : public Label {
 public:
  explicit HwndLabel(HWND h = nullptr) : hwnd_(h) {}
  void Attach(HWND h) { hwnd_ = h; }
  HWND hwnd() const { return hwnd_; }
  void SetEnabled(bool e) override { EnableWindow(hwnd_, e); }
  bool IsEnabled() const override { return IsWindowEnabled(hwnd_); }
  void SetText(const std::string& text) override;
  std::string Text() const override;

 private:
  HWND hwnd_;
};

class HwndEdit : public Edit {
 public:
  explicit HwndEdit(HWND h = nullptr) : hwnd_(h) {}
  void Attach(HWND h) { hwnd_ = h; }
  HWND hwnd() const { return hwnd_; }
  void SetEnabled(bool e) override { EnableWindow(hwnd_, e); }
  bool IsEnabled() const override { return IsWindowEnabled(hwnd_); }
  void SetText(const std::string& text) override { SetWindowTextA(hwnd_, text.c_str()); }
  std::string Text() const override;
  void AppendText(const std::string& text) override;
  void SelectAll() override { SendMessageA(hwnd_, EM_SETSEL, 0, -1); }

 private:
  HWND hwnd_;
};

class HwndButton : public Button {
 public:
  explicit HwndButton(HWND h = nullptr) : hwnd_(h) {}
  void Attach(HWND h) { hwnd_ = h; }
  void SetEnabled(bool e) override { EnableWindow(hwnd_, e); }
  bool IsEnabled() const override { return IsWindowEnabled(hwnd_); }
  void SetText(const std::string& text) override { SetWindowTextA(hwnd_, text.c_str()); }
  std::string Text() const override;
  void SetChecked(bool c) override { SendMessageA(hwnd_, BM_SETCHECK, c ? BST_CHECKED : BST_UNCHECKED, 0); }
  bool IsChecked() const override { return SendMessageA(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

 private:
  HWND hwnd_;
};

// The text of any window.
std::string WindowText(HWND hwnd);

}  // namespace ui
