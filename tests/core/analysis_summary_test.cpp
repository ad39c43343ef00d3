// The fix-quality flags, scheduled attempts and the season summary; the
// distances and polygons against references made with GeographicLib and
// PROJ (tests/data/reference).
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "analysis/schedule_attempts.h"
#include "analysis/season_summary.h"
#include "gpsdata/exports.h"
#include "gpsdata/fix_quality.h"
#include "gpsdata/fix_time.h"
#include "support/gps_image.h"
#include "support/references.h"

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

std::vector<FixQuality> Judge(const std::vector<GpsBlockFields>& fixes) {
  DecodedFile data;
  EXPECT_TRUE(DecodeGpsFile(testing::GpsImage(fixes), &data));
  return JudgeFile(data);
}

TEST(FixQuality, AJumpOf50KmInTwoHoursABadCheckAndNoPositionAreFlaggedAnOrdinaryWalkIsNot) {
  std::vector<GpsBlockFields> fixes = Walk(Utc(2026, 5, 1, 0), 40);
  for (const FixQuality& f : Judge(fixes)) EXPECT_FALSE(f.any()) << f.reasons();

  // Fix 20 is planted 50 km north; fix 30 has a bad check byte; fix 35 holds
  // no position (0,0); fix 36 a latitude of 95 degrees.
  fixes[20] = Fix(Utc(2026, 5, 1, 0) + 20 * 7200 + 35, 45.45, -110.0);
  fixes[30].goodCheck = false;
  fixes[35] = Fix(Utc(2026, 5, 1, 0) + 35 * 7200 + 35, 0.0, 0.0);
  fixes[36].latDegrees = 95;
  const std::vector<FixQuality> flags = Judge(fixes);
  ASSERT_EQ(flags.size(), fixes.size()) << "flagged fixes are kept";
  EXPECT_TRUE(flags[20].tooFast) << flags[20].reasons();
  EXPECT_GT(flags[20].speedKmh, 20.0);
  EXPECT_FALSE(flags[21].any()) << "back on the track, measured from the last good fix: " << flags[21].reasons();
  EXPECT_TRUE(flags[30].badCheck);
  EXPECT_EQ(flags[30].reasons(), "bad check");
  EXPECT_TRUE(flags[35].noPosition);
  EXPECT_TRUE(flags[36].noPosition);
  const QualityCounts counts = CountQuality(flags);
  EXPECT_EQ(counts.flagged, 4);
  EXPECT_EQ(counts.text(), "4 flagged: 1 bad check, 2 no position, 0 time, 1 speed");
  // A higher limit lets the jump pass.
  DecodedFile data;
  ASSERT_TRUE(DecodeGpsFile(testing::GpsImage(fixes), &data));
  EXPECT_FALSE(JudgeFile(data, 40.0)[20].tooFast);

  // The flags reach the exports; the fixes without a position do not.
  int skipped = 0;
  const std::string movebank = ExportText(data, ExportFormat::Movebank, {}, &skipped);
  EXPECT_EQ(skipped, 2);
  EXPECT_NE(movebank.find(",true,21,"), std::string::npos) << "import-marked-outlier of block 21";
  EXPECT_NE(movebank.find(",false,22,"), std::string::npos);
  EXPECT_EQ(movebank.find(",36,"), std::string::npos) << "block 36 has no position";
  const std::string gpx = ExportText(data, ExportFormat::Gpx, {}, nullptr);
  EXPECT_NE(gpx.find("<zelkor:outlier>true</zelkor:outlier>\n          <zelkor:outlierReason>speed "),
            std::string::npos);
  const std::string geojson = ExportText(data, ExportFormat::GeoJson, {}, nullptr);
  EXPECT_NE(geojson.find("\"outlier\": true, \"outlierReason\": \"speed "), std::string::npos);
  const std::string kml = ExportText(data, ExportFormat::Kml, {}, nullptr);
  EXPECT_NE(kml.find("<Data name=\"outlier\"><value>true</value></Data>"), std::string::npos);
  EXPECT_NE(kml.find("<styleUrl>#outlier</styleUrl>"), std::string::npos);
}

// A GPS week rollover dates a fix 1024 weeks early.
constexpr int64_t kRollover = int64_t{1024} * 7 * 86400;

