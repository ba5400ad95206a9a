// The options dialogs in a real MIRVAN32.exe, driven by control id from this process as a user
// drives them: Options, then Program Options or Session Options, controls changed, Save; then
// the settings file read back and the main window's controls measured against the layout.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/main_controls.h"
#include "app/main_layout.h"
#include "core/ini.h"
#include "ftp/host_type_codes.h"
#include "resources/resource.h"
#include "support/program_win32.h"
#include "support/temp_dir.h"

using testing_support::Program;
using testing_support::SetField;
using testing_support::TempDir;
using testing_support::Text;
using testing_support::WaitFor;

namespace {

// A button press whose handler may run a modal dialog: posted, so this process never waits on it.
void Press(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
// A check box or radio button clicked (its handler returns at once).
void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
bool Checked(HWND dialog, int id) { return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool Gone(HWND h) {
  return WaitFor([&] { return !IsWindow(h) || !IsWindowVisible(h); });
}

// Opens Options from the main window's button and then one of its dialogs.
HWND OpenFromOptions(Program& program, HWND main, int button, const char* title, HWND& hub) {
  PostMessageW(GetDlgItem(main, IDM_OPTIONS), BM_CLICK, 0, 0);
  hub = program.Window("Options");
  if (!hub) return nullptr;
  Press(hub, button);
  return program.Window(title);
}

// Where a control of the main window is, in its client coordinates.
app::Rect Placed(HWND main, int id) {
  RECT r{};
  GetWindowRect(GetDlgItem(main, id), &r);
  MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
  return app::Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::string Describe(const app::Rect& r) {
  return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
         std::to_string(r.height);
}

// The item height a list box takes from a stock font, measured on a list of this process (above
// 96 DPI with the font grown to the screen's DPI, as the program grows it).
LRESULT ItemHeightWith(int stockFont) {
  HWND list = CreateWindowA("LISTBOX", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  HFONT font = static_cast<HFONT>(GetStockObject(stockFont)), made = nullptr;
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (dpi > 96) {
    LOGFONTA lf{};
    GetObjectA(font, sizeof lf, &lf);
    lf.lfHeight = app::ScaleForDpi(lf.lfHeight, dpi, 96);
    lf.lfWidth = app::ScaleForDpi(lf.lfWidth, dpi, 96);
    lf.lfQuality = CLEARTYPE_QUALITY;
    font = made = CreateFontIndirectA(&lf);
  }
  SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  LRESULT h = SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
  DestroyWindow(list);
  if (made) DeleteObject(made);
  return h;
}

class OptionsWine : public ::testing::Test {
 protected:
  std::string Key(const char* section, const char* key) {
    return core::ini::ReadString(ini, section, key, "<absent>");
  }
  TempDir dir;
  std::string ini = dir.Write("opt.ini",
                              "[_config_]\r\nAUTOSTART=0\r\nSESSION=srv\r\nusewave=0\r\nLOC=0,0,720,520\r\n"
                              "[srv]\r\nHOST=srv.example.org\r\n");
  Program program;
};

TEST_F(OptionsWine, ProgramOptionsChangeFontAndLayoutAndTheWindowFollows) {
  ASSERT_TRUE(program.Start("-i " + ini, dir.path()));
  HWND main = program.Window("MIRVAN32");
  ASSERT_NE(main, nullptr);
  HWND hub = nullptr;
  HWND d = OpenFromOptions(program, main, IDC_OPT_PROGRAM, "Program Options", hub);
  ASSERT_NE(d, nullptr) << "the program options did not open";
  HWND localFiles = GetDlgItem(main, IDC_LOCAL_FILES);
  EXPECT_EQ(SendMessageW(localFiles, LB_GETITEMHEIGHT, 0, 0), ItemHeightWith(ANSI_FIXED_FONT));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hub, IDC_OPT_SAVEDIRS))) << "not connected";
  // The opening values: the defaults, VIEWER and logfile from the file's absence.
  EXPECT_TRUE(Checked(d, IDC_PO_FONT_ANSIFIXED));
  EXPECT_EQ(Text(GetDlgItem(d, IDC_PO_VIEWER)), "notepad");
  EXPECT_EQ(Text(GetDlgItem(d, IDC_PO_RBP)), "4096");

  Click(d, IDC_PO_LAYOUT);
  Click(d, IDC_PO_BONTOP);
  Click(d, IDC_PO_FONT_SYSTEM);
  SetField(d, IDC_PO_SBP, L"9000");
  Press(d, IDOK);
  ASSERT_TRUE(Gone(d));

  EXPECT_EQ(Key("_config_", "LAYOUT"), "1");
  EXPECT_EQ(Key("_config_", "BONTOP"), "1");
  EXPECT_EQ(Key("_config_", "FONT"), "0");
  EXPECT_EQ(Key("_config_", "SBP"), "4096");

  // The window is laid out again in the stacked layout with the buttons on top.
  ASSERT_TRUE(WaitFor([&] { return Text(GetDlgItem(main, IDC_UPLOAD)) == "Send"; })) << Text(GetDlgItem(main, IDC_UPLOAD));
  EXPECT_EQ(Text(GetDlgItem(main, IDC_DOWNLOAD)), "Receive");
  RECT client{};
  GetClientRect(main, &client);
  app::LayoutInput in;
  in.width = client.right;
  in.height = client.bottom;
  const LONG units = GetDialogBaseUnits();
  in.bx = LOWORD(units);
  in.by = HIWORD(units);
  in.layout = 1;
  in.bontop = 1;
  const app::MainLayout want = app::ComputeMainLayout(in);
  const int checked[] = {app::kCtlLocalDirs, app::kCtlLocalFiles, app::kCtlRemoteDirs, app::kCtlRemoteFiles,
                         app::kCtlUpload,    app::kCtlDownload,   app::kCtlLocalButtons, app::kCtlRemoteButtons + 9,
                         app::kCtlModeAscii, app::kCtlConnect,    app::kCtlExit};
  for (int index : checked) {
    const app::Rect& r = want.controls[index];
    const app::Rect got = Placed(main, app::MainControlTable()[index].id);
    EXPECT_TRUE(got.x == r.x && got.y == r.y && got.width == r.width && got.height == r.height)
        << "control " << index << " at " << Describe(got) << ", the layout says " << Describe(r);
  }
  EXPECT_EQ(Placed(main, IDM_CONNECT).y, 1) << "general buttons on top";

  // The lists now use the system font (a font handle does not cross processes; the item height
  // a list takes from its font does).
  ASSERT_NE(ItemHeightWith(SYSTEM_FONT), ItemHeightWith(ANSI_FIXED_FONT));
  EXPECT_EQ(SendMessageW(localFiles, LB_GETITEMHEIGHT, 0, 0), ItemHeightWith(SYSTEM_FONT));

  // The focus went to Exit; Save Window Locations stores the window as it stands.
  ASSERT_TRUE(IsWindow(hub));
  Press(hub, IDC_OPT_SAVELOC);
  RECT outer{};
  GetWindowRect(main, &outer);
  const std::string loc = std::to_string(outer.left) + "," + std::to_string(outer.top) + "," +
                          std::to_string(outer.right - outer.left) + "," + std::to_string(outer.bottom - outer.top) + ",";
  EXPECT_TRUE(WaitFor([&] { return Key("_config_", "LOC").compare(0, loc.size(), loc) == 0; }, 5000))
      << Key("_config_", "LOC") << " vs " << loc;
  Press(hub, IDOK);
  ASSERT_TRUE(Gone(hub));
  PostMessageW(GetDlgItem(main, IDM_EXIT), BM_CLICK, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0);
}

TEST_F(OptionsWine, CustomFontIsKeptWhenTheChooserAndTheDialogAreCancelled) {
  ASSERT_TRUE(program.Start("-i " + ini, dir.path()));
  HWND main = program.Window("MIRVAN32");
  ASSERT_NE(main, nullptr);
  HWND hub = nullptr;
  HWND d = OpenFromOptions(program, main, IDC_OPT_PROGRAM, "Program Options", hub);
  ASSERT_NE(d, nullptr);
  Press(d, IDC_PO_FONT_CUSTOM);  // the font chooser opens at once
  HWND chooser = program.Window("Font");
  ASSERT_NE(chooser, nullptr) << "no font chooser";
  PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(Gone(chooser));
  // Stored at once, before the program options close, and kept when they are cancelled.
  EXPECT_TRUE(WaitFor([&] { return Key("_config_", "FONT") == "4"; }, 5000)) << Key("_config_", "FONT");
  EXPECT_EQ(Key("_config_", "FHEIGHT"), "4294967285");  // -11 stored as "%u"
  EXPECT_EQ(Key("_config_", "FWEIGHT"), "400");
  EXPECT_EQ(Key("_config_", "FPITCH"), "49");
  EXPECT_EQ(Key("_config_", "FNAME"), "Courier New");
  EXPECT_TRUE(Checked(d, IDC_PO_FONT_CUSTOM));
  Press(d, IDCANCEL);
  ASSERT_TRUE(Gone(d));
  EXPECT_EQ(Key("_config_", "FONT"), "4");
  EXPECT_EQ(Key("_config_", "LAYOUT"), "<absent>") << "Cancel wrote none of the dialog's keys";
  Press(hub, IDOK);
  ASSERT_TRUE(Gone(hub));
  PostMessageW(GetDlgItem(main, IDM_EXIT), BM_CLICK, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0);
}

TEST_F(OptionsWine, SessionOptionsPassiveModeAndHostTypeGoToTheProfile) {
  ASSERT_TRUE(program.Start("-i " + ini, dir.path()));
  HWND main = program.Window("MIRVAN32");
  ASSERT_NE(main, nullptr);
  HWND hub = nullptr;
  HWND d = OpenFromOptions(program, main, IDC_OPT_SESSION, "Session Options", hub);
  ASSERT_NE(d, nullptr) << "the session options did not open";
  HWND types = GetDlgItem(d, IDC_SO_HOSTTYPE);
  ASSERT_EQ(SendMessageW(types, CB_GETCOUNT, 0, 0), 41);
  EXPECT_EQ(Text(types), "Automatic detect");
  EXPECT_FALSE(Checked(d, IDC_SO_PASSIVE));
  EXPECT_TRUE(Checked(d, IDC_SO_MODERNFTP));

  // The Unix family ("UNIX (standard)"), found as a user finds it: by reading the list.
  const LRESULT n = SendMessageW(types, CB_GETCOUNT, 0, 0);
  LRESULT unix = -1;
  for (LRESULT i = 0; i < n && unix < 0; ++i) {
    wchar_t item[128] = L"";
    SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
    if (wcsncmp(item, L"UNIX", 4) == 0) unix = i;
  }
  ASSERT_GE(unix, 0);
  SendMessageW(types, CB_SETCURSEL, unix, 0);
  Click(d, IDC_SO_PASSIVE);
  SetField(d, IDC_SO_KEEPALIVE, L"120");
  Press(d, IDOK);
  ASSERT_TRUE(Gone(d));

  EXPECT_EQ(Key("srv", "PASVMODE"), "1");
  EXPECT_EQ(Key("srv", "TYPE"), std::to_string(ftp::kHostUnix));
  EXPECT_EQ(Key("srv", "KEEPALIVE"), "120");
  EXPECT_EQ(Key("_config_", "PASVMODE"), "<absent>");

  // Again, and "Save as Default" then Cancel: the defaults change, the profile does not.
  Press(hub, IDC_OPT_SESSION);
  d = program.Window("Session Options");
  ASSERT_NE(d, nullptr);
  EXPECT_TRUE(Checked(d, IDC_SO_PASSIVE)) << "the saved value opens";
  Click(d, IDC_SO_MODE_AUTO);
  Click(d, IDC_SO_SAVEDEFAULT);
  EXPECT_TRUE(IsWindowVisible(d)) << "Save as Default does not close";
  Press(d, IDCANCEL);
  ASSERT_TRUE(Gone(d));
  EXPECT_EQ(Key("_config_", "PASVMODE"), "1");
  EXPECT_EQ(Key("_config_", "AMODE"), "1");
  EXPECT_EQ(Key("_config_", "MODE"), "73");
  EXPECT_EQ(Key("srv", "AMODE"), "0") << "Cancel stored nothing in the profile";

  PostMessageW(hub, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Gone(hub));
  PostMessageW(GetDlgItem(main, IDM_EXIT), BM_CLICK, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0);
}

}  // namespace
