// Which device a port index names. Index i (0-35) is shown as "COM<i+1>".
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/app_state.h"

namespace zelkor {

constexpr int kPortCount = kComPortCount;

// Looks up a setting "Port Devices/COM<n>"; returns nothing when unset.
using PortSettingLookup = std::function<std::optional<std::string>(int comNumber)>;

// The environment variable ZELKOR_COM<n>, then the setting, then the
// platform default (Linux: COM1-4 /dev/ttyS0-3, COM5-20 /dev/ttyUSB0-15,
// COM21-36 /dev/ttyACM0-15). Empty for an index outside 0-35.
std::string PortDevice(int portIndex, const PortSettingLookup& setting = {});

}  // namespace zelkor
