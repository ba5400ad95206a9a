// The list box and combo box cases, run over the memory controls and (on Windows) the real
// controls in a hidden window, so that both must order, hold data and select alike.
#include "ui/controls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>
#ifdef _WIN32
#include "ui/controls_win32.h"
#endif

namespace {

// Names in the order a sorted list box under Windows (and Wine) keeps them: symbols before digits
// before letters, hyphens and apostrophes weighed last, accented letters after their base letters,
// ligatures as their letters (Windows-1252), case ignored.
const std::vector<std::string> kSorted = {"!x",
                                          "..",
                                          "_x",
                                          "~t",
                                          "10",
                                          "1x",
                                          "9",
                                          "a b",
                                          "a.b",
                                          "a_b",
                                          "a~b",
                                          "A+c",
                                          "ab",
                                          "ac",
                                          "a-c",
                                          "a'd",
                                          "alpha",
                                          "alpha2",
                                          "Alpha-2",
                                          "B",
                                          "ecole",
                                          "\xe9"
                                          "cole",
                                          "edit",
                                          "stra\xdf"
                                          "e",
                                          "strasz",
                                          "x-",
                                          "-x",
                                          "Zeta"};

// A text with its bytes outside printable ASCII shown in hex.
std::string Shown(const std::string& text) {
  std::string out;
  char hex[8];
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7f && c != '\\') {
      out += static_cast<char>(c);
    } else {
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    }
  }
  return out;
}

std::vector<std::string> Texts(const ui::ListBox& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list.Text(i));
  return out;
}

struct MemoryControls {
  static std::unique_ptr<ui::ListBox> List(bool sorted, bool /*multiSelect*/ = false) {
    return std::make_unique<ui::MemoryListBox>(sorted);
  }
  static std::unique_ptr<ui::ComboBox> Combo(bool sorted) { return std::make_unique<ui::MemoryComboBox>(sorted); }
};

#ifdef _WIN32
// A hidden top-level window holding the controls under test.
HWND TestParent() {
  static HWND parent = CreateWindowExA(0, "STATIC", "controls under test", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                                       nullptr, GetModuleHandleA(nullptr), nullptr);
  return parent;
}

