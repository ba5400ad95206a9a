// The console program `mirvan` run as a user runs it (a child process with a settings file in
// its current directory) against real servers: exit status, stderr, stdout and the files.
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/fs.h"
#include "profiles/profile_store.h"
#include "support/real_ftp_servers.h"
#include "support/temp_dir.h"
#include "app/command_line.h"
#include "integration/console_run.h"

using testing_support::ReadFile;
using testing_support::RealFtpServer;

namespace {


const std::string kBinary = std::string("bin\r\n\0\x01\xff tail\n", 14) + std::string(70000, 'x');

class ConsoleTransfer : public ::testing::TestWithParam<RealFtpServer::Kind> {
 public:
  static void PutServerFiles(const RealFtpServer& s) {
    platform::MakeDirectory(s.anonymousRoot() + "/pub");
    std::ofstream(s.anonymousRoot() + "/pub/readme.txt") << "anonymous readme\n";
    std::ofstream(s.userRoot() + "/data.bin", std::ios::binary) << kBinary;
    std::ofstream(s.userRoot() + "/text.txt", std::ios::binary) << "line one\nline two\n";
  }

 protected:
  void SetUp() override {
    std::string why;
    server = RealFtpServer::Start(GetParam(), &why);
    if (!server) GTEST_SKIP() << why;
    PutServerFiles(*server);
    platform::MakeDirectory(client.File("in"));
    std::string port = std::to_string(server->port());
    std::ofstream(client.File("MIRVAN.INI"))
        << "[_config_]\nMAILADDR=tester@example.org\n"
        << "[srv]\nHOST=127.0.0.1\nPORT=" << port << "\nUID=" << server->user()
        << "\nPWD=" << profiles::ScramblePassword(server->user(), server->password()) << "\n"
        << "[anon]\nHOST=127.0.0.1\nPORT=" << port << "\nUID=anonymous\nPWD=not-this-one\nLOCDIR="
        << client.File("in") << "\n";
  }
  std::string Url(const std::string& userInfo, const std::string& path) const {
    return "ftp://" + userInfo + "127.0.0.1:" + std::to_string(server->port()) + "/" + path;
  }

