// The options dialogs' logic on in-memory controls, against a real settings file: what each
// dialog shows on opening, the order and form in which Save writes, the clamps, "Save as
// Default", and the hub's two savers.
#include "app/options_dialog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/ini.h"
#include "core/message_log.h"
#include "core/settings.h"
#include "ftp/control.h"
#include "ftp/host_type_codes.h"
#include "ftp/host_types.h"
#include "listing/dir_list.h"
#include "platform/fs.h"
#include "profiles/session_profile.h"
#include "support/fake_main_window.h"
#include "support/ports.h"
#include "support/temp_dir.h"

namespace {

namespace ini = core::ini;
using profiles::CurrentProfile;

// The keys of a section in the order the file holds them.
std::vector<std::string> KeysOf(const std::string& file, const std::string& section) {
  std::vector<std::string> keys;
  std::string text = testing_support::ReadFile(file);
  bool in = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      in = line == "[" + section + "]";
      continue;
    }
    size_t eq = line.find('=');
    if (in && eq != std::string::npos) keys.push_back(line.substr(0, eq));
  }
  return keys;
}

struct ProgramForm {
  ui::MemoryButton layout, bontop, longdir, autosave, vrfydel, autostart, verbose, doLog, dblclk[3], rateBits,
      rateBytes, font[5], scale;
  ui::MemoryEdit viewer, mailAddr, logFile, rbp, sbp;
  app::ProgramOptionsDialog dialog{app::ProgramOptionsControls{
      &layout, &bontop, &longdir, &autosave, &vrfydel, &autostart, &verbose, &viewer, &mailAddr, &logFile, &doLog,
      {&dblclk[0], &dblclk[1], &dblclk[2]}, &rateBits, &rateBytes, &rbp, &sbp,
      {&font[0], &font[1], &font[2], &font[3], &font[4]}, &scale}};
};

struct SessionForm {
  ui::MemoryComboBox hostType{true};
  ui::MemoryButton doupdate, hash, passive, sortlbx, firewall, forclow, convext, stou, recu, prompt, sound[3], mode[4],
      linksAsDirs, linksAsFiles, modernFtp, resume;
  ui::MemoryEdit keepAlive;
  app::SessionOptionsDialog dialog{app::SessionOptionsControls{
      &hostType, &doupdate, &hash, &passive, &sortlbx, &firewall, &forclow, &convext, &stou, &recu, &prompt,
      {&sound[0], &sound[1], &sound[2]}, {&mode[0], &mode[1], &mode[2], &mode[3]}, &linksAsDirs, &linksAsFiles,
      &modernFtp, &resume, &keepAlive}};
  // Clicks a radio button of a group: it checked, the others not.
  template <size_t N>
  static void Pick(ui::MemoryButton (&group)[N], int index) {
    for (size_t i = 0; i < N; ++i) group[i].SetChecked(static_cast<int>(i) == index);
  }
  void ChooseHostType(int code) {
    for (int i = 0; i < hostType.Count(); ++i)
      if (hostType.ItemText(i) == ftp::HostTypeName(code)) hostType.SetCurSel(i);
  }
};

class OptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    core::Settings().Reset();
    core::ResetMessageLog();
    ftp::Conn().Reset();
    file = dir.File("MIRVAN.INI");
    core::Files().settingsFile = file;
    CurrentProfile() = profiles::SessionProfile();
    CurrentProfile().name = "srv";
  }
  void TearDown() override {
    core::Settings().Reset();
    CurrentProfile() = profiles::SessionProfile();
    ftp::Conn().Reset();
    core::Files().settingsFile.clear();
  }
  void Write(const std::string& text) { dir.Write("MIRVAN.INI", text); }
  std::string Key(const std::string& section, const std::string& key) {
    return ini::ReadString(file, section, key, "<absent>");
  }
  testing_support::TempDir dir;
  std::string file;
};

// ---- program options ---------------------------------------------------------------------------

