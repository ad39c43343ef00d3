#include "analysis/analysis_settings.h"

#include <cstdlib>

#include "gpsdata/fix_quality.h"
#include "util/text.h"

namespace zelkor {

double ReadMaxSpeed(const SettingsStore& store) {
  const SettingsValue v = store.read(kAnalysisKey, "Max Speed");
  if (!v.present() || v.text.empty()) return kDefaultMaxSpeedKmh;
  char* end = nullptr;
  const double kmh = std::strtod(v.text.c_str(), &end);
  return *end == '\0' && kmh >= 0.5 && kmh <= 500 ? kmh : kDefaultMaxSpeedKmh;
}

bool StoreMaxSpeed(SettingsStore& store, double kmh) { return store.write(kAnalysisKey, "Max Speed", Format("%g", kmh)); }

}  // namespace zelkor
