// The fix attempts a collar's schedule calls for. The primary rate starts
// at 0:00 UTC each day; on the days the auxiliary schedule applies (its
// weekdays and its calendar days) its rate takes over between its start
// and stop hours (UTC), a window that may run past midnight. Retries add
// no attempts.
#pragma once

#include <cstdint>
#include <vector>

#include "config/collar_config.h"

namespace zelkor {

struct ScheduledSlot {
  int minute = 0;        // minutes after 0:00 UTC
  int intervalMinutes;   // the rate this attempt belongs to
};

// The attempts of one UTC day (days since 1970-01-01), in time order.
std::vector<ScheduledSlot> ScheduledSlots(const CollarConfig& config, int64_t day);

// Whether the auxiliary schedule applies on a UTC day.
bool AuxiliaryAppliesOn(const CollarConfig& config, int64_t day);

struct DayAttempts {
  int64_t day = 0;  // days since 1970-01-01 (UTC)
  int scheduled = 0;
};

// The attempts from the first fix to the last (UTC seconds), per day. An
// attempt counts from half its interval before the first fix (a fix is
// stored a little after its slot) to the last fix.
std::vector<DayAttempts> ScheduledAttempts(const CollarConfig& config, int64_t first, int64_t last);

}  // namespace zelkor
