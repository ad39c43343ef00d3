#include "transmitter_schedule_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "access_levels.h"
#include "dialog_fields.h"

namespace zelkor {

TransmitterScheduleDialog::TransmitterScheduleDialog(ScheduleContext& c, QWidget* parent) : QDialog(parent), c_(c) {
  setWindowTitle("Transmitter Schedule");
  int offset = 0;
  ReadUtcOffsetHours(c.store, &offset);
  auto* layout = new QVBoxLayout(this);
  auto* group = new QGroupBox("Times the VHF Transmitter schedule is on", this);
  SetControlId(group, 1119);
  auto* g = new QGridLayout(group);
  auto* onLabel = Label(group, 1120, "Turn On Time (hr)");
  on_ = NumberField(group, 1122, LocalHour(c.config.transmitterOnHourUtc, offset));
  auto* offLabel = Label(group, 1121, "Turn Off Time (hr)");
  off_ = NumberField(group, 1123, LocalHour(c.config.transmitterOffHourUtc, offset));
  auto* offsetLabel = Label(group, 1248, "Offset from UTC (hrs)");
  offset_ = new QLineEdit(QString::fromStdString(ReadOffsetText(c.store)), group);
  offset_->setReadOnly(true);
  SetControlId(offset_, 1249);
  timeLabel_ = Label(group, 1124,
                     UsesReleaseDays(c.config) ? "Number of Days until release"
                                               : "Hours VHF Transmitter remains on after power up or CU contact");
  time_ = NumberField(group, 1228, TransmitterTimeValue(c.config));
  g->addWidget(onLabel, 0, 0);
  g->addWidget(on_, 0, 1);
  g->addWidget(new QLabel(":00", group), 0, 2);
  g->addWidget(offLabel, 1, 0);
  g->addWidget(off_, 1, 1);
  g->addWidget(new QLabel(":00", group), 1, 2);
  g->addWidget(offsetLabel, 2, 0);
  g->addWidget(offset_, 2, 1, 1, 2);
  g->addWidget(timeLabel_, 3, 0);
  g->addWidget(time_, 3, 1);
  layout->addWidget(group);

  lists_ = AddStartLists(this, layout, {1263, 1258, 1261, 1259, 1262, 1250}, c.startMonthIndex, c.startYearIndex);
  month_ = lists_.month;
  year_ = lists_.year;
  calendar_ = lists_.calendar;
  cancel_ = AddOkCancel(this, layout);
  connect(calendar_, &QPushButton::clicked, this, &TransmitterScheduleDialog::viewCalendar);

  if (c.viewOnly) {
    for (QLineEdit* e : {on_, off_, time_}) e->setReadOnly(true);
    cancel_->hide();
  }
  ApplyAccessLevels(c.state, {{1119, group},
                              {1120, onLabel},
                              {1121, offLabel},
                              {1122, on_},
                              {1123, off_},
                              {1124, timeLabel_},
                              {1228, time_},
                              {1248, offsetLabel},
                              {1249, offset_},
                              {1250, calendar_, LockStyle::LeaveAlone},
                              {1258, month_, LockStyle::Disable},
                              {1259, year_, LockStyle::Disable},
                              {1261, lists_.monthLabel, LockStyle::Disable},
                              {1262, lists_.yearLabel, LockStyle::Disable},
                              {1263, lists_.group, LockStyle::Disable}});
}

void TransmitterScheduleDialog::viewCalendar() {
  CalendarRequest r;
  r.kind = CalendarKind::Transmitter;
  OpenCalendarFrom(c_, r, on_, off_, lists_);
}

void TransmitterScheduleDialog::accept() {
  int on, off, time;
  if (!ReadRange(on_, 0, 23, c_.prompter, &on) || !ReadRange(off_, 0, 23, c_.prompter, &off) ||
      !ReadRange(time_, 0, 2719, c_.prompter, &time))
    return;
  c_.startMonthIndex = month_->currentIndex();
  c_.startYearIndex = year_->currentIndex();
  if (!c_.viewOnly) {
    int offset = 0;
    if (!ReadUtcOffsetHours(c_.store, &offset)) c_.prompter.notify(kUtcOffsetReadError, "", PromptIcon::Error);
    c_.config.transmitterOnHourUtc = static_cast<uint8_t>(UtcHour(on, offset));
    c_.config.transmitterOffHourUtc = static_cast<uint8_t>(UtcHour(off, offset));
    if (c_.config.transmitterOnHourUtc > c_.config.transmitterOffHourUtc)
      c_.warner.warn(kTransmitterDayBoundaryNotice, HelpTopic::Transmitter);
    if (StoreTransmitterTimeValue(c_.config, time)) c_.warner.warn(kTransmitterHoursClampNotice, HelpTopic::Transmitter);
  }
  QDialog::accept();
}

}  // namespace zelkor
