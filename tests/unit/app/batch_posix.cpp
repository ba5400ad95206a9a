// Batches of files each way against a real server: numbering, the one refresh at the end, a
// failing file ending the batch, the prompt switch and cancelled name prompts, item names.
#include "app/batch.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>

#include "app/worker.h"
#include "local/associations.h"
#include "platform/dir_scan.h"
#include "support/ports.h"
#include "unit/app/batch_fixture.h"

namespace {

using testing_support::ReadFile;

class Batch : public RealBatchTest {};

TEST_F(Batch, ThreeFilesEachWayNumberedWithOneRefreshAtTheEnd) {
  const std::vector<std::string> names{"a.txt", "b.bin", "c.dat"};
  std::string content[3] = {"alpha\n", std::string(70000, '\x01') + "\r\n\x1a", ""};
  for (int i = 0; i < 3; ++i) local.Write(names[i], content[i]);
  Fill(localFiles, names, true);
  ASSERT_TRUE(app::StartUpload(false));
  app::JoinWorker();
  for (unsigned k = 1; k <= 3; ++k) {
    const std::string& n = names[k - 1];
    EXPECT_TRUE(Logged("sending " + n + " as " + n + " (" + std::to_string(k) + " of 3)")) << n;
    EXPECT_EQ(ReadFile(Remote(n)), content[k - 1]) << n;
  }
  EXPECT_EQ(view.remoteRefreshes.load(), 1);
  EXPECT_EQ(view.busyAtRemoteRefresh.load(), 0);  // the refresh is not refused as busy
  EXPECT_EQ(view.sounds.load(), 1);
  EXPECT_EQ(core::IsBusy(), 0);

  // And back into another directory: each file shows at once, one local refresh at the end.
  testing_support::TempDir back;
  testing_support::ScopedCurrentDir cd(back.path());
  Fill(remoteFiles, {"a.txt        \t| 260101 10:00          6", "b.bin", "c.dat"}, true);
  ASSERT_TRUE(app::StartDownload(false));
  app::JoinWorker();
  for (unsigned k = 1; k <= 3; ++k) {
    const std::string& n = names[k - 1];
    EXPECT_TRUE(Logged("receiving " + n + " as " + n + " (" + std::to_string(k) + " of 3)")) << n;
    EXPECT_EQ(ReadFile(back.File(n)), content[k - 1]) << n;
  }
  EXPECT_EQ(view.Added(), names);
  EXPECT_EQ(view.localRefreshes.load(), 1);
  EXPECT_EQ(view.sounds.load(), 2);
  EXPECT_EQ(core::IsBusy(), 0);
}

TEST_F(Batch, SecondOfThreeFailingLeavesTheThirdUntriedAndPlaysNoSound) {
  // Up: the second local file does not exist.
  local.Write("one", "1");
  local.Write("three", "3");
  Fill(localFiles, {"one", "three", "two"}, true);
  app::BatchResult up = app::RunUploadBatch({"one", "two", "three"}, false);
  EXPECT_EQ(up.transferred, 1);
  EXPECT_TRUE(up.stopped);
  EXPECT_TRUE(Logged("sending two as two (2 of 3)"));
  EXPECT_FALSE(Logged("(3 of 3)"));
  EXPECT_FALSE(platform::PathExists(Remote("three")));
  EXPECT_EQ(view.remoteRefreshes.load(), 1);  // one file went through
  EXPECT_EQ(view.sounds.load(), 0);

  // Down: the server refuses the second.
  testing_support::TempDir back;
  testing_support::ScopedCurrentDir cd(back.path());
  local.Write("dummy", "");
  ASSERT_TRUE(platform::PathExists(Remote("one")));
  std::FILE* f = std::fopen(Remote("three").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  app::BatchResult down = app::RunDownloadBatch({"one", "missing", "three"}, false);
  EXPECT_EQ(down.transferred, 1);
  EXPECT_TRUE(Logged("receiving missing as missing (2 of 3)"));
  EXPECT_FALSE(platform::PathExists(back.File("three")));
  EXPECT_EQ(view.sounds.load(), 0);
  EXPECT_EQ(view.localRefreshes.load(), 1);
  EXPECT_EQ(core::IsBusy(), 0);
}

// The disk fills during a batch (a file-size limit makes writes past 64 KiB fail as a full disk
// does): the file being written fails, the user's older copy of it stays as it was, the batch
// stops there, and the connection serves the next transfer once there is room again.
TEST_F(Batch, ADiskFillingDuringABatchStopsItAndKeepsTheUsersFile) {
  const std::string big(300000, 'B');
  for (const char* n : {"one", "big", "three"}) {
    std::FILE* f = std::fopen(Remote(n).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs(std::string(n) == "big" ? big.c_str() : n, f);
    std::fclose(f);
  }
  testing_support::TempDir back;
  testing_support::ScopedCurrentDir cd(back.path());
  back.Write("big", "the user's own file");
  struct rlimit before {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
  void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = before;
  small.rlim_cur = 64 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  app::BatchResult down = app::RunDownloadBatch({"one", "big", "three"}, false);
  setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(down.transferred, 1);
  EXPECT_TRUE(down.stopped);
  EXPECT_TRUE(Logged("File error on WRITE! Aborted"));
  EXPECT_TRUE(Logged("transfer failed"));
  EXPECT_FALSE(Logged("(3 of 3)"));
  EXPECT_EQ(ReadFile(back.File("one")), "one");
  EXPECT_EQ(ReadFile(back.File("big")), "the user's own file");
  EXPECT_FALSE(platform::PathExists(back.File("three")));
  EXPECT_EQ(view.sounds.load(), 0);
  EXPECT_EQ(core::IsBusy(), 0);
  int leftovers = 0;  // no partial temporary file beside the targets
  std::vector<platform::DirEntry> entries;
  ASSERT_TRUE(platform::ScanDirectory(back.path(), entries));
  for (const auto& e : entries)
    leftovers += !e.isDirectory && e.name != "one" && e.name != "big" && e.name != "MIRVAN.LOG";
  EXPECT_EQ(leftovers, 0);

  app::BatchResult again = app::RunDownloadBatch({"big", "three"}, false);
  std::string log;
  for (const auto& l : LogLines()) log += l + "\n";
  EXPECT_EQ(again.transferred, 2) << log;
  EXPECT_TRUE(ReadFile(back.File("big")) == big) << ReadFile(back.File("big")).size();
  EXPECT_EQ(ReadFile(back.File("three")), "three");
}

TEST_F(Batch, PromptSwitchAndCancelledNamePromptsContinueTheBatch) {
  // PROMPT off, Ctrl or Shift held: ask for every file.
  EXPECT_TRUE(app::BatchPrompt(true));
  EXPECT_FALSE(app::BatchPrompt(false));
  core::Settings().prompt = 1;
  EXPECT_TRUE(app::BatchPrompt(false));
  EXPECT_FALSE(app::BatchPrompt(true));
  core::Settings().prompt = 0;

  for (const char* n : {"a.txt", "b.txt", "c.txt"}) local.Write(n, n);
  Fill(localFiles, {"a.txt", "b.txt", "c.txt"}, true);
  testing_support::ScriptedPrompts prompts;
  prompts.answers = {{true, "renamed.txt"}, {false, ""}, {true, "c.txt"}};
  ASSERT_TRUE(app::StartUpload(true));
  app::JoinWorker();
  ASSERT_EQ(prompts.asked.size(), 3u);
  EXPECT_EQ(prompts.asked[0].promptText, "Enter remote file name for a.txt:");
  EXPECT_EQ(prompts.asked[0].initial, "a.txt");
  EXPECT_EQ(prompts.asked[0].helpContext, 640);
  EXPECT_TRUE(Logged("cancelled"));
  EXPECT_EQ(ReadFile(Remote("renamed.txt")), "a.txt");
  EXPECT_FALSE(platform::PathExists(Remote("b.txt")));
  EXPECT_EQ(ReadFile(Remote("c.txt")), "c.txt");
  EXPECT_TRUE(Logged("sending c.txt as c.txt (3 of 3)"));
  EXPECT_EQ(view.sounds.load(), 1);  // a cancelled name counts as done

  // The download's prompt offers the local name.
  prompts.asked.clear();
  prompts.answers = {{true, "local-copy.txt"}};
  EXPECT_EQ(app::ReceiveOneFile("c.txt", 0, 0, true), 2);
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].promptText, "Enter local file name for c.txt:");
  EXPECT_EQ(prompts.asked[0].helpContext, 630);
  EXPECT_EQ(ReadFile(local.File("local-copy.txt")), "c.txt");
}

TEST_F(Batch, NothingSelectedAsksForOneName) {
  testing_support::ScriptedPrompts prompts;
  prompts.answers = {{false, ""}};
  EXPECT_FALSE(app::StartUpload(false));
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].promptText, "Enter local file name:");
  EXPECT_EQ(core::IsBusy(), 0);
  EXPECT_FALSE(app::WorkerRunning());