TEST_F(OptionsTest, ProgramOptionsOpenFromMemoryAndTheThreeKeysReadAtOpening) {
  Write("[_config_]\r\nVIEWER=\"  my viewer.exe \"\r\ndolog=0\r\nlogfile=C:\\logs\\ftp.log\r\nLAYOUT=0\r\n");
  core::ProgramSettings& s = core::Settings();
  s.layout = 1;  // memory, not the file, gives the check boxes
  s.rbp = -1;    // shown as the unsigned number
  s.font = 7;    // not a kind: shown as ANSI Fixed
  s.dblclk = 5;  // neither Transfer nor View: Nothing
  s.tranrate = 1;
  s.mailAddr = "me@home";
  ProgramForm f;
  f.dialog.Open();
  EXPECT_TRUE(f.layout.IsChecked());
  EXPECT_EQ(f.viewer.Text(), "  my viewer.exe ");
  EXPECT_FALSE(f.doLog.IsChecked());
  EXPECT_EQ(f.logFile.Text(), "C:\\logs\\ftp.log");
  EXPECT_EQ(f.mailAddr.Text(), "me@home");
  EXPECT_EQ(f.rbp.Text(), "4294967295");
  EXPECT_EQ(f.sbp.Text(), "512");
  EXPECT_TRUE(f.font[3].IsChecked());
  EXPECT_TRUE(f.dblclk[2].IsChecked());
  EXPECT_TRUE(f.rateBytes.IsChecked());
  EXPECT_FALSE(f.rateBits.IsChecked());

  // Without the keys: the defaults.
  Write("");
  ProgramForm g;
  g.dialog.Open();
  EXPECT_EQ(g.viewer.Text(), "notepad");
  EXPECT_TRUE(g.doLog.IsChecked());
  EXPECT_EQ(g.logFile.Text(), "MIRVAN.LOG");
}

TEST_F(OptionsTest, ProgramOptionsSaveWritesEveryKeyInOrderAndReportsWhatChanged) {
  Write("[_config_]\r\nSESSION=srv\r\n");
  ProgramForm f;
  f.dialog.Open();
  f.bontop.SetChecked(true);
  f.verbose.SetChecked(true);
  f.viewer.SetText(" edit.exe");  // a leading blank survives the round trip
  f.mailAddr.SetText("sam@example.org");
  SessionForm::Pick(f.font, 2);
  SessionForm::Pick(f.dblclk, 1);
  f.rateBytes.SetChecked(true);
  f.rateBits.SetChecked(false);
  f.rbp.SetText("2048");
  f.sbp.SetText("1024");
  f.doLog.SetChecked(false);
  f.logFile.SetText("transfers.log");
  app::ProgramOptionsChange change = f.dialog.Save();
  EXPECT_TRUE(change.layout);
  EXPECT_TRUE(change.font);

  EXPECT_EQ(KeysOf(file, "_config_"),
            (std::vector<std::string>{"SESSION", "LAYOUT", "BONTOP", "LONGDIR", "AUTOSAVE", "VRFYDEL", "AUTOSTART",
                                      "VERBOSE", "VIEWER", "MAILADDR", "FONT", "SCALE", "DBLCLK", "RBP", "SBP",
                                      "dolog", "tranrate", "logfile"}));
  EXPECT_EQ(Key("_config_", "BONTOP"), "1");
  EXPECT_EQ(core::ReadConfigString("VIEWER", ""), " edit.exe");
  EXPECT_EQ(Key("_config_", "FONT"), "2");
  EXPECT_EQ(Key("_config_", "DBLCLK"), "1");
  EXPECT_EQ(Key("_config_", "dolog"), "0");
  EXPECT_EQ(Key("_config_", "tranrate"), "1");
  EXPECT_EQ(Key("_config_", "logfile"), "transfers.log");
  const core::ProgramSettings& s = core::Settings();
  EXPECT_EQ(s.bontop, 1);
  EXPECT_EQ(s.verbose, 1);
  EXPECT_EQ(s.mailAddr, "sam@example.org");
  EXPECT_EQ(s.font, 2);
  EXPECT_EQ(s.dblclk, 1);
  EXPECT_EQ(s.tranrate, 1);
  EXPECT_EQ(s.rbp, 2048);
  EXPECT_EQ(s.sbp, 1024);

  // Saved again unchanged: nothing for the main window to follow.
  ProgramForm g;
  g.dialog.Open();
  change = g.dialog.Save();
  EXPECT_FALSE(change.layout);
  EXPECT_FALSE(change.font);
}

