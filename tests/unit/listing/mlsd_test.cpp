// MLSD listings: facts and names into the same entries and information text as a Unix listing,
// links by VLINK, and hostile lines refused with a log line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/message_log.h"
#include "listing/listing_parser.h"
#include "ui/controls.h"

namespace {

struct Parsed {
  std::vector<std::string> dirs, files;
  std::vector<int64_t> sizes;
};

Parsed Parse(const std::string& text, int vlink = 1, int hostType = 6000) {
  ui::MemoryListBox dirs(true), files;
  listing::ListingContext ctx;
  ctx.dirList = &dirs;
  ctx.fileList = &files;
  ctx.hostType = hostType;
  ctx.vlink = vlink;
  ctx.mlsd = true;
  ctx.now = platform::CalendarTime{2026, 6, 15, 12, 0, 0};
  listing::ParseListingText(text, ctx);
  Parsed p;
  for (int i = 0; i < dirs.Count(); ++i) p.dirs.push_back(dirs.Text(i));
  for (int i = 0; i < files.Count(); ++i) {
    p.files.push_back(files.Text(i));
    p.sizes.push_back(files.ItemData(i));
  }
  return p;
}

using Lines = std::vector<std::string>;

TEST(Mlsd, EntriesMatchTheUnixDisplayForm) {
  Parsed p = Parse(
      "type=cdir;perm=el;modify=20260101000000; .\r\n"
      "type=pdir;modify=20260101000000; ..\r\n"
      "type=dir;sizd=4096;modify=20260310081500; src\r\n"
      "Type=File;Size=1234;Modify=20260514093000.123; notes.txt\r\n"
      "type=file;size=9000000000;modify=20251231235900; big.iso\r\n"
      "type=file;size=7;modify=20260101120000;   two leading blanks\r\n"
      "type=file;size=3;modify=20260101120000; Grüße €.txt\r\n"
      "type=file;size=0; no time\r\n");
  EXPECT_EQ(p.dirs, (Lines{"..", "src"}));
  // The Unix parser's form: name padded to 12, tab, "| ", "yymmdd hh:mm" and the size in 10.
  EXPECT_EQ(p.files, (Lines{"notes.txt   \t| 260514 09:30       1234", "big.iso     \t| 251231 23:59 9000000000",
                            "  two leading blanks\t| 260101 12:00          7",
                            "Grüße €.txt\t| 260101 12:00          3", "no time     \t| 700101 00:00          0"}));
  EXPECT_EQ(p.sizes, (std::vector<int64_t>{1234, 9000000000LL, 7, 3, 0}));
}

TEST(Mlsd, LinksFollowVlink) {
  const std::string text =
      "type=OS.unix=symlink;size=10;modify=20260101120000; here\r\n"
      "type=OS.unix=slink:/elsewhere;size=10;modify=20260101120000; there\r\n";
  Parsed shownAsDirs = Parse(text, 1);
  EXPECT_EQ(shownAsDirs.dirs, (Lines{"..", "here", "there"}));
  EXPECT_TRUE(shownAsDirs.files.empty());
  Parsed shownAsFiles = Parse(text, 0);
  EXPECT_EQ(shownAsFiles.dirs, (Lines{".."}));
  EXPECT_EQ(shownAsFiles.files.size(), 2u);
}

TEST(Mlsd, HostileLinesAreRefusedWithALogLine) {
  struct Case {
    const char* line;
    const char* why;
  } cases[] = {
      {"just a name without facts\r\n", "no facts"},
      {"type=file;size=1;\r\n", "no facts"},
      {"type=file;size=1; ../../etc/passwd\r\n", "name with a path"},
      {"type=dir; a/b\r\n", "name with a path"},
      {"type=file;size=18446744073709551616; huge\r\n", "bad size"},
      {"type=file;size=-5; negative\r\n", "bad size"},
      {"type=file;modify=2026; short time\r\n", "bad time"},
      {"size=5; untyped\r\n", "no type"},
      {"type=file;size=1;junk; nofact\r\n", "a fact without a value"},
      {"type=weird;size=1; strange\r\n", "unknown type"},
      // A fact value broken by a line feed: neither piece becomes an entry.
      {"type=file;size=1;modify=2026\nbroken;x; name\r\n", "a fact without a value"},
  };
  for (const auto& c : cases) {
    core::ResetMessageLog();
    Parsed p = Parse(c.line);
    EXPECT_EQ(p.dirs, (Lines{".."})) << c.line;
    EXPECT_TRUE(p.files.empty()) << c.line;
    bool logged = false;
    for (const auto& l : core::StoredLines())
      if (l.find("MLSD line refused (" + std::string(c.why) + ")") != std::string::npos) logged = true;
    EXPECT_TRUE(logged) << c.line;
  }
  // ".." as a directory name adds nothing either.
  EXPECT_EQ(Parse("type=dir; ..\r\n").dirs, (Lines{".."}));
}

}  // namespace
