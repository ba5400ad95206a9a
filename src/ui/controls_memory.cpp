// Memory implementations of the control interfaces, and the sorted-list order.
#include <algorithm>
#include <array>

#include "ui/controls.h"

namespace ui {

namespace {

// How one byte takes part in the comparison.
struct ByteWeight {
  enum Kind : uint8_t { kIgnored, kSpecial, kUnit } kind = kIgnored;
  uint8_t diacritic = 0;   // second level (0: none)
  uint16_t primary = 0;    // first level
  uint16_t expansion = 0;  // first level of a ligature's second letter (0: none)
  uint8_t special = 0;     // weight of a hyphen or apostrophe
};

using WeightTable = std::array<ByteWeight, 256>;

WeightTable BuildWeights() {
  WeightTable t{};
  uint16_t next = 1;
  auto unit = [&](unsigned char c, uint16_t primary, uint8_t diacritic = 0, uint16_t expansion = 0) {
    t[c].kind = ByteWeight::kUnit;
    t[c].primary = primary;
    t[c].diacritic = diacritic;
    t[c].expansion = expansion;
  };
  // Symbols, in the order the system sorts them (white space first).
  static const char kSymbols[] =
      " \xa0\t\n\v\f\r!\"#$%&()*,./:;?@[\\]\x88^_`{|}~\xa1\xa6\xa8\xaf\xb4\xb8\xbf\x98\x91\x92\x82\x93\x94"
      "\x84\x8b\x9b\xa2\xa3\xa4\xa5\x80+<=>\xb1\xab\xbb\xd7\xf7\xa7\xa9\xac\xae\xb0\xb5\xb6\xb7\x85\x86\x87"
      "\x95\x89\x81\x8d\x8f\x90\x9d";
  for (const char* p = kSymbols; *p != '\0'; ++p) unit(static_cast<unsigned char>(*p), next++);
  // Digits; the vulgar fractions between 0 and 1, superscripts as their digits with a mark.
  uint16_t digit[10];
  for (int d = 0; d < 10; ++d) {
    if (d == 1)
      for (unsigned char f : {0xbc, 0xbd, 0xbe}) unit(f, next++);
    digit[d] = next++;
    unit(static_cast<unsigned char>('0' + d), digit[d]);
  }
  unit(0xb9, digit[1], 1);
  unit(0xb2, digit[2], 1);
  unit(0xb3, digit[3], 1);
  // Letters: each with its accented forms in their order (lower case; upper case follows).
  uint16_t letter[26];
  for (int i = 0; i < 26; ++i) letter[i] = next++;
  auto L = [&](char c) { return letter[c - 'a']; };
  static const char* const kAccented[26] = {"\xaa\xe1\xe0\xe2\xe4\xe3\xe5",
                                            "",
                                            "\xe7",
                                            "\xf0",
                                            "\xe9\xe8\xea\xeb",
                                            "\x83",
                                            "",
                                            "",
                                            "\xed\xec\xee\xef",
                                            "",
                                            "",
                                            "",
                                            "",
                                            "\xf1",
                                            "\xba\xf3\xf2\xf4\xf6\xf5\xf8",
                                            "",
                                            "",
                                            "",
                                            "\x9a",
                                            "",
                                            "\xfa\xf9\xfb\xfc",
                                            "",
                                            "",
                                            "",
                                            "\xfd\xff",
                                            "\x9e"};
  for (int i = 0; i < 26; ++i) {
    unit(static_cast<unsigned char>('a' + i), letter[i]);
    uint8_t mark = 1;
    for (const char* p = kAccented[i]; *p != '\0'; ++p) unit(static_cast<unsigned char>(*p), letter[i], mark++);
  }
  // Ligatures weigh as their two letters ("\xdf" equals "ss"); the trade mark sign sorts after "tm".
  unit(0xe6, L('a'), 0, L('e'));
  unit(0x9c, L('o'), 0, L('e'));
  unit(0xdf, L('s'), 0, L('s'));
  unit(0xfe, L('t'), 0, L('h'));
  unit(0x99, L('t'), 1, L('m'));
  // Upper case weighs as lower case.
  for (int c = 'A'; c <= 'Z'; ++c) t[c] = t[c + 32];
  for (int c = 0xc0; c <= 0xde; ++c)
    if (c != 0xd7) t[c] = t[c + 32];
  t[0x8a] = t[0x9a];
  t[0x8c] = t[0x9c];
  t[0x8e] = t[0x9e];
  t[0x9f] = t[0xff];
  // Control characters (but tab to carriage return), then apostrophes and hyphens: left out of the
  // first levels, compared last.
  uint8_t special = 1;
  auto makeSpecial = [&](unsigned char c) {
    t[c] = ByteWeight{};
    t[c].kind = ByteWeight::kSpecial;
    t[c].special = special++;
  };
  for (int c = 0x01; c < 0x20; ++c)
    if (c < '\t' || c > '\r') makeSpecial(static_cast<unsigned char>(c));
  for (int c : {0x7f, int{'\''}, int{'-'}, 0x96, 0x97}) makeSpecial(static_cast<unsigned char>(c));
  // The soft hyphen stays ignored (the default).
  return t;
}

const WeightTable& Weights() {
  static const WeightTable table = BuildWeights();
  return table;
}

// The first-level (primary) or second-level (diacritic) weights of a text, one at a time.
class UnitReader {
 public:
  UnitReader(const std::string& s, bool diacritics) : s_(s), diacritics_(diacritics) {}
  // The next weight, or -1 at the end.
  int Next() {
    if (pending_ != 0) {
      int w = pending_;
      pending_ = 0;
      return w;
    }
    const WeightTable& t = Weights();
    while (i_ < s_.size()) {
      const ByteWeight& w = t[static_cast<unsigned char>(s_[i_++])];
      if (w.kind != ByteWeight::kUnit) continue;
      if (w.expansion != 0) pending_ = diacritics_ ? kNoMark : w.expansion;
      return diacritics_ ? w.diacritic + 1 : w.primary;
    }
    return -1;
  }

