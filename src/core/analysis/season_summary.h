// A season at a glance, from a GPS data file: the fixes and their kinds,
// the outliers, the fix success against the schedule of the configuration
// in the file's header (or one given instead), the distance travelled and
// the minimum convex polygons of the good fixes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/fix_flags.h"
#include "config/collar_config.h"
#include "gpsdata/exports.h"

namespace zelkor {

struct SummaryOptions {
  std::optional<CollarConfig> config;  // instead of the file's header
  double maxSpeedKmh = kDefaultMaxSpeedKmh;
};

struct SummaryDay {
  int64_t day = 0;  // days since 1970-01-01, UTC
  int scheduled = 0;
  int obtained = 0;
};

struct SeasonSummary {
  uint32_t collarId = 0;
  bool anyFix = false;
  int64_t first = 0;  // UTC seconds of the first and last fix with a time
  int64_t last = 0;
  int blocks = 0;     // stored blocks
  int fixes = 0;      // blocks holding a position
  int fixes3d = 0;
  int fixes2d = 0;
  int badChecks = 0;
  int outliers = 0;   // blocks with any flag
  int scheduledAttempts = 0;
  double fixSuccess = 0;  // fixes with a time in the season over scheduled attempts, 0-1
  double distanceKm = 0;  // between consecutive good fixes
  double mcp100Km2 = 0;
  double mcp95Km2 = 0;
  std::vector<SummaryDay> days;
  std::vector<FixFlags> flags;  // one per block
};

// False (and *error) when the image has no whole header.
bool SummarizeSeason(const std::vector<uint8_t>& image, const SummaryOptions& options, SeasonSummary* summary,
                     std::string* error = nullptr);

// The summary as JSON with the keys collarId, first, last, fixes, fixes3d,
// fixes2d, badChecks, outliers, scheduledAttempts, fixSuccess, distanceKm,
// mcp100Km2, mcp95Km2 (and days: date, scheduled, obtained).
std::string SummaryJson(const SeasonSummary& summary);
// The same as labelled lines, for a terminal, the viewer and the printout.
std::vector<std::pair<std::string, std::string>> SummaryFigures(const SeasonSummary& summary);

}  // namespace zelkor
