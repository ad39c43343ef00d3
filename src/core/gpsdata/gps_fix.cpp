#include "gpsdata/gps_fix.h"

#include "util/endian.h"

namespace zelkor {

int AltitudeFromCode(int code) { return code < 201 ? -code : code - 201; }

uint32_t HeaderBlockCount(const uint8_t* header) {
  const uint32_t pointer = ReadBe24(header + 1);
  return pointer < kGpsHeaderSize ? 0 : (pointer - static_cast<uint32_t>(kGpsHeaderSize)) / kGpsBlockSize;
}

namespace {
double Degrees(uint32_t degrees, uint32_t minutes, uint32_t fraction) {
  return degrees + (minutes * 10000.0 + fraction) / 10000.0 / 60.0;
}
}  // namespace

GpsFix DecodeGpsBlock(const uint8_t* b) {
  GpsFix f;
  f.hour = static_cast<int>(ReadBits(b, 0, 5));
  f.minute = static_cast<int>(ReadBits(b, 5, 6));
  f.latitude = Degrees(ReadBits(b, 11, 7), ReadBits(b, 18, 6), ReadBits(b, 24, 14));
  f.longitude = Degrees(ReadBits(b, 38, 8), ReadBits(b, 46, 6), ReadBits(b, 52, 14));
  f.day = static_cast<int>(ReadBits(b, 66, 5));
  f.month = static_cast<int>(ReadBits(b, 71, 4));

  f.altitudeRaw = static_cast<int>((ReadBits(b, 77, 3) << 12) | ((b[16] & 0x0Fu) << 8) | b[17]);
  f.hasAltitude = f.altitudeRaw != kNoAltitudeCode;
  f.altitude = AltitudeFromCode(f.altitudeRaw);

  f.satelliteMask = ReadBe32(b + 10);
  size_t slot = 0;
  for (int bit = 31; bit >= 0 && slot < f.satellites.size(); --bit)
    if ((f.satelliteMask >> bit) & 1u) f.satellites[slot++] = 32 - bit;

  f.computedCheck = (b[10] + b[11] + b[12] + b[13]) & 0xFFu;
  f.storedCheck = b[14];

  f.bcd15Whole = (b[15] >> 4) * 10 + (b[15] & 0x0F);
  f.bcd15Tenths = b[16] >> 4;
  f.second = b[18];
  f.byte19 = b[19];
  f.word20 = ReadBe16(b + 20);
  f.sixteenths22 = static_cast<int8_t>(b[22]) + (b[23] >> 4) / 16.0;
  f.year = b[24];
  f.bcd25 = (b[25] >> 4) * 100 + (b[25] & 0x0F) * 10 + (b[26] >> 4);
  f.byte27 = b[27];
  f.northSouth = (b[28] & 0x80) ? 'N' : 'S';
  f.eastWest = (b[28] & 0x40) ? 'E' : 'W';
  f.statusCode = b[28] & 0x03;
  return f;
}

}  // namespace zelkor
