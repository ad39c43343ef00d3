#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSettings>
#include <QColorDialog>
#include <QTemporaryDir>
#include <QTimer>

#include "calendar_views.h"
#include "colour_dialogs.h"
#include "nvk_calendar.h"
#include "plugin_loader.h"

namespace zelkor {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "calendar_tests";
  static char* argv[] = {name, nullptr};
  static QTemporaryDir config;
  static const bool configured = qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  (void)configured;
  // Deleted when the tests end, before the program's statics go.
  static QApplication* app = [] {
    auto* a = new QApplication(argc, argv);
    struct Close : ::testing::Environment {
      explicit Close(QApplication* a) : app(a) {}
      void TearDown() override { delete app; }
      QApplication* app;
    };
    ::testing::AddGlobalTestEnvironment(new Close(a));
    return a;
  }();
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

// Calls from outside the host's own use: invalid dates and months the views
// cannot show fail cleanly; StartMonth 0 puts the month view inside its
// window, and painting stays inside its tables (checked under the
// sanitizers).
TEST(CalendarPlugin, RefusesDatesAndMonthsItCannotShow) {
  App();
  nvkcal::Factory* factory = testing::LoadCalendar();
  ASSERT_NE(factory, nullptr);
  Driven d(factory, 1, 2004);
  d.call(nvkcal::kGetDayofWeek, {0, 1, 2004}, false);
  d.call(nvkcal::kGetDayofWeek, {2, 30, 2004}, false);
  EXPECT_EQ(d.control->lastError(), "Invalid procedure call or argument");
  for (int month : {13, -2}) {
    nvkcal::Control* bad = factory->create(nullptr);
    bad->putProperty(nvkcal::kStartMonth, month);
    bad->putProperty(nvkcal::kStartYr, 2004);
    QVariantList args = {true, true};
    QVariant v;
    EXPECT_FALSE(bad->invoke(nvkcal::kSetUpControl, args, &v)) << month;
    bad->widget()->resize(700, 500);
    (void)bad->widget()->grab();
    delete bad->widget();
  }
  Driven zero(factory, 0, 2004);
  auto* w = zero.widget();
  EXPECT_EQ(w->monthView()->month(), 5);
  EXPECT_EQ(w->monthView()->year(), 2000);
  w->resize(700, 500);
  w->show();
  w->weekBox(0)->click();
  w->quarterBox(3)->click();
  (void)w->grab();
  w->tabs()->setCurrentIndex(1);
  (void)w->grab();
}

// Every way out of "Change Calendar Colors" but OK leaves the colours and the
// stored keys as they were; OK stores the picked colour.
TEST(CalendarColours, OnlyOkOfTheColourDialogChangesAndStoresTheColours) {
  App();
  enum Way { Ok, CancelButton, CloseBox, Escape };
  for (Way way : {Ok, CancelButton, CloseBox, Escape}) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "NVK", "NVK");
    settings.remove("CALENDAR CONTROL");
    settings.sync();
    Driven d(testing::LoadCalendar(), 3, 2004);
    auto* w = d.widget();
    const uint32_t before = w->model().selectedColour();
    // Pick pure green for the selected days in the colour picker, then leave
    // the "Change Calendar Colors" dialog by the way under test.
    QTimer driver;
    bool picked = false;
    QObject::connect(&driver, &QTimer::timeout, [&] {
      QWidget* top = QApplication::activeModalWidget();
      if (auto* frm = qobject_cast<nvkcal::FrmColor*>(top)) {
        frm->picker()->setCurrentColor(QColor(0, 255, 0));
        for (auto* b : frm->findChildren<QPushButton*>())
          if (b->text() == "OK") b->click();
      } else if (auto* dialog = qobject_cast<nvkcal::ChangeColors*>(top)) {
        if (!picked) {
          // Later, from the event loop: the picker's own loop must not run
          // inside this timer's tick, which would hold back its next one.
          QTimer::singleShot(0, dialog->button1(), &QPushButton::click);
          picked = true;
          return;
        }
        if (way == Ok || way == CancelButton) {
          for (auto* b : dialog->findChildren<QPushButton*>())
            if (b->text() == (way == Ok ? "OK" : "Cancel")) b->click();
        } else if (way == CloseBox) {
          dialog->close();
        } else {
          QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
          QApplication::sendEvent(dialog, &esc);
        }
      }
    });
    driver.start(20);
    w->changeColors();
    driver.stop();
    QSettings after(QSettings::NativeFormat, QSettings::UserScope, "NVK", "NVK");
    after.beginGroup("CALENDAR CONTROL");
    if (way == Ok) {
      EXPECT_EQ(w->model().selectedColour(), 0x00FF00u);
      EXPECT_EQ(after.value("SELECTED AUX").toString(), QString::number(0x00FF00));
      // Rule L: the auxiliary legend in the selected colour.
      EXPECT_TRUE(w->legend("lblAuxRate", 0)->styleSheet().contains("#00ff00"));
    } else {
      EXPECT_EQ(w->model().selectedColour(), before) << way;
      EXPECT_FALSE(after.contains("SELECTED AUX")) << way;
    }
  }
}

