// Memory implementations of the control interfaces, and the sorted-list order.
#include "ui/controls.h"

#include <algorithm>
#include <cctype>

namespace ui {

int CompareListText(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int ca = std::tolower(static_cast<unsigned char>(a[i]));
    int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca - cb;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

int ListBox::FindExact(const std::string& text) const {
  for (int i = 0, n = Count(); i < n; ++i)
    if (CompareListText(Text(i), text) == 0) return i;
  return -1;
}

int MemoryListBox::AddString(const std::string& text) {
  if (!sorted_) {
    items_.push_back(Item{text});
    return Count() - 1;
  }
  // After every item that does not sort above it, as a sorted list box places equal items.
  auto pos = std::upper_bound(items_.begin(), items_.end(), text,
                              [](const std::string& t, const Item& it) { return CompareListText(t, it.text) < 0; });
  int index = static_cast<int>(pos - items_.begin());
  items_.insert(pos, Item{text});
  if (curSel_ >= index) ++curSel_;
  return index;
}

int MemoryListBox::InsertString(int index, const std::string& text) {
  if (index == -1) index = Count();
  if (index < 0 || index > Count()) return -1;
  items_.insert(items_.begin() + index, Item{text});
  if (curSel_ >= index) ++curSel_;
  return index;
}

int MemoryListBox::DeleteString(int index) {
  if (!InRange(index)) return -1;
  items_.erase(items_.begin() + index);
  if (curSel_ == index) curSel_ = -1;
  else if (curSel_ > index) --curSel_;
  return Count();
}

std::string MemoryListBox::Text(int index) const { return InRange(index) ? items_[index].text : std::string(); }

void MemoryListBox::SetItemData(int index, int64_t data) {
  if (InRange(index)) items_[index].data = data;
}

int64_t MemoryListBox::ItemData(int index) const { return InRange(index) ? items_[index].data : 0; }

void MemoryListBox::SetSelected(int index, bool selected) {
  if (index == -1) {
    for (auto& it : items_) it.selected = selected;
  } else if (InRange(index)) {
    items_[index].selected = selected;
  }
}

bool MemoryListBox::IsSelected(int index) const { return InRange(index) && items_[index].selected; }

std::vector<int> MemoryListBox::SelectedItems() const {
  std::vector<int> out;
  for (int i = 0; i < Count(); ++i)
    if (items_[i].selected) out.push_back(i);
  return out;
}

int MemoryListBox::TextWidth(const std::string& text) const {
  int cols = 0;
  for (char c : text) cols += (c == '\t') ? 8 - cols % 8 : 1;
  return cols * charWidth_;
}

int MemoryComboBox::AddString(const std::string& text) {
  if (!sorted_) {
    items_.push_back(text);
    return Count() - 1;
  }
  auto pos = std::upper_bound(items_.begin(), items_.end(), text,
                              [](const std::string& t, const std::string& it) { return CompareListText(t, it) < 0; });
  int index = static_cast<int>(pos - items_.begin());
  items_.insert(pos, text);
  return index;
}

std::string MemoryComboBox::ItemText(int index) const {
  return (index >= 0 && index < Count()) ? items_[index] : std::string();
}

void MemoryComboBox::SetCurSel(int index) {
  curSel_ = (index >= 0 && index < Count()) ? index : -1;
  if (curSel_ >= 0) text_ = items_[curSel_];
}

}  // namespace ui
