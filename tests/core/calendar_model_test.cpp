#include <gtest/gtest.h>

#include <map>

#include "calendar/calendar_model.h"

namespace zelkor::calendar {
namespace {

class MapColours : public ColourStore {
 public:
  std::optional<std::string> read(const std::string& key) override {
    auto it = values.find(key);
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  void write(const std::string& key, const std::string& value) override { values[key] = value; }
  std::map<std::string, std::string> values;
};

CalendarModel Prepared(int startMonth, int startYr, bool aux = true, bool enabled = true) {
  CalendarModel m;
  m.startMonth = static_cast<int16_t>(startMonth);
  m.startYr = static_cast<int16_t>(startYr);
  MapColours colours;
  EXPECT_EQ(m.SetUpControl(enabled, aux, colours), CallError::None);
  return m;
}

TEST(CalendarWindow, StartMonthAndYearGiveTheTwelveMonthWindow) {
  CalendarModel a = Prepared(1, 2004);
  EXPECT_EQ(a.windowStart(), (CalDate{1, 1, 2004}));
  EXPECT_EQ(a.windowEnd(), (CalDate{12, 31, 2004}));
  EXPECT_EQ(a.windowEndYear(), 2004);
  EXPECT_EQ(Prepared(3, 2003).windowEnd(), (CalDate{2, 29, 2004}));
  EXPECT_EQ(Prepared(3, 2004).windowEnd(), (CalDate{2, 28, 2005}));
}

TEST(CalendarWindow, OverflowAndMonthsOutsideZeroToTwelveFailTheSetUp) {
  CalendarModel m;
  m.startMonth = 3;
  m.startYr = 32767;
  MapColours colours;
  EXPECT_EQ(m.SetUpControl(true, true, colours), CallError::Overflow);
  for (int month : {13, 14, -1}) {
    CalendarModel n;
    n.startMonth = static_cast<int16_t>(month);
    n.startYr = 2004;
    EXPECT_EQ(n.SetUpControl(true, true, colours), CallError::BadArgument) << month;
  }
}

// A stored colour that is not a number gives that colour's default, and the
// control comes up whole: read-only as asked, its other colour as stored.
TEST(CalendarWindow, AColourThatIsNotANumberFallsBackToItsDefault) {
  MapColours colours;
  colours.values["SELECTED TRANS"] = "red";
  colours.values["UNSELECTED TRANS"] = "255";
  CalendarModel n;
  n.startMonth = 1;
  n.startYr = 2004;
  EXPECT_EQ(n.SetUpControl(false, false, colours), CallError::None);
  EXPECT_EQ(n.selectedColour(), kDefaultSelected);
  EXPECT_EQ(n.unselectedColour(), 255u);
  EXPECT_TRUE(n.readOnly());
}

// With StartMonth 0 the month view starts on the window's first month (May
// 2000), and a quarter can be painted without reaching outside a month.
TEST(CalendarWindow, StartMonthZeroIsMay2000ToApril2001AndATickedDayShowsInIt) {
  CalendarModel z = Prepared(0, 2004);
  EXPECT_EQ(z.startYr, 2000);
  EXPECT_EQ(z.windowStart(), (CalDate{5, 1, 2000}));
  EXPECT_EQ(z.windowEnd(), (CalDate{4, 30, 2001}));
  EXPECT_EQ(z.monthCurrentDate(), (CalDate{5, 1, 2000}));
  EXPECT_EQ(z.currentMonth(), 5);
  z.UpdateControl();
  z.SetWeekBox(0, 1);     // Monday
  z.SetQuarterBox(0, 1);  // days 1 to 7
  EXPECT_EQ(z.quarterBox(0), 1);
  // 1 May 2000 was a Monday: it shows selected, 2 May (a Tuesday) does not.
  EXPECT_TRUE(z.monthStyles().selected(5, 1, 2000));
  EXPECT_FALSE(z.monthStyles().selected(5, 2, 2000));
  z.SetQuarterBox(3, 1);
  EXPECT_TRUE(z.monthStyles().selected(5, 29, 2000)) << "a Monday in days 24 to 31";
}

TEST(CalendarDates, GetDayOfWeekFailsForDatesThatDoNotExist) {
  CalendarModel m;
  int dow = 9;
  EXPECT_EQ(m.GetDayofWeek(1, 1, 2004, &dow), CallError::None);
  EXPECT_EQ(dow, 5);
  for (const CalDate& bad : {CalDate{0, 1, 2004}, CalDate{-3, 1, 2004}, CalDate{13, 1, 2004}, CalDate{2, 30, 2004},
                             CalDate{2, 29, 2005}, CalDate{4, 0, 2004}}) {
    EXPECT_EQ(m.GetDayofWeek(bad.month, bad.day, bad.year, &dow), CallError::BadArgument) << DateText(bad);
    EXPECT_EQ(dow, 0);
  }
  EXPECT_EQ(DayOfWeek(0, 1, 2004), 0) << "no table reached from outside the months";
}

TEST(CalendarDates, LeapYearsAndDaysOfTheWeek) {
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(2004));
  EXPECT_FALSE(IsLeapYear(2100));
  EXPECT_EQ(DayOfWeek(1, 1, 2004), 5);
  EXPECT_EQ(DayOfWeek(3, 1, 2004), 2);  // a Monday
  EXPECT_EQ(DayOfWeek(12, 6, 2026), 1);
  EXPECT_EQ(WeekBoxDayNumber(0), 2);
  EXPECT_EQ(WeekBoxDayNumber(6), 1);
}

TEST(CalendarArray, LoadAndReadFollowTheirIndexRules) {
  CalendarModel m;
  EXPECT_EQ(m.LoadCheckedDaysArray(5, 2, 2), CallError::None);
  EXPECT_EQ(m.checkedDays(5, 2), 0);
  EXPECT_EQ(m.LoadCheckedDaysArray(5, 2, 1), CallError::None);
  EXPECT_EQ(m.checkedDays(5, 2), 1);
  EXPECT_EQ(m.LoadCheckedDaysArray(5, 7, 1), CallError::None);
  int v = 9;
  EXPECT_EQ(m.ReadCheckedDaysArray(20, 9, &v), CallError::None);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(m.ReadCheckedDaysArray(20, 1, &v), CallError::Subscript);
  EXPECT_EQ(m.LoadCheckedDaysArray(13, 1, 1), CallError::Subscript);
  EXPECT_EQ(m.LoadWeekDay(true, 7), CallError::NoSuchBox);
  EXPECT_EQ(m.ReadWeekDay(-1, &v), CallError::NoSuchBox);
}

TEST(CalendarRules, FirstMonthChangeOnlyUpdatesTheMonthAndCaption) {
  CalendarModel m = Prepared(1, 2004);
  m.LoadCheckedDaysArray(2, 0, 1);
  m.MonthChanged(2, 2004);
  EXPECT_EQ(m.currentMonth(), 2);
  EXPECT_EQ(m.quarter3Caption(), "24 to 29");
  EXPECT_EQ(m.quarterBox(0), 0);
  m.MonthChanged(2, 2004);
  EXPECT_EQ(m.quarterBox(0), 1);
}

struct March2004 : ::testing::Test {
  CalendarModel m = Prepared(1, 2004);
  void SetUp() override {
    m.MonthChanged(1, 2004);  // the views' first notification
    m.UpdateControl();
    m.MonthChanged(3, 2004);
  }
};

TEST_F(March2004, QuarterAndWeekDaySelectTheFirstMondayAndUncheckingClearsIt) {
  m.SetWeekBox(0, 1);  // Monday: no quarter yet, nothing painted
  EXPECT_FALSE(m.monthStyles().selected(3, 1, 2004));
  m.SetQuarterBox(0, 1);
  EXPECT_TRUE(m.monthStyles().selected(3, 1, 2004));
  EXPECT_FALSE(m.monthStyles().selected(3, 2, 2004));
  EXPECT_EQ(m.checkedDays(3, 0), 1);
  m.SetQuarterBox(0, 0);
  EXPECT_FALSE(m.monthStyles().selected(3, 1, 2004));
  EXPECT_EQ(m.checkedDays(3, 0), 0);
}

TEST_F(March2004, WeekDayWithoutAQuarterChangesNoColour) {
  m.SetWeekBox(2, 1);
  for (int d = 1; d <= 31; ++d) EXPECT_FALSE(m.monthStyles().selected(3, d, 2004)) << d;
  EXPECT_EQ(m.weekBox(2), 1);
}

TEST_F(March2004, AllMonthsCopiesTheQuarterBoxesAndClearingItChangesNothing) {
  m.SetQuarterBox(0, 1);
  m.SetQuarterBox(2, 1);
  m.LoadCheckedDaysArray(7, 1, 1);
  m.SetAllMonths(1);
  for (int r = 0; r <= 12; ++r) {
    EXPECT_EQ(m.checkedDays(r, 0), 1) << r;
    EXPECT_EQ(m.checkedDays(r, 1), 0) << r;
    EXPECT_EQ(m.checkedDays(r, 2), 1) << r;
    EXPECT_EQ(m.checkedDays(r, 3), 0) << r;
  }
  m.SetAllMonths(0);
  EXPECT_EQ(m.checkedDays(5, 0), 1);
}

TEST_F(March2004, AllMonthsCheckedCopiesAMonthsQuarterOnMove) {
  m.SetAllMonths(1);
  m.LoadCheckedDaysArray(6, 1, 1);
  m.MonthChanged(6, 2004);
  for (int r = 0; r <= 12; ++r) EXPECT_EQ(m.checkedDays(r, 1), 1) << r;
}

TEST_F(March2004, YearTabShowsEveryDayOfBothYearsByRuleS) {
  m.SetWeekBox(0, 1);
  m.SetWeekBox(4, 1);
  m.SetQuarterBox(0, 1);
  m.LoadCheckedDaysArray(11, 3, 1);
  m.TabChanged(0);  // to the Year tab
  EXPECT_FALSE(m.yearViewStale());
  for (int y = 2004; y <= 2004; ++y)
    for (int mo = 1; mo <= 12; ++mo)
      for (int d = 1; d <= DaysIn(mo, y); ++d) {
        const int dow = DayOfWeek(mo, d, y);
        const bool week = dow == 2 || dow == 6;
        const bool quarter = (mo == 3 && d <= 7) || (mo == 11 && d >= 24);
        ASSERT_EQ(m.yearStyles().selected(mo, d, y), week && quarter) << mo << "/" << d << "/" << y;
        ASSERT_EQ(m.monthStyles().selected(mo, d, y), week && quarter);
      }
  m.TabChanged(1);
  EXPECT_TRUE(m.yearViewStale());
}

// Rule D and rule H: a clicked day becomes the month view's current day and
// its highlight follows the day's colour, through repaints and colour
// changes alike.
TEST_F(March2004, TheClickedDayIsCurrentAndItsHighlightFollowsItsColour) {
  m.DayClicked({3, 8, 2004});  // a Monday, not selected
  EXPECT_EQ(m.monthCurrentDate(), (CalDate{3, 8, 2004}));
  EXPECT_EQ(m.monthHighlight(), m.unselectedColour());
  m.SetWeekBox(0, 1);
  m.SetQuarterBox(1, 1);  // 8-15: the Monday the 8th becomes selected
  EXPECT_TRUE(m.monthStyles().selected(3, 8, 2004));
  EXPECT_EQ(m.monthHighlight(), m.selectedColour());
  MapColours colours;
  m.ColoursChanged(0x112233, 0x445566, colours);
  EXPECT_EQ(m.monthHighlight(), 0x112233u) << "the clicked day's colour, not day 1's";
  m.DayClicked({3, 9, 2004});
  EXPECT_EQ(m.monthHighlight(), 0x445566u);
}

// Rule G: after the Year tab is painted, the year view's current day takes
// the colour of its style.
TEST_F(March2004, TheYearViewsCurrentDayIsHighlightedByItsStyle) {
  m.SetWeekBox(3, 1);     // Thursday: 1 January 2004 is one
  m.LoadCheckedDaysArray(1, 0, 1);
  m.TabChanged(0);
  EXPECT_EQ(m.yearCurrentDate(), (CalDate{1, 1, 2004}));
  EXPECT_EQ(m.yearHighlight(), m.selectedColour());
  CalendarModel other = Prepared(1, 2004);
  other.TabChanged(0);
  EXPECT_EQ(other.yearHighlight(), other.unselectedColour());
}

TEST(CalendarColours, DefaultsPerModeAndSavingWritesOnlyThatMode) {
  MapColours colours;
  CalendarModel aux;
  aux.startMonth = 1;
  aux.startYr = 2004;
  aux.SetUpControl(true, true, colours);
  EXPECT_EQ(aux.selectedColour(), 15899142u);
  EXPECT_EQ(aux.unselectedColour(), 65535u);
  CalendarModel trans;
  trans.startMonth = 1;
  trans.startYr = 2004;
  trans.SetUpControl(true, false, colours);
  EXPECT_EQ(trans.unselectedColour(), 12632256u);
  trans.ColoursChanged(255, 0xFF0000, colours);
  EXPECT_EQ(colours.values["SELECTED TRANS"], "255");
  EXPECT_EQ(colours.values["UNSELECTED TRANS"], std::to_string(0xFF0000));
  EXPECT_EQ(colours.values.count("SELECTED AUX"), 0u);
}

}  // namespace
}  // namespace zelkor::calendar
