// Listing retrieval against a scripted server: PWD forms, the cache key, a refused LIST, not
// connected, the busy flag, and listings fetched outside the cache. Listing data goes over a
// passive data connection served by a small feeder in the test.
#include <gtest/gtest.h>

#include "support/ports.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

#include "core/app_state.h"
#include "listing/dir_list.h"
#include "platform/fs.h"
#include "unit/ftp/session_fixture.h"

using testing_support::ScriptedReply;

namespace {

// Accepts passive data connections on loopback and sends each the next queued listing.
class DataFeeder {
 public:
  DataFeeder() {
    listener_ = platform::NewSocket(true, 6);
    platform::NetAddress at;
    at.address = 0x7F000001;
    platform::BindSocket(listener_, at);
    platform::ListenSocket(listener_, 4);
    platform::NetAddress bound;
    platform::LocalAddress(listener_, bound);
    port_ = bound.port;
    thread_ = std::thread([this] { Run(); });
  }
  ~DataFeeder() {
    stop_ = true;
    platform::Socket poke = platform::NewSocket(true, 6);  // wakes the accept
    platform::NetAddress to;
    to.address = 0x7F000001;
    to.port = static_cast<uint16_t>(port_);
    platform::Connect(poke, to);
    thread_.join();
    platform::CloseSocketHandle(poke);
    platform::CloseSocketHandle(listener_);
  }
  std::string PasvReply() const {
    return "227 Entering Passive Mode (127,0,0,1," + std::to_string(port_ / 256) + "," +
           std::to_string(port_ % 256) + ")\r\n";
  }
  void Queue(std::string listing) {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(listing));
  }

 private:
  void Run() {
    for (;;) {
      platform::Socket c = platform::Accept(listener_, nullptr);
      if (stop_ || c == platform::kNoSocket) {
        if (c != platform::kNoSocket) platform::CloseSocketHandle(c);
        return;
      }
      std::string data;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!queue_.empty()) {
          data = queue_.front();
          queue_.pop_front();
        }
      }
      size_t sent = 0;
      while (sent < data.size()) {
        int n = platform::Send(c, data.data() + sent, static_cast<int>(data.size() - sent));
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
      }
      platform::CloseSocketHandle(c);
    }
  }
  platform::Socket listener_ = platform::kNoSocket;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::deque<std::string> queue_;
  std::thread thread_;
};

const char* kUnixListing =
    "total 2\r\n"
    "drwxr-xr-x   2 joe  users     4096 Mar  1 10:00 docs\r\n"
    "-rw-r--r--   1 joe  users      120 Mar  1 10:00 readme.txt\r\n";

class DirListTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    core::Settings().Reset();
    core::Settings().verbose = 1;
    core::Settings().bell = 0;
    core::Files().extensionListFile = dir.File("MIRVAN.EXT");
    core::SetBusy(0);
    listing::ClearListingCache();
    listing::RemotePane().Reset();
    listing::RemotePane().dirList = &dirs;
    listing::RemotePane().fileList = &files;
    listing::RemotePane().dirField = &field;
    profiles::CurrentProfile().hostType = ftp::kHostUnix;
    profiles::CurrentProfile().passive = 1;
    ftp::Host().hostTypeKnown = 1;
    ASSERT_EQ(ConnectAndGreet(), 2);
    ftp::Conn().connected = 1;
    ftp::Conn().ctrl_skt = ctrl;
  }
  void TearDown() override {
    listing::ClearListingCache();
    listing::RemotePane().Reset();
    core::SetBusy(0);
    core::Settings().Reset();
    SessionTest::TearDown();
  }
  // One visit's replies: PWD, then a listing over the data connection.
  void ExpectVisit(const std::string& pwdReply, const std::string& listing) {
    server.On("PWD", pwdReply);
    ExpectListing("LIST", listing);
  }
  void ExpectListing(const std::string& verb, const std::string& listing) {
    feeder.Queue(listing);
    server.On("PASV", feeder.PasvReply());
    server.On(verb, ScriptedReply::Pieces({"150 Here it comes\r\n", "226 Transfer complete\r\n"}));
  }
  int CountCommands(const std::string& verb) {
    int n = 0;
    for (const auto& l : server.Transcript())
      if (l.compare(0, verb.size(), verb) == 0) ++n;
    return n;
  }
  static std::vector<std::string> Items(const ui::ListBox& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Text(i));
    return out;
  }

  DataFeeder feeder;
  ui::MemoryListBox dirs{true}, files{false};
  ui::MemoryComboBox field;
};

}  // namespace

