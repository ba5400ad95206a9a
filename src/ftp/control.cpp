// The control connection: connect, line sender, reply reader, time-out and closing.
#include "ftp/control.h"

#include <cctype>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "core/message_log.h"
#include "core/settings.h"
#include "ftp/socket_errors.h"
#include "ftp/host_types.h"
#include "platform/clock.h"
#include "platform/pump.h"
#include "profiles/session_profile.h"
#include "ui/front_end.h"

namespace ftp {
namespace {

using core::LogLine;
using core::LogMessage;

// Timer 20: the countdown and when its last tick fell due.
struct NetTimer {
  std::mutex mutex;
  bool running = false;
  int countdown = 0;
  bool expired = false;
  uint64_t lastTickMs = 0;
} netTimer;

constexpr size_t kReplyLinesKept = 1000;  // a longer reply keeps its first lines only
thread_local int replyWaitDepth = 0;

// The connection broke or timed out: shut it down so the server sees it end, mark the session
// disconnected, and refuse everything later on it.
void MarkLost(Socket s) {
  ConnectionState& c = Conn();
  if (c.lostSocket.load() == s) return;
  c.lostSocket = s;
  platform::ShutdownSocket(s);
  if (c.ctrl_skt.load() == s) c.connected = 0;
  LogLine("Connection to the server lost: it is closed");
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

void TrimTrailingBlanks(std::string& s) {
  while (!s.empty() && IsBlank(s.back())) s.pop_back();
}

// The code of a reply line: up to three digits after leading blanks.
int LineCode(const std::string& line) {
  size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  int code = 0;
  for (int n = 0; n < 3 && i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])); ++n, ++i)
    code = code * 10 + (line[i] - '0');
  return code;
}

}  // namespace

void ConnectionState::Reset() {
  ctrl_skt = kNoSocket;
  dataSocket = kNoSocket;
  listenSocket = kNoSocket;
  connected = 0;
  commandDepth = 0;
  abortFlag = 0;
  batchCancel = 0;
  lastReplyCode = 0;
  replyLine.clear();
  pendingReplyText.clear();
  replyPending = false;
  owedReplies = 0;
  detectHostFromReplies = 0;
  peerAddress = {};
  localControlAddress = {};
  serverTransferType = 'A';
  replyLines.clear();
  ResetFeatures();
  lostSocket = kNoSocket;
  StopNetTimer();
}

void ConnectionState::ResetFeatures() {
  features = ServerFeatures();
  utf8Names = false;
  epsvRefused = false;
  mlsdAllowed = false;
}

ConnectionState& Conn() {
  static ConnectionState state;
  return state;
}

