// Session profiles in the settings file: loading, saving, scrambled passwords, the list.
#include <gtest/gtest.h>

#include "core/ini.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "profiles/profile_settings.h"
#include "profiles/profile_store.h"
#include "support/ports.h"
#include "support/temp_dir.h"
#include "ui/controls.h"

using testing_support::ScriptedPrompts;
using testing_support::TempDir;

namespace {

class ProfileStore : public ::testing::Test {
 protected:
  void SetUp() override {
    core::Files().settingsFile = dir.File("MIRVAN.INI");
    core::Settings().Reset();
    core::Prompts().Reset();
  }
  void TearDown() override { core::Settings().Reset(); }
  std::string Ini(const std::string& content) { return dir.Write("MIRVAN.INI", content); }
  profiles::SessionProfile Load(const std::string& name) {
    profiles::SessionProfile p;
    p.name = name;
    EXPECT_EQ(profiles::LoadSessionProfile(p), 1);
    return p;
  }
  std::string File() { return testing_support::ReadFile(core::Files().settingsFile); }
  TempDir dir;
};

TEST(Scramble, KnownFormsAndRoundTrips) {
  EXPECT_EQ(profiles::ScramblePassword("joe", "abc"), "616365");
  EXPECT_EQ(profiles::UnscramblePassword("joe", "616365"), "abc");
  EXPECT_EQ(profiles::ScramblePassword("anonymous", "me@x"), "me@x");
  EXPECT_EQ(profiles::UnscramblePassword("anonymous", "me@x"), "me@x");
  EXPECT_EQ(profiles::ScramblePassword("Anonymous", "abc"), "616365");  // only the exact name is clear
  // Every byte value round-trips in two digits per character, whatever its position.
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  for (size_t start = 0; start < all.size(); start += 79) {
    std::string pw = all.substr(start, 79);
    std::string stored = profiles::ScramblePassword("joe", pw);
    EXPECT_EQ(stored.size(), 2 * pw.size());
    EXPECT_EQ(stored.find_first_not_of("0123456789ABCDEF"), std::string::npos) << stored;
    EXPECT_EQ(profiles::UnscramblePassword("joe", stored), pw) << start;
  }
  // A trailing odd digit is ignored rather than read past the end.
  EXPECT_EQ(profiles::UnscramblePassword("joe", "6163656"), "abc");
}

TEST_F(ProfileStore, LoadDefaultsAndKeys) {
  Ini("[_config_]\nPASVMODE=1\n[bare]\nCOMMENT=x\n[full]\nHOST=ftp.example.org\nUID=joe\nPWD=616365\nACT=dept\n"
      "DIR=/pub\nLOCDIR=origdir\nINITCMD=SITE X\nLMASK=*.txt\nRMASK=*.zip\nTIMEOUT=30\nTYPE=6012\nPORT=2121\n"
      "RETRIES=3\nFIREWALL=1\nPASVMODE=0\nBELL=0\nMODE=65\n[nouser]\nPWD=616365\n");
  profiles::SessionProfile bare = Load("bare");
  EXPECT_EQ(bare.host, "bare");
  EXPECT_EQ(bare.timeout, 65);
  EXPECT_EQ(bare.hostType, 6000);
  EXPECT_EQ(bare.port, 21);
  EXPECT_EQ(bare.passive, 1);  // from "_config_"
  EXPECT_EQ(bare.savePassword, 0);

  profiles::SessionProfile full = Load("full");
  EXPECT_EQ(full.host, "ftp.example.org");
  EXPECT_EQ(full.user, "joe");
  EXPECT_EQ(full.password, "abc");
  EXPECT_EQ(full.savePassword, 1);
  EXPECT_EQ(full.account, "dept");
  EXPECT_EQ(full.remoteDir, "/pub");
  EXPECT_EQ(full.localDir, "origdir");
  EXPECT_EQ(full.initCommand, "SITE X");
  EXPECT_EQ(full.localMask, "*.txt");
  EXPECT_EQ(full.remoteMask, "*.zip");
  EXPECT_EQ(full.timeout, 30);
  EXPECT_EQ(full.hostType, 6012);
  EXPECT_EQ(full.port, 2121);
  EXPECT_EQ(full.retries, 3);
  EXPECT_EQ(full.useFirewall, 1);
  EXPECT_EQ(full.passive, 0);
  EXPECT_EQ(core::Settings().bell, 0);
  EXPECT_EQ(core::Settings().mode, 'A');

  profiles::SessionProfile nouser = Load("nouser");
  EXPECT_EQ(nouser.password, "");
  EXPECT_EQ(nouser.savePassword, 0);

  profiles::SessionProfile missing = Load("");
  EXPECT_EQ(missing.host, "");
}

// MODERNFTP, RESUME and KEEPALIVE as the options dialog writes them ("%u" in the profile's
// section, or in "_config_" when the value is the program's): the profile's value first, then
// "_config_", then the defaults 1, 0, 0, whatever the profile loaded before had.
TEST_F(ProfileStore, ModernKeysPerProfile) {
  struct Case {
    const char* config;  // the "_config_" lines
    const char* section;  // the profile's lines
    int modern, resume, keepalive;
  } cases[] = {
      {"", "", 1, 0, 0},
      {"", "MODERNFTP=0\nRESUME=1\nKEEPALIVE=45\n", 0, 1, 45},
      {"MODERNFTP=0\nKEEPALIVE=30\n", "", 0, 0, 30},
      {"MODERNFTP=0\nKEEPALIVE=30\n", "MODERNFTP=1\nKEEPALIVE=0\n", 1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.config) + "|" + c.section);
    Ini(std::string("[_config_]\n") + c.config + "[other]\nMODERNFTP=0\nRESUME=1\nKEEPALIVE=99\n[p]\n" + c.section);
    Load("other");
    Load("p");
    EXPECT_EQ(core::Settings().modernftp, c.modern);
    EXPECT_EQ(core::Settings().resume, c.resume);
    EXPECT_EQ(core::Settings().keepalive, c.keepalive);
  }
}

