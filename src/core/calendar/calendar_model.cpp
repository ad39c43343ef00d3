#include "calendar/calendar_model.h"

#include <cstdio>
#include <cstdlib>

namespace zelkor::calendar {

std::string DateText(const CalDate& d) {
  return std::to_string(d.month) + "/" + std::to_string(d.day) + "/" + std::to_string(d.year);
}

bool ParseDateText(const std::string& text, CalDate* d) {
  return std::sscanf(text.c_str(), "%d/%d/%d", &d->month, &d->day, &d->year) == 3;
}

bool IsLeapYear(int y) {
  if (y % 4 != 0) return false;
  if (y % 100 != 0) return true;
  return y % 400 == 0;
}

int DaysIn(int m, int y) {
  switch (m) {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12: return 31;
    case 4: case 6: case 9: case 11: return 30;
    case 2: return IsLeapYear(y) ? 29 : 28;
    default: return 0;
  }
}

int DayOfWeek(int m, int d, int y) {
  static const int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (m < 1 || m > 12) return 0;
  if (m < 3) y -= 1;
  const int w = ((y + y / 4 - y / 100 + y / 400 + t[m - 1] + d) % 7 + 7) % 7;  // 0 = Sunday
  return w + 1;
}

bool ValidDate(int m, int d, int y) { return m >= 1 && m <= 12 && d >= 1 && d <= DaysIn(m, y) && y >= 1; }

int WeekBoxDayNumber(int box) { return box == 6 ? 1 : box + 2; }

int QuarterOf(int day) { return day <= 7 ? 0 : day <= 15 ? 1 : day <= 23 ? 2 : 3; }

namespace {
// A stored colour that is missing, or not a colour number, gives that
// colour's default: the control comes up whole either way.
uint32_t ReadColour(ColourStore& store, const std::string& key, uint32_t fallback) {
  const auto v = store.read(key);
  if (!v || v->empty()) return fallback;
  char* end = nullptr;
  const long long n = std::strtoll(v->c_str(), &end, 10);
  if (*end != '\0' || n < 0 || n > 0xFFFFFF) return fallback;
  return static_cast<uint32_t>(n);
}
}  // namespace

CallError CalendarModel::SetUpControl(bool controlEnabled, bool auxScheduleSetup, ColourStore& colours) {
  // A month the views cannot show is refused before anything changes.
  if (startMonth < 0 || startMonth > 12) return CallError::BadArgument;
  // Window arithmetic in 16-bit integers, as the interface carries them.
  if (startMonth != 1 && startYr == 32767) return CallError::Overflow;
  if (startMonth == 0) {
    // The default window, 1 May 2000 to 30 April 2001, whatever year was
    // put: the years the rules paint and clear are the window's own, so
    // that a ticked day shows in it.
    startYr = 2000;
    windowStartYear_ = 2000;
    windowEndYear_ = 2001;
    windowStart_ = {5, 1, 2000};
    windowEnd_ = {4, 30, 2001};
    yearFirstMonth_ = 5;
    yearCurrentDate_ = windowStart_;
    // The month view starts on the window's first month, inside the window.
    monthCurrentDate_ = windowStart_;
    currentMonth_ = windowStart_.month;
    currentYear_ = windowStart_.year;
  } else {
    windowStart_ = {startMonth, 1, startYr};
    if (startMonth < 2) {
      windowEnd_ = {12, 31, startYr};
      windowEndYear_ = startYr;
    } else {
      windowEndMonth_ = startMonth - 1;
      windowEndYear_ = startYr + 1;
      if (windowEndMonth_ <= 12) windowEnd_ = {windowEndMonth_, DaysIn(windowEndMonth_, windowEndYear_), windowEndYear_};
    }
    windowStartYear_ = startYr;
    monthCurrentDate_ = windowStart_;
    yearCurrentDate_ = windowStart_;
    yearFirstMonth_ = startMonth;
    currentMonth_ = startMonth;
    currentYear_ = startYr;
  }
  auxMode_ = auxScheduleSetup;
  selectedColour_ = ReadColour(colours, auxMode_ ? "SELECTED AUX" : "SELECTED TRANS", kDefaultSelected);
  unselectedColour_ = ReadColour(colours, auxMode_ ? "UNSELECTED AUX" : "UNSELECTED TRANS",
                                 auxMode_ ? kDefaultUnselectedAux : kDefaultUnselectedTrans);
  yearViewStale_ = true;
  readOnly_ = !controlEnabled;
  return CallError::None;
}

CallError CalendarModel::LoadWeekDay(bool value, int box) {
  if (box < 0 || box > 6) return CallError::NoSuchBox;
  SetWeekBox(box, value ? 1 : 0);
  return CallError::None;
}

CallError CalendarModel::LoadCheckedDaysArray(int month, int quarter, int value) {
  if (quarter < 0 || quarter > 3) return CallError::None;
  if (month < 0 || month > 12) return CallError::Subscript;
  checked_[month][quarter] = value == 1 ? 1 : 0;
  return CallError::None;
}

CallError CalendarModel::ReadCheckedDaysArray(int month, int quarter, int* value) const {
  *value = 0;
  if (quarter < 0 || quarter > 3) return CallError::None;
  if (month < 0 || month > 12) return CallError::Subscript;
  *value = checked_[month][quarter];
  return CallError::None;
}

CallError CalendarModel::ReadWeekDay(int box, int* value) const {
  if (box < 0 || box > 6) return CallError::NoSuchBox;
  *value = weekBox_[box];
  return CallError::None;
}

CallError CalendarModel::GetDayofWeek(int month, int day, int year, int* dayOfWeek) const {
  *dayOfWeek = 0;
  if (!ValidDate(month, day, year)) return CallError::BadArgument;
  *dayOfWeek = DayOfWeek(month, day, year);
  return CallError::None;
}

void CalendarModel::SaveSettings(ColourStore& colours) const {
  colours.write(auxMode_ ? "SELECTED AUX" : "SELECTED TRANS", std::to_string(selectedColour_));
  colours.write(auxMode_ ? "UNSELECTED AUX" : "UNSELECTED TRANS", std::to_string(unselectedColour_));
}

void CalendarModel::UpdateControl() {
  // Clear the month view over every year of the window: twelve months from
  // StartMonth, wrapping, for each year.
  for (int y = windowStartYear_; y <= windowEndYear_; ++y) {
    int m = startMonth;
    for (int step = 0; step < 12; ++step) {
      const int mm = m >= 1 && m <= 12 ? m : 0;
      for (int d = 1; d <= DaysIn(mm, y); ++d) monthStyles_.set(mm, d, y, false);
      m = m >= 12 ? 1 : m + 1;
    }
  }
  if (monthCurrentDate_.valid()) currentMonth_ = monthCurrentDate_.month;
  if (currentMonth_ >= 0 && currentMonth_ <= 12)
    for (int q = 0; q < 4; ++q) SetQuarterBox(q, checked_[currentMonth_][q]);
  arrayWritesEnabled_ = true;
}

void CalendarModel::SetQuarterBox(int q, int value) {
  if (dayBox_[q] == value) return;
  dayBox_[q] = value;
  ruleQ(q);
}

void CalendarModel::ruleQ(int q) {
  const int v = dayBox_[q];
  paintQuarter(q, v != 0);
  if (arrayWritesEnabled_ && currentMonthIndex_ >= 0 && currentMonthIndex_ <= 12) checked_[currentMonthIndex_][q] = static_cast<int16_t>(v);
  if (allMonths_ == 1)
    for (int r = 0; r <= 12; ++r)
      if (arrayWritesEnabled_) checked_[r][q] = static_cast<int16_t>(v);
}

void CalendarModel::paintQuarter(int q, bool checked) {
  highlightPending_ = true;
  for (int y = windowStartYear_; y <= windowEndYear_; ++y) {
    const int first = q == 0 ? 1 : q == 1 ? 8 : q == 2 ? 16 : 24;
    const int last = q == 0 ? 7 : q == 1 ? 15 : q == 2 ? 23 : DaysIn(currentMonth_, y);
    for (int d = first; d <= last; ++d) {
      const int dow = DayOfWeek(currentMonth_, d, y);
      for (int i = 0; i < 7; ++i) {
        if (WeekBoxDayNumber(i) != dow) continue;
        if (checked)
          monthStyles_.set(currentMonth_, d, y, weekBox_[i] == 1);
        else if (weekBox_[i] == 1)
          monthStyles_.set(currentMonth_, d, y, false);
      }
      highlightDay(d, y);
    }
  }
  highlightPending_ = false;
}

void CalendarModel::SetWeekBox(int box, int value) {
  if (weekBox_[box] == value) return;
  weekBox_[box] = value;
  // Rule W
  if (dayBox_[0] == 0 && dayBox_[1] == 0 && dayBox_[2] == 0 && dayBox_[3] == 0) return;
  highlightPending_ = true;
  const int t = WeekBoxDayNumber(box);
  const bool s = value == 1;
  for (int q = 0; q < 4; ++q) {
    if (dayBox_[q] != 1) continue;
    const int first = q == 0 ? 1 : q == 1 ? 8 : q == 2 ? 16 : 24;
    const int last = q == 0 ? 7 : q == 1 ? 15 : q == 2 ? 23 : DaysIn(currentMonth_, currentYear_);
    for (int d = first; d <= last; ++d) {
      if (DayOfWeek(currentMonth_, d, currentYear_) != t) continue;
      monthStyles_.set(currentMonth_, d, currentYear_, s);
      yearStyles_.set(currentMonth_, d, currentYear_, s);
      highlightDay(d, currentYear_);
    }
  }
  highlightPending_ = false;
}

void CalendarModel::SetAllMonths(int value) {
  allMonths_ = value;
  if (value != 1) return;
  for (int q = 0; q < 4; ++q)
    for (int r = 0; r <= 12; ++r)
      if (arrayWritesEnabled_) checked_[r][q] = static_cast<int16_t>(dayBox_[q]);
}

void CalendarModel::MonthChanged(int month, int year) {
  currentMonth_ = month;
  currentYear_ = year;
  currentMonthIndex_ = month;
  const int n = DaysIn(month, year);
  quarter3Caption_ = "24 to " + std::to_string(n);
  if (skipFirstMonthChange_) {
    skipFirstMonthChange_ = false;
    return;
  }
  arrayWritesEnabled_ = false;
  for (int q = 0; q < 4; ++q) SetQuarterBox(q, 0);
  arrayWritesEnabled_ = true;
  for (int d = 1; d <= n; ++d) monthStyles_.set(month, d, year, false);
  if (month >= 0 && month <= 12)
    for (int q = 0; q < 4; ++q) SetQuarterBox(q, checked_[month][q]);
}

void CalendarModel::DayClicked(const CalDate& date) {
  clickedDate_ = date;
  // The clicked day becomes the month view's current day.
  if (ValidDate(date.month, date.day, date.year)) monthCurrentDate_ = date;
  highlightDate(date);
}

void CalendarModel::TabChanged(int previousTab) {
  if (previousTab != 1) {
    YearViewChanged();
    yearViewStale_ = false;
  } else {
    yearViewStale_ = true;
  }
}

bool CalendarModel::ruleS(int m, int d, int y) const {
  const int dow = DayOfWeek(m, d, y);
  bool week = false;
  for (int i = 0; i < 7; ++i)
    if (WeekBoxDayNumber(i) == dow && weekBox_[i] == 1) week = true;
  return week && checked_[m][QuarterOf(d)] == 1;
}

void CalendarModel::YearViewChanged() {
  if (!yearViewStale_) return;
  for (int y = windowStartYear_; y <= windowEndYear_; ++y)
    for (int m = 1; m <= 12; ++m)
      for (int d = 1; d <= DaysIn(m, y); ++d) {
        const bool s = ruleS(m, d, y);
        monthStyles_.set(m, d, y, s);
        yearStyles_.set(m, d, y, s);
      }
  // Rule G
  yearHighlight_ = yearStyles_.selected(yearCurrentDate_.month, yearCurrentDate_.day, yearCurrentDate_.year)
                       ? selectedColour_
                       : unselectedColour_;
}

void CalendarModel::ColoursChanged(uint32_t selected, uint32_t unselected, ColourStore& colours) {
  selectedColour_ = selected;
  unselectedColour_ = unselected;
  SaveSettings(colours);
  CalDate walk = monthCurrentDate_.valid() ? monthCurrentDate_ : windowStart_;
  int m = walk.month, y = walk.year;
  for (int i = 0; i < 12 && m >= 1 && m <= 12; ++i) {
    for (int d = 1; d <= DaysIn(m, y); ++d) highlightDate({m, d, y});
    if (++m > 12) {
      m = 1;
      ++y;
    }
  }
  highlightDate(walk);
}

void CalendarModel::highlightDate(const CalDate& date) {
  monthHighlight_ = monthStyles_.selected(date.month, date.day, date.year) ? selectedColour_ : unselectedColour_;
}

void CalendarModel::highlightDay(int day, int year) {
  if (day == 0 && year == 0) return;
  const bool s = monthStyles_.selected(currentMonth_, day, year);
  if (s && day == clickedDate_.day && highlightPending_) {
    monthHighlight_ = selectedColour_;
    highlightPending_ = false;
  } else if (day == clickedDate_.day && highlightPending_) {
    monthHighlight_ = unselectedColour_;
  }
}

}  // namespace zelkor::calendar
