// Hostile and broken servers against the console program, one table: servers that reset, stall,
// lie or never finish, and careless command lines. Each case checks the exit status, the
// statistics and transfer log lines, the files on both sides afterwards, and that the run ends
// by itself (TIMEOUT is 5 s; a run is killed after 40 s).
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "integration/console_run.h"
#include "platform/fs.h"
#include "profiles/profile_store.h"
#include "support/scripted_ftp_server.h"
#include "support/temp_dir.h"

using testing_support::DataEnd;
using testing_support::ReadFile;
using testing_support::ScriptedFtpServer;
using testing_support::ScriptedReply;

namespace {

const std::string kOld = "the user's own file\n";
const std::string kRemote = std::string(50000, 'r') + "end";

// What the server side does beyond the login (USER, PASS answered).
using Script = std::function<void(ScriptedFtpServer&)>;

struct FaultCase {
  const char* name;
  Script script;
  std::vector<std::string> args;  // after "-p srv"; "@" in an argument stands for the client folder
  int status;                     // expected exit status
  const char* stats;              // a text the statistics line holds, or nullptr: no statistics line
  bool transferLog;               // a line in MIRVAN.LOG
  std::string local;              // keep.bin afterwards ("" : absent)
  std::vector<std::string> logged;     // texts stderr must hold
  std::vector<std::string> notSent;    // command texts the server must never see
  std::string serverData;         // the bytes the server took on data connections
  int pasv = 1;                   // PASVMODE of the profile
};

void LoginScript(ScriptedFtpServer& s) {
  s.On("USER", "331 password please\r\n");
  s.On("PASS", "230 logged in\r\n");
}

void Download(ScriptedFtpServer& s, ScriptedReply retr) {
  s.On("CWD", "550 not a directory\r\n");
  s.On("TYPE", "200 ok\r\n");
  s.On("PASV", ScriptedReply::Passive());
  s.On("RETR", std::move(retr));
}

void DirectoryCase(ScriptedFtpServer& s) {
  s.On("CWD", "250 ok\r\n");
}

std::vector<std::string> ListDir(const std::string& path) {
  std::vector<std::string> names;
  if (DIR* d = opendir(path.c_str())) {
    while (dirent* e = readdir(d)) names.push_back(e->d_name);
    closedir(d);
  }
  return names;
}

std::string Upload300k() { return std::string(300000, 'u'); }

const std::vector<FaultCase>& Cases() {
  static const std::vector<FaultCase> cases = {
      {"CleanDownloadReplacesTheFile",
       [](ScriptedFtpServer& s) {
         Download(s, ScriptedReply::Download("150 here\r\n", kRemote, DataEnd::kClose, "226 done\r\n"));
       },
       {"srv:keep.bin"}, 0, "transfer succeeded", true, kRemote, {"Received 50003 bytes"}, {}, ""},
      {"DataResetMidTransferKeepsTheOldFile",
       [](ScriptedFtpServer& s) {
         Download(s, ScriptedReply::Download("150 here\r\n", std::string(40000, 'p'), DataEnd::kReset, "226 lying\r\n"));
       },
       {"srv:keep.bin"}, 1, "transfer failed", false, kOld, {"Received 40000 bytes", "recv: connection reset"}, {}, ""},
      {"DataResetBeforeAnyByte",
       [](ScriptedFtpServer& s) {
         Download(s, ScriptedReply::Download("150 here\r\n", "", DataEnd::kReset, "226 lying\r\n"));
       },
       {"srv:keep.bin"}, 1, "transfer failed", false, kOld, {"recv: connection reset"}, {}, ""},
      {"DataStallIsGivenUpAfterTheTimeout",
       [](ScriptedFtpServer& s) {
         Download(s, ScriptedReply::Download("150 here\r\n", "a few bytes", DataEnd::kStall, "226 lying\r\n"));
       },
       {"srv:keep.bin"}, 1, "transfer failed", false, kOld, {"Timer cancelled blocking call"}, {}, ""},
      {"DiskFullIsAFailure",
       [](ScriptedFtpServer& s) {
         Download(s, ScriptedReply::Download("150 here\r\n", kRemote, DataEnd::kClose, "226 done\r\n"));
       },
       {"srv:x.bin", "local:/dev/full"}, 1, "transfer failed", false, kOld, {"File error on WRITE! Aborted"}, {}, ""},
      {"DeviceTargetIsWrittenDirectly",
       [](ScriptedFtpServer& s) {
         Download(s, ScriptedReply::Download("150 here\r\n", kRemote, DataEnd::kClose, "226 done\r\n"));
       },
       {"srv:x.bin", "local:/dev/null"}, 0, "transfer succeeded", true, kOld, {}, {}, ""},
      {"ActiveModeTakesOnlyTheServersConnection",
       [](ScriptedFtpServer& s) {
         s.On("CWD", "550 not a directory\r\n");
         s.On("TYPE", "200 ok\r\n");
         s.On("PORT", ScriptedReply::Port());
         ScriptedReply retr = ScriptedReply::Download("150 here\r\n", kRemote, DataEnd::kClose, "226 done\r\n");
         retr.strangerBytes = "planted by someone else";
         s.On("RETR", retr);
       },
       {"srv:keep.bin"}, 0, "transfer succeeded", true, kRemote, {"refused: not the server's address"}, {}, "", 0},
      {"PassiveNumberAbove255IsRefused",
       [](ScriptedFtpServer& s) {
         s.On("CWD", "550 not a directory\r\n");
         s.On("TYPE", "200 ok\r\n");
         s.On("PASV", "227 Entering Passive Mode (127,0,0,1,300,10)\r\n");
         s.On("PORT", ScriptedReply::Port());
         s.On("RETR", ScriptedReply::Download("150 here\r\n", kRemote, DataEnd::kClose, "226 done\r\n"));
       },
       {"srv:keep.bin"}, 0, "transfer succeeded", true, kRemote, {"bad address in 127,0,0,1,300,10", "PORT "}, {}, ""},
      {"AsciiInsideANameIsPartOfTheName",
       [](ScriptedFtpServer& s) {
         Download(s, ScriptedReply::Download("150 here\r\n", kRemote, DataEnd::kClose, "226 done\r\n"));
       },
       {"srv:my-ascii-notes.txt", "local:@/keep.bin"}, 0, "transfer succeeded", true, kRemote,
       {"RETR my-ascii-notes.txt", "TYPE I"}, {"RETR mynotes.txt"}, ""},
      {"UploadCutByAResetIsAFailure",
       [](ScriptedFtpServer& s) {
         s.On("TYPE", "200 ok\r\n");
         s.On("PASV", ScriptedReply::Passive());
         s.On("STOR", ScriptedReply::Upload("150 send it\r\n", 1000, DataEnd::kReset, "226 lying\r\n"));
       },
       {"local:@/up.bin", "srv:up.bin"}, 1, "transfer failed", false, kOld, {}, {}, std::string(1000, 'u')},
      {"CleanUpload",
       [](ScriptedFtpServer& s) {
         s.On("TYPE", "200 ok\r\n");
         s.On("PASV", ScriptedReply::Passive());
         s.On("STOR", ScriptedReply::Upload("150 send it\r\n", static_cast<size_t>(-1), DataEnd::kClose, "226 stored\r\n"));
       },
       {"local:@/up.bin", "srv:up.bin"}, 0, "transfer succeeded", true, kOld, {"Transmitted 300000 bytes"}, {}, Upload300k()},
      {"DirectoryIsNeverUploaded", [](ScriptedFtpServer& s) { s.On("TYPE", "200 ok\r\n"); },
       {"local:@/folder", "srv:up.bin"}, 1, nullptr, false, kOld, {"folder is not a regular file: not sent"}, {"STOR", "PASV"}, ""},
      {"ReplyThatNeverEndsIsBounded",
       [](ScriptedFtpServer& s) {
         s.On("TYPE", "200 ok\r\n");
         std::vector<std::string> lines;
         for (int i = 0; i < 40; ++i) lines.push_back("200-still talking\r\n");
         ScriptedReply endless = ScriptedReply::Pieces(lines);
         endless.gapMs = 500;
         s.On("CWD", endless);
       },
       {"srv:keep.bin"}, 1, nullptr, false, kOld, {"Timer cancelled blocking call", "Connection to the server lost"},
       {"TYPE", "RETR", "QUIT"}, ""},
      {"ControlResetEndsTheSession",
       [](ScriptedFtpServer& s) {
         s.On("CWD", "550 not a directory\r\n");
         s.On("TYPE", ScriptedReply::Drop(""));
       },
       {"srv:keep.bin"}, 1, nullptr, false, kOld, {"Connection to the server lost"}, {"PASV", "RETR", "QUIT"}, ""},
      {"ListingRefusedIsAFailure",
       [](ScriptedFtpServer& s) {
         DirectoryCase(s);
         s.On("PWD", "257 \"/pub\"\r\n");
         s.On("SYST", "215 UNIX Type: L8\r\n");
         s.On("HELP", "214 ok\r\n");
         s.On("PASV", ScriptedReply::Passive());
         s.On("LIST", "550 not allowed\r\n");
       },
       {"srv:/pub"}, 1, nullptr, false, kOld, {"No listing of /pub received from srv"}, {}, ""},
      {"StallAtPwdEndsTheSession",
       [](ScriptedFtpServer& s) {
         DirectoryCase(s);
         s.On("PWD", ScriptedReply::Stall());
       },
       {"srv:/pub"}, 1, nullptr, false, kOld, {"Timer cancelled blocking call", "No listing of /pub"},
       {"SYST", "LIST", "QUIT"}, ""},
      {"StallAtSystEndsTheSession",
       [](ScriptedFtpServer& s) {
         DirectoryCase(s);
         s.On("PWD", "257 \"/pub\"\r\n");
         s.On("SYST", ScriptedReply::Stall());
       },
       {"srv:/pub"}, 1, nullptr, false, kOld, {"Timer cancelled blocking call", "No listing of /pub"},
       {"HELP", "PASV", "LIST", "QUIT"}, ""},
      {"ResetAtPasvIsAFailedListing",
       [](ScriptedFtpServer& s) {
         DirectoryCase(s);
         s.On("PWD", "257 \"/pub\"\r\n");
         s.On("SYST", "215 UNIX Type: L8\r\n");
         s.On("HELP", "214 ok\r\n");
         s.On("PASV", ScriptedReply::Drop(""));
       },
       {"srv:/pub"}, 1, nullptr, false, kOld, {"Connection to the server lost", "No listing of /pub"},
       {"PORT", "LIST", "QUIT"}, ""},
      {"StallAtListEndsTheSession",
       [](ScriptedFtpServer& s) {
         DirectoryCase(s);
         s.On("PWD", "257 \"/pub\"\r\n");
         s.On("SYST", "215 UNIX Type: L8\r\n");
         s.On("HELP", "214 ok\r\n");
         s.On("PASV", ScriptedReply::Passive());
         s.On("LIST", ScriptedReply::Stall());
       },
       {"srv:/pub"}, 1, nullptr, false, kOld, {"Timer cancelled blocking call", "No listing of /pub"}, {"QUIT"}, ""},
  };
  return cases;
}

class FaultTable : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultTable, Case) {
  const FaultCase& c = GetParam();
  ScriptedFtpServer server;
  LoginScript(server);
  c.script(server);
  testing_support::TempDir client;
  std::ofstream(client.File("MIRVAN.INI"))
      << "[_config_]\r\nMAILADDR=t@example.org\r\n\r\n[srv]\r\nHOST=127.0.0.1\r\nPORT=" << server.port()
      << "\r\nUID=joe\r\nPWD=" << profiles::ScramblePassword("joe", "secret") << "\r\nTIMEOUT=5\r\nPASVMODE=" << c.pasv
      << "\r\n";
  std::string keep = client.Write("keep.bin", kOld);
  client.Write("up.bin", Upload300k());
  platform::MakeDirectory(client.File("folder"));
  std::vector<std::string> args{"-p", "srv"};
  for (std::string a : c.args) {
    size_t at = a.find('@');
    if (at != std::string::npos) a.replace(at, 1, client.path());
    args.push_back(a);
  }

