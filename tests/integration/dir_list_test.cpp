// Remote listings from real servers on loopback: what the remote lists show, the listing
// cache's hit, refresh and eviction.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "integration/real_session_fixture.h"
#include "listing/dir_list.h"

namespace {

class RemoteListing : public RealSessionTest {
 protected:
  void SetUp() override {
    RealSessionTest::SetUp();
    if (IsSkipped()) return;
    core::Settings().modernftp = 0;  // the LIST listings of the Unix family
    listing::ClearListingCache();
    listing::RemotePane().Reset();
    listing::RemotePane().dirList = &dirs;
    listing::RemotePane().fileList = &files;
    listing::RemotePane().dirField = &field;
  }
  void TearDown() override {
    listing::ClearListingCache();
    listing::RemotePane().Reset();
    RealSessionTest::TearDown();
  }
  // The start directory as the server's PWD names it (pyftpdlib shows a virtual root).
  std::string Home() const { return server->kind() == RealFtpServer::kPyftpdlib ? "/" : server->userRoot(); }
  std::string Below(const std::string& name) const { return Home() == "/" ? "/" + name : Home() + "/" + name; }
  void Cd(const std::string& name) { ASSERT_EQ(ftp::ChangeRemoteDir(ctrl, name), 2) << name; }
  static std::vector<std::string> Items(const ui::ListBox& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Text(i));
    return out;
  }
  // The file entries as name -> item data (the size).
  std::vector<std::pair<std::string, int64_t>> FileEntries() const {
    std::vector<std::pair<std::string, int64_t>> out;
    for (int i = 0; i < files.Count(); ++i) {
      std::string t = files.Text(i);
      size_t tab = t.find("\t| ");
      std::string name = tab == std::string::npos ? t : t.substr(0, tab);
      name.erase(name.find_last_not_of(' ') + 1);
      out.emplace_back(name, files.ItemData(i));
    }
    std::sort(out.begin(), out.end());
    return out;
  }
  int CountLogged(const std::string& prefix) {
    int n = 0;
    for (const auto& l : core::StoredLines())
      if (l.compare(0, prefix.size(), prefix) == 0) ++n;
    return n;
  }

  ui::MemoryListBox dirs{true}, files{false};
  ui::MemoryComboBox field;
};

}  // namespace

TEST_P(RemoteListing, FilesDirectoriesLinksBlanksAndEmptyFiles) {
  ASSERT_TRUE(platform::MakeDirectory(Remote("subdir")));
  ASSERT_TRUE(platform::MakeDirectory(Remote("dir with blanks")));
  std::string content(1234, 'x');
  ASSERT_EQ(symlink("subdir", Remote("link").c_str()), 0);
  std::FILE* f = std::fopen(Remote("a b.txt").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(content.data(), 1, content.size(), f);
  std::fclose(f);
  f = std::fopen(Remote("empty").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);

  Connect();
  for (int vlink : {1, 0}) {
    SCOPED_TRACE(vlink);
    core::Settings().vlink = vlink;
    listing::DoDirList(1);
    EXPECT_EQ(core::IsBusy(), 0);
    std::vector<std::string> wantDirs{"..", "dir with blanks", "subdir"};
    std::vector<std::pair<std::string, int64_t>> wantFiles{{"a b.txt", 1234}, {"empty", 0}};
    if (vlink == 1) wantDirs.push_back("link");
    else wantFiles.push_back({"link", 6});  // the link's own size: its target's name
    std::sort(wantDirs.begin() + 1, wantDirs.end());
    EXPECT_EQ(Items(dirs), wantDirs);
    EXPECT_EQ(FileEntries(), wantFiles);
  }
  // Detection ran once, before the first listing, and found the Unix family.
  EXPECT_EQ(profiles::CurrentProfile().hostType, ftp::kHostUnix);
  EXPECT_EQ(CountLogged("SYST"), 1);
  EXPECT_EQ(field.Text(), Home());
}

TEST_P(RemoteListing, CacheHitRefreshAndTwentiethDirectoryEviction) {
  for (int i = 0; i < 20; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "d%02d", i);
    ASSERT_TRUE(platform::MakeDirectory(Remote(name)));
  }
  Connect();
  listing::DoDirList(0);  // the start directory: entry 0
  ASSERT_EQ(dirs.Count(), 21);
  std::string rootFile = listing::CurrentListingFile();

  // Back into a listed directory: the cached listing, no LIST; a new file does not show yet.
  Cd("d00");
  listing::DoDirList(0);
  Cd("..");
  std::FILE* f = std::fopen(Remote("new.txt").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  int listsBefore = CountLogged("LIST");
  listing::DoDirList(0);
  EXPECT_EQ(CountLogged("LIST"), listsBefore);
  EXPECT_EQ(CountLogged("[0] using cache " + rootFile), 1);
  EXPECT_EQ(files.Count(), 0);

  // Refresh: a new LIST into the same entry and file.
  listing::DoDirList(1);
  EXPECT_EQ(CountLogged("LIST"), listsBefore + 1);
  EXPECT_EQ(files.Count(), 1);
  EXPECT_EQ(listing::CurrentListingFile(), rootFile);
  EXPECT_EQ(listing::ListingCacheEntries().front().dirName, Home());

  // The start directory and d00 are cached; d01..d17 fill the cache to 19; d18 is the 20th directory.
  for (int i = 1; i <= 17; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "d%02d", i);
    Cd(name);
    listing::DoDirList(0);
    Cd("..");
  }
  ASSERT_EQ(listing::ListingCacheEntries().size(), 19u);
  EXPECT_TRUE(platform::PathExists(rootFile));
  Cd("d18");
  listing::DoDirList(0);
  Cd("..");
  EXPECT_FALSE(platform::PathExists(rootFile));
  EXPECT_EQ(listing::ListingCacheEntries().size(), 19u);
  EXPECT_EQ(listing::ListingCacheEntries().front().dirName, Below("d00"));

  // The evicted directory is listed again from the server.
  listsBefore = CountLogged("LIST");
  listing::DoDirList(0);
  EXPECT_EQ(CountLogged("LIST"), listsBefore + 1);
  EXPECT_EQ(files.Count(), 1);
  EXPECT_EQ(listing::ListingCacheEntries().back().dirName, Home());

  // Closing the connection's cache deletes every listing file.
  auto entries = listing::ListingCacheEntries();
  listing::ClearListingCache();
  for (const auto& e : entries) EXPECT_FALSE(platform::PathExists(e.fileName)) << e.dirName;
}

MIRVAN_ALL_REAL_SESSIONS(RemoteListing);
