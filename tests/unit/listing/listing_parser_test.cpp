// The listing parser beyond the fixture tables: the text helpers, the entries it adds, reading
// a listing file, bounded lines, untrusted names, and state between listings.
#include "listing/listing_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/message_log.h"
#include "core/settings.h"
#include "listing/listing_formats.h"
#include "listing/listing_text.h"
#include "platform/clock.h"
#include "profiles/session_profile.h"
#include "support/temp_dir.h"

using testing_support::TempDir;

namespace {

TEST(ListingText, WordHelpers) {
  struct Case {
    const char* text;
    int n;
    const char* want;  // nullptr: no such word
  } cases[] = {
      {"-rw-r--r-- 1 u g 10 Jan 5 10:00 my file.txt", 9, "my file.txt"},
      {"a  b   c", 3, "c"},
      {"a\tb c", 2, "c"},  // tabs belong to words
      {"  lead", 1, "  lead"},
      {"  lead x", 2, "lead x"},  // leading blanks make an empty first word
      {"one two", 3, nullptr},
      {"one two ", 3, nullptr},
  };
  for (const auto& c : cases) {
    const char* got = listing::NthWord(c.text, c.n);
    if (c.want == nullptr)
      EXPECT_EQ(got, nullptr) << c.text;
    else
      EXPECT_STREQ(got, c.want) << c.text;
  }
  struct LastCase {
    const char* text;
    const char* want;
  } last[] = {{"a b  name \r\n", "name"}, {"a\tb\tname", "name"}, {"x\t \tname", "name"}, {"alone", "alone"}, {"", ""}};
  for (const auto& c : last) {
    std::string s = c.text;
    EXPECT_STREQ(listing::LastWord(s.data()), c.want) << c.text;
  }
  std::string sq = "a\t\tb  --  c-d  ";
  EXPECT_STREQ(listing::SqueezeInfo(sq.data()), "a b  cd ");  // runs are squeezed before the dashes go
  std::string nw = "FILE.TXT;1   \t  next";
  EXPECT_STREQ(listing::NextWord(nw.data()), "next");
}

TEST(ListingText, NumbersAndMonths) {
  EXPECT_EQ(listing::MonthNumber("jAN"), 1);
  EXPECT_EQ(listing::MonthNumber("December"), 12);
  EXPECT_EQ(listing::MonthNumber("unk"), 0);
  EXPECT_EQ(listing::MonthNumber("Ju"), 0);
  EXPECT_EQ(listing::MonthNumber(nullptr), 0);
  EXPECT_EQ(listing::NumberAt("  -42x"), -42);
  EXPECT_EQ(listing::NumberAt("99999999999999999999"), 2147483647);
  EXPECT_EQ(listing::NumberAt("-99999999999999999999"), -2147483647 - 1);
  EXPECT_EQ(listing::NumberAt("x1"), 0);
  EXPECT_EQ(listing::SizeAt(" 5368709120"), 5368709120ULL);
  EXPECT_EQ(listing::SizeAt("99999999999999999999999"), 9223372036854775807ULL);
  EXPECT_EQ(listing::SizeAt("-5"), 0u);
  EXPECT_STREQ(listing::FormatInfo(95, 6, 1, 0, 0, 5368709120ULL), "950601 00:00 5368709120");
  EXPECT_STREQ(listing::FormatInfo(95, 3, 15, 10, 12, 2000, 8), "950315 10:12     2000");
}

TEST(ListingText, SqueezeName) {
  EXPECT_EQ(listing::SqueezeName("  MY  FILE NAME \t", 6004), "MYFILENAME");
  EXPECT_EQ(listing::SqueezeName("  MY  FILE   NAME  ", 6029), "MY FILE NAME");
  EXPECT_EQ(listing::SqueezeName("", 6010), "");
}

TEST(ListingText, SafeDirectoryNames) {
  for (const char* bad :
       {"..", "../x", "x:y", "a/b", "a\\b", "C:", "c:x", "x..y", "...", ". .", " ", "tab\tname", "del\x7f"})
    EXPECT_FALSE(listing::IsSafeDirName(bad)) << bad;
  for (const char* good : {"sub", ".hidden", "a.b", "with blanks", "ab:c", "[001,002]", "Caf\xc3\xa9"})
    EXPECT_TRUE(listing::IsSafeDirName(good)) << good;
}

class ListingParserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    core::ResetMessageLog();
    core::Settings().verbose = 1;
    ctx.dirList = &dirs;
    ctx.fileList = &files;
    ctx.hostType = 6010;
    ctx.now = platform::CalendarTime{2026, 6, 15, 12, 0, 0};
  }
  void TearDown() override {
    core::Settings().verbose = 0;
    core::ResetMessageLog();
  }
  bool Logged(const std::string& part) {
    for (const auto& l : core::StoredLines())
      if (l.find(part) != std::string::npos) return true;
    return false;
  }
  ui::MemoryListBox dirs{true};
  ui::MemoryListBox files{false, 7};
  listing::ListingContext ctx;
};

