#include "faulty_channel.h"

#include <thread>

namespace collarsim {

namespace {
constexpr double kByteSeconds = 11.0 / 4800.0;
}

FaultyChannel::FaultyChannel(int fd, const LineFaults& faults)
    : inner_(fd), faults_(faults), rng_(faults.seed), paceStart_(std::chrono::steady_clock::now()) {}

void FaultyChannel::restartPacing() {
  paceStart_ = std::chrono::steady_clock::now();
  pacedBytes_ = 0;
}

bool FaultyChannel::write(const uint8_t* data, size_t size) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (size_t i = 0; i < size; ++i) {
    uint8_t b = data[i];
    if (faults_.dropRate > 0 && unit(rng_) < faults_.dropRate) continue;
    if (faults_.corruptRate > 0 && unit(rng_) < faults_.corruptRate) b ^= static_cast<uint8_t>(1u << (rng_() % 8));
    if (faults_.pace) {
      // Never run ahead of the line: byte n leaves n byte-times after the start.
      const auto now = std::chrono::steady_clock::now();
      const auto due = paceStart_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                        std::chrono::duration<double>(pacedBytes_ * kByteSeconds));
      if (due > now) {
        std::this_thread::sleep_until(due);
      } else if (now - due > std::chrono::milliseconds(50)) {
        // The line was idle: pacing restarts instead of bursting to catch up.
        paceStart_ = now;
        pacedBytes_ = 0;
      }
      ++pacedBytes_;
    }
    if (!inner_.write(&b, 1)) return false;
  }
  return true;
}

void FaultyChannel::drain() {
  // A pseudo-terminal master has no transmitter to wait for.
}

}  // namespace collarsim
