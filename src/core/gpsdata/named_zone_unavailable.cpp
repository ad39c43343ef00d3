// Named time zones in a build without the tz database library (the Windows
// core and CLI cross-built with MinGW-w64): no zone is found, and the error
// says what to use instead. The fixed offsets work as everywhere.
#include "gpsdata/named_zone.h"

namespace zelkor {

namespace {
const char kNotInThisBuild[] =
    "named time zones are not part of this build of Zelkor. Use a fixed offset (--offset or --zone), "
    "or the Linux build, which reads the system's time zone database.";
}

std::optional<NamedZone> NamedZone::Find(const std::string&, std::string* error) {
  if (error) *error = kNotInThisBuild;
  return std::nullopt;
}

std::optional<NamedZone> NamedZone::Local(std::string* error) { return Find(std::string(), error); }

std::vector<std::string> NamedZone::Names() { return {}; }

// No NamedZone is ever made here, so these are never reached.
int NamedZone::offsetMinutesAt(int64_t) const { return 0; }
std::string NamedZone::abbreviationAt(int64_t) const { return std::string(); }
int64_t NamedZone::utcFromLocal(int64_t localSeconds, int64_t) const { return localSeconds; }
std::string NamedZone::label(int64_t, int64_t) const { return name_; }

}  // namespace zelkor
