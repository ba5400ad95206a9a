// The associations dialog as a user works it: opened from the "FTP Menu" entry, an extension and
// a program typed and saved, the saved entry picked from the list and changed, and Cancel (or OK
// with a field left empty) saving nothing. The store is the user profile's [Extensions] section.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "support/program_win32.h"
#include "support/temp_dir.h"

using namespace testing_support;

namespace {

constexpr const char* kExt = "zq7";  // an extension nobody else uses

std::string Stored() {
  char value[300] = "";
  GetProfileStringA("Extensions", kExt, "", value, sizeof value);
  return value;
}

std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> items;
  const LRESULT n = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    const LRESULT len = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
    std::wstring w(static_cast<size_t>(len > 0 ? len : 0) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&w[0]));
    w.resize(static_cast<size_t>(len > 0 ? len : 0));
    items.push_back(Narrow(w));
  }
  return items;
}

// Opens the dialog from the popup menu's "&Associate..." (command 1601).
HWND OpenAssociate(Program& program, HWND main) {
  PostMessageW(main, WM_COMMAND, IDM_POPUP_ASSOCIATE, 0);
  return program.Window("Associate", 10000);
}

// Fills the two fields and presses a button; waits for the dialog to close.
void Answer(Program& program, HWND dialog, const std::string& ext, const std::string& command, int button) {
  SetField(dialog, IDC_ASSOC_EXT, std::wstring(ext.begin(), ext.end()).c_str());
  SetField(dialog, IDC_ASSOC_COMMAND, std::wstring(command.begin(), command.end()).c_str());
  Click(dialog, button);
  EXPECT_TRUE(WaitFor([&] { return !program.Window("Associate", 0); }, 10000));
}

struct CleanStore {
  CleanStore() { WriteProfileStringA("Extensions", kExt, nullptr); }
  ~CleanStore() { WriteProfileStringA("Extensions", kExt, nullptr); }
};

TEST(AssociateDialogWine, SavesAndChangesAnAssociation) {
  CleanStore clean;
  TempDir dir;
  std::string ini = dir.Write("assoc.ini", "[_config_]\r\nAUTOSTART=0\r\nusewave=0\r\nLOC=0,0,720,520\r\n");
  Program program;
  ASSERT_TRUE(program.Start("-i " + ini, dir.path()));
  HWND main = program.Window("MIRVAN32");
  ASSERT_NE(main, nullptr);

  // A new association: the command gets " ^." and the extension.
  HWND dialog = OpenAssociate(program, main);
  ASSERT_NE(dialog, nullptr) << "the associations dialog did not open";
  EXPECT_EQ(Text(Child(dialog, IDC_ASSOC_EXT)), "");
  Answer(program, dialog, kExt, "C:\\Tools\\Viewer.exe", IDOK);
  EXPECT_EQ(Stored(), "C:\\Tools\\Viewer.exe ^.zq7");

  // Opened again: the extension is in the list, the program in the other; choosing the
  // extension shows its entry, which is then changed.
  dialog = OpenAssociate(program, main);
  ASSERT_NE(dialog, nullptr);
  HWND ext = Child(dialog, IDC_ASSOC_EXT), command = Child(dialog, IDC_ASSOC_COMMAND);
  std::vector<std::string> exts = ComboItems(ext);
  auto at = std::find(exts.begin(), exts.end(), kExt);
  ASSERT_NE(at, exts.end()) << Join(exts);
  std::vector<std::string> programs = ComboItems(command);
  EXPECT_NE(std::find(programs.begin(), programs.end(), "c:\\tools\\viewer.exe"), programs.end()) << Join(programs);
  SendMessageW(ext, CB_SETCURSEL, static_cast<WPARAM>(at - exts.begin()), 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_ASSOC_EXT, CBN_SELCHANGE), reinterpret_cast<LPARAM>(ext));
  EXPECT_EQ(Text(command), "C:\\Tools\\Viewer.exe ^.zq7");
  // A command with "^" for another extension is made to name this one.
  Answer(program, dialog, kExt, "c:\\tools\\other.exe ^.txt", IDOK);
  EXPECT_EQ(Stored(), "c:\\tools\\other.exe ^.zq7");

  // Typing the extension and leaving the field shows its entry; the Help button shows the
  // dialog's topic. Cancel then saves nothing.
  dialog = OpenAssociate(program, main);
  ASSERT_NE(dialog, nullptr);
  ext = Child(dialog, IDC_ASSOC_EXT);
  command = Child(dialog, IDC_ASSOC_COMMAND);
  SetField(dialog, IDC_ASSOC_COMMAND, L"c:\\typed.exe");
  for (const char* c = kExt; *c; ++c) PostMessageW(GetWindow(ext, GW_CHILD), WM_CHAR, static_cast<WPARAM>(*c), 1);
  EXPECT_TRUE(WaitFor([&] { return Text(ext) == kExt; }, 5000)) << Text(ext);
  Click(dialog, IDC_HELPBUTTON);
  EXPECT_NE(program.Window("MIRVAN32 Help - File associations", 10000), nullptr);
  EXPECT_TRUE(WaitFor([&] { return Text(command) == "c:\\tools\\other.exe ^.zq7"; }, 5000)) << Text(command);
  Answer(program, dialog, kExt, "c:\\x.exe", IDCANCEL);
  EXPECT_EQ(Stored(), "c:\\tools\\other.exe ^.zq7");
  // OK with the command left empty is Cancel.
  dialog = OpenAssociate(program, main);
  ASSERT_NE(dialog, nullptr);
  Answer(program, dialog, kExt, "", IDOK);
  EXPECT_EQ(Stored(), "c:\\tools\\other.exe ^.zq7");

  Click(main, IDM_EXIT);
  EXPECT_EQ(program.ExitCode(), 0);
}

}  // namespace
