// The session profile dialogs' logic on in-memory controls, against a real settings file.
#include "app/session_dialog.h"

#include <gtest/gtest.h>

#include "core/help.h"
#include "core/ini.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "profiles/profile_store.h"
#include "support/ports.h"
#include "support/temp_dir.h"

using profiles::CurrentProfile;
using profiles::SessionProfile;
using profiles::WorkingProfile;
using testing_support::ReadFile;

namespace {

namespace ini = core::ini;

class MemoryWindow : public app::SessionWindow {
 public:
  void SetPasswordMasked(bool m) override { masked = m; }
  void FocusProfileName() override { ++focusName; }
  int RunAdvanced() override { return ++advanced, 1; }
  bool masked = true;
  int focusName = 0, advanced = 0;
};

struct SessionForm {
  ui::MemoryComboBox name{true}, hostType{true};
  ui::MemoryEdit host, user, password, account, remoteDir, localDir, comment;
  ui::MemoryButton anonymous, savePassword, autoSave;
  MemoryWindow window;
  app::SessionDialog dialog{app::SessionControls{&name, &host, &hostType, &user, &password, &account, &remoteDir,
                                                 &localDir, &comment, &anonymous, &savePassword, &autoSave},
                            window};
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (int i = 0; i < name.Count(); ++i) out.push_back(name.ItemText(i));
    return out;
  }
};

struct AdvancedForm {
  ui::MemoryEdit retries, timeout, port, initCommand, localMask, remoteMask, fwHost, fwUser, fwPassword, fwPort;
  ui::MemoryButton passive, useFirewall, fwSavePassword, type[5];
  app::AdvancedDialog dialog{app::AdvancedControls{&retries, &timeout, &port, &initCommand, &localMask, &remoteMask,
                                                   &passive, &useFirewall, &fwHost, &fwUser, &fwPassword, &fwPort,
                                                   &fwSavePassword, {&type[0], &type[1], &type[2], &type[3], &type[4]}}};
};

class SessionDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    core::Files().settingsFile = dir.File("MIRVAN.INI");
    core::Settings().Reset();
    core::Prompts().Reset();
    CurrentProfile() = SessionProfile();
    WorkingProfile() = SessionProfile();
    profiles::Firewall() = profiles::FirewallLogin();
  }
  void TearDown() override {
    core::Settings().Reset();
    CurrentProfile() = SessionProfile();
    WorkingProfile() = SessionProfile();
    profiles::Firewall() = profiles::FirewallLogin();
  }
  void Ini(const std::string& content) { dir.Write("MIRVAN.INI", content); }
  std::string File() { return ReadFile(core::Files().settingsFile); }
  std::string Key(const std::string& section, const std::string& key) {
    return ini::ReadString(core::Files().settingsFile, section, key, "<absent>");
  }
  SessionProfile LoadBack(const std::string& name) {
    SessionProfile p;
    p.name = name;
    profiles::LoadSessionProfile(p);
    return p;
  }
  testing_support::TempDir dir;
  testing_support::RecordingMessageBox boxes;
  testing_support::ScriptedPrompts prompts;
  testing_support::RecordingHelp help;
};

constexpr const char* kTwoProfiles =
    "[_config_]\nMAILADDR=me@home\n[beta]\nHOST=beta.example.org\nUID=joe\nPWD=616365\nACT=dept\nTYPE=6010\n"
    "DIR=/pub\nLOCDIR=c:\\ftp\nCOMMENT=the beta box\n[alpha]\nHOST=alpha.example.org\nUID=anonymous\n"
    "[gamma]\nHOST=gamma.example.org\n";