TEST_F(OptionsTest, BlockSizesAreLimitedTo80Through4096) {
  struct Case {
    const char *rbp, *sbp;
    int wantRbp, wantSbp;
  } cases[] = {
      {"50", "9000", 80, 4096},       {"80", "4096", 80, 4096},  {"79", "4097", 80, 4096},
      {" 1000 ", "512", 1000, 512},   {"abc", "", 80, 80},       {"-5", "12x", 80, 80},
      {"99999999999", "0", 4096, 80},
  };
  for (const Case& c : cases) {
    ProgramForm f;
    f.dialog.Open();
    f.rbp.SetText(c.rbp);
    f.sbp.SetText(c.sbp);
    f.dialog.Save();
    EXPECT_EQ(core::Settings().rbp, c.wantRbp) << c.rbp;
    EXPECT_EQ(core::Settings().sbp, c.wantSbp) << c.sbp;
    EXPECT_EQ(Key("_config_", "RBP"), std::to_string(c.wantRbp)) << c.rbp;
    EXPECT_EQ(Key("_config_", "SBP"), std::to_string(c.wantSbp)) << c.sbp;
  }
}

// ---- session options ---------------------------------------------------------------------------

TEST_F(OptionsTest, SessionOptionsOpenFromMemoryAndTheCurrentProfile) {
  struct Case {
    int bell, usewave, mode, amode, vlink;
    int sound, modeButton;  // the radio buttons that show
    bool linksAsDirs;
  } cases[] = {
      {1, 1, 'I', 0, 1, 2, 1, true},   // Wave, Binary
      {1, 0, 'A', 0, 0, 1, 0, false},  // Beeps, ASCII
      {0, 1, 'L', 0, 1, 0, 2, true},   // None (usewave alone is no sound), L8
      {1, 1, 'A', 1, 2, 2, 3, false},  // Auto Detect wins over the mode character; VLINK 2 is "as files"
      {1, 1, 'X', 0, 1, 2, 1, true},   // an unknown mode character shows Binary
  };
  for (const Case& c : cases) {
    core::ProgramSettings& s = core::Settings();
    s.bell = c.bell;
    s.usewave = c.usewave;
    s.mode = c.mode;
    s.amode = c.amode;
    s.vlink = c.vlink;
    s.keepalive = 30;
    CurrentProfile().passive = 1;
    CurrentProfile().hostType = ftp::kHostUnix;
    SessionForm f;
    f.dialog.Open();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(f.sound[i].IsChecked(), i == c.sound) << c.bell << c.usewave;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(f.mode[i].IsChecked(), i == c.modeButton) << c.mode << c.amode;
    EXPECT_EQ(f.linksAsDirs.IsChecked(), c.linksAsDirs);
    EXPECT_NE(f.linksAsFiles.IsChecked(), c.linksAsDirs);
    EXPECT_TRUE(f.passive.IsChecked());
    EXPECT_TRUE(f.modernFtp.IsChecked());
    EXPECT_FALSE(f.resume.IsChecked());
    EXPECT_EQ(f.keepAlive.Text(), "30");
    EXPECT_EQ(f.hostType.Count(), 41);
    EXPECT_EQ(f.hostType.ItemText(f.hostType.CurSel()), ftp::HostTypeName(ftp::kHostUnix));
  }
}

