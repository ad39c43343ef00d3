#include "gpsdata/gps_backups.h"

#include <array>
#include <cstdio>
#include <filesystem>

#include "gpsdata/gps_fix.h"
#include "util/endian.h"
#include "util/text.h"

namespace zelkor {

std::string GpsBackupName(uint32_t collarId, const LocalDateTime& t) {
  return Format("%u_%u_%u_%u_%u_%u_%u.gps", collarId, static_cast<unsigned>(t.month),
                static_cast<unsigned>(t.day), static_cast<unsigned>(t.year), static_cast<unsigned>(t.hour),
                static_cast<unsigned>(t.minute), static_cast<unsigned>(t.second));
}

namespace {
// year, month, day, hour, minute, second, copy number
using Stamp = std::array<unsigned, 7>;

bool ParseBackupName(const std::string& name, uint32_t collarId, Stamp* stamp) {
  unsigned id = 0, month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0, copy = 1;
  int used = 0;
  if (std::sscanf(name.c_str(), "%u_%u_%u_%u_%u_%u_%u%n", &id, &month, &day, &year, &hour, &minute, &second,
                  &used) != 7 ||
      id != collarId)
    return false;
  std::string rest = name.substr(static_cast<size_t>(used));
  if (rest.size() > 1 && rest[0] == '-') {
    int more = 0;
    if (std::sscanf(rest.c_str(), "-%u%n", &copy, &more) != 1) return false;
    rest = rest.substr(static_cast<size_t>(more));
  }
  if (rest != ".gps") return false;
  *stamp = {year, month, day, hour, minute, second, copy};
  return true;
}
}  // namespace

std::string NewestGpsBackup(const std::string& backupDir, uint32_t collarId) {
  std::error_code ec;
  std::string best;
  Stamp bestStamp{};
  for (std::filesystem::directory_iterator it(backupDir, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    Stamp stamp{};
    if (!ParseBackupName(it->path().filename().string(), collarId, &stamp)) continue;
    if (best.empty() || stamp > bestStamp) {
      best = it->path().string();
      bestStamp = stamp;
    }
  }
  return best;
}

uint32_t ImageCollarId(const std::vector<uint8_t>& image) {
  return image.size() < kGpsHeaderSize ? 0 : ReadBe16(image.data() + 12);
}

}  // namespace zelkor