  RunResult r = RunConsole(client.path(), args, 40);
  EXPECT_EQ(r.status, c.status) << r.err;
  if (c.stats) {
    EXPECT_TRUE(Contains(r.err, c.stats)) << r.err;
  } else {
    EXPECT_FALSE(Contains(r.err, "bytes in")) << r.err;
  }
  EXPECT_EQ(platform::PathExists(client.File("MIRVAN.LOG")), c.transferLog) << ReadFile(client.File("MIRVAN.LOG"));
  EXPECT_EQ(ReadFile(keep), c.local);
  for (const auto& text : c.logged) EXPECT_TRUE(Contains(r.err, text)) << text << "\n" << r.err;
  std::string sent = server.Received();
  for (const auto& text : c.notSent) EXPECT_FALSE(Contains(sent, text)) << text << "\n" << sent;
  EXPECT_EQ(server.DataReceived(), c.serverData);
  if (c.status != 0) {
    EXPECT_FALSE(Contains(r.out, "D ..")) << r.out;
  }
  // No temporary file is left behind in the client's folder.
  std::vector<std::string> names = ListDir(client.path());
  for (const auto& n : names) EXPECT_NE(n.rfind(".mvn", 0), 0u) << n;
  // The devices are still devices.
  struct stat st;
  ASSERT_EQ(stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultTable, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// A profile port above 65535 is refused, not wrapped to another port.
TEST(FaultCommandLine, PortOutOfRangeIsRefused) {
  ScriptedFtpServer server;  // listening on a port that 70000 would not wrap to, but refused anyway
  testing_support::TempDir client;
  std::ofstream(client.File("MIRVAN.INI")) << "[srv]\r\nHOST=127.0.0.1\r\nPORT=" << (65536 + server.port())
                                            << "\r\nTIMEOUT=5\r\n";
  RunResult r = RunConsole(client.path(), {"-p", "srv", "srv:x.bin"}, 40);
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_TRUE(Contains(r.err, "port " + std::to_string(65536 + server.port()) + " is out of range")) << r.err;
  EXPECT_TRUE(server.Received().empty());
}

// A host that never answers the connect: a listener whose queue is full drops the handshake.
TEST(FaultCommandLine, ConnectToASilentHostIsBounded) {
  platform::Socket full = platform::NewSocket(true, 0);
  platform::NetAddress at{0x7F000001, 0};
  ASSERT_EQ(platform::BindSocket(full, at), 0);
  ASSERT_EQ(platform::ListenSocket(full, 0), 0);
  ASSERT_TRUE(platform::LocalAddress(full, at));
  // Fill the queue with connections that are never accepted (started without waiting for them).
  std::vector<int> fillers;
  for (int i = 0; i < 3; ++i) {
    int f = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(at.port);
    sa.sin_addr.s_addr = htonl(at.address);
    connect(f, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    fillers.push_back(f);
  }
  testing_support::TempDir client;
  std::ofstream(client.File("MIRVAN.INI")) << "[srv]\r\nHOST=127.0.0.1\r\nPORT=" << at.port << "\r\nTIMEOUT=5\r\n";
  RunResult r = RunConsole(client.path(), {"-p", "srv", "srv:x.bin"}, 40);
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_TRUE(Contains(r.err, "can't connect to 127.0.0.1 - Blocking call cancelled")) << r.err;
  platform::CloseSocketHandle(full);
  for (int f : fillers) close(f);
}

// A greeting of preliminary replies that never ends.
TEST(FaultCommandLine, EndlessPreliminaryGreetingIsBounded) {
  ScriptedFtpServer server;
  std::vector<std::string> lines;
  for (int i = 0; i < 40; ++i) lines.push_back("120 wait a little longer\r\n");
  ScriptedReply greeting = ScriptedReply::Pieces(lines);
  greeting.gapMs = 500;
  server.Greeting(greeting);
  testing_support::TempDir client;
  std::ofstream(client.File("MIRVAN.INI")) << "[srv]\r\nHOST=127.0.0.1\r\nPORT=" << server.port() << "\r\nTIMEOUT=5\r\n";
  RunResult r = RunConsole(client.path(), {"-p", "srv", "srv:x.bin"}, 40);
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_TRUE(Contains(r.err, "Connect failed to srv")) << r.err;
  EXPECT_FALSE(Contains(server.Received(), "USER")) << server.Received();
}

// Runs the console program with a terminal for stdin, stdout and stderr; what it wrote there.
std::string RunOnTerminal(const std::string& dir, const std::vector<std::string>& args) {
  int master = -1;
  pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    std::vector<char*> argv{const_cast<char*>(MIRVAN_CONSOLE)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  std::string out;
  if (pid < 0) return out;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(40);
  char buf[4096];
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    ssize_t n = read(master, buf, sizeof buf);
    if (n <= 0) break;  // EIO once the program has ended
    out.append(buf, static_cast<size_t>(n));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  close(master);
  return out;
}

// Reply text holding ESC, BEL and CR reaches a terminal escaped (it could retitle the window or
// rewrite lines), in the log and in the closing message alike.
TEST(FaultCommandLine, ServerTextReachesATerminalEscaped) {
  ScriptedFtpServer server;
  server.Greeting("220 hello\x1b]0;owned\x07 there\r\n");
  LoginScript(server);
  server.On("CWD", "550 not a directory\r\n");
  server.On("TYPE", "200 ok\r\n");
  server.On("PASV", ScriptedReply::Passive());
  server.On("RETR", "550 no such file\rX\x1b[2J\r\n");
  testing_support::TempDir client;
  std::ofstream(client.File("MIRVAN.INI"))
      << "[srv]\r\nHOST=127.0.0.1\r\nPORT=" << server.port() << "\r\nUID=joe\r\nPWD="
      << profiles::ScramblePassword("joe", "secret") << "\r\nTIMEOUT=5\r\nPASVMODE=1\r\n";
  std::string out = RunOnTerminal(client.path(), {"-p", "srv", "srv:x.bin"});
  EXPECT_TRUE(Contains(out, "220 hello\\x1B]0;owned\\x07 there")) << out;
  EXPECT_TRUE(Contains(out, "MIRVAN32: 550 no such file\\x0DX\\x1B[2J")) << out;
  EXPECT_EQ(out.find('\x1b'), std::string::npos) << out;  // (a BEL of its own is the error sound's beep)
}

}  // namespace
