// The list-editor dialogs under Wine: typed into and pressed as a user does, files checked afterwards.
#include "transfer/list_editors_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "core/app_state.h"
#include "core/settings.h"
#include "support/dialog_script_win32.h"
#include "support/temp_dir.h"

using testing_support::ReadFile;
using testing_support::TempDir;

namespace {

void Click(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string Unix(std::string s) {
  s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
  return s;
}

}  // namespace

TEST(ListEditorDialogs, AsciiExtensionsAddDeleteAndExit) {
  TempDir dir;
  core::App().appInstance = GetModuleHandleA(nullptr);
  core::Files().extensionListFile = dir.Write("MIRVAN.EXT", ".TXT\n.C\n");
  testing_support::ScheduleDialogScript("Auto Detect Extensions", [](HWND d) {
    EXPECT_EQ(SendDlgItemMessageA(d, 955, LB_GETCOUNT, 0, 0), 2);
    SetDlgItemTextA(d, 954, ".html");
    Click(d, 128);
    SetDlgItemTextA(d, 954, ".c");
    Click(d, 945);
    Click(d, IDOK);
  });
  EXPECT_EQ(transfer::EditAsciiExtensions(nullptr), 1);
  EXPECT_TRUE(testing_support::DialogScriptRan());
  EXPECT_EQ(Unix(ReadFile(dir.File("MIRVAN.EXT"))), ".html\n.TXT\n");
}

TEST(ListEditorDialogs, ConversionsCancelLeavesTheFile) {
  TempDir dir;
  core::App().appInstance = GetModuleHandleA(nullptr);
  core::Files().conversionListFile = dir.Write("MIRVAN.CNV", "html=htm\n");
  testing_support::ScheduleDialogScript("Convert Extensions", [](HWND d) {
    char item[64] = "";
    SendDlgItemMessageA(d, 955, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, "html=htm");
    SetDlgItemTextA(d, 954, "jpeg");
    SetDlgItemTextA(d, 956, "jpg");
    Click(d, 128);
    EXPECT_EQ(SendDlgItemMessageA(d, 955, LB_GETCOUNT, 0, 0), 2);
    SendMessageA(d, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(transfer::EditConversions(nullptr), 0);
  EXPECT_TRUE(testing_support::DialogScriptRan());
  EXPECT_EQ(Unix(ReadFile(dir.File("MIRVAN.CNV"))), "html=htm\n");
}
