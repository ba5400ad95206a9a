// Control interfaces: what the program's logic does with list boxes, combo boxes, edits,
// labels and buttons. The Win32 shell implements them over window handles; the memory
// implementations below serve the console program and the tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace ui {

class Control {
 public:
  virtual ~Control() = default;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool IsEnabled() const = 0;
};

// Case-insensitive order of a sorted list (as a sorted Windows list box orders its items):
// <0, 0 or >0 like strcmp, comparing letters without regard to case.
int CompareListText(const std::string& a, const std::string& b);

class ListBox : public Control {
 public:
  // Adds an item: at its sorted place when the list is sorted, else at the end. Returns its index.
  virtual int AddString(const std::string& text) = 0;
  // Inserts at an index (-1: the end), never sorting. Returns the index, or -1 when out of range.
  virtual int InsertString(int index, const std::string& text) = 0;
  // Removes an item; returns the remaining count, or -1 when out of range.
  virtual int DeleteString(int index) = 0;
  virtual void Clear() = 0;
  virtual int Count() const = 0;
  // The item's text, or "" when out of range.
  virtual std::string Text(int index) const = 0;
  // Item data: 64-bit, 0 for an item that has none or an index out of range.
  virtual void SetItemData(int index, int64_t data) = 0;
  virtual int64_t ItemData(int index) const = 0;
  // Single-selection caret (-1: none).
  virtual void SetCurSel(int index) = 0;
  virtual int CurSel() const = 0;
  // Multiple selection.
  virtual void SetSelected(int index, bool selected) = 0;
  virtual bool IsSelected(int index) const = 0;
  virtual std::vector<int> SelectedItems() const = 0;
  // Horizontal scroll extent in pixels, and the pixel width of a text in the list's font.
  virtual void SetHorizontalExtent(int pixels) = 0;
  virtual int HorizontalExtent() const = 0;
  virtual int TextWidth(const std::string& text) const = 0;
  // Index of the first item whose text equals this one without regard to case, or -1.
  int FindExact(const std::string& text) const;
};

class ComboBox : public Control {
 public:
  virtual int AddString(const std::string& text) = 0;
  virtual void Clear() = 0;
  virtual int Count() const = 0;
  virtual std::string ItemText(int index) const = 0;
  virtual void SetCurSel(int index) = 0;
  virtual int CurSel() const = 0;
  // The edit field's text.
  virtual void SetText(const std::string& text) = 0;
  virtual std::string Text() const = 0;
};

class Edit : public Control {
 public:
  virtual void SetText(const std::string& text) = 0;
  virtual std::string Text() const = 0;
  // Moves the caret to the end and inserts the text there.
  virtual void AppendText(const std::string& text) = 0;
  virtual void SelectAll() = 0;
};

class Label : public Control {
 public:
  // Sets the text and shows it at once (repainted even while the message loop is not running).
  virtual void SetText(const std::string& text) = 0;
  virtual std::string Text() const = 0;
};

class Button : public Control {
 public:
  virtual void SetText(const std::string& text) = 0;
  virtual std::string Text() const = 0;
  virtual void SetChecked(bool checked) = 0;
  virtual bool IsChecked() const = 0;
};

// ---- memory implementations --------------------------------------------------

class MemoryListBox : public ListBox {
 public:
  explicit MemoryListBox(bool sorted = false, int charWidth = 7) : sorted_(sorted), charWidth_(charWidth) {}
  void SetEnabled(bool e) override { enabled_ = e; }
  bool IsEnabled() const override { return enabled_; }
  int AddString(const std::string& text) override;
  int InsertString(int index, const std::string& text) override;
  int DeleteString(int index) override;
  void Clear() override { items_.clear(); curSel_ = -1; }
  int Count() const override { return static_cast<int>(items_.size()); }
  std::string Text(int index) const override;
  void SetItemData(int index, int64_t data) override;
  int64_t ItemData(int index) const override;
  void SetCurSel(int index) override { curSel_ = (index >= 0 && index < Count()) ? index : -1; }
  int CurSel() const override { return curSel_; }
  void SetSelected(int index, bool selected) override;
  bool IsSelected(int index) const override;
  std::vector<int> SelectedItems() const override;
  void SetHorizontalExtent(int pixels) override { extent_ = pixels; }
  int HorizontalExtent() const override { return extent_; }
  // A fixed-pitch stand-in for the list's font; a tab counts as eight characters.
  int TextWidth(const std::string& text) const override;
  bool sorted() const { return sorted_; }

 private:
  struct Item {
    std::string text;
    int64_t data = 0;
    bool selected = false;
  };
  bool InRange(int i) const { return i >= 0 && i < Count(); }
  std::vector<Item> items_;
  bool sorted_;
  int charWidth_;
  bool enabled_ = true;
  int curSel_ = -1;
  int extent_ = 0;
};

class MemoryComboBox : public ComboBox {
 public:
  explicit MemoryComboBox(bool sorted = false) : sorted_(sorted) {}
  void SetEnabled(bool e) override { enabled_ = e; }
  bool IsEnabled() const override { return enabled_; }
  int AddString(const std::string& text) override;
  void Clear() override { items_.clear(); curSel_ = -1; }
  int Count() const override { return static_cast<int>(items_.size()); }
  std::string ItemText(int index) const override;
  void SetCurSel(int index) override;
  int CurSel() const override { return curSel_; }
  void SetText(const std::string& text) override { text_ = text; }
  std::string Text() const override { return text_; }

 private:
  std::vector<std::string> items_;
  std::string text_;
  bool sorted_;
  bool enabled_ = true;
  int curSel_ = -1;
};

class MemoryEdit : public Edit {
 public:
  void SetEnabled(bool e) override { enabled_ = e; }
  bool IsEnabled() const override { return enabled_; }
  void SetText(const std::string& text) override { text_ = text; }
  std::string Text() const override { return text_; }
  void AppendText(const std::string& text) override { text_ += text; }
  void SelectAll() override { allSelected_ = true; }
  bool allSelected() const { return allSelected_; }

 private:
  std::string text_;
  bool enabled_ = true;
  bool allSelected_ = false;
};

class MemoryLabel : public Label {
 public:
  void SetEnabled(bool e) override { enabled_ = e; }
  bool IsEnabled() const override { return enabled_; }
  void SetText(const std::string& text) override { text_ = text; ++updates_; }
  std::string Text() const override { return text_; }
  int updates() const { return updates_; }

 private:
  std::string text_;
  bool enabled_ = true;
  int updates_ = 0;
};

class MemoryButton : public Button {
 public:
  void SetEnabled(bool e) override { enabled_ = e; }
  bool IsEnabled() const override { return enabled_; }
  void SetText(const std::string& text) override { text_ = text; }
  std::string Text() const override { return text_; }
  void SetChecked(bool c) override { checked_ = c; }
  bool IsChecked() const override { return checked_; }

 private:
  std::string text_;
  bool enabled_ = true;
  bool checked_ = false;
};

}  // namespace ui