TEST(PwdReply, DirectoryNameFromEachReplyForm) {
  struct Case {
    const char* rule;
    const char* reply;
    const char* name;
  } cases[] = {
      {"double quotes", "257 \"/usr/home\" is current directory.", "/usr/home"},
      {"double quotes win over an earlier single quote", "257 it's \"/pub\" here", "/pub"},
      {"single quotes when no double quote", "257 '/usr/home' is cwd", "/usr/home"},
      {"a single quote inside double quotes", "257 \"/it's\" is cwd", "/it's"},
      {"a doubled double quote is one quote in the name", "257 \"/a\"\"b\" is cwd", "/a\"b"},
      {"no closing quote takes the rest", "257 \"/open ended", "/open ended"},
      {"unquoted VMS-style reply", "257 USER$DISK:[JOHN] is current directory.", "undecipherable"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(listing::RemoteDirFromPwdReply(c.reply), c.name) << c.rule;
  }
  // A name longer than 250 characters is kept whole: a cut one could match another directory.
  std::string longName = "/" + std::string(300, 'x');
  EXPECT_EQ(listing::RemoteDirFromPwdReply("257 \"" + longName + "\" ok"), longName);
}

TEST(RemoteDirField, NamesJoinOnceAndTheCurrentOneIsSelected) {
  ui::MemoryComboBox field;
  listing::ShowRemoteDirName(&field, "/abc");
  listing::ShowRemoteDirName(&field, "/a");  // a prefix of an earlier name
  EXPECT_EQ(field.Count(), 2);
  EXPECT_EQ(field.Text(), "/a");
  listing::ShowRemoteDirName(&field, "/abc");
  EXPECT_EQ(field.Count(), 2);
  EXPECT_EQ(field.Text(), "/abc");
  listing::ShowRemoteDirName(&field, "/ABC");  // the same name without regard to case: not added
  EXPECT_EQ(field.Count(), 2);
  EXPECT_EQ(field.Text(), "/ABC");
  listing::ShowRemoteDirName(&field, "");
  EXPECT_EQ(field.Count(), 2);
  EXPECT_EQ(field.Text(), "");
}

TEST_F(DirListTest, QuotedNameIsCachedUnquotedNameIsListedAfreshEachVisit) {
  ExpectVisit("257 '/pub' is cwd\r\n", kUnixListing);
  listing::DoDirList(0);
  EXPECT_EQ(Items(dirs), (std::vector<std::string>{"..", "docs"}));
  ASSERT_EQ(files.Count(), 1);
  EXPECT_EQ(field.Text(), "/pub");
  std::string pubFile = listing::CurrentListingFile();

  server.On("PWD", "257 '/pub' is cwd\r\n");
  listing::DoDirList(0);
  EXPECT_TRUE(Logged("[0] using cache " + pubFile));
  EXPECT_EQ(CountCommands("LIST"), 1);
  EXPECT_EQ(Items(dirs), (std::vector<std::string>{"..", "docs"}));

  // A VMS server's unquoted PWD reply: shown as "undecipherable", never reused from the cache.
  ExpectVisit("257 USER$DISK:[JOHN] is current directory.\r\n", kUnixListing);
  listing::DoDirList(0);
  ExpectVisit("257 USER$DISK:[JOHN] is current directory.\r\n", kUnixListing);
  listing::DoDirList(0);
  EXPECT_EQ(field.Text(), "undecipherable");
  EXPECT_EQ(CountCommands("LIST"), 3);
  EXPECT_EQ(listing::CachedDirectoryNames(),
            (std::vector<std::string>{"/pub", "undecipherable", "undecipherable"}));
  EXPECT_EQ(files.Count(), 1);
  EXPECT_EQ(core::IsBusy(), 0);
}

TEST_F(DirListTest, RefusedListShowsOnlyParentAndIsNotCached) {
  struct Case {
    int hostType;
    std::vector<std::string> dirsAfter;
  } cases[] = {
      {ftp::kHostUnix, {".."}},
      {ftp::kHostRsx, {"kept"}},  // this family's directory list is left as it was
  };
  for (const Case& c : cases) {
    profiles::CurrentProfile().hostType = c.hostType;
    listing::RemotePane().remoteMask = "*.txt";
    dirs.Clear();
    dirs.AddString("kept");
    files.AddString("old file");
    server.On("PWD", "257 \"/pub\"\r\n");
    server.On("PASV", feeder.PasvReply());
    server.On("LIST", "550 No files found\r\n");
    feeder.Queue("");
    listing::DoDirList(1);
    EXPECT_EQ(Items(dirs), c.dirsAfter) << c.hostType;
    EXPECT_EQ(files.Count(), 0) << c.hostType;
    EXPECT_TRUE(Logged("DoDirList returned 0")) << c.hostType;
    EXPECT_TRUE(Logged("LIST *.txt"));
    // The failed listing leaves no entry: the next visit asks again.
    EXPECT_TRUE(listing::ListingCacheEntries().empty()) << c.hostType;
  }
}

TEST_F(DirListTest, EmptyMaskSendsListWithNothingAfterIt) {
  ExpectVisit("257 \"/\"\r\n", "");
  listing::DoDirList(1);
  EXPECT_TRUE(Logged("LIST "));
  auto t = server.Transcript();
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(t.back(), "LIST");
  EXPECT_EQ(Items(dirs), (std::vector<std::string>{".."}));
  EXPECT_EQ(files.Count(), 0);
  ASSERT_EQ(listing::ListingCacheEntries().size(), 1u);  // an empty directory is a listing too
}

TEST_F(DirListTest, NotConnectedEmptiesBothListsAndSendsNothing) {
  dirs.AddString("docs");
  files.AddString("readme.txt");
  field.AddString("/pub");
  field.SetCurSel(0);
  ftp::Conn().connected = 0;
  listing::DoDirList(0);
  EXPECT_EQ(dirs.Count(), 0);
  EXPECT_EQ(files.Count(), 0);
  EXPECT_EQ(field.Text(), "");
  EXPECT_TRUE(server.Transcript().empty());
}

TEST_F(DirListTest, BusyDropsTheRequest) {
  dirs.AddString("docs");
  core::SetBusy(1);
  listing::DoDirList(1);
  EXPECT_EQ(Items(dirs), (std::vector<std::string>{"docs"}));
  EXPECT_EQ(core::IsBusy(), 1);
  EXPECT_TRUE(server.Transcript().empty());
}

TEST_F(DirListTest, DetectionRunsBeforeTheFirstListingOnly) {
  profiles::CurrentProfile().hostType = ftp::kHostAutomatic;
  ftp::Host().hostTypeKnown = 0;
  server.On("SYST", "215 UNIX Type: L8\r\n");
  ExpectVisit("257 \"/a\"\r\n", kUnixListing);
  listing::DoDirList(0);
  ExpectVisit("257 \"/b\"\r\n", kUnixListing);
  listing::DoDirList(0);
  EXPECT_EQ(CountCommands("SYST"), 1);
  EXPECT_EQ(profiles::CurrentProfile().hostType, ftp::kHostUnix);
  EXPECT_EQ(Items(dirs), (std::vector<std::string>{"..", "docs"}));
}

TEST_F(DirListTest, ListingCommandsStayOutOfTheCacheAndRunQuietly) {
  ExpectVisit("257 \"/pub\"\r\n", kUnixListing);
  listing::DoDirList(0);
  std::string cached = listing::CurrentListingFile();
  std::string cachedText = testing_support::ReadFile(cached);

  // AMODE on would pick the type from the command's "extension" and send TYPE I.
  core::Settings().amode = 1;
  core::Settings().hash = 1;
  core::Settings().bell = 1;
  int modeBefore = core::Settings().mode;
  ExpectListing("NLST", "readme.txt\r\n");
  EXPECT_EQ(listing::SendQuoteCommand(ctrl, "NLST"), 2);
  EXPECT_EQ(core::Settings().amode, 1);
  EXPECT_EQ(core::Settings().hash, 1);
  EXPECT_EQ(core::Settings().bell, 1);
  EXPECT_EQ(core::Settings().mode, modeBefore);
  EXPECT_EQ(CountCommands("TYPE"), 0);
  EXPECT_NE(listing::CurrentListingFile(), cached);
  EXPECT_EQ(testing_support::ReadFile(listing::CurrentListingFile()), "readme.txt\r\n");
  EXPECT_EQ(testing_support::ReadFile(cached), cachedText);  // the cached listing is untouched

  // Anything not beginning "LIST"/"NLST" in that case is sent as it is.
  server.On("list", "500 unknown\r\n");
  EXPECT_EQ(listing::SendQuoteCommand(ctrl, "list"), 5);
  server.On("NOOP", "200 fine\r\n");
  EXPECT_EQ(listing::SendQuoteCommand(ctrl, "NOOP"), 2);
  EXPECT_EQ(server.Transcript().back(), "NOOP");

  // Clearing the cache removes every listing file.
  std::string scratch = listing::CurrentListingFile();
  listing::ClearListingCache();
  EXPECT_FALSE(platform::PathExists(cached));
  EXPECT_FALSE(platform::PathExists(scratch));
  EXPECT_TRUE(listing::ListingCacheEntries().empty());
  EXPECT_EQ(field.Count(), 0);
}

TEST(ListingCache, TwentiethDirectoryEvictsTheOldestAndDeletesItsFile) {
  listing::ClearListingCache();
  std::vector<std::string> created;
  for (int i = 0; i < listing::kCacheEntries; ++i) {
    EXPECT_EQ(listing::LookUpListing("/d" + std::to_string(i)), listing::kNewCacheEntry);
    created.push_back(listing::CurrentListingFile());
    EXPECT_TRUE(platform::PathExists(created.back()));
    std::string base = created.back().substr(created.back().find_last_of("/\\") + 1);
    EXPECT_EQ(base.compare(0, 3, "DIR"), 0) << base;
    EXPECT_EQ(created.back().compare(0, platform::TempDirectory().size(), platform::TempDirectory()), 0);
  }
  EXPECT_EQ(listing::LookUpListing("/d5"), 5);
  EXPECT_EQ(listing::CurrentListingFile(), created[5]);
  EXPECT_EQ(listing::LookUpListing("/D5"), listing::kNewCacheEntry);  // names compare exactly
  EXPECT_FALSE(platform::PathExists(created[0]));
  auto entries = listing::ListingCacheEntries();
  ASSERT_EQ(entries.size(), 19u);
  EXPECT_EQ(entries.front().dirName, "/d1");
  EXPECT_EQ(entries.back().dirName, "/D5");
  EXPECT_EQ(listing::LookUpListing("/d0"), listing::kNewCacheEntry);
  EXPECT_FALSE(platform::PathExists(created[1]));

  // The combo prompt offers the cached directories, oldest first.
  testing_support::ScriptedPrompts port;
  core::GetInputCombo("", "Change to:");
  ASSERT_EQ(port.asked.size(), 1u);
  const std::vector<std::string>& seen = port.asked[0].history;
  ASSERT_EQ(seen.size(), 19u);
  EXPECT_EQ(seen.front(), "/d2");
  EXPECT_EQ(seen.back(), "/d0");
  listing::ClearListingCache();
  for (const auto& f : created) EXPECT_FALSE(platform::PathExists(f)) << f;
}
