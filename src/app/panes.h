// The controls of one pane of the main window (local or remote), as the pane commands see them.
#pragma once
#include "ui/controls.h"

namespace app {

// Index of a pane button within its set, in the order the main window lays them out.
enum PaneButton {
  kPaneChgDir = 0,
  kPaneMkDir,
  kPaneRmDir,
  kPaneMask,  // the mask field's slot in the button column (not a button)
  kPaneView,
  kPaneExec,
  kPaneRename,
  kPaneDelete,
  kPaneRefresh,
  kPaneDirInfo,
  kPaneButtonCount
};

struct PaneControls {
  ui::ComboBox* dirField = nullptr;  // the directory field above the lists
  ui::ListBox* dirs = nullptr;       // directory list
  ui::ListBox* files = nullptr;      // file list
  ui::Edit* mask = nullptr;          // file mask field
  ui::Label* progress = nullptr;     // progress label (byte counts of a transfer)
  ui::Button* buttons[kPaneButtonCount] = {};  // kPaneMask stays empty
};

}  // namespace app