HWND MakeChild(const char* cls, DWORD style) {
  HWND h = CreateWindowExA(0, cls, "", WS_CHILD | WS_VSCROLL | style, 0, 0, 200, 200, TestParent(), nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  EXPECT_NE(h, nullptr);
  return h;
}

class OwnedListBox : public ui::HwndListBox {
 public:
  OwnedListBox(HWND h, bool dataTable) : ui::HwndListBox(h, dataTable) {}
  ~OwnedListBox() override { DestroyWindow(hwnd()); }
};

class OwnedComboBox : public ui::HwndComboBox {
 public:
  explicit OwnedComboBox(HWND h) : ui::HwndComboBox(h) {}
  ~OwnedComboBox() override { DestroyWindow(hwnd()); }
};

HWND MakeList(bool sorted, bool multiSelect) {
  return MakeChild("LISTBOX",
                   LBS_HASSTRINGS | LBS_NOTIFY | (sorted ? LBS_SORT : 0) | (multiSelect ? LBS_EXTENDEDSEL : 0));
}

// The real controls; DataTable picks where the list keeps its item data.
template <bool DataTable>
struct WindowControls {
  static std::unique_ptr<ui::ListBox> List(bool sorted, bool multiSelect = false) {
    return std::make_unique<OwnedListBox>(MakeList(sorted, multiSelect), DataTable);
  }
  static std::unique_ptr<ui::ComboBox> Combo(bool sorted) {
    return std::make_unique<OwnedComboBox>(
        MakeChild("COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | (sorted ? CBS_SORT : 0)));
  }
};
#endif

template <typename Controls>
class ListControlTest : public ::testing::Test {};

#ifdef _WIN32
using Implementations = ::testing::Types<MemoryControls, WindowControls<false>, WindowControls<true>>;
#else
using Implementations = ::testing::Types<MemoryControls>;
#endif

class ImplementationNames {
 public:
  template <typename T>
  static std::string GetName(int i) {
    static const char* const kNames[] = {"Memory", "Window", "WindowDataTable"};
    return kNames[i];
  }
};

TYPED_TEST_SUITE(ListControlTest, Implementations, ImplementationNames);

TYPED_TEST(ListControlTest, SortedOrderIsTheSystemsWhateverTheArrivalOrder) {
  std::vector<std::vector<std::string>> arrivals = {kSorted, kSorted, kSorted};
  std::reverse(arrivals[1].begin(), arrivals[1].end());
  for (size_t i = 0; i < kSorted.size(); ++i) std::swap(arrivals[2][i], arrivals[2][(i * 7) % kSorted.size()]);
  for (const auto& arrival : arrivals) {
    auto list = TypeParam::List(true);
    for (const std::string& name : arrival) list->AddString(name);
    EXPECT_EQ(Texts(*list), kSorted);
    EXPECT_EQ(list->FindExact("ZETA"), static_cast<int>(kSorted.size()) - 1);
    EXPECT_EQ(list->FindExact("a-d"), -1);
  }
  for (size_t i = 0; i + 1 < kSorted.size(); ++i)
    EXPECT_LT(ui::CompareListText(kSorted[i], kSorted[i + 1]), 0)
        << Shown(kSorted[i]) << " / " << Shown(kSorted[i + 1]);
}

TYPED_TEST(ListControlTest, EqualTextsGoWhereTheListPutsThem) {
  // Case, a soft hyphen and ligatures do not count: the new item goes before the equal one the
  // list's search meets first. A control character weighs as a hyphen does.
  auto list = TypeParam::List(true);
  for (const char* s : {"beta", "Alpha", "alpha", "a\x01z", "ALPHA", "az", "BETA", "strasse",
                        "stra\xdf"
                        "e",
                        "a\xadz"})
    list->AddString(s);
  EXPECT_EQ(Texts(*list), (std::vector<std::string>{"alpha", "ALPHA", "Alpha", "a\xadz", "az", "a\x01z", "BETA", "beta",
                                                    "stra\xdf"
                                                    "e",
                                                    "strasse"}));
  EXPECT_EQ(list->FindExact("alpha"), 0);
  EXPECT_EQ(list->FindExact("STRASSE"), 8);

  auto unsorted = TypeParam::List(false);
  for (const char* s : {"b", "a", "B"}) unsorted->AddString(s);
  EXPECT_EQ(Texts(*unsorted), (std::vector<std::string>{"b", "a", "B"}));
  EXPECT_EQ(unsorted->InsertString(1, "c"), 1);
  EXPECT_EQ(unsorted->InsertString(-1, "end"), 4);
  EXPECT_EQ(unsorted->InsertString(9, "x"), -1);
  EXPECT_EQ(Texts(*unsorted), (std::vector<std::string>{"b", "c", "a", "B", "end"}));
}

TYPED_TEST(ListControlTest, ItemDataOf64BitsFollowsItsItemAndGoesWithClear) {
  auto list = TypeParam::List(true);
  const int64_t big = int64_t{5} << 40;
  list->SetItemData(list->AddString("m"), big);
  list->SetItemData(list->AddString("z"), -1);
  list->SetItemData(list->AddString("a"), INT64_MAX);
  list->AddString("b");  // no data
  EXPECT_EQ(Texts(*list), (std::vector<std::string>{"a", "b", "m", "z"}));
  EXPECT_EQ(list->ItemData(0), INT64_MAX);
  EXPECT_EQ(list->ItemData(1), 0);
  EXPECT_EQ(list->ItemData(2), big);
  EXPECT_EQ(list->ItemData(3), -1);
  EXPECT_EQ(list->ItemData(4), 0);
  EXPECT_EQ(list->ItemData(-1), 0);
  list->SetItemData(2, 7);  // replaced, not added
  EXPECT_EQ(list->ItemData(2), 7);
  EXPECT_EQ(list->DeleteString(0), 3);
  EXPECT_EQ(list->ItemData(1), 7);
  EXPECT_EQ(list->DeleteString(5), -1);

  list->Clear();
  EXPECT_EQ(list->Count(), 0);
  list->AddString("m");
  EXPECT_EQ(list->ItemData(0), 0);
}

TYPED_TEST(ListControlTest, UnsortedItemDataFollowsInsertsAndDeletes) {
  auto list = TypeParam::List(false);
  list->SetItemData(list->AddString("a"), 1);
  list->SetItemData(list->AddString("b"), 2);
  list->SetItemData(list->InsertString(0, "c"), 3);
  list->SetItemData(list->InsertString(-1, "d"), 4);
  list->AddString("e");  // no data
  EXPECT_EQ(Texts(*list), (std::vector<std::string>{"c", "a", "b", "d", "e"}));
  EXPECT_EQ(list->ItemData(0), 3);
  EXPECT_EQ(list->ItemData(1), 1);
  EXPECT_EQ(list->ItemData(3), 4);
  EXPECT_EQ(list->ItemData(4), 0);
  EXPECT_EQ(list->DeleteString(1), 4);
  EXPECT_EQ(list->ItemData(1), 2);
  EXPECT_EQ(list->InsertString(9, "x"), -1);  // refused: nothing moves
  EXPECT_EQ(list->DeleteString(9), -1);
  list->SetItemData(4, 9);                     // out of range: nothing kept
  EXPECT_EQ(list->ItemData(4), 0);
  EXPECT_EQ(list->ItemData(2), 4);
  {
    ui::ListUpdate batch(*list);
    list->Clear();
    for (int i = 0; i < 100; ++i) list->SetItemData(list->AddString("n" + std::to_string(i)), int64_t{i} << 33);
  }
  ASSERT_EQ(list->Count(), 100);
  EXPECT_EQ(list->ItemData(0), 0);
  EXPECT_EQ(list->ItemData(99), int64_t{99} << 33);
}

TYPED_TEST(ListControlTest, CaretAndSelectionFollowTheirItems) {
  auto list = TypeParam::List(true);
  for (const char* s : {"b", "d", "f"}) list->AddString(s);
  EXPECT_EQ(list->CurSel(), -1);
  list->SetCurSel(1);
  list->AddString("a");
  EXPECT_EQ(list->CurSel(), 2);
  EXPECT_EQ(list->Text(list->CurSel()), "d");
  list->AddString("e");
  EXPECT_EQ(list->CurSel(), 2);
  EXPECT_EQ(list->DeleteString(0), 4);
  EXPECT_EQ(list->CurSel(), 1);
  list->DeleteString(1);
  EXPECT_EQ(list->CurSel(), -1);
  list->SetCurSel(99);
  EXPECT_EQ(list->CurSel(), -1);

  auto multi = TypeParam::List(true, true);
  for (const char* s : {"c", "a", "e"}) multi->AddString(s);
  multi->SetSelected(0, true);
  multi->SetSelected(2, true);
  multi->AddString("b");
  EXPECT_EQ(multi->SelectedItems(), (std::vector<int>{0, 3}));
  EXPECT_TRUE(multi->IsSelected(3));
  EXPECT_FALSE(multi->IsSelected(1));
  multi->SetSelected(-1, false);
  EXPECT_TRUE(multi->SelectedItems().empty());
  multi->SetSelected(-1, true);
  EXPECT_EQ(multi->SelectedItems().size(), 4u);
}

TYPED_TEST(ListControlTest, BatchUpdateGivesTheSameList) {
  auto list = TypeParam::List(true);
  list->AddString("..");
  list->AddString("m0");
  list->SetCurSel(1);
  {
    ui::ListUpdate batch(*list);
    {
      ui::ListUpdate inner(list.get());  // nests
      for (int i = 0; i < 300; ++i) {
        std::string name = "m" + std::to_string(999 - i * 3);
        list->SetItemData(list->AddString(name), 999 - i * 3);
      }
    }
    list->SetItemData(list->AddString("a'd"), -5);
    list->AddString("a-c");
  }
  ui::ListUpdate nothing(nullptr);
  ASSERT_EQ(list->Count(), 304);
  EXPECT_EQ(list->Text(0), "..");
  EXPECT_EQ(list->Text(1), "a-c");
  EXPECT_EQ(list->Text(2), "a'd");
  EXPECT_EQ(list->ItemData(2), -5);
  EXPECT_EQ(list->Text(list->CurSel()), "m0");
  for (int i = 4; i < list->Count(); ++i) {
    ASSERT_LT(ui::CompareListText(list->Text(i - 1), list->Text(i)), 0) << i;
    EXPECT_EQ("m" + std::to_string(list->ItemData(i)), list->Text(i));
  }
  // The list is usable as before once the batch is over.
  EXPECT_EQ(list->AddString("m1"), 4);
}

TYPED_TEST(ListControlTest, BatchKeepsEqualTextsInArrivalOrderAfterThoseAlreadyThere) {
  auto list = TypeParam::List(true);
  list->AddString("Beta");
  {
    ui::ListUpdate batch(*list);
    for (const char* s : {"BETA", "alpha", "beta"}) list->AddString(s);
    EXPECT_EQ(list->Count(), 4);
  }
  EXPECT_EQ(Texts(*list), (std::vector<std::string>{"alpha", "Beta", "BETA", "beta"}));
}

TYPED_TEST(ListControlTest, ComboBoxSortsAndSelectsAsTheList) {
  auto combo = TypeParam::Combo(true);
  for (auto it = kSorted.rbegin(); it != kSorted.rend(); ++it) combo->AddString(*it);
  std::vector<std::string> got;
  for (int i = 0; i < combo->Count(); ++i) got.push_back(combo->ItemText(i));
  EXPECT_EQ(got, kSorted);
  combo->SetCurSel(3);
  EXPECT_EQ(combo->CurSel(), 3);
  EXPECT_EQ(combo->Text(), kSorted[3]);
  combo->SetText("typed");
  EXPECT_EQ(combo->Text(), "typed");
  EXPECT_EQ(combo->ItemText(99), "");
  combo->Clear();
  EXPECT_EQ(combo->Count(), 0);
  EXPECT_EQ(combo->CurSel(), -1);
}

}  // namespace

// ---- the memory list alone ------------------------------------------------------------------

TEST(MemoryListBox, RangesAndTextWidth) {
  ui::MemoryListBox list;
  list.AddString("z");
  list.AddString("a");
  EXPECT_EQ(list.InsertString(5, "x"), -1);
  EXPECT_EQ(list.InsertString(0, "first"), 0);
  EXPECT_EQ(list.Text(9), "");
  EXPECT_EQ(list.TextWidth("ab\tc"), 9 * 7);
}

TEST(MemoryListBox, BatchKeepsEqualTextsInArrivalOrder) {
  // A batch sorts once, stably: texts that compare equal keep the order they came in.
  ui::MemoryListBox list(true);
  {
    ui::ListUpdate batch(list);
    for (const char* s : {"README", "b", "readme", "a", "ReadMe"}) list.AddString(s);
  }
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"a", "b", "README", "readme", "ReadMe"}));
}

