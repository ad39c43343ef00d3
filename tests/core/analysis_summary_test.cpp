// Outlier flags, scheduled attempts and the season summary.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/convex_hull.h"
#include "analysis/fix_flags.h"
#include "analysis/schedule_attempts.h"
#include "analysis/season_summary.h"
#include "gpsdata/exports.h"
#include "gpsdata/fix_time.h"
#include "gpsdata/utm.h"
#include "support/gps_image.h"

namespace zelkor {
namespace {

int64_t Utc(int y, int mo, int d, int h, int mi = 0, int s = 0) {
  return DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
}

// A fix at a UTC instant and a signed position.
GpsBlockFields Fix(int64_t utc, double lat, double lon, int status = 3) {
  int y, mo, d;
  CivilFromDays(utc / 86400, &y, &mo, &d);
  const int rest = static_cast<int>(utc % 86400);
  GpsBlockFields f = testing::FixAt(y - 2000, mo, d, rest / 3600, rest % 3600 / 60, rest % 60, std::fabs(lat),
                                    lat >= 0, std::fabs(lon), lon >= 0);
  f.statusCode = static_cast<unsigned>(status);
  return f;
}

// A file whose header is the given configuration.
std::vector<uint8_t> ImageWith(CollarConfig config, const std::vector<GpsBlockFields>& fixes) {
  std::vector<uint8_t> image = testing::GpsImage(fixes, 4711);
  EncodeConfig(config);
  for (size_t i = 0; i < kConfigRecordSize; ++i)
    if (!(i >= 1 && i <= 3) && !(i == 12 || i == 13)) image[i] = config.raw[i];
  return image;
}

CollarConfig TwoHourly() {
  CollarConfig c;
  c.primaryRateHours = 2;
  return c;
}

// A walk near 45 N 110 W: a few hundred metres every two hours.
std::vector<GpsBlockFields> Walk(int64_t start, int steps, int everyMinutes = 120) {
  std::vector<GpsBlockFields> fixes;
  double lat = 45.0, lon = -110.0;
  for (int i = 0; i < steps; ++i) {
    lat += 0.002 * std::sin(i * 0.3);
    lon += 0.003 * std::cos(i * 0.2);
    fixes.push_back(Fix(start + i * everyMinutes * 60 + 35, lat, lon, i % 5 == 0 ? 2 : 3));
  }
  return fixes;
}

TEST(OutlierFlags, AJumpOf50KmInTwoHoursIsFlaggedAnOrdinaryWalkIsNot) {
  std::vector<GpsBlockFields> fixes = Walk(Utc(2026, 5, 1, 0), 40);
  ExportData data;
  ASSERT_TRUE(ReadExportData(testing::GpsImage(fixes), &data));
  for (const FixFlags& f : FlagFixes(FlagInputsOf(data))) EXPECT_FALSE(f.any()) << f.reasons();

  // Fix 20 is planted 50 km north; fix 30 has a bad check byte; fix 35 holds no position.
  fixes[20] = Fix(Utc(2026, 5, 1, 0) + 20 * 7200 + 35, 45.45, -110.0);
  fixes[30].goodCheck = false;
  fixes[35] = Fix(Utc(2026, 5, 1, 0) + 35 * 7200 + 35, 0.0, 0.0);
  ASSERT_TRUE(ReadExportData(testing::GpsImage(fixes), &data));
  const std::vector<FixFlags> flags = FlagFixes(FlagInputsOf(data));
  ASSERT_EQ(flags.size(), fixes.size()) << "flagged fixes are kept";
  EXPECT_TRUE(flags[20].tooFast) << flags[20].reasons();
  EXPECT_GT(flags[20].speedKmh, 20.0);
  EXPECT_FALSE(flags[21].any()) << "back on the track, measured from the last good fix: " << flags[21].reasons();
  EXPECT_TRUE(flags[30].badCheck);
  EXPECT_TRUE(flags[35].noPosition);
  int flagged = 0;
  for (const FixFlags& f : flags) flagged += f.any();
  EXPECT_EQ(flagged, 3);
  // A higher limit lets the jump pass.
  EXPECT_FALSE(FlagFixes(FlagInputsOf(data), 40.0)[20].tooFast);

  // The flags reach the exports.
  const std::string movebank = ExportText(data, ExportFormat::Movebank, {}, nullptr);
  EXPECT_NE(movebank.find(",true,21,"), std::string::npos) << "import-marked-outlier of block 21";
  EXPECT_NE(movebank.find(",false,22,"), std::string::npos);
  const std::string gpx = ExportText(data, ExportFormat::Gpx, {}, nullptr);
  EXPECT_NE(gpx.find("<zelkor:outlier>true</zelkor:outlier>\n          <zelkor:outlierReason>"), std::string::npos);
  const std::string geojson = ExportText(data, ExportFormat::GeoJson, {}, nullptr);
  EXPECT_NE(geojson.find("\"outlier\": true, \"outlierReason\": \""), std::string::npos);
}

TEST(ScheduledAttempts, PrimaryFromMidnightAuxiliaryWithinItsHoursOnItsDays) {
  CollarConfig c = TwoHourly();
  const int64_t monday = DaysFromCivil(2026, 5, 4);  // a Monday in days 1-7 of May
  ASSERT_EQ(WeekdayOfDays(monday), 1);
  EXPECT_EQ(ScheduledSlots(c, monday).size(), 12u);

  c.auxRateMinutes = 30;
  c.auxStartHourUtc = 6;
  c.auxStopHourUtc = 10;
  c.auxWeekdays[1] = true;      // Mondays
  c.auxDays.setQuarter(5, 0, true);  // 1-7 May
  EXPECT_TRUE(AuxiliaryAppliesOn(c, monday));
  EXPECT_FALSE(AuxiliaryAppliesOn(c, monday + 7)) << "11 May is outside the chosen days";
  EXPECT_FALSE(AuxiliaryAppliesOn(c, monday + 1)) << "a Tuesday";
  const auto slots = ScheduledSlots(c, monday);
  // 0, 2, 4, 10 ... 22 from the primary rate; 6:00 to 9:30 every 30 minutes.
  EXPECT_EQ(slots.size(), 10u + 8u);
  EXPECT_EQ(slots[3].minute, 6 * 60);
  EXPECT_EQ(slots[3].intervalMinutes, 30);

  // A window from 22:00 to 2:00 runs into the next day.
  c.auxStartHourUtc = 22;
  c.auxStopHourUtc = 2;
  const auto tuesday = ScheduledSlots(c, monday + 1);
  EXPECT_EQ(tuesday.size(), 4u + 11u) << "0:00-1:30 from Monday's window, then 2:00-22:00 of the primary";
  EXPECT_EQ(tuesday[1].minute, 30);

  // Counting from the first fix to the last.
  const auto days = ScheduledAttempts(TwoHourly(), Utc(2026, 5, 1, 0, 0, 40), Utc(2026, 5, 3, 22, 1, 0));
  int total = 0;
  for (const DayAttempts& d : days) total += d.scheduled;
  EXPECT_EQ(total, 36);
}

TEST(SeasonSummary, NinetyPercentOfATwoHourScheduleIsAFixSuccessOfPointNine) {
  std::vector<GpsBlockFields> all = Walk(Utc(2026, 6, 1, 0), 12 * 30);
  std::vector<GpsBlockFields> kept;
  for (size_t i = 0; i < all.size(); ++i)
    if (i % 10 != 4) kept.push_back(all[i]);
  SeasonSummary s;
  ASSERT_TRUE(SummarizeSeason(ImageWith(TwoHourly(), kept), {}, &s));
  EXPECT_EQ(s.collarId, 4711u);
  EXPECT_NEAR(s.fixSuccess, 0.9, 0.02);
  EXPECT_EQ(s.scheduledAttempts, 360);
  EXPECT_EQ(s.fixes, static_cast<int>(kept.size()));
  EXPECT_EQ(s.fixes2d + s.fixes3d, s.fixes);
  EXPECT_EQ(s.outliers, 0);
  EXPECT_EQ(s.first, Utc(2026, 6, 1, 0, 0, 35));
  ASSERT_EQ(s.days.size(), 30u);
  EXPECT_EQ(s.days[0].scheduled, 12);
  const std::string json = SummaryJson(s);
  for (const char* key : {"collarId", "first", "last", "fixes", "fixes3d", "fixes2d", "badChecks", "outliers",
                          "scheduledAttempts", "fixSuccess", "distanceKm", "mcp100Km2", "mcp95Km2"})
    EXPECT_NE(json.find(std::string("\"") + key + "\": "), std::string::npos) << key;
  EXPECT_NE(json.find("\"first\": \"2026-06-01T00:00:35Z\""), std::string::npos);

  // A configuration given instead of the header: an hourly rate doubles the attempts.
  SummaryOptions hourly;
  hourly.config = CollarConfig{};
  hourly.config->primaryRateHours = 1;
  ASSERT_TRUE(SummarizeSeason(ImageWith(TwoHourly(), kept), hourly, &s));
  EXPECT_EQ(s.scheduledAttempts, 719) << "every hour from the first fix to the last (22:00 on 30 June)";
  EXPECT_NEAR(s.fixSuccess, 0.45, 0.01);
}

// An independent hull: gift wrapping over the UTM positions the CSV gives.
double GiftWrapArea(const std::vector<PlanePoint>& p) {
  size_t start = 0;
  for (size_t i = 1; i < p.size(); ++i)
    if (p[i].x < p[start].x) start = i;
  std::vector<PlanePoint> hull;
  size_t at = start;
  do {
    hull.push_back(p[at]);
    size_t next = (at + 1) % p.size();
    for (size_t i = 0; i < p.size(); ++i) {
      const double cross = (p[next].x - p[at].x) * (p[i].y - p[at].y) - (p[next].y - p[at].y) * (p[i].x - p[at].x);
      if (cross < 0) next = i;
    }
    at = next;
  } while (at != start && hull.size() <= p.size());
  double twice = 0;
  for (size_t i = 0, j = hull.size() - 1; i < hull.size(); j = i++)
    twice += (hull[j].x + hull[i].x) * (hull[j].y - hull[i].y);
  return std::fabs(twice) / 2 / 1e6;
}

TEST(SeasonSummary, PolygonsDistanceAndOutliersOfTheGoodFixes) {
  std::vector<GpsBlockFields> fixes = Walk(Utc(2026, 6, 1, 0), 200);
  fixes[50].goodCheck = false;
  fixes[120] = Fix(Utc(2026, 6, 1, 0) + 120 * 7200 + 35, 45.9, -110.0);  // 100 km away
  SeasonSummary s;
  ASSERT_TRUE(SummarizeSeason(ImageWith(TwoHourly(), fixes), {}, &s));
  EXPECT_EQ(s.badChecks, 1);
  EXPECT_EQ(s.outliers, 2);

  ExportData data;
  ASSERT_TRUE(ReadExportData(testing::GpsImage(fixes), &data));
  std::vector<PlanePoint> utm;
  double distance = 0;
  const ExportFix* previous = nullptr;
  for (size_t i = 0; i < data.fixes.size(); ++i) {
    if (i == 50 || i == 120) continue;
    const GpsFix& f = data.fixes[i].fix;
    const UtmPosition u = LatLonToUtm(f.latitude, f.northSouth, f.longitude, f.eastWest);
    utm.push_back({u.easting, u.northing});
    if (previous)
      distance += DistanceKm(previous->latitude, previous->longitude, data.fixes[i].latitude, data.fixes[i].longitude);
    previous = &data.fixes[i];
  }
  const double expected = GiftWrapArea(utm);
  ASSERT_GT(expected, 1.0);
  EXPECT_NEAR(s.mcp100Km2, expected, expected * 0.005);
  EXPECT_LT(s.mcp95Km2, s.mcp100Km2);
  EXPECT_GT(s.mcp95Km2, 0.5 * s.mcp100Km2);
  EXPECT_NEAR(s.distanceKm, distance, 1e-6);
}

TEST(SeasonSummary, EmptyAndHeaderlessFiles) {
  SeasonSummary s;
  std::string error;
  EXPECT_FALSE(SummarizeSeason(std::vector<uint8_t>(10, 0), {}, &s, &error));
  EXPECT_NE(error.find("64-byte header"), std::string::npos);
  ASSERT_TRUE(SummarizeSeason(ImageWith(TwoHourly(), {}), {}, &s));
  EXPECT_EQ(s.fixes, 0);
  EXPECT_EQ(s.scheduledAttempts, 0);
  EXPECT_NE(SummaryJson(s).find("\"first\": null"), std::string::npos);
}

}  // namespace
}  // namespace zelkor

