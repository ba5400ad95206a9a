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

// The order of a sorted list, as a sorted Windows list box orders its items (the system's
// locale-aware comparison, ignoring case): <0, 0 or >0 like strcmp. Texts are compared in levels:
// first the letters, digits and symbols (symbols before digits before letters; an accented letter
// as its base letter, a ligature as its two letters), then the accents, then hyphens, apostrophes
// and control characters, which are left out of the first two levels.
// Bytes above 127 are read as Windows-1252, the ANSI code page of the Western locales.
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

  // A batch update around a fill; use ListUpdate below rather than calling these directly.
  // Between the outermost BeginUpdate and its EndUpdate a window list is not redrawn (it is
  // repainted once at the end), and a sorted memory list appends each added item and sorts once
  // at the end. An index returned by AddString stays valid for SetItemData until the list next
  // changes, as always. Calls nest.
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
};

// Scope of a batch update: the list is filled in one go while this lives.
//   ui::ListUpdate batch(list);   // or a pointer, which may be null
//   list.Clear(); for (...) list.AddString(name);
class ListUpdate {
 public:
  explicit ListUpdate(ListBox& list) : list_(&list) { list_->BeginUpdate(); }
  explicit ListUpdate(ListBox* list) : list_(list) {
    if (list_ != nullptr) list_->BeginUpdate();
  }
  ~ListUpdate() {
    if (list_ != nullptr) list_->EndUpdate();
  }
  ListUpdate(const ListUpdate&) = delete;
  ListUpdate& operator=(const ListUpdate&) = delete;

 private:
  ListBox* list_;
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
  void Clear() override {
    items_.clear();
    settled_ = 0;
    curSel_ = -1;
  }
  int Count() const override { return static_cast<int>(items_.size()); }
  std::string Text(int index) const override;
  // An index just returned by AddString, even inside a batch update.
  void SetItemData(int index, int64_t data) override;
  int64_t ItemData(int index) const override;
  void SetCurSel(int index) override;
  int CurSel() const override;
  void SetSelected(int index, bool selected) override;
  bool IsSelected(int index) const override;
  std::vector<int> SelectedItems() const override;
  void SetHorizontalExtent(int pixels) override { extent_ = pixels; }
  int HorizontalExtent() const override { return extent_; }
  // A fixed-pitch stand-in for the list's font; a tab counts as eight characters.
  int TextWidth(const std::string& text) const override;
  void BeginUpdate() override { ++updateDepth_; }
  void EndUpdate() override;
  bool sorted() const { return sorted_; }

 private:
  struct Item {
    std::string text;
    int64_t data = 0;
    bool selected = false;
    bool caret = false;  // only while settling
  };
  bool InRange(int i) const { return i >= 0 && i < Count(); }
  // Puts the items added during a batch update in their sorted places.
  void Settle() const;
  // Items [0, settled_) are in order; during a batch update the rest arrived since, in that order.
  mutable std::vector<Item> items_;
  mutable size_t settled_ = 0;
  mutable int curSel_ = -1;
  int updateDepth_ = 0;
  bool sorted_;
  int charWidth_;
  bool enabled_ = true;
  int extent_ = 0;
};

class MemoryComboBox : public ComboBox {
 public:
  explicit MemoryComboBox(bool sorted = false) : sorted_(sorted) {}
  void SetEnabled(bool e) override { enabled_ = e; }
  bool IsEnabled() const override { return enabled_; }
  int AddString(const std::string& text) override;
  void Clear() override {
    items_.clear();
    curSel_ = -1;
  }
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
  void SetText(const std::string& text) override {
    text_ = text;
    ++updates_;
  }
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
