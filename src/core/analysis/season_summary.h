// A season at a glance, from a GPS data file: the fixes and their kinds,
// the flags of the fix-quality model, the fix success against the schedule
// of the configuration in the file's header (or one given instead), the
// distance travelled and the minimum convex polygons of the good fixes, on
// the WGS 84 ellipsoid.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/collar_config.h"
#include "geo/geodesy.h"
#include "gpsdata/fix_quality.h"

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
  int64_t first = 0;  // UTC seconds of the first and last fix with a position and a good time
  int64_t last = 0;
  int blocks = 0;     // stored blocks
  int fixes = 0;      // blocks holding a position
  int fixes3d = 0;
  int fixes2d = 0;
  QualityCounts quality;  // how many blocks carry each flag
  int scheduledAttempts = 0;
  double fixSuccess = 0;  // fixes with a good time in the season over scheduled attempts, 0-1
  double distanceKm = 0;  // geodesic, between consecutive good fixes
  double mcp100Km2 = 0;
  double mcp95Km2 = 0;
  std::vector<GeoPoint> mcp100;  // the polygons' corners
  std::vector<GeoPoint> mcp95;
  std::string truncation;  // "the file ends after 29 of the 300 blocks its header announces"
  std::vector<SummaryDay> days;
  std::vector<FixQuality> flags;  // one per block
};

// The minimum convex polygons of the good fixes (those without a flag):
// all of them, and the 95 % nearest their mean centre. Empty for fewer than
// three fixes.
struct HomeRanges {
  std::vector<GeoPoint> mcp100;
  std::vector<GeoPoint> mcp95;
};
HomeRanges HomeRangesOf(const std::vector<GeoPoint>& goodFixes);

// False (and *error, the reason) when the image does not look like a
// collar's GPS data file.
bool SummarizeSeason(const std::vector<uint8_t>& image, const SummaryOptions& options, SeasonSummary* summary,
                     std::string* error = nullptr);

// The summary as JSON with the keys collarId, first, last, blocks, fixes,
// fixes3d, fixes2d, flagged, badChecks, noPosition, timeFlags, speedFlags,
// outliers (the same as flagged), scheduledAttempts, fixSuccess,
// distanceKm, mcp100Km2, mcp95Km2, truncated (and days: date, scheduled,
// obtained).
std::string SummaryJson(const SeasonSummary& summary);
// The same as labelled lines, for a terminal, the viewer and the printout.
std::vector<std::pair<std::string, std::string>> SummaryFigures(const SeasonSummary& summary);

}  // namespace zelkor