#include "analysis/table_analysis.h"
#include "gpsdata/translate.h"
#include "print/print_job.h"
#include "support/recording_canvas.h"

namespace zelkor {
namespace {

// From the CSV alone (no GPS data file at hand): the footer's zone takes
// the rows back to UTC, through a daylight-saving change, and the flags
// match those of the blocks.
TEST(TableAnalysis, TheFootersZoneGivesBackUtcAndTheFlagsOfTheBlocks) {
#ifdef ZELKOR_WINDOWS_LEAN
  GTEST_SKIP() << "named time zones are not part of the Windows build";
#endif
  std::vector<GpsBlockFields> fixes = Walk(Utc(2026, 11, 1, 4), 8, 30);  // 04:00 to 07:30 UTC, 30 min apart
  fixes.push_back(Fix(Utc(2026, 11, 1, 8, 0, 35), 45.0, -110.0));      // 01:00:35 MST, after the change
  fixes.push_back(Fix(Utc(2026, 11, 1, 8, 30, 35), 45.4, -110.0));     // 45 km in 30 minutes
  std::string error;
  const auto denver = NamedZone::Find("America/Denver", &error);
  ASSERT_TRUE(denver) << error;
  const std::vector<uint8_t> image = testing::GpsImage(fixes);
  for (OutputForm form : {OutputForm::LatLon, OutputForm::Utm}) {
    const Translation t = TranslateGpsImage(image, form, ZoneChoice::Named(*denver));
    const TableAnalysis a = AnalyseTable(ParseCsvTable(t.csv));
    ASSERT_TRUE(a.zoneKnown);
    ASSERT_EQ(a.utc.size(), fixes.size());
    EXPECT_EQ(a.utc[7], "2026-11-01T07:30:35Z") << "01:30:35 MDT, the first of the two";
    EXPECT_EQ(a.utc[8], "2026-11-01T08:00:35Z");
    ExportData data;
    ASSERT_TRUE(ReadExportData(image, &data));
    const std::vector<FixFlags> blocks = FlagFixes(FlagInputsOf(data));
    for (size_t i = 0; i < fixes.size(); ++i) EXPECT_EQ(a.flags[i].any(), blocks[i].any()) << i;
    EXPECT_TRUE(a.flags[9].tooFast);
  }
  // A footer the program did not write: flags still, UTC not.
  const TableAnalysis plain = AnalyseTable(ParseCsvTable(TranslateGpsImage(image, OutputForm::LatLon, {}, "").csv));
  EXPECT_FALSE(plain.zoneKnown);
  EXPECT_EQ(plain.utc[0], "");
  EXPECT_TRUE(plain.flags[9].tooFast);
}

TEST(SummaryPage, PrintedAfterTheReportOnlyWhenAskedForAndThereIsASummary) {
  SeasonSummary s;
  ASSERT_TRUE(SummarizeSeason(ImageWith(TwoHourly(), Walk(Utc(2026, 6, 1, 0), 120)), {}, &s));
  PrintInputs in;
  in.options.collarConfig = false;
  in.options.transmitterCalendar = false;
  in.options.auxCalendar = false;
  in.options.seasonSummary = true;
  testing::RecordingCanvas none;
  EXPECT_EQ(RunPrintJob(none, in), 0) << "no summary to print";
  in.summary = s;
  testing::RecordingCanvas c;
  EXPECT_EQ(RunPrintJob(c, in), 1);
  EXPECT_NE(c.find("Season Summary, Collar 4711"), nullptr);
  EXPECT_NE(c.find("Fix success:"), nullptr);
  EXPECT_NE(c.find("100.0 %"), nullptr);
  EXPECT_EQ(c.rectangles, 10) << "one outline per day";
  for (const auto& t : c.texts) {
    EXPECT_GE(t.x, 0) << t.text;
    EXPECT_LE(t.x + 10 * static_cast<int>(t.text.size()), c.pageWidth()) << t.text;
    EXPECT_LE(t.y + 20, c.pageHeight()) << t.text;
  }
}

}  // namespace
}  // namespace zelkor