TEST(FixQuality, TimesThatGoBackOrLieOutsideTheSeasonAreFlaggedAndNothingElse) {
  const int64_t start = Utc(2026, 6, 1, 0);
  std::vector<GpsBlockFields> fixes = Walk(start, 60);
  fixes[0] = Fix(start + 35 - kRollover, 45.0, -110.0);        // the first block, years early
  fixes[30] = Fix(start + 10 * 7200 + 35, 45.01, -110.01);      // back to fix 10's time
  fixes[40] = Fix(start + 45 * 7200 + 35, 45.02, -110.02);      // five fixes ahead; the rest are later
  fixes[50].year = 120;                                          // no such year for the collar
  const std::vector<FixQuality> q = Judge(fixes);
  EXPECT_EQ(q[0].time, TimeFlag::OutsideSeason) << q[0].reasons();
  EXPECT_EQ(q[30].time, TimeFlag::OutOfOrder) << q[30].reasons();
  EXPECT_EQ(q[40].time, TimeFlag::OutOfOrder) << "a jump ahead, not the fixes after it: " << q[40].reasons();
  EXPECT_EQ(q[50].time, TimeFlag::Invalid);
  EXPECT_EQ(q[0].reasons(), "time outside the season");
  int flagged = 0;
  for (const FixQuality& f : q) flagged += f.any();
  EXPECT_EQ(flagged, 4) << "the fixes around them keep their times";
  EXPECT_EQ(CountQuality(q).time, 4);
}

// A month of two-hourly fixes with every n-th attempt missed.
std::vector<GpsBlockFields> MonthMissingEvery(size_t n) {
  std::vector<GpsBlockFields> all = Walk(Utc(2026, 6, 1, 0), 12 * 30);
  std::vector<GpsBlockFields> kept;
  for (size_t i = 0; i < all.size(); ++i)
    if (i % n != 4) kept.push_back(all[i]);
  return kept;
}

