// Connection reset on Windows: a zero linger time makes closesocket send RST.
#include "support/socket_reset.h"

#include <winsock2.h>

namespace testing_support {

void ResetConnection(platform::Socket s) {
  linger hard{1, 0};
  setsockopt(static_cast<SOCKET>(s), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
  closesocket(static_cast<SOCKET>(s));
}

}  // namespace testing_support
