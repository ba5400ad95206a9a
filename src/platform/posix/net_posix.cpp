// POSIX half of the socket seam: BSD sockets kept non-blocking, errno mapped to WinSock numbers.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/net.h"
#include "platform/net_internal.h"

namespace platform {
namespace {

thread_local int lastError = 0;

int MapErrno(int e) {
  switch (e) {
    case EINTR: return kErrCancelled;
    case EBADF: return 10009;
    case EACCES: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE: case ENFILE: return 10024;
    case EWOULDBLOCK: return kErrWouldBlock;
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return kErrNotSocket;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return 10040;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case ESOCKTNOSUPPORT: return 10044;
    case EOPNOTSUPP: return 10045;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    case ECONNRESET: case EPIPE: return 10054;
    case ENOBUFS: case ENOMEM: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN: return 10058;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return kErrConnRefused;
    case EHOSTDOWN: return 10064;
    case EHOSTUNREACH: return 10065;
    default: return e;
  }
}

int FailErrno() {
  lastError = MapErrno(errno);
  return -1;
}

// The socket address of a NetAddress; its length.
socklen_t ToSockaddr(const NetAddress& a, sockaddr_storage& out) {
  out = sockaddr_storage{};
  if (a.v6) {
    sockaddr_in6* sa = reinterpret_cast<sockaddr_in6*>(&out);
    sa->sin6_family = AF_INET6;
    sa->sin6_port = htons(a.port);
    std::memcpy(&sa->sin6_addr, a.address6, 16);
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
    std::memcpy(a.address6, &sa->sin6_addr, 16);
    a.scope = sa->sin6_scope_id;
    a.port = ntohs(sa->sin6_port);
  } else {
    const sockaddr_in* sa = reinterpret_cast<const sockaddr_in*>(&in);
    a.address = ntohl(sa->sin_addr.s_addr);
    a.port = ntohs(sa->sin_port);
  }
  return a;
}

void MakeNonBlocking(int fd) {
  int flags = fcntl(fd, F_GETFL, 0);
  if (flags != -1) fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  fcntl(fd, F_SETFD, FD_CLOEXEC);
}

}  // namespace

bool NetStartup(std::string* description) {
  if (description) *description = "BSD sockets";
  return true;
}

int LastSocketError() { return lastError; }
void SetLastSocketError(int error) { lastError = error; }

bool ParseDottedAddress(const std::string& text, uint32_t& address) {
  in_addr_t a = inet_addr(text.c_str());
  if (a == INADDR_NONE) return false;
  address = ntohl(a);
  return true;
}

std::string DottedAddress(uint32_t address) {
  in_addr a{};
  a.s_addr = htonl(address);
  char buf[INET_ADDRSTRLEN] = "";
  inet_ntop(AF_INET, &a, buf, sizeof buf);
  return buf;
}

bool ResolveHostName(const std::string& name, uint32_t& address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* res = nullptr;
  int rc = getaddrinfo(name.c_str(), nullptr, &hints, &res);
  if (rc != 0 || !res) {
    lastError = rc == EAI_AGAIN ? 11002 : rc == EAI_FAIL ? 11003 : rc == EAI_NODATA ? 11004 : kErrHostNotFound;
    if (res) freeaddrinfo(res);
    return false;
  }
  address = ntohl(reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr.s_addr);
  freeaddrinfo(res);
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
    lastError = rc == EAI_AGAIN ? 11002 : rc == EAI_FAIL ? 11003 : rc == EAI_NODATA ? 11004 : kErrHostNotFound;
    if (res) freeaddrinfo(res);
    return false;
  }
  for (addrinfo* ai = res; ai; ai = ai->ai_next) {
    if (ai->ai_family != AF_INET && ai->ai_family != AF_INET6) continue;
    sockaddr_storage ss{};
    std::memcpy(&ss, ai->ai_addr, ai->ai_addrlen < sizeof ss ? ai->ai_addrlen : sizeof ss);
    out.push_back(FromSockaddr(ss));
  }
  freeaddrinfo(res);
  if (out.empty()) lastError = 11004;
  return !out.empty();
}

int ProtocolNumber(const std::string& name) {
  protoent* p = getprotobyname(name.c_str());
  return p ? p->p_proto : -1;
}

