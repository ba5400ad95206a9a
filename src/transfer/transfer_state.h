// State of the transfer engine shared with the rules around it.
#pragma once
#include <atomic>
#include <cstdint>

namespace transfer {

struct TransferState {
  // Bytes the current transfer should reach, 0 when unknown.
  std::atomic<int64_t> transferTotal{0};
  void Reset() {
    transferTotal = 0;
  }
};

TransferState& Transfer();

}  // namespace transfer