TEST_F(SessionDialogTest, OpenShowsTheCurrentProfileAsStored) {
  Ini(kTwoProfiles);
  CurrentProfile().name = "beta";
  CurrentProfile().host = "stale.example.org";
  core::Settings().autosave = 1;
  core::Settings().mailAddr = "me@home";  // as start-up reads it
  SessionForm f;
  f.dialog.Open();
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"alpha", "beta", "gamma"}));
  EXPECT_EQ(f.hostType.Count(), 41);
  EXPECT_EQ(f.name.Text(), "beta");
  EXPECT_EQ(f.host.Text(), "beta.example.org");  // from the file, not the stale copy
  EXPECT_EQ(f.hostType.ItemText(f.hostType.CurSel()), "UNIX (standard)") << "code 6010";
  EXPECT_EQ(f.user.Text(), "joe");
  EXPECT_EQ(f.password.Text(), "abc");
  EXPECT_TRUE(f.window.masked);
  EXPECT_FALSE(f.anonymous.IsChecked());
  EXPECT_TRUE(f.savePassword.IsChecked());
  EXPECT_EQ(f.account.Text(), "dept");
  EXPECT_EQ(f.remoteDir.Text(), "/pub");
  EXPECT_EQ(f.localDir.Text(), "c:\\ftp");
  EXPECT_EQ(f.comment.Text(), "the beta box");
  EXPECT_TRUE(f.autoSave.IsChecked());

  // Choosing the anonymous profile shows its address unmasked, without asking.
  f.dialog.NameChanged("alpha");
  EXPECT_EQ(f.host.Text(), "alpha.example.org");
  EXPECT_EQ(f.password.Text(), "me@home");
  EXPECT_TRUE(f.anonymous.IsChecked());
  EXPECT_FALSE(f.window.masked);
  EXPECT_EQ(f.hostType.ItemText(f.hostType.CurSel()), "Automatic detect");
  EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(SessionDialogTest, TypingANameLoadsAStoredProfileAndLeavesOtherFieldsAlone) {
  Ini(kTwoProfiles);
  SessionForm f;
  f.dialog.Open();
  f.host.SetText("typed.example.org");
  f.dialog.NameChanged("gam");  // no such profile: what was typed stays
  EXPECT_EQ(f.host.Text(), "typed.example.org");
  f.dialog.NameChanged("gamma");
  EXPECT_EQ(f.host.Text(), "gamma.example.org");
  f.host.SetText("edited.example.org");
  f.dialog.NameChanged("gamma");  // leaving the field with the same name keeps the edit
  EXPECT_EQ(f.host.Text(), "edited.example.org");
}

TEST_F(SessionDialogTest, SaveWritesTheSectionOnceWithoutLeadingSpacesAndReadsBackTheSame) {
  Ini(kTwoProfiles);
  SessionForm f;
  f.dialog.Open();
  f.dialog.New();
  EXPECT_EQ(f.name.Text(), "");
  EXPECT_EQ(f.host.Text(), "");
  f.name.SetText("  delta");
  f.host.SetText("delta.example.org");
  f.user.SetText("sam");
  f.password.SetText("secret");
  f.savePassword.SetChecked(true);
  f.remoteDir.SetText("/home/sam");
  f.comment.SetText("test box");
  f.hostType.SetCurSel(f.hostType.Count() - 1);
  int typeCode = 0;
  ASSERT_TRUE(f.dialog.Save());
  EXPECT_GE(f.window.focusName, 1);
  ASSERT_TRUE(f.dialog.Save());  // a second Save adds no second item
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"alpha", "beta", "delta", "gamma"}));
  EXPECT_NE(File().find("[delta]\r\n"), std::string::npos) << File();
  EXPECT_EQ(Key("delta", "COMMENT"), "test box");
  SessionProfile back = LoadBack("delta");
  typeCode = back.hostType;
  EXPECT_EQ(back.host, "delta.example.org");
  EXPECT_EQ(back.user, "sam");
  EXPECT_EQ(back.password, "secret");
  EXPECT_EQ(Key("delta", "PWD"), profiles::ScramblePassword("sam", "secret"));
  EXPECT_EQ(back.remoteDir, "/home/sam");
  EXPECT_NE(typeCode, 6000);
  EXPECT_EQ(WorkingProfile().hostType, typeCode);
  EXPECT_TRUE(boxes.shown.empty());

  // An empty comment removes the key; an empty name takes the host's.
  f.comment.SetText("");
  ASSERT_TRUE(f.dialog.Save());
  EXPECT_EQ(Key("delta", "COMMENT"), "<absent>");
  f.name.SetText("");
  f.host.SetText("  epsilon.example.org ");
  ASSERT_TRUE(f.dialog.Save());
  EXPECT_EQ(Key("epsilon.example.org", "HOST"), "epsilon.example.org");
  EXPECT_EQ(f.name.Text(), "epsilon.example.org");
}

