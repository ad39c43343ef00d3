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
  const HourWindow window = AddHourWindow(
      this, layout, "Times the VHF Transmitter schedule is on", {1119, 1120, 1122, 1121, 1123, 1248, 1249},
      "Turn On Time (hr)", LocalHour(c.config.transmitterOnHourUtc, offset), "Turn Off Time (hr)",
      LocalHour(c.config.transmitterOffHourUtc, offset), QString::fromStdString(ReadOffsetText(c.store)));
  on_ = window.start;
  off_ = window.stop;
  offset_ = window.offset;
  timeLabel_ = Label(window.group, 1124,
                     UsesReleaseDays(c.config) ? "Number of Days until release"
                                               : "Hours VHF Transmitter remains on after power up or CU contact");
  time_ = NumberField(window.group, 1228, TransmitterTimeValue(c.config));
  if (UsesReleaseDays(c.config))
    SetRangeTip(time_, "Days until the collar releases", 0, 2719);
  else
    time_->setToolTip("Hours the transmitter stays on after power-up or contact: a whole number from 0 to 2719; "
                      "this collar keeps at most 255.");
  window.grid->addWidget(timeLabel_, 3, 0);
  window.grid->addWidget(time_, 3, 1);

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
  guard_ = new AccessGuard(c.state, this);
  for (const auto& [id, widget] : std::initializer_list<std::pair<int, QWidget*>>{
           {1119, window.group}, {1120, window.startLabel}, {1121, window.stopLabel}, {1122, on_}, {1123, off_},
           {1124, timeLabel_}, {1228, time_}, {1248, window.offsetLabel}, {1249, offset_}})
    guard_->add(id, widget);
  guard_->add(1250, calendar_, LockStyle::LeaveAlone);  // the calendar can always be looked at
  for (const auto& [id, widget] : std::initializer_list<std::pair<int, QWidget*>>{
           {1258, month_}, {1259, year_}, {1261, lists_.monthLabel}, {1262, lists_.yearLabel}, {1263, lists_.group}})
    guard_->add(id, widget, LockStyle::Disable);
}

void TransmitterScheduleDialog::viewCalendar() {
  CalendarRequest r;
  r.kind = CalendarKind::Transmitter;
  OpenCalendarFrom(c_, r, on_, off_, lists_);
}

void TransmitterScheduleDialog::accept() {
  std::optional<int> on, off, time;
  if (!ReadField(on_, 0, 23, c_.prompter, &on) || !ReadField(off_, 0, 23, c_.prompter, &off) ||
      !ReadField(time_, 0, 2719, c_.prompter, &time))
    return;
  c_.startMonthIndex = month_->currentIndex();
  c_.startYearIndex = year_->currentIndex();
  if (!c_.viewOnly) {
    int offset = 0;
    if (!ReadUtcOffsetHours(c_.store, &offset)) c_.prompter.notify(kUtcOffsetReadError, "", PromptIcon::Error);
    // A field the user could not edit and that holds no valid number keeps
    // the configuration's value.
    if (on) c_.config.transmitterOnHourUtc = static_cast<uint8_t>(UtcHour(*on, offset));
    if (off) c_.config.transmitterOffHourUtc = static_cast<uint8_t>(UtcHour(*off, offset));
    if (c_.config.transmitterOnHourUtc > c_.config.transmitterOffHourUtc)
      c_.warner.warn(kTransmitterDayBoundaryNotice, HelpTopic::Transmitter);
    if (time && StoreTransmitterTimeValue(c_.config, *time))
      c_.warner.warn(kTransmitterHoursClampNotice, HelpTopic::Transmitter);
  }
  QDialog::accept();
}

}  // namespace zelkor
