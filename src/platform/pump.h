// The message-pump seam: lets a long wait keep the user interface alive.
#pragma once

namespace platform {

// Dispatches the window messages waiting for the calling thread, then returns at once. On the
// console it does nothing. Front ends build their own pump on it (the GUI's also feeds the
// modeless dialog its keys).
void PumpWaitingMessages();

}  // namespace platform
