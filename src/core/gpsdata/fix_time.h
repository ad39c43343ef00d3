// A fix's time as seconds since 1970-01-01 00:00:00 UTC. The collar stores
// UTC with a two-digit year (2000 + year).
#pragma once

#include <cstdint>
#include <string>

#include "gpsdata/gps_fix.h"

namespace zelkor {

// False when the stored date or time is not a real one (month 13, hour 25,
// 30 February, a year past 2099).
bool FixUtcSeconds(const GpsFix& fix, int64_t* seconds);

// Days since 1970-01-01 of a civil date, and back.
int64_t DaysFromCivil(int year, int month, int day);
void CivilFromDays(int64_t days, int* year, int* month, int* day);
// 0 = Sunday.
int WeekdayOfDays(int64_t days);

// "2026-03-08T09:00:00Z".
std::string IsoUtcSeconds(int64_t seconds);
// "2026-03-08 02:00:00": seconds shown as they are, for local times.
std::string PlainDateTime(int64_t seconds);

}  // namespace zelkor