#ifdef _WIN32
TEST(HwndListBox, RefreshesDoNotGrowTheItemDataTable) {
  OwnedListBox list(MakeList(true, false), true);
  for (int refresh = 0; refresh < 5; ++refresh) {
    list.Clear();
    for (int i = 0; i < 50; ++i) list.SetItemData(list.AddString("f" + std::to_string(i)), i);
    EXPECT_EQ(list.DataSlotsInUse(), 50u);
  }
  list.SetItemData(0, 1);  // an item's own slot is reused
  EXPECT_EQ(list.DataSlotsInUse(), 50u);
  list.DeleteString(0);
  list.SetItemData(list.AddString("new"), 2);
  EXPECT_EQ(list.DataSlotsInUse(), 50u);
  list.Clear();
  EXPECT_EQ(list.DataSlotsInUse(), 0u);
}

TEST(HwndListBox, MemoryListOrdersRandomNamesAsTheRealOne) {
  // Every printable ASCII character and some of Windows-1252, in short names that often tie on
  // the first levels: both lists, fed the same names one by one, must read back alike.
  std::string alphabet;
  for (int c = 0x20; c < 0x7f; ++c) alphabet += static_cast<char>(c);
  alphabet += "aaAAeEss--''\x01\t\xe9\xc9\xe8\xdf\xe6\xc6\xfc\xf1\xe7\xb2\x96\xa0\xb7\xd7";
  std::mt19937 random(1995);
  std::vector<std::string> names;
  for (int i = 0; i < 3000; ++i) {
    std::string name;
    for (int n = 1 + static_cast<int>(random() % 5); n > 0; --n) name += alphabet[random() % alphabet.size()];
    names.push_back(name);
  }
  OwnedListBox real(MakeList(true, false), false);
  ui::MemoryListBox memory(true);
  for (const std::string& name : names) {
    real.AddString(name);
    memory.AddString(name);
  }
  std::vector<std::string> want = Texts(real), got = Texts(memory);
  ASSERT_EQ(got.size(), want.size());
  int shown = 0;
  for (size_t i = 0; i < want.size() && shown < 10; ++i) {
    if (got[i] != want[i]) {
      ADD_FAILURE() << "at " << i << ": memory \"" << Shown(got[i]) << "\", real \"" << Shown(want[i]) << "\"";
      ++shown;
    }
  }
}
#endif