  local.Write("typed.txt", "typed");
  prompts.answers = {{true, "typed.txt"}};
  ASSERT_TRUE(app::StartUpload(false));
  app::JoinWorker();
  EXPECT_TRUE(Logged("sending typed.txt as typed.txt (1 of 1)"));
  EXPECT_EQ(ReadFile(Remote("typed.txt")), "typed");
}

TEST(ItemName, CutsTheColumnsAndTrailingBlanksAndReadsTheSize) {
  ui::MemoryListBox list;
  struct Case {
    const char* text;
    int64_t data;
    const char* name;
  } cases[] = {
      {"readme.txt  \t| 960123 10:05       1234", 1234, "readme.txt"},
      {"a-long-file-name.tar.gz\t| 260101 00:00 5368709120", 5368709120LL, "a-long-file-name.tar.gz"},
      {"NAME WITH  \t| blanks", 7, "NAME WITH"},  // inner blanks stay
      {"plain\r\n", 0, "plain"},
      {"tab\tinside", 0, "tab\tinside"},  // a tab without "| " is part of the name
  };
  for (const auto& c : cases) {
    int i = list.AddString(c.text);
    list.SetItemData(i, c.data);
    std::string name;
    EXPECT_EQ(app::ItemName(list, i, name), static_cast<int>(std::string(c.name).size()));
    EXPECT_EQ(name, c.name);
    EXPECT_EQ(app::Batch().expectedSize.load(), c.data);
  }
  std::string name = "x";
  EXPECT_EQ(app::ItemName(list, 99, name), 0);
  EXPECT_EQ(name, "");
  EXPECT_EQ(app::Batch().expectedSize.load(), 0);
}

}  // namespace

