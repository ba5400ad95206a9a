// The main window's geometry, the resize rule and the splitters.
#include "app/main_layout.h"

#include <algorithm>

namespace app {
namespace {

void Place(MainLayout& l, int index, int x, int y, int width, int height) { l.controls[index] = Rect{x, y, width, height}; }

void LayoutStandard(MainLayout& l) {
  const int bx = l.bx, by = l.by, W = l.width, H = l.height, t = l.top, SV = l.splitX, SH = l.splitY;
  Place(l, kCtlLocalDirCombo, 7 * bx / 4, 14 * by / 8 + t, SV - 6 * bx - 7 * bx / 4, 11 * by);
  Place(l, kCtlRemoteDirCombo, SV + bx, 14 * by / 8 + t, W - SV - 3 * bx, 11 * by);

  const int listTop = 31 * by / 8 + t;
  const int dirHeight = SH - (31 * by / 8 + t + by / 4);
  const int fileHeight = H + t - 46 * by / 8 - SH;
  const int localWidth = SV - 13 * bx - 7 * bx / 4;
  const int remoteWidth = W - 33 * bx / 4 - SV - 2 * bx;
  Place(l, kCtlLocalDirs, 7 * bx / 4, listTop, localWidth, dirHeight);
  Place(l, kCtlLocalFiles, 7 * bx / 4, SH, localWidth, fileHeight);
  Place(l, kCtlRemoteDirs, SV + bx, listTop, remoteWidth, dirHeight);
  Place(l, kCtlRemoteFiles, SV + bx, SH, remoteWidth, fileHeight);

  const int hb = std::min((dirHeight + fileHeight) / 10, 14 * by / 8);
  for (int k = 0; k < 10; ++k) {
    int y = k < 3 ? listTop + k * hb
                  : std::min(listTop + dirHeight + fileHeight + 2 * by / 8 + (k - 10) * hb, (k - 3) * hb + 83 * by / 8 + t);
    Place(l, kCtlLocalButtons + k, SV - 12 * bx, y, 27 * bx / 4, hb);
    Place(l, kCtlRemoteButtons + k, W - 33 * bx / 4, y, 27 * bx / 4, hb);
  }
  Place(l, kCtlUpload, SV - 4 * bx, l.controls[kCtlLocalButtons + 6].y, 14 * bx / 4, hb);
  Place(l, kCtlDownload, SV - 4 * bx, l.controls[kCtlLocalButtons + 4].y, 14 * bx / 4, hb);

  for (int i = 0; i < 3; ++i)
    Place(l, kCtlModeAscii + i, W / 2 + (50 * i - 75) * bx / 4, H + t - 42 * by / 8, 39 * bx / 4, 10 * by / 8);
  Place(l, kCtlLocalProgress, 10 * bx / 4, H + t - 42 * by / 8, 38 * bx / 4, by);
  Place(l, kCtlRemoteProgress, W - 38 * bx / 4 - 10 * bx / 4, H + t - 42 * by / 8, 38 * bx / 4, by);

  l.localCaption = Point{7 * bx / 4, by / 4 + t};
  l.remoteCaption = Point{SV + bx, by / 4 + t};
  l.paneFrames = true;
  const int frameTop = by / 4 + t + by / 2;
  const int frameBottom = l.controls[kCtlModeAscii].y - 2 * by / 8;
  const Rect& lb = l.controls[kCtlLocalButtons];
  const Rect& rb = l.controls[kCtlRemoteButtons];
  l.localFrame = Box{7 * bx / 4 - bx, frameTop, lb.x + 2 * bx / 4 + lb.width, frameBottom};
  l.remoteFrame = Box{SV, frameTop, rb.x + 2 * bx / 4 + rb.width, frameBottom};
}

void LayoutAlternate(MainLayout& l) {
  const int bx = l.bx, by = l.by, W = l.width, H = l.height, t = l.top;
  Place(l, kCtlLocalDirs, 7 * bx / 4, 2 * by + t, 20 * bx, 7 * by);
  Place(l, kCtlLocalFiles, 91 * bx / 4, 2 * by + t, W - 24 * bx, 7 * by);
  Place(l, kCtlRemoteDirs, 7 * bx / 4, 99 * by / 8 + t, 20 * bx, H - 18 * by);
  Place(l, kCtlRemoteFiles, 91 * bx / 4, 99 * by / 8 + t, W - 24 * bx, H - 18 * by);
  const Rect& ld = l.controls[kCtlLocalDirs];
  const Rect& rd = l.controls[kCtlRemoteDirs];

  Place(l, kCtlLocalDirCombo, 15 * bx, ld.y - 14 * by / 8, W - 42 * bx / 4 - 15 * bx, 11 * by);
  Place(l, kCtlRemoteDirCombo, 15 * bx, rd.y - 14 * by / 8, W - 42 * bx / 4 - 15 * bx, 11 * by);
  Place(l, kCtlLocalProgress, W - 10 * bx, l.controls[kCtlLocalDirCombo].y, 38 * bx / 4, by);
  Place(l, kCtlRemoteProgress, W - 10 * bx, l.controls[kCtlRemoteDirCombo].y, 38 * bx / 4, by);

  const int bw = (ld.width + l.controls[kCtlLocalFiles].width) / 11;
  const int bh = 10 * by / 8;
  const int localRow = ld.y + ld.height + 4, remoteRow = rd.y + rd.height + 4;
  for (int k = 0; k < 10; ++k) {
    int slot = k < 4 ? k : k + 1;
    Place(l, kCtlLocalButtons + k, 7 * bx / 4 + slot * bw, localRow, bw, bh);
    Place(l, kCtlRemoteButtons + k, 7 * bx / 4 + slot * bw, remoteRow, bw, bh);
  }
  Place(l, kCtlUpload, 7 * bx / 4 + 4 * bw, localRow, bw, bh);
  Place(l, kCtlDownload, 7 * bx / 4 + 4 * bw, remoteRow, bw, bh);
  l.uploadText = "Send";
  l.downloadText = "Receive";

  Place(l, kCtlModeAscii, W - 10 * bx, H + t - 31 * by / 8, 33 * bx / 4, by);
  Place(l, kCtlModeBinary, W - 10 * bx, H + t - 31 * by / 8 + by, 33 * bx / 4, by);
  Place(l, kCtlModeAuto, W - 10 * bx, H + t + 10, 33 * bx / 4, by);

  l.localCaption = Point{7 * bx / 4, ld.y - 10 * by / 8};
  l.remoteCaption = Point{7 * bx / 4, rd.y - 10 * by / 8};
  l.paneFrames = false;
}

}  // namespace

int ScaleForDpi(int value, int toDpi, int fromDpi) {
  if (toDpi <= 0 || fromDpi <= 0 || toDpi == fromDpi) return value;
  const long long product = static_cast<long long>(value) * toDpi;
  const long long half = fromDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / fromDpi : -((-product + half) / fromDpi));
}

