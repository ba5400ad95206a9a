// The local pane's lists, the DirInfo report, reserved names, and the viewer and associations.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/settings.h"
#include "local/associations.h"
#include "local/local_list.h"
#include "platform/fs.h"
#include "support/temp_dir.h"

namespace {

using testing_support::ScopedCurrentDir;
using testing_support::TempDir;

std::vector<std::string> Items(const ui::ListBox& l) {
  std::vector<std::string> v;
  for (int i = 0; i < l.Count(); ++i) v.push_back(l.Text(i));
  return v;
}

class LocalPaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    core::Settings().Reset();
    local::LocalPane().Reset();
    local::LocalPane().dirField = &field;
    local::LocalPane().dirList = &dirs;
    local::LocalPane().fileList = &files;
  }
  void TearDown() override {
    local::LocalPane().Reset();
    core::Settings().Reset();
  }
  ui::MemoryComboBox field{true};
  ui::MemoryListBox dirs{true}, files{true};
  TempDir dir;
};

TEST_F(LocalPaneTest, ItemTextsInTheRemoteListsLayout) {
  platform::DirEntry e;
  e.name = "README.TXT";
  e.size = 1234;
  e.year = 1996, e.month = 1, e.day = 23, e.hour = 10, e.minute = 5;
  EXPECT_EQ(local::LocalFileItemText(e, true), "readme.txt  \t| 960123 10:05       1234");
  EXPECT_EQ(local::LocalFileItemText(e, false), "readme.txt");
  e.name = "ReadMe.txt";
  EXPECT_EQ(local::LocalFileItemText(e, false), "ReadMe.txt");
  // A 5 GiB file keeps its whole size, and a long name is not cut.
  e.name = "a-rather-long-name.iso";
  e.size = 5368709120LL;
  e.year = 2026;
  EXPECT_EQ(local::LocalFileItemText(e, true), "a-rather-long-name.iso\t| 260123 10:05 5368709120");
  EXPECT_EQ(local::DriveItemText('C'), "[-c-]");
}

