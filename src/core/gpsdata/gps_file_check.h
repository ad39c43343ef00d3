// Whether bytes look like a collar's GPS data file, and why not. Every
// reader of GPS data files asks this first (the viewer, the season summary,
// the exports, the store); only the translation keeps to its own rules.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelkor {

struct GpsFileCheck {
  bool recognised = false;
  std::string reason;      // why not, when not: "its header points past the collar's memory"
  uint32_t announced = 0;  // blocks the header announces
  uint32_t present = 0;    // complete blocks the file holds (up to the announced count)
  bool truncated() const { return recognised && present < announced; }
  // "the file ends after 29 of the 300 blocks its header announces"; empty when whole.
  std::string truncationNote() const;
};

GpsFileCheck CheckGpsFile(const std::vector<uint8_t>& image);

// "NAME does not look like a collar's GPS data file: REASON."
std::string NotAGpsFileText(const std::string& name, const std::string& reason);

}  // namespace zelkor