void ApplyDpiChange(LayoutState& s, int newDpi, int oldDpi) {
  if (s.splitX > 0) s.splitX = ScaleForDpi(s.splitX, newDpi, oldDpi);
  if (s.splitY > 0) s.splitY = ScaleForDpi(s.splitY, newDpi, oldDpi);
  s.lastWidth = s.lastHeight = -1;
}

MainLayout ComputeMainLayout(const LayoutInput& in) {
  MainLayout l;
  int bx = ScaleForDpi(in.bx, in.dpi, in.unitDpi), by = ScaleForDpi(in.by, in.dpi, in.unitDpi);
  l.fullBx = bx;
  l.fullBy = by;
  int SV = in.splitX, SH = in.splitY;
  if (in.width < SV) SV = 1;
  const int W = std::max(in.width, 200), H = std::max(in.height, 100);
  if (60 * bx > W) bx = 4 * W / 240;
  if (25 * by > H) by = 8 * H / 200;
  const int t = in.bontop ? 12 * by / 8 : 0;
  if (SV < 1) SV = 33 * bx;
  if (SH < 1) SH = 83 * by / 8 + t;
  SH = std::max(SH, t + 31 * by / 8);
  SH = std::min(SH, H - 46 * by / 8 + t);
  l.bx = bx;
  l.by = by;
  l.width = W;
  l.height = H;
  l.top = t;
  l.splitX = SV;
  l.splitY = SH;
  l.alternate = in.layout != 0;

  for (int i = 0; i < 7; ++i)
    Place(l, kCtlConnect + i, i * (W / 7) + (W % 7) / 2, in.bontop ? 1 : H - 11 * by / 8, W / 7, 10 * by / 8);
  const int statusWidth = l.alternate ? W - 67 * bx / 4 : W - 27 * bx / 4;
  Place(l, kCtlStatusUpper, 10 * bx / 4, H + t - 30 * by / 8, statusWidth, by);
  Place(l, kCtlStatusLower, 10 * bx / 4, H + t - 22 * by / 8, statusWidth, by);
  Place(l, kCtlStatusScroll, l.alternate ? W - 14 * bx : W - 4 * bx, H + t - 30 * by / 8, 10 * bx / 4, 2 * by);

  if (l.alternate) LayoutAlternate(l);
  else LayoutStandard(l);

  const Rect& upper = l.controls[kCtlStatusUpper];
  const Rect& scroll = l.controls[kCtlStatusScroll];
  l.statusFrame = Box{upper.x - 5, upper.y - 2, scroll.x + scroll.width + 5, scroll.y + scroll.height + 2};
  return l;
}