TEST_F(ListingParserTest, LongdirPadsShortNamesAndItemDataHoldsTheSize) {
  listing::AddFileEntry(ctx, "a.txt", "info", 5368709120ULL);
  listing::AddFileEntry(ctx, "exactly12chr", "", 1);
  listing::AddFileEntry(ctx, "bare", nullptr, 2);
  ctx.longDir = 0;
  listing::AddFileEntry(ctx, "short", "ignored", 3);
  ASSERT_EQ(files.Count(), 4);
  EXPECT_EQ(files.Text(0), "a.txt       \t| info");
  EXPECT_EQ(files.ItemData(0), 5368709120LL);
  EXPECT_EQ(files.Text(1), "exactly12chr\t| ");
  EXPECT_EQ(files.Text(2), "bare");
  EXPECT_EQ(files.Text(3), "short");
  listing::AddFileEntry(ctx, "", "x", 1);
  EXPECT_EQ(files.Count(), 4);
}

TEST_F(ListingParserTest, HorizontalExtentFollowsTheWidestItemOfTheListing) {
  ctx.dialogCharWidth = 8;
  listing::ParseListingText("-rw-r--r-- 1 u g 1 Jan 1 2020 aaaaaaaaaaaaaaaaaaaa\n", ctx);
  int wide = files.HorizontalExtent();
  EXPECT_EQ(wide, files.TextWidth(files.Text(0)) + 12 * 8);
  listing::AddFileEntry(ctx, "b", "x", 0);  // narrower: the range stays
  EXPECT_EQ(files.HorizontalExtent(), wide);
  // A new listing measures afresh.
  listing::ParseListingText("-rw-r--r-- 1 u g 1 Jan 1 2020 c\n", ctx);
  EXPECT_LT(files.HorizontalExtent(), wide);
}

TEST_F(ListingParserTest, SortedFillEndsItsBatchWithSizesOnTheirNames) {
  // Names arrive in descending order; a directory named "!old" sorts above "..".
  ui::MemoryListBox sortedFiles(true);
  ctx.fileList = &sortedFiles;
  std::string text = "drwxr-xr-x 2 u g 1 Jan 1 2020 !old\n";
  for (int i = 9; i >= 1; --i)
    text += "-rw-r--r-- 1 u g " + std::to_string(i * 100) + " Jan 1 2020 f" + std::to_string(i) + "\n";
  listing::ParseListingText(text, ctx);
  EXPECT_EQ(dirs.FindExact(".."), 1);
  EXPECT_EQ(dirs.Text(0), "!old");
  ASSERT_EQ(sortedFiles.Count(), 9);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(sortedFiles.Text(i).substr(0, 3), "f" + std::to_string(i + 1) + " ");
    EXPECT_EQ(sortedFiles.ItemData(i), (i + 1) * 100);
  }
  EXPECT_EQ(sortedFiles.AddString("f0"), 0);  // the batch is over: an add goes to its place
}