TEST_F(SessionDialogTest, SaveAndOkRefuseNamesTheFileCannotHold) {
  struct Case {
    const char* name;
    const char* host;
    const char* says;
  } cases[] = {
      {"", "", "profile name or a host name"},
      {"   ", "", "profile name or a host name"},
      {"a[b", "h.example.org", "\"[\" or \"]\""},
      {"end]", "h.example.org", "\"[\" or \"]\""},
      {"", "[::1]", "\"[\" or \"]\""},  // the host becomes the name
      {"_CONFIG_", "h.example.org", "program settings"},
      {"firewall", "h.example.org", "firewall login"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("name '") + c.name + "' host '" + c.host + "'");
    Ini(kTwoProfiles);
    std::string before = File();
    SessionForm f;
    f.dialog.Open();
    f.name.SetText(c.name);
    f.host.SetText(c.host);
    boxes.shown.clear();
    EXPECT_FALSE(f.dialog.Save());
    f.autoSave.SetChecked(true);
    EXPECT_FALSE(f.dialog.Ok()) << "Ok with AUTOSAVE keeps the dialog open";
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_NE(boxes.shown[0].text.find(c.says), std::string::npos) << boxes.shown[0].text;
    EXPECT_EQ(boxes.shown[0].caption, "Session Profile");
    EXPECT_EQ(File(), before);
    EXPECT_EQ(f.name.Count(), 3);
    // Without AUTOSAVE, Ok writes nothing, and closes when there is a host to connect to.
    f.autoSave.SetChecked(false);
    EXPECT_EQ(f.dialog.Ok(), !WorkingProfile().host.empty());
    EXPECT_EQ(File(), before);
    if (WorkingProfile().host.empty()) {
      ASSERT_EQ(boxes.shown.size(), 3u);
      EXPECT_NE(boxes.shown[2].text.find("Host Name"), std::string::npos) << boxes.shown[2].text;
    }
  }
}

TEST_F(SessionDialogTest, OkSavesOnlyWithAutoSaveAndCancelRestoresTheCurrentProfile) {
  Ini(kTwoProfiles);
  CurrentProfile().name = "gamma";
  SessionForm f;
  f.dialog.Open();
  f.host.SetText("changed.example.org");
  ASSERT_TRUE(f.dialog.Ok());
  EXPECT_EQ(WorkingProfile().host, "changed.example.org");
  EXPECT_EQ(Key("gamma", "HOST"), "gamma.example.org");
  EXPECT_EQ(core::Settings().autosave, 0);

  f.autoSave.SetChecked(true);
  ASSERT_TRUE(f.dialog.Ok());
  EXPECT_EQ(Key("gamma", "HOST"), "changed.example.org");
  EXPECT_EQ(core::Settings().autosave, 1);

  // Save, then Cancel: the section stays, the current profile is what it was.
  f.name.SetText("zeta");
  f.host.SetText("zeta.example.org");
  ASSERT_TRUE(f.dialog.Save());
  f.dialog.Cancel();
  EXPECT_EQ(Key("zeta", "HOST"), "zeta.example.org");
  EXPECT_EQ(WorkingProfile().name, "gamma");
  EXPECT_EQ(CurrentProfile().name, "gamma");
}

