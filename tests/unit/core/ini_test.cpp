// The settings-file store: private-profile semantics, damaged files, concurrent use.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/ini.h"
#include "support/temp_dir.h"

using testing_support::ReadFile;
using testing_support::TempDir;
namespace ini = core::ini;

TEST(Ini, IntegerRule) {
  struct Case {
    const char* text;
    int32_t want;
  } cases[] = {
      {"42", 42},           {"-11", -11},          {"4294967285", -11}, {"12abc", 12},
      {"abc", 0},           {"", 0},               {"-", 0},            {"4294967296", 0},
      {"2147483648", INT32_MIN}, {"+5", 0},        {"007", 7},          {"99999999999", 1215752191},
  };
  for (const auto& c : cases) EXPECT_EQ(ini::ParseInt(c.text), c.want) << c.text;
}

TEST(Ini, CreatesFileSectionAndKeyAndMatchesWithoutCase) {
  TempDir dir;
  std::string f = dir.File("new.ini");
  EXPECT_EQ(ini::ReadString(f, "_config_", "HOST", "dflt"), "dflt");
  ASSERT_TRUE(ini::Write(f, "_config_", "Host", "ftp.example.org"));
  ASSERT_TRUE(ini::Write(f, "alpha", "UID", "anna"));
  EXPECT_EQ(ini::ReadString(f, "_CONFIG_", "host", ""), "ftp.example.org");
  EXPECT_EQ(ini::ReadString(f, "ALPHA", "uid", ""), "anna");
  // Rewriting a key replaces it in place, keeping the key's own spelling.
  ASSERT_TRUE(ini::Write(f, "_config_", "HOST", "other"));
  EXPECT_EQ(ini::ReadString(f, "_config_", "host", ""), "other");
  EXPECT_EQ(ReadFile(f), "[_config_]\r\nHost=other\r\n\r\n[alpha]\r\nUID=anna\r\n");
}

TEST(Ini, AbsentValueDeletesKeyAndAbsentKeyDeletesSection) {
  TempDir dir;
  std::string f = dir.Write("s.ini", "[a]\nX=1\nY=2\n[b]\nZ=3\n");
  ASSERT_TRUE(ini::Write(f, "a", "x", nullptr));
  EXPECT_FALSE(ini::HasKey(f, "a", "X"));
  EXPECT_EQ(ini::ReadInt(f, "a", "Y", 0), 2);
  ASSERT_TRUE(ini::Write(f, "A", nullptr, nullptr));
  EXPECT_FALSE(ini::HasKey(f, "a", "Y"));
  EXPECT_EQ(ini::ReadInt(f, "b", "Z", 0), 3);
  EXPECT_EQ(ini::SectionNames(f), std::vector<std::string>{"b"});
}

TEST(Ini, UnsignedWriteReadsBackSigned) {
  TempDir dir;
  std::string f = dir.File("u.ini");
  ASSERT_TRUE(ini::WriteUnsigned(f, "_config_", "FHEIGHT", -11));
  EXPECT_EQ(ini::ReadString(f, "_config_", "FHEIGHT", ""), "4294967285");
  EXPECT_EQ(ini::ReadInt(f, "_config_", "FHEIGHT", 0), -11);
}

TEST(Ini, ReadsWhatOtherWritersProduce) {
  TempDir dir;
  // Blanks around names and values, quotes, comments, CR LF and bare LF, duplicates (first wins).
  std::string f = dir.Write("w.ini",
                            "; comment\r\n  [ Sec ]  \r\n  KEY  =  value with blanks  \r\nQ=\"quoted\"\n"
                            "KEY=second\n[sec]\nLATE=1\n");
  EXPECT_EQ(ini::ReadString(f, "sec", "key", ""), "value with blanks");
  EXPECT_EQ(ini::ReadString(f, "sec", "q", ""), "quoted");
  EXPECT_EQ(ini::ReadString(f, "sec", "late", "absent"), "absent");
  EXPECT_EQ(ini::ReadString(f, "sec", "key", "", 5), "value");
  EXPECT_EQ(ini::ReadString(f, "nosuch", "key", "d", 0), "");
}

TEST(Ini, DamagedFilesDoNotBreakReadsOrWrites) {
  TempDir dir;
  std::string longLine(100 * 1024, 'x');
  std::string binary("\x00\x01\xff\xfe[\x80]=\x7f\n", 10);
  struct Case {
    const char* name;
    std::string content;
  } cases[] = {
      {"garbage", "this is not\n=an ini\n]]][[\nfile at all\n"},
      {"no-sections", "HOST=x\nUID=y\n"},
      {"long-line", "[_config_]\nBIG=" + longLine + "\n" + longLine + "\n"},
      {"binary", binary + "[_config_]\n" + binary},
      {"unterminated-section", "[_config_\nA=1\n"},
  };
  for (const auto& c : cases) {
    std::string f = dir.Write(std::string(c.name) + ".ini", c.content);
    (void)ini::ReadString(f, "_config_", "HOST", "d");
    (void)ini::SectionNames(f);
    ASSERT_TRUE(ini::Write(f, "_config_", "NEW", "1")) << c.name;
    EXPECT_EQ(ini::ReadInt(f, "_config_", "NEW", 0), 1) << c.name;
  }
  EXPECT_EQ(ini::ReadString(dir.File("long-line.ini"), "_config_", "BIG", "").size(), longLine.size());
  // An unterminated header opens nothing: the key lands in a proper section.
  EXPECT_EQ(ini::SectionNames(dir.File("unterminated-section.ini")), std::vector<std::string>{"_config_"});
}

TEST(Ini, ConcurrentReadsWhileWriting) {
  TempDir dir;
  std::string f = dir.File("c.ini");
  ASSERT_TRUE(ini::Write(f, "_config_", "dolog", "1"));
  std::atomic<bool> stop{false};
  std::atomic<int> bad{0};
  std::thread reader([&] {
    while (!stop) {
      if (ini::ReadInt(f, "_config_", "dolog", -1) != 1) ++bad;
    }
  });
  for (int i = 0; i < 300; ++i) ini::WriteUnsigned(f, "_config_", "K" + std::to_string(i % 7), i);
  stop = true;
  reader.join();
  EXPECT_EQ(bad.load(), 0);
}
