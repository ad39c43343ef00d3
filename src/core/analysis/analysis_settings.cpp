#include "analysis/analysis_settings.h"

#include <algorithm>
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

std::vector<std::string> ReadMapLayers(const SettingsStore& store) {
  std::vector<std::string> paths;
  const SettingsValue count = store.read(kAnalysisKey, "Map Layers");
  const long n = count.present() ? std::strtol(count.text.c_str(), nullptr, 10) : 0;
  for (long i = 1; i <= std::min(n, 100L); ++i) {
    const SettingsValue v = store.read(kAnalysisKey, Format("Map Layer %ld", i));
    if (v.present() && !v.text.empty()) paths.push_back(v.text);
  }
  return paths;
}

bool StoreMapLayers(SettingsStore& store, const std::vector<std::string>& paths) {
  bool ok = true;
  for (size_t i = 0; i < paths.size(); ++i) ok = store.write(kAnalysisKey, Format("Map Layer %zu", i + 1), paths[i]) && ok;
  return store.write(kAnalysisKey, "Map Layers", std::to_string(paths.size())) && ok;
}

}  // namespace zelkor
