// The platform's plain message pump.
#include "platform/pump.h"

namespace platform {

void PlatformPump();  // platform half

void PumpWaitingMessages() { PlatformPump(); }

}  // namespace platform
