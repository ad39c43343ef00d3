// Building 32-byte GPS data blocks, the way the collar stores its fixes.
// Used by the simulated collar and by tests.
#pragma once

#include <array>
#include <cstdint>

namespace zelkor {

// Every field as the collar stores it, before any interpretation.
struct GpsBlockFields {
  unsigned hour = 0, minute = 0, second = 0;
  unsigned day = 1, month = 1, year = 0;  // two-digit year
  unsigned latDegrees = 0, latMinutes = 0, latFraction = 0;  // fraction: 1/10000 minute
  unsigned lonDegrees = 0, lonMinutes = 0, lonFraction = 0;
  bool north = true, east = false;
  unsigned statusCode = 0;
  unsigned altitudeCode = 201;  // 15 bits; 201 = 0 m, 32767 = none
  uint32_t satelliteMask = 0;
  bool goodCheck = true;        // false stores a check byte one off
  uint8_t bcd15 = 0;            // two BCD digits
  unsigned bcd15Tenths = 0;     // 0-15
  uint8_t byte19 = 0;
  uint16_t word20 = 0;
  int8_t whole22 = 0;
  unsigned sixteenths23 = 0;  // 0-15
  uint8_t bcd25 = 0;          // hundreds and tens digits
  unsigned bcd26Units = 0;    // 0-15
  uint8_t byte27 = 0;
};

using GpsBlock = std::array<uint8_t, 32>;

GpsBlock EncodeGpsBlock(const GpsBlockFields& f);

// Splits decimal degrees into whole degrees, minutes and ten-thousandths.
void SplitDegrees(double magnitude, unsigned& degrees, unsigned& minutes, unsigned& fraction);

// Altitude in metres to the collar's 15-bit code.
unsigned AltitudeCode(int metres);

}  // namespace zelkor
