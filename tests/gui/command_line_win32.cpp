// MIRVAN32.exe started with a command-line transfer, against a real server that the test's
// wrapper runs natively (its port in MIRVAN_TEST_FTP_PORT): the program works minimised,
// closes itself, and leaves the file and the transfer log line behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/temp_dir.h"

using testing_support::ReadFile;
using testing_support::TempDir;

namespace {

const std::string kExe = std::string(MIRVAN_BIN_DIR) + "\\MIRVAN32.exe";

// Runs MIRVAN32.exe in `dir` and waits up to a minute for it to end by itself: its exit code,
// or -1 when it had to be stopped.
long RunToEnd(const std::string& args, const std::string& dir) {
  std::string cmd = "\"" + kExe + "\" " + args;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(kExe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi)) return -2;
  long code = -1;
  if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0) {
    DWORD exit = 0;
    GetExitCodeProcess(pi.hProcess, &exit);
    code = static_cast<long>(exit);
  } else {
    TerminateProcess(pi.hProcess, 99);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

class CommandLineWine : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* port = std::getenv("MIRVAN_TEST_FTP_PORT");
    if (!port || !*port) GTEST_SKIP() << "no test FTP server (run through tests/gui/with_ftp_server)";
    ini = dir.Write("cmd.ini", "[_config_]\r\nMAILADDR=tester@example.org\r\nusewave=0\r\n[srv]\r\nHOST=127.0.0.1\r\nPORT=" +
                                   std::string(port) + "\r\nUID=anonymous\r\n");
  }
  TempDir dir;
  std::string ini;
};

TEST_F(CommandLineWine, ReceivesTheFileAndEndsItself) {
  EXPECT_EQ(RunToEnd("-i " + ini + " -quiet srv:pub/hello.txt", dir.path()), 0);
  EXPECT_EQ(ReadFile(dir.File("hello.txt")), "hello from the server\r\n");
  std::string log = ReadFile(dir.File("MIRVAN.LOG"));
  EXPECT_NE(log.find("hello.txt <-- srv  pub/hello.txt"), std::string::npos) << log;
}

TEST_F(CommandLineWine, BadHostEndsItselfToo) {
  EXPECT_EQ(RunToEnd("-i " + ini + " -quiet no-such-host.invalid:pub/hello.txt", dir.path()), 0);
  EXPECT_EQ(GetFileAttributesA(dir.File("hello.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA(dir.File("MIRVAN.LOG").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