TEST_F(SessionDialogTest, DeleteRemovesTheSectionAndSelectsTheNeighbour) {
  Ini(kTwoProfiles);
  SessionForm f;
  f.dialog.Open();
  f.name.SetText("beta");
  f.dialog.Delete();
  EXPECT_EQ(Key("beta", "HOST"), "<absent>");
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"alpha", "gamma"}));
  EXPECT_EQ(f.name.Text(), "gamma");  // now at beta's position
  EXPECT_EQ(f.host.Text(), "gamma.example.org");
  EXPECT_EQ(WorkingProfile().name, "gamma");

  f.dialog.Delete();  // the last item: the first is selected
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"alpha"}));
  EXPECT_EQ(f.name.Text(), "alpha");
  EXPECT_EQ(f.host.Text(), "alpha.example.org");
  EXPECT_GE(f.window.focusName, 2);

  std::string before = File();
  f.name.SetText("");
  f.dialog.Delete();  // nothing to delete: the defaults of an empty profile
  EXPECT_EQ(File(), before);
  EXPECT_EQ(f.host.Text(), "");
  EXPECT_EQ(f.user.Text(), "");

  f.name.SetText("_config_");
  f.dialog.Delete();
  EXPECT_EQ(File(), before);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_NE(boxes.shown[0].text.find("program settings"), std::string::npos);
}

TEST_F(SessionDialogTest, AnonymousLoginAsksForTheAddressOnlyWhenNoneIsKnown) {
  Ini("[_config_]\nVERBOSE=0\n[p]\nHOST=p.example.org\nUID=joe\nACT=dept\n");
  CurrentProfile().name = "p";
  SessionForm f;
  f.dialog.Open();
  EXPECT_TRUE(f.window.masked);

  prompts.answers.push_back({true, ""});  // an empty answer asks again
  prompts.answers.push_back({true, "me@example.org"});
  f.anonymous.SetChecked(true);
  f.dialog.AnonymousClicked();
  ASSERT_EQ(prompts.asked.size(), 2u);
  EXPECT_EQ(prompts.asked[0].promptText, "Enter your e-mail address:");
  EXPECT_EQ(f.user.Text(), "anonymous");
  EXPECT_EQ(f.password.Text(), "me@example.org");
  EXPECT_EQ(f.account.Text(), "");
  EXPECT_FALSE(f.window.masked);
  EXPECT_EQ(core::ReadConfigString("MAILADDR", ""), "me@example.org");
  EXPECT_EQ(core::Prompts().currentHelpContext, 0);

  // Known now: no more questions. Unchecking masks the password again; the user stays.
  f.anonymous.SetChecked(false);
  f.dialog.AnonymousClicked();
  EXPECT_TRUE(f.window.masked);
  f.anonymous.SetChecked(true);
  f.dialog.AnonymousClicked();
  EXPECT_EQ(prompts.asked.size(), 2u);

  // A cancelled prompt leaves the password empty.
  core::Settings().mailAddr.clear();
  f.password.SetText("x");
  prompts.answers.push_back({false, ""});
  f.dialog.AnonymousClicked();
  EXPECT_EQ(prompts.asked.size(), 3u);
  EXPECT_EQ(f.password.Text(), "");
}

TEST_F(SessionDialogTest, ASettingsFileThatCannotBeWrittenIsReported) {
  // A directory where the settings file should be: it reads as empty and takes no writes.
  core::Files().settingsFile = dir.path();
  SessionForm f;
  f.dialog.Open();
  EXPECT_EQ(f.name.Count(), 0);
  f.name.SetText("p");
  f.host.SetText("p.example.org");
  EXPECT_FALSE(f.dialog.Save());
  EXPECT_EQ(f.name.Count(), 0) << "not listed when not saved";
  f.autoSave.SetChecked(true);
  EXPECT_TRUE(f.dialog.Ok()) << "the connection still goes ahead";
  EXPECT_EQ(WorkingProfile().host, "p.example.org");
  ASSERT_EQ(boxes.shown.size(), 2u);
  for (const auto& shown : boxes.shown) EXPECT_NE(shown.text.find("could not be written"), std::string::npos);
}

TEST_F(SessionDialogTest, HelpOpensTheSessionTopic) {
  SessionForm f;
  f.dialog.Help();
  f.dialog.Advanced();
  EXPECT_EQ(help.contexts, (std::vector<int>{30}));
  EXPECT_EQ(f.window.advanced, 1);
}

