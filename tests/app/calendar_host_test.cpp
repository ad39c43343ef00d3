// The Calendar dialog with the real calendar control, reached by class id.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QTemporaryDir>

#include "calendar_dialog.h"
#include "nvk_calendar_probe.h"
#include "qt_app.h"
#include "support/scripted_prompter.h"

namespace zelkor {
namespace {

struct Host {
  CollarConfig config;
  testing::ScriptedPrompter prompter;
  CalendarRequest request;
  Host(CalendarKind kind = CalendarKind::Auxiliary) {
    testing::App();
    request.kind = kind;
    request.config = &config;
    request.viewOnly = false;
    request.startHour = 7;
    request.stopHour = 11;
    request.auxRateHours = 0;
    request.auxRateMinutes = 30;
    request.primaryRateHours = 2;
    request.primaryRateMinutes = 0;
    request.startMonth = 3;
    request.startYear = 2004;
  }
};

TEST(CalendarHost, FindsTheControlByItsClassId) {
  testing::App();
  ASSERT_NE(CNVKCalendar::FindFactory(), nullptr) << "no calendar control in " << CNVKCalendar::PluginFolder().toStdString();
}

TEST(CalendarHost, StartMonthTwelveAndYearIndexFourShowDecember2004) {
  Host h;
  h.request.startMonth = 11 + 1;
  h.request.startYear = 4 + 2000;
  CalendarDialog d(h.request, h.prompter);
  EXPECT_EQ(d.calendar().GetStartMonth(), 12);
  EXPECT_EQ(d.calendar().GetStartYr(), 2004);
  EXPECT_EQ(probe::WindowEnd(d.calendar()), "11/30/2005");
  EXPECT_EQ(d.windowTitle(), "GPS Fix Schedule");
  // The control gets at least the room its views ask for.
  d.show();
  QApplication::processEvents();
  QWidget* control = d.calendar().widget();
  EXPECT_GE(control->width(), control->sizeHint().width());
  EXPECT_GE(control->height(), control->sizeHint().height());
}

TEST(CalendarHost, QuartersLoadFromTheirFirstSlotAndOkWritesWholeQuarters) {
  Host h;
  h.config.auxDays.setDay(3, 8, true);  // the quarter of 8-15
  h.config.auxWeekdays[0] = true;       // Sunday
  CalendarDialog d(h.request, h.prompter);
  short m = 3, q = 1;
  EXPECT_EQ(d.calendar().ReadCheckedDaysArray(&m, &q), 1);
  short box = 6;
  EXPECT_EQ(d.calendar().ReadWeekDay(&box), 1) << "Sunday is box 6";
  // The user adds quarter 3 of February and Monday.
  probe::Load(d.calendar(), 2, 3, 1);
  probe::WeekDay(d.calendar(), 0, true);
  d.accept();
  for (int day = 8; day <= 15; ++day) EXPECT_TRUE(h.config.auxDays.day(3, day)) << day;
  for (int day = 24; day <= 31; ++day) EXPECT_TRUE(h.config.auxDays.day(2, day)) << day;
  EXPECT_TRUE(h.config.auxWeekdays[1]) << "box 0 is Monday";
  EXPECT_TRUE(h.config.auxWeekdays[0]);
  EXPECT_FALSE(h.config.auxWeekdays[2]);
}

TEST(CalendarHost, ViewOnlyHidesCancelAndWritesNothing) {
  Host h;
  h.request.viewOnly = true;
  CalendarDialog d(h.request, h.prompter);
  EXPECT_TRUE(d.cancelButton()->isHidden());
  probe::WeekDay(d.calendar(), 3, true);
  d.accept();
  for (bool w : h.config.auxWeekdays) EXPECT_FALSE(w);
  h.prompter.answers = {PromptAnswer::No};
  d.reject();  // the cancel key still asks
  EXPECT_EQ(h.prompter.messages.size(), 1u);
}

TEST(CalendarHost, TransmitterModeSendsEmptyRatesAndOnOffLabels) {
  Host h(CalendarKind::Transmitter);
  CalendarDialog d(h.request, h.prompter);
  EXPECT_EQ(d.windowTitle(), "Transmitter Schedule");
  EXPECT_EQ(probe::Property(d.calendar(), nvkcal::kPrimeRate), " hrs  min");
  EXPECT_EQ(probe::Property(d.calendar(), nvkcal::kAuxRate), " hrs  min");
  EXPECT_EQ(probe::Property(d.calendar(), nvkcal::kStartTimeLabel), "On Time");
  EXPECT_EQ(probe::Property(d.calendar(), nvkcal::kStopTimeLabel), "Off Time");
  EXPECT_EQ(probe::Property(d.calendar(), nvkcal::kStartTimeValue), "7");
}

TEST(CalendarHost, AuxiliaryRatesAreHoursAndMinutes) {
  Host h;
  CalendarDialog d(h.request, h.prompter);
  EXPECT_EQ(probe::Property(d.calendar(), nvkcal::kPrimeRate), "2 hrs 0 min");
  EXPECT_EQ(probe::Property(d.calendar(), nvkcal::kAuxRate), "0 hrs 30 min");
}

TEST(CalendarHost, CancelAsksAndOnlyYesDiscards) {
  Host h;
  CalendarDialog d(h.request, h.prompter);
  d.show();
  h.prompter.answers = {PromptAnswer::No, PromptAnswer::Yes};
  d.reject();
  EXPECT_TRUE(d.isVisible());
  ASSERT_EQ(h.prompter.messages.size(), 1u);
  EXPECT_EQ(h.prompter.messages[0].text,
            "Pressing CANCEL will discard any changes that have been made. Are you sure you want to discard all "
            "changes?");
  EXPECT_EQ(h.prompter.messages[0].caption, "Calendar");
  d.reject();
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(d.result(), QDialog::Rejected);
}

// The wait cursor covers the making of the dialog and stays on the window
// that opened it while it is open; the calendar keeps the ordinary pointer.
TEST(CalendarHost, TheOpenerShowsTheWaitCursorWhileTheCalendarIsOpen) {
  Host h;
  QDialog opener;
  bool checked = false;
  bool overridden = true;
  Qt::CursorShape openerCursor = Qt::ArrowCursor, calendarCursor = Qt::WaitCursor;
  QTimer::singleShot(200, [&] {
    overridden = QApplication::overrideCursor() != nullptr;
    openerCursor = opener.cursor().shape();
    checked = true;
    if (auto* d = qobject_cast<CalendarDialog*>(QApplication::activeModalWidget())) {
      calendarCursor = d->cursor().shape();
      d->done(QDialog::Accepted);
    }
  });
  OpenScheduleCalendar(h.request, h.prompter, &opener);
  ASSERT_TRUE(checked);
  EXPECT_FALSE(overridden);
  EXPECT_EQ(openerCursor, Qt::WaitCursor);
  EXPECT_EQ(calendarCursor, Qt::ArrowCursor);
  EXPECT_EQ(opener.cursor().shape(), Qt::ArrowCursor) << "back once the calendar closes";
}

TEST(CalendarHost, MissingControlIsExplainedAndNothingCrashes) {
  Host h;
  QTemporaryDir empty;
  qputenv("ZELKOR_PLUGIN_DIR", empty.path().toUtf8());
  OpenScheduleCalendar(h.request, h.prompter, nullptr);
  qunsetenv("ZELKOR_PLUGIN_DIR");
  ASSERT_EQ(h.prompter.messages.size(), 1u);
  EXPECT_NE(h.prompter.messages[0].text.find("calendar component is not installed"), std::string::npos);
  CNVKCalendar none;
  EXPECT_FALSE(none.valid());
  short m = 1, d = 1, y = 2004;
  EXPECT_EQ(none.GetDayofWeek(&m, &d, &y), 0);

  // A dialog whose control could not be made writes nothing on OK.
  h.config.auxWeekdays[3] = true;
  h.config.auxDays.setQuarter(4, 2, true);
  qputenv("ZELKOR_PLUGIN_DIR", empty.path().toUtf8());
  CalendarDialog dialog(h.request, h.prompter);
  qunsetenv("ZELKOR_PLUGIN_DIR");
  EXPECT_FALSE(dialog.calendar().valid());
  dialog.accept();
  EXPECT_TRUE(h.config.auxWeekdays[3]);
  EXPECT_TRUE(h.config.auxDays.day(4, 20));
}

}  // namespace
}  // namespace zelkor
