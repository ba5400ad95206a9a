// Locating the settings file, the -i and -p options, the start-up reads and per-profile values.
#include <gtest/gtest.h>

#include "core/ini.h"
#include "core/settings.h"
#include "profiles/profile_settings.h"
#include "platform/fs.h"
#include "support/ports.h"
#include "support/temp_dir.h"

using testing_support::RecordingMessageBox;
using testing_support::ScopedCurrentDir;
using testing_support::TempDir;

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    core::Files().Reset();
    core::Settings().Reset();
    profiles::CurrentProfile() = profiles::SessionProfile();
  }
  void TearDown() override { profiles::SetStartupProfileLoader(nullptr); }
  TempDir dir;
};

}  // namespace

TEST_F(SettingsTest, LocateSupportFilePrefersTheCurrentDirectory) {
  dir.Write("MIRVAN.INI", "[_config_]\n");
  ScopedCurrentDir cd(dir.path());
  EXPECT_EQ(core::LocateSupportFile("MIRVAN.INI"), platform::JoinPath(platform::CurrentDirectory(), "MIRVAN.INI"));
}

TEST_F(SettingsTest, LocateSupportFileFallsBackToTheWindowsDirectory) {
  ScopedCurrentDir cd(dir.path());
  std::string name = "NO-SUCH-SUPPORT-FILE.INI";
  EXPECT_EQ(core::LocateSupportFile(name), platform::JoinPath(platform::WindowsDirectory(), name));
}

#ifdef _WIN32
TEST_F(SettingsTest, DriveRootGetsOneSeparator) {
  ScopedCurrentDir cd("C:\\");
  std::string found = core::LocateSupportFile("MIRVAN.INI");
  if (platform::PathExists("C:\\MIRVAN.INI")) {
    EXPECT_EQ(found, "C:\\MIRVAN.INI");
  }
  EXPECT_EQ(platform::JoinPath("C:\\", "MIRVAN.INI"), "C:\\MIRVAN.INI");
}
#endif

TEST_F(SettingsTest, OptionsTable) {
  std::string ini = dir.Write("my.ini", "[_config_]\n");
  ScopedCurrentDir cd(dir.path());
  std::string full = platform::JoinPath(platform::CurrentDirectory(), "my.ini");
  struct Case {
    std::string line;
    std::string wantFile;  // "" = the default location
    std::string wantProfile;
    bool profileGiven;
    long wantRest;  // -1 = nothing remains
  } cases[] = {
      {"-i my.ini -p beta host:file", full, "beta", true, 18},
      {"-I my.ini", full, "", false, 9},
      {"-P beta", "", "beta", true, 7},
      {"-p beta -i my.ini", "", "beta", true, 8},  // -i after -p is part of the rest
      {"-i " + ini, ini, "", false, static_cast<long>(3 + ini.size())},
      {"-p", "", "", true, -1},                    // an option without its word leaves nothing
      {"host:path", "", "", false, 0},
      {"-p " + std::string(200, 'n'), "", std::string(200, 'n'), true, 203},  // kept whole
  };
  for (const auto& c : cases) {
    RecordingMessageBox box;
    std::string profile;
    bool given = false;
    auto rest = core::ApplyCommandLineOptions(c.line, profile, given);
    std::string want = c.wantFile.empty() ? core::LocateSupportFile("MIRVAN.INI") : c.wantFile;
    EXPECT_EQ(core::Files().settingsFile, want) << c.line;
    EXPECT_EQ(given, c.profileGiven) << c.line;
    if (given) {
      EXPECT_EQ(profile, c.wantProfile) << c.line;
    }
    if (c.wantRest < 0) {
      EXPECT_FALSE(rest.has_value()) << c.line;
    } else {
      EXPECT_EQ(rest.value_or(9999), static_cast<size_t>(c.wantRest)) << c.line;
    }
    EXPECT_TRUE(box.shown.empty()) << c.line;
    EXPECT_FALSE(core::Files().helpFile.empty());
  }
}

