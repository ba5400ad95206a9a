// State of the transfer engine shared with the rules around it.
#pragma once
#include <atomic>
#include <cstdint>

namespace transfer {

struct TransferState {
  // Bytes the current transfer should reach, 0 when unknown.
  std::atomic<int64_t> transferTotal{0};
  // Where the server was told (REST) to start the next download: the local file keeps its first
  // `restartOffset` bytes and the data is appended. 0: a whole file.
  std::atomic<int64_t> restartOffset{0};
  void Reset() {
    transferTotal = 0;
    restartOffset = 0;
  }
};

TransferState& Transfer();

}  // namespace transfer
