// The main window's geometry: where each of its 43 controls, the pane captions and frames and the
// status frame go for a client size, the dialog base units, the splitters and the two layout
// switches; the resize rule; the splitters (hit bands, cursors, dragging).
#pragma once
#include "app/main_controls.h"

namespace app {

constexpr const char* kLocalCaption = "Local System";
constexpr const char* kRemoteCaption = "Remote System";

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
};
struct Box {  // left, top, right, bottom (right and bottom exclusive, as a Win32 RECT)
  int left = 0, top = 0, right = 0, bottom = 0;
};
struct Point {
  int x = 0, y = 0;
};

struct LayoutInput {
  int width = 0, height = 0;  // client area in pixels
  int bx = 8, by = 16;        // the platform's dialog base units, as measured at unitDpi
  int splitX = 0, splitY = 0; // SV, SH: 0 or less is automatic
  int layout = 0;             // LAYOUT: non-zero for the alternate (stacked) layout
  int bontop = 0;             // BONTOP: general buttons at the top
  int unitDpi = 96;           // the DPI at which bx and by were measured (the system's)
  int dpi = 96;               // the window's DPI: the units are scaled by dpi / unitDpi
};

struct MainLayout {
  Rect controls[kMainControlCount];  // every control's rectangle, by table index
  int bx = 0, by = 0;                // base units used (reduced for small windows)
  int fullBx = 0, fullBy = 0;        // the base units at the window's DPI, before any reduction
  int width = 0, height = 0;         // W and H used (at least 200 by 100)
  int top = 0;                       // t: 12*by/8 with BONTOP, else 0
  int splitX = 0, splitY = 0;        // SV and SH after the automatic values and the clamp
  bool alternate = false;
  Point localCaption, remoteCaption;  // where "Local System" and "Remote System" are drawn
  bool paneFrames = false;            // standard layout only
  Box localFrame, remoteFrame;
  Box statusFrame;                    // around the status lines and their scroll bar
  const char* uploadText = "-->";     // "Send" in the alternate layout
  const char* downloadText = "<--";   // "Receive" in the alternate layout
};

// A length measured at `fromDpi` for a window at `toDpi`, rounded to the nearest pixel (the
// length itself when either DPI is not positive).
int ScaleForDpi(int value, int toDpi, int fromDpi);

// Lays the window out: the base units follow the window's DPI first. Never fails: sizes below 200 by 100 are laid out as 200 by 100, with the
// base units reduced to fit; rectangles may have zero or negative sizes and are used as they are.
MainLayout ComputeMainLayout(const LayoutInput& in);

// ---- resize and splitters -------------------------------------------------

enum class SplitterKind { kNone, kVertical, kHorizontal };
enum class CursorKind { kDefault, kBusy, kSplitH, kSplitV };  // SplitH: over the vertical splitter

// What the layout remembers between messages.
struct LayoutState {
  int splitX = 0, splitY = 0;          // SV, SH (0: automatic); clamped values come back from layout
  int lastWidth = 0, lastHeight = 0;   // last seen size
  int savedWidth = 0, savedHeight = 0; // from the saved window location
  int savedSplitX = 0, savedSplitY = 0;
  bool layoutRunning = false;          // re-entrancy guard of the relayout
  SplitterKind dragging = SplitterKind::kNone;
  int dragPos = 0;                     // where the bar is drawn (x or y)
  Point lastMouse;                     // last mouse position over the main window itself
  MainLayout current;                  // the last computed layout
};

// The resize rule for a new client size. True when the caller must relayout now (it sets
// layoutRunning around the relayout); false when the size change is ignored (same size as last
// seen, not the main window, minimised, or a layout already running). Once `hasConnected` is set a
// changed height sends SH back to automatic unless the height and SH are both the saved ones; the
// same for the width and SV. Records the size as last seen.
bool ApplyResize(LayoutState& s, int width, int height, bool hasConnected, bool isMainWindow, bool minimized);

// The window moved to a screen of another DPI: splitters the user placed keep their place relative
// to the panes (scaled by newDpi / oldDpi; automatic ones stay automatic), and the remembered size
// is forgotten so that the next size message lays the window out even when its size is unchanged.
void ApplyDpiChange(LayoutState& s, int newDpi, int oldDpi);

// Lays out with the state's splitters and stores the clamped splitters and the layout back.
const MainLayout& Relayout(LayoutState& s, LayoutInput in);

// Which splitter band the point is in (standard layout only): vertical for SV-5 < x < SV+2,
// else horizontal for SH-5 < y < SH+5.
SplitterKind SplitterHit(const LayoutState& s, int x, int y, bool alternateLayout);

// The inverted bar drawn while dragging: 3 pixels (pos-1 to pos+2) across the whole client.
Rect SplitterBar(SplitterKind kind, int pos, int clientWidth, int clientHeight);

// Button down on the main window's own client area: starts a drag when the point is in a band.
// True when a drag started (capture the mouse and draw SplitterBar(dragging, dragPos, ...)).
bool SplitterButtonDown(LayoutState& s, int x, int y, bool alternateLayout);
// Mouse move: records the point; while dragging, true with the bar position to erase in
// `oldPos` and the new one in dragPos.
bool SplitterMouseMove(LayoutState& s, int x, int y, int& oldPos);
// Button up: true when a drag ended (release the capture, erase the bar at `oldPos`, relayout);
// the position is stored as SV or SH unclamped.
bool SplitterButtonUp(LayoutState& s, int x, int y, int& oldPos);

// The cursor over the main window: busy while an FTP operation runs on this thread (depth non-zero,
// no worker); the splitter cursors over their bands (standard layout, pointer over the window
// itself, last mouse position); else the default.
CursorKind CursorFor(const LayoutState& s, bool overMainWindowItself, int commandDepth, bool workerBusy,
                     bool alternateLayout);

}  // namespace app
