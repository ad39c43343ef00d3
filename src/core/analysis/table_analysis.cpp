#include "analysis/table_analysis.h"

#include <optional>

#include "gpsdata/fix_time.h"
#include "gpsdata/named_zone.h"
#include "gpsdata/offload_workflow.h"

namespace zelkor {

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

  std::vector<FixFacts> facts;
  facts.reserve(table.fixes.size());
  int64_t previousUtc = INT64_MIN;
  for (const CsvFix& row : table.fixes) {
    FixFacts f;
    f.badCheck = row.badCheck;
    f.hasPosition = row.hasPosition;
    if (table.utm) {
      f.planar = true;
      f.easting = row.x;
      f.northing = row.y;
      f.zone = row.zone;
    } else {
      f.latitude = row.y;
      f.longitude = row.x;
    }
    std::string utc;
    if (row.validTime) {
      f.validTime = true;
      // Through the footer's zone to UTC; in an unknown zone the local
      // clock still measures the time between fixes.
      f.seconds = named ? named->utcFromLocal(row.localSeconds, previousUtc)
                        : row.localSeconds - int64_t{fixed.minutes} * 60;
      if (a.zoneKnown) {
        utc = IsoUtcSeconds(f.seconds);
        previousUtc = f.seconds;
      }
    }
    a.utc.push_back(utc);
    facts.push_back(f);
  }
  a.flags = JudgeFixes(facts, maxSpeedKmh);
  return a;
}

}  // namespace zelkor
