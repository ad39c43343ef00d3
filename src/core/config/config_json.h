// Every decoded configuration field as a JSON object (keys = field names,
// day grids as 12 arrays of 31 flags, weekday flags Sunday first).
#pragma once

#include <string>

#include "config/collar_config.h"

namespace zelkor {

std::string ConfigToJson(const CollarConfig& config);

}  // namespace zelkor
