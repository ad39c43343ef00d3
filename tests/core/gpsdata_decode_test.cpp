#include <gtest/gtest.h>

#include "gpsdata/gps_block_encode.h"
#include "gpsdata/gps_fix.h"

namespace zelkor {
namespace {

TEST(GpsBlockDecode, FieldsComeBackFromTheirBitPositions) {
  GpsBlockFields f;
  f.hour = 23;
  f.minute = 59;
  f.latDegrees = 45;
  f.latMinutes = 30;
  f.latFraction = 0;
  f.lonDegrees = 7;
  f.lonMinutes = 0;
  f.lonFraction = 5000;
  f.day = 31;
  f.month = 12;
  f.year = 6;
  f.second = 58;
  f.altitudeCode = 0x5ABC;
  f.bcd15 = 0x42;
  f.bcd15Tenths = 13;
  f.byte19 = 19;
  f.word20 = 0xBEEF;
  f.bcd25 = 0x98;
  f.bcd26Units = 7;
  f.byte27 = 200;
  f.north = true;
  f.east = true;
  f.statusCode = 3;
  const GpsBlock b = EncodeGpsBlock(f);
  const GpsFix fix = DecodeGpsBlock(b.data());
  EXPECT_EQ(fix.hour, 23);
  EXPECT_EQ(fix.minute, 59);
  EXPECT_DOUBLE_EQ(fix.latitude, 45.5);
  EXPECT_DOUBLE_EQ(fix.longitude, 7 + 5000.0 / 10000 / 60);
  EXPECT_EQ(fix.day, 31);
  EXPECT_EQ(fix.month, 12);
  EXPECT_EQ(fix.year, 6);
  EXPECT_EQ(fix.second, 58);
  EXPECT_EQ(fix.altitudeRaw, 0x5ABC);
  EXPECT_EQ(fix.bcd15Whole, 42);
  EXPECT_EQ(fix.bcd15Tenths, 13);
  EXPECT_EQ(fix.byte19, 19u);
  EXPECT_EQ(fix.word20, 0xBEEFu);
  EXPECT_EQ(fix.bcd25, 987);
  EXPECT_EQ(fix.byte27, 200u);
  EXPECT_EQ(fix.northSouth, 'N');
  EXPECT_EQ(fix.eastWest, 'E');
  EXPECT_EQ(fix.statusCode, 3);
  EXPECT_TRUE(fix.checkGood());
}

TEST(GpsBlockDecode, AltitudeCodes) {
  EXPECT_EQ(AltitudeFromCode(0), 0);
  EXPECT_EQ(AltitudeFromCode(1), -1);
  EXPECT_EQ(AltitudeFromCode(200), -200);
  EXPECT_EQ(AltitudeFromCode(201), 0);
  EXPECT_EQ(AltitudeFromCode(202), 1);
  EXPECT_EQ(AltitudeFromCode(32766), 32565);
  GpsBlockFields f;
  f.altitudeCode = 32767;
  EXPECT_FALSE(DecodeGpsBlock(EncodeGpsBlock(f).data()).hasAltitude);
  f.altitudeCode = 32766;
  EXPECT_TRUE(DecodeGpsBlock(EncodeGpsBlock(f).data()).hasAltitude);
}

TEST(GpsBlockDecode, SatelliteSlotsAscendAndStopAtTwelve) {
  GpsBlockFields f;
  f.satelliteMask = 0x88000001u;  // satellites 1, 5 and 32
  GpsFix fix = DecodeGpsBlock(EncodeGpsBlock(f).data());
  EXPECT_EQ(fix.satellites, (std::array<int, 12>{1, 5, 32, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  f.satelliteMask = 0xFFFFFFFFu;
  fix = DecodeGpsBlock(EncodeGpsBlock(f).data());
  EXPECT_EQ(fix.satellites, (std::array<int, 12>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(fix.computedCheck, 252u);
}

TEST(GpsBlockDecode, SignedSixteenthsAndHemisphereByte) {
  GpsBlock b{};
  b[22] = 0xFD;
  b[23] = 0x80;
  b[28] = 0x41;
  const GpsFix fix = DecodeGpsBlock(b.data());
  EXPECT_DOUBLE_EQ(fix.sixteenths22, -2.5);
  EXPECT_EQ(fix.northSouth, 'S');
  EXPECT_EQ(fix.eastWest, 'E');
  EXPECT_EQ(fix.statusCode, 1);
}

TEST(GpsBlockDecode, HeaderBlockCount) {
  uint8_t h[64] = {};
  h[3] = 64;
  EXPECT_EQ(HeaderBlockCount(h), 0u);
  h[3] = 0x60;
  EXPECT_EQ(HeaderBlockCount(h), 1u);
  h[3] = 10;  // below the header: empty, not a wrapped count
  EXPECT_EQ(HeaderBlockCount(h), 0u);
  h[1] = 0x04;
  h[2] = 0x00;
  h[3] = 0x00;  // the whole memory
  EXPECT_EQ(HeaderBlockCount(h), 8190u);
}

TEST(GpsBlockEncode, SplitDegreesNeverRoundsIntoSixtyMinutes) {
  unsigned d, m, fr;
  SplitDegrees(40.99999999, d, m, fr);
  EXPECT_EQ(d, 41u);
  EXPECT_EQ(m, 0u);
  EXPECT_EQ(fr, 0u);
  SplitDegrees(105.5, d, m, fr);
  EXPECT_EQ(d, 105u);
  EXPECT_EQ(m, 30u);
  EXPECT_EQ(fr, 0u);
}

}  // namespace
}  // namespace zelkor
