// The pane commands on a scripted server (the exact commands sent) and on local files: the
// delete flows with each confirmation answer, rename, make and remove directory, change directory.
#include "app/file_commands.h"

#include <gtest/gtest.h>

#include <deque>

#include "app/batch.h"
#include "core/app_state.h"
#include "listing/dir_list.h"
#include "local/local_list.h"
#include "platform/fs.h"
#include "support/ports.h"
#include "unit/ftp/session_fixture.h"

namespace {

// Answers the delete confirmation from a script and records each question.
class ScriptedConfirm : public app::ConfirmDeletePort {
 public:
  ScriptedConfirm() { app::SetConfirmDeletePort(this); }
  ~ScriptedConfirm() override { app::SetConfirmDeletePort(nullptr); }
  int Ask(const std::string& text, bool offerAll) override {
    asked.push_back({text, offerAll});
    if (answers.empty()) return app::kDeleteCancel;
    int a = answers.front();
    answers.pop_front();
    return a;
  }
  std::deque<int> answers;
  std::vector<std::pair<std::string, bool>> asked;
};

class PaneCommands : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    core::Settings().doupdate = 0;  // no listing after each change: the transcript is the commands
    core::Settings().vrfydel = 1;
    core::SetBusy(0);
    app::PaneControls l, r;
    l.dirs = &localDirs;
    l.files = &localFiles;
    l.dirField = &localField;
    r.dirs = &remoteDirs;
    r.files = &remoteFiles;
    r.dirField = &remoteField;
    app::AttachPanes(l, r);
    ASSERT_EQ(ConnectAndGreet(), 2);
    ftp::Conn().ctrl_skt = ctrl;
  }
  void TearDown() override {
    app::DetachPanes();
    core::Settings().Reset();
    SessionTest::TearDown();
  }
  void SelectAll(ui::MemoryListBox& list, const std::vector<std::string>& items) {
    list.Clear();
    for (const auto& s : items) list.SetSelected(list.AddString(s), true);
  }
  std::vector<std::string> Commands() {
    return server.Transcript();
  }

  ui::MemoryListBox localDirs{true}, localFiles{true}, remoteDirs{true}, remoteFiles{false};
  ui::MemoryComboBox localField, remoteField;
  ScriptedConfirm confirm;
  testing_support::ScriptedPrompts prompts;
};

TEST_F(PaneCommands, RemoteDeleteWithEachAnswer) {
  using V = std::vector<std::string>;
  const V three{"a.txt       \t| 260101 10:00          1", "b.txt", "c.txt"};
  struct Case {
    const char* name;
    std::deque<int> answers;
    int vrfydel;
    V dele;
    size_t questions;
  } cases[] = {
      {"delete all at the first", {app::kDeleteAll}, 1, {"DELE a.txt", "DELE b.txt", "DELE c.txt"}, 1},
      {"cancel at the second", {app::kDeleteYes, app::kDeleteCancel}, 1, {"DELE a.txt"}, 2},
      {"no, yes, no", {app::kDeleteNo, app::kDeleteYes, app::kDeleteNo}, 1, {"DELE b.txt"}, 3},
      {"no confirmation asked", {}, 0, {"DELE a.txt", "DELE b.txt", "DELE c.txt"}, 0},
  };
  size_t seen = 0;
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (size_t i = 0; i < c.dele.size(); ++i) server.On("DELE", i == 1 ? "550 refused\r\n" : "250 gone\r\n");
    core::Settings().vrfydel = c.vrfydel;
    confirm.answers = c.answers;
    confirm.asked.clear();
    SelectAll(remoteFiles, three);
    app::RemoteDelete();
    ASSERT_TRUE(server.WaitForCommands(seen + c.dele.size()));
    V got = Commands();
    EXPECT_EQ(V(got.begin() + static_cast<long>(seen), got.end()), c.dele);  // a refused DELE does not stop
    seen = got.size();
    ASSERT_EQ(confirm.asked.size(), c.questions);
    if (c.questions > 0) {
      EXPECT_EQ(confirm.asked[0].first, "Are you sure you want to delete \"a.txt\"?");
      EXPECT_TRUE(confirm.asked[0].second);  // three left: "Delete All" offered
    }
    if (c.questions == 3) {
      EXPECT_FALSE(confirm.asked[2].second);  // the last one: not offered
    }
  }
  // One file: no "Delete All"; a port that answers it anyway is read as Cancel.
  core::Settings().vrfydel = 1;
  confirm.answers = {app::kDeleteAll};
  confirm.asked.clear();
  SelectAll(remoteFiles, {"only.txt"});
  app::RemoteDelete();
  ASSERT_EQ(confirm.asked.size(), 1u);
  EXPECT_FALSE(confirm.asked[0].second);
  EXPECT_EQ(Commands().size(), seen);

  // Busy: refused without a question.
  core::SetBusy(1);
  confirm.asked.clear();
  app::RemoteDelete();
  EXPECT_TRUE(confirm.asked.empty());
  core::SetBusy(0);
}

