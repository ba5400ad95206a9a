// Win32 half of the socket seam: Winsock sockets kept non-blocking, waited on with select.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <map>
#include <mutex>

#include "platform/net.h"
#include "platform/net_internal.h"

namespace platform {
namespace {

SOCKET S(Socket s) { return static_cast<SOCKET>(s); }

int Fail() {
  SetLastSocketError(WSAGetLastError());
  return -1;
}

// The socket address of a NetAddress; its length.
int ToSockaddr(const NetAddress& a, sockaddr_storage& out) {
  out = sockaddr_storage{};
  if (a.v6) {
    sockaddr_in6* sa = reinterpret_cast<sockaddr_in6*>(&out);
    sa->sin6_family = AF_INET6;
    sa->sin6_port = htons(a.port);
    memcpy(&sa->sin6_addr, a.address6, 16);
    sa->sin6_scope_id = a.scope;
    return sizeof(sockaddr_in6);
  }
  sockaddr_in* sa = reinterpret_cast<sockaddr_in*>(&out);
  sa->sin_family = AF_INET;
  sa->sin_port = htons(a.port);
  sa->sin_addr.s_addr = htonl(a.address);
  return sizeof(sockaddr_in);
}

NetAddress FromSockaddr(const sockaddr_storage& in) {
  NetAddress a;
  if (in.ss_family == AF_INET6) {
    const sockaddr_in6* sa = reinterpret_cast<const sockaddr_in6*>(&in);
    a.v6 = true;
    memcpy(a.address6, &sa->sin6_addr, 16);
    a.scope = sa->sin6_scope_id;
    a.port = ntohs(sa->sin6_port);
  } else {
    const sockaddr_in* sa = reinterpret_cast<const sockaddr_in*>(&in);
    a.address = ntohl(sa->sin_addr.s_addr);
    a.port = ntohs(sa->sin_port);
  }
  return a;
}

void MakeNonBlocking(SOCKET s) {
  u_long on = 1;
  ioctlsocket(s, FIONBIO, &on);
}

}  // namespace

bool NetStartup(std::string* description) {
  static WSADATA wsa;
  static int rc = WSAStartup(MAKEWORD(1, 1), &wsa);
  if (description) *description = rc == 0 ? wsa.szDescription : "";
  return rc == 0;
}

int LastSocketError() { return WSAGetLastError(); }
void SetLastSocketError(int error) { WSASetLastError(error); }

bool ParseDottedAddress(const std::string& text, uint32_t& address) {
  unsigned long a = inet_addr(text.c_str());
  if (a == INADDR_NONE) return false;
  address = ntohl(a);
  return true;
}

std::string DottedAddress(uint32_t address) {
  in_addr a{};
  a.s_addr = htonl(address);
  return inet_ntoa(a);
}

bool ResolveHostName(const std::string& name, uint32_t& address) {
  hostent* h = gethostbyname(name.c_str());
  if (!h || h->h_addrtype != AF_INET || !h->h_addr_list[0]) {
    if (h) SetLastSocketError(11004);
    return false;
  }
  in_addr a;
  memcpy(&a, h->h_addr_list[0], sizeof a);
  address = ntohl(a.s_addr);
  return true;
}

bool ResolveHostAddresses(const std::string& name, std::vector<NetAddress>& out) {
  out.clear();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* res = nullptr;
  int rc = getaddrinfo(name.c_str(), nullptr, &hints, &res);
  if (rc != 0 || !res) {
    SetLastSocketError(rc == EAI_AGAIN ? 11002 : rc == EAI_FAIL ? 11003 : 11001);
    if (res) freeaddrinfo(res);
    return false;
  }
  for (addrinfo* ai = res; ai; ai = ai->ai_next) {
    if (ai->ai_family != AF_INET && ai->ai_family != AF_INET6) continue;
    sockaddr_storage ss{};
    memcpy(&ss, ai->ai_addr, ai->ai_addrlen < sizeof ss ? ai->ai_addrlen : sizeof ss);
    out.push_back(FromSockaddr(ss));
  }
  freeaddrinfo(res);
  if (out.empty()) SetLastSocketError(11004);
  return !out.empty();
}

int ProtocolNumber(const std::string& name) {
  // The lookup reads the registry and the protocols file, and a transfer asks once per data
  // connection: names already found are kept.
  static std::mutex mutex;
  static std::map<std::string, int> found;
  {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = found.find(name);
    if (it != found.end()) return it->second;
  }
  protoent* p = getprotobyname(name.c_str());
  if (!p) return -1;
  int number = p->p_proto;
  std::lock_guard<std::mutex> lock(mutex);
  found[name] = number;
  return number;
}

Socket NewSocket(bool stream, int protocol, bool ipv6) {
  SOCKET s = socket(ipv6 ? AF_INET6 : AF_INET, stream ? SOCK_STREAM : SOCK_DGRAM, protocol);
  if (s == INVALID_SOCKET) {
    Fail();
    return kNoSocket;
  }
  MakeNonBlocking(s);
  SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
  return static_cast<Socket>(s);
}

int CloseSocketHandle(Socket s) { return closesocket(S(s)) == 0 ? 0 : Fail(); }
int ShutdownSocket(Socket s) { return shutdown(S(s), SD_BOTH) == 0 ? 0 : Fail(); }
int ShutdownSend(Socket s) { return shutdown(S(s), SD_SEND) == 0 ? 0 : Fail(); }

bool LocalAddress(Socket s, NetAddress& out) {
  sockaddr_storage sa{};
  int len = sizeof sa;
  if (getsockname(S(s), reinterpret_cast<sockaddr*>(&sa), &len) != 0) return Fail() == 0;
  out = FromSockaddr(sa);
  return true;
}

int SetOobInline(Socket s) {
  BOOL one = TRUE;
  return setsockopt(S(s), SOL_SOCKET, SO_OOBINLINE, reinterpret_cast<const char*>(&one), sizeof one) == 0 ? 0
                                                                                                            : Fail();
}

int BindSocket(Socket s, const NetAddress& at) {
  sockaddr_storage sa;
  int len = ToSockaddr(at, sa);
  return bind(S(s), reinterpret_cast<sockaddr*>(&sa), len) == 0 ? 0 : Fail();
}

int ListenSocket(Socket s, int backlog) { return listen(S(s), backlog) == 0 ? 0 : Fail(); }

int SelectOne(Socket s, bool forWrite, int ms) {
  fd_set set, errors;
  FD_ZERO(&set);
  FD_ZERO(&errors);
  FD_SET(S(s), &set);
  FD_SET(S(s), &errors);
  timeval tv{ms / 1000, (ms % 1000) * 1000};
  int rc = select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, &errors, &tv);
  if (rc == SOCKET_ERROR) return Fail();
  return rc > 0 ? 1 : 0;
}

