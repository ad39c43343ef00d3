#include "dialog_fields.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>

#include "access_levels.h"

namespace zelkor {

QLineEdit* NumberField(QWidget* parent, int id, int value) {
  auto* e = new QLineEdit(QString::number(value), parent);
  e->setMaximumWidth(70);
  SetControlId(e, id);
  return e;
}

QLabel* Label(QWidget* parent, int id, const QString& text) {
  auto* l = new QLabel(text, parent);
  SetControlId(l, id);
  return l;
}

void SetRangeTip(QWidget* field, const QString& what, int lo, int hi) {
  field->setToolTip(QString("%1: a whole number from %2 to %3.").arg(what).arg(lo).arg(hi));
}

bool ReadRange(QLineEdit* field, int lo, int hi, Prompter& prompter, int* out) {
  bool ok = false;
  const long v = field->text().trimmed().toLong(&ok);
  if (!ok) {
    prompter.notify("Please enter an integer.", "", PromptIcon::Warning);
  } else if (v < lo || v > hi) {
    prompter.notify(QString("Please enter an integer between %1 and %2.").arg(lo).arg(hi).toStdString(), "",
                    PromptIcon::Warning);
    ok = false;
  }
  if (!ok) {
    field->setFocus();
    field->selectAll();
    return false;
  }
  *out = static_cast<int>(v);
  return true;
}

bool UserCanEdit(const QLineEdit* field) { return field->isEnabled() && !field->isReadOnly() && !field->isHidden(); }

bool ReadField(QLineEdit* field, int lo, int hi, Prompter& prompter, std::optional<int>* out) {
  out->reset();
  if (UserCanEdit(field)) {
    int v = 0;
    if (!ReadRange(field, lo, hi, prompter, &v)) return false;
    *out = v;
    return true;
  }
  bool ok = false;
  const long v = field->text().trimmed().toLong(&ok);
  if (ok && v >= lo && v <= hi) *out = static_cast<int>(v);
  return true;
}

bool ReadField(QLineEdit* field, int lo, int hi, int kept, Prompter& prompter, int* out) {
  std::optional<int> v;
  if (!ReadField(field, lo, hi, prompter, &v)) return false;
  *out = v.value_or(kept);
  return true;
}

void EnableAll(std::initializer_list<QWidget*> widgets, bool enabled) {
  for (QWidget* w : widgets) w->setEnabled(enabled);
}

RateRow AddRateRow(QWidget* parent, QBoxLayout* layout, const QString& caption, const RateRowIds& ids, int hours,
                   int minutes) {
  RateRow r;
  auto* row = new QHBoxLayout;
  r.label = Label(parent, ids.label, caption);
  r.hours = NumberField(parent, ids.hours, hours);
  r.hrs = Label(parent, ids.hrs, "hrs");
  r.minutes = NumberField(parent, ids.minutes, minutes);
  r.mins = Label(parent, ids.mins, "mins");
  SetRangeTip(r.hours, "Hours between fixes", 0, 255);
  SetRangeTip(r.minutes, "Minutes added to the hours", 0, 59);
  for (QWidget* w : std::initializer_list<QWidget*>{r.label, r.hours, r.hrs, r.minutes, r.mins}) row->addWidget(w);
  row->addStretch();
  layout->addLayout(row);
  return r;
}

RetryGroup AddRetryGroup(QWidget* parent, QBoxLayout* layout, const QString& title, const RetryGroupIds& ids, bool on,
                         int delay, int max) {
  RetryGroup g;
  g.group = new ControlGroup(title, parent);
  SetControlId(g.group, ids.group);
  auto* grid = new QGridLayout(g.group);
  g.box = new QCheckBox("GPS Fix Retries", g.group);
  SetControlId(g.box, ids.box);
  g.box->setChecked(on);
  g.delayLabel = Label(g.group, ids.delayLabel, "Retry Delay (mins)");
  g.delay = NumberField(g.group, ids.delay, delay);
  g.maxLabel = Label(g.group, ids.maxLabel, "Maximum Retries");
  g.max = NumberField(g.group, ids.max, max);
  SetRangeTip(g.delay, "Minutes to wait before retrying a failed fix", 1, 255);
  grid->addWidget(g.box, 0, 0, 1, 2);
  grid->addWidget(g.delayLabel, 1, 0);
  grid->addWidget(g.delay, 1, 1);
  grid->addWidget(g.maxLabel, 2, 0);
  grid->addWidget(g.max, 2, 1);
  layout->addWidget(g.group);
  return g;
}

HourWindow AddHourWindow(QWidget* parent, QBoxLayout* layout, const QString& title, const HourWindowIds& ids,
                         const QString& startCaption, int start, const QString& stopCaption, int stop,
                         const QString& offsetText) {
  HourWindow w;
  w.group = new ControlGroup(title, parent);
  SetControlId(w.group, ids.group);
  w.grid = new QGridLayout(w.group);
  w.startLabel = Label(w.group, ids.startLabel, startCaption);
  w.start = NumberField(w.group, ids.start, start);
  w.stopLabel = Label(w.group, ids.stopLabel, stopCaption);
  w.stop = NumberField(w.group, ids.stop, stop);
  w.offsetLabel = Label(w.group, ids.offsetLabel, "Offset from UTC (hrs)");
  // A long zone name shows its start, and the whole of it as a tip.
  w.offset = new QLineEdit(offsetText, w.group);
  w.offset->setReadOnly(true);
  w.offset->setCursorPosition(0);
  // Room for the whole zone name ("(GMT -07:00) Mountain Time (US & Canada)").
  QStyleOptionFrame frame;
  frame.initFrom(w.offset);
  const int textWidth = w.offset->fontMetrics().horizontalAdvance(offsetText) + 2 * w.offset->fontMetrics().averageCharWidth();
  w.offset->setMinimumWidth(
      w.offset->style()->sizeFromContents(QStyle::CT_LineEdit, &frame, QSize(textWidth, 0), w.offset).width());
  w.offset->setToolTip(offsetText.isEmpty() ? QString("No time zone is set; choose one under Set Offset from UTC.")
                                             : offsetText + "\nThe hours above are local time in this zone.");
  SetRangeTip(w.start, startCaption.section(" (", 0, 0) + ", local hour", 0, 23);
  SetRangeTip(w.stop, stopCaption.section(" (", 0, 0) + ", local hour", 0, 23);
  SetControlId(w.offset, ids.offset);
  w.grid->addWidget(w.startLabel, 0, 0);
  w.grid->addWidget(w.start, 0, 1);
  w.grid->addWidget(new QLabel(":00", w.group), 0, 2);
  w.grid->addWidget(w.stopLabel, 1, 0);
  w.grid->addWidget(w.stop, 1, 1);
  w.grid->addWidget(new QLabel(":00", w.group), 1, 2);
  w.grid->addWidget(w.offsetLabel, 2, 0);
  w.grid->addWidget(w.offset, 2, 1, 1, 2);
  layout->addWidget(w.group);
  return w;
}

QPushButton* AddOkCancel(QDialog* dialog, QBoxLayout* layout) {
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton("OK", dialog);
  auto* cancel = new QPushButton("Cancel", dialog);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  return cancel;
}

StartLists AddStartLists(QWidget* parent, QBoxLayout* layout, const StartListIds& ids, int monthIndex, int yearIndex) {
  StartLists s;
  s.group = new ControlGroup(QString(), parent);
  SetControlId(s.group, ids.group);
  auto* grid = new QGridLayout(s.group);
  auto list = [&](int id, const std::vector<std::string>& entries, int index) {
    auto* box = new QComboBox(s.group);
    for (const auto& e : entries) box->addItem(QString::fromStdString(e));
    box->setCurrentIndex(index);
    SetControlId(box, id);
    return box;
  };
  s.monthLabel = Label(s.group, ids.monthLabel, "Start Month");
  s.month = list(ids.month, MonthNames(), monthIndex);
  s.yearLabel = Label(s.group, ids.yearLabel, "Start Year");
  s.year = list(ids.year, YearNames(), yearIndex);
  s.month->setToolTip("The first month the schedule calendar shows (View Calendar).");
  s.year->setToolTip("The year the schedule calendar starts in: 2000 to 2100.");
  s.calendar = new QPushButton("View Calendar", s.group);
  SetControlId(s.calendar, ids.calendar);
  grid->addWidget(s.monthLabel, 0, 0);
  grid->addWidget(s.month, 0, 1);
  grid->addWidget(s.yearLabel, 1, 0);
  grid->addWidget(s.year, 1, 1);
  grid->addWidget(s.calendar, 0, 2, 2, 1);
  layout->addWidget(s.group);
  return s;
}

void OpenCalendarFrom(ScheduleContext& c, CalendarRequest r, QLineEdit* start, QLineEdit* stop,
                      const StartLists& lists) {
  r.config = &c.config;
  r.viewOnly = c.viewOnly;
  int v;
  r.startHour = ReadRange(start, 0, 23, c.prompter, &v) ? v : start->text().toInt();
  r.stopHour = ReadRange(stop, 0, 23, c.prompter, &v) ? v : stop->text().toInt();
  r.startMonth = lists.month->currentIndex() + 1;
  r.startYear = lists.year->currentIndex() + 2000;
  if (c.calendar)
    c.calendar(r);
  else
    CalendarNotInstalled(c.prompter);
}

}  // namespace zelkor
