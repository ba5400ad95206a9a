// The message-pump seam: lets a long wait keep the user interface alive.
#pragma once
#include <functional>

namespace platform {

// Dispatches the window messages that are waiting, then returns at once. On the
// console it does nothing. The GUI shell installs a pump that also feeds the
// modeless dialog its keys.
void PumpWaitingMessages();

// A test or a shell may replace the pump (nullptr restores the platform's own).
void SetPump(std::function<void()> pump);

}  // namespace platform
