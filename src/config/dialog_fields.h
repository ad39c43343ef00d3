// Small pieces the configuration dialogs share: whole-number fields with a
// range checked on OK, and labelled rows.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <optional>

#include "app/prompter.h"
#include "schedule_context.h"

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QDialog;
class QGridLayout;
class QGroupBox;
class QPushButton;

namespace zelkor {

// A field holding a whole number, tagged with its control id.
QLineEdit* NumberField(QWidget* parent, int id, int value);
QLabel* Label(QWidget* parent, int id, const QString& text);

// The tooltip of a number field: what it holds, its unit and the range OK
// accepts, e.g. "Minutes between fixes: a whole number from 0 to 59."
void SetRangeTip(QWidget* field, const QString& what, int lo, int hi);

// Reads a field on OK: a whole number within lo-hi, or a message naming the
// range with the focus put in the field.
bool ReadRange(QLineEdit* field, int lo, int hi, Prompter& prompter, int* out);

// Whether the user can change a field: shown, enabled and not locked.
bool UserCanEdit(const QLineEdit* field);

// A number field of the configuration on OK. One the user can edit must
// hold a whole number within lo-hi (else the message, the focus in it, and
// false). One the user cannot edit (hidden or locked by the access table,
// disabled, or only viewed) is never checked, so that it cannot block OK:
// its text counts when it is a number within lo-hi; otherwise *out stays
// empty and the configuration keeps its own value.
bool ReadField(QLineEdit* field, int lo, int hi, Prompter& prompter, std::optional<int>* out);
// The same where the configuration's value `kept` stands in.
bool ReadField(QLineEdit* field, int lo, int hi, int kept, Prompter& prompter, int* out);

// For dialogs that have no access table entries.
void EnableAll(std::initializer_list<QWidget*> widgets, bool enabled);

// A fix rate: "<caption> [hours] hrs [minutes] mins".
struct RateRow {
  QLabel* label;
  QLineEdit* hours;
  QLabel* hrs;
  QLineEdit* minutes;
  QLabel* mins;
};
struct RateRowIds {
  int label, hours, hrs, minutes, mins;
};
RateRow AddRateRow(QWidget* parent, QBoxLayout* layout, const QString& caption, const RateRowIds& ids, int hours,
                   int minutes);

// Fix retries: the check box, the retry delay and the maximum retries.
struct RetryGroup {
  QGroupBox* group;
  QCheckBox* box;
  QLabel* delayLabel;
  QLineEdit* delay;
  QLabel* maxLabel;
  QLineEdit* max;
};
struct RetryGroupIds {
  int group, box, delay, delayLabel, max, maxLabel;
};
RetryGroup AddRetryGroup(QWidget* parent, QBoxLayout* layout, const QString& title, const RetryGroupIds& ids, bool on,
                         int delay, int max);

// A daily window in local hours, "<start> :00", "<stop> :00", and the
// time zone's name (read-only) in a group box. Rows 0-2 of grid are used.
struct HourWindow {
  QGroupBox* group;
  QGridLayout* grid;
  QLabel* startLabel;
  QLineEdit* start;
  QLabel* stopLabel;
  QLineEdit* stop;
  QLabel* offsetLabel;
  QLineEdit* offset;
};
struct HourWindowIds {
  int group, startLabel, start, stopLabel, stop, offsetLabel, offset;
};
HourWindow AddHourWindow(QWidget* parent, QBoxLayout* layout, const QString& title, const HourWindowIds& ids,
                         const QString& startCaption, int start, const QString& stopCaption, int stop,
                         const QString& offsetText);

// OK (the default) and Cancel at the bottom right, wired to accept and
// reject. Returns Cancel.
QPushButton* AddOkCancel(QDialog* dialog, QBoxLayout* layout);

// The "Start Month" and "Start Year" lists with "View Calendar" beside them.
struct StartLists {
  QGroupBox* group;
  QLabel* monthLabel;
  QComboBox* month;
  QLabel* yearLabel;
  QComboBox* year;
  QPushButton* calendar;
};
struct StartListIds {
  int group, month, monthLabel, year, yearLabel, calendar;
};
StartLists AddStartLists(QWidget* parent, QBoxLayout* layout, const StartListIds& ids, int monthIndex, int yearIndex);

// "View Calendar": the hours as typed (a failed check shows its message
// and the calendar opens anyway), the lists' month and year, then the
// calendar of the request, or a word that it is not installed.
void OpenCalendarFrom(ScheduleContext& context, CalendarRequest request, QLineEdit* start, QLineEdit* stop,
                      const StartLists& lists);

}  // namespace zelkor
