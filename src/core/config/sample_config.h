// The sample configuration: what the simulated collar starts with, and
// what the documentation's pictures and printout show.
#pragma once

#include <cstdint>

#include "config/collar_config.h"

namespace zelkor {

// A 2-hour primary rate with retries, a 30-minute auxiliary rate on
// weekdays 12-16 UTC from May to July, the transmitter on 13-1 UTC every
// day, mortality after 24 hours, software version 210. Encoded, so raw holds
// the record.
CollarConfig SampleCollarConfig(uint16_t collarId = 1234);

}  // namespace zelkor