Socket ConnectHost(const std::string& host, int port, const std::string& protocol) {
  ConnectionState& c = Conn();
  LogLine("- -");
  if (port < 1 || port > 65535) {
    LogMessage("can't connect to %s - port %d is out of range", host.c_str(), port);
    return kNoSocket;
  }
  c.peerAddress = {};
  c.peerAddress.port = static_cast<uint16_t>(port);

  // The addresses to try in turn: one for a literal address; with MODERNFTP every address the
  // resolver gives (IPv6 and IPv4), else its first IPv4 address.
  std::vector<platform::NetAddress> candidates;
  const bool modern = core::Settings().modernftp != 0;
  uint32_t address = 0;
  size_t dot = host.find('.');
  bool dotted = !host.empty() && std::isdigit(static_cast<unsigned char>(host[0])) && dot != std::string::npos &&
                dot + 1 < host.size() && std::isdigit(static_cast<unsigned char>(host[dot + 1]));
  std::string literal = host;
  if (literal.size() > 2 && literal.front() == '[' && literal.back() == ']') literal = literal.substr(1, literal.size() - 2);
  platform::NetAddress v6;
  if (modern && literal.find(':') != std::string::npos && platform::ParseIpv6Address(literal, v6)) {
    candidates.push_back(v6);
  } else if (dotted) {
    if (!platform::ParseDottedAddress(host, address)) {
      LogMessage("can't get \"%s\" host entry", host.c_str());
      return kNoSocket;
    }
  } else if (modern) {
    if (!platform::ResolveHostAddresses(host, candidates) && !platform::ParseDottedAddress(host, address)) {
      LogMessage("can't get \"%s\" host entry", host.c_str());
      return kNoSocket;
    }
  } else if (!platform::ResolveHostName(host, address) && !platform::ParseDottedAddress(host, address)) {
    LogMessage("can't get \"%s\" host entry", host.c_str());
    return kNoSocket;
  }
  if (candidates.empty()) {
    platform::NetAddress v4;
    v4.address = address;
    candidates.push_back(v4);
  }
  for (platform::NetAddress& a : candidates) a.port = static_cast<uint16_t>(port);
  c.peerAddress = candidates.front();

  int proto = platform::ProtocolNumber(protocol);
  if (proto < 0) {
    bool tcp = protocol.size() == 3 && std::toupper(static_cast<unsigned char>(protocol[0])) == 'T' &&
               std::toupper(static_cast<unsigned char>(protocol[1])) == 'C' &&
               std::toupper(static_cast<unsigned char>(protocol[2])) == 'P';
    if (!tcp) {
      LogMessage("can't get \"%s\" protocol entry", protocol.c_str());
      return kNoSocket;
    }
    proto = 6;
  }

  for (size_t i = 0; i < candidates.size(); ++i) {
    const platform::NetAddress& to = candidates[i];
    const bool last = i + 1 == candidates.size();
    Socket s = platform::NewSocket(protocol != "udp", proto, to.v6);
    if (s == kNoSocket) {
      LogMessage("can't create socket - %s", SocketErrorText(platform::LastSocketError()).c_str());
      if (last) return kNoSocket;
      continue;
    }
    c.peerAddress = to;
    std::string addressText = platform::AddressText(to);
    LogMessage("connecting to %s ...", addressText.c_str());
    StartNetTimer();  // a host that never answers is given up after the time-out
    int connected = platform::Connect(s, to);
    int err = platform::LastSocketError();
    StopNetTimer();
    if (connected == 0) {
      LogMessage("Connected to %s port %u", addressText.c_str(), static_cast<unsigned>(port));
      return s;
    }
    platform::CloseSocketHandle(s);  // a failed connect keeps no socket
    if (last || err == platform::kErrCancelled || c.abortFlag) {
      LogMessage("can't connect to %s - %s", host.c_str(), SocketErrorText(err).c_str());
      return kNoSocket;
    }
    LogMessage("can't connect to %s - %s", addressText.c_str(), SocketErrorText(err).c_str());
  }
  return kNoSocket;
}

int SendAll(Socket s, const char* data, int length) {
  int sent = 0;
  while (sent < length) {
    int n = platform::Send(s, data + sent, length - sent);
    if (n <= 0) {
      LogSocketError("send", n < 0 ? platform::LastSocketError() : 0);
      break;
    }
    sent += n;
  }
  return sent;
}

int SendCommandLine(Socket s, std::string text) {
  if (s == kNoSocket) return -1;
  if (s == Conn().lostSocket.load()) {
    LogLine("Not connected");
    return -1;
  }
  if (!TakeIdleDepth()) return -1;
  struct Release {
    ~Release() { --Conn().commandDepth; }
  } release;
  TrimTrailingBlanks(text);
  // A CR, LF or NUL inside the line would make the server see two commands.
  if (text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
    LogLine("Command not sent: it holds a line break or NUL character");
    return -1;
  }
  // A reply the server still owed for an unfinished transfer comes first.
  while (Conn().owedReplies.load() > 0) {
    --Conn().owedReplies;
    LogMessage("reading the reply to the unfinished transfer first");
    GetReply(s);
    if (s == Conn().lostSocket.load()) return -1;
  }
  text += "\r\n";
  int sent = SendAll(s, text.data(), static_cast<int>(text.size()));
  if (sent < static_cast<int>(text.size())) MarkLost(s);
  Conn().lastCommandMs = platform::CurrentClock().NowMs();  // the keep-alive's idle time starts here
  return sent;
}

bool TakeIdleDepth() {
  ConnectionState& c = Conn();
  bool logged = false;
  for (;;) {
    int idle = 0;
    if (c.commandDepth.compare_exchange_strong(idle, 1)) return true;
    if (c.abortFlag) return false;
    if (!logged) LogLine("[x] cmd in progress, yielding");
    logged = true;
    BlockingHook();
    std::this_thread::sleep_for(std::chrono::milliseconds(platform::kWaitSliceMs));
  }
}