TEST_F(SettingsTest, UnusableSettingsNameFallsBackWithMessage) {
  ScopedCurrentDir cd(dir.path());
  for (std::string name : {"x", "missing.ini"}) {
    RecordingMessageBox box;
    std::string profile;
    bool given;
    core::ApplyCommandLineOptions("-i " + name, profile, given);
    std::string fallback = core::LocateSupportFile("MIRVAN.INI");
    EXPECT_EQ(core::Files().settingsFile, fallback);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Failed to locate " + name + ", using " + fallback);
    EXPECT_EQ(box.shown[0].caption, "MIRVAN32");
  }
}

TEST_F(SettingsTest, ProfileOverridesAndTwoLevelLookup) {
  std::string ini = dir.Write("m.ini",
                              "[_config_]\nSESSION=alpha\nBELL=1\nRECU=1\nVERBOSE=1\nRBP=99999\nMAILADDR=me@x\n"
                              "[alpha]\nBELL=0\n");
  std::string seen;
  profiles::SetStartupProfileLoader([&](profiles::SessionProfile& p) {
    seen = p.name;
    return 1;
  });
  core::Settings().stou = 1;  // absent everywhere: the value in memory stays
  auto rest = profiles::ReadProgramSettings("-i " + ini);
  EXPECT_EQ(rest.value_or(99), 3 + ini.size());
  EXPECT_EQ(seen, "alpha");
  EXPECT_EQ(profiles::CurrentProfile().hostType, 6000);
  EXPECT_EQ(core::Settings().bell, 0);
  EXPECT_EQ(core::Settings().recu, 1);
  EXPECT_EQ(core::Settings().stou, 1);
  EXPECT_EQ(core::Settings().verbose.load(), 1);
  EXPECT_EQ(core::Settings().rbp, 99999);  // taken as stored
  EXPECT_EQ(core::Settings().mailAddr, "me@x");

  // Saving the program's own value removes the profile's key; another value is stored.
  ASSERT_TRUE(profiles::WriteSessionInt("BELL", 1));
  EXPECT_FALSE(core::ini::HasKey(ini, "alpha", "BELL"));
  ASSERT_TRUE(profiles::WriteSessionInt("BELL", 0));
  EXPECT_EQ(core::ini::ReadInt(ini, "alpha", "BELL", 7), 0);
  // A key "_config_" lacks is always stored in the profile.
  ASSERT_TRUE(profiles::WriteSessionInt("PROMPT", 0));
  EXPECT_EQ(core::ini::ReadInt(ini, "alpha", "PROMPT", 7), 0);

  profiles::CurrentProfile().name = "beta";
  ASSERT_TRUE(profiles::SaveCurrentSessionName());
  EXPECT_EQ(core::ini::ReadString(ini, "_config_", "SESSION", ""), "beta");
}

TEST_F(SettingsTest, MissingAndReadOnlySettingsAreNotFailures) {
  std::string ini = dir.File("absent.ini");
  core::Files().settingsFile = ini;
  EXPECT_EQ(core::ReadConfigInt("AUTOSTART", 1), 1);
  EXPECT_TRUE(core::WriteConfigString("AUTOSTART", "0"));  // first write creates it
  EXPECT_EQ(core::ReadConfigInt("AUTOSTART", 1), 0);
  core::Files().settingsFile = dir.path();  // a directory: cannot be written, reads give defaults
  EXPECT_FALSE(core::WriteConfigString("AUTOSTART", "0"));
  EXPECT_EQ(core::ReadConfigInt("AUTOSTART", 5), 5);
}

TEST_F(SettingsTest, OverlongCommandLineIsRefused) {
  std::string out;
  EXPECT_TRUE(core::TakeCommandLine(std::string(511, 'a'), out));
  EXPECT_EQ(out.size(), 511u);
  EXPECT_FALSE(core::TakeCommandLine(std::string(512, 'a'), out));
  EXPECT_TRUE(out.empty());
}
