// Transfer rules: ASCII list, conversions, local names (8.3, long, unique, unsafe), the transfer log.
#include <gtest/gtest.h>

#include "core/message_log.h"
#include "core/settings.h"
#include "ftp/control.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "support/temp_dir.h"
#include "transfer/rules.h"
#include "transfer/transfer_state.h"

using testing_support::ReadFile;
using testing_support::ScopedCurrentDir;
using testing_support::TempDir;

namespace {

class RulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    core::Settings().Reset();
    core::Files().Reset();
    core::Files().extensionListFile = dir.File("MIRVAN.EXT");
    core::Files().conversionListFile = dir.File("MIRVAN.CNV");
    core::Files().settingsFile = dir.File("MIRVAN.INI");
    core::ResetMessageLog();
  }
  void TearDown() override { core::ResetMessageLog(); }
  std::string Local(const std::string& remote, int maxComponent, int hostType = 6000) {
    std::string out;
    EXPECT_EQ(transfer::LocalFileNameFor(out, remote, hostType, maxComponent), 1) << remote;
    return out;
  }
  TempDir dir;
};

}  // namespace

TEST_F(RulesTest, AsciiListAndItsFallback) {
  EXPECT_EQ(transfer::IsAsciiExtension("notes.TxT"), 1);  // no list: .TXT only
  EXPECT_EQ(transfer::IsAsciiExtension(".txt"), 0);
  EXPECT_EQ(transfer::IsAsciiExtension("a.doc"), 0);
  dir.Write("MIRVAN.EXT", ".TXT\r\nx\n.HTML\nmakefile\n.VERYLONGEXTENSION\n");
  struct Case {
    const char* name;
    int want;
  } cases[] = {
      {"readme.txt;3", 1},          // VMS version suffix left out
      {"RETR Index.html", 1},       // a transfer command
      {"Makefile", 1},              // whole-name entry
      {"x", 0},                     // one-character entries are ignored
      {"tax", 0},
      {"data.bin", 0},
      {"a.VERYLONG", 1},            // entries are read up to 9 characters
      {"a.VERYLONGEXTENSION", 0},
      {".txt", 1},                  // the whole name equals an entry
  };
  for (const auto& c : cases) EXPECT_EQ(transfer::IsAsciiExtension(c.name), c.want) << c.name;
}

TEST_F(RulesTest, EightDotThreeNames) {
  struct Case {
    const char* remote;
    const char* want;
  } cases[] = {
      {"VeryLongName.html", "VeryLong.htm"}, {"a.b.c", "a.b"},
      {"makefile", "makefile"},             {"abcdefghij", "abcdefgh.ij"},
      {".profile", "profile"},              {"...", "aaremote"},
      {"pub/dir\\File.Name", "File.Nam"},   {"a:b.txt", "a_b.txt"},
      {"my file", "my.fil"},                {"report.txt;3", "report.txt"},
      {"CON.txt", "_CON.txt"},              {"abcdefgh.tar.gz", "abcdefgh.tar"},
  };
  for (const auto& c : cases) EXPECT_EQ(Local(c.remote, 0), c.want) << c.remote;
  EXPECT_EQ(Local("  big   file  .txt ", 0, 6029), "big.txt");  // blanks squeezed first
  EXPECT_EQ(Local("  big   file  ", 0, 6029), "big.fil");
}

TEST_F(RulesTest, LongNamesStayInsideTheDirectory) {
  struct Case {
    const char* remote;
    const char* want;
  } cases[] = {
      {"report.final.txt", "report.final.txt"},
      {"../../etc/passwd", "passwd"},
      {"..\\..\\boot.ini", "boot.ini"},
      {"..", "aaremote"},
      {"C:evil.exe", "C_evil.exe"},
      {"nul", "_nul"},
      {"Lpt1.log", "_Lpt1.log"},
      {"com10", "com10"},
      {"bad\x01name?.txt", "bad_name_.txt"},
  };
  for (const auto& c : cases) EXPECT_EQ(Local(c.remote, 255), c.want) << c.remote;
  // Too long for the volume or for the name buffer: 8.3 rules.
  EXPECT_EQ(Local(std::string(150, 'n') + ".txt", 255), "nnnnnnnn.txt");
  EXPECT_EQ(Local("VeryLongName.html", 12), "VeryLong.htm");
}

TEST_F(RulesTest, ConversionListInBothNameStyles) {
  dir.Write("MIRVAN.CNV", "html=htm\nREADME=readme.txt\nnoequals\n");
  core::Settings().verbose = 1;
  core::Settings().convext = 1;
  EXPECT_EQ(Local("index.html", 255), "index.htm");
  EXPECT_EQ(core::StoredLines().back(), "[I] Converted extension from html to htm");
  EXPECT_EQ(Local("index.html", 0), "index.htm");
  EXPECT_EQ(core::StoredLines().back(), "[I] Converted extension from html to htm");
  EXPECT_EQ(Local("readme", 255), "readme.txt");  // whole-name entry

  std::string remote = "Page.HTML;2";
  EXPECT_EQ(transfer::ConvertExtension(remote, 0), 1);
  EXPECT_EQ(remote, "Page.htm");  // a converted name keeps no suffix
  remote = "Notes.DOC;5";
  core::Settings().forclow = 1;
  EXPECT_EQ(transfer::ConvertExtension(remote, 0), 0);
  EXPECT_EQ(remote, "notes.doc;5");
  core::Settings().convext = 0;
  remote = "Index.html";
  EXPECT_EQ(transfer::ConvertExtension(remote, 1), 0);
  EXPECT_EQ(remote, "Index.html");
}

