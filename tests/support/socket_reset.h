// Ends a TCP connection with a reset (RST) instead of an orderly close, as a crashing or
// hostile peer does.
#pragma once
#include "platform/net.h"

namespace testing_support {

// Closes the socket so that the peer sees "connection reset".
void ResetConnection(platform::Socket s);

}  // namespace testing_support