int ReadReplyLine(Socket s) {
  ConnectionState& c = Conn();
  if (s == kNoSocket) return 0;
  if (s == c.lostSocket.load()) {
    c.replyLine.clear();
    c.abortFlag = 1;
    return kCodeLost;
  }
  ++c.commandDepth;
  c.abortFlag = 0;
  std::string line;
  bool complete = false;

  if (c.replyPending) {
    size_t stop = c.pendingReplyText.find_first_of(std::string("\n\0", 2));
    if (stop != std::string::npos && c.pendingReplyText[stop] == '\n') {
      line = c.pendingReplyText.substr(0, stop + 1);
      c.pendingReplyText.erase(0, stop + 1);
      complete = true;
    } else {
      line = c.pendingReplyText.substr(0, stop);
      c.pendingReplyText.clear();
      c.replyPending = false;
    }
  }

  if (!complete) {
    int last = 1;
    int error = 0;
    ReplyWaitScope wait;  // the line (or the reply around it) has one time-out
    char buf[kReplyReadMax];
    while (static_cast<int>(line.size()) < kReplyLineLimit && !c.abortFlag) {
      last = platform::Recv(s, buf, kReplyReadMax);
      if (last <= 0) {
        if (last < 0) error = platform::LastSocketError();
        break;
      }
      const char* end = buf + last;
      const char* stop = buf;
      while (stop < end && *stop != '\n' && *stop != '\0') ++stop;
      if (stop < end - 1) {
        line.append(static_cast<const char*>(buf), stop + 1);
        c.pendingReplyText.assign(stop + 1, end);
        size_t nul = c.pendingReplyText.find('\0');
        if (nul != std::string::npos) c.pendingReplyText.resize(nul);
        c.replyPending = !c.pendingReplyText.empty();
        break;
      }
      line.append(static_cast<const char*>(buf), end);
      if (end[-1] == '\n') break;
    }
    if (last <= 0) {
      if (last < 0) LogSocketError("rl-recv", error);
      // Closed, reset or timed out: the connection is finished (a Cancel leaves it open).
      if (last == 0 || error != platform::kErrCancelled || NetTimerExpired()) MarkLost(s);
      size_t nul = line.find('\0');
      if (nul != std::string::npos) line.resize(nul);
      c.replyLine = line;
      --c.commandDepth;
      c.abortFlag = 1;
      return kCodeLost;
    }
  }

  size_t nul = line.find('\0');
  if (nul != std::string::npos) line.resize(nul);
  int code = LineCode(line);
  if (c.abortFlag) code = kCodeLost;
  TrimTrailingBlanks(line);
  c.replyLine = line;
  --c.commandDepth;
  return code;
}

int GetReply(Socket s) {
  ConnectionState& c = Conn();
  if (s == kNoSocket) return 0;
  if (s == c.lostSocket.load()) {
    c.lastReplyCode = kCodeLost;
    c.abortFlag = 1;
    return kReplyClassLost;
  }
  ++c.commandDepth;
  c.replyLines.clear();
  ReplyWaitScope wait;  // one time-out for the whole reply
  for (int depth = 1;; ++depth) {
    int code = ReadReplyLine(s);
    if (c.replyLines.size() < kReplyLinesKept) c.replyLines.push_back(c.replyLine);
    bool continuation = code < 100 || code > 599 || (c.replyLine.size() > 3 && c.replyLine[3] == '-');
    LogLine(c.replyLine);
    if (c.abortFlag) {
      c.lastReplyCode = kCodeLost;
      continuation = false;
    }
    if (code >= 100 && code <= 599 && (depth == 1 || c.lastReplyCode == 0)) c.lastReplyCode = code;
    if (c.detectHostFromReplies && profiles::CurrentProfile().hostType == ftp::kHostAutomatic)
      ftp::DetectHostTypeFromGreeting(c.replyLine);
    bool more = continuation || (depth > 1 && c.lastReplyCode > 0 && code != c.lastReplyCode);
    if (!more) break;
  }
  --c.commandDepth;
  int last = c.lastReplyCode;
  return last >= 100 && last <= 599 ? last / 100 : 0;
}

int GetTransferReply(Socket s, bool dataMoved) {
  ConnectionState& c = Conn();
  if (dataMoved || s == kNoSocket || s == c.lostSocket.load() || c.replyPending) return GetReply(s);
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kOwedReplyWaitMs);
  while (!platform::WaitReadable(s, platform::kWaitSliceMs)) {
    if (std::chrono::steady_clock::now() >= until) {
      ++c.owedReplies;
      c.lastReplyCode = 0;
      LogMessage("[%u] no reply yet to the unfinished transfer; it is read before the next command",
                 static_cast<unsigned>(s));
      return 0;
    }
    BlockingHook();
  }
  return GetReply(s);
}

