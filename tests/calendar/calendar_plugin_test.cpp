#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include "nvk_calendar.h"
#include "plugin_loader.h"

namespace zelkor {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "calendar_tests";
  static char* argv[] = {name, nullptr};
  static QTemporaryDir* config = [] {
    auto* d = new QTemporaryDir;
    qputenv("XDG_CONFIG_HOME", d->path().toUtf8());
    return d;
  }();
  (void)config;
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// Sets up a control through dispatch ids, as the host does.
struct Driven {
  nvkcal::Control* control = nullptr;
  explicit Driven(nvkcal::Factory* factory, int month = 3, int year = 2004, bool enabled = true) {
    control = factory->create(nullptr);
    put(nvkcal::kStartMonth, static_cast<short>(month));
    put(nvkcal::kStartYr, static_cast<short>(year));
    put(nvkcal::kStartTimeLabel, "Start Time");
    put(nvkcal::kStartTimeValue, "6:00");
    put(nvkcal::kPrimeRate, "2 hrs");
    call(nvkcal::kSetUpControl, {enabled, true});
    call(nvkcal::kUpdateControl, {});
  }
  ~Driven() { delete control->widget(); }
  void put(int id, const QVariant& v) { EXPECT_TRUE(control->putProperty(id, v)); }
  QVariant call(int id, QVariantList args, bool expectOk = true) {
    QVariant r;
    EXPECT_EQ(control->invoke(id, args, &r), expectOk) << std::hex << id << " " << control->lastError().toStdString();
    return r;
  }
  nvkcal::NVKCalendar* widget() { return static_cast<nvkcal::NVKCalendar*>(control->widget()); }
};

TEST(CalendarPlugin, IsFoundByItsClassIdAndAnswersThroughDispatchIds) {
  App();
  QString path;
  nvkcal::Factory* factory = testing::LoadCalendar(&path);
  ASSERT_NE(factory, nullptr) << "no plugin with the calendar's class id";
  Driven d(factory, 1, 2004);
  EXPECT_EQ(d.call(nvkcal::kGetDayofWeek, {1, 1, 2004}).toInt(), 5);
  EXPECT_TRUE(d.call(nvkcal::kIsLeapYear, {2000}).toBool());
  EXPECT_FALSE(d.call(nvkcal::kIsLeapYear, {1900}).toBool());
  d.call(nvkcal::kLoadCheckedDaysArray, {5, 2, 1});
  EXPECT_EQ(d.call(nvkcal::kReadCheckedDaysArray, {5, 2}).toInt(), 1);
  EXPECT_EQ(d.call(nvkcal::kReadCheckedDaysArray, {20, 9}).toInt(), 0);
  d.call(nvkcal::kReadCheckedDaysArray, {20, 1}, false);
  EXPECT_EQ(d.control->lastError(), "Subscript out of range");
  d.call(nvkcal::kLoadWeekDay, {true, 9}, false);
  d.call(nvkcal::kLoadWeekDay, {true, 3});
  EXPECT_EQ(d.call(nvkcal::kReadWeekDay, {3}).toInt(), 1);
  EXPECT_FALSE(d.call(nvkcal::kSaveSettings, {}).isValid());
  QVariant v;
  EXPECT_TRUE(d.control->getProperty(nvkcal::kStartYr, &v));
  EXPECT_EQ(v.toInt(), 2004);
  QVariantList none;
  EXPECT_FALSE(d.control->invoke(0x60030017, none, &v)) << "0x60030017 is not a member";
  nvkcal::Control* bad = factory->create(nullptr);
  bad->putProperty(nvkcal::kStartMonth, 3);
  bad->putProperty(nvkcal::kStartYr, 32767);
  QVariantList args = {true, true};
  EXPECT_FALSE(bad->invoke(nvkcal::kSetUpControl, args, &v));
  EXPECT_EQ(bad->lastError(), "Overflow");
  delete bad->widget();
}

TEST(CalendarWidget, ClickingQuarterAndMondaySelectsTheFirstOfMarch2004) {
  App();
  Driven d(testing::LoadCalendar(), 3, 2004);
  auto* w = d.widget();
  w->show();
  w->weekBox(0)->click();  // Monday first: no quarter, no colour
  EXPECT_FALSE(w->model().monthStyles().selected(3, 1, 2004));
  w->quarterBox(0)->click();
  EXPECT_TRUE(w->model().monthStyles().selected(3, 1, 2004));
  EXPECT_EQ(d.call(nvkcal::kReadCheckedDaysArray, {3, 0}).toInt(), 1);
  w->quarterBox(0)->click();
  EXPECT_FALSE(w->model().monthStyles().selected(3, 1, 2004));
  EXPECT_EQ(d.call(nvkcal::kReadCheckedDaysArray, {3, 0}).toInt(), 0);
}

TEST(CalendarWidget, YearTabShowsBothYearsByThePattern) {
  App();
  Driven d(testing::LoadCalendar(), 3, 2004);
  auto* w = d.widget();
  d.call(nvkcal::kLoadCheckedDaysArray, {2, 3, 1});
  d.call(nvkcal::kLoadWeekDay, {true, 6});  // Sunday
  w->tabs()->setCurrentIndex(1);
  EXPECT_TRUE(w->model().yearStyles().selected(2, 29, 2004));  // Sunday 29 February 2004
  EXPECT_TRUE(w->model().yearStyles().selected(2, 27, 2005));  // Sunday
  EXPECT_FALSE(w->model().yearStyles().selected(2, 26, 2005));
  EXPECT_EQ(w->legend("lblPrimRate", 1)->text(), "2 hrs");
}

TEST(CalendarWidget, ReadOnlyPassesTheFocusToChangeColors) {
  App();
  Driven d(testing::LoadCalendar(), 3, 2004, false);
  auto* w = d.widget();
  w->show();
  w->activateWindow();
  w->weekBox(2)->setFocus();
  QApplication::processEvents();
  EXPECT_NE(w->focusWidget(), w->weekBox(2));
  EXPECT_EQ(w->focusWidget(), w->changeColorsButton());
  EXPECT_TRUE(w->changeColorsButton()->isEnabled());
}

TEST(CalendarWidget, TransmitterModeHidesTheRateLegend) {
  App();
  nvkcal::Control* c = testing::LoadCalendar()->create(nullptr);
  c->putProperty(nvkcal::kStartMonth, 1);
  c->putProperty(nvkcal::kStartYr, 2004);
  QVariantList args = {true, false};
  QVariant r;
  ASSERT_TRUE(c->invoke(nvkcal::kSetUpControl, args, &r));
  auto* w = static_cast<nvkcal::NVKCalendar*>(c->widget());
  EXPECT_TRUE(w->legend("lblAuxRate", 0)->isHidden());
  EXPECT_TRUE(w->legend("lblPrimGPSFix", 1)->isHidden());
  EXPECT_EQ(w->model().unselectedColour(), 12632256u);
  delete w;
}

}  // namespace
}  // namespace zelkor
