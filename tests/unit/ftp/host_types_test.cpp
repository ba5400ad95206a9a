// Host types: the name table, the greeting test, SYST, the HELP scan and the capabilities.
#include <gtest/gtest.h>

#include "support/ports.h"

#include "session_fixture.h"
#include "ui/controls.h"

using testing_support::ScriptedReply;
using Lines = std::vector<std::string>;

namespace {

TEST(HostTypes, NameTable) {
  EXPECT_STREQ(ftp::HostTypeName(6000), "Automatic detect");
  EXPECT_STREQ(ftp::HostTypeName(6010), "UNIX (standard)");
  EXPECT_STREQ(ftp::HostTypeName(6035), "NetWare v4");
  EXPECT_STREQ(ftp::HostTypeName(6040), "MAC VersaTerm");
  EXPECT_STREQ(ftp::HostTypeName(5999), "");
  EXPECT_STREQ(ftp::HostTypeName(6041), "");
}

TEST(HostTypes, GreetingPatternsInOrder) {
  struct Case {
    const char* line;
    int type;
  } cases[] = {
      {"220 Serv-U FTP Server v2.5 for WinSock ready...", 6033},
      {"220 NetWare v4 and RSX both named", 6035},  // "NetWare v4" comes before "RSX"
      {"220 BULL GCOS 8", 6023},
      {"220 foo WFTPD bar", 6034},
      {"220 WFTPD", 6000},  // the pattern has blanks on both sides
      {"220 rsx host", 6000},  // case counts
      {"220 plain unix ftpd", 6000},
  };
  for (const Case& c : cases) {
    profiles::CurrentProfile().hostType = 6000;
    EXPECT_EQ(ftp::DetectHostTypeFromGreeting(c.line), c.type) << c.line;
  }
  profiles::CurrentProfile().hostType = 6010;  // a known type is never changed
  EXPECT_EQ(ftp::DetectHostTypeFromGreeting("220 NetWare v4"), 6010);
  profiles::CurrentProfile().hostType = 6000;
}

class Detection : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    for (ui::MemoryButton* b : {&mkd, &rmd, &rename, &dele}) b->SetEnabled(false);  // as after Close
  }
  std::vector<bool> Buttons() const { return {mkd.IsEnabled(), rmd.IsEnabled(), rename.IsEnabled(), dele.IsEnabled()}; }
  // The remote buttons as the front end shows them.
  testing_support::TestFrontEnd& front = testing_support::ResetTestFront();
  ui::MemoryButton &mkd = front.remoteMkd, &rmd = front.remoteRmd, &rename = front.remoteRename,
                   &dele = front.remoteDelete;
};

struct SystCase {
  const char* name;
  const char* reply;
  int type;
  const char* log;
};

class SystDetection : public Detection, public ::testing::WithParamInterface<SystCase> {};

