// Tree transfers against real servers: the walk's order and messages over a three-level tree,
// byte-identical both ways; a level that cannot be entered stops the walk and returns to the
// start; a symbolic-link loop ends at the depth bound.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "app/batch.h"
#include "app/file_commands.h"
#include "integration/real_session_fixture.h"
#include "listing/dir_list.h"
#include "local/local_list.h"
#include "support/ports.h"

namespace {

using testing_support::ReadFile;

class TreeTransfer : public RealSessionTest {
 protected:
  void SetUp() override {
    RealSessionTest::SetUp();
    if (IsSkipped()) return;
    core::Settings().bell = 0;
    core::Settings().hash = 0;
    core::Settings().prompt = 0;
    listing::ClearListingCache();
    local::LocalPane().Reset();
    listing::RemotePane().Reset();
    app::PaneControls l, r;
    l.dirField = &localField;
    l.dirs = &localDirs;
    l.files = &localFiles;
    r.dirField = &remoteField;
    r.dirs = &remoteDirs;
    r.files = &remoteFiles;
    app::AttachPanes(l, r);
    cd = std::make_unique<testing_support::ScopedCurrentDir>(local.path());
    start = platform::CurrentDirectory();
    testing_support::ResetTestFront().logWindowOpen = true;  // every line reaches the log window
  }
  void TearDown() override {
    testing_support::ResetTestFront();
    cd.reset();
    app::DetachPanes();
    listing::ClearListingCache();
    RealSessionTest::TearDown();
  }
  std::string Home() const { return server->kind() == RealFtpServer::kPyftpdlib ? "/" : server->userRoot(); }
  std::string Below(const std::string& path) const { return Home() == "/" ? "/" + path : Home() + "/" + path; }
  static void WriteFile(const std::string& path, const std::string& content) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
  }
  // The three-level tree: top/{f1.txt, sub1/{f2.bin, deep/f3.txt}, sub2/f4.txt}.
  void MakeTree(const std::string& root) {
    for (const char* d : {"top", "top/sub1", "top/sub1/deep", "top/sub2"})
      ASSERT_TRUE(platform::MakeDirectory(platform::JoinPath(root, d))) << d;
    for (const auto& [name, content] : Files()) WriteFile(platform::JoinPath(root, name), content);
  }
  static std::vector<std::pair<std::string, std::string>> Files() {
    std::string binary;
    for (int i = 0; i < 100000; ++i) binary += static_cast<char>((i * 7) % 256);
    return {{"top/f1.txt", "one\r\nline\n"},
            {"top/sub1/f2.bin", binary},
            {"top/sub1/deep/f3.txt", "three"},
            {"top/sub2/f4.txt", ""}};
  }
  // The walk's own lines and the transfer lines, in order.
  std::vector<std::string> WalkLines() const {
    std::vector<std::string> out;
    std::string all = LogText();
    for (size_t at = 0, end; (end = all.find("\r\n", at)) != std::string::npos; at = end + 2) {
      std::string l = all.substr(at, end - at);
      if (l.compare(0, 3, "[S]") == 0 || l.compare(0, 3, "[E]") == 0 || l.compare(0, 8, "sending ") == 0 ||
          l.compare(0, 10, "receiving ") == 0)
        out.push_back(l);
    }
    return out;
  }
  // Every line since the walk began (the log's ring keeps only the newest).
  static std::string LogText() {
    ui::MemoryFrontEnd& f = testing_support::TestFront();
    std::lock_guard<std::mutex> guard(f.lock);
    return f.logText.Text();
  }
  bool Mentions(const std::string& text) const { return LogText().find(text) != std::string::npos; }
  // The lines of a successful walk over the tree (`verb`: "receiving" or "sending").
  std::vector<std::string> ExpectedLines(const std::string& verb, const std::string& remoteStart,
                                         const std::string& localStart) const {
    auto r = [&](const std::string& sub) { return sub.empty() ? remoteStart : (remoteStart == "/" ? "/" : remoteStart + "/") + sub; };
    auto l = [&](const std::string& sub) { return sub.empty() ? localStart : localStart + "/" + sub; };
    auto file = [&](const char* n) { return verb + " " + n + " as " + n + " (1 of 1)"; };
    auto back = [&](const std::string& sub) {
      return std::vector<std::string>{"[S] transfer directory complete", "[S] changed back to orig dir " + r(sub),
                                      "[S] changed back to orig ldir " + l(sub)};
    };
    std::vector<std::string> want{file("f1.txt"), file("f2.bin"), file("f3.txt")};
    for (auto part : {back("top/sub1"), back("top"), std::vector<std::string>{file("f4.txt")}, back("top"), back("")})
      want.insert(want.end(), part.begin(), part.end());
    for (auto& w : want) w.resize(std::min<size_t>(w.size(), core::kLineChars));  // as the log keeps them
    return want;
  }
  void SelectOnly(ui::ListBox& list, const std::string& item) {
    for (int i = 0; i < list.Count(); ++i) list.SetSelected(i, list.Text(i) == item);
    ASSERT_GE(list.FindExact(item), 0) << item;
  }

  std::unique_ptr<testing_support::ScopedCurrentDir> cd;
  std::string start;
  ui::MemoryComboBox localField, remoteField;
  ui::MemoryListBox localDirs{true}, localFiles{true}, remoteDirs{true}, remoteFiles{false};
};

