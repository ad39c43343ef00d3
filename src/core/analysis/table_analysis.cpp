#include "analysis/table_analysis.h"

#include <cstdlib>
#include <optional>

#include "gpsdata/fix_time.h"
#include "gpsdata/named_zone.h"
#include "gpsdata/offload_workflow.h"

namespace zelkor {

namespace {
bool Number(const std::string& s, double* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  *out = std::strtod(s.c_str(), &end);
  return end && *end == '\0';
}
int Whole(const std::string& s) { return std::atoi(s.c_str()); }
}  // namespace

TableAnalysis AnalyseTable(const CsvTable& table, double maxSpeedKmh) {
  TableAnalysis a;
  std::optional<NamedZone> named;
  UtcShift fixed;
  const std::string zoneName = ZoneNameOfLabel(table.footer);
  if (!zoneName.empty()) named = NamedZone::Find(zoneName, nullptr);
  if (named) {
    a.zoneKnown = true;
  } else if (table.footer.rfind("(GMT", 0) == 0) {
    fixed = ZoneOffset(table.footer);
    a.zoneKnown = true;
  }

  std::vector<FlagInput> inputs;
  inputs.reserve(table.rows.size());
  int64_t previousUtc = INT64_MIN;
  for (size_t i = 0; i < table.rows.size(); ++i) {
    const auto& f = table.rows[i];
    FlagInput in;
    in.badCheck = table.badCheck[i];
    double a1 = 0, a2 = 0, zone = 0;
    if (table.utm) {
      in.planar = true;
      in.hasPosition = Number(f[6], &a1) && Number(f[7], &a2) && Number(f[8], &zone);
      in.easting = a1;
      in.northing = a2;
      in.zone = static_cast<int>(zone);
    } else {
      in.hasPosition = Number(f[6], &a1) && Number(f[8], &a2);
      in.latitude = f[7] == "S" ? -a1 : a1;
      in.longitude = f[9] == "W" ? -a2 : a2;
    }
    const int year = Whole(f[0]), month = Whole(f[1]), day = Whole(f[2]);
    const int hour = Whole(f[3]), minute = Whole(f[4]), second = Whole(f[5]);
    std::string utc;
    if (month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour >= 0 && hour < 24 && minute >= 0 &&
        minute < 60 && second >= 0 && second < 60) {
      const int64_t local = DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
      in.validTime = true;
      // Through the footer's zone to UTC; in an unknown zone the local
      // clock still measures the time between fixes.
      in.seconds = named ? named->utcFromLocal(local, previousUtc) : local - fixed.minutes * 60;
      if (a.zoneKnown) {
        utc = IsoUtcSeconds(in.seconds);
        previousUtc = in.seconds;
      }
    }
    a.utc.push_back(utc);
    inputs.push_back(in);
  }
  a.flags = FlagFixes(inputs, maxSpeedKmh);
  return a;
}

}  // namespace zelkor
