#include "analysis/season_summary.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "analysis/schedule_attempts.h"
#include "gpsdata/decoded_file.h"
#include "gpsdata/fix_time.h"
#include "gpsdata/gps_file_check.h"
#include "util/text.h"

namespace zelkor {

HomeRanges HomeRangesOf(const std::vector<GeoPoint>& good) {
  HomeRanges r;
  if (good.size() < 3) return r;
  r.mcp100 = ConvexPolygon(good);
  r.mcp95 = ConvexPolygon(NearestToMean(good, 0.95));
  return r;
}

bool SummarizeSeason(const std::vector<uint8_t>& image, const SummaryOptions& options, SeasonSummary* out,
                     std::string* error) {
  const GpsFileCheck check = CheckGpsFile(image);
  DecodedFile data;
  if (!check.recognised || !DecodeGpsFile(image, &data)) {
    if (error) *error = check.reason;
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
  s.truncation = check.truncationNote();
  const std::vector<FixFacts> facts = FactsOf(data);
  s.flags = JudgeFixes(facts, options.maxSpeedKmh);
  s.quality = CountQuality(s.flags);

  std::map<int64_t, int> obtainedPerDay;
  int timedFixes = 0;
  const FixFacts* previousGood = nullptr;
  std::vector<GeoPoint> good;
  for (size_t i = 0; i < facts.size(); ++i) {
    const FixFacts& f = facts[i];
    const FixQuality& q = s.flags[i];
    const GpsFix& fix = data.fixes[i].fix;
    if (!q.noPosition) {
      ++s.fixes;
      s.fixes3d += fix.statusCode == 3;
      s.fixes2d += fix.statusCode == 2;
      // A fix whose time is flagged is listed and counted, but it says
      // nothing of when the season began or ended or of the fix success.
      if (!q.badTime()) {
        ++timedFixes;
        s.first = s.anyFix ? std::min(s.first, f.seconds) : f.seconds;
        s.last = s.anyFix ? std::max(s.last, f.seconds) : f.seconds;
        s.anyFix = true;
        ++obtainedPerDay[f.seconds >= 0 ? f.seconds / 86400 : -((-f.seconds + 86399) / 86400)];
      }
    }
    if (!q.any()) {
      if (previousGood)
        s.distanceKm += GeodesicKm(previousGood->latitude, previousGood->longitude, f.latitude, f.longitude);
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
    HomeRanges ranges = HomeRangesOf(good);
    s.mcp100 = std::move(ranges.mcp100);
    s.mcp100Km2 = GeodesicAreaKm2(s.mcp100);
    s.mcp95 = std::move(ranges.mcp95);
    s.mcp95Km2 = GeodesicAreaKm2(s.mcp95);
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
  const QualityCounts& q = s.quality;
  std::string o = "{\n";
  o += Format("  \"collarId\": %u,\n", s.collarId);
  o += "  \"first\": " + (s.anyFix ? "\"" + IsoUtcSeconds(s.first) + "\"" : std::string("null")) + ",\n";
  o += "  \"last\": " + (s.anyFix ? "\"" + IsoUtcSeconds(s.last) + "\"" : std::string("null")) + ",\n";
  o += Format("  \"blocks\": %d,\n  \"fixes\": %d,\n  \"fixes3d\": %d,\n  \"fixes2d\": %d,\n", s.blocks, s.fixes,
              s.fixes3d, s.fixes2d);
  o += Format("  \"flagged\": %d,\n  \"badChecks\": %d,\n  \"noPosition\": %d,\n  \"timeFlags\": %d,\n"
              "  \"speedFlags\": %d,\n  \"outliers\": %d,\n",
              q.flagged, q.badCheck, q.noPosition, q.time, q.speed, q.flagged);
  o += Format("  \"scheduledAttempts\": %d,\n  \"fixSuccess\": %s,\n  \"distanceKm\": %s,\n", s.scheduledAttempts,
              Number(s.fixSuccess, 4).c_str(), Number(s.distanceKm, 3).c_str());
  o += Format("  \"mcp100Km2\": %s,\n  \"mcp95Km2\": %s,\n", Number(s.mcp100Km2, 4).c_str(),
              Number(s.mcp95Km2, 4).c_str());
  o += "  \"truncated\": " + (s.truncation.empty() ? std::string("null") : "\"" + s.truncation + "\"") + ",\n";
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
  if (!s.truncation.empty()) f.push_back({"Incomplete file", s.truncation});
  f.push_back({"First fix (UTC)", s.anyFix ? IsoUtcSeconds(s.first) : "none"});
  f.push_back({"Last fix (UTC)", s.anyFix ? IsoUtcSeconds(s.last) : "none"});
  f.push_back({"Fixes", Format("%d (3D %d, 2D %d) of %d blocks", s.fixes, s.fixes3d, s.fixes2d, s.blocks)});
  f.push_back({"Flagged (kept)", s.quality.text()});
  f.push_back({"Scheduled attempts", std::to_string(s.scheduledAttempts)});
  f.push_back({"Fix success", s.scheduledAttempts ? Number(s.fixSuccess * 100, 1) + " %" : "no schedule"});
  f.push_back({"Distance between good fixes", Number(s.distanceKm, 2) + " km"});
  f.push_back({"Minimum convex polygon, all good fixes", Number(s.mcp100Km2, 3) + " km\xC2\xB2"});
  f.push_back({"Minimum convex polygon, 95 % nearest the mean", Number(s.mcp95Km2, 3) + " km\xC2\xB2"});
  return f;
}

}  // namespace zelkor
