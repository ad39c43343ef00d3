// The interface of the calendar control, shared by the control library and
// its host. The host finds the library by its class id and reaches every
// member by its dispatch id; values cross as 16-bit integers, booleans and
// strings in QVariants, and arguments are passed by reference.
#pragma once

#include <QString>
#include <QVariant>
#include <QtPlugin>

class QWidget;

// Class id of NVKCalendar; the library's plugin metadata carries it as "ClassId".
#define NVKCAL_CLASS_ID "{AEB355B9-EB77-11D3-B3B2-00C06D167737}"
#define NVKCAL_LIBRARY_ID "{AEB355B7-EB77-11D3-B3B2-00C06D167737}"

namespace nvkcal {

enum DispatchId : int {
  kStartTimeLabel = 0x40030010,
  kStartTimeValue = 0x40030011,
  kStopTimeLabel = 0x40030012,
  kStopTimeValue = 0x40030013,
  kPrimeRate = 0x40030014,
  kAuxRate = 0x40030015,
  kStartMonth = 0x40030016,
  kStartYr = 0x40030017,
  kSetUpControl = 0x6003000F,
  kLoadWeekDay = 0x60030010,
  kLoadCheckedDaysArray = 0x60030011,
  kUpdateControl = 0x60030012,
  kReadCheckedDaysArray = 0x60030013,
  kReadWeekDay = 0x60030014,
  kIsLeapYear = 0x60030015,
  kGetDayofWeek = 0x60030016,
  kSaveSettings = 0x60030018,
};

// One created control (interface _NVKCalendar).
class Control {
 public:
  virtual ~Control() = default;
  virtual QWidget* widget() = 0;
  // Calls a method; false for a failed call (then lastError says why).
  virtual bool invoke(int dispatchId, QVariantList& args, QVariant* result) = 0;
  virtual bool getProperty(int dispatchId, QVariant* value) = 0;
  virtual bool putProperty(int dispatchId, const QVariant& value) = 0;
  virtual QString lastError() const = 0;
};

// What the library exports: it creates controls.
class Factory {
 public:
  virtual ~Factory() = default;
  virtual Control* create(QWidget* parent) = 0;
};

}  // namespace nvkcal

// The interface id of _NVKCalendar.
#define NVKCAL_INTERFACE_ID "{76A02527-F7B3-4D0E-9FAF-4676C01B8EEB}"
Q_DECLARE_INTERFACE(nvkcal::Factory, NVKCAL_INTERFACE_ID)
