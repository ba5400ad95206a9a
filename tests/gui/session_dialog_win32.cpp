// The session profile dialogs under Wine: fields filled by control id and buttons pressed as a
// user does, then the chosen profile and the settings file checked.
#include "app/session_dialog_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/ini.h"
#include "core/settings.h"
#include "profiles/profile_store.h"
#include "resources/resource.h"
#include "support/dialog_script_win32.h"
#include "support/ports.h"
#include "support/temp_dir.h"

using profiles::CurrentProfile;
using profiles::WorkingProfile;

namespace {

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
void SetText(HWND dialog, int id, const char* text) { SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }
std::string Text(HWND dialog, int id) {
  char buf[256] = "";
  GetDlgItemTextA(dialog, id, buf, sizeof buf);
  return buf;
}
LRESULT Send(HWND dialog, int id, UINT msg, WPARAM w = 0, LPARAM l = 0) { return SendDlgItemMessageA(dialog, id, msg, w, l); }

// Chooses an item of the profile list as a user does: the selection, then its notification.
void ChooseProfile(HWND dialog, const char* name) {
  LRESULT i = Send(dialog, IDC_HOST_PROFILE, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
  ASSERT_NE(i, CB_ERR) << name;
  Send(dialog, IDC_HOST_PROFILE, CB_SETCURSEL, static_cast<WPARAM>(i));
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_HOST_PROFILE, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_HOST_PROFILE)));
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// For a person to look at the dialogs: with MIRVAN_SCREENSHOTS naming a folder (as
// tests/gui/session_dialog_shots sets it), the dialog is painted, "<name>.ready" is made there,
// and the dialog keeps answering messages until the screen has been taken ("<name>.done").
// Without the variable nothing happens.
void OfferScreenshot(HWND window, const char* name) {
  const char* dir = std::getenv("MIRVAN_SCREENSHOTS");
  if (!dir || !*dir) return;
  ShowWindow(window, SW_SHOW);  // the modal loop shows it only once idle, after this script
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  std::string base = std::string(dir) + "\\" + name;
  if (FILE* f = std::fopen((base + ".ready").c_str(), "wb")) std::fclose(f);
  DWORD start = GetTickCount();
  while (!FileExists(base + ".done") && GetTickCount() - start < 60000) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
  }
}

class SessionDialogWine : public ::testing::Test {
 protected:
  void SetUp() override {
    core::App().appInstance = GetModuleHandleA(nullptr);
    core::Settings().Reset();
    core::Settings().mailAddr = "me@home";
    core::Files().settingsFile = dir.Write(
        "MIRVAN.INI",
        "[_config_]\r\nMAILADDR=me@home\r\n[alpha]\r\nHOST=alpha.example.org\r\nUID=anonymous\r\n"
        "[beta]\r\nHOST=beta.example.org\r\nUID=joe\r\nPWD=616365\r\n[gamma]\r\nHOST=gamma.example.org\r\n");
    CurrentProfile() = profiles::SessionProfile();
    CurrentProfile().name = "alpha";
    profiles::LoadSessionProfile(CurrentProfile());
  }
  void TearDown() override {
    core::Settings().Reset();
    CurrentProfile() = WorkingProfile() = profiles::SessionProfile();
  }
  std::string Key(const char* section, const char* key) {
    return core::ini::ReadString(core::Files().settingsFile, section, key, "<absent>");
  }
  testing_support::TempDir dir;
  testing_support::RecordingMessageBox boxes;
  testing_support::RecordingHelp help;
};

