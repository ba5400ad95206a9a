// The installer's window-free rules: where the distribution is found and the exact
// program-group command texts the shell receives.
#include <gtest/gtest.h>

#include "install/install_rules.h"

using namespace install;

TEST(InstallRules, SourceIsTheInstallersOwnDirectoryWhateverItsName) {
  EXPECT_EQ(SourceFromModulePath("C:\\DIST\\INSTALL.EXE"), "C:\\DIST\\");
  // A renamed installer (longer than the shipped 8.3 name) still finds its own directory.
  EXPECT_EQ(SourceFromModulePath("C:\\Downloads\\mirvan setup (1).exe"), "C:\\Downloads\\");
  EXPECT_EQ(SourceFromModulePath("Z:/tmp/dist/INSTALL.EXE"), "Z:/tmp/dist/");
  EXPECT_EQ(SourceFromModulePath("INSTALL.EXE"), "");
}

TEST(InstallRules, TrailingBackslashIsAddedOnce) {
  EXPECT_EQ(WithTrailingBackslash("C:\\DIST"), "C:\\DIST\\");
  EXPECT_EQ(WithTrailingBackslash("C:\\DIST\\"), "C:\\DIST\\");
  EXPECT_EQ(WithTrailingBackslash("Z:/dist/"), "Z:/dist/");
  EXPECT_EQ(WithTrailingBackslash(""), "");
}

TEST(InstallRules, ParentDirectoryForLevelByLevelCreation) {
  std::string parent;
  ASSERT_TRUE(ParentDirectory("C:\\a\\b\\c", &parent));
  EXPECT_EQ(parent, "C:\\a\\b");
  ASSERT_TRUE(ParentDirectory("C:\\a\\b\\", &parent));
  EXPECT_EQ(parent, "C:\\a\\b");
  ASSERT_TRUE(ParentDirectory("Z:/tmp/x", &parent));
  EXPECT_EQ(parent, "Z:/tmp");
  EXPECT_FALSE(ParentDirectory("MIRVAN", &parent));
}

TEST(InstallRules, GroupCommandTexts) {
  EXPECT_EQ(CreateGroupCommand("MIRVAN"), "[CreateGroup(MIRVAN)]");
  struct Case {
    const char* title;
    const char* dir;
    const char* file;
    const char* expected;
  } cases[] = {
      {"MIRVAN32", "C:\\MIRVAN", "MIRVAN32.exe", "[AddItem(C:\\MIRVAN\\MIRVAN32.exe ,\"MIRVAN32\")]"},
      {"Release Notes", "C:\\MIRVAN", "whatsnew.txt", "[AddItem(C:\\MIRVAN\\whatsnew.txt ,\"Release Notes\")]"},
      // A destination typed with its own separator gets no second one.
      {"Help", "C:\\MIRVAN\\", "MIRVAN.hlp", "[AddItem(C:\\MIRVAN\\MIRVAN.hlp ,\"Help\")]"},
      // Mixed separators inside the path still get the separator before the file name.
      {"Help", "C:\\tools/MIRVAN", "MIRVAN.hlp", "[AddItem(C:\\tools/MIRVAN\\MIRVAN.hlp ,\"Help\")]"},
      // No directory: the current one.
      {"Help", "", "MIRVAN.hlp", "[AddItem(D:\\work\\MIRVAN.hlp ,\"Help\")]"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AddItemCommand(c.title, c.dir, c.file, "", "D:\\work"), c.expected) << c.dir;
  }
  EXPECT_EQ(AddItemCommand("Edit", "C:\\W", "NOTEPAD.EXE", "a.txt", ""), "[AddItem(C:\\W\\NOTEPAD.EXE a.txt,\"Edit\")]");
}
