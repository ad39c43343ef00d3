// The PC's local date and time, behind an interface so that workflows can be
// tested at a fixed moment.
#pragma once

#include <string>

namespace zelkor {

struct LocalDateTime {
  int year = 2000;  // four digits
  int month = 1;    // 1-12
  int day = 1;      // 1-31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalDateTime now() const = 0;
};

// The system clock in local time.
class SystemClock : public Clock {
 public:
  LocalDateTime now() const override;
};

// "2026-12-07 14:03:07": the clock's time, for records people read.
std::string NowText(const Clock& clock);

}  // namespace zelkor
