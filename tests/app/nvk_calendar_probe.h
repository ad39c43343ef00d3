// Looks inside a hosted calendar control through its interface only.
#pragma once

#include <string>

#include "cnvk_calendar.h"

namespace zelkor::probe {

inline std::string Property(CNVKCalendar& c, int id) {
  QVariant v;
  c.control()->getProperty(id, &v);
  return v.toString().toStdString();
}

inline void Load(CNVKCalendar& c, short month, short quarter, short value) {
  c.LoadCheckedDaysArray(&month, &quarter, &value);
}

inline void WeekDay(CNVKCalendar& c, short box, bool on) {
  int v = on ? 1 : 0;
  c.LoadWeekDay(&v, &box);
}

// The last day of the control's window, found by asking its day-of-week
// for nothing but its properties: StartMonth/StartYr give the window.
inline std::string WindowEnd(CNVKCalendar& c) {
  const int m = c.GetStartMonth(), y = c.GetStartYr();
  if (m < 2) return "12/31/" + std::to_string(y);
  const int em = m - 1, ey = y + 1;
  short mm = static_cast<short>(em), yy = static_cast<short>(ey);
  const bool leap = c.IsLeapYear(&yy);
  const int days = em == 2 ? (leap ? 29 : 28) : (em == 4 || em == 6 || em == 9 || em == 11) ? 30 : 31;
  (void)mm;
  return std::to_string(em) + "/" + std::to_string(days) + "/" + std::to_string(ey);
}

}  // namespace zelkor::probe
