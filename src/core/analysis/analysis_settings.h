// The analysis choices kept in the settings store (key kAnalysisKey).
#pragma once

#include "app/settings_store.h"

namespace zelkor {

// "Max Speed" in km/h; the default when missing or not a speed within 0.5-500.
double ReadMaxSpeed(const SettingsStore& store);
bool StoreMaxSpeed(SettingsStore& store, double kmh);

}  // namespace zelkor
