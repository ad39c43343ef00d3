// --tz ZONE for the commands that write local times: an IANA name, or
// "local" for the computer's own zone.
#pragma once

#include <optional>
#include <string>

#include "gpsdata/named_zone.h"

namespace zelkor::cli {

// nullopt with no --tz; false (after printing the reason) for a zone that
// does not exist.
bool ZoneFromOption(const std::optional<std::string>& value, std::optional<NamedZone>* zone);

}  // namespace zelkor::cli
