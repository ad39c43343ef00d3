// The fix-quality flags and UTC times worked out from a translated file
// alone (when the GPS data file it came from is not at hand): the rows'
// local times go back to UTC through the zone the footer names.
#pragma once

#include <string>
#include <vector>

#include "gpsdata/fix_quality.h"
#include "gpsdata/viewer_text.h"

namespace zelkor {

struct TableAnalysis {
  std::vector<FixQuality> flags;  // one per row
  std::vector<std::string> utc;   // "2026-03-08T09:00:00Z"; empty where not known
  bool zoneKnown = false;         // the footer names a zone of the list or a named zone
  QualityCounts counts() const { return CountQuality(flags); }
};

TableAnalysis AnalyseTable(const CsvTable& table, double maxSpeedKmh = kDefaultMaxSpeedKmh);

}  // namespace zelkor
