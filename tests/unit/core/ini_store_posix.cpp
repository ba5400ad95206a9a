// The settings store under real use: several processes writing one settings file at once, a
// reader never seeing part of it, no rewrite of an unchanged value, and files that are not
// settings files at all (a device, a huge file).
#include <gtest/gtest.h>

#include "support/ports.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "core/ini.h"
#include "core/settings.h"
#include "support/temp_dir.h"
#include "ui/message_box.h"

namespace ini = core::ini;
using testing_support::ReadFile;

namespace {

// Many profiles with stored passwords: what a lost write would take with it.
std::string ManyProfiles(int n) {
  std::string text = "[_config_]\r\nMAILADDR=me@example.org\r\n";
  for (int i = 0; i < n; ++i)
    text += "\r\n[p" + std::to_string(i) + "]\r\nHOST=host" + std::to_string(i) + "\r\nUID=u\r\nPWD=secret" +
            std::to_string(i) + "\r\n";
  return text;
}

TEST(IniStore, ParallelWritersLoseNothingAndReadersNeverSeeAPart) {
  testing_support::TempDir dir;
  std::string file = dir.Write("shared.ini", ManyProfiles(3000));
  const int kWriters = 8, kWrites = 25;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    pid_t pid = fork();
    if (pid == 0) {
      int bad = 0;
      for (int i = 0; i < kWrites; ++i) {
        std::string key = "K" + std::to_string(i);
        if (!ini::Write(file, "writer" + std::to_string(w), key.c_str(), std::to_string(i * 7).c_str())) bad |= 1;
        // Every read sees a whole file: the last profile and this writer's own keys so far.
        if (ini::ReadString(file, "p2999", "PWD", "") != "secret2999") bad |= 2;
        if (ini::ReadInt(file, "writer" + std::to_string(w), key, -1) != i * 7) bad |= 4;
      }
      _exit(bad);
    }
    ASSERT_GT(pid, 0);
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: a write failed, 2: a partial file was read, 4: a write was lost";
  }
  for (int w = 0; w < kWriters; ++w)
    for (int i = 0; i < kWrites; ++i)
      EXPECT_EQ(ini::ReadInt(file, "writer" + std::to_string(w), "K" + std::to_string(i), -1), i * 7);
  for (int i = 0; i < 3000; i += 499)
    EXPECT_EQ(ini::ReadString(file, "p" + std::to_string(i), "PWD", ""), "secret" + std::to_string(i));
  EXPECT_EQ(ReadFile(file).rfind("[_config_]\r\nMAILADDR=me@example.org\r\n", 0), 0u);
  // No temporary file is left beside it.
  DIR* d = opendir(dir.path().c_str());
  ASSERT_NE(d, nullptr);
  while (dirent* e = readdir(d)) EXPECT_EQ(std::string(e->d_name).rfind(".mvn", 0), std::string::npos) << e->d_name;
  closedir(d);
}

TEST(IniStore, UnchangedValueDoesNotRewriteTheFile) {
  testing_support::TempDir dir;
  std::string file = dir.Write("m.ini", "[_config_]\nMAILADDR = me@example.org\n");
  struct stat before, after;
  ASSERT_EQ(stat(file.c_str(), &before), 0);
  EXPECT_TRUE(ini::Write(file, "_config_", "MAILADDR", "me@example.org"));
  EXPECT_TRUE(ini::Write(file, "absent", nullptr, nullptr));
  EXPECT_TRUE(ini::Write(file, "_config_", "NOKEY", nullptr));
  ASSERT_EQ(stat(file.c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
  EXPECT_EQ(ReadFile(file), "[_config_]\nMAILADDR = me@example.org\n");  // the file as the user wrote it

  // A change replaces the file whole, keeping its permissions.
  chmod(file.c_str(), 0600);
  EXPECT_TRUE(ini::Write(file, "_config_", "MAILADDR", "new@example.org"));
  ASSERT_EQ(stat(file.c_str(), &after), 0);
  EXPECT_EQ(after.st_mode & 0777, 0600u);
  EXPECT_EQ(ReadFile(file), "[_config_]\r\nMAILADDR=new@example.org\r\n");
}

TEST(IniStore, ChangesByAnotherProgramAreSeen) {
  testing_support::TempDir dir;
  std::string file = dir.Write("c.ini", "[a]\nK=1\n");
  EXPECT_EQ(ini::ReadInt(file, "a", "K", 0), 1);
  std::ofstream(file, std::ios::trunc) << "[a]\nK=22\n";
  EXPECT_EQ(ini::ReadInt(file, "a", "K", 0), 22);
  unlink(file.c_str());
  EXPECT_EQ(ini::ReadInt(file, "a", "K", 0), 0);
}

TEST(IniStore, DeviceAndHugeFilesAreNotSettingsFiles) {
  EXPECT_EQ(ini::UnusableReason("/dev/zero"), "not a regular file");
  EXPECT_EQ(ini::ReadString("/dev/zero", "_config_", "MAILADDR", "def"), "def");
  EXPECT_FALSE(ini::Write("/dev/zero", "_config_", "MAILADDR", "x"));

  testing_support::TempDir dir;
  std::string huge = dir.File("huge.ini");
  ASSERT_EQ(truncate(dir.Write("huge.ini", "[_config_]\nK=1\n").c_str(), ini::kMaxSettingsFileBytes + 1), 0);
  EXPECT_EQ(ini::UnusableReason(huge), "larger than 64 MB");
  EXPECT_EQ(ini::ReadInt(huge, "_config_", "K", 5), 5);
  EXPECT_FALSE(ini::Write(huge, "_config_", "K", "2"));  // never replaced by a small file
  struct stat st;
  ASSERT_EQ(stat(huge.c_str(), &st), 0);
  EXPECT_EQ(st.st_size, ini::kMaxSettingsFileBytes + 1);
}

TEST(IniStore, DashIWithADeviceFallsBackWithAMessage) {
  testing_support::RecordingMessageBox box;
  std::string profile;
  bool given = false;
  core::ApplyCommandLineOptions("-i /dev/zero srv:x", profile, given);
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].text.rfind("Cannot use /dev/zero as the settings file (not a regular file), using ", 0), 0u)
      << box.shown[0].text;
  EXPECT_NE(core::Files().settingsFile, "/dev/zero");
  core::Files().Reset();
}

}  // namespace
