// Benchmark data: a full collar memory's worth of fixes (8190), one every two
// hours from `start` (UTC seconds) plus `offsetSeconds`, 3D, wandering a
// little around 45 N 110 W.
#pragma once

#include <cstdint>
#include <vector>

namespace zelkor::bench {

void AppendTwoHourFixes(std::vector<uint8_t>* image, int64_t start, int offsetSeconds);

}  // namespace zelkor::bench
