// The rule a compiled zone file ends with: a POSIX TZ string such as
// "MST7MDT,M3.2.0,M11.1.0" or "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0". It
// gives the offset of every instant after the file's last listed change,
// which for most zones is in 2037; the collar's years run to 2099.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelkor {

class PosixTzRule {
 public:
  // The rule of a TZ string; nullopt when it cannot be read.
  static std::optional<PosixTzRule> Parse(const std::string& text);
  // The rule at the end of a compiled zone file (TZif version 2 or later);
  // nullopt when the file has none.
  static std::optional<PosixTzRule> FromZoneFile(const std::string& path);

  bool hasDaylightSaving() const { return dst_; }
  // Seconds east of UTC in force at a UTC instant, and its abbreviation.
  int offsetAt(int64_t utcSeconds) const;
  std::string abbreviationAt(int64_t utcSeconds) const;
  // The UTC instants of the year's two changes (start and end of daylight
  // saving), in the order they occur; empty without daylight saving.
  std::vector<int64_t> changesIn(int year) const;
  // The UTC instant of a local date and time: the earlier of two unless
  // that lies before notBefore, and for a local time the change skips, the
  // offset in force before it.
  int64_t utcFromLocal(int64_t localSeconds, int64_t notBefore) const;

 private:
  struct When {
    char kind = 'M';  // 'J' (1-365, no 29 February), 'D' (0-365), 'M' (month.week.day)
    int day = 0, week = 0, month = 0;
    int seconds = 7200;  // local time of the change, may be negative or past 24 hours
  };
  bool isDst(int64_t utcSeconds) const;
  int64_t changeUtc(const When& when, int year, int offsetBefore) const;

  std::string stdName_, dstName_;
  int stdOffset_ = 0;  // seconds east of UTC
  int dstOffset_ = 0;
  bool dst_ = false;
  When start_, end_;
};

}  // namespace zelkor
