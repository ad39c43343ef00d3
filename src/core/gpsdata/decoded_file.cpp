#include "gpsdata/decoded_file.h"

#include <algorithm>

#include "util/endian.h"
#include "util/text.h"

namespace zelkor {

bool DecodeGpsFile(const std::vector<uint8_t>& image, DecodedFile* file) {
  if (image.size() < kGpsHeaderSize) return false;
  file->collarId = ReadBe16(image.data() + 12);
  file->announcedBlocks = HeaderBlockCount(image.data());
  const size_t present = (image.size() - kGpsHeaderSize) / kGpsBlockSize;
  const size_t n = std::min<size_t>(file->announcedBlocks, present);
  file->fixes.clear();
  file->fixes.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    DecodedFix d;
    d.fix = DecodeGpsBlock(image.data() + kGpsHeaderSize + i * kGpsBlockSize);
    d.index = static_cast<int>(i + 1);
    d.latitude = d.fix.northSouth == 'S' ? -d.fix.latitude : d.fix.latitude;
    d.longitude = d.fix.eastWest == 'W' ? -d.fix.longitude : d.fix.longitude;
    for (int s : d.fix.satellites) d.satellites += s != 0;
    file->fixes.push_back(d);
  }
  return true;
}

std::string IsoUtc(const GpsFix& f) {
  return Format("%04d-%02d-%02dT%02d:%02d:%02dZ", 2000 + f.year, f.month, f.day, f.hour, f.minute, f.second);
}

}  // namespace zelkor
