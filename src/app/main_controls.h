// The main window's 43 child controls as data: class, initial text, id, style, help topic and tab
// stop of each, in the order the layout places them. The Win32 shell creates the windows from it.
#pragma once
#include <vector>

namespace app {

enum class ControlClass { kComboBox, kStatic, kScrollBar, kListBox, kButton, kEdit };

// Style description of a control, as bits; the Win32 shell turns each into window styles
// (every control is also a visible child). Tab stop is a separate column of the table.
enum ControlStyle : unsigned {
  kStyleNone = 0,
  kStyleDropDownList = 1u << 0,     // combo: drop-down list (CBS_DROPDOWNLIST)
  kStyleSorted = 1u << 1,           // combo/list: sorted (CBS_SORT / LBS_SORT)
  kStyleVScroll = 1u << 2,          // WS_VSCROLL
  kStyleHScroll = 1u << 3,          // WS_HSCROLL
  kStyleLeftNoWrap = 1u << 4,       // static: left-aligned, no word wrap (SS_LEFTNOWORDWRAP)
  kStyleRight = 1u << 5,            // static: right-aligned (SS_RIGHT)
  kStyleNoPrefix = 1u << 6,         // static: "&" shown literally (SS_NOPREFIX)
  kStyleVertical = 1u << 7,         // scroll bar: vertical (SBS_VERT)
  kStyleExtendedSel = 1u << 8,      // list: extended multiple selection (LBS_EXTENDEDSEL)
  kStyleNotify = 1u << 9,           // list: notify the parent (LBS_NOTIFY)
  kStyleNoIntegralHeight = 1u << 10,  // list: LBS_NOINTEGRALHEIGHT
  kStyleUseTabStops = 1u << 11,     // list: tab stops in item text (LBS_USETABSTOPS)
  kStylePushButton = 1u << 12,      // BS_PUSHBUTTON
  kStyleRadioButton = 1u << 13,     // BS_RADIOBUTTON: the program sets its check
  kStyleCheckBox = 1u << 14,        // BS_CHECKBOX: the program sets its check
  kStyleBorder = 1u << 15,          // WS_BORDER
  kStyleAutoHScroll = 1u << 16,     // edit: ES_AUTOHSCROLL
};

struct ControlSpec {
  ControlClass kind;
  const char* className;  // "COMBOBOX", "STATIC", "SCROLLBAR", "LISTBOX", "BUTTON", "EDIT"
  const char* text;       // initial text
  int id;                 // control id, -1 for none
  unsigned style;         // ControlStyle bits
  int helpContext;        // the topic Ctrl+F1 opens on the control
  bool tabStop;           // in the Tab list (WS_TABSTOP)
};

constexpr int kMainControlCount = 43;

// Indexes into the table.
enum MainControl {
  kCtlLocalDirCombo = 0,
  kCtlRemoteDirCombo = 1,
  kCtlStatusUpper = 2,
  kCtlStatusLower = 3,
  kCtlLocalProgress = 4,
  kCtlRemoteProgress = 5,
  kCtlStatusScroll = 6,
  kCtlLocalDirs = 7,
  kCtlLocalFiles = 8,
  kCtlRemoteDirs = 9,
  kCtlRemoteFiles = 10,
  kCtlUpload = 11,
  kCtlDownload = 12,
  kCtlLocalButtons = 13,   // first of the local set (13-22, in PaneButton order; 16 is the mask)
  kCtlRemoteButtons = 23,  // first of the remote set (23-32; 26 is the mask)
  kCtlModeAscii = 33,
  kCtlModeBinary = 34,
  kCtlModeAuto = 35,
  kCtlConnect = 36,
  kCtlCancel = 37,
  kCtlLogWnd = 38,
  kCtlHelp = 39,
  kCtlOptions = 40,
  kCtlAbout = 41,
  kCtlExit = 42,
};

// The table, kMainControlCount entries in layout order.
const ControlSpec* MainControlTable();

// The table index of a control id, or -1.
int MainControlIndexOfId(int id);

// The style of an entry as created now: the remote file list (10) is sorted when SORTLBX is
// non-zero; every other entry has its table style.
unsigned MainControlStyle(int index, int sortlbx);

// Tab between controls: the position in the Tab list that gets the focus after `current` (the
// previous one when `backwards`), wrapping at both ends and skipping positions whose `usable` is
// false (hidden or disabled). `current` itself when no other position qualifies; -1 when `current`
// is not in the list (such a control ignores Tab).
int NextTabStop(const std::vector<bool>& usable, int current, bool backwards);

}  // namespace app
