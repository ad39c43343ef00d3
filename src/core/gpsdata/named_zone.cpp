#include "gpsdata/named_zone.h"

#include <date/tz.h>

#include <algorithm>

#include "gpsdata/fix_time.h"

namespace zelkor {

namespace {
const date::time_zone* Zone(const void* z) { return static_cast<const date::time_zone*>(z); }
date::sys_seconds Sys(int64_t s) { return date::sys_seconds{std::chrono::seconds{s}}; }

std::string HowToFindNames() {
  return "Names look like \"America/Denver\" or \"Australia/Adelaide\"; \"zelkor-cli zones\" lists them all "
         "(\"zelkor-cli zones Europe\" those that hold \"Europe\").";
}
}  // namespace

std::optional<NamedZone> NamedZone::Find(const std::string& name, std::string* error) {
  try {
    const date::time_zone* z = date::locate_zone(name);
    return NamedZone(z, z->name());
  } catch (const std::exception&) {
    if (error) *error = "\"" + name + "\" is not a time zone. " + HowToFindNames();
    return std::nullopt;
  }
}

std::optional<NamedZone> NamedZone::Local(std::string* error) {
  try {
    const date::time_zone* z = date::current_zone();
    return NamedZone(z, z->name());
  } catch (const std::exception& e) {
    if (error) *error = std::string("the computer's own time zone cannot be found (") + e.what() + "). " +
                        HowToFindNames();
    return std::nullopt;
  }
}

std::vector<std::string> NamedZone::Names() {
  std::vector<std::string> names;
  try {
    const date::tzdb& db = date::get_tzdb();
    for (const auto& z : db.zones) names.push_back(z.name());
  } catch (const std::exception&) {
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

int NamedZone::offsetMinutesAt(int64_t utcSeconds) const {
  const date::sys_info info = Zone(zone_)->get_info(Sys(utcSeconds));
  return static_cast<int>(info.offset.count() / 60);
}

std::string NamedZone::abbreviationAt(int64_t utcSeconds) const {
  return Zone(zone_)->get_info(Sys(utcSeconds)).abbrev;
}

int64_t NamedZone::utcFromLocal(int64_t localSeconds, int64_t notBefore) const {
  const date::local_seconds local{std::chrono::seconds{localSeconds}};
  const date::local_info info = Zone(zone_)->get_info(local);
  switch (info.result) {
    case date::local_info::unique:
      return localSeconds - info.first.offset.count();
    case date::local_info::ambiguous: {
      const int64_t earlier = localSeconds - info.first.offset.count();
      return earlier >= notBefore ? earlier : localSeconds - info.second.offset.count();
    }
    case date::local_info::nonexistent:
      return localSeconds - info.first.offset.count();
  }
  return localSeconds;
}

std::string NamedZone::label(int64_t from, int64_t to) const {
  int y1, y2, m, d;
  CivilFromDays(std::min(from, to) / 86400, &y1, &m, &d);
  CivilFromDays(std::max(from, to) / 86400, &y2, &m, &d);
  const int64_t start = DaysFromCivil(y1, 1, 1) * 86400, end = DaysFromCivil(y2 + 1, 1, 1) * 86400;
  std::vector<std::string> seen;
  for (int64_t t = start; t < end;) {
    const date::sys_info info = Zone(zone_)->get_info(Sys(t));
    if (std::find(seen.begin(), seen.end(), info.abbrev) == seen.end()) seen.push_back(info.abbrev);
    const int64_t next = std::chrono::duration_cast<std::chrono::seconds>(info.end.time_since_epoch()).count();
    if (next <= t) break;
    t = next;
  }
  std::string text = name_ + " (";
  for (size_t i = 0; i < seen.size(); ++i) text += (i ? "/" : "") + seen[i];
  return text + ")";
}

}  // namespace zelkor
