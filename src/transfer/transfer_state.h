// State of the transfer engine shared with the rules around it.
#pragma once
#include <atomic>
#include <cstdint>

namespace transfer {

struct TransferState {
  // The type character last sent with TYPE ('A' when a control connection opens).
  std::atomic<char> serverType{'A'};
  // Bytes the current transfer should reach, 0 when unknown.
  std::atomic<int64_t> transferTotal{0};
  void Reset() {
    serverType = 'A';
    transferTotal = 0;
  }
};

TransferState& Transfer();

}  // namespace transfer
