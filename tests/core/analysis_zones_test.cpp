// Named time zones in the CSV: each row's local time must equal what an
// independent implementation (the C library's localtime_r over the same
// zone) says for that instant, on both sides of every daylight-saving
// change, and the footer names the zone and its abbreviations.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sstream>

#include "gpsdata/fix_time.h"
#include "gpsdata/named_zone.h"
#include "gpsdata/translate.h"
#include "support/gps_image.h"
#include "support/references.h"
#include "util/text.h"

namespace zelkor {
namespace {

// The C library's local time for a UTC instant in a zone.
std::string LibcLocal(const std::string& zone, int64_t utc) {
  const char* old = std::getenv("TZ");
  const std::string saved = old ? old : "";
  setenv("TZ", zone.c_str(), 1);
  tzset();
  const time_t t = static_cast<time_t>(utc);
  struct tm local {};
  localtime_r(&t, &local);
  if (old) setenv("TZ", saved.c_str(), 1); else unsetenv("TZ");
  tzset();
  return Format("%d,%d,%d,%02d,%02d,%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                local.tm_min, local.tm_sec);
}

GpsBlockFields FixAtUtc(int64_t utc) {
  int y, mo, d;
  CivilFromDays(utc / 86400, &y, &mo, &d);
  const int rest = static_cast<int>(utc % 86400);
  return testing::FixAt(y - 2000, mo, d, rest / 3600, rest % 3600 / 60, rest % 60, 40.5, true, 105.25, false);
}

int64_t Utc(int y, int mo, int d, int h, int mi, int s) { return DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s; }

// The first six fields of each row, and the footer.
struct Rows {
  std::vector<std::string> times;
  std::string footer;
};
Rows Translate(const std::vector<int64_t>& instants, const std::string& zone) {
  std::vector<GpsBlockFields> fixes;
  for (int64_t t : instants) fixes.push_back(FixAtUtc(t));
  std::string error;
  const auto named = NamedZone::Find(zone, &error);
  EXPECT_TRUE(named) << error;
  const Translation t = TranslateGpsImage(testing::GpsImage(fixes), OutputForm::LatLon, ZoneChoice::Named(*named));
  Rows rows;
  std::istringstream in(t.csv);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (std::isdigit(static_cast<unsigned char>(line[0])) && line.find(',') != std::string::npos &&
        line.find("blocks translated") == std::string::npos) {
      std::vector<std::string> f;
      std::stringstream ss(line);
      for (std::string cell; std::getline(ss, cell, ',') && f.size() < 6;) f.push_back(cell);
      rows.times.push_back(Format("%d,%d,%d,%s,%s,%s", std::atoi(f[0].c_str()), std::atoi(f[1].c_str()),
                                  std::atoi(f[2].c_str()), f[3].c_str(), f[4].c_str(), f[5].c_str()));
    } else {
      rows.footer = line;
    }
  }
  return rows;
}

void ExpectLikeTheCLibrary(const std::string& zone, const std::vector<int64_t>& instants) {
  const Rows rows = Translate(instants, zone);
  ASSERT_EQ(rows.times.size(), instants.size()) << zone;
  for (size_t i = 0; i < instants.size(); ++i)
    EXPECT_EQ(rows.times[i], LibcLocal(zone, instants[i])) << zone << " at " << IsoUtcSeconds(instants[i]);
}

TEST(NamedZones, DenverOnBothSidesOfBothChangesOf2026) {
  // Clocks go forward at 2:00 MST on 8 March (09:00 UTC) and back at 2:00
  // MDT on 1 November (08:00 UTC).
  const std::vector<int64_t> instants = {
      Utc(2026, 3, 8, 8, 59, 59), Utc(2026, 3, 8, 9, 0, 0), Utc(2026, 3, 8, 9, 30, 0),
      Utc(2026, 11, 1, 7, 59, 59), Utc(2026, 11, 1, 8, 0, 0), Utc(2026, 11, 1, 8, 30, 0),
      Utc(2026, 1, 1, 3, 0, 0),  // the year rolls back to 2025 in local time
  };
  ExpectLikeTheCLibrary("America/Denver", instants);
  const Rows rows = Translate(instants, "America/Denver");
  EXPECT_EQ(rows.times[0], "2026,3,8,01,59,59");
  EXPECT_EQ(rows.times[1], "2026,3,8,03,00,00") << "the fix exactly at the change is already in summer time";
  EXPECT_EQ(rows.times[3], "2026,11,1,01,59,59");
  EXPECT_EQ(rows.times[4], "2026,11,1,01,00,00") << "the hour after the change back repeats";
  EXPECT_EQ(rows.footer, "America/Denver (MST/MDT)");
}

TEST(NamedZones, AdelaideHalfHourAndSouthernSummer) {
  // Summer time ends at 3:00 ACDT on 5 April 2026 (16:30 UTC on 4 April)
  // and starts at 2:00 ACST on 4 October 2026 (16:30 UTC on 3 October).
  ExpectLikeTheCLibrary("Australia/Adelaide",
                        {Utc(2026, 4, 4, 16, 29, 59), Utc(2026, 4, 4, 16, 30, 0), Utc(2026, 10, 3, 16, 29, 59),
                         Utc(2026, 10, 3, 16, 30, 0), Utc(2026, 1, 31, 14, 0, 0)});
  const Rows rows = Translate({Utc(2026, 4, 4, 16, 30, 0), Utc(2026, 1, 31, 14, 0, 0)}, "Australia/Adelaide");
  EXPECT_EQ(rows.times[0], "2026,4,5,02,00,00") << "at the change: 16:30 UTC + 9:30";
  EXPECT_EQ(rows.times[1], "2026,2,1,00,30,00") << "a day and month rollover by +10:30";
  EXPECT_EQ(rows.footer, "Australia/Adelaide (ACDT/ACST)");
}

TEST(NamedZones, KathmanduQuarterHourAcrossTheNewYear) {
  const std::vector<int64_t> instants = {Utc(2026, 12, 31, 18, 15, 0), Utc(2026, 12, 31, 18, 14, 59),
                                         Utc(2026, 6, 30, 20, 0, 0)};
  ExpectLikeTheCLibrary("Asia/Kathmandu", instants);
  const Rows rows = Translate(instants, "Asia/Kathmandu");
  EXPECT_EQ(rows.times[0], "2027,1,1,00,00,00");
  EXPECT_EQ(rows.times[2], "2026,7,1,01,45,00");
}

// After 2037 the zone files list no more changes; the rule at their end
// takes over. Every zone of the database, sampled every 13 days and an hour
// from 2030 to 2099: the offset and abbreviation of each instant, and the
// way back from its local time, as the C library's localtime_r has them.
TEST(NamedZones, EveryZoneAgreesWithTheCLibraryFrom2030To2099) {
  const std::string saved = std::getenv("TZ") ? std::getenv("TZ") : "";
  const bool had = std::getenv("TZ") != nullptr;
  int zones = 0, mismatches = 0;
  for (const std::string& name : NamedZone::Names()) {
    const auto zone = NamedZone::Find(name, nullptr);
    ASSERT_TRUE(zone) << name;
    setenv("TZ", (":" + name).c_str(), 1);
    tzset();
    ++zones;
    for (int64_t t = Utc(2030, 1, 1, 0, 0, 0); t < Utc(2100, 1, 1, 0, 0, 0); t += 13 * 86400 + 3607) {
      const time_t instant = static_cast<time_t>(t);
      struct tm local {};
      localtime_r(&instant, &local);
      const bool same = zone->offsetMinutesAt(t) * 60 == local.tm_gmtoff && zone->abbreviationAt(t) == local.tm_zone;
      const int64_t back = zone->utcFromLocal(t + local.tm_gmtoff);
      const time_t backInstant = static_cast<time_t>(back);
      struct tm again {};
      localtime_r(&backInstant, &again);
      const bool roundTrip = back == t || back + again.tm_gmtoff == t + local.tm_gmtoff;
      if ((!same || !roundTrip) && ++mismatches <= 5)
        ADD_FAILURE() << name << " at " << IsoUtcSeconds(t) << ": " << zone->offsetMinutesAt(t) << " min "
                      << zone->abbreviationAt(t) << ", the C library " << local.tm_gmtoff / 60 << " min "
                      << local.tm_zone << (roundTrip ? "" : "; local time does not lead back");
    }
  }
  if (had) setenv("TZ", saved.c_str(), 1); else unsetenv("TZ");
  tzset();
  EXPECT_GT(zones, 300);
  EXPECT_EQ(mismatches, 0);
}

// The CSV's local times in 2040, 2061 and 2099, north and south, as
// Python's zoneinfo gives them (tests/data/reference/zones.txt).
TEST(NamedZones, TranslationsTo2099MatchTheZoneDatabase) {
  const auto samples = testing::ReferenceLocalTimes();
  ASSERT_GE(samples.size(), 60u);
  for (const auto& r : samples) {
    int y, mo, d, h, mi, sec;
    ASSERT_EQ(std::sscanf(r.utc.c_str(), "%d-%d-%dT%d:%d:%d", &y, &mo, &d, &h, &mi, &sec), 6);
    const Rows rows = Translate({Utc(y, mo, d, h, mi, sec)}, r.zone);
    ASSERT_EQ(rows.times.size(), 1u);
    ASSERT_EQ(std::sscanf(r.local.c_str(), "%d-%d-%dT%d:%d:%d", &y, &mo, &d, &h, &mi, &sec), 6);
    EXPECT_EQ(rows.times[0], Format("%d,%d,%d,%02d,%02d,%02d", y, mo, d, h, mi, sec)) << r.zone << " " << r.utc;
    EXPECT_NE(rows.footer.find(r.abbreviation), std::string::npos) << r.zone << ": " << rows.footer;
  }
}

TEST(Translation, TheLastHoursOf2099ShiftIntoTheYear2100) {
  const Rows named = Translate({Utc(2099, 12, 31, 23, 30, 0)}, "Europe/Moscow");
  EXPECT_EQ(named.times[0], "2100,1,1,02,30,00");
  GpsBlockFields f = FixAtUtc(Utc(2099, 12, 31, 22, 0, 0));
  const std::string row = FormatCsvRow(DecodeGpsBlock(EncodeGpsBlock(f).data()), OutputForm::LatLon, ShiftHours(3));
  EXPECT_EQ(row.substr(0, 20), "2100,1,1,01,00,00,40") << "not 20100";
  EXPECT_EQ(FormatCsvRowWithPrintf(DecodeGpsBlock(EncodeGpsBlock(f).data()), OutputForm::LatLon, ShiftHours(3)), row);
}

TEST(NamedZones, UnknownNamesSayHowToFindValidOnes) {
  std::string error;
  EXPECT_FALSE(NamedZone::Find("Mars/Olympus_Mons", &error));
  EXPECT_NE(error.find("\"Mars/Olympus_Mons\" is not a time zone"), std::string::npos) << error;
  EXPECT_NE(error.find("zelkor-cli zones"), std::string::npos) << error;
  const auto names = NamedZone::Names();
  EXPECT_NE(std::find(names.begin(), names.end(), "America/Denver"), names.end());
  EXPECT_EQ(ZoneNameOfLabel("America/Denver (MST/MDT)"), "America/Denver");
  EXPECT_EQ(ZoneNameOfLabel("(GMT -07:00) Arizona"), "");
}

TEST(NamedZones, LocalTimesGoBackToUtcEvenInTheRepeatedHour) {
  std::string error;
  const auto denver = NamedZone::Find("America/Denver", &error);
  ASSERT_TRUE(denver);
  const int64_t first = Utc(2026, 11, 1, 7, 30, 0), second = Utc(2026, 11, 1, 8, 30, 0);
  const int64_t local = Utc(2026, 11, 1, 1, 30, 0);  // both instants read 01:30 locally
  EXPECT_EQ(denver->utcFromLocal(local), first);
  EXPECT_EQ(denver->utcFromLocal(local, first + 1), second) << "a later row takes the second 01:30";
  EXPECT_EQ(denver->utcFromLocal(Utc(2026, 7, 1, 12, 0, 0)), Utc(2026, 7, 1, 18, 0, 0));
}

}  // namespace
}  // namespace zelkor