TEST_F(OptionsTest, SessionOptionsSaveWritesTheProfileSectionInOrder) {
  // "_config_" holds none of the keys, so every one is written into the profile's section.
  Write("[srv]\r\nHOST=srv.example.org\r\n");
  SessionForm f;
  f.dialog.Open();
  f.passive.SetChecked(true);
  f.stou.SetChecked(true);
  f.sortlbx.SetChecked(true);
  f.firewall.SetChecked(true);
  SessionForm::Pick(f.sound, 1);  // Beeps
  SessionForm::Pick(f.mode, 2);   // L8
  f.linksAsFiles.SetChecked(true);
  f.linksAsDirs.SetChecked(false);
  f.ChooseHostType(ftp::kHostMicrosoftNt);
  f.modernFtp.SetChecked(false);
  f.resume.SetChecked(true);
  f.keepAlive.SetText("99999");
  app::SessionOptionsChange change = f.dialog.Save();
  EXPECT_TRUE(change.sortlbx);
  EXPECT_TRUE(change.hostType);

  EXPECT_EQ(KeysOf(file, "srv"),
            (std::vector<std::string>{"HOST", "STOU", "RECU", "PASVMODE", "DOUPDATE", "HASH", "PROMPT", "FORCLOW",
                                      "CONVEXT", "BELL", "usewave", "AMODE", "MODE", "SORTLBX", "VLINK", "TYPE",
                                      "FIREWALL", "MODERNFTP", "RESUME", "KEEPALIVE"}));
  EXPECT_EQ(Key("srv", "PASVMODE"), "1");
  EXPECT_EQ(Key("srv", "BELL"), "1");
  EXPECT_EQ(Key("srv", "usewave"), "0");
  EXPECT_EQ(Key("srv", "AMODE"), "0");
  EXPECT_EQ(Key("srv", "MODE"), "76");
  EXPECT_EQ(Key("srv", "VLINK"), "0");
  EXPECT_EQ(Key("srv", "TYPE"), "6016");
  EXPECT_EQ(Key("srv", "FIREWALL"), "1");
  EXPECT_EQ(Key("srv", "MODERNFTP"), "0");
  EXPECT_EQ(Key("srv", "RESUME"), "1");
  EXPECT_EQ(Key("srv", "KEEPALIVE"), "3600");
  EXPECT_EQ(Key("_config_", "PASVMODE"), "<absent>");
  const core::ProgramSettings& s = core::Settings();
  EXPECT_EQ(CurrentProfile().passive, 1);
  EXPECT_EQ(CurrentProfile().useFirewall, 1);
  EXPECT_EQ(CurrentProfile().hostType, ftp::kHostMicrosoftNt);
  EXPECT_EQ(s.mode, 'L');
  EXPECT_EQ(s.bell, 1);
  EXPECT_EQ(s.usewave, 0);
  EXPECT_EQ(s.sortlbx, 1);
  EXPECT_EQ(s.modernftp, 0);
  EXPECT_EQ(s.resume, 1);
  EXPECT_EQ(s.keepalive, 3600);
}

TEST_F(OptionsTest, SessionOptionsSaveRemovesWhatEqualsTheDefaultsButAlwaysWritesType) {
  // Beeps equals the defaults here, so BELL and usewave leave the profile's section; the host
  // type is written even when it is automatic.
  Write("[_config_]\r\nBELL=1\r\nusewave=0\r\nKEEPALIVE=0\r\n[srv]\r\nBELL=0\r\nusewave=1\r\nKEEPALIVE=60\r\n");
  core::Settings().mode = 'L';
  SessionForm f;
  f.dialog.Open();
  SessionForm::Pick(f.sound, 1);
  SessionForm::Pick(f.mode, 3);  // Auto Detect: the mode character stays
  f.keepAlive.SetText("not a number");
  app::SessionOptionsChange change = f.dialog.Save();
  EXPECT_FALSE(change.hostType);
  EXPECT_FALSE(change.sortlbx);
  EXPECT_EQ(Key("srv", "BELL"), "<absent>");
  EXPECT_EQ(Key("srv", "usewave"), "<absent>");
  EXPECT_EQ(Key("srv", "KEEPALIVE"), "<absent>");
  EXPECT_EQ(Key("srv", "TYPE"), "6000");
  EXPECT_EQ(Key("srv", "AMODE"), "1");
  EXPECT_EQ(Key("srv", "MODE"), "76");
  EXPECT_EQ(core::Settings().amode, 1);
  EXPECT_EQ(core::Settings().mode, 'L');
  EXPECT_EQ(core::Settings().keepalive, 0);
}

