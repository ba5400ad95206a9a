// The scripted FTP server's thread: accept, greet, answer each command line from the rules.
#include "support/scripted_ftp_server.h"

#include <cctype>
#include <chrono>

namespace testing_support {
namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool SendText(platform::Socket s, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    int n = platform::Send(s, text.data() + done, static_cast<int>(text.size() - done));
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

ScriptedReply ScriptedReply::Pieces(std::vector<std::string> pieces, After after) {
  ScriptedReply r;
  r.pieces = std::move(pieces);
  r.after = after;
  return r;
}

ScriptedReply ScriptedReply::Drop(std::string text) {
  ScriptedReply r(std::move(text));
  r.after = kDrop;
  return r;
}

ScriptedReply ScriptedReply::Stall() {
  ScriptedReply r;
  r.after = kStall;
  return r;
}

ScriptedFtpServer::ScriptedFtpServer() {
  platform::NetStartup();
  listener_ = platform::NewSocket(true, 0);
  platform::NetAddress at{0x7F000001, 0};
  if (listener_ == platform::kNoSocket || platform::BindSocket(listener_, at) != 0 ||
      platform::ListenSocket(listener_, 4) != 0 || !platform::LocalAddress(listener_, at)) {
    return;  // port() stays 0; tests that connect will fail visibly
  }
  port_ = at.port;
  thread_ = std::thread([this] { Run(); });
}

ScriptedFtpServer::~ScriptedFtpServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listener_ != platform::kNoSocket) platform::CloseSocketHandle(listener_);
}

void ScriptedFtpServer::Greeting(ScriptedReply reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  greeting_ = std::move(reply);
}

void ScriptedFtpServer::On(const std::string& match, ScriptedReply reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  rules_.push_back(Rule{match, std::move(reply), false});
}

std::vector<std::string> ScriptedFtpServer::Transcript() {
  std::lock_guard<std::mutex> lock(mutex_);
  return transcript_;
}

std::string ScriptedFtpServer::Received() {
  std::lock_guard<std::mutex> lock(mutex_);
  return received_;
}

bool ScriptedFtpServer::WaitForCommands(size_t n, int timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return transcript_.size() >= n; });
}

bool ScriptedFtpServer::WaitForClose(int timeoutMs, int count) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return closes_ >= count; });
}

ScriptedReply ScriptedFtpServer::ReplyFor(const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string verb = Upper(line.substr(0, line.find(' ')));
  for (Rule& r : rules_) {
    if (r.used) continue;
    if (r.match == line || Upper(r.match) == verb) {
      r.used = true;
      return r.reply;
    }
  }
  return ScriptedReply("502 Command not implemented.\r\n");
}

bool ScriptedFtpServer::Deliver(platform::Socket client, const ScriptedReply& reply) {
  for (size_t i = 0; i < reply.pieces.size(); ++i) {
    if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(reply.gapMs));
    if (!SendText(client, reply.pieces[i])) return false;
  }
  if (reply.after == ScriptedReply::kDrop) return false;
  if (reply.after == ScriptedReply::kStall) {
    // Hold the connection without answering until the client closes it or the test ends; what
    // arrives meanwhile is kept in Received().
    char buf[256];
    while (!stop_) {
      if (!platform::WaitReadable(client, 20)) continue;
      int n = platform::Recv(client, buf, sizeof buf);
      if (n <= 0) break;
      std::lock_guard<std::mutex> lock(mutex_);
      received_.append(buf, static_cast<size_t>(n));
      changed_.notify_all();
    }
    return false;
  }
  return true;
}

void ScriptedFtpServer::Serve(platform::Socket client) {
  ScriptedReply greeting;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    greeting = greeting_;
  }
  std::string pending;
  bool open = Deliver(client, greeting);
  char buf[512];
  while (open && !stop_) {
    if (!platform::WaitReadable(client, 20)) continue;
    int n = platform::Recv(client, buf, sizeof buf);
    if (n <= 0) break;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      received_.append(buf, static_cast<size_t>(n));
    }
    pending.append(buf, static_cast<size_t>(n));
    size_t eol;
    while (open && (eol = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, eol);
      pending.erase(0, eol + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      {
        std::lock_guard<std::mutex> lock(mutex_);
        transcript_.push_back(line);
      }
      changed_.notify_all();
      open = Deliver(client, ReplyFor(line));
    }
  }
  platform::CloseSocketHandle(client);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++closes_;
  }
  changed_.notify_all();
}

void ScriptedFtpServer::Run() {
  while (!stop_) {
    if (!platform::WaitReadable(listener_, 20)) continue;
    platform::Socket client = platform::Accept(listener_, nullptr);
    if (client != platform::kNoSocket) Serve(client);
  }
}

}  // namespace testing_support
