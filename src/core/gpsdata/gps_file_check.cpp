#include "gpsdata/gps_file_check.h"

#include <algorithm>

#include "gpsdata/fix_quality.h"
#include "gpsdata/fix_time.h"
#include "gpsdata/gps_fix.h"
#include "util/endian.h"
#include "util/text.h"

namespace zelkor {

namespace {
// A block a collar could have written: a real date and time, a good check
// byte, and a position on Earth or none (0,0).
bool Plausible(const uint8_t* block) {
  const GpsFix f = DecodeGpsBlock(block);
  int64_t seconds = 0;
  if (!FixUtcSeconds(f, &seconds) || !f.checkGood()) return false;
  return (f.latitude == 0 && f.longitude == 0) || (f.latitude <= 90.0 && f.longitude <= 180.0);
}
}  // namespace

std::string GpsFileCheck::truncationNote() const {
  if (!truncated()) return std::string();
  return Format("the file ends after %u of the %u blocks its header announces", present, announced);
}

GpsFileCheck CheckGpsFile(const std::vector<uint8_t>& image) {
  GpsFileCheck c;
  if (image.size() < kGpsHeaderSize) {
    c.reason = image.empty() ? "it is empty" : "it is shorter than the 64-byte header of a GPS data file";
    return c;
  }
  const uint32_t pointer = ReadBe24(image.data() + 1);
  const uint32_t end = static_cast<uint32_t>(kGpsHeaderSize + kMaxGpsBlocks * kGpsBlockSize);
  if (pointer < kGpsHeaderSize || pointer > end) {
    c.reason = Format("its header's data pointer (%u) lies outside the collar's memory of 64 to %u bytes", pointer,
                      end);
    return c;
  }
  if ((pointer - kGpsHeaderSize) % kGpsBlockSize != 0) {
    c.reason = Format("its header's data pointer (%u) does not fall on the end of a 32-byte block", pointer);
    return c;
  }
  c.announced = (pointer - static_cast<uint32_t>(kGpsHeaderSize)) / kGpsBlockSize;
  c.present = static_cast<uint32_t>(std::min<size_t>(c.announced, (image.size() - kGpsHeaderSize) / kGpsBlockSize));
  if (c.announced > 0 && c.present == 0) {
    c.reason = Format("its header announces %u blocks but it holds none", c.announced);
    return c;
  }
  uint32_t plausible = 0;
  for (uint32_t i = 0; i < c.present; ++i) plausible += Plausible(image.data() + kGpsHeaderSize + i * kGpsBlockSize);
  // A collar's own file holds few blocks that are not; noise and text hold
  // almost none that are.
  if (c.present > 0 && plausible * 2 < c.present) {
    c.reason = Format("only %u of its %u blocks hold a real date, a position and a matching check byte", plausible,
                      c.present);
    return c;
  }
  c.recognised = true;
  return c;
}

std::string NotAGpsFileText(const std::string& name, const std::string& reason) {
  return name + " does not look like a collar's GPS data file: " + reason + ".";
}

}  // namespace zelkor