TEST_F(OptionsTest, SaveAsDefaultWritesConfigAndNeitherTheProfileNorMemory) {
  Write("[_config_]\r\nSESSION=srv\r\n[srv]\r\nHOST=srv.example.org\r\n");
  core::Settings().mode = 'L';
  SessionForm f;
  f.dialog.Open();
  f.passive.SetChecked(true);
  f.firewall.SetChecked(true);
  SessionForm::Pick(f.sound, 0);
  SessionForm::Pick(f.mode, 3);
  f.resume.SetChecked(true);
  f.keepAlive.SetText("45");
  f.ChooseHostType(ftp::kHostUnix);
  f.dialog.SaveAsDefault();

  EXPECT_EQ(KeysOf(file, "_config_"),
            (std::vector<std::string>{"SESSION", "FIREWALL", "PASVMODE", "DOUPDATE", "HASH", "STOU", "RECU", "PROMPT",
                                      "FORCLOW", "CONVEXT", "BELL", "usewave", "AMODE", "MODE", "SORTLBX", "VLINK",
                                      "MODERNFTP", "RESUME", "KEEPALIVE"}));
  EXPECT_EQ(Key("_config_", "PASVMODE"), "1");
  EXPECT_EQ(Key("_config_", "FIREWALL"), "1");
  EXPECT_EQ(Key("_config_", "BELL"), "0");
  EXPECT_EQ(Key("_config_", "usewave"), "0");
  EXPECT_EQ(Key("_config_", "AMODE"), "1");
  EXPECT_EQ(Key("_config_", "MODE"), "73") << "Auto Detect stores Binary as the default character";
  EXPECT_EQ(Key("_config_", "RESUME"), "1");
  EXPECT_EQ(Key("_config_", "KEEPALIVE"), "45");
  EXPECT_EQ(KeysOf(file, "srv"), std::vector<std::string>{"HOST"}) << "the profile's section is untouched";
  EXPECT_EQ(Key("_config_", "TYPE"), "<absent>");
  EXPECT_EQ(CurrentProfile().passive, 0);
  EXPECT_EQ(CurrentProfile().hostType, ftp::kHostAutomatic);
  EXPECT_EQ(core::Settings().amode, 0);
  EXPECT_EQ(core::Settings().mode, 'L');
  EXPECT_EQ(core::Settings().resume, 0);
}

TEST_F(OptionsTest, SessionOptionsWithoutAProfileChangeMemoryOnly) {
  Write("[_config_]\r\nSESSION=\r\n");
  CurrentProfile().name.clear();
  SessionForm f;
  f.dialog.Open();
  f.passive.SetChecked(true);
  f.ChooseHostType(ftp::kHostUnix);
  f.dialog.Save();
  EXPECT_EQ(CurrentProfile().passive, 1);
  EXPECT_EQ(CurrentProfile().hostType, ftp::kHostUnix);
  EXPECT_EQ(ini::SectionNames(file), std::vector<std::string>{"_config_"});
}

