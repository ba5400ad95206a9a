// Passive and active data connections.
#include "transfer/data_connection.h"

#include <cctype>
#include <cstdio>

#include "core/message_log.h"
#include "core/settings.h"
#include "ftp/commands.h"
#include "ftp/control.h"
#include "ftp/socket_errors.h"

namespace transfer {

using core::LogMessage;
using platform::kNoSocket;

int ParsePassiveReply(const std::string& line, unsigned numbers[6], std::string* listText) {
  std::string text = line.substr(0, line.find(')'));
  size_t start = text.find('(');
  if (start != std::string::npos) {
    ++start;
  } else {
    start = std::string::npos;
    for (size_t i = 4; i < text.size(); ++i)
      if (std::isdigit(static_cast<unsigned char>(text[i]))) {
        start = i;
        break;
      }
    if (start == std::string::npos) return -1;
  }
  std::string list = text.substr(start);
  if (listText) *listText = list;
  // "%u,%u,%u,%u,%u,%u" as sscanf reads it: blanks before each number are skipped.
  int got = 0;
  size_t p = 0;
  while (got < 6) {
    while (p < list.size() && std::isspace(static_cast<unsigned char>(list[p]))) ++p;
    if (p >= list.size() || !std::isdigit(static_cast<unsigned char>(list[p]))) break;
    uint32_t v = 0;
    // Saturates instead of wrapping, so a huge number stays out of range.
    for (; p < list.size() && std::isdigit(static_cast<unsigned char>(list[p])); ++p)
      if (v < 100000u) v = v * 10u + static_cast<uint32_t>(list[p] - '0');
    numbers[got++] = v;
    if (got < 6) {
      if (p >= list.size() || list[p] != ',') break;
      ++p;
    }
  }
  return got;
}

bool ParseExtendedPassiveReply(const std::string& line, unsigned& port) {
  size_t open = line.find('(');
  if (open == std::string::npos || open + 5 >= line.size()) return false;
  char d = line[open + 1];
  if (d < 33 || d > 126 || std::isdigit(static_cast<unsigned char>(d)) || line[open + 2] != d || line[open + 3] != d)
    return false;
  size_t p = open + 4;
  uint32_t v = 0;
  size_t digits = 0;
  while (p < line.size() && std::isdigit(static_cast<unsigned char>(line[p])) && digits < 6) {
    v = v * 10u + static_cast<uint32_t>(line[p++] - '0');
    ++digits;
  }
  if (digits == 0 || v == 0 || v > 65535) return false;
  if (p + 1 >= line.size() || line[p] != d || line[p + 1] != ')') return false;
  port = v;
  return true;
}

namespace {

// A text for "address:port" log lines (IPv6 in brackets).
std::string HostPortText(const platform::NetAddress& a) {
  std::string text = platform::AddressText(a);
  return a.v6 ? "[" + text + "]" : text;
}

// EPSV and a connection to the port it names on the control connection's peer. Sets `fallBack`
// when the server does not know EPSV and PASV may be tried instead.
Socket OpenExtendedPassiveData(Socket ctrl, bool& fallBack) {
  ftp::ConnectionState& c = ftp::Conn();
  fallBack = false;
  int cls = ftp::SendFtpCommandText(ctrl, "EPSV");
  if (cls != 2) {
    int code = c.lastReplyCode.load();
    if (code == 500 || code == 502) c.epsvRefused = true;
    fallBack = cls == 5 && !c.peerAddress.v6;
    return kNoSocket;
  }
  unsigned port = 0;
  if (!ParseExtendedPassiveReply(c.replyLine, port)) {
    LogMessage("bad EPSV reply %s", c.replyLine.c_str());
    return kNoSocket;
  }
  platform::NetAddress control = c.peerAddress;
  LogMessage("connecting to %s:%u", HostPortText(control).c_str(), port);
  Socket data = ftp::ConnectHost(platform::AddressText(control), static_cast<int>(port), "tcp");
  c.peerAddress = control;
  if (data == kNoSocket) {
    ftp::LogSocketError("connect", platform::LastSocketError());
    return kNoSocket;
  }
  LogMessage("[%u] connect to %s port %u", static_cast<unsigned>(data), platform::AddressText(control).c_str(), port);
  return data;
}

}  // namespace

Socket OpenPassiveData(Socket ctrl) {
  ftp::ConnectionState& c = ftp::Conn();
  if (core::Settings().modernftp && (!c.epsvRefused || c.peerAddress.v6)) {
    bool fallBack = false;
    Socket data = OpenExtendedPassiveData(ctrl, fallBack);
    if (!fallBack) return data;
  }
  if (c.peerAddress.v6) return kNoSocket;  // PASV cannot name an IPv6 address
  if (ftp::EnterPassiveMode(ctrl) != 2) return kNoSocket;
  std::string reply = c.replyLine;
  unsigned n[6] = {};
  std::string list;
  int got = ParsePassiveReply(reply, n, &list);
  if (got < 0) {
    LogMessage("unable to parse info %s", reply.c_str());
    return kNoSocket;
  }
  // A number above 255 would wrap into another port: refused like a short list.
  bool inRange = true;
  for (int i = 0; i < got; ++i) inRange = inRange && n[i] <= 255;
  if (got < 6 || !inRange) {
    LogMessage("bad address in %s", list.c_str());
    return kNoSocket;
  }
  char offered[64];
  std::snprintf(offered, sizeof offered, "%u.%u.%u.%u", n[0], n[1], n[2], n[3]);
  unsigned port = n[4] * 256u + n[5];
  // Only the port is taken from the reply: the data connection goes to the host the control
  // connection talks to, so a server cannot point the client at a third host.
  platform::NetAddress control = c.peerAddress;
  std::string target = platform::DottedAddress(control.address);
  if (target != offered) LogMessage("[I] PASV offered %s, connecting to the server's own address", offered);
  LogMessage("connecting to %s:%u", target.c_str(), port);
  Socket data = ftp::ConnectHost(target, static_cast<int>(port), "tcp");
  c.peerAddress = control;
  if (data == kNoSocket) {
    ftp::LogSocketError("connect", platform::LastSocketError());
    return kNoSocket;
  }
  LogMessage("[%u] connect to %s port %u", static_cast<unsigned>(data), target.c_str(), port);
  return data;
}

Socket OpenActiveListener(Socket ctrl) {
  ftp::ConnectionState& c = ftp::Conn();
  const bool v6 = c.peerAddress.v6;
  Socket s = platform::NewSocket(true, 6, v6);
  if (s == kNoSocket) {
    LogMessage("failed to create socket: %s", ftp::SocketErrorText(platform::LastSocketError()).c_str());
    return kNoSocket;
  }
  platform::NetAddress& record = c.localControlAddress;
  LogMessage("[%u] going to listen %s port %u", static_cast<unsigned>(s), platform::AddressText(record).c_str(),
             record.port);
  record = platform::NetAddress{};
  record.v6 = v6;
  const char* failed = nullptr;
  if (platform::BindSocket(s, record) != 0) failed = "failed bind: %s";
  else if (!platform::LocalAddress(s, record)) failed = "failed getsockname: %s";
  else if (platform::ListenSocket(s, 1) != 0) failed = "failed listen: %s";
  if (failed) {
    LogMessage(failed, ftp::SocketErrorText(platform::LastSocketError()).c_str());
    platform::CloseSocketHandle(s);
    return kNoSocket;
  }
  platform::NetAddress controlLocal;
  if (!platform::LocalAddress(ctrl, controlLocal)) ftp::LogSocketError("getsockname", platform::LastSocketError());
  uint32_t announce = (controlLocal.address >> 24) == 0 ? record.address : controlLocal.address;
  c.listenSocket = s;
  if (v6) {
    // EPRT names the control connection's own address (the listener listens on all of them).
    controlLocal.scope = 0;  // a zone index means nothing to the server
    if (ftp::SendFtpCommand(ctrl, "EPRT |2|%s|%u|", platform::AddressText(controlLocal).c_str(),
                            static_cast<unsigned>(record.port)) != 2) {
      LogMessage("[%u] port cmd failed.", static_cast<unsigned>(s));
      c.listenSocket = ftp::CloseSocket(s);
      return kNoSocket;
    }
  } else if (ftp::SendFtpCommand(ctrl, "PORT %d,%d,%d,%d,%d,%d", static_cast<int>((announce >> 24) & 0xFF),
                          static_cast<int>((announce >> 16) & 0xFF), static_cast<int>((announce >> 8) & 0xFF),
                          static_cast<int>(announce & 0xFF), static_cast<int>((record.port >> 8) & 0xFF),
                          static_cast<int>(record.port & 0xFF)) != 2) {
    LogMessage("[%u] port cmd failed.", static_cast<unsigned>(s));
    c.listenSocket = ftp::CloseSocket(s);
    return kNoSocket;
  }
  LogMessage("[%u] listener %s port %u", static_cast<unsigned>(s), platform::AddressText(record).c_str(),
             record.port);
  return s;
}

Socket AcceptActiveData(Socket listener) {
  ftp::ConnectionState& c = ftp::Conn();
  platform::NetAddress peer;
  const uint32_t server = c.peerAddress.address;
  ftp::StartNetTimer();
  Socket data;
  int error;
  for (;;) {
    data = platform::Accept(listener, &peer);
    error = platform::LastSocketError();
    // Only the server the control connection talks to may connect; anyone else is dropped and
    // the wait goes on (within the same time-out).
    if (data == kNoSocket || peer.address == server) break;
    LogMessage("data connection from %s refused: not the server's address",
               platform::DottedAddress(peer.address).c_str());
    platform::CloseSocketHandle(data);
  }
  ftp::StopNetTimer();
  c.listenSocket = ftp::CancelAndCloseSocket(listener);
  if (data == kNoSocket) {
    ftp::LogSocketError("accept", error);
    return kNoSocket;
  }
  LogMessage("[%u] accept from %s port %u", static_cast<unsigned>(data), platform::AddressText(peer).c_str(),
             peer.port);
  return data;
}

Socket CloseDataConnection(Socket data) {
  if (data == kNoSocket) return kNoSocket;
  Socket left = ftp::CloseSocket(data);
  if (left != kNoSocket) left = ftp::CancelAndCloseSocket(left);
  ftp::Conn().dataSocket = left;
  return left;
}

}  // namespace transfer