TEST_F(ProfileStore, AnonymousAsksForTheMailAddressOnce) {
  Ini("[anon]\nUID=Anonymous\n");
  ScriptedPrompts prompts;
  prompts.answers = {{true, ""}, {true, "me@example.org"}};
  profiles::SessionProfile p = Load("anon");
  ASSERT_EQ(prompts.asked.size(), 2u);
  EXPECT_EQ(prompts.asked[0].promptText, "Enter your e-mail address:");
  EXPECT_EQ(prompts.asked[0].helpContext, 270);
  EXPECT_EQ(p.password, "me@example.org");
  EXPECT_EQ(core::ini::ReadString(core::Files().settingsFile, "_config_", "MAILADDR", ""), "me@example.org");
  EXPECT_EQ(core::Prompts().currentHelpContext, 0);
  // The address is known now: no second prompt.
  EXPECT_EQ(Load("anon").password, "me@example.org");
  EXPECT_EQ(prompts.asked.size(), 2u);
}

TEST_F(ProfileStore, AnonymousCancelKeepsAnEmptyPassword) {
  Ini("[anon]\nUID=anonymous\n");
  ScriptedPrompts prompts;
  prompts.answers = {{false, ""}};
  EXPECT_EQ(Load("anon").password, "");
  EXPECT_FALSE(core::ini::HasKey(core::Files().settingsFile, "_config_", "MAILADDR"));
}

TEST_F(ProfileStore, SaveWritesOnlyWhatDiffers) {
  Ini("[plain]\nHOST=old\nBELL=0\nCOMMENT=old comment\n");
  profiles::SessionProfile p;
  p.name = "plain";
  p.host = "h";
  p.firewallType = 99;
  ASSERT_EQ(profiles::SaveSessionProfile(p), 1);
  EXPECT_EQ(File(), "[plain]\r\nHOST=h\r\nUID=\r\nPASVMODE=0\r\n");
}

