// Window-handle implementations of the control interfaces.
#include "ui/controls_win32.h"

#include <algorithm>
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

bool HwndListBox::Positional() const {
  if (!styleKnown_) {
    styleKnown_ = true;
    positional_ = hwnd_ != nullptr && (GetWindowLongA(hwnd_, GWL_STYLE) & LBS_SORT) == 0;
    rows_.assign(positional_ ? static_cast<size_t>(std::max(Count(), 0)) : 0, 0);
  }
  return positional_;
}

int HwndListBox::Count() const {
  if (!gathered_.empty()) return listed_ + static_cast<int>(gathered_.size());
  return static_cast<int>(SendMessageA(hwnd_, LB_GETCOUNT, 0, 0));
}

void HwndListBox::Settle() const {
  if (gathered_.empty()) return;
  std::vector<Gathered> adds;
  adds.swap(gathered_);
  auto less = [](const Gathered& a, const Gathered& b) { return CompareListText(a.text, b.text) < 0; };
  std::stable_sort(adds.begin(), adds.end(), less);
  std::vector<std::string> had;  // usually none or "..": a fill empties the list first
  for (int i = 0; i < listed_; ++i) had.push_back(Text(i));
  size_t next = 0;  // of `had`; an equal text already there stays first, as the list itself puts it
  int at = 0;
  auto* self = const_cast<HwndListBox*>(this);
  for (const Gathered& g : adds) {
    while (next < had.size() && CompareListText(had[next], g.text) <= 0) {
      ++next;
      ++at;
    }
    LRESULT r = SendMessageA(hwnd_, LB_INSERTSTRING, at, reinterpret_cast<LPARAM>(g.text.c_str()));
    if (r < 0) continue;  // refused (out of memory): the rest still go in
    ++at;
    if (g.data != 0) self->SetItemDataNow(static_cast<int>(r), g.data);
  }
}

int HwndListBox::AddString(const std::string& text) {
  const bool positional = Positional();  // first: it counts the items there were before
  if (!positional && updateDepth_ > 0) {
    if (gathered_.empty()) listed_ = static_cast<int>(SendMessageA(hwnd_, LB_GETCOUNT, 0, 0));
    gathered_.push_back(Gathered{text, 0});
    return listed_ + static_cast<int>(gathered_.size()) - 1;
  }
  LRESULT r = SendMessageA(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (r >= 0 && positional && static_cast<size_t>(r) <= rows_.size()) rows_.insert(rows_.begin() + r, 0);
  return static_cast<int>(r);
}

int HwndListBox::InsertString(int index, const std::string& text) {
  Settle();
  const bool positional = Positional();
  LRESULT r = SendMessageA(hwnd_, LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text.c_str()));
  if (r >= 0 && positional && static_cast<size_t>(r) <= rows_.size()) rows_.insert(rows_.begin() + r, 0);
  return r < 0 ? -1 : static_cast<int>(r);
}

int HwndListBox::DeleteString(int index) {
  Settle();
  if (Positional()) {
    LRESULT r = SendMessageA(hwnd_, LB_DELETESTRING, index, 0);
    if (r >= 0 && index >= 0 && static_cast<size_t>(index) < rows_.size()) rows_.erase(rows_.begin() + index);
    return r < 0 ? -1 : static_cast<int>(r);
  }
  if (index >= 0 && index < Count()) FreeSlotOf(index);
  LRESULT r = SendMessageA(hwnd_, LB_DELETESTRING, index, 0);
  return r < 0 ? -1 : static_cast<int>(r);
}

void HwndListBox::Clear() {
  gathered_.clear();
  SendMessageA(hwnd_, LB_RESETCONTENT, 0, 0);
  data_.clear();
  freeSlots_.clear();
  rows_.clear();
}

std::string HwndListBox::Text(int index) const {
  Settle();
  LRESULT n = SendMessageA(hwnd_, LB_GETTEXTLEN, index, 0);
  if (n < 0) return "";
  std::vector<char> buf(static_cast<size_t>(n) + 1);
  LRESULT got = SendMessageA(hwnd_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buf.data()));
  return got < 0 ? std::string() : std::string(buf.data(), static_cast<size_t>(got));
}

