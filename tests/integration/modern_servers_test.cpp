// Today's servers on loopback: transfers over IPv6 (EPSV and EPRT), MLSD listings against the
// LIST listing of the same directory, non-ASCII names end to end, and a resumed download.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>

#include "integration/real_session_fixture.h"
#include "listing/dir_list.h"
#include "transfer/engine.h"

using testing_support::ReadFile;

namespace {

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (size_t i = 0; i < n; i += 4) {
    uint32_t v = gen();
    for (size_t k = 0; k < 4 && i + k < n; ++k) s[i + k] = static_cast<char>(v >> (8 * k));
  }
  return s;
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

class Ipv6Transfers : public RealSessionTest {
 protected:
  std::string ServerAddress() const override { return "::1"; }
};

TEST_P(Ipv6Transfers, UploadAndDownloadOverIpv6) {
  Connect();
  EXPECT_TRUE(LogMentions("Connected to ::1 port " + std::to_string(server->port())));
  EXPECT_TRUE(ftp::Conn().peerAddress.v6);
  std::string content = RandomBytes(300000, 6);
  std::string up = local.Write("up6.bin", content);
  ASSERT_EQ(transfer::SendFile(ctrl, "STOR six.bin", up, 'I'), 2);
  EXPECT_EQ(ReadFile(Remote("six.bin")), content);
  std::string down = local.File("down6.bin");
  ASSERT_EQ(transfer::ReceiveFile(ctrl, "RETR six.bin", down, 'I'), 2);
  EXPECT_EQ(ReadFile(down), content);
  // Passive: EPSV only (PASV cannot name an IPv6 address); active: EPRT with the address.
  auto sent = [](const std::string& prefix) {
    int n = 0;
    for (const auto& l : core::StoredLines())
      if (l.compare(0, prefix.size(), prefix) == 0) ++n;
    return n;
  };
  if (std::get<1>(GetParam())) {
    EXPECT_EQ(sent("EPSV"), 2);
    EXPECT_EQ(sent("PASV"), 0);
  } else {
    EXPECT_EQ(sent("EPRT |2|::1|"), 2);
    EXPECT_EQ(sent("PORT "), 0);
  }
}
MIRVAN_ALL_REAL_SESSIONS(Ipv6Transfers);

class ModernSession : public RealSessionTest {};

TEST_P(ModernSession, NonAsciiNamesListedDownloadedAndUploadedByteIdentical) {
  const std::vector<std::string> names{"Grüße €.txt", "日本語のファイル.bin"};
  for (size_t i = 0; i < names.size(); ++i) WriteFile(Remote(names[i]), RandomBytes(5000 + i, static_cast<unsigned>(i)));
  Connect();
  ui::MemoryListBox dirs(true), files;
  listing::RemotePane().Reset();
  listing::RemotePane().dirList = &dirs;
  listing::RemotePane().fileList = &files;
  listing::DoDirList(1);
  std::vector<std::string> listed;
  for (int i = 0; i < files.Count(); ++i) listed.push_back(files.Text(i).substr(0, files.Text(i).find("\t| ")));
  for (const auto& name : names) {
    SCOPED_TRACE(name);
    EXPECT_NE(std::find_if(listed.begin(), listed.end(),
                           [&](const std::string& item) { return item.compare(0, name.size(), name) == 0; }),
              listed.end());
    std::string down = local.File(name);
    ASSERT_EQ(transfer::ReceiveFile(ctrl, "RETR " + name, down, 'I'), 2);
    EXPECT_EQ(ReadFile(down), ReadFile(Remote(name)));
    ASSERT_EQ(transfer::SendFile(ctrl, "STOR copy of " + name, down, 'I'), 2);
    EXPECT_EQ(ReadFile(Remote("copy of " + name)), ReadFile(down));
  }
  listing::ClearListingCache();
  listing::RemotePane().Reset();
}

TEST_P(ModernSession, ResumedDownloadOfAFileCutAtARandomPoint) {
  const size_t size = 50u << 20;
  std::string content = RandomBytes(size, 50);
  WriteFile(Remote("fifty.bin"), content);
  std::mt19937 gen(std::random_device{}());
  size_t cut = std::uniform_int_distribution<size_t>(1, size - 1)(gen);
  SCOPED_TRACE(cut);
  std::string down = local.Write("fifty.bin", content.substr(0, cut));
  core::Settings().resume = 1;
  Connect();
  ASSERT_EQ(transfer::ReceiveFile(ctrl, "RETR fifty.bin", down, 'I'), 2);
  EXPECT_TRUE(LogMentions("REST " + std::to_string(cut)));
  EXPECT_TRUE(LogMentions("Received " + std::to_string(size - cut) + " bytes in"));
  EXPECT_TRUE(ReadFile(down) == content) << "the resumed file differs";
}
MIRVAN_ALL_REAL_SESSIONS(ModernSession);

// MLSD against LIST of the same directory (pyftpdlib: vsftpd has no MLSD).
class MlsdListing : public RealSessionTest {
 protected:
  std::vector<std::string> List(bool mlsd) {
    ftp::Conn().mlsdAllowed = mlsd;
    listing::ClearListingCache();
    listing::DoDirList(1);
    std::vector<std::string> out;
    for (int i = 0; i < dirs.Count(); ++i) out.push_back("D " + dirs.Text(i));
    for (int i = 0; i < files.Count(); ++i) out.push_back("F " + files.Text(i) + " " + std::to_string(files.ItemData(i)));
    std::sort(out.begin(), out.end());
    return out;
  }
  ui::MemoryListBox dirs{true}, files{false};
};

TEST_P(MlsdListing, SameEntriesAsTheListListing) {
  if (server->kind() != RealFtpServer::kPyftpdlib) GTEST_SKIP() << "vsftpd offers no MLSD";
  ASSERT_TRUE(platform::MakeDirectory(Remote("subdir")));
  ASSERT_TRUE(platform::MakeDirectory(Remote("dir with blanks")));
  WriteFile(Remote("a b.txt"), std::string(1234, 'x'));
  WriteFile(Remote("empty"), "");
  WriteFile(Remote("big.bin"), RandomBytes(3000000, 3));
  Connect();
  listing::RemotePane().Reset();
  listing::RemotePane().dirList = &dirs;
  listing::RemotePane().fileList = &files;
  ASSERT_TRUE(ftp::Conn().features.mlst);
  std::vector<std::string> viaList = List(false);
  EXPECT_FALSE(LogMentions("MLSD"));
  std::vector<std::string> viaMlsd = List(true);
  EXPECT_TRUE(LogMentions("MLSD"));
  EXPECT_EQ(viaMlsd, viaList);
  EXPECT_EQ(viaMlsd.size(), 6u);  // "..", two directories, three files

  // The cache keeps the MLSD listing and shows it again the same way.
  listing::DoDirList(0);
  std::vector<std::string> again;
  for (int i = 0; i < dirs.Count(); ++i) again.push_back("D " + dirs.Text(i));
  for (int i = 0; i < files.Count(); ++i) again.push_back("F " + files.Text(i) + " " + std::to_string(files.ItemData(i)));
  std::sort(again.begin(), again.end());
  EXPECT_EQ(again, viaMlsd);
  EXPECT_TRUE(LogMentions("using cache"));

  // Leading blanks, which the LIST columns cannot show, stay part of the names.
  ASSERT_TRUE(platform::MakeDirectory(Remote(" lead dir")));
  WriteFile(Remote("  two leading.txt"), "12345");
  std::vector<std::string> withBlanks = List(true);
  EXPECT_NE(std::find(withBlanks.begin(), withBlanks.end(), "D  lead dir"), withBlanks.end());
  EXPECT_NE(std::find_if(withBlanks.begin(), withBlanks.end(),
                         [](const std::string& e) { return e.compare(0, 21, "F   two leading.txt\t|") == 0; }),
            withBlanks.end());
  listing::ClearListingCache();
  listing::RemotePane().Reset();
}
MIRVAN_ALL_REAL_SESSIONS(MlsdListing);

}  // namespace
