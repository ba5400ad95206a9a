// Our settings store against Windows' own private-profile functions, both ways.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/ini.h"
#include "support/temp_dir.h"

using testing_support::TempDir;

namespace {
std::string WinRead(const std::string& f, const char* section, const char* key, const char* def) {
  char buf[512];
  GetPrivateProfileStringA(section, key, def, buf, sizeof buf, f.c_str());
  return buf;
}
}  // namespace

TEST(IniCompat, WindowsWritesWeRead) {
  TempDir dir;
  std::string f = dir.File("win.ini");
  ASSERT_TRUE(WritePrivateProfileStringA("_config_", "HOST", "ftp.example.org", f.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("_config_", "FHEIGHT", "4294967285", f.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("alpha", "UID", "anna", f.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("alpha", "GONE", "x", f.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("alpha", "GONE", nullptr, f.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("beta", "X", "1", f.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("beta", nullptr, nullptr, f.c_str()));
  EXPECT_EQ(core::ini::ReadString(f, "_CONFIG_", "host", ""), "ftp.example.org");
  EXPECT_EQ(core::ini::ReadInt(f, "_config_", "FHEIGHT", 0), -11);
  EXPECT_EQ(core::ini::ReadString(f, "Alpha", "uid", ""), "anna");
  EXPECT_FALSE(core::ini::HasKey(f, "alpha", "GONE"));
  EXPECT_EQ(core::ini::SectionNames(f), (std::vector<std::string>{"_config_", "alpha"}));
}

TEST(IniCompat, WeWriteWindowsReads) {
  TempDir dir;
  std::string f = dir.File("ours.ini");
  ASSERT_TRUE(core::ini::Write(f, "_config_", "HOST", "ftp.example.org"));
  ASSERT_TRUE(core::ini::WriteUnsigned(f, "_config_", "FHEIGHT", -11));
  ASSERT_TRUE(core::ini::Write(f, "alpha", "UID", "anna"));
  ASSERT_TRUE(core::ini::Write(f, "alpha", "PWD", "616365"));
  ASSERT_TRUE(core::ini::Write(f, "alpha", "PWD", nullptr));
  EXPECT_EQ(WinRead(f, "_config_", "HOST", ""), "ftp.example.org");
  EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("_config_", "FHEIGHT", 0, f.c_str())), -11);
  EXPECT_EQ(WinRead(f, "ALPHA", "uid", ""), "anna");
  EXPECT_EQ(WinRead(f, "alpha", "PWD", "absent"), "absent");
  // Windows then edits our file, and we read its edit.
  ASSERT_TRUE(WritePrivateProfileStringA("alpha", "DIR", "/pub", f.c_str()));
  EXPECT_EQ(core::ini::ReadString(f, "alpha", "DIR", ""), "/pub");
  EXPECT_EQ(core::ini::ReadString(f, "alpha", "UID", ""), "anna");
}
