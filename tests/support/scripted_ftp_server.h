// A scripted FTP server on loopback for tests: it answers each command from a script, can
// deliver a reply in chosen pieces, drop the connection or stall, and records exactly what
// the client sent (the transcript). Runs on its own thread; works natively and under Wine.
//
//   ScriptedFtpServer server;
//   server.Greeting("220 ready\r\n");
//   server.On("USER", "331 password please\r\n");
//   server.On("PASS secret", "230 in\r\n");
//   ... connect the client to 127.0.0.1:server.port() ...
//   EXPECT_EQ(server.Transcript(), (std::vector<std::string>{"USER joe", "PASS secret"}));
//
// Commands without a matching rule get "502 Command not implemented.".
//
// Data connections: a rule answered with ScriptedReply::Passive() opens a data port and replies
// 227 with it; ScriptedReply::Port() takes the client's PORT address. A reply with a data plan
// (Download, Upload) then sends its pieces, runs the plan on a data connection (accepted on the
// passive port, or connected to the PORT address), and sends its completion text afterwards:
//
//   server.On("PASV", ScriptedReply::Passive());
//   server.On("RETR", ScriptedReply::Download("150 here\r\n", bytes, DataEnd::kReset, "226 ok\r\n"));
#pragma once
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/net.h"

namespace testing_support {

// One reply: its bytes sent as separate pieces (each piece in one send, a short gap between
// pieces so they arrive in separate reads), then what the server does next.
// How a scripted data connection ends: closed, reset (RST), or held open without a byte more
// until the client closes it.
enum class DataEnd { kClose, kReset, kStall };

struct ScriptedReply {
  enum After { kKeep, kDrop, kStall };
  std::vector<std::string> pieces;
  After after = kKeep;
  int gapMs = 40;

  enum Special { kNone, kPassive, kPort };
  Special special = kNone;
  // The data plan: sent bytes (download) or taken bytes (upload), and the end.
  enum DataKind { kNoData, kSendData, kTakeData };
  DataKind dataKind = kNoData;
  std::string dataBytes;               // kSendData: what is sent
  size_t takeLimit = static_cast<size_t>(-1);  // kTakeData: bytes taken before the end
  DataEnd dataEnd = DataEnd::kClose;
  std::string completion;              // sent on the control connection after the data ended
  int completionDelayMs = 0;           // ... this long after it ended (a server slow to answer)
  std::string strangerBytes;           // active mode: first a connection from 127.0.0.2 sending these

  ScriptedReply() = default;
  ScriptedReply(const char* text) : pieces{text} {}
  ScriptedReply(std::string text) : pieces{std::move(text)} {}
  static ScriptedReply Pieces(std::vector<std::string> pieces, After after = kKeep);
  static ScriptedReply Drop(std::string text);  // sends the text, then closes the connection
  static ScriptedReply Stall();                 // sends nothing and keeps the connection open
  static ScriptedReply Passive();               // "227 ... (127,0,0,1,p1,p2)" for a new data port
  static ScriptedReply Port();                  // takes the PORT address: "200 PORT ok"
  static ScriptedReply Download(std::string preliminary, std::string bytes, DataEnd end, std::string completion);
  static ScriptedReply Upload(std::string preliminary, size_t limit, DataEnd end, std::string completion);
};

class ScriptedFtpServer {
 public:
  ScriptedFtpServer();
  ~ScriptedFtpServer();
  ScriptedFtpServer(const ScriptedFtpServer&) = delete;
  ScriptedFtpServer& operator=(const ScriptedFtpServer&) = delete;

  int port() const { return port_; }

  // What the server sends when a client connects (default: "220 scripted server ready").
  void Greeting(ScriptedReply reply);
  // Adds a rule: the next command whose whole line equals `match`, or whose verb (first word,
  // compared without regard to case) equals it, gets `reply`. Each rule answers once; rules
  // are tried in the order they were added.
  void On(const std::string& match, ScriptedReply reply);

  // The command lines received so far, without their CR LF.
  std::vector<std::string> Transcript();
  // Every byte received so far on the control connection (also while stalled).
  std::string Received();
  // Every byte received so far on data connections.
  std::string DataReceived();
  // Waits (bounded) until at least `n` command lines have arrived.
  bool WaitForCommands(size_t n, int timeoutMs = 5000);
  // Waits (bounded) until clients have closed `count` connections in all.
  bool WaitForClose(int timeoutMs = 5000, int count = 1);

 private:
  struct Rule {
    std::string match;
    ScriptedReply reply;
    bool used = false;
  };
  void Run();
  void Serve(platform::Socket client);
  bool Deliver(platform::Socket client, const ScriptedReply& reply);  // false: connection ended
  void RunData(const ScriptedReply& reply);
  platform::Socket OpenDataConnection(const std::string& strangerBytes);
  ScriptedReply ReplyFor(const std::string& line);

  platform::Socket listener_ = platform::kNoSocket;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  ScriptedReply greeting_{"220 scripted server ready\r\n"};
  std::vector<Rule> rules_;
  std::vector<std::string> transcript_;
  std::string received_;
  std::string dataReceived_;
  platform::Socket passiveListener_ = platform::kNoSocket;
  platform::NetAddress portAddress_;
  int closes_ = 0;
  std::thread thread_;
};

}  // namespace testing_support