// What the dialogs write comes back from the file exactly as the record holds it.
TEST_F(SessionDialogTest, AwkwardTextsRoundTripThroughTheSettingsFile) {
  std::string longUtf8;
  for (int i = 0; i < 100; ++i) longUtf8 += "\xC3\xA9";  // "é" in UTF-8, two bytes each
  struct Case {
    const char* what;
    std::string typed;
    ui::MemoryEdit SessionForm::*field;
    std::string SessionProfile::*member;
    size_t limit;
  } cases[] = {
      {"blanks around a user", "  joe ", &SessionForm::user, &SessionProfile::user, 79},
      {"a quoted directory", "\"/my dir\"", &SessionForm::remoteDir, &SessionProfile::remoteDir, 143},
      {"single quotes", "'x'", &SessionForm::localDir, &SessionProfile::localDir, 143},
      {"an account with control characters", "de\tpt\r\n", &SessionForm::account, &SessionProfile::account, 79},
      {"UTF-8 longer than the field", longUtf8, &SessionForm::remoteDir, &SessionProfile::remoteDir, 143},
      {"8-bit text longer than the field", std::string(200, '\xE9'), &SessionForm::localDir,
       &SessionProfile::localDir, 143},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Ini("");
    SessionForm f;
    f.dialog.Open();
    f.name.SetText("p");
    f.host.SetText("p.example.org");
    (f.*c.field).SetText(c.typed);
    ASSERT_TRUE(f.dialog.Save());
    const std::string& held = WorkingProfile().*c.member;
    EXPECT_LE(held.size(), c.limit);
    EXPECT_EQ(LoadBack("p").*c.member, held);
    if (c.typed == longUtf8) {
      EXPECT_EQ(held, longUtf8.substr(0, 142));  // 71 whole characters
    }
  }
  // The comment and an anonymous address (stored in clear) too.
  Ini("");
  SessionForm f;
  f.dialog.Open();
  f.name.SetText("p");
  f.host.SetText("p.example.org");
  f.user.SetText("anonymous");
  f.password.SetText(" me@x ");
  f.savePassword.SetChecked(true);
  f.comment.SetText("'quoted' ");
  ASSERT_TRUE(f.dialog.Save());
  EXPECT_EQ(LoadBack("p").password, " me@x ");
  EXPECT_EQ(ini::ReadString(core::Files().settingsFile, "p", "COMMENT", ""), "'quoted' ");
}

TEST_F(SessionDialogTest, AbsurdStoredValuesAreNeverWrittenBack) {
  std::string hugeHost;
  for (int i = 0; i < 3000; ++i) hugeHost += "\xC3\xA9";
  Ini("[_config_]\nVERBOSE=0\n[bad]\nHOST=" + hugeHost +
      "\nPORT=-1\nRETRIES=1000000000\nTIMEOUT=-5\nTYPE=9999\n[bad2]\nHOST=h\nPORT=70000\nRETRIES=1e9\n");
  CurrentProfile().name = "bad";
  SessionForm f;
  f.dialog.Open();
  ASSERT_TRUE(f.dialog.Save());
  SessionProfile back = LoadBack("bad");
  EXPECT_EQ(back.host.size(), 78u) << "39 whole characters, none cut";
  EXPECT_EQ(back.port, 21);
  EXPECT_EQ(back.retries, 40);
  EXPECT_EQ(back.timeout, 65);
  EXPECT_EQ(back.hostType, 6000);
  EXPECT_EQ(Key("bad", "PORT"), "<absent>");

  f.name.SetText("bad2");
  f.dialog.NameChanged("bad2");
  ASSERT_TRUE(f.dialog.Save());
  back = LoadBack("bad2");
  EXPECT_EQ(back.port, 21);
  EXPECT_EQ(back.retries, 1) << "the reader takes 1e9 as 1";
}

