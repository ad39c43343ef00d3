#include "analysis/schedule_attempts.h"

#include <algorithm>

#include "config/schedule_rules.h"
#include "gpsdata/fix_time.h"

namespace zelkor {

namespace {
int Minutes(uint8_t hours, uint8_t minutes) { return hours * 60 + minutes; }

struct Window {
  int from = 0, to = 0;  // minutes of the day, to exclusive
  bool contains(int m) const { return m >= from && m < to; }
};
}  // namespace

bool AuxiliaryAppliesOn(const CollarConfig& c, int64_t day) {
  if (!AuxiliaryScheduleOn(c) || Minutes(c.auxRateHours, c.auxRateMinutes) == 0) return false;
  int y, m, d;
  CivilFromDays(day, &y, &m, &d);
  return c.auxWeekdays[static_cast<size_t>(WeekdayOfDays(day))] && c.auxDays.day(m, d);
}

std::vector<ScheduledSlot> ScheduledSlots(const CollarConfig& c, int64_t day) {
  const int primary = Minutes(c.primaryRateHours, c.primaryRateMinutes);
  const int aux = Minutes(c.auxRateHours, c.auxRateMinutes);
  const int start = (c.auxStartHourUtc % 24) * 60;
  const int length = Duration(c.auxStartHourUtc % 24, c.auxStopHourUtc % 24) * 60;
  std::vector<ScheduledSlot> slots;
  std::vector<Window> windows;
  // Today's window, and the part of yesterday's that runs past midnight.
  if (AuxiliaryAppliesOn(c, day)) {
    windows.push_back({start, std::min(start + length, 1440)});
    for (int m = start; m < std::min(start + length, 1440); m += aux) slots.push_back({m, aux});
  }
  if (start + length > 1440 && AuxiliaryAppliesOn(c, day - 1)) {
    windows.push_back({0, start + length - 1440});
    for (int m = start; m < start + length; m += aux)
      if (m >= 1440) slots.push_back({m - 1440, aux});
  }
  if (primary > 0) {
    for (int m = 0; m < 1440; m += primary) {
      bool covered = false;
      for (const Window& w : windows) covered |= w.contains(m);
      if (!covered) slots.push_back({m, primary});
    }
  }
  std::sort(slots.begin(), slots.end(), [](const ScheduledSlot& a, const ScheduledSlot& b) { return a.minute < b.minute; });
  return slots;
}

std::vector<DayAttempts> ScheduledAttempts(const CollarConfig& c, int64_t first, int64_t last) {
  std::vector<DayAttempts> days;
  if (last < first) return days;
  auto floorDiv = [](int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
  // The day before the first fix too: a slot just before midnight may count.
  for (int64_t day = floorDiv(first, 86400) - 1; day <= floorDiv(last, 86400); ++day) {
    DayAttempts d;
    d.day = day;
    for (const ScheduledSlot& s : ScheduledSlots(c, day)) {
      const int64_t at = day * 86400 + s.minute * 60;
      if (at >= first - s.intervalMinutes * 30 && at <= last) ++d.scheduled;
    }
    if (d.scheduled || day >= floorDiv(first, 86400)) days.push_back(d);
  }
  return days;
}

}  // namespace zelkor