TEST_F(ProfileStore, SaveAndLoadRoundTrip) {
  profiles::SessionProfile p;
  p.name = "round";
  p.host = "ftp.example.org";
  p.user = "joe";
  p.password = "p\xE4ss w%rd";
  p.savePassword = 1;
  p.account = "acct";
  p.remoteDir = "/pub";
  p.localDir = "C:\\down";
  p.initCommand = "SITE UMASK 022";
  p.localMask = "*.c";
  p.remoteMask = "*.h";
  p.timeout = 90;
  p.hostType = 6010;
  p.port = 2121;
  p.firewallType = 4;
  p.retries = 2;
  p.passive = 1;
  p.useFirewall = 1;
  ASSERT_EQ(profiles::SaveSessionProfile(p), 1);
  const std::string& f = core::Files().settingsFile;
  EXPECT_EQ(core::ini::ReadString(f, "round", "PWD", ""), profiles::ScramblePassword("joe", p.password));
  EXPECT_EQ(core::ini::ReadString(f, "round", "FIRETYPE", ""), "4");
  profiles::SessionProfile back = Load("round");
  EXPECT_EQ(back.password, p.password);
  EXPECT_EQ(back.host, p.host);
  EXPECT_EQ(back.account, p.account);
  EXPECT_EQ(back.remoteDir, p.remoteDir);
  EXPECT_EQ(back.localDir, p.localDir);
  EXPECT_EQ(back.initCommand, p.initCommand);
  EXPECT_EQ(back.localMask, p.localMask);
  EXPECT_EQ(back.remoteMask, p.remoteMask);
  EXPECT_EQ(back.timeout, 90);
  EXPECT_EQ(back.hostType, 6010);
  EXPECT_EQ(back.port, 2121);
  EXPECT_EQ(back.retries, 2);
  EXPECT_EQ(back.passive, 1);
  EXPECT_EQ(back.useFirewall, 1);

  // "anonymous" keeps its password in clear text; a record without a name is not saved.
  p.user = "anonymous";
  p.password = "me@x";
  ASSERT_EQ(profiles::SaveSessionProfile(p), 1);
  EXPECT_EQ(core::ini::ReadString(f, "round", "PWD", ""), "me@x");
  p.name.clear();
  EXPECT_EQ(profiles::SaveSessionProfile(p), 0);
  EXPECT_EQ(core::ini::SectionNames(f), std::vector<std::string>{"round"});
}

TEST_F(ProfileStore, ListProfiles) {
  ui::MemoryComboBox combo;
  combo.AddString("stale");
  profiles::ListProfiles(combo);  // no file: an empty list
  EXPECT_EQ(combo.Count(), 0);
  Ini("[_CONFIG_]\nSESSION=b\n[alpha]\nHOST=a\r\n[FIREWALL]\nHOST=fw\n  [indented]\n[no close\nx=[not a section]\n");
  profiles::ListProfiles(combo);
  std::vector<std::string> names;
  for (int i = 0; i < combo.Count(); ++i) names.push_back(combo.ItemText(i));
  EXPECT_EQ(names, (std::vector<std::string>{"alpha", "FIREWALL", "no close"}));
}

TEST_F(ProfileStore, StartupLoadsTheSessionProfile) {
  std::string ini = Ini("[_config_]\nSESSION=home\n[home]\nHOST=ftp.home.example\nUID=me\nTIMEOUT=20\n");
  profiles::ReadProgramSettings("-i " + ini);
  EXPECT_EQ(profiles::CurrentProfile().name, "home");
  EXPECT_EQ(profiles::CurrentProfile().host, "ftp.home.example");
  EXPECT_EQ(profiles::CurrentProfile().timeout, 20);
  profiles::CurrentProfile() = profiles::SessionProfile();
}

}  // namespace
