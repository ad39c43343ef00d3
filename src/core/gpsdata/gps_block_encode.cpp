#include "gpsdata/gps_block_encode.h"

#include <cmath>

#include "util/endian.h"

namespace zelkor {

GpsBlock EncodeGpsBlock(const GpsBlockFields& f) {
  GpsBlock b{};
  WriteBits(b.data(), 0, 5, f.hour);
  WriteBits(b.data(), 5, 6, f.minute);
  WriteBits(b.data(), 11, 7, f.latDegrees);
  WriteBits(b.data(), 18, 6, f.latMinutes);
  WriteBits(b.data(), 24, 14, f.latFraction);
  WriteBits(b.data(), 38, 8, f.lonDegrees);
  WriteBits(b.data(), 46, 6, f.lonMinutes);
  WriteBits(b.data(), 52, 14, f.lonFraction);
  WriteBits(b.data(), 66, 5, f.day);
  WriteBits(b.data(), 71, 4, f.month);
  WriteBits(b.data(), 77, 3, (f.altitudeCode >> 12) & 7);
  b[10] = static_cast<uint8_t>(f.satelliteMask >> 24);
  b[11] = static_cast<uint8_t>(f.satelliteMask >> 16);
  b[12] = static_cast<uint8_t>(f.satelliteMask >> 8);
  b[13] = static_cast<uint8_t>(f.satelliteMask);
  const uint8_t sum = static_cast<uint8_t>(b[10] + b[11] + b[12] + b[13]);
  b[14] = f.goodCheck ? sum : static_cast<uint8_t>(sum + 1);
  b[15] = f.bcd15;
  b[16] = static_cast<uint8_t>(((f.bcd15Tenths & 0x0F) << 4) | ((f.altitudeCode >> 8) & 0x0F));
  b[17] = static_cast<uint8_t>(f.altitudeCode & 0xFF);
  b[18] = static_cast<uint8_t>(f.second);
  b[19] = f.byte19;
  b[20] = static_cast<uint8_t>(f.word20 >> 8);
  b[21] = static_cast<uint8_t>(f.word20);
  b[22] = static_cast<uint8_t>(f.whole22);
  b[23] = static_cast<uint8_t>((f.sixteenths23 & 0x0F) << 4);
  b[24] = static_cast<uint8_t>(f.year);
  b[25] = f.bcd25;
  b[26] = static_cast<uint8_t>((f.bcd26Units & 0x0F) << 4);
  b[27] = f.byte27;
  b[28] = static_cast<uint8_t>((f.north ? 0x80 : 0) | (f.east ? 0x40 : 0) | (f.statusCode & 3));
  return b;
}

void SplitDegrees(double magnitude, unsigned& degrees, unsigned& minutes, unsigned& fraction) {
  // Work in ten-thousandths of a minute so that rounding never yields 60'.
  const auto total = static_cast<unsigned long long>(std::llround(std::fabs(magnitude) * 600000.0));
  degrees = static_cast<unsigned>(total / 600000);
  minutes = static_cast<unsigned>((total / 10000) % 60);
  fraction = static_cast<unsigned>(total % 10000);
}

unsigned AltitudeCode(int metres) {
  if (metres >= 0) return static_cast<unsigned>(metres + 201 > 32766 ? 32766 : metres + 201);
  return static_cast<unsigned>(-metres > 200 ? 200 : -metres);
}

}  // namespace zelkor
