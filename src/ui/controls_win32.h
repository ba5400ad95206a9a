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

class HwndListBox : public ListBox {
 public:
  // dataTable: keep item data in the table even where the item could hold it (for tests of the table).
  explicit HwndListBox(HWND h = nullptr, bool dataTable = !kDataFitsItem) : hwnd_(h), dataTable_(dataTable) {}
  void Attach(HWND h) {
    hwnd_ = h;
    styleKnown_ = false;
  }
  HWND hwnd() const { return hwnd_; }
  void SetEnabled(bool e) override { EnableWindow(hwnd_, e); }
  bool IsEnabled() const override { return IsWindowEnabled(hwnd_); }
  int AddString(const std::string& text) override;
  int InsertString(int index, const std::string& text) override;
  int DeleteString(int index) override;
  // Empties the list and its item-data table.
  void Clear() override;
  int Count() const override;
  std::string Text(int index) const override;
  // Item data of 64 bits. An unsorted list's is kept here by position, beside its items (an item
  // goes only where it was put, and every change passes through this object): a fill then costs
  // one message per item, not two, which under Wine is a large part of a long fill. A sorted
  // list's is held by the list item itself where a pointer has 64 bits; on 32-bit Windows kept in
  // a table of this object, the list item holding its slot (slots of deleted items are reused,
  // and Clear empties the table).
  void SetItemData(int index, int64_t data) override;
  int64_t ItemData(int index) const override;
  void SetCurSel(int index) override {
    Settle();
    SendMessageA(hwnd_, LB_SETCURSEL, index, 0);
  }
  int CurSel() const override {
    Settle();
    return static_cast<int>(SendMessageA(hwnd_, LB_GETCURSEL, 0, 0));
  }
  void SetSelected(int index, bool selected) override {
    Settle();
    SendMessageA(hwnd_, LB_SETSEL, selected, index);
  }
  bool IsSelected(int index) const override {
    Settle();
    return SendMessageA(hwnd_, LB_GETSEL, index, 0) > 0;
  }
  std::vector<int> SelectedItems() const override;
  void SetHorizontalExtent(int pixels) override { SendMessageA(hwnd_, LB_SETHORIZONTALEXTENT, pixels, 0); }
  int HorizontalExtent() const override { return static_cast<int>(SendMessageA(hwnd_, LB_GETHORIZONTALEXTENT, 0, 0)); }
  int TextWidth(const std::string& text) const override;
  // Redrawing is switched off for the outermost update (WM_SETREDRAW), and the list repainted at its end.
  // A sorted list gathers the texts added meanwhile and puts them in at their places in one go
  // when the update ends (or when the list is read or changed otherwise): sorted here, they go in
  // by index, sparing the list its own search of the items for every text it is given, which
  // under Wine is most of the time a sorted fill takes.
  void BeginUpdate() override;
  void EndUpdate() override;
  // Slots in use in the item-data table (0 where the items hold their data).
  size_t DataSlotsInUse() const { return data_.size() - freeSlots_.size(); }

 private:
  static constexpr bool kDataFitsItem = sizeof(LPARAM) >= sizeof(int64_t);
  void FreeSlotOf(int index);
  void SetItemDataNow(int index, int64_t data);
  // Puts the texts gathered during a batch update into the list.
  void Settle() const;
  // True for an unsorted list (its item data then in rows_).
  bool Positional() const;
  HWND hwnd_;
  bool dataTable_;
  mutable bool styleKnown_ = false, positional_ = false;
  mutable std::vector<int64_t> rows_;  // an unsorted list's item data, one per item
  struct Gathered {
    std::string text;
    int64_t data = 0;
  };
  mutable std::vector<Gathered> gathered_;  // a sorted list's adds during a batch update
  mutable int listed_ = 0;                  // items in the list itself while texts are gathered
  int updateDepth_ = 0;
  std::vector<int64_t> data_;
  std::vector<LPARAM> freeSlots_;
};

class HwndComboBox : public ComboBox {
 public:
  explicit HwndComboBox(HWND h = nullptr) : hwnd_(h) {}
  void Attach(HWND h) { hwnd_ = h; }
  HWND hwnd() const { return hwnd_; }
  void SetEnabled(bool e) override { EnableWindow(hwnd_, e); }
  bool IsEnabled() const override { return IsWindowEnabled(hwnd_); }
  int AddString(const std::string& text) override;
  void Clear() override { SendMessageA(hwnd_, CB_RESETCONTENT, 0, 0); }
  int Count() const override { return static_cast<int>(SendMessageA(hwnd_, CB_GETCOUNT, 0, 0)); }
  std::string ItemText(int index) const override;
  void SetCurSel(int index) override { SendMessageA(hwnd_, CB_SETCURSEL, index, 0); }
  int CurSel() const override { return static_cast<int>(SendMessageA(hwnd_, CB_GETCURSEL, 0, 0)); }
  void SetText(const std::string& text) override { SetWindowTextA(hwnd_, text.c_str()); }
  std::string Text() const override;

 private:
  HWND hwnd_;
};

// The text of any window.
std::string WindowText(HWND hwnd);

}  // namespace ui
