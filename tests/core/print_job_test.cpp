#include <gtest/gtest.h>

#include <cctype>

#include "calendar/calendar_model.h"
#include "print/print_job.h"
#include "util/text.h"
#include "support/fake_store.h"
#include "support/recording_canvas.h"
#include "support/scripted_prompter.h"

namespace zelkor {
namespace {

using testing::RecordingCanvas;

class FixedClock : public Clock {
 public:
  LocalDateTime now() const override { return {2006, 7, 5, 9, 3, 7}; }
};

PrintInputs Inputs(testing::FakeStore& store, CalendarStart start = {11, 2006, 4}) {
  CollarConfig c;
  c.collarId = 1234;
  c.softwareVersion = 150;
  c.transmitterOnAfterPowerUpHours = 72;
  c.mortalityEnabled = true;
  c.mortalityTriggerHours = 2.75f;
  c.auxWeekdays[1] = true;
  c.auxRateMinutes = 30;
  c.retriesEnabled = true;
  FixedClock clock;
  return ReadPrintInputs(c, store, clock, start);
}

TEST(PrintOptionsStore, SwitchesReadOnUnlessAnotherNumberAndWritesGoInOrder) {
  testing::FakeStore store;
  PrintOptions o = ReadPrintOptions(store);
  EXPECT_TRUE(o.collarConfig && o.transmitterCalendar && o.auxCalendar);
  EXPECT_EQ(o.projectText, "");
  store.set(kPrintSettingsKey, "Print Aux Cal", "2");
  store.markUnreadable(kPrintSettingsKey, "Print Trans Cal");
  store.markUnreadable(kPrintSettingsKey, "VHF Trans Cal");
  o = ReadPrintOptions(store);
  EXPECT_FALSE(o.auxCalendar);
  EXPECT_TRUE(o.transmitterCalendar);
  EXPECT_EQ(o.projectText, " ");

  testing::FakeStore out;
  out.failWrites = true;
  testing::ScriptedPrompter prompter;
  StorePrintOptions(out, prompter, {false, true, false, "Elk herd 150.040 MHz"});
  ASSERT_EQ(out.writes.size(), 4u);
  const std::string k = kPrintSettingsKey;
  EXPECT_EQ(out.writes[0], (std::pair<std::string, std::string>{k + "|Print Collar Config", "0"}));
  EXPECT_EQ(out.writes[1], (std::pair<std::string, std::string>{k + "|Print Aux Cal", "0"}));
  EXPECT_EQ(out.writes[2], (std::pair<std::string, std::string>{k + "|Print Trans Cal", "1"}));
  EXPECT_EQ(out.writes[3].second, "Elk herd 150.040 MHz");
  ASSERT_EQ(prompter.messages.size(), 4u);
  EXPECT_EQ(prompter.messages[0].text, kPrintSettingsWriteFailed);
}

TEST(PrintJob, PagesComeInOrderAndAllOffPrintsNothing) {
  testing::FakeStore store;
  RecordingCanvas canvas;
  EXPECT_EQ(RunPrintJob(canvas, Inputs(store)), 3);
  EXPECT_NE(canvas.find("VHF Transmitter Schedule", 1), nullptr);
  EXPECT_NE(canvas.find("Auxiliary GPS Fix Schedule", 2), nullptr);
  EXPECT_NE(canvas.find("NVK GPS COLLAR CONFIGURATION REPORT", 3), nullptr);
  for (const char* s : {"Print Collar Config", "Print Trans Cal", "Print Aux Cal"}) store.set(kPrintSettingsKey, s, "0");
  RecordingCanvas none;
  EXPECT_EQ(RunPrintJob(none, Inputs(store)), 0);
  EXPECT_EQ(none.pages, 0);
}

TEST(PrintReport, RowsValuesAndTheOffsetText) {
  testing::FakeStore store;
  store.set(kSettingsKey, "Offset UTC Text", "(GMT -07:00) Mountain Time (US & Canada)");
  store.set(kSettingsKey, "Hours", "-07");
  RecordingCanvas c;
  PrintInputs in = Inputs(store);
  PrintConfigurationReport(c, in);
  EXPECT_NE(c.find("CollarID  1234   7/5/2006   9:03:07"), nullptr);
  EXPECT_EQ(c.valueOf("Hours of Inactivity to Trigger"), "2");
  EXPECT_EQ(c.valueOf("Hrs VHF Transmitter remains on after power up or CU contact"), "72");
  EXPECT_EQ(c.find("Number of Days until release  "), nullptr);
  EXPECT_NE(c.find("(GMT -07:00)"), nullptr);
  EXPECT_NE(c.find("Mountain Time (US & Canada)"), nullptr);
  EXPECT_EQ(c.valueOf("Fix Rate"), "0 hrs 0 mins");

  in.config.softwareVersion = 200;
  in.config.releaseHours = 2423;
  RecordingCanvas v;
  PrintConfigurationReport(v, in);
  EXPECT_EQ(v.valueOf("Number of Days until release  "), "100");
}

TEST(PrintReport, HoursWithTheOffsetDifferBetweenReportAndCalendar) {
  EXPECT_EQ(ReportHour(23, 1, false), "24:00");
  EXPECT_EQ(ReportHour(23, 1, true), "0:00");
  EXPECT_EQ(ReportHour(2, -5, false), "21:00");
  EXPECT_EQ(SplitOffsetText("(GMT) Universal Time Coordinated (UTC)"),
            (std::pair<std::string, std::string>{"(GMT)", "Universal Time Coordinated (UTC)"}));
  EXPECT_EQ(SplitOffsetText("no bracket"), (std::pair<std::string, std::string>{"", ""}));
  testing::FakeStore store;
  store.set(kSettingsKey, "Hours", "1");
  PrintInputs in = Inputs(store);
  in.config.transmitterOnHourUtc = 23;
  RecordingCanvas report;
  PrintConfigurationReport(report, in);
  EXPECT_EQ(report.valueOf("On Time"), "24:00");
  RecordingCanvas page;
  PrintCalendarPage(page, in, CalendarPageKind::Transmitter);
  EXPECT_NE(page.find("On Time 0:00 Off Time 1:00"), nullptr);
}

TEST(PrintReport, FooterLinesShareOneLeftEdgeAndEndInsideThePage) {
  testing::FakeStore store;
  RecordingCanvas c;
  PrintConfigurationReport(c, Inputs(store));
  const auto* date = c.find("7/5/2006");
  const auto* company = c.find("Nalvik, Inc.");
  const auto* version = c.find("Zelkor Version  1.2.3");
  ASSERT_TRUE(date && company && version);
  EXPECT_EQ(version->x + 210, c.pageWidth()) << "the widest line ends at the right margin";
  EXPECT_EQ(date->x, company->x);
  EXPECT_EQ(version->x, company->x);
  EXPECT_EQ(version->y, c.pageHeight() - 20);
}

TEST(PrintReport, ASmallPageScalesTheFontUntil45LinesFit) {
  testing::FakeStore store;
  RecordingCanvas c(2400, 600);  // 45 lines of 20 do not fit in 600
  PrintConfigurationReport(c, Inputs(store));
  const auto* title = c.find("NVK GPS COLLAR CONFIGURATION REPORT");
  const auto* id = c.find("CollarID  1234   7/5/2006   9:03:07");
  ASSERT_TRUE(title && id);
  EXPECT_GT(id->y, title->y) << "the report collapsed onto one line";
  EXPECT_LE((id->y - title->y) * 45, 600);
}

TEST(PrintCalendar, TwelveMonthsFromTheStartWithMarkedDays) {
  testing::FakeStore store;
  PrintInputs in = Inputs(store, {11, 2006, 4});  // 1 November 2006 was a Wednesday
  in.config.auxWeekdays = {false, false, false, true, false, false, false};  // Wednesdays
  in.config.auxDays.setQuarter(11, 0, true);
  in.config.auxDays.setQuarter(2, 3, true);
  RecordingCanvas c;
  PrintCalendarPage(c, in, CalendarPageKind::Auxiliary);
  EXPECT_NE(c.find("November 2006"), nullptr);
  EXPECT_NE(c.find("December 2006"), nullptr);
  EXPECT_NE(c.find("January 2007"), nullptr);
  EXPECT_NE(c.find("October 2007"), nullptr);
  EXPECT_EQ(c.find("November 2007"), nullptr);
  EXPECT_EQ(c.rectangles, 1);
  EXPECT_EQ(c.lines, 5);
  int marked = 0, italic = 0;
  for (const auto& t : c.texts) {
    if (t.font == PrintFont::Marked && t.text != "Auxiliary Schedule Enabled") ++marked;
    if (t.font == PrintFont::UnmarkedItalic) ++italic;
  }
  EXPECT_EQ(marked, 2) << "1 November 2006 and Wednesday 28 February 2007";
  EXPECT_GT(italic, 300);
  EXPECT_NE(c.find("Auxiliary Schedule Enabled"), nullptr);
}

// The project text is cut at 35 characters, not 35 bytes: accented names
// keep whole letters.
TEST(PrintOptions, TheProjectTextIsCutAtThirtyFiveCharacters) {
  testing::FakeStore store;
  testing::ScriptedPrompter prompter;
  PrintOptions o;
  o.projectText = "\xC3\x89lan \xE2\x80\x93 \xC3\xA9t\xC3\xA9 150.040 MHz, \xC3\xA9quipe Sud et Nord";
  StorePrintOptions(store, prompter, o);
  const std::string stored = store.get(kPrintSettingsKey, "VHF Trans Cal");
  EXPECT_EQ(stored, "\xC3\x89lan \xE2\x80\x93 \xC3\xA9t\xC3\xA9 150.040 MHz, \xC3\xA9quipe Sud ");  // 35 characters
  EXPECT_EQ(Utf8Prefix("abc", 5), "abc");
  EXPECT_EQ(Utf8Prefix("\xC3\xA9\xC3\xA9", 1), "\xC3\xA9");
}

TEST(PrintCalendar, FebruaryLengthsAndSixWeekRows) {
  testing::FakeStore store;
  PrintInputs in = Inputs(store, {2, 2008, 6});  // 1 February 2008 was a Friday
  RecordingCanvas c;
  PrintCalendarPage(c, in, CalendarPageKind::Transmitter);
  int twentyNines = 0, thirtyOnes = 0;
  for (const auto& t : c.texts) {
    twentyNines += t.text == "29";
    thirtyOnes += t.text == "31";
  }
  EXPECT_EQ(twentyNines, 12) << "February 2008 has a 29th";
  EXPECT_EQ(thirtyOnes, 7);
  // March 2008 starts on a Saturday and needs six week rows: its 31st sits
  // lower than any day of February.
  // The boxes are four rows of three: February and March 2008 are boxes 1 and
  // 2 of the first row, so their days share the rows' heights.
  int march31 = 0, lowestFebruary = 0;
  bool inMarch = false;
  for (const auto& t : c.texts) {
    if (t.text.rfind("March ", 0) == 0) inMarch = true;
    if (t.text.rfind("April ", 0) == 0) inMarch = false;
    if (inMarch && t.text == "31") march31 = t.y;
  }
  bool inFebruary = false;
  for (const auto& t : c.texts) {
    if (t.text.rfind("February ", 0) == 0) inFebruary = true;
    if (t.text.rfind("March ", 0) == 0) inFebruary = false;
    if (inFebruary && std::isdigit(static_cast<unsigned char>(t.text[0])))
      lowestFebruary = std::max(lowestFebruary, t.y);
  }
  ASSERT_GT(lowestFebruary, 0);
  EXPECT_GT(march31, lowestFebruary) << "March 2008's 31st sits on a sixth week row, lower than any day of February";
}

TEST(PrintCalendar, UnsetStartBeginsThisMonth) {
  testing::FakeStore store;
  const PrintInputs in = Inputs(store, CalendarStart{});
  EXPECT_EQ(in.start.month, 7);
  EXPECT_EQ(in.start.year, 2006);
  EXPECT_EQ(in.start.weekday, 7);  // 1 July 2006 was a Saturday
}

}  // namespace
}  // namespace zelkor

