// The memory list box: sorted insertion as a sorted Windows list box does it, item data, selection.
#include <gtest/gtest.h>

#include "ui/controls.h"

TEST(MemoryListBox, SortedInsertIgnoresCase) {
  ui::MemoryListBox list(true);
  for (const char* s : {"beta", "Alpha", "..", "alpha", "Gamma", "BETA"}) list.AddString(s);
  std::vector<std::string> got;
  for (int i = 0; i < list.Count(); ++i) got.push_back(list.Text(i));
  EXPECT_EQ(got, (std::vector<std::string>{"..", "Alpha", "alpha", "beta", "BETA", "Gamma"}));
  EXPECT_EQ(list.FindExact("GAMMA"), 5);
}

TEST(MemoryListBox, DataSelectionAndRanges) {
  ui::MemoryListBox list;
  list.AddString("z");
  list.AddString("a");
  list.SetItemData(1, int64_t{5} << 30);  // sizes beyond 32 bits
  EXPECT_EQ(list.ItemData(1), int64_t{5} << 30);
  EXPECT_EQ(list.ItemData(7), 0);
  EXPECT_EQ(list.InsertString(5, "x"), -1);
  EXPECT_EQ(list.InsertString(0, "first"), 0);
  list.SetSelected(1, true);
  list.SetSelected(2, true);
  EXPECT_EQ(list.SelectedItems(), (std::vector<int>{1, 2}));
  list.SetCurSel(2);
  EXPECT_EQ(list.DeleteString(0), 2);
  EXPECT_EQ(list.CurSel(), 1);
  EXPECT_EQ(list.Text(9), "");
  EXPECT_EQ(list.TextWidth("ab\tc"), 9 * 7);
}
