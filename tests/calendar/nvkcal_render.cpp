// nvkcal_render DIR: loads the calendar control by its class id, fills it
// with a sample schedule and writes a PNG of each tab into DIR.
#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <cstdio>

#include "nvk_calendar.h"
#include "plugin_loader.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: nvkcal_render DIR\n");
    return 64;
  }
  nvkcal::Factory* factory = zelkor::testing::LoadCalendar();
  if (!factory) {
    std::fprintf(stderr, "the calendar control was not found\n");
    return 1;
  }
  nvkcal::Control* c = factory->create(nullptr);
  auto put = [c](int id, const QVariant& v) { c->putProperty(id, v); };
  auto call = [c](int id, QVariantList a) {
    QVariant r;
    c->invoke(id, a, &r);
  };
  put(nvkcal::kStartMonth, 5);
  put(nvkcal::kStartYr, 2026);
  put(nvkcal::kStartTimeLabel, "Start Time");
  put(nvkcal::kStartTimeValue, "7:00");
  put(nvkcal::kStopTimeLabel, "Stop Time");
  put(nvkcal::kStopTimeValue, "11:00");
  put(nvkcal::kPrimeRate, "2 hrs 0 mins");
  put(nvkcal::kAuxRate, "0 hrs 30 mins");
  for (int m = 5; m <= 7; ++m)
    for (int q = 0; q < 4; ++q) call(nvkcal::kLoadCheckedDaysArray, {m, q, 1});
  for (int b = 0; b < 5; ++b) call(nvkcal::kLoadWeekDay, {true, b});
  call(nvkcal::kSetUpControl, {true, true});
  call(nvkcal::kUpdateControl, {});
  auto* w = static_cast<nvkcal::NVKCalendar*>(c->widget());
  w->resize(760, 520);
  w->show();
  QDir().mkpath(argv[1]);
  for (int tab = 0; tab < 2; ++tab) {
    w->tabs()->setCurrentIndex(tab);
    QApplication::processEvents();
    const QString file = QDir(argv[1]).filePath(tab == 0 ? "NVKCalendar-Month.png" : "NVKCalendar-Year.png");
    if (!w->grab().save(file)) return 1;
    std::printf("%s\n", qPrintable(file));
  }
  delete w;
  return 0;
}
