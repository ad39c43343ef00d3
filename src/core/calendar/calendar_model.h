// The calendar control's pattern and its rules, without any window.
//
// A schedule's days are two small sets of flags: four quarter flags per
// month (days 1-7, 8-15, 16-23, 24 to the end) and seven week-day flags. A
// day is selected when its month's quarter flag and its week-day flag are
// both set (Rule S). The month and year views keep a style per day,
// "Selected" or "UnSelected"; the rules below paint those styles the way
// the control always has, and the widgets draw from them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

namespace zelkor::calendar {

struct CalDate {
  int month = 0, day = 0, year = 0;
  bool valid() const { return month > 0; }
  bool operator==(const CalDate& o) const { return month == o.month && day == o.day && year == o.year; }
};

// "5/1/2004": month, day, year without leading zeros.
std::string DateText(const CalDate& date);
bool ParseDateText(const std::string& text, CalDate* date);

bool IsLeapYear(int year);
int DaysIn(int month, int year);
// 1 = Sunday ... 7 = Saturday; 0 for a month outside 1-12.
int DayOfWeek(int month, int day, int year);
// A real calendar date.
bool ValidDate(int month, int day, int year);
// Table W: box 0 = Monday (2) ... box 6 = Sunday (1).
int WeekBoxDayNumber(int box);
int QuarterOf(int day);

// Colours are 0x00BBGGRR.
constexpr uint32_t kDefaultSelected = 15899142;        // red 6, green 154, blue 242
constexpr uint32_t kDefaultUnselectedAux = 65535;      // yellow
constexpr uint32_t kDefaultUnselectedTrans = 12632256;  // grey

// Where the colour pair of each mode is kept ("NVK" / "CALENDAR CONTROL").
class ColourStore {
 public:
  virtual ~ColourStore() = default;
  virtual std::optional<std::string> read(const std::string& key) = 0;
  virtual void write(const std::string& key, const std::string& value) = 0;
};

// A view's day styles; days never painted count as unselected.
class DayStyles {
 public:
  void set(int month, int day, int year, bool selected) { styles_[Key(month, day, year)] = selected; }
  bool selected(int month, int day, int year) const {
    auto it = styles_.find(Key(month, day, year));
    return it != styles_.end() && it->second;
  }
  void clear() { styles_.clear(); }

 private:
  static int64_t Key(int m, int d, int y) { return (static_cast<int64_t>(y) * 13 + m) * 32 + d; }
  std::unordered_map<int64_t, bool> styles_;
};

enum class CallError { None, Subscript, NoSuchBox, Overflow, BadArgument };

class CalendarModel {
 public:
  // Properties: stored as put, read by SetUpControl and UpdateControl.
  std::string startTimeLabel, startTimeValue, stopTimeLabel, stopTimeValue, primeRate, auxRate;
  int16_t startMonth = 0;
  int16_t startYr = 0;

  // --- the interface -------------------------------------------------------
  CallError SetUpControl(bool controlEnabled, bool auxScheduleSetup, ColourStore& colours);
  CallError LoadWeekDay(bool value, int box);
  CallError LoadCheckedDaysArray(int month, int quarter, int value);
  void UpdateControl();
  CallError ReadCheckedDaysArray(int month, int quarter, int* value) const;
  CallError ReadWeekDay(int box, int* value) const;
  // Fails (BadArgument) for a date that does not exist.
  CallError GetDayofWeek(int month, int day, int year, int* dayOfWeek) const;
  void SaveSettings(ColourStore& colours) const;

  // --- what the user does ------------------------------------------------
  void SetQuarterBox(int quarter, int value);  // Rule Q when the value changes
  void SetWeekBox(int box, int value);         // Rule W when the value changes
  void SetAllMonths(int value);                // Rule A
  void MonthChanged(int month, int year);      // Rule M
  void DayClicked(const CalDate& date);        // Rule D
  void TabChanged(int previousTab);            // Rule T
  void YearViewChanged();                      // Rule Y
  // "Change Colors" confirmed with these colours.
  void ColoursChanged(uint32_t selected, uint32_t unselected, ColourStore& colours);

  // --- what the widgets draw ----------------------------------------------
  const DayStyles& monthStyles() const { return monthStyles_; }
  const DayStyles& yearStyles() const { return yearStyles_; }
  int quarterBox(int q) const { return dayBox_[q]; }
  int weekBox(int i) const { return weekBox_[i]; }
  int allMonths() const { return allMonths_; }
  int checkedDays(int month, int quarter) const { return checked_[month][quarter]; }
  std::string quarter3Caption() const { return quarter3Caption_; }
  uint32_t selectedColour() const { return selectedColour_; }
  uint32_t unselectedColour() const { return unselectedColour_; }
  uint32_t monthHighlight() const { return monthHighlight_; }
  uint32_t yearHighlight() const { return yearHighlight_; }
  bool auxMode() const { return auxMode_; }
  bool readOnly() const { return readOnly_; }
  bool yearViewStale() const { return yearViewStale_; }
  bool arrayWritesEnabled() const { return arrayWritesEnabled_; }
  int currentMonth() const { return currentMonth_; }
  int currentYear() const { return currentYear_; }
  int windowStartYear() const { return windowStartYear_; }
  int windowEndYear() const { return windowEndYear_; }
  CalDate windowStart() const { return windowStart_; }
  CalDate windowEnd() const { return windowEnd_; }
  int yearFirstMonth() const { return yearFirstMonth_; }
  CalDate monthCurrentDate() const { return monthCurrentDate_; }
  CalDate yearCurrentDate() const { return yearCurrentDate_; }
  CalDate clickedDate() const { return clickedDate_; }
  // Lets the month view change the date it shows without a rule.
  void setMonthCurrentDate(const CalDate& d) { monthCurrentDate_ = d; }

 private:
  void ruleQ(int q);
  void paintQuarter(int q, bool checked);
  void highlightDay(int day, int year);
  void highlightDate(const CalDate& date);
  bool ruleS(int month, int day, int year) const;

  int16_t checked_[13][4]{};
  int weekBox_[7]{};
  int dayBox_[4]{};
  int allMonths_ = 0;
  int currentMonth_ = 0, currentYear_ = 0, currentMonthIndex_ = 0;
  CalDate clickedDate_;
  int windowStartYear_ = 0, windowEndYear_ = 0, windowEndMonth_ = 0;
  bool arrayWritesEnabled_ = false, skipFirstMonthChange_ = true, highlightPending_ = false;
  bool yearViewStale_ = false, readOnly_ = false, auxMode_ = false;
  uint32_t selectedColour_ = kDefaultSelected, unselectedColour_ = kDefaultUnselectedAux;
  uint32_t monthHighlight_ = 0, yearHighlight_ = 0;
  CalDate windowStart_, windowEnd_, monthCurrentDate_, yearCurrentDate_;
  int yearFirstMonth_ = 1;
  std::string quarter3Caption_ = "24 to Last";
  DayStyles monthStyles_, yearStyles_;
};

}  // namespace zelkor::calendar