TEST_F(RulesTest, UniqueNamesAndTheirEnd) {
  ScopedCurrentDir cd(dir.path());
  core::Settings().recu = 1;
  dir.Write("VeryLong.htm", "");
  dir.Write("report.final.txt", "");
  dir.Write("ab.c", "");
  dir.Write("ab000.c", "");
  EXPECT_EQ(Local("VeryLongName.html", 0), "VeryL000.htm");
  EXPECT_EQ(Local("report.final.txt", 255), "report.final.txt.000");
  EXPECT_EQ(Local("ab.c", 0), "ab001.c");
  EXPECT_EQ(Local("fresh.txt", 255), "fresh.txt");
  // Every candidate taken: refused with a log line, never the last candidate overwritten.
  dir.Write("full", "");
  for (int i = 0; i < 99; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "full.%03d", i);
    dir.Write(name, "");
  }
  std::string out;
  EXPECT_EQ(transfer::LocalFileNameFor(out, "full", 6000, 255), 0);
  EXPECT_NE(core::StoredLines().back().find("No unique local name left for full"), std::string::npos);
}

TEST_F(RulesTest, TransferLogLine) {
  EXPECT_EQ(transfer::TransferLogLine(2, "C:\\dl", "file.zip", "ftp.example.org", "/pub", "file.zip", 1996, 3, 5, 14,
                                      7, 'I'),
            "96.03.05 14:07 B C:\\dl\\file.zip <-- ftp.example.org /pub file.zip");
  EXPECT_EQ(transfer::TransferLogLine(1, "D:", "a.txt", "h", "/", "a.txt", 2026, 12, 9, 0, 5, 'A'),
            "26.12.09 00:05 A D:\\a.txt --> h / a.txt");
}

TEST_F(RulesTest, TransferLogFileFollowsItsSettings) {
  ScopedCurrentDir cd(dir.path());
  platform::FakeClock clock;
  clock.local = {2026, 3, 5, 14, 7, 0};
  platform::SetClock(&clock);
  ftp::Conn().serverTransferType = 'I';
  transfer::LogTransfer(2, "file.zip", "ftp.example.org", "/pub", "file.zip");
  std::string log = ReadFile(dir.File("MIRVAN.LOG"));
  EXPECT_EQ(log.substr(0, 17), "26.03.05 14:07 B ");
  EXPECT_NE(log.find("file.zip <-- ftp.example.org /pub file.zip"), std::string::npos);
  core::WriteConfigString("logfile", dir.File("other.log").c_str());
  transfer::LogTransfer(1, "a", "h", "/", "a");
  EXPECT_NE(ReadFile(dir.File("other.log")).find("a --> h / a"), std::string::npos);
  core::WriteConfigString("dolog", "0");
  transfer::LogTransfer(1, "b", "h", "/", "b");
  EXPECT_EQ(ReadFile(dir.File("other.log")).find("b --> h"), std::string::npos);
  platform::SetClock(nullptr);
  ftp::Conn().serverTransferType = 'A';
}

TEST_F(RulesTest, TransferLogSettingsAreTakenOnceForABatch) {
  ScopedCurrentDir cd(dir.path());
  core::WriteConfigString("logfile", dir.File("first.log").c_str());
  {
    transfer::TransferLogBatch batch;
    transfer::LogTransfer(2, "a", "h", "/", "a");
    // Settings changed during the batch apply from the next batch on; a nested scope keeps the outer one's.
    core::WriteConfigString("logfile", dir.File("second.log").c_str());
    core::WriteConfigString("dolog", "0");
    transfer::TransferLogBatch inner;
    transfer::LogTransfer(2, "b", "h", "/", "b");
  }
  std::string first = ReadFile(dir.File("first.log"));
  EXPECT_NE(first.find("a <-- h / a"), std::string::npos);
  EXPECT_NE(first.find("b <-- h / b"), std::string::npos);
  EXPECT_FALSE(platform::PathExists(dir.File("second.log")));
  {
    transfer::TransferLogBatch batch;  // "dolog" 0 now: nothing logged anywhere
    transfer::LogTransfer(2, "c", "h", "/", "c");
  }
  core::WriteConfigString("dolog", "1");
  transfer::LogTransfer(2, "d", "h", "/", "d");  // outside a batch the settings are read afresh
  EXPECT_EQ(ReadFile(dir.File("first.log")).find("c <-- h"), std::string::npos);
  std::string second = ReadFile(dir.File("second.log"));
  EXPECT_EQ(second.find("c <-- h"), std::string::npos);
  EXPECT_NE(second.find("d <-- h / d"), std::string::npos);
}