TEST(FitField, CutsOnlyBetweenCharacters) {
  struct Case {
    std::string in;
    size_t max;
    std::string out;
  } cases[] = {
      {"abcdef", 4, "abcd"},
      {"ab\xC3\xA9", 3, "ab"},                 // would split é
      {"a\xE2\x82\xAC\xE2\x82\xAC", 5, "a\xE2\x82\xAC"},  // would split the second €
      {"x\xC3", 10, "x\xC3"},                    // no UTF-8 before it: a code-page character
      {"\xC3\xA9\xC3", 10, "\xC3\xA9"},         // UTF-8 text ending in a cut character
      {"caf\xE9", 10, "caf\xE9"},               // a Windows code page: é is one byte
      {"\xE9\xE9\xE9", 2, "\xE9\xE9"},
      {"a\x01" "b\x7F" "c", 10, "abc"},
  };
  for (const Case& c : cases) EXPECT_EQ(app::FitField(c.in, c.max), c.out) << c.in;
}

TEST_F(SessionDialogTest, AdvancedClampsTheNumbers) {
  struct Case {
    const char *retries, *timeout, *port;
    bool firewall;
    const char* firewallPort;
    int wantRetries, wantTimeout, wantPort;
  } cases[] = {
      {"99", "0", "5", false, "", 40, 65, 21},
      {"3", "30", "25", false, "", 3, 30, 25},
      {"40", "65", "10", false, "", 40, 65, 10},
      {"-1", "abc", "", false, "", 0, 65, 21},
      {"1e9", "99999999999", "2121", false, "", 0, 2147483647, 2121},
      {"0", "1", "2121", true, "25", 0, 1, 21},   // the firewall's port below 28 becomes 21
      {"0", "1", "25", true, "1080", 0, 1, 1080},  // with the firewall on, its port is the profile's
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.retries) + " " + c.timeout + " " + c.port + " " + c.firewallPort);
    WorkingProfile() = SessionProfile();
    AdvancedForm a;
    a.dialog.Open();
    a.retries.SetText(c.retries);
    a.timeout.SetText(c.timeout);
    a.port.SetText(c.port);
    a.useFirewall.SetChecked(c.firewall);
    a.fwPort.SetText(c.firewallPort);
    ASSERT_TRUE(a.dialog.Ok());
    EXPECT_EQ(WorkingProfile().retries, c.wantRetries);
    EXPECT_EQ(WorkingProfile().timeout, c.wantTimeout);
    EXPECT_EQ(WorkingProfile().port, c.wantPort);
    EXPECT_EQ(WorkingProfile().useFirewall, c.firewall ? 1 : 0);
  }
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SessionDialogTest, AdvancedRefusesPortsBeyondTheRangeAndChangesNothing) {
  for (auto [port, firewallPort] : {std::pair{"70000", "21"}, std::pair{"21", "4294967295"}}) {
    SCOPED_TRACE(std::string(port) + "/" + firewallPort);
    Ini("");
    WorkingProfile() = SessionProfile();
    AdvancedForm a;
    a.dialog.Open();
    a.retries.SetText("7");
    a.port.SetText(port);
    a.useFirewall.SetChecked(true);
    a.fwHost.SetText("fw.example.org");
    a.fwPort.SetText(firewallPort);
    boxes.shown.clear();
    EXPECT_FALSE(a.dialog.Ok());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].text.find("from 1 to 65535"), std::string::npos);
    EXPECT_EQ(WorkingProfile().retries, 0);
    EXPECT_EQ(WorkingProfile().useFirewall, 0);
    EXPECT_EQ(File(), "");
  }
}

