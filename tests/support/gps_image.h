// Builds GPS data file images for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gpsdata/gps_block_encode.h"
#include "util/endian.h"

namespace zelkor::testing {

inline std::vector<uint8_t> GpsImage(const std::vector<GpsBlockFields>& blocks, uint16_t collarId = 1234,
                                     int pointerBlocks = -1) {
  std::vector<uint8_t> image(64, 0);
  const uint32_t n = pointerBlocks < 0 ? static_cast<uint32_t>(blocks.size()) : static_cast<uint32_t>(pointerBlocks);
  WriteBe24(&image[1], n * 32 + 64);
  WriteBe16(&image[12], collarId);
  for (const auto& f : blocks) {
    const GpsBlock b = EncodeGpsBlock(f);
    image.insert(image.end(), b.begin(), b.end());
  }
  return image;
}

inline GpsBlockFields FixAt(int year, int month, int day, int hour, int minute, int second, double lat,
                            bool north, double lon, bool east) {
  GpsBlockFields f;
  f.year = static_cast<unsigned>(year);
  f.month = static_cast<unsigned>(month);
  f.day = static_cast<unsigned>(day);
  f.hour = static_cast<unsigned>(hour);
  f.minute = static_cast<unsigned>(minute);
  f.second = static_cast<unsigned>(second);
  SplitDegrees(lat, f.latDegrees, f.latMinutes, f.latFraction);
  SplitDegrees(lon, f.lonDegrees, f.lonMinutes, f.lonFraction);
  f.north = north;
  f.east = east;
  f.satelliteMask = 0x8A100000u;
  f.altitudeCode = 201 + 1650;
  f.statusCode = 1;
  return f;
}

}  // namespace zelkor::testing
