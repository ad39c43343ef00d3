// The time-stamped copies of offloaded GPS data in "Backup/GPS Data".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/clock.h"

namespace zelkor {

// "<collarId>_<month>_<day>_<year>_<hour>_<minute>_<second>.gps"
std::string GpsBackupName(uint32_t collarId, const LocalDateTime& when);

// The newest backup of one collar in backupDir, by the time in its name (a
// "-2", "-3" ... suffix counts as later within the same second); empty when
// there is none.
std::string NewestGpsBackup(const std::string& backupDir, uint32_t collarId);

// The collar ID in the header of a GPS data image (bytes 12-13); 0 when the
// header is incomplete.
uint32_t ImageCollarId(const std::vector<uint8_t>& image);

}  // namespace zelkor
