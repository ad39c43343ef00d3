#include "gpsdata/named_zone.h"

namespace zelkor {

std::string ZoneNameOfLabel(const std::string& footer) {
  const size_t open = footer.find(" (");
  if (open == std::string::npos || footer.empty() || footer.back() != ')' || footer[0] == '(') return std::string();
  return footer.substr(0, open);
}

}  // namespace zelkor