TEST_F(SessionDialogTest, AdvancedShowsAndWritesTheFirewallLogin) {
  Ini("[FIREWALL]\nHOST=fw.example.org\nUID=gate\nPWD=" + profiles::ScramblePassword("gate", "pw") +
      "\nPORT=1080\nFIRETYPE=2\n");
  WorkingProfile().retries = 3;
  WorkingProfile().passive = 1;
  WorkingProfile().localMask = "*.txt";
  AdvancedForm a;
  a.dialog.Open();
  EXPECT_EQ(a.retries.Text(), "3");
  EXPECT_EQ(a.timeout.Text(), "65");
  EXPECT_EQ(a.port.Text(), "21");
  EXPECT_TRUE(a.passive.IsChecked());
  EXPECT_EQ(a.localMask.Text(), "*.txt");
  EXPECT_EQ(a.fwHost.Text(), "fw.example.org");
  EXPECT_EQ(a.fwUser.Text(), "gate");
  EXPECT_EQ(a.fwPassword.Text(), "pw");
  EXPECT_TRUE(a.fwSavePassword.IsChecked());
  EXPECT_EQ(a.fwPort.Text(), "1080");
  EXPECT_TRUE(a.type[2].IsChecked());
  EXPECT_FALSE(a.type[1].IsChecked());
  // The firewall is off: its fields are disabled, "Save Password" is not.
  EXPECT_FALSE(a.fwHost.IsEnabled());
  EXPECT_FALSE(a.type[0].IsEnabled());
  EXPECT_TRUE(a.fwSavePassword.IsEnabled());
  a.useFirewall.SetChecked(true);
  a.dialog.FirewallSwitch();
  EXPECT_TRUE(a.fwHost.IsEnabled());
  EXPECT_TRUE(a.fwPort.IsEnabled());
  EXPECT_TRUE(a.type[4].IsEnabled());

  a.fwHost.SetText(" proxy.example.org ");
  a.fwUser.SetText("gw");
  a.fwPassword.SetText("new");
  a.type[2].SetChecked(false);
  a.type[4].SetChecked(true);
  ASSERT_TRUE(a.dialog.Ok());
  EXPECT_EQ(Key("FIREWALL", "HOST"), "proxy.example.org");
  EXPECT_EQ(Key("FIREWALL", "UID"), "gw");
  EXPECT_EQ(Key("FIREWALL", "PWD"), profiles::ScramblePassword("gw", "new"));
  EXPECT_EQ(Key("FIREWALL", "FIRETYPE"), "4");
  EXPECT_EQ(Key("FIREWALL", "PORT"), "1080");
  EXPECT_EQ(WorkingProfile().firewallType, 4);
  EXPECT_EQ(WorkingProfile().port, 1080);
  EXPECT_EQ(profiles::Firewall().password, "new");

  // Without "Save Password" the stored password goes; no radio button chosen means type 3.
  AdvancedForm b;
  b.dialog.Open();
  b.useFirewall.SetChecked(true);
  b.fwSavePassword.SetChecked(false);
  for (auto& t : b.type) t.SetChecked(false);
  ASSERT_TRUE(b.dialog.Ok());
  EXPECT_EQ(Key("FIREWALL", "PWD"), "<absent>");
  EXPECT_EQ(Key("FIREWALL", "FIRETYPE"), "3");

  // With the firewall off the section is not touched.
  std::string before = File();
  AdvancedForm c;
  c.dialog.Open();
  c.useFirewall.SetChecked(false);
  c.fwHost.SetText("ignored");
  ASSERT_TRUE(c.dialog.Ok());
  EXPECT_EQ(File(), before);
  EXPECT_EQ(WorkingProfile().useFirewall, 0);
}

TEST_F(SessionDialogTest, AdvancedWithoutAFirewallSectionKeepsTheLoginHeld) {
  profiles::Firewall() = {"held.example.org", "u", "p"};
  WorkingProfile().port = 5;
  AdvancedForm a;
  a.dialog.Open();
  EXPECT_EQ(a.fwHost.Text(), "held.example.org");
  EXPECT_EQ(a.fwPassword.Text(), "p");
  EXPECT_EQ(a.fwPort.Text(), "");
  EXPECT_TRUE(a.type[1].IsChecked()) << "FIRETYPE defaults to 1";
}

// The help file has a topic of its own for every context these dialogs open.
TEST(SessionDialogHelp, EveryContextHasATopic) {
  core::HelpBook book;
  ASSERT_TRUE(core::LoadHelpFile(MIRVAN_TEST_DATA "/../../src/resources/MIRVAN.hlp", book));
  for (int context : {app::kSessionHelp, app::kAdvancedHelp, 270}) {
    auto it = book.topics.find(context);
    ASSERT_NE(it, book.topics.end()) << context;
    EXPECT_GT(it->second.text.size(), 100u) << context;  // a real topic, not a title
  }
}

}  // namespace