namespace zelkor {
namespace {

int Count(const testing::RecordingCanvas& c, const std::string& text) {
  int n = 0;
  for (const auto& t : c.texts) n += t.text == text;
  return n;
}

TEST(PrintCalendar, FebruaryFollowsTheGregorianRule) {
  testing::FakeStore store;
  for (const auto& [year, february29] : std::vector<std::pair<int, bool>>{{2008, true}, {2007, false}, {2000, true}, {2100, false}}) {
    PrintInputs in = Inputs(store, {1, year, calendar::DayOfWeek(1, 1, year)});
    testing::RecordingCanvas c;
    PrintCalendarPage(c, in, CalendarPageKind::Transmitter);
    EXPECT_EQ(Count(c, "29"), february29 ? 12 : 11) << year;
  }
}

TEST(PrintCalendar, ASaturdayStartThirtyOneDayMonthUsesSixWeekRows) {
  testing::FakeStore store;
  PrintInputs in = Inputs(store, {3, 2008, 7});  // 1 March 2008 was a Saturday
  testing::RecordingCanvas c;
  PrintCalendarPage(c, in, CalendarPageKind::Transmitter);
  const auto* first = c.find("1");
  const auto* d23 = c.find("23");
  const auto* d30 = c.find("30");
  const auto* d31 = c.find("31");
  ASSERT_TRUE(first && d23 && d30 && d31);
  EXPECT_GT(d30->y, d23->y) << "the 30th starts a sixth week row";
  EXPECT_EQ(d31->y, d30->y);
  EXPECT_LT(d30->x, first->x) << "the 1st is in Saturday's column";
}

TEST(PrintCalendar, AnActiveDayWithItsWeekdayOffIsNotMarked) {
  testing::FakeStore store;
  PrintInputs in = Inputs(store, {11, 2006, 4});
  in.config.transmitterDays.setQuarter(11, 0, true);  // days 1-7 active, no weekday on
  testing::RecordingCanvas c;
  PrintCalendarPage(c, in, CalendarPageKind::Transmitter);
  for (const auto& t : c.texts) {
    if (t.font == PrintFont::Marked) {
      EXPECT_EQ(t.text, "VHF Transmitter Schedule On");
    }
  }
}

}  // namespace
}  // namespace zelkor