namespace {

class Drop : public RealBatchTest {};

TEST_F(Drop, FilesAreSentLowerCasedAndDirectoriesRefused) {
  core::Settings().doupdate = 0;
  local.Write("A.TXT", "a");
  local.Write("Second.Bin", "b");
  ASSERT_TRUE(platform::MakeDirectory(local.File("folder")));
  // A dropped directory is refused with a line; the files are numbered among themselves.
  EXPECT_EQ(app::DropFiles({local.File("A.TXT"), local.File("folder"), local.File("Second.Bin")}), 2);
  EXPECT_TRUE(Logged(local.File("folder") + " is a directory: not sent"));
  EXPECT_TRUE(Logged("sending " + local.File("A.TXT") + " as a.txt (1 of 2)"));
  EXPECT_EQ(ReadFile(Remote("a.txt")), "a");
  EXPECT_EQ(ReadFile(Remote("second.bin")), "b");
  EXPECT_FALSE(platform::PathExists(Remote("folder")));

  // A failing file ends the drop.
  EXPECT_EQ(app::DropFiles({local.File("missing"), local.File("A.TXT")}), 0);
  EXPECT_EQ(CountLines("as a.txt"), 1);

  // Refused while busy or not connected: nothing sent.
  core::SetBusy(1);
  EXPECT_EQ(app::DropFiles({local.File("A.TXT")}), 0);
  EXPECT_TRUE(Logged("Busy!! File(s) ignored."));
  core::SetBusy(0);
  ftp::Conn().connected = 0;
  EXPECT_EQ(app::DropFiles({local.File("A.TXT")}), 0);
  EXPECT_TRUE(Logged("NOT CONNECTED!! File(s) ignored."));
  EXPECT_EQ(CountLines("as a.txt"), 1);
}

}  // namespace

namespace {

std::vector<std::string>& Started() {
  static std::vector<std::string> started;
  return started;
}
bool RecordStart(const std::string& cmd) {
  Started().push_back(cmd);
  return true;
}

class RemoteViewExec : public RealBatchTest {
 protected:
  void SetUp() override {
    RealBatchTest::SetUp();
    if (IsSkipped()) return;
    Started().clear();
    local::SetProgramStarter(RecordStart);
    listing::ReserveTempNames();
  }
  void TearDown() override {
    local::SetProgramStarter(nullptr);
    RealBatchTest::TearDown();
  }
};

TEST_F(RemoteViewExec, ViewInTheViewerAndExecFromATemporaryFile) {
  std::FILE* f = std::fopen(Remote("notes.txt").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("line one\r\nline two\r\n", f);
  std::fclose(f);
  f = std::fopen(Remote("Tool.EXE").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("MZ\r\n\x1a", f);
  std::fclose(f);
  Fill(remoteFiles, {"notes.txt   \t| 260101 10:00         20", "Tool.EXE"}, false);

  remoteFiles.SetCurSel(0);
  app::RemoteView();
  ASSERT_EQ(Started().size(), 1u);
  EXPECT_EQ(Started()[0], local::ViewerCommandFor(listing::ViewerTempFile()));
  EXPECT_EQ(ReadFile(listing::ViewerTempFile()), "line one\r\nline two\r\n");
  EXPECT_EQ(core::IsBusy(), 0);

  remoteFiles.SetCurSel(1);
  app::RemoteExec();
  ASSERT_EQ(Started().size(), 2u);
  const std::string path = Started()[1];  // an .exe runs itself
  EXPECT_EQ(path.substr(0, platform::TempDirectory().size()), platform::TempDirectory());
  EXPECT_EQ(ReadFile(path), "MZ\r\n\x1a");  // binary type
  EXPECT_TRUE(Logged("receiving Tool.EXE as " + path));
  EXPECT_EQ(core::IsBusy(), 0);
  platform::RemoveFile(path);

  // Busy: neither starts a transfer.
  core::SetBusy(1);
  app::RemoteView();
  app::RemoteExec();
  core::SetBusy(0);
  EXPECT_EQ(Started().size(), 2u);
}

}  // namespace
