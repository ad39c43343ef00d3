// Named zones in the Windows build, from the IANA text data shipped beside
// the program, against tests/data/reference/zones.txt (made from the
// system's compiled zoneinfo by make_references.py): the same offsets,
// years after 2037 included.
#include <gtest/gtest.h>

#include <cstdio>

#include "gpsdata/fix_time.h"
#include "gpsdata/named_zone.h"
#include "support/references.h"

namespace zelkor {
namespace {

int64_t Seconds(const std::string& iso) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  std::sscanf(iso.c_str(), "%d-%d-%dT%d:%d:%d", &y, &mo, &d, &h, &mi, &s);
  return DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
}

TEST(WindowsNamedZones, OffsetsMatchTheZoneinfoReferencesTo2099) {
#ifndef ZELKOR_TZDATA_BESIDE_PROGRAM
  GTEST_SKIP() << "this Windows build has no named time zones";
#else
  const auto references = testing::ReferenceLocalTimes();
  ASSERT_GT(references.size(), 20u);
  int after2037 = 0;
  for (const auto& r : references) {
    std::string error;
    const auto zone = NamedZone::Find(r.zone, &error);
    ASSERT_TRUE(zone) << r.zone << ": " << error;
    EXPECT_EQ(zone->offsetMinutesAt(Seconds(r.utc)), r.offsetMinutes) << r.zone << " at " << r.utc;
    after2037 += r.utc > "2038";
  }
  EXPECT_GT(after2037, 0) << "the references reach past 2037";
#endif
}

}  // namespace
}  // namespace zelkor
