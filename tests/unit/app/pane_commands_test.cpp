// The main window's pane commands reach the local pane: the window's mask decides the file list,
// and changing into a selected directory lists it.
#include <gtest/gtest.h>

#include "app/file_commands.h"
#include "app/pane_commands.h"
#include "core/settings.h"
#include "local/local_list.h"
#include "platform/fs.h"
#include "support/ports.h"
#include "support/temp_dir.h"

namespace {

class PaneCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    start = platform::CurrentDirectory();
    dir.Write("a.txt", "a");
    dir.Write("b.bin", "bb");
    ASSERT_TRUE(platform::MakeDirectory(dir.File("sub")));
    dir.Write("sub/c.txt", "ccc");
    ASSERT_TRUE(platform::ChangeDirectory(dir.path()));
    window.local.dirs = &dirs;
    window.local.files = &files;
    window.local.dirField = &field;
    window.local.mask = &mask;
    app::AttachPanes(window.local, window.remote);
    core::Settings().longdir = 0;
  }
  void TearDown() override {
    app::DetachPanes();
    local::LocalPane().Reset();
    platform::ChangeDirectory(start);
    core::Settings().Reset();
  }
  std::vector<std::string> Items(const ui::ListBox& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Text(i));
    return out;
  }
  testing_support::TempDir dir;
  std::string start;
  ui::MemoryListBox dirs{true}, files{true};
  ui::MemoryComboBox field{true};
  ui::MemoryEdit mask;
  app::MainWindowState window;
  app::FilePaneCommands panes{window};
};

TEST_F(PaneCommandsTest, FillFollowsTheWindowsMaskAndChangeDirEntersTheSelection) {
  local::LocalPane().localMask = "*.txt";
  panes.FillLocalLists();
  EXPECT_EQ(Items(files), std::vector<std::string>{"a.txt"});
  int sub = dirs.FindExact("sub");
  ASSERT_GE(sub, 0);
  EXPECT_GE(dirs.FindExact(".."), 0);

  dirs.SetSelected(sub, true);
  dirs.SetCurSel(sub);
  mask.SetText("*.*");
  panes.ChangeDir(false);
  EXPECT_EQ(platform::CurrentDirectory(), dir.File("sub"));
  EXPECT_EQ(Items(files), std::vector<std::string>{"c.txt"});
}

}  // namespace
