// The replaceable message pump.
#include "platform/pump.h"

#include <mutex>

namespace platform {

void PlatformPump();  // platform half

namespace {
std::mutex pumpMutex;
std::function<void()>& InstalledPump() {
  static std::function<void()> pump;
  return pump;
}
}  // namespace

void SetPump(std::function<void()> pump) {
  std::lock_guard<std::mutex> lock(pumpMutex);
  InstalledPump() = std::move(pump);
}

void PumpWaitingMessages() {
  std::function<void()> pump;
  {
    std::lock_guard<std::mutex> lock(pumpMutex);
    pump = InstalledPump();
  }
  if (pump) pump(); else PlatformPump();
}

}  // namespace platform
