// The main window's geometry: the worked examples at base units 8/16, Wine's 9/16, small windows,
// the splitter limits, the resize rule and the splitters.
#include "app/main_layout.h"

#include <gtest/gtest.h>

#include "app/main_controls.h"

namespace {

using app::ComputeMainLayout;
using app::LayoutInput;
using app::MainLayout;
using app::Rect;

void ExpectRect(const MainLayout& l, int index, Rect want) {
  const Rect& r = l.controls[index];
  EXPECT_EQ(r.x, want.x) << "control " << index;
  EXPECT_EQ(r.y, want.y) << "control " << index;
  EXPECT_EQ(r.width, want.width) << "control " << index;
  EXPECT_EQ(r.height, want.height) << "control " << index;
}

TEST(MainLayout, StandardWorkedExample) {
  MainLayout l = ComputeMainLayout(LayoutInput{640, 400, 8, 16, 0, 0, 0, 0});
  EXPECT_EQ(l.splitX, 264);
  EXPECT_EQ(l.splitY, 166);
  EXPECT_EQ(l.top, 0);
  ExpectRect(l, app::kCtlLocalDirs, {14, 62, 146, 100});
  ExpectRect(l, app::kCtlLocalFiles, {14, 166, 146, 142});
  ExpectRect(l, app::kCtlRemoteDirs, {272, 62, 294, 100});
  ExpectRect(l, app::kCtlRemoteFiles, {272, 166, 294, 142});
  // Button columns: ChgDir, the mask field, DirInfo of both sets.
  ExpectRect(l, app::kCtlLocalButtons + 0, {168, 62, 54, 24});
  ExpectRect(l, app::kCtlLocalButtons + 3, {168, 140, 54, 24});
  ExpectRect(l, app::kCtlLocalButtons + 9, {168, 284, 54, 24});
  ExpectRect(l, app::kCtlRemoteButtons + 0, {574, 62, 54, 24});
  ExpectRect(l, app::kCtlRemoteButtons + 9, {574, 284, 54, 24});
  ExpectRect(l, app::kCtlUpload, {232, 212, 28, 24});
  ExpectRect(l, app::kCtlDownload, {232, 164, 28, 24});
  for (int i = 0; i < 3; ++i) ExpectRect(l, app::kCtlModeAscii + i, {170 + 100 * i, 316, 78, 20});
  ExpectRect(l, app::kCtlStatusUpper, {20, 340, 586, 16});
  ExpectRect(l, app::kCtlStatusLower, {20, 356, 586, 16});
  ExpectRect(l, app::kCtlStatusScroll, {608, 340, 20, 32});
  for (int i = 0; i < 7; ++i) ExpectRect(l, app::kCtlConnect + i, {1 + 91 * i, 378, 91, 20});
  EXPECT_STREQ(l.uploadText, "-->");
  EXPECT_STREQ(l.downloadText, "<--");
  EXPECT_TRUE(l.paneFrames);
  EXPECT_EQ(l.localCaption.x, 14);
  EXPECT_EQ(l.remoteCaption.x, 272);
  // The frames run from the captions' line to just above the mode buttons, around each pane.
  EXPECT_EQ(l.localFrame.left, 6);
  EXPECT_EQ(l.localFrame.top, 12);
  EXPECT_EQ(l.localFrame.right, 168 + 4 + 54);
  EXPECT_EQ(l.localFrame.bottom, 312);
  EXPECT_EQ(l.remoteFrame.left, 264);
  EXPECT_EQ(l.remoteFrame.right, 574 + 4 + 54);
  // The status frame surrounds the status lines and the scroll bar.
  EXPECT_EQ(l.statusFrame.left, 15);
  EXPECT_EQ(l.statusFrame.top, 338);
  EXPECT_EQ(l.statusFrame.right, 633);
  EXPECT_EQ(l.statusFrame.bottom, 374);
}

// The units follow the window's DPI: at 144 DPI the base units measured at 96 grow by half, and
// the layout is the one of a system whose units were measured at 144 to begin with.
TEST(MainLayout, UnitsFollowTheWindowsDpi) {
  EXPECT_EQ(app::ScaleForDpi(8, 144, 96), 12);
  EXPECT_EQ(app::ScaleForDpi(9, 144, 96), 14);   // 13.5 rounds up
  EXPECT_EQ(app::ScaleForDpi(16, 120, 96), 20);
  EXPECT_EQ(app::ScaleForDpi(24, 96, 144), 16);  // moved back to a 96-DPI screen
  EXPECT_EQ(app::ScaleForDpi(-11, 144, 96), -17);
  EXPECT_EQ(app::ScaleForDpi(16, 0, 96), 16);

  for (int layout = 0; layout < 2; ++layout) {
    LayoutInput at96{640, 400, 8, 16, 0, 0, layout, layout};
    LayoutInput at144{960, 600, 8, 16, 0, 0, layout, layout, 96, 144};
    LayoutInput native144{960, 600, 12, 24, 0, 0, layout, layout, 144, 144};
    MainLayout small = ComputeMainLayout(at96), big = ComputeMainLayout(at144), same = ComputeMainLayout(native144);
    EXPECT_EQ(small.bx, 8);
    EXPECT_EQ(big.bx, 12);
    EXPECT_EQ(big.by, 24);
    EXPECT_EQ(big.fullBy, 24);
    EXPECT_EQ(big.splitX, same.splitX);
    EXPECT_EQ(big.splitY, same.splitY);
    for (int i = 0; i < app::kMainControlCount; ++i) ExpectRect(big, i, same.controls[i]);
    // In the standard layout the panes' lists and button columns are the 96-DPI ones, half as
    // large again (the stacked layout has a few fixed pixels).
    const int scaled[] = {app::kCtlLocalDirs,         app::kCtlLocalFiles,         app::kCtlRemoteDirs,
                          app::kCtlLocalButtons,      app::kCtlLocalButtons + 9,  app::kCtlRemoteButtons + 9,
                          app::kCtlUpload};
    for (int i : scaled) {
      if (layout != 0) break;
      const Rect& r = small.controls[i];
      ExpectRect(big, i, {r.x * 3 / 2, r.y * 3 / 2, r.width * 3 / 2, r.height * 3 / 2});
    }
  }
  // Shrinking at 144 DPI reduces from the scaled units.
  MainLayout tiny = ComputeMainLayout(LayoutInput{150, 80, 8, 16, 0, 0, 0, 0, 96, 144});
  EXPECT_EQ(tiny.fullBy, 24);
  EXPECT_EQ(tiny.bx, 3);
  EXPECT_EQ(tiny.by, 4);
}

TEST(MainLayout, ADpiChangeKeepsPlacedSplittersAndLaysOutAgain) {
  app::LayoutState s;
  s.splitX = 300;
  s.splitY = 0;  // automatic
  ASSERT_TRUE(app::ApplyResize(s, 640, 400, false, true, false));
  app::ApplyDpiChange(s, 144, 96);
  EXPECT_EQ(s.splitX, 450);
  EXPECT_EQ(s.splitY, 0);
  // The same client size as before is laid out again (the fonts and units changed).
  EXPECT_TRUE(app::ApplyResize(s, 640, 400, false, true, false));
  app::ApplyDpiChange(s, 96, 144);
  EXPECT_EQ(s.splitX, 300);
}

TEST(MainLayout, AlternateWorkedExampleWithButtonsOnTop) {
  MainLayout l = ComputeMainLayout(LayoutInput{640, 400, 8, 16, 0, 0, 1, 1});
  EXPECT_EQ(l.top, 24);
  ExpectRect(l, app::kCtlLocalDirs, {14, 56, 160, 112});
  ExpectRect(l, app::kCtlLocalFiles, {182, 56, 448, 112});
  ExpectRect(l, app::kCtlRemoteDirs, {14, 222, 160, 112});
  ExpectRect(l, app::kCtlRemoteFiles, {182, 222, 448, 112});
  // Button rows: slots 55 wide from x = 14; the mask (set index 3) in slot 3, View in slot 5.
  ExpectRect(l, app::kCtlLocalButtons + 0, {14, 172, 55, 20});
  ExpectRect(l, app::kCtlLocalButtons + 3, {14 + 3 * 55, 172, 55, 20});
  ExpectRect(l, app::kCtlLocalButtons + 4, {14 + 5 * 55, 172, 55, 20});
  ExpectRect(l, app::kCtlRemoteButtons + 9, {14 + 10 * 55, 338, 55, 20});
  ExpectRect(l, app::kCtlUpload, {234, 172, 55, 20});
  ExpectRect(l, app::kCtlDownload, {234, 338, 55, 20});
  EXPECT_STREQ(l.uploadText, "Send");
  EXPECT_STREQ(l.downloadText, "Receive");
  ExpectRect(l, app::kCtlModeAscii, {560, 362, 66, 16});
  ExpectRect(l, app::kCtlModeBinary, {560, 378, 66, 16});
  ExpectRect(l, app::kCtlModeAuto, {560, 434, 66, 16});  // below the visible client area
  for (int i = 0; i < 7; ++i) EXPECT_EQ(l.controls[app::kCtlConnect + i].y, 1);
  EXPECT_FALSE(l.paneFrames);
  EXPECT_EQ(l.localCaption.y, 56 - 20);
  EXPECT_EQ(l.remoteCaption.y, 222 - 20);
  // Combos and progress labels sit above the lists.
  ExpectRect(l, app::kCtlLocalDirCombo, {120, 28, 640 - 84 - 120, 176});
  ExpectRect(l, app::kCtlRemoteProgress, {560, 194, 76, 16});
}

TEST(MainLayout, ButtonsOnTopMoveEverythingElseDown) {
  MainLayout off = ComputeMainLayout(LayoutInput{640, 400, 8, 16, 0, 0, 0, 0});
  MainLayout on = ComputeMainLayout(LayoutInput{640, 400, 8, 16, 0, 0, 0, 1});
  EXPECT_EQ(on.top, 24);
  for (int i = 0; i < app::kCtlConnect; ++i) EXPECT_EQ(on.controls[i].y, off.controls[i].y + 24) << "control " << i;
  for (int i = app::kCtlConnect; i < app::kMainControlCount; ++i) EXPECT_EQ(on.controls[i].y, 1);
}

// Wine reports base units 9/16: the same rules with 9 (horizontal positions change, vertical don't).
TEST(MainLayout, WineBaseUnits) {
  MainLayout l = ComputeMainLayout(LayoutInput{640, 400, 9, 16, 0, 0, 0, 0});
  EXPECT_EQ(l.bx, 9);
  EXPECT_EQ(l.splitX, 297);
  EXPECT_EQ(l.splitY, 166);
  ExpectRect(l, app::kCtlLocalDirs, {15, 62, 297 - 117 - 15, 100});
  ExpectRect(l, app::kCtlRemoteDirs, {306, 62, 640 - 74 - 297 - 18, 100});
  ExpectRect(l, app::kCtlLocalButtons, {297 - 108, 62, 60, 24});
  ExpectRect(l, app::kCtlRemoteButtons, {640 - 74, 62, 60, 24});
  ExpectRect(l, app::kCtlModeAscii, {320 - 168, 316, 87, 20});  // (50*0-75)*9/4 = -168 (towards zero)
  ExpectRect(l, app::kCtlStatusScroll, {640 - 36, 340, 22, 32});

  MainLayout alt = ComputeMainLayout(LayoutInput{640, 400, 9, 16, 0, 0, 1, 0});
  ExpectRect(alt, app::kCtlLocalFiles, {204, 32, 640 - 216, 112});
  EXPECT_EQ(alt.controls[app::kCtlUpload].x, 15 + 4 * ((180 + 424) / 11));
}

TEST(MainLayout, SmallWindowReducesTheUnits) {
  MainLayout l = ComputeMainLayout(LayoutInput{150, 80, 8, 16, 0, 0, 0, 0});
  EXPECT_EQ(l.width, 200);
  EXPECT_EQ(l.height, 100);
  EXPECT_EQ(l.bx, 3);
  EXPECT_EQ(l.by, 4);
  EXPECT_EQ(l.splitX, 99);
  // A window just wide enough keeps the platform's units.
  MainLayout big = ComputeMainLayout(LayoutInput{480, 400, 8, 16, 0, 0, 0, 0});
  EXPECT_EQ(big.bx, 8);
  EXPECT_EQ(big.by, 16);
}

TEST(MainLayout, SplitterLimits) {
  struct Case {
    const char* name;
    int width, splitX, splitY, bontop;
    int wantX, wantY;
  };
  const Case cases[] = {
      {"automatic", 640, 0, 0, 0, 264, 166},
      {"automatic_buttons_on_top", 640, 0, 0, 1, 264, 190},
      {"negative_is_automatic", 640, -3, -1, 0, 264, 166},
      {"dragged_to_top", 640, 300, 2, 0, 300, 62},           // t + 31*by/8
      {"dragged_to_top_buttons_on_top", 640, 300, 2, 1, 300, 86},
      {"dragged_to_bottom", 640, 300, 399, 0, 300, 308},     // H - 46*by/8 + t
      {"dragged_to_bottom_buttons_on_top", 640, 300, 399, 1, 300, 332},
      {"kept_inside", 640, 400, 200, 0, 400, 200},
      {"window_narrower_than_sv", 350, 400, 200, 0, 1, 200},  // SV becomes 1, not automatic
  };
  for (const Case& c : cases) {
    MainLayout l = ComputeMainLayout(LayoutInput{c.width, 400, 8, 16, c.splitX, c.splitY, 0, c.bontop});
    EXPECT_EQ(l.splitX, c.wantX) << c.name;
    EXPECT_EQ(l.splitY, c.wantY) << c.name;
  }
}

TEST(MainLayout, ResizeRule) {
  app::LayoutState s;
  s.savedWidth = 600;
  s.savedHeight = 400;
  s.savedSplitX = 250;
  s.savedSplitY = 150;
  s.lastWidth = 600;
  s.lastHeight = 400;
  s.splitX = 250;
  s.splitY = 150;

  // Ignored: same size, another window, minimised, or a layout running.
  EXPECT_FALSE(app::ApplyResize(s, 600, 400, true, true, false));
  EXPECT_FALSE(app::ApplyResize(s, 700, 500, true, false, false));
  EXPECT_FALSE(app::ApplyResize(s, 700, 500, true, true, true));
  s.layoutRunning = true;
  EXPECT_FALSE(app::ApplyResize(s, 700, 500, true, true, false));
  s.layoutRunning = false;
  EXPECT_EQ(s.lastWidth, 600);

  // Before the first Connect the splitters stay where they are.
  EXPECT_TRUE(app::ApplyResize(s, 700, 500, false, true, false));
  EXPECT_EQ(s.splitX, 250);
  EXPECT_EQ(s.splitY, 150);
  EXPECT_EQ(s.lastWidth, 700);
  EXPECT_EQ(s.lastHeight, 500);

  // After it: back to the saved size with the saved splitters keeps them.
  EXPECT_TRUE(app::ApplyResize(s, 600, 400, true, true, false));
  EXPECT_EQ(s.splitX, 250);
  EXPECT_EQ(s.splitY, 150);
  // A height change alone sends only SH back to automatic.
  EXPECT_TRUE(app::ApplyResize(s, 600, 450, true, true, false));
  EXPECT_EQ(s.splitX, 250);
  EXPECT_EQ(s.splitY, 0);
  // A width change sends SV back.
  EXPECT_TRUE(app::ApplyResize(s, 610, 450, true, true, false));
  EXPECT_EQ(s.splitX, 0);

  // Relayout stores the splitters it used.
  app::Relayout(s, LayoutInput{640, 400, 8, 16, 0, 0, 0, 0});
  EXPECT_EQ(s.splitX, 264);
  EXPECT_EQ(s.splitY, 166);
  EXPECT_EQ(s.current.controls[app::kCtlLocalDirs].height, 100);
}

TEST(MainLayout, SplitterDragAndCursors) {
  app::LayoutState s;
  app::Relayout(s, LayoutInput{640, 400, 8, 16, 0, 0, 0, 0});  // SV 264, SH 166
  using app::SplitterKind;
  struct Hit {
    int x, y;
    SplitterKind want;
  };
  const Hit hits[] = {{259, 10, SplitterKind::kNone},     {260, 10, SplitterKind::kVertical},
                      {265, 166, SplitterKind::kVertical}, {266, 10, SplitterKind::kNone},
                      {100, 161, SplitterKind::kNone},     {100, 162, SplitterKind::kHorizontal},
                      {100, 170, SplitterKind::kHorizontal}, {100, 171, SplitterKind::kNone}};
  for (const Hit& h : hits) EXPECT_EQ(app::SplitterHit(s, h.x, h.y, false), h.want) << h.x << "," << h.y;
  // The alternate layout has no splitters.
  EXPECT_EQ(app::SplitterHit(s, 264, 166, true), SplitterKind::kNone);
  EXPECT_FALSE(app::SplitterButtonDown(s, 264, 100, true));

  // Cursors follow the last mouse position over the window itself; busy wins while this thread
  // runs an FTP operation, but not while a worker does.
  int old = 0;
  EXPECT_FALSE(app::SplitterMouseMove(s, 263, 100, old));
  EXPECT_EQ(app::CursorFor(s, true, 0, false, false), app::CursorKind::kSplitH);
  EXPECT_EQ(app::CursorFor(s, false, 0, false, false), app::CursorKind::kDefault);
  EXPECT_EQ(app::CursorFor(s, true, 0, false, true), app::CursorKind::kDefault);
  EXPECT_EQ(app::CursorFor(s, true, 1, false, false), app::CursorKind::kBusy);
  EXPECT_EQ(app::CursorFor(s, true, 1, true, false), app::CursorKind::kSplitH);
  app::SplitterMouseMove(s, 100, 165, old);
  EXPECT_EQ(app::CursorFor(s, true, 0, false, false), app::CursorKind::kSplitV);

  // Dragging the horizontal splitter to the very top: stored unclamped, clamped by the next layout.
  ASSERT_TRUE(app::SplitterButtonDown(s, 100, 165, false));
  EXPECT_EQ(s.dragging, SplitterKind::kHorizontal);
  EXPECT_EQ(s.dragPos, 165);
  ASSERT_TRUE(app::SplitterMouseMove(s, 100, 40, old));
  EXPECT_EQ(old, 165);
  EXPECT_EQ(s.dragPos, 40);
  ASSERT_TRUE(app::SplitterButtonUp(s, 100, 3, old));
  EXPECT_EQ(old, 40);
  EXPECT_EQ(s.splitY, 3);
  EXPECT_FALSE(app::SplitterButtonUp(s, 100, 3, old));  // no drag any more
  app::Relayout(s, LayoutInput{640, 400, 8, 16, 0, 0, 0, 0});
  EXPECT_EQ(s.splitY, 62);

  // The vertical one.
  ASSERT_TRUE(app::SplitterButtonDown(s, 262, 300, false));
  ASSERT_TRUE(app::SplitterButtonUp(s, 320, 300, old));
  EXPECT_EQ(s.splitX, 320);
  app::Relayout(s, LayoutInput{640, 400, 8, 16, 0, 0, 0, 0});
  EXPECT_EQ(s.current.controls[app::kCtlRemoteDirs].x, 328);

  const app::Rect bar = app::SplitterBar(SplitterKind::kVertical, 100, 640, 400);
  EXPECT_EQ(bar.x, 99);
  EXPECT_EQ(bar.width, 3);
  EXPECT_EQ(bar.height, 400);
  const app::Rect hbar = app::SplitterBar(SplitterKind::kHorizontal, 50, 640, 400);
  EXPECT_EQ(hbar.y, 49);
  EXPECT_EQ(hbar.width, 640);
  EXPECT_EQ(hbar.height, 3);
}

}  // namespace
