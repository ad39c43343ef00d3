#include "aux_schedule_dialog.h"

#include <QApplication>
#include <QCheckBox>
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

AuxScheduleDialog::AuxScheduleDialog(ScheduleContext& c, int primaryHoursShown, int primaryMinutesShown,
                                     QWidget* parent)
    : QDialog(parent), c_(c), primaryHours_(primaryHoursShown), primaryMinutes_(primaryMinutesShown) {
  setWindowTitle("Auxiliary GPS Schedule");
  int offset = 0;
  ReadUtcOffsetHours(c.store, &offset);  // unreadable: 0, the consistent choice

  auto* layout = new QVBoxLayout(this);
  const RateRow rate = AddRateRow(this, layout, "Auxiliary GPS fix rate", {1080, 1081, 1172, 1093, 1173},
                                  c.config.auxRateHours, c.config.auxRateMinutes);
  hours_ = rate.hours;
  minutes_ = rate.minutes;
  const RetryGroup retry =
      AddRetryGroup(this, layout, "Auxiliary GPS fix retries", {1082, 1083, 1085, 1084, 1086, 1118},
                    c.config.auxRetriesEnabled, c.config.auxRetryDelayMinutes, c.config.auxMaxRetries);
  retries_ = retry.box;
  delayLabel_ = retry.delayLabel;
  delay_ = retry.delay;
  maxLabel_ = retry.maxLabel;
  max_ = retry.max;
  SetRangeTip(max_, "Most retries of one failed fix", 0, 127);

  const HourWindow window = AddHourWindow(
      this, layout, "Times the auxiliary schedule is used", {1233, 1087, 1090, 1088, 1091, 1089, 1197},
      "Start Time (hr)", LocalHour(c.config.auxStartHourUtc, offset), "Stop Time (hr)",
      LocalHour(c.config.auxStopHourUtc, offset), QString::fromStdString(ReadOffsetText(c.store)));
  start_ = window.start;
  stop_ = window.stop;
  offset_ = window.offset;

  lists_ = AddStartLists(this, layout, {1264, 1256, 1260, 1257, 1217, 1159}, c.startMonthIndex, c.startYearIndex);
  month_ = lists_.month;
  year_ = lists_.year;
  calendar_ = lists_.calendar;
  cancel_ = AddOkCancel(this, layout);
  connect(retries_, &QCheckBox::clicked, this, &AuxScheduleDialog::updateRetryFields);
  connect(calendar_, &QPushButton::clicked, this, &AuxScheduleDialog::viewCalendar);

  guard_ = new AccessGuard(c.state, this);
  for (const auto& [id, widget] : std::initializer_list<std::pair<int, QWidget*>>{
           {1081, hours_},          {1093, minutes_},          {1080, rate.label},     {1172, rate.hrs},
           {1173, rate.mins},       {1082, retry.group},       {1083, retries_},       {1085, delay_},
           {1084, delayLabel_},     {1086, max_},              {1118, maxLabel_},      {1233, window.group},
           {1090, start_},          {1087, window.startLabel}, {1091, stop_},          {1088, window.stopLabel},
           {1197, offset_},         {1089, window.offsetLabel}, {1159, calendar_}})
    guard_->add(id, widget);
  for (const auto& [id, widget] : std::initializer_list<std::pair<int, QWidget*>>{
           {1264, lists_.group}, {1256, month_}, {1260, lists_.monthLabel}, {1257, year_}, {1217, lists_.yearLabel}})
    guard_->add(id, widget, LockStyle::LeaveAlone);

  if (c.viewOnly) {
    cancel_->hide();
    LockCheckBox(retries_);
    if (retries_->isChecked()) {
      delay_->setReadOnly(true);
      max_->setReadOnly(true);
    } else {
      guard_->setEnabled({delay_, max_, delayLabel_, maxLabel_}, false);
    }
    for (QLineEdit* e : {hours_, minutes_, start_, stop_}) e->setReadOnly(true);
  } else {
    updateRetryFields();
  }
}

void AuxScheduleDialog::updateRetryFields() {
  guard_->setEnabled({delay_, max_, delayLabel_, maxLabel_}, retries_->isChecked());
}

void AuxScheduleDialog::viewCalendar() {
  CalendarRequest r;
  r.kind = CalendarKind::Auxiliary;
  r.auxRateHours = hours_->text().toInt();
  r.auxRateMinutes = minutes_->text().toInt();
  r.primaryRateHours = primaryHours_;
  r.primaryRateMinutes = primaryMinutes_;
  OpenCalendarFrom(c_, r, start_, stop_, lists_);
}

void AuxScheduleDialog::accept() {
  const CollarConfig& k = c_.config;
  int hours, minutes, delay = 0, max = 0;
  std::optional<int> start, stop;
  if (!ReadField(hours_, 0, 255, k.auxRateHours, c_.prompter, &hours) ||
      !ReadField(minutes_, 0, 59, k.auxRateMinutes, c_.prompter, &minutes))
    return;
  if (!ReadField(delay_, 1, 255, k.auxRetryDelayMinutes, c_.prompter, &delay)) return;
  if (!ReadField(max_, 0, 127, k.auxMaxRetries, c_.prompter, &max)) return;
  if (!ReadField(start_, 0, 23, c_.prompter, &start) || !ReadField(stop_, 0, 23, c_.prompter, &stop)) return;
  const bool retriesOn = retries_->isChecked();
  if (CheckAuxRate(hours, minutes, retriesOn, max, delay) == RateCheck::RetriesPastNextFix) {
    c_.prompter.notify(kRetriesPastNextFix, "ERROR", PromptIcon::Error);
    max_->setFocus();
    return;
  }
  c_.startMonthIndex = month_->currentIndex();
  c_.startYearIndex = year_->currentIndex();
  if (!c_.viewOnly) {
    int offset = 0;
    if (!ReadUtcOffsetHours(c_.store, &offset)) c_.prompter.notify(kUtcOffsetReadError, "", PromptIcon::Error);
    c_.config.auxRateHours = static_cast<uint8_t>(hours);
    c_.config.auxRateMinutes = static_cast<uint8_t>(minutes);
    c_.config.auxRetriesEnabled = retriesOn;
    c_.config.auxRetryDelayMinutes = static_cast<uint8_t>(delay);
    c_.config.auxMaxRetries = static_cast<uint8_t>(max);
    // An hour the user could not edit and that is no hour keeps its value.
    if (start) c_.config.auxStartHourUtc = static_cast<uint8_t>(UtcHour(*start, offset));
    if (stop) c_.config.auxStopHourUtc = static_cast<uint8_t>(UtcHour(*stop, offset));
  }
  if (c_.config.auxStartHourUtc > c_.config.auxStopHourUtc) c_.warner.warn(kAuxOverlapNotice, HelpTopic::AuxiliarySchedule);
  QDialog::accept();
}

}  // namespace zelkor