int Connect(Socket s, const NetAddress& to) {
  sockaddr_storage sa;
  int salen = ToSockaddr(to, sa);
  if (connect(S(s), reinterpret_cast<sockaddr*>(&sa), salen) == 0) return 0;
  if (WSAGetLastError() != WSAEWOULDBLOCK) return Fail();
  if (WaitInSlices(s, true) != 0) return -1;
  int err = 0;
  int len = sizeof err;
  if (getsockopt(S(s), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len) != 0) return Fail();
  if (err != 0) {
    SetLastSocketError(err);
    return -1;
  }
  return 0;
}

int Send(Socket s, const char* data, int length, bool outOfBand) {
  for (;;) {
    int n = send(S(s), data, length, outOfBand ? MSG_OOB : 0);
    if (n != SOCKET_ERROR) return n;
    if (WSAGetLastError() != WSAEWOULDBLOCK) return Fail();
    if (WaitInSlices(s, true) != 0) return -1;
  }
}

int Recv(Socket s, char* buffer, int length) {
  for (;;) {
    int n = recv(S(s), buffer, length, 0);
    if (n != SOCKET_ERROR) return n;
    if (WSAGetLastError() != WSAEWOULDBLOCK) return Fail();
    if (WaitInSlices(s, false) != 0) return -1;
  }
}

Socket Accept(Socket s, NetAddress* peer) {
  for (;;) {
    sockaddr_storage sa{};
    int len = sizeof sa;
    SOCKET a = accept(S(s), reinterpret_cast<sockaddr*>(&sa), &len);
    if (a != INVALID_SOCKET) {
      MakeNonBlocking(a);
      if (peer) *peer = FromSockaddr(sa);
      return static_cast<Socket>(a);
    }
    if (WSAGetLastError() != WSAEWOULDBLOCK) {
      Fail();
      return kNoSocket;
    }
    if (WaitInSlices(s, false) != 0) return kNoSocket;
  }
}

bool Readable(Socket s) { return SelectOne(s, false, 0) > 0; }
bool WaitReadable(Socket s, int ms) { return SelectOne(s, false, ms) > 0; }

}  // namespace platform
