// Fuzzes the control connection's reply reader: arbitrary bytes arrive from the "server" over a
// local socket pair and are read reply by reply until the connection ends, checking that every
// reply class, code and line stays in range, that nothing is left counted as in progress, and
// that the reader always moves forward (at most one reply per line ending, then the loss).
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/message_log.h"
#include "core/settings.h"
#include "ftp/control.h"
#include "ftp/host_types.h"
#include "profiles/session_profile.h"

namespace {

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool CodeInRange(int code) { return code == 0 || (code >= 100 && code <= 599); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte: bit 0 offers every line to host-type detection (as while the greeting is
  // read); the rest is what the server sends before it closes the connection.
  const uint8_t flags = data[0];
  ++data;
  --size;

  int fds[2];
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) return 0;
  if (!WriteAll(fds[1], data, size)) {
    close(fds[0]);
    close(fds[1]);
    return 0;
  }
  close(fds[1]);

  ftp::ConnectionState& c = ftp::Conn();
  c.Reset();
  core::ResetMessageLog();
  core::Settings().verbose = 1;
  profiles::CurrentProfile().hostType = ftp::kHostAutomatic;
  c.detectHostFromReplies = flags & 1;

  // A line ends at LF or at a NUL (the rest of that read after a NUL is dropped).
  size_t lineEnds = 0;
  for (size_t i = 0; i < size; ++i)
    if (data[i] == '\n' || data[i] == '\0') ++lineEnds;

  const platform::Socket s = fds[0];
  for (size_t replies = 0;; ++replies) {
    // Each reply consumes at least one line (or a full line's worth of bytes), so the loss must
    // come within this many replies.
    if (replies > lineEnds + size / ftp::kReplyLineLimit + 2) __builtin_trap();
    int cls = ftp::GetReply(s);
    if (cls < 0 || cls > 5) __builtin_trap();
    if (!CodeInRange(c.lastReplyCode.load())) __builtin_trap();
    int last = c.lastReplyCode.load();
    if (cls != (last >= 100 ? last / 100 : 0)) __builtin_trap();
    if (c.commandDepth.load() != 0) __builtin_trap();
    if (c.replyLine.size() > static_cast<size_t>(ftp::kReplyLineLimit + ftp::kReplyReadMax)) __builtin_trap();
    if (c.replyLine.find('\0') != std::string::npos) __builtin_trap();
    if (c.pendingReplyText.find('\0') != std::string::npos) __builtin_trap();
    int type = profiles::CurrentProfile().hostType;
    if (type < ftp::kHostFirst || type > ftp::kHostLast) __builtin_trap();
    if (c.abortFlag.load()) break;  // the connection ended
  }
  close(fds[0]);
  c.Reset();
  return 0;
}
