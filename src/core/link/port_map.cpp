#include "link/port_map.h"

#include <cstdlib>

#include "util/text.h"

namespace zelkor {

std::string PortDevice(int portIndex, const PortSettingLookup& setting) {
  if (portIndex < 0 || portIndex >= kPortCount) return std::string();
  const int com = portIndex + 1;
  const std::string var = Format("ZELKOR_COM%d", com);
  if (const char* env = std::getenv(var.c_str()); env && *env) return env;
  if (setting) {
    if (auto v = setting(com); v && !v->empty()) return *v;
  }
#ifdef _WIN32
  return Format("COM%d", com);
#else
  if (portIndex < 4) return Format("/dev/ttyS%d", portIndex);
  if (portIndex < 20) return Format("/dev/ttyUSB%d", portIndex - 4);
  return Format("/dev/ttyACM%d", portIndex - 20);
#endif
}

}  // namespace zelkor
