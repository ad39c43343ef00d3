// IANA time zones ("America/Denver") from the system's time-zone database,
// through Howard Hinnant's date/tz: the offset in force at each instant,
// daylight saving included. After the last change a compiled zone file
// lists (2037 for most zones), the rule the file ends with takes over, as
// it does in the C library.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gpsdata/tz_string_rule.h"

namespace zelkor {

class NamedZone {
 public:
  // The zone of that name; nullopt and *error when there is none (the error
  // says how to find valid names).
  static std::optional<NamedZone> Find(const std::string& name, std::string* error);
  // The computer's own zone.
  static std::optional<NamedZone> Local(std::string* error);
  // Every zone name the database knows, sorted.
  static std::vector<std::string> Names();

  const std::string& name() const { return name_; }
  // Minutes east of UTC in force at a UTC instant (seconds since 1970).
  int offsetMinutesAt(int64_t utcSeconds) const;
  // "MDT", "ACST", "+0545".
  std::string abbreviationAt(int64_t utcSeconds) const;
  // The UTC instant of a local date and time. A local time that occurs
  // twice (when the clocks go back) takes the earlier instant unless that
  // lies before `notBefore`; a local time that does not occur (when they go
  // forward) is read with the offset in force before the change.
  int64_t utcFromLocal(int64_t localSeconds, int64_t notBefore = INT64_MIN) const;
  // "America/Denver (MST/MDT)": the name and the abbreviations in force
  // during the calendar years from `from` to `to` (UTC), in order.
  std::string label(int64_t from, int64_t to) const;

 private:
  NamedZone(const void* zone, std::string name);
  // The footer's rule when t lies after the last listed change.
  const PosixTzRule* ruleAt(int64_t utcSeconds) const;
  const void* zone_;  // a date::time_zone of the database, which lives as long as the program
  std::string name_;
  const PosixTzRule* rule_ = nullptr;  // the zone file's closing rule, kept for the program's life
};

// The footer name of a translation with a named zone is "Name (ABBR/ABBR)";
// the zone name of such a footer, or empty.
std::string ZoneNameOfLabel(const std::string& footer);

}  // namespace zelkor