  std::unique_ptr<RealFtpServer> server;
  testing_support::TempDir client;
};

TEST_P(ConsoleTransfer, ReceivesByProfile) {
  RunResult r = RunConsole(client.path(), {"srv:data.bin"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(client.File("data.bin")), kBinary);
  EXPECT_TRUE(Contains(r.err, "receiving data.bin from srv as data.bin")) << r.err;
  EXPECT_TRUE(Contains(r.err, "TYPE I")) << r.err;
  std::string log = ReadFile(client.File("MIRVAN.LOG"));
  EXPECT_TRUE(Contains(log, "data.bin <-- srv  data.bin")) << log;

  // A profile whose user is anonymous, with a local directory of its own.
  r = RunConsole(client.path(), {"anon:pub/readme.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(client.File("in/readme.txt")), "anonymous readme\n");
  EXPECT_TRUE(Contains(r.err, "USER anonymous")) << r.err;
}

TEST_P(ConsoleTransfer, ReceivesByFtpAddress) {
  struct Case {
    std::string address, local, expected;
  } cases[] = {
      {Url("", "pub/readme.txt"), "readme.txt", "anonymous readme\n"},
      {Url(server->user() + ":" + server->password() + "@", "data.bin"), "data.bin", kBinary},
      // The user and the password percent-encoded ("-" is %2D), and a local name given.
      {Url(server->user() + ":Secret%2D42@", "%64ata.bin") + " local:" + client.File("copy.bin"), "copy.bin", kBinary},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    RunResult r = RunConsole(client.path(), {c.address});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(client.File(c.local)), c.expected);
  }
}

TEST_P(ConsoleTransfer, SendsWithLocalFirst) {
  std::string up = client.Write("up.bin", kBinary);
  RunResult r = RunConsole(client.path(), {"local:" + up, "srv:stored.bin"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(server->userRoot() + "/stored.bin"), kBinary);
  EXPECT_TRUE(Contains(r.err, "STOR stored.bin")) << r.err;
  EXPECT_TRUE(Contains(ReadFile(client.File("MIRVAN.LOG")), "up.bin --> srv  stored.bin"));

  // A local file that does not exist: the failure is reported and nothing is stored.
  r = RunConsole(client.path(), {"local:" + client.File("absent.bin"), "srv:absent.bin"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "failed to open file " + client.File("absent.bin"))) << r.err;
  EXPECT_FALSE(platform::PathExists(server->userRoot() + "/absent.bin"));
}

// A directory given as the file to send: on Linux it opens for reading and every read fails, so
// the server's file would be replaced by an empty one. It is refused before STOR.
TEST_P(ConsoleTransfer, DirectoryIsNeverSent) {
  std::ofstream(server->userRoot() + "/kept.bin", std::ios::binary) << kBinary;
  platform::MakeDirectory(client.File("folder"));
  RunResult r = RunConsole(client.path(), {"local:" + client.File("folder"), "srv:kept.bin"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_TRUE(Contains(r.err, client.File("folder") + " is not a regular file: not sent")) << r.err;
  EXPECT_FALSE(Contains(r.err, "STOR")) << r.err;
  EXPECT_EQ(ReadFile(server->userRoot() + "/kept.bin"), kBinary);
  EXPECT_FALSE(platform::PathExists(client.File("MIRVAN.LOG")));
}

TEST_P(ConsoleTransfer, AsciiAndQuiet) {
  // In ASCII pyftpdlib sends lines ending CR LF (vsftpd sends the bytes as they are); the client
  // keeps what arrives. Binary, the default, always keeps the file's bytes.
  RunResult r = RunConsole(client.path(), {"-quiet", "srv:text.txt", "local:" + client.File("a.txt"), "-ascii"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(Contains(r.err, "TYPE I")) << r.err;
  EXPECT_EQ(ReadFile(client.File("a.txt")),
            GetParam() == RealFtpServer::kPyftpdlib ? "line one\r\nline two\r\n" : "line one\nline two\n");
  r = RunConsole(client.path(), {"srv:text.txt", "-quiet"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.err, "TYPE I")) << r.err;
  EXPECT_EQ(ReadFile(client.File("text.txt")), "line one\nline two\n");

  // "-quiet" with a failure: logged, but no message at the end.
  r = RunConsole(client.path(), {"srv:missing.bin", "-quiet"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "RETR missing.bin")) << r.err;
  EXPECT_FALSE(Contains(r.err, "Transfer failed for")) << r.err;
}

TEST_P(ConsoleTransfer, DirectoryIsListed) {
  platform::MakeDirectory(server->userRoot() + "/sub");
  platform::MakeDirectory(server->userRoot() + "/sub/inner");
  std::ofstream(server->userRoot() + "/sub/one.txt") << "1";
  std::ofstream(server->userRoot() + "/sub/two.bin") << "22";
  RunResult r = RunConsole(client.path(), {"srv:sub"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.err, "QUIT")) << r.err;
  EXPECT_FALSE(platform::PathExists(client.File("sub")));
  // Directories first, then files with their information columns after a tab (LONGDIR is on).
  std::vector<std::string> lines;
  for (size_t start = 0; start < r.out.size();) {
    size_t end = r.out.find('\n', start);
    lines.push_back(r.out.substr(start, end - start));
    start = end == std::string::npos ? r.out.size() : end + 1;
  }
  std::vector<std::string> dirs, files;
  for (const auto& l : lines) {
    ASSERT_TRUE(l.rfind("D ", 0) == 0 || l.rfind("F ", 0) == 0) << l;
    if (l[0] == 'D') {
      EXPECT_TRUE(files.empty()) << "a directory after the files: " << l;
      dirs.push_back(l.substr(2));
    } else {
      files.push_back(l.substr(2));
    }
  }
  EXPECT_NE(std::find(dirs.begin(), dirs.end(), "inner"), dirs.end()) << r.out;
  ASSERT_EQ(files.size(), 2u) << r.out;
  std::sort(files.begin(), files.end());  // the file list keeps the server's order
  EXPECT_EQ(files[0].rfind("one.txt", 0), 0u) << files[0];
  EXPECT_EQ(files[1].rfind("two.bin", 0), 0u) << files[1];
  for (const auto& f : files) EXPECT_TRUE(Contains(f, "\t| ")) << f;
}

TEST_P(ConsoleTransfer, MissingRemoteFileFails) {
  RunResult r = RunConsole(client.path(), {"srv:missing.bin"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "MIRVAN32: 550")) << r.err;
  EXPECT_TRUE(Contains(r.err, "\nTransfer failed for missing.bin from srv")) << r.err;
  EXPECT_FALSE(platform::PathExists(client.File("missing.bin")));
  EXPECT_FALSE(platform::PathExists(client.File("MIRVAN.LOG")));
}

TEST_P(ConsoleTransfer, LoginFailureFails) {
  RunResult r = RunConsole(client.path(), {Url(server->user() + ":wrong@", "data.bin")});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "Connect failed to 127.0.0.1")) << r.err;
  EXPECT_TRUE(Contains(r.err, "530")) << r.err;
  EXPECT_FALSE(platform::PathExists(client.File("data.bin")));

  // A user without a password and no terminal to ask on: the prompt is cancelled.
  r = RunConsole(client.path(), {Url(server->user() + "@", "data.bin")});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "Connect failed to 127.0.0.1")) << r.err;
}

INSTANTIATE_TEST_SUITE_P(Servers, ConsoleTransfer, ::testing::Values(RealFtpServer::kPyftpdlib, RealFtpServer::kVsftpd),
                         [](const auto& info) { return std::string(info.param == RealFtpServer::kPyftpdlib ? "pyftpdlib" : "vsftpd"); });

// host:path and an ftp:// address without a port reach port 21: a server of its own on a
// loopback address of its own.
class ConsolePort21 : public ::testing::TestWithParam<RealFtpServer::Kind> {};

TEST_P(ConsolePort21, ReceivesByHostAndAddressWithoutPort) {
  std::mt19937 rng(static_cast<unsigned>(getpid()) ^ static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::string address = "127." + std::to_string(100 + rng() % 100) + "." + std::to_string(rng() % 250) + "." +
                        std::to_string(1 + rng() % 250);
  std::string why;
  auto server = RealFtpServer::Start(GetParam(), &why, address, 21);
  if (!server) GTEST_SKIP() << why;
  ConsoleTransfer::PutServerFiles(*server);
  testing_support::TempDir client;
  std::ofstream(client.File("MIRVAN.INI")) << "[_config_]\nMAILADDR=tester@example.org\n";
  struct Case {
    std::string arg, local, expected;
  } cases[] = {
      {address + ":pub/readme.txt", "readme.txt", "anonymous readme\n"},
      {"ftp://" + address + "/pub/readme.txt local:" + client.File("r2.txt"), "r2.txt", "anonymous readme\n"},
      {"ftp://" + server->user() + ":" + server->password() + "@" + address + "/data.bin", "data.bin", kBinary},
      {"//" + address + "/pub/readme.txt local:" + client.File("r3.txt"), "r3.txt", "anonymous readme\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arg);
    RunResult r = RunConsole(client.path(), {c.arg});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(client.File(c.local)), c.expected);
  }
}

INSTANTIATE_TEST_SUITE_P(Servers, ConsolePort21, ::testing::Values(RealFtpServer::kPyftpdlib, RealFtpServer::kVsftpd),
                         [](const auto& info) { return std::string(info.param == RealFtpServer::kPyftpdlib ? "pyftpdlib" : "vsftpd"); });

// Command lines that never reach a server.
TEST(ConsoleCommandLine, SyntaxAndCancelledAsk) {
  testing_support::TempDir client;
  RunResult r = RunConsole(client.path(), {"no-colon-here"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, app::kCommandLineSyntax)) << r.err;

  r = RunConsole(client.path(), {"-quiet", "no-colon-here"});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(Contains(r.err, "Syntax:")) << r.err;

  // "-ask" without a terminal: the prompt is cancelled, nothing else happens.
  r = RunConsole(client.path(), {"-ASK", "127.0.0.1:x"});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(Contains(r.err, "receiving")) << r.err;
}

TEST(ConsoleCommandLine, HelpVersionAndUsage) {
  testing_support::TempDir client;
  RunResult r = RunConsole(client.path(), {"--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* part : {"Usage: mirvan", "-i file", "-p profile", "-ascii", "-resume", "-quiet", "local:path",
                           "ftp://", "Exit status"})
    EXPECT_TRUE(Contains(r.out, part)) << part;
  EXPECT_EQ(r.err, "");

  r = RunConsole(client.path(), {"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "mirvan 3.00\n");

  r = RunConsole(client.path(), {});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Contains(r.err, "Usage: mirvan")) << r.err;
  EXPECT_EQ(r.out, "");
}

// -resume and an IPv6 address in an ftp:// address, against servers listening on ::1. Without a
// terminal, stderr holds the log lines and the statistics line only, no progress line.
class ConsoleIpv6Resume : public ::testing::TestWithParam<RealFtpServer::Kind> {};

TEST_P(ConsoleIpv6Resume, CompletesAShorterLocalFile) {
  std::string why;
  auto server = RealFtpServer::Start(GetParam(), &why, "::1");
  if (!server) GTEST_SKIP() << why;
  std::mt19937 gen(7);
  std::string content(3u << 20, '\0');
  for (char& c : content) c = static_cast<char>(gen());
  std::ofstream(server->userRoot() + "/big.bin", std::ios::binary) << content;
  testing_support::TempDir client;
  std::ofstream(client.File("MIRVAN.INI")) << "[_config_]\nMAILADDR=tester@example.org\n";
  const size_t cut = 1234567;
  std::string local = client.Write("big.bin", content.substr(0, cut));
  std::string address = "ftp://" + server->user() + ":" + server->password() + "@[::1]:" +
                        std::to_string(server->port()) + "/big.bin";
  RunResult r = RunConsole(client.path(), {"-resume", address, "local:" + local});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(ReadFile(local) == content) << "the resumed file differs";
  EXPECT_TRUE(Contains(r.err, "Connected to ::1 port " + std::to_string(server->port()))) << r.err;
  EXPECT_TRUE(Contains(r.err, "REST " + std::to_string(cut))) << r.err;
  EXPECT_TRUE(Contains(r.err, "Received " + std::to_string(content.size() - cut) + " bytes in")) << r.err;
  EXPECT_FALSE(Contains(r.err, "\r")) << "a progress line in a file";
}

// On a terminal, the download shows one updating progress line with the percentage (the size
// comes from SIZE), the bytes, the rate and the time left.
TEST(ConsoleProgressLine, ShownOnATerminal) {
  std::string why;
  auto server = RealFtpServer::Start(RealFtpServer::kPyftpdlib, &why);
  if (!server) GTEST_SKIP() << why;
  std::ofstream(server->userRoot() + "/ten.bin", std::ios::binary) << std::string(10u << 20, 'z');
  testing_support::TempDir client;
  std::ofstream(client.File("MIRVAN.INI")) << "[_config_]\nMAILADDR=tester@example.org\n";
  std::string address = "ftp://" + server->user() + ":" + server->password() + "@127.0.0.1:" +
                        std::to_string(server->port()) + "/ten.bin";
  int master = -1;
  pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (chdir(client.path().c_str()) != 0) _exit(126);
    execl(MIRVAN_CONSOLE, MIRVAN_CONSOLE, address.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  std::string seen;
  char buf[4096];
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  for (;;) {
    ssize_t n = read(master, buf, sizeof buf);
    if (n <= 0 || std::chrono::steady_clock::now() > deadline) break;  // EIO once the child is gone
    seen.append(buf, static_cast<size_t>(n));
  }
  int status = 0;
  waitpid(pid, &status, 0);
  close(master);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << seen;
  EXPECT_TRUE(Contains(seen, "SIZE ten.bin")) << seen;
  EXPECT_TRUE(Contains(seen, "\r")) << seen;
  EXPECT_TRUE(Contains(seen, "% ")) << seen;
  EXPECT_TRUE(Contains(seen, " of 10.0 MiB")) << seen;
  EXPECT_TRUE(Contains(seen, "/s")) << seen;
  EXPECT_TRUE(Contains(seen, "Received 10485760 bytes in")) << seen;
}

INSTANTIATE_TEST_SUITE_P(Servers, ConsoleIpv6Resume, ::testing::Values(RealFtpServer::kPyftpdlib, RealFtpServer::kVsftpd),
                         [](const auto& info) { return std::string(info.param == RealFtpServer::kPyftpdlib ? "pyftpdlib" : "vsftpd"); });

}  // namespace