void HwndListBox::SetItemData(int index, int64_t data) {
  if (!gathered_.empty() && index >= listed_) {  // an item still gathered (only added ones are)
    size_t k = static_cast<size_t>(index - listed_);
    if (k < gathered_.size()) gathered_[k].data = data;
    return;
  }
  SetItemDataNow(index, data);
}

void HwndListBox::SetItemDataNow(int index, int64_t data) {
  if (Positional()) {
    if (index >= 0 && static_cast<size_t>(index) < rows_.size()) rows_[static_cast<size_t>(index)] = data;
    return;
  }
  if (index < 0 || index >= Count()) return;
  if (!dataTable_) {
    SendMessageA(hwnd_, LB_SETITEMDATA, index, static_cast<LPARAM>(data));
    return;
  }
  LRESULT slot = SendMessageA(hwnd_, LB_GETITEMDATA, index, 0);
  if (slot > 0 && static_cast<size_t>(slot) <= data_.size()) {
    data_[static_cast<size_t>(slot) - 1] = data;  // the item's own slot
    return;
  }
  if (!freeSlots_.empty()) {
    slot = freeSlots_.back();
    freeSlots_.pop_back();
    data_[static_cast<size_t>(slot) - 1] = data;
  } else {
    data_.push_back(data);
    slot = static_cast<LPARAM>(data_.size());
  }
  SendMessageA(hwnd_, LB_SETITEMDATA, index, slot);
}

int64_t HwndListBox::ItemData(int index) const {
  Settle();
  if (Positional()) return index >= 0 && static_cast<size_t>(index) < rows_.size() ? rows_[static_cast<size_t>(index)] : 0;
  if (index < 0 || index >= Count()) return 0;
  LRESULT value = SendMessageA(hwnd_, LB_GETITEMDATA, index, 0);
  if (!dataTable_) return static_cast<int64_t>(value);
  if (value <= 0 || static_cast<size_t>(value) > data_.size()) return 0;
  return data_[static_cast<size_t>(value) - 1];
}

void HwndListBox::FreeSlotOf(int index) {
  if (!dataTable_) return;
  LRESULT slot = SendMessageA(hwnd_, LB_GETITEMDATA, index, 0);
  if (slot > 0 && static_cast<size_t>(slot) <= data_.size()) freeSlots_.push_back(slot);
}

void HwndListBox::BeginUpdate() {
  if (updateDepth_++ == 0) SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
}

void HwndListBox::EndUpdate() {
  if (updateDepth_ == 0 || --updateDepth_ > 0) return;
  Settle();
  SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

std::vector<int> HwndListBox::SelectedItems() const {
  Settle();
  std::vector<int> out;
  LRESULT n = SendMessageA(hwnd_, LB_GETSELCOUNT, 0, 0);
  if (n <= 0) return out;
  out.resize(static_cast<size_t>(n));
  LRESULT got = SendMessageA(hwnd_, LB_GETSELITEMS, n, reinterpret_cast<LPARAM>(out.data()));
  out.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return out;
}

int HwndListBox::TextWidth(const std::string& text) const {
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(hwnd_, WM_GETFONT, 0, 0)));
  DWORD extent = GetTabbedTextExtentA(dc, text.c_str(), static_cast<int>(text.size()), 0, nullptr);
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  return LOWORD(extent);
}

int HwndComboBox::AddString(const std::string& text) {
  LRESULT r = SendMessageA(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  return r < 0 ? -1 : static_cast<int>(r);
}

std::string HwndComboBox::ItemText(int index) const {
  LRESULT n = SendMessageA(hwnd_, CB_GETLBTEXTLEN, index, 0);
  if (n < 0) return "";
  std::vector<char> buf(static_cast<size_t>(n) + 1);
  LRESULT got = SendMessageA(hwnd_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buf.data()));
  return got < 0 ? std::string() : std::string(buf.data(), static_cast<size_t>(got));
}

std::string HwndComboBox::Text() const { return WindowText(hwnd_); }

}  // namespace ui
