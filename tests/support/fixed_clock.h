// A clock that always shows the same local time, for names and texts that
// carry a time stamp.
#pragma once

#include "app/clock.h"

namespace zelkor::testing {

class FixedClock : public Clock {
 public:
  explicit FixedClock(LocalDateTime at = {2026, 12, 6, 12, 0, 0}) : at_(at) {}
  LocalDateTime now() const override { return at_; }

 private:
  LocalDateTime at_;
};

}  // namespace zelkor::testing
