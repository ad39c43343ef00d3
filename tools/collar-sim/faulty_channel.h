// The simulated collar's side of the line: the pseudo-terminal's master,
// with optional pacing at the collar's baud rate and injected faults.
#pragma once

#include <chrono>
#include <random>

#include "link/byte_channel.h"

namespace collarsim {

struct LineFaults {
  bool pace = false;         // 4800 baud, 8N2: 11 bits a byte
  double corruptRate = 0;    // share of bytes sent with a bit flipped
  double dropRate = 0;       // share of bytes sent that vanish
  uint32_t seed = 1;
};

class FaultyChannel : public zelkor::ByteChannel {
 public:
  FaultyChannel(int fd, const LineFaults& faults);
  bool write(const uint8_t* data, size_t size) override;
  int read(int timeoutMs) override { return inner_.read(timeoutMs); }
  void drain() override;
  // Starts a new paced run (pacing restarts from now).
  void restartPacing();

 private:
  zelkor::FdChannel inner_;
  LineFaults faults_;
  std::mt19937 rng_;
  std::chrono::steady_clock::time_point paceStart_;
  uint64_t pacedBytes_ = 0;
};

}  // namespace collarsim
