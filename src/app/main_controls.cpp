// The main window's control table.
#include "app/main_controls.h"

#include <cstddef>

#include "resources/resource.h"

namespace app {
namespace {

constexpr unsigned kCombo = kStyleDropDownList | kStyleSorted | kStyleVScroll;
constexpr unsigned kStatusLine = kStyleLeftNoWrap | kStyleNoPrefix;
constexpr unsigned kProgress = kStyleRight | kStyleNoPrefix;
constexpr unsigned kDirList = kStyleExtendedSel | kStyleSorted | kStyleNotify | kStyleNoIntegralHeight | kStyleVScroll;
constexpr unsigned kFileList = kDirList | kStyleUseTabStops | kStyleHScroll;
constexpr unsigned kPush = kStylePushButton;
constexpr unsigned kMask = kStyleBorder | kStyleAutoHScroll;

constexpr ControlClass kC = ControlClass::kComboBox, kS = ControlClass::kStatic, kSb = ControlClass::kScrollBar,
                       kL = ControlClass::kListBox, kB = ControlClass::kButton, kE = ControlClass::kEdit;

const ControlSpec kTable[kMainControlCount] = {
    {kC, "COMBOBOX", "", IDC_LOCAL_DIRCOMBO, kCombo, HLP_STATUS, false},
    {kC, "COMBOBOX", "", IDC_REMOTE_DIRCOMBO, kCombo, HLP_STATUS, false},
    {kS, "STATIC", "", -1, kStatusLine, HLP_STATUS, false},
    {kS, "STATIC", "", -1, kStatusLine, HLP_STATUS, false},
    {kS, "STATIC", "", -1, kProgress, HLP_STATUS, false},
    {kS, "STATIC", "", -1, kProgress, HLP_STATUS, false},
    {kSb, "SCROLLBAR", "", -1, kStyleVertical, HLP_CONTENTS, false},
    {kL, "LISTBOX", "", IDC_LOCAL_DIRS, kDirList, HLP_DIRECTORIES, true},
    {kL, "LISTBOX", "", IDC_LOCAL_FILES, kFileList, HLP_FILES, true},
    {kL, "LISTBOX", "", IDC_REMOTE_DIRS, kDirList, HLP_DIRECTORIES, true},
    {kL, "LISTBOX", "", IDC_REMOTE_FILES, kFileList & ~kStyleSorted, HLP_FILES, true},
    {kB, "BUTTON", "-->", IDC_UPLOAD, kPush, HLP_FILES, true},
    {kB, "BUTTON", "<--", IDC_DOWNLOAD, kPush, HLP_FILES, true},
    {kB, "BUTTON", "ChgDir", IDC_LOCAL_CHGDIR, kPush, HLP_DIRECTORIES, true},
    {kB, "BUTTON", "MkDir", IDC_LOCAL_MKDIR, kPush, HLP_DIRECTORIES, true},
    {kB, "BUTTON", "RmDir", IDC_LOCAL_RMDIR, kPush, HLP_DIRECTORIES, true},
    {kE, "EDIT", "*.*", IDC_LOCAL_MASK, kMask, HLP_DIRECTORIES, true},
    {kB, "BUTTON", "View", IDC_LOCAL_VIEW, kPush, HLP_VIEW, true},
    {kB, "BUTTON", "Exec", IDC_LOCAL_EXEC, kPush, HLP_DIRECTORIES, true},
    {kB, "BUTTON", "Rename", IDC_LOCAL_RENAME, kPush, HLP_DIRECTORIES, true},
    {kB, "BUTTON", "Delete", IDC_LOCAL_DELETE, kPush, HLP_DIRECTORIES, true},
    {kB, "BUTTON", "Refresh", IDC_LOCAL_REFRESH, kPush, HLP_DIRECTORIES, true},
    {kB, "BUTTON", "DirInfo", IDC_LOCAL_DIRINFO, kPush, HLP_DIRECTORIES, true},
    {kB, "BUTTON", "ChgDir", IDC_REMOTE_CHGDIR, kPush, HLP_DIRECTORIES, true},
    {kB, "BUTTON", "MkDir", IDC_REMOTE_MKDIR, kPush, HLP_DIRECTORIES, true},
    {kB, "BUTTON", "RmDir", IDC_REMOTE_RMDIR, kPush, HLP_DIRECTORIES, true},
    {kE, "EDIT", "", IDC_REMOTE_MASK, kMask, HLP_DIRECTORIES, true},
    {kB, "BUTTON", "View", IDC_REMOTE_VIEW, kPush, HLP_VIEW, true},
    {kB, "BUTTON", "Exec", IDC_REMOTE_EXEC, kPush, HLP_DIRECTORIES, true},
    {kB, "BUTTON", "Rename", IDC_REMOTE_RENAME, kPush, HLP_DIRECTORIES, true},
    {kB, "BUTTON", "Delete", IDC_REMOTE_DELETE, kPush, HLP_DIRECTORIES, true},
    {kB, "BUTTON", "Refresh", IDC_REMOTE_REFRESH, kPush, HLP_DIRECTORIES, true},
    {kB, "BUTTON", "DirInfo", IDC_REMOTE_DIRINFO, kPush, HLP_DIRECTORIES, true},
    {kB, "BUTTON", "ASCII", IDC_MODE_ASCII, kStyleRadioButton, HLP_TRANSFER_MODE, false},
    {kB, "BUTTON", "Binary", IDC_MODE_BINARY, kStyleRadioButton, HLP_TRANSFER_MODE, false},
    {kB, "BUTTON", "Auto", IDC_MODE_AUTO, kStyleCheckBox, HLP_TRANSFER_MODE, false},
    {kB, "BUTTON", "&Connect", IDM_CONNECT, kPush, HLP_CONNECT, true},
    {kB, "BUTTON", "Ca&ncel", IDM_CANCEL, kPush, HLP_CONTENTS, true},
    {kB, "BUTTON", "&LogWnd", IDM_LOGWND, kPush, HLP_VIEW, true},
    {kB, "BUTTON", "&Help", IDM_HELP, kPush, HLP_CONTENTS, true},
    {kB, "BUTTON", "&Options", IDM_OPTIONS, kPush, HLP_OPTIONS, true},
    {kB, "BUTTON", "&About", IDM_ABOUT, kPush, HLP_CONTENTS, true},
    {kB, "BUTTON", "E&xit", IDM_EXIT, kPush, HLP_CONTENTS, true},
};

}  // namespace

const ControlSpec* MainControlTable() { return kTable; }

int MainControlIndexOfId(int id) {
  if (id == -1) return -1;
  for (int i = 0; i < kMainControlCount; ++i)
    if (kTable[i].id == id) return i;
  return -1;
}

unsigned MainControlStyle(int index, int sortlbx) {
  if (index < 0 || index >= kMainControlCount) return kStyleNone;
  unsigned style = kTable[index].style;
  if (index == kCtlRemoteFiles && sortlbx) style |= kStyleSorted;
  return style;
}

int NextTabStop(const std::vector<bool>& usable, int current, bool backwards) {
  const int n = static_cast<int>(usable.size());
  if (current < 0 || current >= n) return -1;
  for (int step = 1; step < n; ++step) {
    int j = ((backwards ? current - step : current + step) % n + n) % n;
    if (usable[static_cast<std::size_t>(j)]) return j;
  }
  return current;
}

}  // namespace app