TEST_F(OptionsTest, AChangedHostTypeParsesTheShownListingAgain) {
  testing_support::FakeMainWindow win;
  app::AttachRemotePane(win.state);
  listing::LookUpListing("/pub");
  const std::string listingFile = listing::CurrentListingFile();
  ASSERT_FALSE(listingFile.empty());
  {
    std::FILE* out = std::fopen(listingFile.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fputs("total 1\r\n-rw-r--r--   1 ftp  ftp        23 Jan  1  2020 hello.txt\r\n"
               "drwxr-xr-x   2 ftp  ftp      4096 Jan  1  2020 docs\r\n", out);
    std::fclose(out);
  }
  win.remoteFiles.AddString("stale");
  CurrentProfile().hostType = ftp::kHostUnix;

  // Not connected: nothing is parsed.
  app::ApplySessionOptionsChange(win.state, app::SessionOptionsChange{false, true});
  EXPECT_EQ(win.remoteFiles.Text(0), "stale");

  ftp::Conn().connected = 1;
  app::ApplySessionOptionsChange(win.state, app::SessionOptionsChange{false, true});
  ASSERT_EQ(win.remoteFiles.Count(), 1);
  EXPECT_EQ(win.remoteFiles.Text(0).substr(0, 9), "hello.txt");
  EXPECT_EQ(win.remoteDirs.FindExact("docs") >= 0, true);

  // While a listing holds the busy flag, the list it fills is neither destroyed nor refilled.
  {
    core::BusyScope busy;
    ASSERT_TRUE(busy.taken());
    win.remoteFiles.AddString("being filled");
    app::ApplySessionOptionsChange(win.state, app::SessionOptionsChange{true, true});
    EXPECT_EQ(win.host.remoteListRecreated, 0);
    EXPECT_EQ(win.remoteFiles.Count(), 2);
  }
  win.remoteFiles.Clear();
  app::ApplySessionOptionsChange(win.state, app::SessionOptionsChange{false, true});

  // A changed sort order makes the list again first, then fills it.
  app::ApplySessionOptionsChange(win.state, app::SessionOptionsChange{true, false});
  EXPECT_EQ(win.host.remoteListRecreated, 1);
  EXPECT_EQ(win.remoteFiles.Count(), 1);
  listing::ClearListingCache();
}

// ---- the hub -------------------------------------------------------------------------------------

TEST_F(OptionsTest, SaveDirectoryNamesWritesTheCurrentProfileOrSaysWhyNot) {
  Write("[srv]\r\nHOST=srv.example.org\r\n");
  EXPECT_TRUE(app::SaveDirectoryNames("/pub/docs", "C:\\work"));
  EXPECT_EQ(Key("srv", "DIR"), "/pub/docs");
  EXPECT_EQ(Key("srv", "LOCDIR"), "C:\\work");
  EXPECT_TRUE(app::SaveDirectoryNames(" /lead", std::string(200, 'x')));
  EXPECT_EQ(Key("srv", "DIR"), " /lead");
  EXPECT_EQ(Key("srv", "LOCDIR"), std::string(143, 'x'));

  CurrentProfile().name.clear();
  EXPECT_FALSE(app::SaveDirectoryNames("/pub", "C:\\"));
  auto lines = core::StoredLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(lines.back().find("no session profile"), std::string::npos) << lines.back();
}

TEST_F(OptionsTest, SaveWindowLocationMaximisedWritesOnlyMaximize) {
  Write("[_config_]\r\nLOC=1,2,3,4\r\n");
  app::WindowPlacement p;
  p.maximized = true;
  EXPECT_TRUE(app::SaveWindowLocation(p));
  EXPECT_EQ(Key("_config_", "MAXIMIZE"), "1");
  EXPECT_EQ(Key("_config_", "LOC"), "1,2,3,4");

  p = app::WindowPlacement{false, -8, 20, 640, 480, 264, 166};
  EXPECT_TRUE(app::SaveWindowLocation(p));
  EXPECT_EQ(Key("_config_", "MAXIMIZE"), "<absent>");
  EXPECT_EQ(Key("_config_", "LOC"), "4294967288,20,640,480,264,166");
  core::WindowLocation back;
  core::ApplySavedLocation(Key("_config_", "LOC"), back);
  EXPECT_EQ(back.left, -8);
  EXPECT_EQ(back.width, 640);
  EXPECT_EQ(back.splitY, 166);
}

}  // namespace
