#include "analysis/fix_flags.h"

#include <cmath>

#include "util/text.h"

namespace zelkor {

std::string FixFlags::reasons() const {
  std::string s;
  auto add = [&s](const std::string& r) { s += (s.empty() ? "" : "; ") + r; };
  if (badCheck) add("bad check byte");
  if (noPosition) add("no position");
  if (tooFast) add(Format("%.1f km/h from the last good fix", speedKmh));
  return s;
}

double DistanceKm(double lat1, double lon1, double lat2, double lon2) {
  constexpr double kRad = 3.14159265358979323846 / 180.0;
  const double dLat = (lat2 - lat1) * kRad, dLon = (lon2 - lon1) * kRad;
  const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                   std::cos(lat1 * kRad) * std::cos(lat2 * kRad) * std::sin(dLon / 2) * std::sin(dLon / 2);
  return 2 * 6371.0088 * std::asin(std::min(1.0, std::sqrt(h)));
}

bool IsPosition(double latitude, double longitude) {
  return std::isfinite(latitude) && std::isfinite(longitude) && std::fabs(latitude) <= 90.0 &&
         std::fabs(longitude) <= 180.0 && !(latitude == 0.0 && longitude == 0.0);
}

std::vector<FixFlags> FlagFixes(const std::vector<FlagInput>& fixes, double maxSpeedKmh) {
  std::vector<FixFlags> flags(fixes.size());
  const FlagInput* reference = nullptr;  // the last good fix with a time
  for (size_t i = 0; i < fixes.size(); ++i) {
    const FlagInput& f = fixes[i];
    FixFlags& g = flags[i];
    g.badCheck = f.badCheck;
    g.noPosition = !f.hasPosition || (f.planar ? !(std::isfinite(f.easting) && std::isfinite(f.northing) &&
                                                      (f.easting != 0 || f.northing != 0))
                                               : !IsPosition(f.latitude, f.longitude));
    if (!g.badCheck && !g.noPosition && f.validTime && reference && (!f.planar || reference->zone == f.zone)) {
      const int64_t dt = f.seconds - reference->seconds;
      // Without time between the two there is no speed to judge.
      if (dt > 0) {
        const double km = f.planar ? std::hypot(f.easting - reference->easting, f.northing - reference->northing) / 1000
                                   : DistanceKm(reference->latitude, reference->longitude, f.latitude, f.longitude);
        g.speedKmh = km / (dt / 3600.0);
        g.tooFast = g.speedKmh > maxSpeedKmh;
      }
    }
    if (!g.any() && f.validTime) reference = &f;
  }
  return flags;
}

}  // namespace zelkor
