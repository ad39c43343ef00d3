// The analysis choices kept in the settings store (key kAnalysisKey).
#pragma once

#include <string>
#include <vector>

#include "app/settings_store.h"

namespace zelkor {

// "Max Speed" in km/h; the default when missing or not a speed within 0.5-500.
double ReadMaxSpeed(const SettingsStore& store);
bool StoreMaxSpeed(SettingsStore& store, double kmh);

// The Track tab's map layers, in order: "Map Layers" (how many) and "Map
// Layer 1", "Map Layer 2", ... (file paths).
std::vector<std::string> ReadMapLayers(const SettingsStore& store);
bool StoreMapLayers(SettingsStore& store, const std::vector<std::string>& paths);

}  // namespace zelkor
