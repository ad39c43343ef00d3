#include "analysis/season_summary.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "analysis/convex_hull.h"
#include "analysis/schedule_attempts.h"
#include "gpsdata/fix_time.h"
#include "gpsdata/utm.h"
#include "util/text.h"

namespace zelkor {

namespace {

double HullKm2(const std::vector<PlanePoint>& points) { return PolygonArea(ConvexHull(points)) / 1e6; }

// The hull of the 95 % of points nearest their mean.
double Core95Km2(std::vector<PlanePoint> points) {
  if (points.size() < 3) return 0;
  PlanePoint mean;
  for (const PlanePoint& p : points) {
    mean.x += p.x;
    mean.y += p.y;
  }
  mean.x /= points.size();
  mean.y /= points.size();
  const size_t keep = static_cast<size_t>(std::ceil(points.size() * 0.95));
  std::nth_element(points.begin(), points.begin() + static_cast<long>(keep) - 1, points.end(),
                   [&mean](const PlanePoint& a, const PlanePoint& b) {
                     return std::hypot(a.x - mean.x, a.y - mean.y) < std::hypot(b.x - mean.x, b.y - mean.y);
                   });
  points.resize(keep);
  return HullKm2(points);
}

}  // namespace

bool SummarizeSeason(const std::vector<uint8_t>& image, const SummaryOptions& options, SeasonSummary* out,
                     std::string* error) {
  ExportData data;
  if (!ReadExportData(image, &data)) {
    if (error) *error = "it is shorter than the 64-byte header of a GPS data file";
    return false;
  }
  CollarConfig config;
  if (options.config) {
    config = *options.config;
  } else {
    CollarConfigRecord record{};
    std::copy(image.begin(), image.begin() + kConfigRecordSize, record.begin());
    DecodeConfig(record, config);
  }
  SeasonSummary s;
  s.collarId = data.collarId;
  s.blocks = static_cast<int>(data.fixes.size());
  const std::vector<FlagInput> inputs = FlagInputsOf(data);
  s.flags = FlagFixes(inputs, options.maxSpeedKmh);

  std::map<int64_t, int> obtainedPerDay;
  int timedFixes = 0;
  const FlagInput* previousGood = nullptr;
  std::vector<std::pair<double, double>> good;  // latitude, longitude
  for (size_t i = 0; i < inputs.size(); ++i) {
    const FlagInput& f = inputs[i];
    const GpsFix& fix = data.fixes[i].fix;
    const bool positioned = f.hasPosition && IsPosition(f.latitude, f.longitude);
    s.badChecks += f.badCheck;
    s.outliers += s.flags[i].any();
    if (positioned) {
      ++s.fixes;
      s.fixes3d += fix.statusCode == 3;
      s.fixes2d += fix.statusCode == 2;
      if (f.validTime) {
        ++timedFixes;
        s.first = s.anyFix ? std::min(s.first, f.seconds) : f.seconds;
        s.last = s.anyFix ? std::max(s.last, f.seconds) : f.seconds;
        s.anyFix = true;
        ++obtainedPerDay[f.seconds >= 0 ? f.seconds / 86400 : -((-f.seconds + 86399) / 86400)];
      }
    }
    if (!s.flags[i].any()) {
      if (previousGood)
        s.distanceKm += DistanceKm(previousGood->latitude, previousGood->longitude, f.latitude, f.longitude);
      previousGood = &f;
      good.push_back({f.latitude, f.longitude});
    }
  }

  if (s.anyFix) {
    for (const DayAttempts& d : ScheduledAttempts(config, s.first, s.last)) {
      s.scheduledAttempts += d.scheduled;
      s.days.push_back({d.day, d.scheduled, 0});
    }
    for (SummaryDay& d : s.days) {
      auto it = obtainedPerDay.find(d.day);
      if (it != obtainedPerDay.end()) d.obtained = it->second;
    }
  }
  if (s.scheduledAttempts > 0) s.fixSuccess = std::min(1.0, static_cast<double>(timedFixes) / s.scheduledAttempts);

  if (good.size() >= 3) {
    // One plane for all: the zone of the fixes' middle longitude.
    double minLon = good[0].second, maxLon = good[0].second;
    for (const auto& g : good) {
      minLon = std::min(minLon, g.second);
      maxLon = std::max(maxLon, g.second);
    }
    const int zone = UtmZoneOf((minLon + maxLon) / 2);
    std::vector<PlanePoint> plane;
    plane.reserve(good.size());
    for (const auto& g : good) {
      const UtmPosition u = ProjectIntoZone(g.first, g.second, zone);
      plane.push_back({u.easting, u.northing});
    }
    s.mcp100Km2 = HullKm2(plane);
    s.mcp95Km2 = Core95Km2(std::move(plane));
  }
  *out = std::move(s);
  return true;
}

namespace {
std::string Number(double v, int decimals) { return Format("%.*f", decimals, v); }
std::string DayText(int64_t day) {
  int y, m, d;
  CivilFromDays(day, &y, &m, &d);
  return Format("%04d-%02d-%02d", y, m, d);
}
}  // namespace

std::string SummaryJson(const SeasonSummary& s) {
  std::string o = "{\n";
  o += Format("  \"collarId\": %u,\n", s.collarId);
  o += "  \"first\": " + (s.anyFix ? "\"" + IsoUtcSeconds(s.first) + "\"" : std::string("null")) + ",\n";
  o += "  \"last\": " + (s.anyFix ? "\"" + IsoUtcSeconds(s.last) + "\"" : std::string("null")) + ",\n";
  o += Format("  \"fixes\": %d,\n  \"fixes3d\": %d,\n  \"fixes2d\": %d,\n  \"badChecks\": %d,\n  \"outliers\": %d,\n",
              s.fixes, s.fixes3d, s.fixes2d, s.badChecks, s.outliers);
  o += Format("  \"scheduledAttempts\": %d,\n  \"fixSuccess\": %s,\n  \"distanceKm\": %s,\n", s.scheduledAttempts,
              Number(s.fixSuccess, 4).c_str(), Number(s.distanceKm, 3).c_str());
  o += Format("  \"mcp100Km2\": %s,\n  \"mcp95Km2\": %s,\n", Number(s.mcp100Km2, 4).c_str(),
              Number(s.mcp95Km2, 4).c_str());
  o += "  \"days\": [";
  for (size_t i = 0; i < s.days.size(); ++i)
    o += Format("%s\n    {\"date\": \"%s\", \"scheduled\": %d, \"obtained\": %d}", i ? "," : "",
                DayText(s.days[i].day).c_str(), s.days[i].scheduled, s.days[i].obtained);
  o += s.days.empty() ? "]\n}\n" : "\n  ]\n}\n";
  return o;
}

std::vector<std::pair<std::string, std::string>> SummaryFigures(const SeasonSummary& s) {
  std::vector<std::pair<std::string, std::string>> f;
  f.push_back({"Collar ID", std::to_string(s.collarId)});
  f.push_back({"First fix (UTC)", s.anyFix ? IsoUtcSeconds(s.first) : "none"});
  f.push_back({"Last fix (UTC)", s.anyFix ? IsoUtcSeconds(s.last) : "none"});
  f.push_back({"Fixes", Format("%d (3D %d, 2D %d) of %d blocks", s.fixes, s.fixes3d, s.fixes2d, s.blocks)});
  f.push_back({"Bad check bytes", std::to_string(s.badChecks)});
  f.push_back({"Outliers (flagged, kept)", std::to_string(s.outliers)});
  f.push_back({"Scheduled attempts", std::to_string(s.scheduledAttempts)});
  f.push_back({"Fix success", s.scheduledAttempts ? Number(s.fixSuccess * 100, 1) + " %" : "no schedule"});
  f.push_back({"Distance between good fixes", Number(s.distanceKm, 2) + " km"});
  f.push_back({"Minimum convex polygon, all good fixes", Number(s.mcp100Km2, 3) + " km\xC2\xB2"});
  f.push_back({"Minimum convex polygon, 95 % nearest the mean", Number(s.mcp95Km2, 3) + " km\xC2\xB2"});
  return f;
}

}  // namespace zelkor