TEST_F(SessionDialogWine, FilledAndOkMakesTheProfileCurrentAndAutoSavesIt) {
  testing_support::ScheduleDialogScript("Session Profile", [](HWND d) {
    EXPECT_EQ(Text(d, IDC_HOST_PROFILE), "alpha");
    EXPECT_EQ(Text(d, IDC_HOST_HOSTNAME), "alpha.example.org");
    EXPECT_EQ(Text(d, IDC_HOST_PASSWORD), "me@home");
    EXPECT_EQ(Send(d, IDC_HOST_PASSWORD, EM_GETPASSWORDCHAR), 0) << "an anonymous address shows in clear";
    EXPECT_EQ(Send(d, IDC_HOST_ANONYMOUS, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(Send(d, IDC_HOST_PROFILE, CB_GETCOUNT), 3);
    EXPECT_EQ(Send(d, IDC_HOST_HOSTTYPE, CB_GETCOUNT), 41);
    OfferScreenshot(d, "session_dialog");

    ChooseProfile(d, "beta");
    EXPECT_EQ(Text(d, IDC_HOST_HOSTNAME), "beta.example.org");
    EXPECT_EQ(Text(d, IDC_HOST_PASSWORD), "abc");
    EXPECT_EQ(Send(d, IDC_HOST_PASSWORD, EM_GETPASSWORDCHAR), '*');

    Click(d, IDC_HOST_NEW);
    EXPECT_EQ(Text(d, IDC_HOST_HOSTNAME), "");
    SetText(d, IDC_HOST_PROFILE, "delta");
    SetText(d, IDC_HOST_HOSTNAME, "127.0.0.1");
    SetText(d, IDC_HOST_USER, "sam");
    SetText(d, IDC_HOST_PASSWORD, "pw");
    SetText(d, IDC_HOST_REMOTEDIR, "/pub");
    SetText(d, IDC_HOST_COMMENT, "my test box");
    Click(d, IDC_HOST_SAVEPASSWORD);
    Click(d, IDC_HOST_AUTOSAVE);

    testing_support::ScheduleDialogScript("Advanced Profile Parameters", [](HWND a) {
      EXPECT_EQ(Text(a, IDC_ADV_PORT), "21");
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(a, IDC_ADV_FWHOST)));
      Click(a, IDC_ADV_FIREWALL);
      EXPECT_TRUE(IsWindowEnabled(GetDlgItem(a, IDC_ADV_FWHOST)));
      EXPECT_TRUE(IsWindowEnabled(GetDlgItem(a, IDC_ADV_FWTYPE_USERHOST)));
      OfferScreenshot(a, "advanced_dialog");
      Click(a, IDC_ADV_FIREWALL);
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(a, IDC_ADV_FWHOST)));
      SetText(a, IDC_ADV_PORT, "2121");
      SetText(a, IDC_ADV_RETRIES, "99");
      SetText(a, IDC_ADV_REMOTEMASK, "*.txt");
      Click(a, IDC_ADV_PASSIVE);
      Click(a, IDOK);
    });
    Click(d, IDC_HOST_ADVANCED);
    EXPECT_TRUE(testing_support::DialogScriptRan());
    EXPECT_TRUE(IsWindow(d)) << "the session dialog stays open under the advanced one";
    Click(d, IDOK);
  });
  EXPECT_EQ(app::RunSessionDialog(nullptr), 1);
  EXPECT_TRUE(testing_support::DialogScriptRan());
  EXPECT_TRUE(boxes.shown.empty());

  // The chosen profile is current, with the advanced dialog's values.
  const profiles::SessionProfile& p = CurrentProfile();
  EXPECT_EQ(p.name, "delta");
  EXPECT_EQ(p.host, "127.0.0.1");
  EXPECT_EQ(p.user, "sam");
  EXPECT_EQ(p.password, "pw");
  EXPECT_EQ(p.remoteDir, "/pub");
  EXPECT_EQ(p.port, 2121);
  EXPECT_EQ(p.retries, 40);
  EXPECT_EQ(p.remoteMask, "*.txt");
  EXPECT_EQ(p.passive, 1);
  EXPECT_EQ(p.useFirewall, 0);
  EXPECT_EQ(WorkingProfile().name, "delta");
  EXPECT_EQ(core::Settings().autosave, 1);

  // AUTOSAVE wrote it, and it reads back as chosen.
  EXPECT_EQ(Key("delta", "HOST"), "127.0.0.1");
  EXPECT_EQ(Key("delta", "PWD"), profiles::ScramblePassword("sam", "pw"));
  EXPECT_EQ(Key("delta", "PORT"), "2121");
  EXPECT_EQ(Key("delta", "RETRIES"), "40");
  EXPECT_EQ(Key("delta", "COMMENT"), "my test box");
  profiles::SessionProfile back;
  back.name = "delta";
  profiles::LoadSessionProfile(back);
  EXPECT_EQ(back.host, p.host);
  EXPECT_EQ(back.password, p.password);
  EXPECT_EQ(back.passive, 1);
  EXPECT_EQ(Key("FIREWALL", "HOST"), "<absent>") << "the firewall was left off";
}