TEST_P(TreeTransfer, DownloadWalksTheTreeInOrderByteIdentical) {
  MakeTree(server->userRoot());
  Connect();
  listing::DoDirList(1);
  SelectOnly(remoteDirs, "top");
  EXPECT_EQ(app::DownloadTree(), 15);
  EXPECT_EQ(WalkLines(), ExpectedLines("receiving", Home(), start));
  EXPECT_FALSE(Mentions("stopped before its end"));
  for (const auto& [name, content] : Files())
    EXPECT_TRUE(ReadFile(platform::JoinPath(start, name)) == content) << name;
  EXPECT_EQ(platform::CurrentDirectory(), start);
  EXPECT_EQ(listing::RemotePane().remoteDirName, Home());
  EXPECT_EQ(core::IsBusy(), 0);
}

TEST_P(TreeTransfer, UploadWalksTheTreeInOrderByteIdentical) {
  ASSERT_TRUE(platform::MakeDirectory(Remote("up")));
  ASSERT_EQ(chmod(Remote("up").c_str(), 0777), 0);  // writable by the server's user too
  testing_support::TempDir src;
  MakeTree(src.path());
  Connect();
  ASSERT_EQ(ftp::ChangeRemoteDir(ctrl, "up"), 2);
  listing::DoDirList(1);
  testing_support::ScopedCurrentDir inSrc(src.path());
  const std::string srcStart = platform::CurrentDirectory();
  local::ListLocalDirectory();
  SelectOnly(localDirs, "top");
  EXPECT_EQ(app::UploadTree(), 15);
  EXPECT_EQ(WalkLines(), ExpectedLines("sending", Below("up"), srcStart));
  for (const auto& [name, content] : Files()) EXPECT_TRUE(ReadFile(Remote("up/" + name)) == content) << name;
  EXPECT_EQ(platform::CurrentDirectory(), srcStart);
  EXPECT_EQ(listing::RemotePane().remoteDirName, Below("up"));
}

TEST_P(TreeTransfer, ALevelThatCannotBeEnteredStopsTheWalkAndReturnsToTheStart) {
  MakeTree(server->userRoot());
  // With VLINK on, a link to a file is listed as a directory; it cannot be entered. It sorts
  // before "deep", and "sub2" comes after "sub1": neither may be visited.
  ASSERT_EQ(symlink("f2.bin", Remote("top/sub1/a_link").c_str()), 0);
  core::Settings().vlink = 1;
  core::Settings().modernftp = 0;  // a link shows as a link only in LIST (MLSD gives its target's type)
  Connect();
  listing::DoDirList(1);
  SelectOnly(remoteDirs, "top");
  app::DownloadTree();  // the flags of "top": it was entered and left again
  EXPECT_TRUE(Mentions("[E] failed to change to select dir a_link"));
  EXPECT_TRUE(Mentions("directory transfer stopped before its end"));
  EXPECT_TRUE(platform::PathExists(platform::JoinPath(start, "top/sub1/f2.bin")));
  EXPECT_FALSE(platform::PathExists(platform::JoinPath(start, "top/sub1/deep/f3.txt")));
  EXPECT_FALSE(platform::PathExists(platform::JoinPath(start, "top/sub2")));
  EXPECT_EQ(platform::CurrentDirectory(), start);
  EXPECT_EQ(listing::RemotePane().remoteDirName, Home());
}

TEST_P(TreeTransfer, ALinkLoopEndsAtTheDepthBound) {
  ASSERT_TRUE(platform::MakeDirectory(Remote("loopy")));
  WriteFile(Remote("loopy/x"), "x");
  ASSERT_EQ(symlink(".", Remote("loopy/loop").c_str()), 0);
  core::Settings().vlink = 1;
  Connect();
  listing::DoDirList(1);
  SelectOnly(remoteDirs, "loopy");
  app::DownloadTree();
  EXPECT_TRUE(Mentions("directory transfer stopped before its end"));
  EXPECT_TRUE(Mentions("directory tree deeper than 32 levels: loop not entered"));
  std::string deepest = platform::JoinPath(start, "loopy");
  for (int i = 0; i < app::kMaxTreeDepth - 1; ++i) deepest = platform::JoinPath(deepest, "loop");
  EXPECT_EQ(ReadFile(platform::JoinPath(deepest, "x")), "x");
  EXPECT_FALSE(platform::PathExists(platform::JoinPath(deepest, "loop")));
  EXPECT_EQ(platform::CurrentDirectory(), start);
  EXPECT_EQ(listing::RemotePane().remoteDirName, Home());
}

TEST_P(TreeTransfer, NamesWindowsReadsAsDevicesAreNeverMadeLocallyAndTheRestGoesOn) {
  for (const char* d : {"tree", "tree/CON", "tree/lpt1.x", "tree/ok"}) ASSERT_TRUE(platform::MakeDirectory(Remote(d)));
  WriteFile(Remote("tree/ok/f"), "f");
  Connect();
  listing::DoDirList(1);
  SelectOnly(remoteDirs, "tree");
  app::DownloadTree();
  EXPECT_TRUE(Mentions("refused directory name CON: not entered"));
  EXPECT_FALSE(platform::PathExists(platform::JoinPath(start, "tree/CON")));
  EXPECT_FALSE(platform::PathExists(platform::JoinPath(start, "tree/lpt1.x")));
  EXPECT_EQ(ReadFile(platform::JoinPath(start, "tree/ok/f")), "f");  // the rest of the level goes on
  EXPECT_EQ(platform::CurrentDirectory(), start);
  EXPECT_EQ(listing::RemotePane().remoteDirName, Home());
}

MIRVAN_ALL_REAL_SESSIONS(TreeTransfer);

}  // namespace
