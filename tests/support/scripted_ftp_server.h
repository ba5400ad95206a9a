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
struct ScriptedReply {
  enum After { kKeep, kDrop, kStall };
  std::vector<std::string> pieces;
  After after = kKeep;
  int gapMs = 40;

  ScriptedReply() = default;
  ScriptedReply(const char* text) : pieces{text} {}
  ScriptedReply(std::string text) : pieces{std::move(text)} {}
  static ScriptedReply Pieces(std::vector<std::string> pieces, After after = kKeep);
  static ScriptedReply Drop(std::string text);  // sends the text, then closes the connection
  static ScriptedReply Stall();                 // sends nothing and keeps the connection open
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
  // Every byte received so far.
  std::string Received();
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
  int closes_ = 0;
  std::thread thread_;
};

}  // namespace testing_support
