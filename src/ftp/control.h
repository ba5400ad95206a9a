// The FTP control connection: connecting, sending command lines, reading and classifying
// replies, the network time-out, and closing sockets. One session per process.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/net.h"

namespace ftp {

using platform::Socket;
constexpr Socket kNoSocket = platform::kNoSocket;

constexpr int kReplyReadMax = 82;      // bytes per read of the control connection
constexpr int kReplyLineLimit = 942;   // a line stops being collected at this many bytes
constexpr int kReplyClassLost = 4;     // a lost or timed-out connection reads as 421, class 4
constexpr int kCodeLost = 421;
constexpr int kNetTimerId = 20;
constexpr int kNetTimerPeriodMs = 5000;
constexpr int kKeepAliveTimerId = 21;  // the main window's idle timer for KeepAliveTick
constexpr int kKeepAlivePeriodMs = 1000;

// What the server said it offers in its FEAT reply (all false without one).
struct ServerFeatures {
  bool listed = false;  // a FEAT reply of class 2 was read
  bool utf8 = false, mlst = false, size = false, rest = false, epsv = false, eprt = false;
};

// The session's connection state.
struct ConnectionState {
  std::atomic<Socket> ctrl_skt{kNoSocket};   // the control connection
  std::atomic<Socket> dataSocket{kNoSocket}; // a transfer's data connection
  std::atomic<Socket> listenSocket{kNoSocket};  // an active-mode transfer's listening socket
  std::atomic<int> connected{0};             // set by a completed login
  std::atomic<int> commandDepth{0};          // FTP operations in progress
  std::atomic<int> abortFlag{0};             // stop the current network operation
  std::atomic<int> batchCancel{0};           // stop a batch between files (cleared by login)
  std::atomic<int> lastReplyCode{0};         // code of the reply most recently read
  std::string replyLine;                     // the reply line most recently read
  std::string pendingReplyText;              // bytes read past the end of the previous line
  bool replyPending = false;                 // pendingReplyText holds unread text
  std::atomic<int> detectHostFromReplies{0}; // offer every reply line to host-type detection
  platform::NetAddress peerAddress;          // the address ConnectHost connected to last
  platform::NetAddress localControlAddress;  // the control connection's own address
  char serverTransferType = 'A';             // the type the server was last told (transfers)
  std::vector<std::string> replyLines;       // every line of the reply most recently read
  ServerFeatures features;                   // this connection's FEAT reply
  bool utf8Names = false;                    // OPTS UTF8 ON was accepted
  bool epsvRefused = false;                  // EPSV was refused: PASV for the rest of the connection
  bool mlsdAllowed = false;                  // the profile leaves the host type to detection
  std::atomic<uint64_t> lastCommandMs{0};    // clock time of the last command line sent (the keep-alive's idle start)
  std::atomic<int> owedReplies{0};           // replies to unfinished transfers not read yet (see GetTransferReply)
  void ResetFeatures();
  // A control connection that timed out or broke: it is shut down, and nothing more is sent on
  // it or read from it (until CloseSocket releases it).
  std::atomic<Socket> lostSocket{kNoSocket};
  void Reset();
};
ConnectionState& Conn();

// Counts one FTP operation in progress (CommandDepth) for a scope; always undone on leaving it.
class DepthScope {
 public:
  DepthScope() { ++Conn().commandDepth; }
  ~DepthScope() { --Conn().commandDepth; }
  DepthScope(const DepthScope&) = delete;
  DepthScope& operator=(const DepthScope&) = delete;
};

// Takes CommandDepth from 0 to 1 in one step, waiting (with the blocking hook) while another
// operation holds it. False when the wait was aborted; then nothing was taken.
bool TakeIdleDepth();

// Opens a TCP connection; the connected socket, or kNoSocket (every failure is logged). The
// connect itself is bounded by the network time-out; a port outside 1-65535 is refused.
Socket ConnectHost(const std::string& host, int port, const std::string& protocol);

// Sends one command line (trailing blanks removed, CR LF added) after waiting for any
// operation in progress; the byte count sent, or -1 (no socket, aborted wait, refused line).
int SendCommandLine(Socket s, std::string text);
// Sends every byte (stopping at a failed send, which is logged); the count sent.
int SendAll(Socket s, const char* data, int length);

// Reads one reply line into replyLine; its code, 421 when the connection was lost, timed
// out or aborted, 0 without a socket. A time-out, a reset or the server's close finishes the
// connection (see lostSocket and the session's `connected`).
int ReadReplyLine(Socket s);
// Reads one complete reply; its class 1-5, or 0 when nothing usable was read. The network
// time-out bounds the whole reply, however many lines it has.
int GetReply(Socket s);

// Reads the reply that ends a transfer over a data connection. When the data did not all move
// (a Cancel, a broken data connection) the reply is waited for only kOwedReplyWaitMs: a server
// that holds it back must not hold the client up. It is then owed: logged, and read (with the
// usual time-out) before the next command is sent, so replies stay paired with their commands.
// The reply's class as GetReply gives it, or 0 when it is owed.
int GetTransferReply(Socket s, bool dataMoved);
constexpr int kOwedReplyWaitMs = 1500;

// While one exists on a thread, every reply read on it shares one network time-out that starts
// when the outermost scope is made (a greeting of preliminary replies, a long HELP reply).
class ReplyWaitScope {
 public:
  ReplyWaitScope();
  ~ReplyWaitScope();
  ReplyWaitScope(const ReplyWaitScope&) = delete;
  ReplyWaitScope& operator=(const ReplyWaitScope&) = delete;
};
// True when the network timer ran out since it was last armed.
bool NetTimerExpired();
// Discards pending reply text and what is waiting on the connection right now.
void DrainControl(Socket s);

// Closes a socket: kNoSocket when closed, else the socket unchanged (store the result back).
Socket CloseSocket(Socket s);
// As CloseSocket, first cancelling a blocking call in progress (and setting abortFlag).
Socket CancelAndCloseSocket(Socket s);

// The network time-out: armed around each wait for the server, cancelling the wait after the
// current profile's TIMEOUT rounded down to a multiple of 5 seconds (never below 5).
void StartNetTimer();
void StopNetTimer();
// One tick of timer 20 (other ids are ignored).
void NetTimerTick(int timerId);
// Runs the ticks that are due by the current clock.
void NetTimerPoll();
bool NetTimerRunning();

// Keep-alive (KEEPALIVE seconds, 0 off), run from the shell's idle timer: while connected and
// idle for that long, a control connection the server closed is reported ("Connection closed
// by the server") and closed, else NOOP is sent; a NOOP that gets no reply closes it the same
// way. Returns 1 when the connection was found closed (the window then shows it closed), else 0.
int KeepAliveTick();

// The blocking hook: dispatches waiting messages, runs due timer ticks, and cancels the wait
// when abortFlag is set. Install it on every thread that uses the session.
void BlockingHook();
void InstallBlockingHook();

}  // namespace ftp