TEST_F(LocalPaneTest, FillsDirectoriesAndMaskedFilesSorted) {
  dir.Write("b.txt", "bb");
  dir.Write("A.TXT", "a");
  dir.Write("notes.doc", "n");
  ASSERT_TRUE(platform::MakeDirectory(dir.File("Sub")));
  ASSERT_TRUE(platform::MakeDirectory(dir.File("alpha")));
  ScopedCurrentDir cd(dir.path());
  core::Settings().longdir = 0;
  local::LocalPane().localMask = "*.txt";
  local::ListLocalDirectory();
  EXPECT_EQ(Items(dirs), (std::vector<std::string>{"..", "alpha", "Sub"}));  // "." left out
  EXPECT_EQ(Items(files), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(field.Text(), platform::CurrentDirectory());
  EXPECT_GT(files.HorizontalExtent(), files.TextWidth("a.txt"));

  // An empty mask lists every file; LONGDIR items carry the columns.
  local::LocalPane().localMask = "";
  core::Settings().longdir = 1;
  local::ListLocalDirectory();
  EXPECT_EQ(local::LocalPane().localMask, "*.*");
  ASSERT_EQ(files.Count(), 3);
  EXPECT_EQ(files.Text(1).substr(0, 15), "b.txt       \t| ");
  EXPECT_EQ(files.Text(1).substr(files.Text(1).size() - 11), "          2");
}

TEST_F(LocalPaneTest, FiveGibibyteFileShowsItsWholeSize) {
  std::string big = dir.File("big.iso");
  int fd = ::open(big.c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  bool sized = ::ftruncate(fd, 5368709120LL) == 0;  // sparse: no disk space used
  ::close(fd);
  if (!sized) GTEST_SKIP() << "the file system takes no 5 GiB file";
  ScopedCurrentDir cd(dir.path());
  local::ListLocalDirectory();
  ASSERT_EQ(files.Count(), 1);
  EXPECT_NE(files.Text(0).find(" 5368709120"), std::string::npos) << files.Text(0);

  std::string report = dir.File("info.txt");
  EXPECT_EQ(local::WriteLocalDirInfo(report), 1);
  std::string text = testing_support::ReadFile(report);
  EXPECT_NE(text.find("big.iso                        5368709120 "), std::string::npos) << text;
}

TEST_F(LocalPaneTest, DirInfoReportLines) {
  dir.Write("x.dat", "12345");
  ASSERT_TRUE(platform::MakeDirectory(dir.File("a-directory-with-a-name-longer-than-thirty")));
  ScopedCurrentDir cd(dir.path());
  std::string report = dir.File("report.txt");
  EXPECT_EQ(local::WriteLocalDirInfo(report), 1);
  std::string text = testing_support::ReadFile(report);
  EXPECT_EQ(text.rfind(" Directory of " + platform::CurrentDirectory() + "\n\n", 0), 0u);
  EXPECT_NE(text.find("\na-directory-with-a-name-longer <DIR>      "), std::string::npos) << text;
  EXPECT_NE(text.find("\nx.dat                                   5 "), std::string::npos) << text;
  // An uncreatable report still returns 1.
  EXPECT_EQ(local::WriteLocalDirInfo(dir.File("no/such/dir/r.txt")), 1);
}

TEST(LocalNames, MasksAndReservedNames) {
  struct Case {
    const char* name;
    const char* mask;
    bool match;
  } cases[] = {{"a.txt", "*.*", true},     {"Makefile", "*.*", true},  {"A.TXT", "*.txt", true},
               {"a.txt.bak", "*.txt", false}, {"ab.c", "a?.c", true},  {"abc.c", "a?.c", false},
               {"Makefile", "Makefile.*", true}, {"x", "", true}};
  for (const auto& c : cases) EXPECT_EQ(local::MatchesMask(c.name, c.mask), c.match) << c.name << " " << c.mask;
  for (const char* bad : {"CON", "con.txt", "Lpt1", "COM9.log", "nul", "dir.", "dir ", ""})
    EXPECT_TRUE(local::IsReservedLocalName(bad)) << bad;
  for (const char* good : {"console", "COM10", "lpt", "src", "a.b"}) EXPECT_FALSE(local::IsReservedLocalName(good)) << good;
}

// ---- viewer and associations ----

std::vector<std::string>& Started() {
  static std::vector<std::string> started;
  return started;
}
bool RecordStart(const std::string& cmd) {
  Started().push_back(cmd);
  return true;
}

class Associations : public ::testing::Test, public local::AssociatePort {
 protected:
  void SetUp() override {
    Started().clear();
    core::Settings().Reset();
    core::Files().settingsFile = dir.File("MIRVAN.INI");
    setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);  // the store lives in the per-user folder
    local::SetProgramStarter(RecordStart);
    local::SetAssociatePort(this);
  }
  void TearDown() override {
    local::SetProgramStarter(nullptr);
    local::SetAssociatePort(nullptr);
    unsetenv("XDG_CONFIG_HOME");
  }
  int EditAssociations(const std::string& ext) override {
    offered.push_back(ext);
    if (answer.empty()) return 0;
    local::WriteAssociation(ext, local::AssociationToStore(ext, answer));
    return 1;
  }
  TempDir dir;
  std::vector<std::string> offered;
  std::string answer;
};

TEST_F(Associations, ViewerCommand) {
  EXPECT_TRUE(local::ViewFile("readme.txt"));
  EXPECT_TRUE(local::ViewFile("README"));
  core::WriteConfigString("VIEWER", "c:\\tools\\ed.exe");
  local::ViewFile("a.log");
  EXPECT_EQ(Started(), (std::vector<std::string>{"notepad readme.txt", "notepad README.", "c:\\tools\\ed.exe a.log"}));
}

TEST_F(Associations, RunOrOpen) {
  EXPECT_EQ(local::RunOrOpen("SETUP.EXE"), "SETUP.EXE");  // a program runs itself
  EXPECT_EQ(local::RunOrOpen("noextension"), "");         // nothing happens
  EXPECT_EQ(local::RunOrOpen("dir.d/noext"), "");         // a dot in a directory is no extension
  local::WriteAssociation("doc", "c:\\w\\write.exe ^.doc");
  EXPECT_EQ(local::RunOrOpen("letter.DOC"), "c:\\w\\write.exe letter.DOC");
  local::WriteAssociation("lst", "viewer");
  EXPECT_EQ(local::RunOrOpen("a.lst"), "viewer a.lst");
  // No association: the dialog is offered the extension; Cancel starts nothing.
  EXPECT_EQ(local::RunOrOpen("pic.bmp"), "");
  answer = "c:\\paint\\pbrush.exe";
  EXPECT_EQ(local::RunOrOpen("pic.bmp"), "c:\\paint\\pbrush.exe pic.bmp");
  EXPECT_EQ(local::ReadAssociation("BMP"), "c:\\paint\\pbrush.exe ^.bmp");
  EXPECT_EQ(offered, (std::vector<std::string>{"bmp", "bmp"}));
  EXPECT_EQ(Started(), (std::vector<std::string>{"SETUP.EXE", "c:\\w\\write.exe letter.DOC", "viewer a.lst",
                                                 "c:\\paint\\pbrush.exe pic.bmp"}));
}

// The dialog's lists come from the store: extensions in lower case, each program once (a program
// that an item already begins with is left out).
TEST_F(Associations, DialogListsFromTheStore) {
  local::WriteAssociation("DOC", "C:\\W\\Write.exe ^.doc");
  local::WriteAssociation("txt", "c:\\w\\write.exe ^.txt");
  local::WriteAssociation("bmp", "pbrush ^.bmp");
  local::WriteAssociation("wri", "c:\\w\\write");
  local::WriteAssociation("pcx", "pbrush.exe ^.pcx");
  auto entries = local::ListAssociations();
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[0], (std::pair<std::string, std::string>{"DOC", "C:\\W\\Write.exe ^.doc"}));
  local::AssociateLists lists = local::AssociateDialogLists(entries);
  EXPECT_EQ(lists.extensions, (std::vector<std::string>{"doc", "txt", "bmp", "wri", "pcx"}));
  EXPECT_EQ(lists.programs, (std::vector<std::string>{"c:\\w\\write.exe", "pbrush", "pbrush.exe"}));
}

TEST(AssociationDialog, OkRule) {
  EXPECT_EQ(local::AssociationToStore("txt", "ed.exe"), "ed.exe ^.txt");
  EXPECT_EQ(local::AssociationToStore("txt", "ed.exe ^.doc"), "ed.exe ^.txt");
  EXPECT_EQ(local::AssociationToStore("txt", "ed.exe ^.txt"), "ed.exe ^.txt");
  EXPECT_EQ(local::AssociationToStore("html", "b.exe"), "b.exe ^.htm");  // three characters taken
  EXPECT_EQ(local::AssociationToStore("", "b.exe"), "");
  EXPECT_EQ(local::AssociationToStore("txt", ""), "");
}

}  // namespace
