// One 32-byte block of the collar's data memory, decoded.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zelkor {

constexpr size_t kGpsHeaderSize = 64;
constexpr size_t kGpsBlockSize = 32;
constexpr uint32_t kMaxGpsBlocks = 8190;
constexpr int kNoAltitudeCode = 32767;

struct GpsFix {
  int year = 0;  // two-digit year as stored (6 = 2006)
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  double latitude = 0;   // magnitude, decimal degrees
  double longitude = 0;  // magnitude, decimal degrees
  char northSouth = 'N';
  char eastWest = 'W';
  bool hasAltitude = true;
  int altitude = 0;
  int altitudeRaw = 0;
  int statusCode = 0;
  std::array<int, 12> satellites{};
  uint32_t satelliteMask = 0;
  int bcd15Whole = 0;
  int bcd15Tenths = 0;
  int bcd25 = 0;  // 0-999
  double sixteenths22 = 0;
  unsigned byte19 = 0;
  unsigned word20 = 0;
  unsigned byte27 = 0;
  unsigned computedCheck = 0;
  unsigned storedCheck = 0;
  bool checkGood() const { return computedCheck == storedCheck; }
};

// Decodes one block of kGpsBlockSize bytes.
GpsFix DecodeGpsBlock(const uint8_t* block);

// Number of blocks a header announces: (dataPointer - 64) / 32, and 0 for a
// pointer below 64.
uint32_t HeaderBlockCount(const uint8_t* header);

// Altitude from the 15-bit code (codes below 201 are negative).
int AltitudeFromCode(int code);

}  // namespace zelkor
