// The simulated collar's memory: its 64-byte configuration record followed
// by the data memory, 262144 bytes in all, kept in a state file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace collarsim {

constexpr size_t kMemorySize = 262144;  // header + 8190 blocks of 32 bytes

struct SeasonOptions {
  uint32_t fixes = 1500;
  uint32_t seed = 1;
  double startLat = 40.0;   // signed degrees, north positive
  double startLon = -105.5; // signed degrees, east positive
  uint16_t collarId = 1234;
  double badCheckShare = 0.0;
  double failedShare = 0.0;  // attempts that got no position: stored as 0,0 without altitude
};

struct SimState {
  std::vector<uint8_t> memory = std::vector<uint8_t>(kMemorySize, 0);

  uint32_t dataPointer() const;
  void setDataPointer(uint32_t pointer);
  uint16_t collarId() const;
  std::vector<uint8_t> record() const { return {memory.begin(), memory.begin() + 64}; }
};

// A default configuration and a season of fixes at its primary fix rate.
SimState GenerateSeason(const SeasonOptions& options);

bool LoadState(const std::string& path, SimState& state, std::string* error);
bool SaveState(const std::string& path, const SimState& state);

}  // namespace collarsim
