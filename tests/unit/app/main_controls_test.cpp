// The main window's control table and the list font settings.
#include "app/main_controls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>
#include <string>

#include "app/main_fonts.h"
#include "app/panes.h"
#include "core/settings.h"
#include "resources/resource.h"
#include "support/temp_dir.h"

namespace {

TEST(MainControls, TableOrderIdsAndTabStops) {
  const app::ControlSpec* t = app::MainControlTable();
  std::set<int> ids;
  int tabStops = 0;
  for (int i = 0; i < app::kMainControlCount; ++i) {
    if (t[i].id != -1) {
      EXPECT_TRUE(ids.insert(t[i].id).second) << "duplicate id " << t[i].id;
      EXPECT_EQ(app::MainControlIndexOfId(t[i].id), i);
    }
    tabStops += t[i].tabStop;
  }
  EXPECT_EQ(ids.size(), 38u);  // the statics and the scroll bar have none
  EXPECT_EQ(app::MainControlIndexOfId(-1), -1);
  EXPECT_EQ(app::MainControlIndexOfId(12345), -1);
  // Everything from the first list on is in the Tab list except the three mode buttons.
  EXPECT_EQ(tabStops, 43 - 7 - 3);
  EXPECT_FALSE(t[app::kCtlModeAuto].tabStop);
  EXPECT_TRUE(t[app::kCtlLocalDirs].tabStop);

  // The two button sets follow the pane's button order, the mask field in slot kPaneMask.
  const int local[] = {IDC_LOCAL_CHGDIR, IDC_LOCAL_MKDIR, IDC_LOCAL_RMDIR,    IDC_LOCAL_MASK,    IDC_LOCAL_VIEW,
                       IDC_LOCAL_EXEC,   IDC_LOCAL_RENAME, IDC_LOCAL_DELETE, IDC_LOCAL_REFRESH, IDC_LOCAL_DIRINFO};
  for (int k = 0; k < app::kPaneButtonCount; ++k) {
    EXPECT_EQ(t[app::kCtlLocalButtons + k].id, local[k]) << k;
    EXPECT_EQ(t[app::kCtlRemoteButtons + k].text == std::string(t[app::kCtlLocalButtons + k].text), k != app::kPaneMask)
        << k;
  }
  EXPECT_EQ(t[app::kCtlLocalButtons + app::kPaneMask].kind, app::ControlClass::kEdit);
  EXPECT_STREQ(t[app::kCtlLocalButtons + app::kPaneMask].text, "*.*");
  EXPECT_STREQ(t[app::kCtlConnect].text, "&Connect");
  EXPECT_EQ(t[app::kCtlExit].id, IDM_EXIT);
  EXPECT_EQ(t[app::kCtlModeAuto].style, unsigned(app::kStyleCheckBox));
}

TEST(MainControls, RemoteFileListSortedOnlyWithSortlbx) {
  EXPECT_FALSE(app::MainControlStyle(app::kCtlRemoteFiles, 0) & app::kStyleSorted);
  EXPECT_TRUE(app::MainControlStyle(app::kCtlRemoteFiles, 1) & app::kStyleSorted);
  EXPECT_TRUE(app::MainControlStyle(app::kCtlLocalFiles, 0) & app::kStyleSorted);
  // Otherwise the same style as the local file list.
  EXPECT_EQ(app::MainControlStyle(app::kCtlRemoteFiles, 1), app::MainControlStyle(app::kCtlLocalFiles, 0));
  EXPECT_EQ(app::MainControlStyle(99, 1), 0u);
}

TEST(MainControls, TabOrder) {
  // The Tab list of the table: the four lists first, Exit last.
  std::vector<int> tabList;
  for (int i = 0; i < app::kMainControlCount; ++i)
    if (app::MainControlTable()[i].tabStop) tabList.push_back(i);
  ASSERT_EQ(tabList.front(), app::kCtlLocalDirs);
  ASSERT_EQ(tabList.back(), app::kCtlExit);
  const int last = static_cast<int>(tabList.size()) - 1;
  std::vector<bool> usable(tabList.size(), true);
  EXPECT_EQ(app::NextTabStop(usable, last, false), 0);     // Exit wraps to the first list
  EXPECT_EQ(app::NextTabStop(usable, 0, true), last);      // Shift+Tab from the first list to Exit
  EXPECT_EQ(app::NextTabStop(usable, 3, false), 4);
  // A disabled remote Delete button is skipped both ways.
  const int before = static_cast<int>(std::find(tabList.begin(), tabList.end(), app::kCtlRemoteButtons + app::kPaneRename) - tabList.begin());
  usable[static_cast<size_t>(before + 1)] = false;
  EXPECT_EQ(tabList[static_cast<size_t>(before + 1)], app::kCtlRemoteButtons + app::kPaneDelete);
  EXPECT_EQ(app::NextTabStop(usable, before, false), before + 2);
  EXPECT_EQ(app::NextTabStop(usable, before + 2, true), before);
  // Nothing else usable: the focus stays; a control outside the list ignores Tab.
  std::vector<bool> none(tabList.size(), false);
  EXPECT_EQ(app::NextTabStop(none, 5, false), 5);
  EXPECT_EQ(app::NextTabStop(usable, -1, false), -1);
}

TEST(ListFonts, KindsAndCustomSpecRoundTrip) {
  const int kinds[][2] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {7, 3}, {-1, 3}};
  for (auto& k : kinds) EXPECT_EQ(app::ListFontKindFrom(k[0]), k[1]) << k[0];

  testing_support::TempDir dir;
  core::Files().settingsFile = dir.File("MIRVAN.INI");
  app::CustomFontSpec d = app::ReadCustomFontSpec();  // no keys: 11-pixel Courier New, weight 400
  EXPECT_EQ(d.height, -11);
  EXPECT_EQ(d.weight, 400);
  EXPECT_EQ(d.pitchFamily, 49);
  EXPECT_EQ(d.face, "Courier New");

  app::CustomFontSpec spec;
  spec.height = -13;
  spec.width = 2;
  spec.weight = 700;
  spec.pitchFamily = 0x122;  // one byte is kept
  spec.face = std::string(40, 'F');  // longer than a face name holds
  app::WriteCustomFontSpec(spec);
  EXPECT_EQ(core::ReadConfigInt("FONT", 0), 4);
  EXPECT_EQ(core::Settings().font, 4);
  app::CustomFontSpec back = app::ReadCustomFontSpec();
  EXPECT_EQ(back.height, -13);  // stored as "%u" and read back as the same number
  EXPECT_EQ(back.width, 2);
  EXPECT_EQ(back.weight, 700);
  EXPECT_EQ(back.pitchFamily, 0x22);
  EXPECT_EQ(back.face, std::string(31, 'F'));
  core::Files().settingsFile.clear();
  core::Settings().Reset();
}

TEST(ListFonts, ScaledLabelFont) {
  EXPECT_FALSE(app::UseScaledLabelFont(16, 16, 1));  // window large enough: the stock font
  EXPECT_TRUE(app::UseScaledLabelFont(4, 16, 1));
  EXPECT_FALSE(app::UseScaledLabelFont(4, 16, 0));
  EXPECT_EQ(app::ScaledLabelFontHeight(4, 96), -3);    // 384/140 = 2.74
  EXPECT_EQ(app::ScaledLabelFontHeight(10, 96), -7);   // 960/140 = 6.86
  EXPECT_EQ(app::ScaledLabelFontHeight(7, 120), -6);   // 840/140 = 6 exactly
}

}  // namespace
