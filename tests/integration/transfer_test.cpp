// The transfer engine against real servers on loopback, in passive and active mode.
#include <gtest/gtest.h>

#include "support/ports.h"

#include "integration/real_session_fixture.h"
#include "transfer/engine.h"
#include "transfer/progress.h"

using testing_support::ReadFile;

namespace {

class Transfers : public RealSessionTest {
 protected:
  void SetUp() override {
    RealSessionTest::SetUp();
    if (IsSkipped()) return;
    Connect();
  }
  void TearDown() override {
    testing_support::TestFront().progress = nullptr;
    RealSessionTest::TearDown();
  }
  int CountLogged(const std::string& line) {
    auto lines = core::StoredLines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
  }
};

std::string EveryByte(size_t repeats) {
  std::string s;
  for (size_t r = 0; r < repeats; ++r)
    for (int b = 0; b < 256; ++b) s += static_cast<char>(b);
  return s;
}

}  // namespace

TEST_P(Transfers, BinaryRoundTripOfEveryByteValue) {
  std::string content = EveryByte(300);  // 76800 bytes: many blocks
  std::string up = local.Write("up.bin", content);
  EXPECT_EQ(transfer::SendFile(ctrl, "STOR all.bin", up, 'I'), 2);
  EXPECT_EQ(ReadFile(Remote("all.bin")), content);
  std::string down = local.File("down.bin");
  EXPECT_EQ(transfer::ReceiveFile(ctrl, "RETR all.bin", down, 'I'), 2);
  EXPECT_EQ(ReadFile(down), content);
  // TYPE I went out once, before the first transfer only.
  EXPECT_EQ(CountLogged("TYPE I"), 1);
  EXPECT_TRUE(LogMentions("Received 76800 bytes in"));
  EXPECT_TRUE(LogMentions("transfer succeeded"));
}

TEST_P(Transfers, AsciiTypeEmptyFileAndStoreUnique) {
  std::string text = "line one\r\nline two\r\n";
  std::string up = local.Write("notes.txt", text);
  EXPECT_EQ(transfer::SendFile(ctrl, "STOR notes.txt", up, 'A'), 2);
  std::string down = local.File("notes-back.txt");
  EXPECT_EQ(transfer::ReceiveFile(ctrl, "RETR notes.txt", down, 'A'), 2);
  EXPECT_EQ(ReadFile(down), text);  // the client converts nothing
  EXPECT_EQ(CountLogged("TYPE A"), 0);  // a new connection is already in ASCII

  std::string empty = local.Write("empty", "");
  EXPECT_EQ(transfer::SendFile(ctrl, "STOR empty", empty, 'I'), 2);
  EXPECT_EQ(platform::FileSize(Remote("empty")), 0);
  std::string emptyDown = local.File("empty-down");
  EXPECT_EQ(transfer::ReceiveFile(ctrl, "RETR empty", emptyDown, 'I'), 2);
  EXPECT_EQ(platform::FileSize(emptyDown), 0);

  core::Settings().stou = 1;
  EXPECT_EQ(transfer::SendFile(ctrl, "STOR notes.txt", up, 'I'), 2);
  EXPECT_TRUE(LogMentions("STOU"));
  EXPECT_EQ(ReadFile(Remote("notes.txt")), server->kind() == RealFtpServer::kPyftpdlib ? "line one\nline two\n" : text);
}

TEST_P(Transfers, RefusedRetrieveLeavesTheLocalFileAlone) {
  std::string existing = local.Write("keep.txt", "precious");
  core::Settings().bell = 1;  // the error sound is asked for (the console beeps or stays silent)
  EXPECT_EQ(transfer::ReceiveFile(ctrl, "RETR no-such-file", existing, 'I'), 0);
  EXPECT_EQ(ReadFile(existing), "precious");
  std::string fresh = local.File("fresh.bin");
  EXPECT_EQ(transfer::ReceiveFile(ctrl, "RETR no-such-file", fresh, 'I'), 0);
  EXPECT_FALSE(platform::PathExists(fresh));
  EXPECT_EQ(ftp::Conn().lastReplyCode.load(), 550);
  // The session is still usable.
  std::string up = local.Write("after.bin", "x");
  EXPECT_EQ(transfer::SendFile(ctrl, "STOR after.bin", up, 'I'), 2);
}

TEST_P(Transfers, UnwritableTargetIsRefusedBeforeAnythingIsSent) {
  std::string target = platform::JoinPath(local.path(), "no/such/dir/file");
  EXPECT_EQ(transfer::ReceiveFile(ctrl, "RETR x", target, 'I'), 0);
  EXPECT_EQ(core::StoredLines().back(), "FAILED TO OPEN " + target + " FOR WRITE!");
}

#ifndef _WIN32
TEST_P(Transfers, LocalWriteErrorAbortsWithUrgentAbor) {
  std::string big(1 << 20, 'z');
  std::string up = local.Write("big.bin", big);
  ASSERT_EQ(transfer::SendFile(ctrl, "STOR big.bin", up, 'I'), 2);
  int r = transfer::ReceiveFile(ctrl, "RETR big.bin", "/dev/full", 'I');
  EXPECT_EQ(r, 0);  // a failed write is a failed transfer, whatever the server answers
  EXPECT_TRUE(LogMentions("File error on WRITE! Aborted"));
  EXPECT_TRUE(LogMentions("transfer failed"));
  EXPECT_TRUE(LogMentions("You MAY have to press Cancel and/or Close this connection."));
  // The replies to the transfer and to ABOR both read: the next commands get their own replies.
  EXPECT_EQ(ftp::SendFtpCommandText(ctrl, "PWD"), 2);
  EXPECT_EQ(ftp::Conn().replyLine.compare(0, 4, "257 "), 0) << ftp::Conn().replyLine;
  std::string back = local.File("back.bin");
  EXPECT_EQ(transfer::ReceiveFile(ctrl, "RETR big.bin", back, 'I'), 2);
  EXPECT_TRUE(testing_support::ReadFile(back) == big);
}
#endif

namespace {
// Presses Cancel as soon as the first progress shows.
class CancellingProgress : public testing_support::ProgressRecorder {
 public:
  void Open(bool, const std::string&) override { open = true; }
  void SetProgress(const std::string& text) override {
    if (!text.empty()) {
      ++updates;
      ftp::Conn().abortFlag = 1;
    }
  }
  void Close() override { open = false; }
  bool open = false;
  int updates = 0;
};
}  // namespace

TEST_P(Transfers, CancelStopsADownload) {
  std::string big(8 << 20, 'c');
  std::string up = local.Write("big.bin", big);
  ASSERT_EQ(transfer::SendFile(ctrl, "STOR big.bin", up, 'I'), 2);
  CancellingProgress cancel;
  testing_support::TestFront().progress = &cancel;
  core::Settings().hash = 0;  // every block shows progress
  core::ResetMessageLog();
  std::string down = local.File("partial.bin");
  transfer::ReceiveFile(ctrl, "RETR big.bin", down, 'I');
  EXPECT_EQ(cancel.updates, 1);
  EXPECT_FALSE(cancel.open);
  EXPECT_TRUE(LogMentions("transfer failed"));
  EXPECT_LT(platform::FileSize(down), static_cast<int64_t>(big.size()));
}

MIRVAN_ALL_REAL_SESSIONS(Transfers);
