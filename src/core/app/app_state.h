// The program-wide state, one instance for the whole run.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zelkor {

constexpr int kComPortCount = 36;  // COM1 to COM36
constexpr int kTwoWayGpsControl = 1266;  // "Enable Two Way GPS": the full access level by default
constexpr int kFirstAccessControlId = 1003;
constexpr int kLastAccessControlId = 1268;
constexpr int kAccessTableSize = kLastAccessControlId - kFirstAccessControlId + 1;  // 266

struct AccessEntry {
  uint8_t showLevel = 0;
  uint8_t editLevel = 0;
  bool operator==(const AccessEntry& o) const {
    return showLevel == o.showLevel && editLevel == o.editLevel;
  }
};

using AccessTable = std::array<AccessEntry, kAccessTableSize>;

// What the access rule makes of one control.
enum class ControlAccess { Hidden, Locked, Usable };

struct AppState {
  std::string programDirectory;  // always ends with the path separator
  int32_t accessLevel = 0;       // 0 user, 1 full; never saved
  AccessTable accessTable{};
  int32_t comPort = 0;  // 0-based, 0 = COM1
  bool commandReceived = false;
  bool fileReceived = false;
  // Text of the time zone last derived in the UTC offset dialog during this
  // run; empty at the start of the run.
  std::string utcOffsetText;

  ControlAccess accessFor(int controlId) const;
  // Menu commands only look at the show level.
  bool menuEnabledFor(int controlId) const;
};

}  // namespace zelkor
