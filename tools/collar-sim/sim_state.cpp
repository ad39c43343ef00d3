#include "sim_state.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <random>

#include "calendar/calendar_model.h"
#include "config/collar_config.h"
#include "config/sample_config.h"
#include "gpsdata/gps_block_encode.h"
#include "gpsdata/gps_fix.h"
#include "util/atomic_file.h"
#include "util/endian.h"

namespace collarsim {

using namespace zelkor;

uint32_t SimState::dataPointer() const { return ReadBe24(&memory[1]); }
void SimState::setDataPointer(uint32_t pointer) { WriteBe24(&memory[1], pointer); }
uint16_t SimState::collarId() const { return ReadBe16(&memory[12]); }

SimState GenerateSeason(const SeasonOptions& o) {
  SimState s;
  const CollarConfigRecord rec = SampleCollarConfig(o.collarId).raw;
  std::copy(rec.begin(), rec.end(), s.memory.begin());
  const uint32_t fixes = std::min<uint32_t>(o.fixes, kMaxGpsBlocks);
  s.setDataPointer(fixes * 32 + 64);

  CollarConfig config;
  DecodeConfig(rec, config);
  int interval = config.primaryRateHours * 60 + config.primaryRateMinutes;
  if (interval <= 0) interval = 120;

  std::mt19937 rng(o.seed);
  std::normal_distribution<double> step(0.0, 1.0);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  // A correlated random walk, pulled back towards the home range.
  double lat = o.startLat, lon = o.startLon;
  double vn = 0, ve = 0;  // metres per fix
  const double metresPerDegLat = 111320.0;
  const double metresPerDegLon = 111320.0 * std::cos(o.startLat * M_PI / 180.0);
  int year = 2026, month = 5, day = 1;
  long minuteOfDay = 0;
  double altitude = std::fabs(o.startLat) > 30 ? 2100 : 300;

  for (uint32_t i = 0; i < fixes; ++i) {
    vn = 0.7 * vn + 180 * step(rng) - 0.02 * (lat - o.startLat) * metresPerDegLat;
    ve = 0.7 * ve + 180 * step(rng) - 0.02 * (lon - o.startLon) * metresPerDegLon;
    lat += vn / metresPerDegLat;
    lon += ve / metresPerDegLon;
    altitude += 15 * step(rng);

    GpsBlockFields f;
    f.year = static_cast<unsigned>(year % 100);
    f.month = static_cast<unsigned>(month);
    f.day = static_cast<unsigned>(day);
    f.hour = static_cast<unsigned>(minuteOfDay / 60);
    f.minute = static_cast<unsigned>(minuteOfDay % 60);
    f.second = static_cast<unsigned>(rng() % 60);
    SplitDegrees(lat, f.latDegrees, f.latMinutes, f.latFraction);
    SplitDegrees(lon, f.lonDegrees, f.lonMinutes, f.lonFraction);
    f.north = lat >= 0;
    f.east = lon >= 0;
    const bool threeD = unit(rng) > 0.12;
    f.statusCode = threeD ? 3 : 2;
    f.altitudeCode = threeD ? AltitudeCode(static_cast<int>(std::lround(altitude))) : 32767;
    const int satellites = 3 + static_cast<int>(rng() % 8);
    uint32_t mask = 0;
    while (__builtin_popcount(mask) < satellites) mask |= 1u << (rng() % 32);
    f.satelliteMask = mask;
    f.goodCheck = unit(rng) >= o.badCheckShare;
    if (o.failedShare > 0 && unit(rng) < o.failedShare) {
      // No position: the collar keeps the time and writes 0,0.
      SplitDegrees(0.0, f.latDegrees, f.latMinutes, f.latFraction);
      SplitDegrees(0.0, f.lonDegrees, f.lonMinutes, f.lonFraction);
      f.north = true;
      f.east = false;
      f.statusCode = 0;
      f.altitudeCode = 32767;
    }
    const int hdop = 8 + static_cast<int>(rng() % 60);  // tenths
    f.bcd15 = static_cast<uint8_t>(((hdop / 100) << 4) | (hdop / 10 % 10));
    f.bcd15Tenths = static_cast<unsigned>(hdop % 10);
    f.byte19 = static_cast<uint8_t>(20 + rng() % 100);
    f.word20 = static_cast<uint16_t>(i + 1);
    const double temperature = 12 + 8 * std::sin(minuteOfDay * M_PI / 720.0) + step(rng);
    f.whole22 = static_cast<int8_t>(std::floor(temperature));
    f.sixteenths23 = static_cast<unsigned>((temperature - std::floor(temperature)) * 16) & 15;
    const int voltage = 360 - static_cast<int>(i * 40 / std::max<uint32_t>(1, fixes));
    f.bcd25 = static_cast<uint8_t>(((voltage / 100) << 4) | (voltage / 10 % 10));
    f.bcd26Units = static_cast<unsigned>(voltage % 10);
    f.byte27 = static_cast<uint8_t>(rng() % 90);
    const GpsBlock b = EncodeGpsBlock(f);
    std::copy(b.begin(), b.end(), s.memory.begin() + 64 + i * 32);

    minuteOfDay += interval;
    while (minuteOfDay >= 1440) {
      minuteOfDay -= 1440;
      if (++day > calendar::DaysIn(month, year)) {
        day = 1;
        if (++month > 12) {
          month = 1;
          ++year;
        }
      }
    }
  }
  return s;
}

bool LoadState(const std::string& path, SimState& state, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read " + path;
    return false;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 64 || bytes.size() > kMemorySize) {
    *error = path + " is not a collar state file (" + std::to_string(bytes.size()) + " bytes)";
    return false;
  }
  bytes.resize(kMemorySize, 0xFF);
  state.memory = std::move(bytes);
  return true;
}

bool SaveState(const std::string& path, const SimState& state) {
  return WriteFileAtomically(path, std::string(state.memory.begin(), state.memory.end())) == AtomicWrite::Ok;
}

}  // namespace collarsim