Socket NewSocket(bool stream, int protocol, bool ipv6) {
  int fd = socket(ipv6 ? AF_INET6 : AF_INET, stream ? SOCK_STREAM : SOCK_DGRAM, protocol);
  if (fd < 0) {
    FailErrno();
    return kNoSocket;
  }
  MakeNonBlocking(fd);
  return fd;
}

int CloseSocketHandle(Socket s) { return close(static_cast<int>(s)) == 0 ? 0 : FailErrno(); }
int ShutdownSocket(Socket s) { return shutdown(static_cast<int>(s), SHUT_RDWR) == 0 ? 0 : FailErrno(); }
int ShutdownSend(Socket s) { return shutdown(static_cast<int>(s), SHUT_WR) == 0 ? 0 : FailErrno(); }

bool LocalAddress(Socket s, NetAddress& out) {
  sockaddr_storage sa{};
  socklen_t len = sizeof sa;
  if (getsockname(static_cast<int>(s), reinterpret_cast<sockaddr*>(&sa), &len) != 0) return FailErrno() == 0;
  out = FromSockaddr(sa);
  return true;
}

int SetOobInline(Socket s) {
  int one = 1;
  return setsockopt(static_cast<int>(s), SOL_SOCKET, SO_OOBINLINE, &one, sizeof one) == 0 ? 0 : FailErrno();
}

int BindSocket(Socket s, const NetAddress& at) {
  sockaddr_storage sa;
  socklen_t len = ToSockaddr(at, sa);
  return bind(static_cast<int>(s), reinterpret_cast<sockaddr*>(&sa), len) == 0 ? 0 : FailErrno();
}

int ListenSocket(Socket s, int backlog) { return listen(static_cast<int>(s), backlog) == 0 ? 0 : FailErrno(); }

int SelectOne(Socket s, bool forWrite, int ms) {
  pollfd p{static_cast<int>(s), static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
  int rc = poll(&p, 1, ms);
  if (rc < 0) return errno == EINTR ? 0 : FailErrno();
  if (rc > 0 && (p.revents & POLLNVAL)) {
    lastError = kErrNotSocket;
    return -1;
  }
  return rc > 0 ? 1 : 0;
}

int Connect(Socket s, const NetAddress& to) {
  sockaddr_storage sa;
  socklen_t salen = ToSockaddr(to, sa);
  int fd = static_cast<int>(s);
  if (connect(fd, reinterpret_cast<sockaddr*>(&sa), salen) == 0) return 0;
  if (errno != EINPROGRESS && errno != EINTR) return FailErrno();
  if (WaitInSlices(s, true) != 0) return -1;
  int err = 0;
  socklen_t len = sizeof err;
  if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) return FailErrno();
  if (err != 0) {
    lastError = MapErrno(err);
    return -1;
  }
  return 0;
}

int Send(Socket s, const char* data, int length, bool outOfBand) {
  int flags = MSG_NOSIGNAL | (outOfBand ? MSG_OOB : 0);
  for (;;) {
    ssize_t n = send(static_cast<int>(s), data, static_cast<size_t>(length), flags);
    if (n >= 0) return static_cast<int>(n);
    if (errno != EWOULDBLOCK && errno != EAGAIN && errno != EINTR) return FailErrno();
    if (WaitInSlices(s, true) != 0) return -1;
  }
}

int Recv(Socket s, char* buffer, int length) {
  for (;;) {
    ssize_t n = recv(static_cast<int>(s), buffer, static_cast<size_t>(length), 0);
    if (n >= 0) return static_cast<int>(n);
    if (errno != EWOULDBLOCK && errno != EAGAIN && errno != EINTR) return FailErrno();
    if (WaitInSlices(s, false) != 0) return -1;
  }
}

Socket Accept(Socket s, NetAddress* peer) {
  for (;;) {
    sockaddr_storage sa{};
    socklen_t len = sizeof sa;
    int fd = accept(static_cast<int>(s), reinterpret_cast<sockaddr*>(&sa), &len);
    if (fd >= 0) {
      MakeNonBlocking(fd);
      if (peer) *peer = FromSockaddr(sa);
      return fd;
    }
    if (errno != EWOULDBLOCK && errno != EAGAIN && errno != EINTR && errno != ECONNABORTED) {
      FailErrno();
      return kNoSocket;
    }
    if (WaitInSlices(s, false) != 0) return kNoSocket;
  }
}

bool Readable(Socket s) { return SelectOne(s, false, 0) > 0; }
bool WaitReadable(Socket s, int ms) { return SelectOne(s, false, ms) > 0; }

}  // namespace platform