TEST_F(PaneCommands, RenameSendsRntoOnlyAfterRnfrIsAccepted) {
  remoteFiles.AddString("old.txt     \t| 260101 10:00          1");
  remoteFiles.SetCurSel(0);
  server.On("RNFR", "550 no such file\r\n");
  prompts.answers = {{true, "new.txt"}};
  app::RemoteRename();
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].promptText, "Enter new name for \"old.txt\":");
  EXPECT_EQ(prompts.asked[0].initial, "old.txt");
  server.On("NOOP", "200 ok\r\n");
  ftp::SendFtpCommand(ctrl, "NOOP");  // a marker: nothing was sent between
  EXPECT_EQ(Commands(), (std::vector<std::string>{"RNFR old.txt", "NOOP"}));

  server.On("RNFR", "350 ready\r\n");
  server.On("RNTO", "250 renamed\r\n");
  prompts.answers = {{true, "new.txt"}};
  app::RemoteRename();
  EXPECT_EQ(Commands(), (std::vector<std::string>{"RNFR old.txt", "NOOP", "RNFR old.txt", "RNTO new.txt"}));
}

TEST_F(PaneCommands, RemoteDirectoryCommands) {
  // Typed at the prompt: removed without a confirmation.
  server.On("RMD", "250 removed\r\n");
  prompts.answers = {{true, "typed"}};
  app::RemoteRmDir();
  EXPECT_TRUE(confirm.asked.empty());
  EXPECT_EQ(prompts.asked.back().helpContext, 650);
  // Selected: confirmed once, without "Delete All"; No sends nothing.
  remoteDirs.AddString("..");
  remoteDirs.AddString("sub");
  remoteDirs.SetCurSel(1);
  confirm.answers = {app::kDeleteNo};
  app::RemoteRmDir();
  ASSERT_EQ(confirm.asked.size(), 1u);
  EXPECT_EQ(confirm.asked[0], std::make_pair(std::string("Are you sure you want to delete \"sub\"?"), false));
  server.On("MKD", "257 made\r\n");
  prompts.answers = {{true, "new dir"}};
  app::RemoteMkDir();
  EXPECT_EQ(Commands(), (std::vector<std::string>{"RMD typed", "MKD new dir"}));

  // The remote field while busy: nothing sent, and its list closes again at once.
  core::SetBusy(1);
  EXPECT_TRUE(app::RemoteDirFieldMustClose());
  app::RemoteDirFieldPicked("/pub");
  app::RemoteChgDir();
  core::SetBusy(0);
  EXPECT_FALSE(app::RemoteDirFieldMustClose());
  EXPECT_EQ(Commands().size(), 2u);
}

class LocalCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    core::Settings().Reset();
    app::PaneControls l, r;
    l.dirs = &dirs;
    l.files = &files;
    l.dirField = &field;
    l.mask = &mask;
    app::AttachPanes(l, r);
  }
  void TearDown() override {
    app::DetachPanes();
    local::LocalPane().Reset();
    core::Settings().Reset();
  }
  int Select(const std::string& name) {
    for (int i = 0; i < files.Count(); ++i) {
      std::string n;
      app::ItemName(files, i, n);
      if (n == name) {
        files.SetSelected(i, true);
        return i;
      }
    }
    return -1;
  }
  testing_support::TempDir dir;
  testing_support::ScopedCurrentDir cd{dir.path()};
  ui::MemoryListBox dirs{true}, files{true};
  ui::MemoryComboBox field;
  ui::MemoryEdit mask;
  ScriptedConfirm confirm;
  testing_support::ScriptedPrompts prompts;
};

TEST_F(LocalCommands, DeleteRenameMakeAndRemoveDirectories) {
  for (const char* n : {"a.txt", "b.txt", "c.txt"}) dir.Write(n, n);
  mask.SetText("");
  app::ReadLocalMask();
  app::LocalRefresh();
  ASSERT_EQ(files.Count(), 3);
  Select("a.txt");
  Select("b.txt");
  Select("c.txt");
  confirm.answers = {app::kDeleteNo, app::kDeleteAll};
  app::LocalDelete();
  EXPECT_EQ(confirm.asked.size(), 2u);
  EXPECT_TRUE(platform::PathExists(dir.File("a.txt")));
  EXPECT_FALSE(platform::PathExists(dir.File("b.txt")));
  EXPECT_FALSE(platform::PathExists(dir.File("c.txt")));
  EXPECT_EQ(files.Count(), 1);  // rebuilt

  files.SetCurSel(0);
  prompts.answers = {{true, "z.txt"}};
  app::LocalRename();
  EXPECT_EQ(testing_support::ReadFile(dir.File("z.txt")), "a.txt");

  prompts.answers = {{true, "newdir"}};
  app::LocalMkDir();
  EXPECT_TRUE(platform::IsDirectory(dir.File("newdir")));
  EXPECT_GE(dirs.FindExact("newdir"), 0);
  EXPECT_EQ(prompts.asked.back().helpContext, 185);

  dirs.SetCurSel(dirs.FindExact("newdir"));
  confirm.answers = {app::kDeleteCancel, app::kDeleteYes};
  app::LocalRmDir();
  EXPECT_TRUE(platform::IsDirectory(dir.File("newdir")));
  dirs.SetCurSel(dirs.FindExact("newdir"));
  app::LocalRmDir();
  EXPECT_FALSE(platform::PathExists(dir.File("newdir")));
  EXPECT_LT(dirs.FindExact("newdir"), 0);
}

TEST_F(LocalCommands, ChangeDirectoryBySelectionPromptAndField) {
  ASSERT_TRUE(platform::MakeDirectory(dir.File("sub")));
  app::LocalRefresh();
  dirs.SetCurSel(dirs.FindExact("sub"));
  app::LocalChgDir();
  EXPECT_EQ(platform::CurrentDirectory(), dir.File("sub"));
  EXPECT_EQ(field.Text(), dir.File("sub"));
  // No selection: asked; Cancel changes nothing.
  dirs.SetCurSel(-1);
  prompts.answers = {{false, ""}, {true, dir.path()}};
  app::LocalChgDir();
  EXPECT_EQ(platform::CurrentDirectory(), dir.File("sub"));
  app::LocalChgDir();
  EXPECT_EQ(platform::CurrentDirectory(), dir.path());
  EXPECT_EQ(prompts.asked[0].promptText, "Enter local directory name:");
  // The field: a directory that does not exist changes nothing.
  app::LocalDirFieldPicked(dir.File("missing"));
  EXPECT_EQ(platform::CurrentDirectory(), dir.path());
  app::LocalDirFieldPicked(dir.File("sub"));
  EXPECT_EQ(platform::CurrentDirectory(), dir.File("sub"));
}

}  // namespace
