// CNVKCalendar: the program's side of the calendar control. It finds the
// control library by its class id at run time and calls every member by
// its dispatch id. A missing library leaves it empty; callers check valid().
#pragma once

#include <QString>
#include <QVariant>

#include "nvkcal_interface.h"

class QWidget;

namespace zelkor {

class CNVKCalendar {
 public:
  // The library exporting NVKCalendar's class id: in $ZELKOR_PLUGIN_DIR,
  // else in "plugins" next to the program. nullptr when there is none.
  static nvkcal::Factory* FindFactory();
  static QString PluginFolder();

  // Creates the control as a child of parent; false when it is not installed.
  bool create(QWidget* parent);
  bool valid() const { return control_ != nullptr; }
  QWidget* widget() const;
  nvkcal::Control* control() const { return control_; }

  void SetStartTimeLabel(const QString& s) { put(nvkcal::kStartTimeLabel, s); }
  void SetStartTimeValue(const QString& s) { put(nvkcal::kStartTimeValue, s); }
  void SetStopTimeLabel(const QString& s) { put(nvkcal::kStopTimeLabel, s); }
  void SetStopTimeValue(const QString& s) { put(nvkcal::kStopTimeValue, s); }
  void SetPrimeRate(const QString& s) { put(nvkcal::kPrimeRate, s); }
  void SetAuxRate(const QString& s) { put(nvkcal::kAuxRate, s); }
  void SetStartMonth(short v) { put(nvkcal::kStartMonth, v); }
  void SetStartYr(short v) { put(nvkcal::kStartYr, v); }
  short GetStartMonth() { return static_cast<short>(get(nvkcal::kStartMonth).toInt()); }
  short GetStartYr() { return static_cast<short>(get(nvkcal::kStartYr).toInt()); }

  // Booleans are the host's 0/1 integers; the call passes true or false.
  bool SetUpControl(int* controlEnabled, int* auxScheduleSetup);
  bool LoadWeekDay(int* value, short* dayOfWeek);
  bool LoadCheckedDaysArray(short* month, short* index, short* value);
  void UpdateControl();
  short ReadCheckedDaysArray(short* month, short* index);
  short ReadWeekDay(short* dayOfWeek);
  bool IsLeapYear(short* year);
  short GetDayofWeek(short* month, short* day, short* year);
  QVariant SaveSettings();

 private:
  void put(int id, const QVariant& v);
  QVariant get(int id);
  QVariant call(int id, QVariantList args);
  nvkcal::Control* control_ = nullptr;
};

}  // namespace zelkor
