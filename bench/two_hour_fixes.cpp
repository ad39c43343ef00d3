#include "two_hour_fixes.h"

#include <cmath>

#include "gpsdata/fix_time.h"
#include "gpsdata/gps_block_encode.h"

namespace zelkor::bench {

void AppendTwoHourFixes(std::vector<uint8_t>* image, int64_t start, int offsetSeconds) {
  for (uint32_t i = 0; i < kMaxGpsBlocks; ++i) {
    const int64_t t = start + i * 7200 + offsetSeconds;
    int y, mo, d;
    CivilFromDays(t / 86400, &y, &mo, &d);
    GpsBlockFields f;
    f.year = static_cast<unsigned>(y - 2000);
    f.month = static_cast<unsigned>(mo);
    f.day = static_cast<unsigned>(d);
    f.hour = static_cast<unsigned>(t % 86400 / 3600);
    f.minute = static_cast<unsigned>(t % 3600 / 60);
    f.second = static_cast<unsigned>(t % 60);
    SplitDegrees(45 + 0.01 * std::sin(i * 0.01), f.latDegrees, f.latMinutes, f.latFraction);
    SplitDegrees(110 + 0.01 * std::cos(i * 0.01), f.lonDegrees, f.lonMinutes, f.lonFraction);
    f.north = true;
    f.east = false;
    f.statusCode = 3;
    f.altitudeCode = 2000;
    f.satelliteMask = 0x8A100000u;
    const auto b = EncodeGpsBlock(f);
    image->insert(image->end(), b.begin(), b.end());
  }
}

}  // namespace zelkor::bench