void DrainControl(Socket s) {
  ConnectionState& c = Conn();
  c.pendingReplyText.clear();
  c.replyPending = false;
  if (s != kNoSocket && platform::Readable(s)) {
    char buf[kReplyReadMax];
    if (platform::Recv(s, buf, kReplyReadMax) > 0) c.owedReplies = 0;  // what was owed, discarded
  }
}

Socket CloseSocket(Socket s) {
  if (s == kNoSocket) return s;
  if (platform::CloseSocketHandle(s) != 0) {
    LogSocketError("closesocket", platform::LastSocketError());
    LogMessage("[%u] Failed to close socket.", static_cast<unsigned>(s));
    return s;
  }
  LogMessage("[%u] Socket closed.", static_cast<unsigned>(s));
  if (Conn().lostSocket.load() == s) Conn().lostSocket = kNoSocket;
  return kNoSocket;
}

Socket CancelAndCloseSocket(Socket s) {
  if (s == kNoSocket) return s;
  if (platform::IsBlocking()) {
    LogMessage("[%u] Cancelled blocking call", static_cast<unsigned>(s));
    platform::CancelBlockingCall();
    Conn().abortFlag = 1;
  }
  return CloseSocket(s);
}

void StartNetTimer() {
  std::lock_guard<std::mutex> lock(netTimer.mutex);
  netTimer.countdown = profiles::CurrentProfile().timeout / 5;
  netTimer.running = true;
  netTimer.expired = false;
  netTimer.lastTickMs = platform::CurrentClock().NowMs();
}

void StopNetTimer() {
  std::lock_guard<std::mutex> lock(netTimer.mutex);
  netTimer.running = false;
}

bool NetTimerExpired() {
  std::lock_guard<std::mutex> lock(netTimer.mutex);
  return netTimer.expired;
}

ReplyWaitScope::ReplyWaitScope() {
  if (replyWaitDepth++ == 0) StartNetTimer();
}

ReplyWaitScope::~ReplyWaitScope() {
  if (--replyWaitDepth == 0) StopNetTimer();
}

bool NetTimerRunning() {
  std::lock_guard<std::mutex> lock(netTimer.mutex);
  return netTimer.running;
}

void NetTimerTick(int timerId) {
  if (timerId != kNetTimerId) return;
  {
    std::lock_guard<std::mutex> lock(netTimer.mutex);
    if (!netTimer.running) return;
    if (netTimer.countdown-- != 1) return;
    netTimer.running = false;
    netTimer.expired = true;
  }
  if (platform::IsBlocking()) {
    LogLine("Timer cancelled blocking call");
    Conn().abortFlag = 1;
    platform::CancelBlockingCall();
  }
}

void NetTimerPoll() {
  uint64_t now = platform::CurrentClock().NowMs();
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(netTimer.mutex);
      if (!netTimer.running || now - netTimer.lastTickMs < kNetTimerPeriodMs) return;
      netTimer.lastTickMs += kNetTimerPeriodMs;
    }
    NetTimerTick(kNetTimerId);
  }
}

int KeepAliveTick() {
  ConnectionState& c = Conn();
  int seconds = core::Settings().keepalive;
  Socket s = c.ctrl_skt.load();
  if (seconds <= 0 || !c.connected || s == kNoSocket || c.commandDepth != 0 || platform::IsBlocking()) return 0;
  uint64_t now = platform::CurrentClock().NowMs();
  if (now - c.lastCommandMs.load() < static_cast<uint64_t>(seconds) * 1000u) return 0;
  bool closed = false;
  if (platform::Readable(s)) {
    // Something arrived while idle: a 421 and the close, or the close alone.
    ReadReplyLine(s);
    if (!c.replyLine.empty()) LogLine(c.replyLine);
    closed = c.abortFlag != 0 || LineCode(c.replyLine) == kCodeLost;
    c.abortFlag = 0;
  }
  if (!closed) {
    LogLine("NOOP");
    closed = SendCommandLine(s, "NOOP") <= 0 || GetReply(s) == 0 || c.lastReplyCode == kCodeLost;
  }
  if (!closed) return 0;
  LogLine("Connection closed by the server");
  c.ctrl_skt = CancelAndCloseSocket(s);
  c.connected = 0;
  c.abortFlag = 0;
  return 1;
}

void BlockingHook() {
  ui::Front().PumpWaitingMessages();
  NetTimerPoll();
  if (Conn().abortFlag) platform::CancelBlockingCall();
}

void InstallBlockingHook() { platform::SetBlockingHook(&BlockingHook); }

}  // namespace ftp