TEST_F(ListingParserTest, ListingFileAndItsFailures) {
  TempDir dir;
  listing::ParseListingText("drwxr-xr-x 2 u g 1 Jan 1 2020 old\n-rw-r--r-- 1 u g 1 Jan 1 2020 f\n", ctx);
  std::string missing = dir.File("nope.tmp");
  EXPECT_FALSE(listing::ParseListing(missing, ctx));
  std::string message = "couldn't open " + missing + " for read.";
  auto lines = core::StoredLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), message.substr(0, core::kLineChars));
  ASSERT_EQ(dirs.Count(), 1);
  EXPECT_EQ(dirs.Text(0), "..");
  EXPECT_EQ(files.Count(), 0);

  EXPECT_TRUE(listing::ParseListing(dir.Write("empty.tmp", ""), ctx));
  EXPECT_EQ(dirs.Count(), 1);
  EXPECT_EQ(files.Count(), 0);
}

TEST_F(ListingParserTest, FileReadInChunksGivesWhatTheTextGives) {
  // Lines of varying length so that many straddle the reader's 64 KiB chunks.
  std::string text;
  for (int i = 0; i < 3000; ++i) {
    text += "-rw-r--r-- 1 u g " + std::to_string(i) + " Jan 1 2020 file" + std::to_string(i) +
            std::string(static_cast<size_t>(i % 97), 'x') + (i % 3 ? "\n" : "\r\n");
  }
  TempDir dir;
  ASSERT_TRUE(listing::ParseListing(dir.Write("big.tmp", text), ctx));
  std::vector<std::string> fromFile;
  for (int i = 0; i < files.Count(); ++i) fromFile.push_back(files.Text(i) + "|" + std::to_string(files.ItemData(i)));
  listing::ParseListingText(text, ctx);
  std::vector<std::string> fromText;
  for (int i = 0; i < files.Count(); ++i) fromText.push_back(files.Text(i) + "|" + std::to_string(files.ItemData(i)));
  EXPECT_EQ(fromFile.size(), 3000u);
  EXPECT_EQ(fromFile, fromText);
}

int betweenCalls = 0, betweenStopAt = 0;

TEST_F(ListingParserTest, LongFileFillPausesBetweenChunksAndStopsWhenTold) {
  std::string text;
  for (int i = 0; i < 3000; ++i)
    text += "-rw-r--r-- 1 u g " + std::to_string(i) + " Jan 1 2020 file" + std::to_string(i) + std::string(60, 'x') + "\n";
  TempDir dir;
  std::string path = dir.Write("big.tmp", text);
  ctx.between = [] { return ++betweenCalls < betweenStopAt; };
  const size_t chunk = 1 << 16;

  betweenCalls = 0;
  betweenStopAt = 1000;
  ASSERT_TRUE(listing::ParseListing(path, ctx));
  EXPECT_EQ(files.Count(), 3000);
  EXPECT_EQ(static_cast<size_t>(betweenCalls), text.size() / chunk);  // after each whole chunk

  // Stopped at the second pause: the lines of the first two chunks stay, in order.
  betweenCalls = 0;
  betweenStopAt = 2;
  ASSERT_TRUE(listing::ParseListing(path, ctx));
  std::string head = text.substr(0, 2 * chunk);
  const int shown = static_cast<int>(std::count(head.begin(), head.end(), '\n'));
  ASSERT_EQ(files.Count(), shown);
  EXPECT_EQ(files.Text(shown - 1).rfind("file" + std::to_string(shown - 1) + "x", 0), 0u);
  EXPECT_TRUE(Logged("listing display stopped: " + std::to_string(shown + dirs.Count()) + " entries shown"));
}