bool ApplyResize(LayoutState& s, int width, int height, bool hasConnected, bool isMainWindow, bool minimized) {
  if ((width == s.lastWidth && height == s.lastHeight) || !isMainWindow || minimized || s.layoutRunning) return false;
  if (hasConnected) {
    if (height != s.lastHeight && !(height == s.savedHeight && s.splitY == s.savedSplitY)) s.splitY = 0;
    if (width != s.lastWidth && !(width == s.savedWidth && s.splitX == s.savedSplitX)) s.splitX = 0;
  }
  s.lastWidth = width;
  s.lastHeight = height;
  return true;
}

const MainLayout& Relayout(LayoutState& s, LayoutInput in) {
  in.splitX = s.splitX;
  in.splitY = s.splitY;
  s.current = ComputeMainLayout(in);
  s.splitX = s.current.splitX;
  s.splitY = s.current.splitY;
  return s.current;
}

SplitterKind SplitterHit(const LayoutState& s, int x, int y, bool alternateLayout) {
  if (alternateLayout) return SplitterKind::kNone;
  if (s.splitX - 5 < x && x < s.splitX + 2) return SplitterKind::kVertical;
  if (s.splitY - 5 < y && y < s.splitY + 5) return SplitterKind::kHorizontal;
  return SplitterKind::kNone;
}

Rect SplitterBar(SplitterKind kind, int pos, int clientWidth, int clientHeight) {
  if (kind == SplitterKind::kVertical) return Rect{pos - 1, 0, 3, clientHeight};
  if (kind == SplitterKind::kHorizontal) return Rect{0, pos - 1, clientWidth, 3};
  return Rect{};
}

bool SplitterButtonDown(LayoutState& s, int x, int y, bool alternateLayout) {
  s.lastMouse = Point{x, y};
  s.dragging = SplitterHit(s, x, y, alternateLayout);
  if (s.dragging == SplitterKind::kNone) return false;
  s.dragPos = s.dragging == SplitterKind::kVertical ? x : y;
  return true;
}

bool SplitterMouseMove(LayoutState& s, int x, int y, int& oldPos) {
  s.lastMouse = Point{x, y};
  if (s.dragging == SplitterKind::kNone) return false;
  oldPos = s.dragPos;
  s.dragPos = s.dragging == SplitterKind::kVertical ? x : y;
  return true;
}

bool SplitterButtonUp(LayoutState& s, int x, int y, int& oldPos) {
  if (s.dragging == SplitterKind::kNone) return false;
  oldPos = s.dragPos;
  if (s.dragging == SplitterKind::kVertical) s.splitX = x;
  else s.splitY = y;
  s.dragging = SplitterKind::kNone;
  return true;
}

CursorKind CursorFor(const LayoutState& s, bool overMainWindowItself, int commandDepth, bool workerBusy,
                     bool alternateLayout) {
  if (commandDepth != 0 && !workerBusy) return CursorKind::kBusy;
  if (!alternateLayout && overMainWindowItself) {
    switch (SplitterHit(s, s.lastMouse.x, s.lastMouse.y, false)) {
      case SplitterKind::kVertical: return CursorKind::kSplitH;
      case SplitterKind::kHorizontal: return CursorKind::kSplitV;
      case SplitterKind::kNone: break;
    }
  }
  return CursorKind::kDefault;
}

}  // namespace app
