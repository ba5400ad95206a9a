// The list-editor dialogs under Wine: typed into and pressed as a user does, files checked afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "core/app_state.h"
#include "core/settings.h"
#include "support/temp_dir.h"
#include "transfer/list_editors_win32.h"

using testing_support::ReadFile;
using testing_support::TempDir;

namespace {

// Each step runs on a timer tick inside the dialog's modal loop.
struct Script {
  const char* title;
  void (*steps)(HWND dialog);
  bool ran = false;
} script;

void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = FindWindowA(nullptr, script.title);
  if (!dialog || script.ran) return;
  script.ran = true;
  KillTimer(nullptr, id);
  script.steps(dialog);
}

void Click(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))); }

std::string Unix(std::string s) {
  s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
  return s;
}

}  // namespace

TEST(ListEditorDialogs, AsciiExtensionsAddDeleteAndExit) {
  TempDir dir;
  core::App().appInstance = GetModuleHandleA(nullptr);
  core::Files().extensionListFile = dir.Write("MIRVAN.EXT", ".TXT\n.C\n");
  script = Script{"Auto Detect Extensions", [](HWND d) {
                    EXPECT_EQ(SendDlgItemMessageA(d, 955, LB_GETCOUNT, 0, 0), 2);
                    SetDlgItemTextA(d, 954, ".html");
                    Click(d, 128);
                    SetDlgItemTextA(d, 954, ".c");
                    Click(d, 945);
                    Click(d, IDOK);
                  }};
  SetTimer(nullptr, 0, 50, Tick);
  EXPECT_EQ(transfer::EditAsciiExtensions(nullptr), 1);
  EXPECT_TRUE(script.ran);
  EXPECT_EQ(Unix(ReadFile(dir.File("MIRVAN.EXT"))), ".html\n.TXT\n");
}

TEST(ListEditorDialogs, ConversionsCancelLeavesTheFile) {
  TempDir dir;
  core::App().appInstance = GetModuleHandleA(nullptr);
  core::Files().conversionListFile = dir.Write("MIRVAN.CNV", "html=htm\n");
  script = Script{"Convert Extensions", [](HWND d) {
                    char item[64] = "";
                    SendDlgItemMessageA(d, 955, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(item));
                    EXPECT_STREQ(item, "html=htm");
                    SetDlgItemTextA(d, 954, "jpeg");
                    SetDlgItemTextA(d, 956, "jpg");
                    Click(d, 128);
                    EXPECT_EQ(SendDlgItemMessageA(d, 955, LB_GETCOUNT, 0, 0), 2);
                    SendMessageA(d, WM_CLOSE, 0, 0);
                  }};
  SetTimer(nullptr, 0, 50, Tick);
  EXPECT_EQ(transfer::EditConversions(nullptr), 0);
  EXPECT_TRUE(script.ran);
  EXPECT_EQ(Unix(ReadFile(dir.File("MIRVAN.CNV"))), "html=htm\n");
}