TEST_P(SystDetection, TypeFromSyst) {
  server.On("SYST", GetParam().reply);
  ASSERT_EQ(ConnectAndGreet(), 2);
  ftp::DetectHostType(ctrl);
  EXPECT_EQ(profiles::CurrentProfile().hostType, GetParam().type);
  EXPECT_TRUE(Logged(GetParam().log)) << GetParam().log;
  EXPECT_EQ(server.Transcript(), Lines{"SYST"});
  EXPECT_EQ(Buttons(), std::vector<bool>(4, true));
  EXPECT_EQ(ftp::Host().hostTypeKnown, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Syst, SystDetection,
    ::testing::Values(SystCase{"UnixCapitals", "215 UNIX Type: L8\r\n", 6010, "Host type (2): UNIX (standard)"},
                      SystCase{"Os2MixedCase", "215 OS/2 Operating System\r\n", 6003, "Host type (2): IBM PC TCP/IP"},
                      SystCase{"NetWare", "215 NetWare v4.10\r\n", 6035, "Host type (2): NetWare v4"},
                      SystCase{"UnixBeforeMvs", "215 MVS with unix services\r\n", 6010,
                               "Host type (2): UNIX (standard)"},
                      SystCase{"VmsMultinet", "215 VMS MultiNet V3.5\r\n", 6011, "Host type (2): VMS MultiNet"},
                      SystCase{"VmsAlone", "215 VMS V5.5\r\n", 6012, "Host type (2): VMS UCX"},
                      SystCase{"WindowsNt", "215 Windows_NT version 3.51\r\n", 6016, "Host type (2): Microsoft NT"}),
    [](const ::testing::TestParamInfo<SystCase>& info) { return info.param.name; });

TEST_F(Detection, GreetingTypeSkipsSyst) {
  server.Greeting("220 NetWare v4 FTP server\r\n");
  ftp::Conn().detectHostFromReplies = 1;
  ASSERT_EQ(ConnectAndGreet(), 2);
  ftp::Conn().detectHostFromReplies = 0;
  EXPECT_EQ(profiles::CurrentProfile().hostType, 6035);
  ftp::DetectHostType(ctrl);
  EXPECT_TRUE(Logged("Host type (I): NetWare v4"));
  EXPECT_TRUE(server.Transcript().empty());
  EXPECT_EQ(Buttons(), std::vector<bool>(4, true));
}

TEST_F(Detection, RsxNeedsTwoListings) {
  server.On("SYST", "215 RSX-11M V4.2\r\n");
  ASSERT_EQ(ConnectAndGreet(), 2);
  ftp::DetectHostType(ctrl);
  EXPECT_EQ(profiles::CurrentProfile().hostType, 6019);
  EXPECT_EQ(ftp::Host().hostTypeKnown, 0);
  EXPECT_EQ(ftp::Host().canDele, 1);
  EXPECT_EQ(ftp::Host().canMkd, 0);
  EXPECT_EQ(Buttons(), std::vector<bool>(4, false));  // not updated on the first pass
  ftp::DetectHostType(ctrl);
  EXPECT_EQ(ftp::Host().hostTypeKnown, 1);
  EXPECT_EQ(Buttons(), std::vector<bool>(4, true));
  EXPECT_EQ(server.Transcript(), Lines{"SYST"});
  EXPECT_TRUE(Logged("Host type (I): PDP11 RSX11M"));
}

TEST_F(Detection, FixedTypesWithFewerCommands) {
  ASSERT_EQ(ConnectAndGreet(), 2);
  profiles::CurrentProfile().hostType = 6026;
  ftp::DetectHostType(ctrl);
  EXPECT_EQ(Buttons(), (std::vector<bool>{false, false, false, true}));
  EXPECT_EQ(ftp::Host().useCdup, 0);
  profiles::CurrentProfile().hostType = 6005;
  ftp::DetectHostType(ctrl);
  EXPECT_EQ(Buttons(), (std::vector<bool>{true, true, false, true}));
  EXPECT_EQ(ftp::Host().useCdup, 0);
  profiles::CurrentProfile().hostType = 6028;
  ftp::DetectHostType(ctrl);
  EXPECT_EQ(Buttons(), (std::vector<bool>{false, false, false, true}));
  EXPECT_EQ(ftp::Host().useCdup, 1);
  EXPECT_TRUE(server.Transcript().empty());
}

struct HelpCase {
  const char* name;
  std::vector<std::string> help;  // the HELP reply's pieces
  int type;
  std::vector<bool> buttons;      // MkDir, RmDir, Rename, Delete
};

class HelpScan : public Detection, public ::testing::WithParamInterface<HelpCase> {};

TEST_P(HelpScan, FlagsFromTheReply) {
  server.On("SYST", "500 SYST not understood\r\n");
  server.On("HELP", ScriptedReply::Pieces(GetParam().help));
  server.On("NOOP", "200 in step\r\n");
  ASSERT_EQ(ConnectAndGreet(), 2);
  ftp::DetectHostType(ctrl);
  EXPECT_EQ(profiles::CurrentProfile().hostType, GetParam().type);
  EXPECT_EQ(Buttons(), GetParam().buttons);
  EXPECT_TRUE(Logged("Host type (I): Automatic detect"));
  EXPECT_TRUE(Logged(std::string("Host type (3): ") + ftp::HostTypeName(GetParam().type)));
  // The whole reply was read: the next command gets its own answer.
  EXPECT_EQ(ftp::SendFtpCommand(ctrl, "NOOP"), 2);
  EXPECT_EQ(server.Transcript(), (Lines{"SYST", "HELP", "NOOP"}));
}

INSTANTIATE_TEST_SUITE_P(
    Help, HelpScan,
    ::testing::Values(
        HelpCase{"CommandList",
                 {"214-The following commands are recognized.\r\n", "   USER PASS MKD RMD\r\n   DELE LIST\r\n",
                  "214 Help OK.\r\n"},
                 6010,
                 {true, true, false, true}},
        HelpCase{"FinalLineNotSearched", {"214-Commands:\r\n RNFR\r\n214 MKD RMD DELE\r\n"}, 6010,
                 {false, false, true, false}},
        HelpCase{"SingleFinalLine", {"214 No help available\r\n"}, 6010, {false, false, false, false}},
        HelpCase{"Refused", {"500 HELP not understood\r\n"}, 6010, {false, false, false, false}},
        HelpCase{"PcFtpServer", {"214-PC FTP server help\r\n MKD\r\n214 end\r\n"}, 6013, {true, false, false, false}},
        HelpCase{"Ncsa", {"214-NCSA Telnet FTP server\r\n DELE\r\n214 end\r\n"}, 6006,
                 {false, false, false, true}}),
    [](const ::testing::TestParamInfo<HelpCase>& info) { return info.param.name; });

TEST_F(Detection, ConnectionLostDuringHelpKeepsWhatWasFound) {
  server.On("SYST", "500 no\r\n");
  server.On("HELP", ScriptedReply::Drop("214-Commands\r\n MKD\r\n"));
  ASSERT_EQ(ConnectAndGreet(), 2);
  ftp::DetectHostType(ctrl);
  EXPECT_EQ(profiles::CurrentProfile().hostType, 6010);
  EXPECT_EQ(Buttons(), (std::vector<bool>{true, false, false, false}));
  EXPECT_EQ(ftp::Host().hostTypeKnown, 1);
}

}  // namespace