TEST_F(ListingParserTest, LongLinesAreParsedWholeAndHostileOnesSkipped) {
  std::string name(listing::kMaxListingLine - 40, 'n');
  std::string fits = "-rw-r--r-- 1 u g 7 Jan 1 2020 " + name;
  ASSERT_LE(fits.size(), listing::kMaxListingLine);
  std::string hostile = "-rw-r--r-- 1 u g 7 Jan 1 2020 " + std::string(listing::kMaxListingLine, 'h');
  listing::ParseListingText(fits + "\n" + hostile + "\n-rw-r--r-- 1 u g 3 Jan 1 2020 after\n" + hostile, ctx);
  ctx.longDir = 0;
  ASSERT_EQ(files.Count(), 2);
  EXPECT_EQ(files.Text(0).substr(0, name.size()), name);
  EXPECT_EQ(files.Text(0).find('h'), std::string::npos);
  EXPECT_EQ(files.Text(1).substr(0, 5), "after");
  EXPECT_TRUE(Logged("[x] listing line longer than 8192 characters skipped"));
}

TEST_F(ListingParserTest, UnsafeDirectoryNamesAreLoggedNotListed) {
  listing::ParseListingText(
      std::string("drwxr-xr-x 2 u g 1 Jan 1 2020 ../up\n") + "drwxr-xr-x 2 u g 1 Jan 1 2020 bad\x01name\n", ctx);
  EXPECT_EQ(dirs.Count(), 1);
  EXPECT_TRUE(Logged("unsafe directory name not listed: ../up"));
  EXPECT_TRUE(Logged("unsafe directory name not listed: bad?name"));
}

TEST_F(ListingParserTest, RsxKeepsEarlierDirectories) {
  ctx.hostType = 6019;
  dirs.AddString("[007,007]");
  listing::ParseListingText("001002.DIR;1  1.\n", ctx);
  listing::ParseListingText("001002.DIR;1  1.\n", ctx);
  ASSERT_EQ(dirs.Count(), 3);
  EXPECT_EQ(dirs.Text(0), "[001,002]");
  EXPECT_EQ(dirs.Text(1), "[001,002]");
  EXPECT_EQ(dirs.Text(2), "[007,007]");
}

TEST_F(ListingParserTest, StratusSectionDoesNotLeakIntoTheNextListing) {
  ctx.hostType = 6031;
  listing::ParseListingText("Dirs: 1\nm      95-03-15 10:15:00 subdir\n", ctx);
  EXPECT_EQ(dirs.Count(), 2);
  listing::ParseListingText("w      1  seq  95-03-15 10:15:00 orphan\n", ctx);
  EXPECT_EQ(dirs.Count(), 1);
  EXPECT_EQ(files.Count(), 0);
}

TEST_F(ListingParserTest, ContextOfTheRunningClientUsesTheInjectedClock) {
  platform::FakeClock clock;
  clock.local = platform::CalendarTime{2031, 2, 3, 4, 5, 6};
  platform::SetClock(&clock);
  profiles::CurrentProfile().hostType = 6016;
  profiles::CurrentProfile().user = "USER1";
  core::Settings().longdir = 0;
  core::Settings().vlink = 0;
  listing::ListingContext c = listing::CurrentListingContext(dirs, files, "/pub");
  platform::SetClock(nullptr);
  profiles::CurrentProfile() = profiles::SessionProfile{};
  core::Settings().Reset();
  EXPECT_EQ(c.now.year, 2031);
  EXPECT_EQ(c.now.month, 2);
  EXPECT_EQ(c.hostType, 6016);
  EXPECT_EQ(c.userName, "USER1");
  EXPECT_EQ(c.remoteDirName, "/pub");
  EXPECT_EQ(c.longDir, 0);
  EXPECT_EQ(c.vlink, 0);
  EXPECT_EQ(c.dirList, &dirs);
  // The year of a dated entry follows that clock, not the day the test runs.
  ctx.now = c.now;
  listing::ParseListingText("-rw-r--r-- 1 u g 1 Mar 1 10:00 march\n-rw-r--r-- 1 u g 1 Feb 1 10:00 feb\n", ctx);
  ASSERT_EQ(files.Count(), 2);
  EXPECT_EQ(files.Text(0), "march       \t| 300301 10:00          1");
  EXPECT_EQ(files.Text(1), "feb         \t| 310201 10:00          1");
}

}  // namespace