// Read-only: neither the mouse nor the keyboard changes a box.
TEST(CalendarWidget, ReadOnlyBoxesTakeNoClick) {
  App();
  Driven d(testing::LoadCalendar(), 3, 2004, false);
  auto* w = d.widget();
  w->show();
  QCheckBox* box = w->quarterBox(1);
  const QPointF at(4, 4);
  QMouseEvent press(QEvent::MouseButtonPress, at, box->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, box->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(box, &press);
  QApplication::sendEvent(box, &release);
  QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
  QApplication::sendEvent(box, &space);
  EXPECT_FALSE(box->isChecked());
  EXPECT_EQ(d.call(nvkcal::kReadCheckedDaysArray, {3, 1}).toInt(), 0);
}

// Rule L: the legend's texts in the two colours of the mode.
TEST(CalendarWidget, TheLegendTakesTheColoursOfItsMode) {
  App();
  Driven d(testing::LoadCalendar(), 3, 2004);
  auto* w = d.widget();
  const QString sel = nvkcal::FromColourRef(w->model().selectedColour()).name();
  const QString unsel = nvkcal::FromColourRef(w->model().unselectedColour()).name();
  for (int copy = 0; copy < 2; ++copy) {
    for (const char* name : {"lblAuxGPSFix", "lblAuxRate", "lblStartTime", "lblStartTimeValue"})
      EXPECT_TRUE(w->legend(name, copy)->styleSheet().contains(sel)) << name;
    for (const char* name : {"lblPrimGPSFix", "lblPrimRate"})
      EXPECT_TRUE(w->legend(name, copy)->styleSheet().contains(unsel)) << name;
  }
}

// The Year tab at the size the control is given: every day of the twelve
// months inside the year view, and the legend beside it, covering none.
TEST(CalendarWidget, TheYearTabFitsItsMonthsAndLegendWithoutOverlap) {
  App();
  Driven d(testing::LoadCalendar(), 8, 2026);
  auto* w = d.widget();
  for (const QSize size : {w->sizeHint(), QSize(532, 357).expandedTo(w->minimumSizeHint())}) {
    w->resize(size);
    w->show();
    w->tabs()->setCurrentIndex(1);
    QApplication::processEvents();
    nvkcal::YearView* year = w->yearView();
    const QRect view = year->rect();
    for (int i = 0; i < 12; ++i) {
      const zelkor::calendar::CalDate m = year->boxMonth(i);
      for (int day = 1; day <= zelkor::calendar::DaysIn(m.month, m.year); ++day)
        ASSERT_TRUE(view.contains(year->dayRect(i, day))) << m.month << "/" << day << " at " << size.width();
    }
    const QRect yearArea(year->mapTo(w, QPoint(0, 0)), year->size());
    for (const char* name : {"lblPrimGPSFix", "lblPrimRate", "lblAuxGPSFix", "lblAuxRate", "lblStartTime",
                             "lblStartTimeValue", "lblStopTime", "lblStopTimeValue"}) {
      QLabel* label = w->legend(name, 1);
      const QRect area(label->mapTo(w, QPoint(0, 0)), label->size());
      EXPECT_FALSE(area.intersects(yearArea)) << name << " covers the months at " << size.width();
    }
    EXPECT_GE(year->width(), year->minimumWidth());
    EXPECT_GE(year->height(), year->minimumHeight());
  }
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

namespace zelkor {
namespace {

// The month view works from the keyboard: the arrows move to a day as a
// click would (crossing into the next month), Page Down turns the month,
// and nothing moves outside the control's window of months.
TEST(CalendarWidget, ArrowKeysMoveToADayAsAClickWouldAndPagesTurnTheMonth) {
  App();
  Driven d(testing::LoadCalendar(), 3, 2004);
  auto* w = d.widget();
  w->show();
  nvkcal::MonthView* month = w->monthView();
  EXPECT_TRUE(month->focusPolicy() & Qt::TabFocus);
  auto key = [month](int k) {
    QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(month, &e);
  };
  key(Qt::Key_Right);  // from the current 1 March
  EXPECT_EQ(w->model().clickedDate().day, 2);
  EXPECT_EQ(w->model().monthCurrentDate().day, 2);
  for (int i = 0; i < 5; ++i) key(Qt::Key_Down);  // 2 March + 35 days = 6 April
  EXPECT_EQ(month->month(), 4);
  EXPECT_EQ(w->model().clickedDate().month, 4);
  EXPECT_EQ(w->model().clickedDate().day, 6);
  key(Qt::Key_PageDown);
  EXPECT_EQ(month->month(), 5);
  const calendar::CalDate start = w->model().windowStart();
  month->showMonth(start.month, start.year);
  for (int i = 0; i < 40; ++i) key(Qt::Key_Up);
  EXPECT_EQ(month->month(), start.month) << "left the window";
  EXPECT_EQ(month->year(), start.year);
}

}  // namespace
}  // namespace zelkor
