// The scripted FTP server's thread: accept, greet, answer each command line from the rules.
#include "support/scripted_ftp_server.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>

#include "support/socket_reset.h"

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

ScriptedReply ScriptedReply::Passive() {
  ScriptedReply r;
  r.special = kPassive;
  return r;
}

ScriptedReply ScriptedReply::Port() {
  ScriptedReply r("200 PORT ok\r\n");
  r.special = kPort;
  return r;
}

ScriptedReply ScriptedReply::Download(std::string preliminary, std::string bytes, DataEnd end, std::string completion) {
  ScriptedReply r(std::move(preliminary));
  r.dataKind = kSendData;
  r.dataBytes = std::move(bytes);
  r.dataEnd = end;
  r.completion = std::move(completion);
  return r;
}

ScriptedReply ScriptedReply::Upload(std::string preliminary, size_t limit, DataEnd end, std::string completion) {
  ScriptedReply r(std::move(preliminary));
  r.dataKind = kTakeData;
  r.takeLimit = limit;
  r.dataEnd = end;
  r.completion = std::move(completion);
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
  if (passiveListener_ != platform::kNoSocket) platform::CloseSocketHandle(passiveListener_);
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

std::string ScriptedFtpServer::DataReceived() {
  std::lock_guard<std::mutex> lock(mutex_);
  return dataReceived_;
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

// The data connection of a transfer: accepted on the passive port, or made to the PORT address
// (after a stranger's connection from another loopback address, when asked for). Waits at most 10 s.
platform::Socket ScriptedFtpServer::OpenDataConnection(const std::string& strangerBytes) {
  if (passiveListener_ != platform::kNoSocket) {
    platform::Socket data = platform::kNoSocket;
    for (int waited = 0; waited < 10000 && !stop_ && data == platform::kNoSocket; waited += 20)
      if (platform::WaitReadable(passiveListener_, 20)) data = platform::Accept(passiveListener_, nullptr);
    platform::CloseSocketHandle(passiveListener_);
    passiveListener_ = platform::kNoSocket;
    return data;
  }
  if (portAddress_.port == 0) return platform::kNoSocket;
  if (!strangerBytes.empty()) {
    platform::Socket stranger = platform::NewSocket(true, 0);
    platform::NetAddress from{0x7F000002, 0};
    if (stranger != platform::kNoSocket && platform::BindSocket(stranger, from) == 0 &&
        platform::Connect(stranger, portAddress_) == 0) {
      SendText(stranger, strangerBytes);
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (stranger != platform::kNoSocket) platform::CloseSocketHandle(stranger);
  }
  platform::Socket data = platform::NewSocket(true, 0);
  if (data != platform::kNoSocket && platform::Connect(data, portAddress_) != 0) {
    platform::CloseSocketHandle(data);
    data = platform::kNoSocket;
  }
  portAddress_ = {};
  return data;
}

void ScriptedFtpServer::RunData(const ScriptedReply& reply) {
  platform::Socket data = OpenDataConnection(reply.strangerBytes);
  if (data == platform::kNoSocket) return;
  if (reply.dataKind == ScriptedReply::kSendData) {
    SendText(data, reply.dataBytes);
    if (reply.dataEnd == DataEnd::kReset) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  } else {
    char buf[4096];
    size_t taken = 0;
    while (!stop_ && taken < reply.takeLimit) {
      if (!platform::WaitReadable(data, 20)) continue;
      int n = platform::Recv(data, buf, static_cast<int>(std::min(sizeof buf, reply.takeLimit - taken)));
      if (n <= 0) break;
      taken += static_cast<size_t>(n);
      std::lock_guard<std::mutex> lock(mutex_);
      dataReceived_.append(buf, static_cast<size_t>(n));
    }
  }
  if (reply.dataEnd == DataEnd::kReset) {
    ResetConnection(data);
    return;
  }
  if (reply.dataEnd == DataEnd::kStall) {
    char buf[4096];
    while (!stop_) {
      if (!platform::WaitReadable(data, 20)) continue;
      if (platform::Recv(data, buf, sizeof buf) <= 0) break;
    }
  }
  platform::CloseSocketHandle(data);
}

bool ScriptedFtpServer::Deliver(platform::Socket client, const ScriptedReply& reply) {
  if (reply.special == ScriptedReply::kPassive) {
    if (passiveListener_ != platform::kNoSocket) platform::CloseSocketHandle(passiveListener_);
    passiveListener_ = platform::NewSocket(true, 0);
    platform::NetAddress at{0x7F000001, 0};
    if (platform::BindSocket(passiveListener_, at) != 0 || platform::ListenSocket(passiveListener_, 2) != 0 ||
        !platform::LocalAddress(passiveListener_, at))
      return SendText(client, "425 no data port\r\n");
    char text[96];
    std::snprintf(text, sizeof text, "227 Entering Passive Mode (127,0,0,1,%u,%u)\r\n", at.port / 256u, at.port % 256u);
    return SendText(client, text);
  }
  for (size_t i = 0; i < reply.pieces.size(); ++i) {
    if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(reply.gapMs));
    if (!SendText(client, reply.pieces[i])) return false;
  }
  if (reply.dataKind != ScriptedReply::kNoData) {
    RunData(reply);
    for (int waited = 0; waited < reply.completionDelayMs && !stop_; waited += 10)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!reply.completion.empty() && !SendText(client, reply.completion)) return false;
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
      ScriptedReply reply = ReplyFor(line);
      if (reply.special == ScriptedReply::kPort) {
        unsigned n[6];
        if (std::sscanf(line.c_str() + line.find(' ') + 1, "%u,%u,%u,%u,%u,%u", &n[0], &n[1], &n[2], &n[3], &n[4],
                        &n[5]) == 6)
          portAddress_ = platform::NetAddress{(n[0] << 24) | (n[1] << 16) | (n[2] << 8) | n[3],
                                              static_cast<uint16_t>(n[4] * 256 + n[5])};
      }
      open = Deliver(client, reply);
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
