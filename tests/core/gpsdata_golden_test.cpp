// Whole-file comparisons of translations against files kept in tests/data.
// Set ZELKOR_UPDATE_GOLDEN=1 to rewrite them on purpose after a deliberate
// change, and review the difference before committing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "gpsdata/translate.h"
#include "support/gps_image.h"
#include "support/temp_dir.h"

namespace zelkor {
namespace {

using testing::FixAt;
using testing::GpsImage;

const std::string kDir = std::string(ZELKOR_TEST_DATA) + "/gps/";

bool Updating() { return std::getenv("ZELKOR_UPDATE_GOLDEN") != nullptr; }

// An animal wandering near a start point, one fix every two hours.
std::vector<GpsBlockFields> Track(double lat0, bool north, double lon0, bool east, int count, unsigned seed) {
  std::vector<GpsBlockFields> out;
  uint32_t s = seed;
  auto next = [&s] {
    s = s * 1103515245u + 12345u;
    return (s >> 16) & 0x7FFF;
  };
  double lat = lat0, lon = lon0;
  int day = 27, month = 6, hour = 0;
  for (int i = 0; i < count; ++i) {
    lat += (static_cast<int>(next() % 200) - 100) * 0.00002;
    lon += (static_cast<int>(next() % 200) - 100) * 0.00002;
    GpsBlockFields f = FixAt(6, month, day, hour, static_cast<int>(next() % 3), static_cast<int>(next() % 60),
                             lat, north, lon, east);
    f.altitudeCode = AltitudeCode(1800 + static_cast<int>(next() % 120));
    if (i % 9 == 4) f.altitudeCode = 32767;
    uint32_t mask = 0;
    for (int k = 0; k < 4 + static_cast<int>(next() % 6); ++k) mask |= 1u << (next() % 32);
    f.satelliteMask = mask;
    f.statusCode = next() % 4;
    f.bcd15 = static_cast<uint8_t>(((next() % 10) << 4) | (next() % 10));
    f.bcd15Tenths = next() % 10;
    f.byte19 = static_cast<uint8_t>(next());
    f.word20 = static_cast<uint16_t>(next());
    f.whole22 = static_cast<int8_t>(static_cast<int>(next() % 40) - 20);
    f.sixteenths23 = next() % 16;
    f.bcd25 = static_cast<uint8_t>(((next() % 10) << 4) | (next() % 10));
    f.bcd26Units = next() % 10;
    f.byte27 = static_cast<uint8_t>(next());
    out.push_back(f);
    hour += 2;
    if (hour >= 24) {
      hour -= 24;
      if (++day > 30) {
        day = 1;
        ++month;
      }
    }
  }
  return out;
}

std::vector<GpsBlockFields> EdgeCases() {
  std::vector<GpsBlockFields> v;
  auto bad = FixAt(6, 7, 5, 9, 3, 7, 40, true, 105, false);
  bad.goodCheck = false;
  v.push_back(bad);
  auto noAlt = FixAt(6, 7, 5, 10, 3, 7, 40, true, 105, false);
  noAlt.altitudeCode = 32767;
  v.push_back(noAlt);
  auto allSats = FixAt(6, 7, 5, 11, 3, 7, 40, true, 105, false);
  allSats.satelliteMask = 0xFFFFFFFFu;
  v.push_back(allSats);
  v.push_back(FixAt(6, 4, 30, 23, 59, 59, 40, true, 105, false));   // month end
  v.push_back(FixAt(6, 12, 31, 22, 0, 0, 40, true, 105, false));    // year end
  v.push_back(FixAt(8, 3, 1, 3, 15, 0, 40, true, 105, false));       // leap February
  v.push_back(FixAt(7, 3, 1, 3, 15, 0, 40, true, 105, false));       // common February
  v.push_back(FixAt(0, 2, 28, 23, 0, 0, 40, true, 105, false));      // 2000 is leap
  v.push_back(FixAt(0, 1, 1, 1, 0, 0, 40, true, 105, false));        // back into 1999
  auto odd = FixAt(6, 7, 5, 12, 3, 7, 40, true, 105, false);
  odd.latMinutes = 63;
  odd.latFraction = 16383;
  odd.lonMinutes = 61;
  odd.lonFraction = 12000;
  odd.hour = 31;
  odd.month = 15;
  odd.day = 0;
  v.push_back(odd);
  v.push_back(FixAt(6, 7, 5, 13, 0, 0, 33.9, false, 151.2, true));
  v.push_back(FixAt(6, 7, 5, 14, 0, 0, 0, true, 0, false));
  return v;
}

struct Golden {
  std::string input;
  std::vector<uint8_t> image;
};

std::vector<Golden> Inputs() {
  std::vector<Golden> g;
  g.push_back({"north_track", GpsImage(Track(40.0, true, 105.5, false, 60, 7), 4711)});
  g.push_back({"south_east_track", GpsImage(Track(33.9, false, 151.2, true, 40, 99), 815)});
  g.push_back({"edge_cases", GpsImage(EdgeCases(), 1)});
  auto truncated = GpsImage(Track(40.0, true, 105.5, false, 6, 3), 2, 20);
  truncated.resize(truncated.size() - 17);
  g.push_back({"truncated", truncated});
  return g;
}

struct Case {
  std::string input;
  OutputForm form;
  int offset;
  std::string trailer;
  TranslateResult expected;
};

std::string OutputName(const Case& c) {
  return c.input + (c.form == OutputForm::Utm ? "_utm" : "_latlon") + "_" +
         (c.offset < 0 ? "m" + std::to_string(-c.offset) : "p" + std::to_string(c.offset)) + ".csv";
}

const std::vector<Case> kCases = {
    {"north_track", OutputForm::LatLon, -7, "(GMT -07:00) Mountain Time (US & Canada)", TranslateResult::Ok},
    {"north_track", OutputForm::Utm, -7, "(GMT -07:00) Mountain Time (US & Canada)", TranslateResult::Ok},
    {"north_track", OutputForm::LatLon, 0, "(GMT) Universal Time Coordinated (UTC)", TranslateResult::Ok},
    {"south_east_track", OutputForm::LatLon, 10, "(GMT +10:00) Canberra, Melbourne, Sydney", TranslateResult::Ok},
    {"south_east_track", OutputForm::Utm, 10, "(GMT +10:00) Canberra, Melbourne, Sydney", TranslateResult::Ok},
    {"edge_cases", OutputForm::LatLon, -7, "(GMT -07:00) Arizona", TranslateResult::ChecksumMismatch},
    {"edge_cases", OutputForm::LatLon, 3, "(GMT +03:00) Moscow, St. Petersburg", TranslateResult::ChecksumMismatch},
    {"edge_cases", OutputForm::Utm, 1, "(GMT +01:00) Warsaw", TranslateResult::ChecksumMismatch},
    {"truncated", OutputForm::LatLon, -5, "(GMT -05:00) Bogota, Lima", TranslateResult::Ok},
};

TEST(GoldenTranslation, InputsAreStable) {
  for (const Golden& g : Inputs()) {
    const std::string path = kDir + g.input + ".gps";
    if (Updating()) {
      std::filesystem::create_directories(kDir);
      std::ofstream(path, std::ios::binary)
          .write(reinterpret_cast<const char*>(g.image.data()), static_cast<std::streamsize>(g.image.size()));
    }
    const std::string onDisk = testing::TempDir::ReadFile(path);
    EXPECT_EQ(onDisk, std::string(g.image.begin(), g.image.end())) << path << " differs from its generator";
  }
}

TEST(GoldenTranslation, EveryCaseMatchesItsFileWhole) {
  testing::TempDir tmp;
  for (const Case& c : kCases) {
    const std::string out = tmp.file(OutputName(c));
    EXPECT_EQ(TranslateGpsData(kDir + c.input + ".gps", out, c.form, ShiftHours(c.offset), c.trailer), c.expected)
        << OutputName(c);
    const std::string expectedPath = kDir + OutputName(c);
    if (Updating()) std::filesystem::copy_file(out, expectedPath, std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(testing::TempDir::ReadFile(out), testing::TempDir::ReadFile(expectedPath)) << OutputName(c);
  }
}

}  // namespace
}  // namespace zelkor
