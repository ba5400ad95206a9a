// Connection reset on POSIX: a zero linger time makes close send RST.
#include "support/socket_reset.h"

#include <sys/socket.h>
#include <unistd.h>

namespace testing_support {

void ResetConnection(platform::Socket s) {
  linger hard{1, 0};
  setsockopt(static_cast<int>(s), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  close(static_cast<int>(s));
}

}  // namespace testing_support