 private:
  static constexpr int kNoMark = 1;
  const std::string& s_;
  bool diacritics_;
  size_t i_ = 0;
  int pending_ = 0;
};

int CompareLevel(const std::string& a, const std::string& b, bool diacritics) {
  UnitReader ra(a, diacritics), rb(b, diacritics);
  for (;;) {
    int wa = ra.Next(), wb = rb.Next();
    if (wa != wb) return wa < wb ? -1 : 1;
    if (wa < 0) return 0;
  }
}

// Hyphens, apostrophes and control characters: by position, one nearer the end sorting first,
// then by kind.
int CompareSpecials(const std::string& a, const std::string& b) {
  const WeightTable& t = Weights();
  size_t i = 0, j = 0;
  for (;;) {
    while (i < a.size() && t[static_cast<unsigned char>(a[i])].kind != ByteWeight::kSpecial) ++i;
    while (j < b.size() && t[static_cast<unsigned char>(b[j])].kind != ByteWeight::kSpecial) ++j;
    bool endA = i >= a.size(), endB = j >= b.size();
    if (endA || endB) return endA == endB ? 0 : (endA ? -1 : 1);
    if (i != j) return i > j ? -1 : 1;
    int wa = t[static_cast<unsigned char>(a[i])].special, wb = t[static_cast<unsigned char>(b[j])].special;
    if (wa != wb) return wa < wb ? -1 : 1;
    ++i;
    ++j;
  }
}

// Where a sorted list box puts a new item: a binary search that stops at the first equal item it
// meets (the new item goes before it), else the place after all smaller items.
template <typename Seq, typename TextOf>
size_t SortedPlace(const Seq& items, size_t count, const std::string& text, TextOf textOf) {
  long lo = 0, hi = static_cast<long>(count) - 1;
  while (lo <= hi) {
    long mid = (lo + hi) / 2;
    int r = CompareListText(textOf(items[static_cast<size_t>(mid)]), text);
    if (r == 0) return static_cast<size_t>(mid);
    if (r > 0)
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  return static_cast<size_t>(lo);
}

}  // namespace

int CompareListText(const std::string& a, const std::string& b) {
  if (int r = CompareLevel(a, b, false)) return r;
  if (int r = CompareLevel(a, b, true)) return r;
  return CompareSpecials(a, b);
}

int ListBox::FindExact(const std::string& text) const {
  for (int i = 0, n = Count(); i < n; ++i)
    if (CompareListText(Text(i), text) == 0) return i;
  return -1;
}

void MemoryListBox::Settle() const {
  if (settled_ == items_.size()) return;
  if (curSel_ >= 0) items_[static_cast<size_t>(curSel_)].caret = true;  // the caret follows its item
  auto less = [](const Item& x, const Item& y) { return CompareListText(x.text, y.text) < 0; };
  auto mid = items_.begin() + static_cast<long>(settled_);
  std::stable_sort(mid, items_.end(), less);
  std::inplace_merge(items_.begin(), mid, items_.end(), less);
  settled_ = items_.size();
  if (curSel_ >= 0) {
    for (size_t i = 0; i < items_.size(); ++i) {
      if (items_[i].caret) {
        items_[i].caret = false;
        curSel_ = static_cast<int>(i);
        break;
      }
    }
  }
}

void MemoryListBox::EndUpdate() {
  if (updateDepth_ > 0 && --updateDepth_ == 0) Settle();
}

int MemoryListBox::AddString(const std::string& text) {
  if (!sorted_ || updateDepth_ > 0) {
    items_.push_back(Item{text});
    if (!sorted_) settled_ = items_.size();
    return Count() - 1;
  }
  Settle();
  size_t pos = SortedPlace(items_, items_.size(), text, [](const Item& it) -> const std::string& { return it.text; });
  items_.insert(items_.begin() + static_cast<long>(pos), Item{text});
  settled_ = items_.size();
  int index = static_cast<int>(pos);
  if (curSel_ >= index) ++curSel_;
  return index;
}

int MemoryListBox::InsertString(int index, const std::string& text) {
  Settle();
  if (index == -1) index = Count();
  if (index < 0 || index > Count()) return -1;
  items_.insert(items_.begin() + index, Item{text});
  settled_ = items_.size();
  if (curSel_ >= index) ++curSel_;
  return index;
}

int MemoryListBox::DeleteString(int index) {
  Settle();
  if (!InRange(index)) return -1;
  items_.erase(items_.begin() + index);
  settled_ = items_.size();
  if (curSel_ == index)
    curSel_ = -1;
  else if (curSel_ > index)
    --curSel_;
  return Count();
}

std::string MemoryListBox::Text(int index) const {
  Settle();
  return InRange(index) ? items_[index].text : std::string();
}

void MemoryListBox::SetItemData(int index, int64_t data) {
  if (InRange(index)) items_[index].data = data;
}

int64_t MemoryListBox::ItemData(int index) const {
  Settle();
  return InRange(index) ? items_[index].data : 0;
}

void MemoryListBox::SetCurSel(int index) {
  Settle();
  curSel_ = InRange(index) ? index : -1;
}

int MemoryListBox::CurSel() const {
  Settle();
  return curSel_;
}

void MemoryListBox::SetSelected(int index, bool selected) {
  Settle();
  if (index == -1) {
    for (auto& it : items_) it.selected = selected;
  } else if (InRange(index)) {
    items_[index].selected = selected;
  }
}

bool MemoryListBox::IsSelected(int index) const {
  Settle();
  return InRange(index) && items_[index].selected;
}

std::vector<int> MemoryListBox::SelectedItems() const {
  Settle();
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
  size_t pos = SortedPlace(items_, items_.size(), text, [](const std::string& s) -> const std::string& { return s; });
  items_.insert(items_.begin() + static_cast<long>(pos), text);
  int index = static_cast<int>(pos);
  if (curSel_ >= index) ++curSel_;
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