TEST(SeasonSummary, AFixOneRolloverEarlyIsNotTheFirstAndBarelyMovesFixSuccess) {
  std::vector<GpsBlockFields> kept = MonthMissingEvery(8);
  SeasonSummary clean;
  ASSERT_TRUE(SummarizeSeason(ImageWith(TwoHourly(), kept), {}, &clean));
  EXPECT_NEAR(clean.fixSuccess, 0.875, 0.005);

  // The first block dated 1024 weeks early, as after a week rollover.
  kept[0] = Fix(Utc(2026, 6, 1, 0) + 35 - kRollover, 45.0, -110.0);
  SeasonSummary s;
  ASSERT_TRUE(SummarizeSeason(ImageWith(TwoHourly(), kept), {}, &s));
  EXPECT_EQ(IsoUtcSeconds(s.first), "2026-06-01T02:00:35Z") << "the second block is the first good one";
  EXPECT_LT(std::fabs(s.fixSuccess - clean.fixSuccess), 0.01);
  EXPECT_EQ(s.quality.time, 1);
  EXPECT_EQ(s.fixes, static_cast<int>(kept.size())) << "still listed and counted";
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
  const std::vector<GpsBlockFields> kept = MonthMissingEvery(10);
  SeasonSummary s;
  ASSERT_TRUE(SummarizeSeason(ImageWith(TwoHourly(), kept), {}, &s));
  EXPECT_EQ(s.collarId, 4711u);
  EXPECT_NEAR(s.fixSuccess, 0.9, 0.02);
  EXPECT_EQ(s.scheduledAttempts, 360);
  EXPECT_EQ(s.fixes, static_cast<int>(kept.size()));
  EXPECT_EQ(s.fixes2d + s.fixes3d, s.fixes);
  EXPECT_EQ(s.quality.flagged, 0);
  EXPECT_EQ(s.first, Utc(2026, 6, 1, 0, 0, 35));
  ASSERT_EQ(s.days.size(), 30u);
  EXPECT_EQ(s.days[0].scheduled, 12);
  const std::string json = SummaryJson(s);
  for (const char* key : {"collarId", "first", "last", "fixes", "fixes3d", "fixes2d", "badChecks", "noPosition",
                          "timeFlags", "speedFlags", "flagged", "outliers", "scheduledAttempts", "fixSuccess", "distanceKm", "mcp100Km2", "mcp95Km2"})
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

// Fixes two hours apart at the reference's positions.
std::vector<GpsBlockFields> SeasonAt(const testing::ReferenceSeason& season) {
  std::vector<GpsBlockFields> fixes;
  const int64_t start = Utc(2026, 5, 1, 0);
  for (size_t i = 0; i < season.positions.size(); ++i)
    fixes.push_back(Fix(start + static_cast<int64_t>(i) * 7200 + 35, season.positions[i].first,
                        season.positions[i].second));
  return fixes;
}

TEST(SeasonSummary, DistanceAndPolygonsMatchTheWgs84References) {
  // Across 180 degrees, at 65 N over two UTM zones, both southern
  // hemispheres, a range 40 degrees wide and near the pole.
  const auto seasons = testing::ReferenceSeasons();
  ASSERT_EQ(seasons.size(), 6u) << "tests/data/reference/seasons.txt";
  for (const auto& ref : seasons) {
    SeasonSummary s;
    SummaryOptions fast;
    fast.maxSpeedKmh = 500;  // the references keep every fix
    ASSERT_TRUE(SummarizeSeason(ImageWith(TwoHourly(), SeasonAt(ref)), fast, &s)) << ref.name;
    EXPECT_EQ(s.quality.flagged, 0) << ref.name << ": " << s.quality.text();
    EXPECT_NEAR(s.distanceKm, ref.distanceKm, ref.distanceKm * 0.005) << ref.name;
    EXPECT_NEAR(s.mcp100Km2, ref.mcp100Km2, ref.mcp100Km2 * 0.01) << ref.name;
    EXPECT_NEAR(s.mcp95Km2, ref.mcp95Km2, ref.mcp95Km2 * 0.01) << ref.name;
  }
}

TEST(SeasonSummary, FlaggedFixesStayOutOfTheDistanceAndThePolygons) {
  const auto seasons = testing::ReferenceSeasons();
  ASSERT_FALSE(seasons.empty());
  const auto& ref = seasons[2];  // near Sydney
  std::vector<GpsBlockFields> fixes = SeasonAt(ref);
  // Planted between the reference's fixes (each an hour after the fix
  // before it): a bad check byte far away, a fix 100 km off, one without a
  // position and one dated back to fix 190's day.
  const int64_t start = Utc(2026, 5, 1, 0);
  int planted = 0;
  auto plant = [&](size_t before, GpsBlockFields f, bool keepTime = false) {
    if (!keepTime) {
      const GpsBlockFields timed = Fix(start + static_cast<int64_t>(before - 1) * 7200 + 3635, 0, 0);
      f.year = timed.year, f.month = timed.month, f.day = timed.day, f.hour = timed.hour, f.minute = timed.minute;
      f.second = timed.second;
    }
    fixes.insert(fixes.begin() + static_cast<long>(before) + planted++, f);
  };
  GpsBlockFields badCheck = Fix(0, -30.0, 150.0);
  badCheck.goodCheck = false;
  plant(51, badCheck);
  plant(121, Fix(0, ref.positions[120].first - 0.9, ref.positions[120].second));
  plant(161, Fix(0, 0.0, 0.0));
  plant(201, Fix(start + 190 * 7200 + 35, -34.5, 151.9), true);
  SeasonSummary s;
  ASSERT_TRUE(SummarizeSeason(ImageWith(TwoHourly(), fixes), {}, &s));
  EXPECT_EQ(s.quality.text(), "4 flagged: 1 bad check, 1 no position, 1 time, 1 speed");
  EXPECT_EQ(s.fixes, static_cast<int>(fixes.size()) - 1);
  EXPECT_NEAR(s.distanceKm, ref.distanceKm, ref.distanceKm * 0.005);
  EXPECT_NEAR(s.mcp100Km2, ref.mcp100Km2, ref.mcp100Km2 * 0.01);
  EXPECT_NEAR(s.mcp95Km2, ref.mcp95Km2, ref.mcp95Km2 * 0.01);
}

TEST(SeasonSummary, EmptyHeaderlessForeignAndCutShortFiles) {
  SeasonSummary s;
  std::string error;
  EXPECT_FALSE(SummarizeSeason(std::vector<uint8_t>(10, 0), {}, &s, &error));
  EXPECT_NE(error.find("64-byte header"), std::string::npos);
  // Text, and random bytes.
  const std::string text = "# Zelkor\n\nZelkor is the desktop companion of a GPS wildlife-tracking collar. "
                           "Plug a collar into a serial port and use Zelkor to offload the fixes.\n";
  EXPECT_FALSE(SummarizeSeason(std::vector<uint8_t>(text.begin(), text.end()), {}, &s, &error));
  EXPECT_NE(error.find("data pointer"), std::string::npos) << error;
  std::mt19937 rng(5);
  for (int round = 0; round < 50; ++round) {
    std::vector<uint8_t> noise(64 + 32 * 300);
    for (uint8_t& b : noise) b = static_cast<uint8_t>(rng());
    noise[1] = 0;  // a data pointer that fits the memory, so the blocks are looked at
    noise[2] = 0x26;
    noise[3] = 0x00;
    EXPECT_FALSE(SummarizeSeason(noise, {}, &s, &error)) << "round " << round;
  }
  EXPECT_NE(error.find("blocks hold a real date"), std::string::npos) << error;
  // A file cut after 29 of its 300 blocks is read, and says so.
  std::vector<uint8_t> cut = ImageWith(TwoHourly(), Walk(Utc(2026, 6, 1, 0), 300));
  cut.resize(64 + 29 * 32 + 17);
  ASSERT_TRUE(SummarizeSeason(cut, {}, &s, &error)) << error;
  EXPECT_EQ(s.blocks, 29);
  EXPECT_EQ(s.truncation, "the file ends after 29 of the 300 blocks its header announces");
  EXPECT_NE(SummaryJson(s).find("\"truncated\": \"the file ends after 29"), std::string::npos);
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
#if defined(ZELKOR_WINDOWS_LEAN) && !defined(ZELKOR_TZDATA_BESIDE_PROGRAM)
  GTEST_SKIP() << "this Windows build has no named time zones";
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
    DecodedFile data;
    ASSERT_TRUE(DecodeGpsFile(image, &data));
    const std::vector<FixQuality> blocks = JudgeFile(data);
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
  ASSERT_EQ(c.fills.size(), 20u) << "a scheduled and an obtained bar for each of the 10 days";
  for (size_t i = 0; i + 2 < c.fills.size(); i += 2)
    EXPECT_LT(c.fills[i].right, c.fills[i + 2].left) << "a gap between day " << i / 2 << " and the next";
  EXPECT_GT(c.fills[0].grey, c.fills[1].grey) << "scheduled pale, obtained dark";
  for (const auto& t : c.texts) {
    EXPECT_GE(t.x, 0) << t.text;
    EXPECT_LE(t.x + 10 * static_cast<int>(t.text.size()), c.pageWidth()) << t.text;
    EXPECT_LE(t.y + 20, c.pageHeight()) << t.text;
  }
}

TEST(SeasonMapPage, OffByDefaultAndTheMapKeepsItsShapeWithinTheMargins) {
  PrintInputs in;
  EXPECT_FALSE(in.options.seasonMap) << "off by default";
  in.options.collarConfig = in.options.transmitterCalendar = in.options.auxCalendar = false;
  in.options.seasonMap = true;
  testing::RecordingCanvas none;
  EXPECT_EQ(RunPrintJob(none, in), 0) << "no map to print";
  CanvasImage map;
  map.width = 400;
  map.height = 300;
  map.rgba.assign(400 * 300 * 4, 128);
  in.seasonMap = map;
  in.seasonMapCollar = 4711;
  testing::RecordingCanvas c;
  EXPECT_EQ(RunPrintJob(c, in), 1);
  EXPECT_NE(c.find("Season Map, Collar 4711"), nullptr);
  ASSERT_EQ(c.images.size(), 1u);
  const auto& p = c.images[0];
  EXPECT_GE(p.left, c.dpiX() / 2);
  EXPECT_LE(p.right, c.pageWidth() - c.dpiX() / 2);
  EXPECT_LT(p.bottom, c.pageHeight());
  EXPECT_NEAR(static_cast<double>(p.right - p.left) / (p.bottom - p.top), 4.0 / 3.0, 0.01);
}

}  // namespace
}  // namespace zelkor