TEST_F(SessionDialogWine, SaveDeleteARefusedNameHelpAndTheCloseBox) {
  testing_support::ScheduleDialogScript("Session Profile", [](HWND d) {
    Click(d, IDC_HOST_NEW);
    SetText(d, IDC_HOST_PROFILE, "  epsilon");
    SetText(d, IDC_HOST_HOSTNAME, "epsilon.example.org");
    Click(d, IDC_HOST_SAVE);
    EXPECT_EQ(Send(d, IDC_HOST_PROFILE, CB_GETCOUNT), 4);
    Click(d, IDC_HOST_SAVE);
    EXPECT_EQ(Send(d, IDC_HOST_PROFILE, CB_GETCOUNT), 4) << "saved once in the list";

    ChooseProfile(d, "beta");
    Click(d, IDC_HOST_DELETE);
    EXPECT_EQ(Send(d, IDC_HOST_PROFILE, CB_GETCOUNT), 3);
    EXPECT_EQ(Text(d, IDC_HOST_PROFILE), "epsilon") << "the item now at beta's place";
    EXPECT_EQ(Text(d, IDC_HOST_HOSTNAME), "epsilon.example.org");

    Click(d, IDC_HOST_NEW);
    SetText(d, IDC_HOST_PROFILE, "bad[name]");
    SetText(d, IDC_HOST_HOSTNAME, "h.example.org");
    Click(d, IDC_HOST_SAVE);
    EXPECT_EQ(Send(d, IDC_HOST_PROFILE, CB_GETCOUNT), 3);

    // F1 in a field, then the close box: both through the dialog's own loop.
    PostMessageA(GetDlgItem(d, IDC_HOST_HOSTNAME), WM_KEYDOWN, VK_F1, 0);
    PostMessageA(d, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(app::RunSessionDialog(nullptr), 0);
  EXPECT_TRUE(testing_support::DialogScriptRan());
  EXPECT_EQ(CurrentProfile().name, "alpha");
  EXPECT_EQ(WorkingProfile().name, "alpha");
  EXPECT_EQ(Key("epsilon", "HOST"), "epsilon.example.org");
  EXPECT_EQ(Key("beta", "HOST"), "<absent>");
  EXPECT_EQ(Key("bad[name", "HOST"), "<absent>");
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_NE(boxes.shown[0].text.find("\"[\" or \"]\""), std::string::npos) << boxes.shown[0].text;
  EXPECT_EQ(help.contexts, std::vector<int>{30});
}

TEST_F(SessionDialogWine, AdvancedWritesTheFirewallLoginEvenWhenTheSessionIsCancelled) {
  testing_support::ScheduleDialogScript("Session Profile", [](HWND d) {
    testing_support::ScheduleDialogScript("Advanced Profile Parameters", [](HWND a) {
      Click(a, IDC_ADV_FIREWALL);
      SetText(a, IDC_ADV_FWHOST, "fw.example.org");
      SetText(a, IDC_ADV_FWUSER, "gate");
      SetText(a, IDC_ADV_FWPASSWORD, "pw");
      SetText(a, IDC_ADV_FWPORT, "25");
      Click(a, IDC_ADV_FWSAVEPASSWORD);
      Click(a, IDC_ADV_FWTYPE_USERHOST);
      Click(a, IDC_HELPBUTTON);
      Click(a, IDOK);
    });
    Click(d, IDC_HOST_ADVANCED);
    Click(d, IDCANCEL);
  });
  EXPECT_EQ(app::RunSessionDialog(nullptr), 0);
  EXPECT_EQ(Key("FIREWALL", "HOST"), "fw.example.org");
  EXPECT_EQ(Key("FIREWALL", "UID"), "gate");
  EXPECT_EQ(Key("FIREWALL", "PWD"), profiles::ScramblePassword("gate", "pw"));
  EXPECT_EQ(Key("FIREWALL", "PORT"), "21") << "a firewall port below 28 becomes 21";
  EXPECT_EQ(Key("FIREWALL", "FIRETYPE"), "4");
  EXPECT_EQ(CurrentProfile().useFirewall, 0) << "Cancel keeps the current profile";
  EXPECT_EQ(help.contexts, std::vector<int>{35});
}

}  // namespace
