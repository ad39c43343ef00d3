// Outlier flags: a fix is flagged, never removed, when its check byte is
// bad, when it holds no position, or when reaching it from the last good
// fix before it takes a speed above a maximum.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelkor {

constexpr double kDefaultMaxSpeedKmh = 15.0;  // ungulates at fix intervals of hours

// What the flags look at, whatever the fix came from (a data block or a
// CSV row).
struct FlagInput {
  bool validTime = false;
  int64_t seconds = 0;  // any one clock for all fixes: UTC, or the local time of a fixed zone
  bool hasPosition = false;
  double latitude = 0;   // signed degrees
  double longitude = 0;  // signed degrees
  // Or, for a UTM file, metres in a zone: speeds are judged only between
  // fixes of one zone.
  bool planar = false;
  double easting = 0;
  double northing = 0;
  int zone = 0;
  bool badCheck = false;
};

struct FixFlags {
  bool badCheck = false;
  bool noPosition = false;
  bool tooFast = false;
  double speedKmh = 0;  // from the last good fix, when it could be worked out
  bool any() const { return badCheck || noPosition || tooFast; }
  // "bad check byte; 52.3 km/h from the fix before"; empty for a good fix.
  std::string reasons() const;
};

// One flag set per fix, in the same order. A fix is good when it carries
// no flag; only a good fix with a time is the reference for the next speed.
std::vector<FixFlags> FlagFixes(const std::vector<FlagInput>& fixes, double maxSpeedKmh = kDefaultMaxSpeedKmh);

// Great-circle distance on the mean Earth sphere (6371.0088 km).
double DistanceKm(double lat1, double lon1, double lat2, double lon2);

// A stored position counts only when it is a place on Earth and not 0,0
// (what a collar writes when it got none).
bool IsPosition(double latitude, double longitude);

}  // namespace zelkor
