#include "gpsdata/fix_quality.h"

#include <algorithm>
#include <cmath>

#include "geo/geodesy.h"
#include "gpsdata/fix_time.h"
#include "util/text.h"

namespace zelkor {

std::string FixQuality::reasons() const {
  std::string s;
  auto add = [&s](const std::string& r) { s += (s.empty() ? "" : "; ") + r; };
  if (badCheck) add("bad check");
  if (noPosition) add("no position");
  switch (time) {
    case TimeFlag::None: break;
    case TimeFlag::Invalid: add("time invalid"); break;
    case TimeFlag::OutsideSeason: add("time outside the season"); break;
    case TimeFlag::OutOfOrder: add("time out of order"); break;
  }
  if (tooFast) add(Format("speed %.1f km/h from the last good fix", speedKmh));
  return s;
}

std::string QualityCounts::text() const {
  if (!flagged) return "none flagged";
  return Format("%d flagged: %d bad check, %d no position, %d time, %d speed", flagged, badCheck, noPosition, time,
                speed);
}

bool IsPosition(double latitude, double longitude) {
  return std::isfinite(latitude) && std::isfinite(longitude) && std::fabs(latitude) <= 90.0 &&
         std::fabs(longitude) <= 180.0 && !(latitude == 0.0 && longitude == 0.0);
}

bool IsPlanarPosition(double easting, double northing, int zone) {
  return std::isfinite(easting) && std::isfinite(northing) && easting >= 0 && easting <= 1e6 && northing >= 0 &&
         northing <= 1e7 && zone >= 0 && zone <= 61 && !(easting == 0 && northing == 0);
}

namespace {

// The fixes whose times go forward in memory order: the longest run that
// never goes back (a time equal to the one before is fine). Where two runs
// are equally long, the one that got there first wins, so a fix earlier
// than the good fix before it is the one flagged.
std::vector<bool> InOrder(const std::vector<int64_t>& times) {
  std::vector<size_t> tails;  // tails[k]: index of the smallest last time of a run of length k+1
  std::vector<long> parent(times.size(), -1);
  size_t bestEnd = 0, bestLength = 0;
  for (size_t i = 0; i < times.size(); ++i) {
    // The first run whose last time is later than this one.
    const auto at = std::upper_bound(tails.begin(), tails.end(), times[i],
                                     [&times](int64_t t, size_t j) { return t < times[j]; });
    const size_t length = static_cast<size_t>(at - tails.begin());
    if (length > 0) parent[i] = static_cast<long>(tails[length - 1]);
    if (at == tails.end())
      tails.push_back(i);
    else
      *at = i;
    if (length + 1 > bestLength) {
      bestLength = length + 1;
      bestEnd = i;
    }
  }
  std::vector<bool> kept(times.size(), false);
  if (bestLength == 0) return kept;
  for (long i = static_cast<long>(bestEnd); i >= 0; i = parent[static_cast<size_t>(i)]) kept[static_cast<size_t>(i)] = true;
  return kept;
}

}  // namespace

std::vector<FixQuality> JudgeFixes(const std::vector<FixFacts>& fixes, double maxSpeedKmh) {
  std::vector<FixQuality> q(fixes.size());
  std::vector<size_t> timed;
  for (size_t i = 0; i < fixes.size(); ++i) {
    const FixFacts& f = fixes[i];
    q[i].badCheck = f.badCheck;
    q[i].noPosition = !f.hasPosition || (f.planar ? !IsPlanarPosition(f.easting, f.northing, f.zone)
                                                  : !IsPosition(f.latitude, f.longitude));
    if (!f.validTime)
      q[i].time = TimeFlag::Invalid;
    else
      timed.push_back(i);
  }

  // The season's middle: the median time; fixes years away from it are not
  // of this season.
  if (!timed.empty()) {
    std::vector<int64_t> sorted;
    sorted.reserve(timed.size());
    for (size_t i : timed) sorted.push_back(fixes[i].seconds);
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(sorted.size() / 2), sorted.end());
    const int64_t middle = sorted[sorted.size() / 2];
    std::vector<size_t> inSeason;
    std::vector<int64_t> times;
    for (size_t i : timed) {
      const int64_t t = fixes[i].seconds;
      const int64_t distance = t >= middle ? t - middle : middle - t;
      if (distance > kSeasonReachSeconds) {
        q[i].time = TimeFlag::OutsideSeason;
      } else {
        inSeason.push_back(i);
        times.push_back(t);
      }
    }
    const std::vector<bool> ordered = InOrder(times);
    for (size_t k = 0; k < inSeason.size(); ++k)
      if (!ordered[k]) q[inSeason[k]].time = TimeFlag::OutOfOrder;
  }

  // Speeds from the last good fix.
  const FixFacts* reference = nullptr;
  for (size_t i = 0; i < fixes.size(); ++i) {
    const FixFacts& f = fixes[i];
    FixQuality& g = q[i];
    if (!g.badCheck && !g.noPosition && !g.badTime() && reference && (!f.planar || reference->zone == f.zone)) {
      const int64_t dt = f.seconds - reference->seconds;
      // Without time between the two there is no speed to judge.
      if (dt > 0) {
        const double km = f.planar ? std::hypot(f.easting - reference->easting, f.northing - reference->northing) / 1000
                                   : GeodesicKm(reference->latitude, reference->longitude, f.latitude, f.longitude);
        g.speedKmh = km / (static_cast<double>(dt) / 3600.0);
        g.tooFast = g.speedKmh > maxSpeedKmh;
      }
    }
    if (!g.any()) reference = &f;
  }
  return q;
}

QualityCounts CountQuality(const std::vector<FixQuality>& quality) {
  QualityCounts c;
  for (const FixQuality& q : quality) {
    ++c.fixes;
    c.badCheck += q.badCheck;
    c.noPosition += q.noPosition;
    c.time += q.badTime();
    c.speed += q.tooFast;
    c.flagged += q.any();
  }
  return c;
}

FixFacts FactsOf(const DecodedFix& d) {
  FixFacts f;
  f.validTime = FixUtcSeconds(d.fix, &f.seconds);
  f.hasPosition = true;
  f.latitude = d.latitude;
  f.longitude = d.longitude;
  f.badCheck = !d.fix.checkGood();
  return f;
}

std::vector<FixFacts> FactsOf(const DecodedFile& file) {
  std::vector<FixFacts> facts;
  facts.reserve(file.fixes.size());
  for (const DecodedFix& d : file.fixes) facts.push_back(FactsOf(d));
  return facts;
}

std::vector<FixQuality> JudgeFile(const DecodedFile& file, double maxSpeedKmh) {
  return JudgeFixes(FactsOf(file), maxSpeedKmh);
}

}  // namespace zelkor
