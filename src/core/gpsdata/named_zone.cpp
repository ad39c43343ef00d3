#include "gpsdata/named_zone.h"

#include <date/tz.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

#include "gpsdata/fix_time.h"
#ifdef ZELKOR_TZDATA_BESIDE_PROGRAM
#include "link/xmodem_launcher.h"
#endif

namespace zelkor {

namespace {
const date::time_zone* Zone(const void* z) { return static_cast<const date::time_zone*>(z); }
date::sys_seconds Sys(int64_t s) { return date::sys_seconds{std::chrono::seconds{s}}; }

// The closing rules of the zone files read so far, by zone name.
const PosixTzRule* ClosingRule(const std::string& name) {
  static std::mutex lock;
  static std::map<std::string, std::unique_ptr<PosixTzRule>> rules;
  std::lock_guard<std::mutex> hold(lock);
  auto it = rules.find(name);
  if (it == rules.end()) {
    const char* dir = std::getenv("TZDIR");
    const std::string base = dir && *dir ? dir : "/usr/share/zoneinfo";
    std::optional<PosixTzRule> rule;
    if (name.find("..") == std::string::npos) rule = PosixTzRule::FromZoneFile(base + "/" + name);
    it = rules.emplace(name, rule && rule->hasDaylightSaving() ? std::make_unique<PosixTzRule>(*rule) : nullptr).first;
  }
  return it->second.get();
}

// After the last listed change the database answers with an interval that
// runs to the end of time.
bool AfterLastChange(const date::sys_info& info) {
  return info.end.time_since_epoch() >= std::chrono::seconds{int64_t{400} * 365 * 86400 * 10};
}

// Where the zone data is: the system's database on Linux; on Windows the
// IANA text files in the "tzdata" folder beside the program (or the folder
// ZELKOR_TZDATA names). False, and why, when it cannot be read.
bool ZoneDataReady(std::string* error) {
#ifdef ZELKOR_TZDATA_BESIDE_PROGRAM
  static std::once_flag once;
  std::call_once(once, [] {
    const char* own = std::getenv("ZELKOR_TZDATA");
    date::set_install(own && *own ? std::string(own) : ExecutableDirectory() + "tzdata");
  });
#endif
  try {
    date::get_tzdb();
    return true;
  } catch (const std::exception& e) {
    if (error)
      *error = std::string("the time zone data cannot be read (") + e.what() +
               "); reinstall Zelkor, or use a fixed offset (--offset or --zone)";
    return false;
  }
}

std::string HowToFindNames() {
  return "Names look like \"America/Denver\" or \"Australia/Adelaide\"; \"zelkor-cli zones\" lists them all "
         "(\"zelkor-cli zones Europe\" those that hold \"Europe\").";
}
}  // namespace

std::optional<NamedZone> NamedZone::Find(const std::string& name, std::string* error) {
  if (!ZoneDataReady(error)) return std::nullopt;
  try {
    const date::time_zone* z = date::locate_zone(name);
    return NamedZone(z, z->name());
  } catch (const std::exception&) {
    if (error) *error = "\"" + name + "\" is not a time zone. " + HowToFindNames();
    return std::nullopt;
  }
}

std::optional<NamedZone> NamedZone::Local(std::string* error) {
  if (!ZoneDataReady(error)) return std::nullopt;
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
  if (!ZoneDataReady(nullptr)) return names;
  try {
    const date::tzdb& db = date::get_tzdb();
    for (const auto& z : db.zones) names.push_back(z.name());
  } catch (const std::exception&) {
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

NamedZone::NamedZone(const void* zone, std::string name)
    : zone_(zone), name_(std::move(name)), rule_(ClosingRule(name_)) {}

const PosixTzRule* NamedZone::ruleAt(int64_t utcSeconds) const {
  if (!rule_) return nullptr;
  return AfterLastChange(Zone(zone_)->get_info(Sys(utcSeconds))) ? rule_ : nullptr;
}

int NamedZone::offsetMinutesAt(int64_t utcSeconds) const {
  if (const PosixTzRule* rule = ruleAt(utcSeconds)) return rule->offsetAt(utcSeconds) / 60;
  const date::sys_info info = Zone(zone_)->get_info(Sys(utcSeconds));
  return static_cast<int>(info.offset.count() / 60);
}

std::string NamedZone::abbreviationAt(int64_t utcSeconds) const {
  if (const PosixTzRule* rule = ruleAt(utcSeconds)) return rule->abbreviationAt(utcSeconds);
  return Zone(zone_)->get_info(Sys(utcSeconds)).abbrev;
}

int64_t NamedZone::utcFromLocal(int64_t localSeconds, int64_t notBefore) const {
  // Past the last listed change (checked a day early, so that a change
  // close to it is still the database's), the closing rule answers.
  if (const PosixTzRule* rule = ruleAt(localSeconds - 86400 - 14 * 3600))
    return rule->utcFromLocal(localSeconds, notBefore);
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
  auto see = [&seen](const std::string& abbreviation) {
    if (std::find(seen.begin(), seen.end(), abbreviation) == seen.end()) seen.push_back(abbreviation);
  };
  for (int64_t t = start; t < end;) {
    if (const PosixTzRule* rule = ruleAt(t)) {
      // The rule's own changes from here on.
      see(rule->abbreviationAt(t));
      for (int y = y1; y <= y2; ++y)
        for (int64_t change : rule->changesIn(y))
          if (change >= t && change < end) see(rule->abbreviationAt(change));
      break;
    }
    const date::sys_info info = Zone(zone_)->get_info(Sys(t));
    see(info.abbrev);
    const int64_t next = std::chrono::duration_cast<std::chrono::seconds>(info.end.time_since_epoch()).count();
    if (next <= t) break;
    t = next;
  }
  std::string text = name_ + " (";
  for (size_t i = 0; i < seen.size(); ++i) text += (i ? "/" : "") + seen[i];
  return text + ")";
}

}  // namespace zelkor
