// A GPS data file decoded: the collar ID of its header and every complete
// block, with the positions signed (north and east positive).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gpsdata/gps_fix.h"

namespace zelkor {

struct DecodedFix {
  GpsFix fix;
  int index = 0;        // 1-based block number
  double latitude = 0;  // signed
  double longitude = 0;  // signed
  int satellites = 0;   // satellites used
};

struct DecodedFile {
  uint32_t collarId = 0;
  uint32_t announcedBlocks = 0;  // what the header says
  std::vector<DecodedFix> fixes;  // every complete block present, in memory order
};

// Decodes a file image (header and blocks); false when the header is incomplete.
bool DecodeGpsFile(const std::vector<uint8_t>& image, DecodedFile* file);

// "2006-07-05T09:03:07Z" from the stored UTC fields, as they are.
std::string IsoUtc(const GpsFix& fix);

}  // namespace zelkor
