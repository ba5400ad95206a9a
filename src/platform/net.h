// The socket seam: IPv4 and IPv6 TCP sockets with errors in WinSock numbering, and blocking calls
// that wait in short slices so the thread's blocking hook, Cancel and the time-out can end them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

using Socket = intptr_t;
constexpr Socket kNoSocket = -1;

// WinSock error numbers the program looks at by name.
constexpr int kErrCancelled = 10004;     // "Blocking call cancelled"
constexpr int kErrWouldBlock = 10035;
constexpr int kErrNotSocket = 10038;
constexpr int kErrConnRefused = 10061;
constexpr int kErrHostNotFound = 11001;

// An IPv4 address and port, both in host byte order; or, with `v6` set, an IPv6 address
// (network byte order) with its scope and the port.
struct NetAddress {
  uint32_t address = 0;
  uint16_t port = 0;
  bool v6 = false;
  uint8_t address6[16] = {};
  uint32_t scope = 0;
};

// Starts the socket library (Windows: version 1.1, once per process); true when usable.
bool NetStartup(std::string* description = nullptr);

// The error of the calling thread's last failed socket call, in WinSock numbering.
int LastSocketError();
void SetLastSocketError(int error);

// Dotted-quad text to an address (host order); false for text that is not one (inet_addr's rules).
bool ParseDottedAddress(const std::string& text, uint32_t& address);
std::string DottedAddress(uint32_t address);
// Resolves a host name to its first IPv4 address; false with the error set when it cannot.
bool ResolveHostName(const std::string& name, uint32_t& address);
// Every address of a host name (IPv6 and IPv4, in the resolver's order), ports 0; false with
// the error set when there is none.
bool ResolveHostAddresses(const std::string& name, std::vector<NetAddress>& out);
// IPv6 text ("::1", "fe80::1%3", without brackets) to an address; false for anything else.
bool ParseIpv6Address(const std::string& text, NetAddress& out);
// An address in its usual text form: dotted quad, or RFC 5952 IPv6 ("2001:db8::1").
std::string AddressText(const NetAddress& address);
// The protocol number of a protocol name, or -1 when the system does not know it.
int ProtocolNumber(const std::string& name);

// A new IPv4 (or IPv6) socket, stream or datagram, or kNoSocket with the error set.
Socket NewSocket(bool stream, int protocol, bool ipv6 = false);
// Closes a socket: 0, or -1 with the error set.
int CloseSocketHandle(Socket s);
int ShutdownSocket(Socket s);
// Ends the sending side only (the peer reads the end of the data); 0, or -1 with the error set.
int ShutdownSend(Socket s);
// The socket's own address; false with the error set.
bool LocalAddress(Socket s, NetAddress& out);
// Turns on SO_OOBINLINE; 0, or -1 with the error set.
int SetOobInline(Socket s);
int BindSocket(Socket s, const NetAddress& at);
int ListenSocket(Socket s, int backlog);

// The blocking calls. Each waits until it can complete, the peer fails, or the wait is
// cancelled (then it fails with kErrCancelled). They return as their BSD namesakes do:
// connect 0 / -1; send and recv the byte count or -1 (recv 0 when the peer closed);
// accept a new socket or kNoSocket.
int Connect(Socket s, const NetAddress& to);
int Send(Socket s, const char* data, int length, bool outOfBand = false);
int Recv(Socket s, char* buffer, int length);
Socket Accept(Socket s, NetAddress* peer);

// True when the socket has something to read (or a pending close/error) right now.
bool Readable(Socket s);
// Waits at most `ms` milliseconds for readability without calling the blocking hook and
// without being cancellable: for helpers that bound their own waits.
bool WaitReadable(Socket s, int ms);

// The calling thread's blocking hook: called between the slices of every blocking call of
// that thread (the Win32 shell dispatches window messages in it; the session also runs its
// time-out there). nullptr: the slices only check for cancellation.
using BlockingHook = void (*)();
void SetBlockingHook(BlockingHook hook);
// True while the calling thread is inside a blocking call.
bool IsBlocking();
// Ends the calling thread's blocking call in progress at its next slice with kErrCancelled.
// Does nothing when none is in progress.
void CancelBlockingCall();

// Length of one wait slice.
constexpr int kWaitSliceMs = 20;

}  // namespace platform
