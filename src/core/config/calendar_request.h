// What a schedule dialog hands the calendar dialog when "View Calendar" is
// pressed.
#pragma once

#include <functional>

#include "config/collar_config.h"

namespace zelkor {

enum class CalendarKind { Auxiliary, Transmitter };

struct CalendarRequest {
  CalendarKind kind = CalendarKind::Auxiliary;
  CollarConfig* config = nullptr;  // stored into on OK unless viewOnly
  bool viewOnly = true;
  int startHour = 0;   // local: "Start Time" / "On Time"
  int stopHour = 0;    // local: "Stop Time" / "Off Time"
  int auxRateHours = 0, auxRateMinutes = 0;          // auxiliary only
  int primaryRateHours = 0, primaryRateMinutes = 0;  // auxiliary only
  int startMonth = 1;     // 1-12
  int startYear = 2000;   // four digits
};

using CalendarOpener = std::function<void(const CalendarRequest&)>;

}  // namespace zelkor
