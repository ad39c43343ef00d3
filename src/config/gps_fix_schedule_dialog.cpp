#include "gps_fix_schedule_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "access_levels.h"
#include "aux_schedule_dialog.h"
#include "dialog_fields.h"

namespace zelkor {

GpsFixScheduleDialog::GpsFixScheduleDialog(ScheduleContext& c, QWidget* parent) : QDialog(parent), c_(c) {
  setWindowTitle("GPS Fix Schedule");
  auto* layout = new QVBoxLayout(this);
  const RateRow rate = AddRateRow(this, layout, "Primary GPS Fix Rate", {1242, 1246, 1244, 1247, 1245},
                                  c.config.primaryRateHours, c.config.primaryRateMinutes);
  hours_ = rate.hours;
  minutes_ = rate.minutes;
  const RetryGroup retry = AddRetryGroup(this, layout, "GPS Fix Retries", {1243, 1061, 1062, 1067, 1063, 1068},
                                         c.config.retriesEnabled, c.config.retryDelayMinutes, c.config.maxRetries);
  retries_ = retry.box;
  delayLabel_ = retry.delayLabel;
  delay_ = retry.delay;
  maxLabel_ = retry.maxLabel;
  max_ = retry.max;
  SetRangeTip(max_, "Most retries of one failed fix", 1, 127);

  auto* auxGroup = new ControlGroup("Auxiliary GPS Fix Schedule", this);
  SetControlId(auxGroup, 1064);
  auto* ag = new QHBoxLayout(auxGroup);
  aux_ = new QCheckBox("Auxiliary GPS Schedule", auxGroup);
  SetControlId(aux_, 1065);
  aux_->setChecked(AuxiliaryScheduleOn(c.config));
  auxButton_ = new QPushButton("Auxiliary Schedule", auxGroup);
  SetControlId(auxButton_, 1066);
  ag->addWidget(aux_);
  ag->addWidget(auxButton_);
  layout->addWidget(auxGroup);

  cancel_ = AddOkCancel(this, layout);
  connect(retries_, &QCheckBox::clicked, this, &GpsFixScheduleDialog::retriesClicked);
  connect(aux_, &QCheckBox::clicked, this, &GpsFixScheduleDialog::auxiliaryClicked);
  connect(auxButton_, &QPushButton::clicked, this, &GpsFixScheduleDialog::openAuxiliary);

  guard_ = new AccessGuard(c.state, this);
  for (const auto& [id, widget] : std::initializer_list<std::pair<int, QWidget*>>{
           {1246, hours_}, {1247, minutes_}, {1242, rate.label}, {1244, rate.hrs}, {1245, rate.mins},
           {1243, retry.group}, {1061, retries_}, {1062, delay_}, {1067, delayLabel_}, {1063, max_},
           {1068, maxLabel_}, {1064, auxGroup}, {1065, aux_}, {1066, auxButton_}})
    guard_->add(id, widget);

  const bool retriesOn = retries_->isChecked();
  if (c.viewOnly) {
    cancel_->hide();
    LockCheckBox(retries_);
    LockCheckBox(aux_);
    hours_->setReadOnly(true);
    minutes_->setReadOnly(true);
    if (retriesOn) {
      delay_->setReadOnly(true);
      max_->setReadOnly(true);
    } else {
      guard_->setEnabled({delay_, max_, delayLabel_, maxLabel_}, false);
    }
  } else {
    guard_->setEnabled({delay_, max_, delayLabel_, maxLabel_}, retriesOn);
  }
  guard_->setEnabled(auxButton_, aux_->isChecked());
}

int GpsFixScheduleDialog::rateHoursShown() const { return hours_->text().toInt(); }
int GpsFixScheduleDialog::rateMinutesShown() const { return minutes_->text().toInt(); }

void GpsFixScheduleDialog::retriesClicked() {
  guard_->setEnabled({delay_, max_, delayLabel_, maxLabel_}, retries_->isChecked());
}

void GpsFixScheduleDialog::auxiliaryClicked() {
  if (c_.viewOnly) return;
  if (aux_->isChecked()) {
    guard_->setEnabled(auxButton_, true);
    return;
  }
  if (c_.prompter.ask(kDisableAuxQuestion, kDisableAuxCaption, PromptIcon::Question, PromptButtons::YesNo) ==
      PromptAnswer::Yes) {
    guard_->setEnabled(auxButton_, false);
  } else {
    aux_->setChecked(true);
  }
}

void GpsFixScheduleDialog::openAuxiliary() {
  AuxScheduleDialog dialog(c_, rateHoursShown(), rateMinutesShown(), this);
  dialog.exec();
}

void GpsFixScheduleDialog::accept() {
  const CollarConfig& k = c_.config;
  int hours, minutes, delay = 0, max = 0;
  // Fields the user cannot edit (hidden, locked, or retry fields of a
  // schedule without retries) are not checked: what they hold is kept only
  // when it is a number in range; otherwise the configuration's value stays.
  if (!ReadField(hours_, 0, 255, k.primaryRateHours, c_.prompter, &hours) ||
      !ReadField(minutes_, 0, 59, k.primaryRateMinutes, c_.prompter, &minutes))
    return;
  const bool retriesOn = retries_->isChecked();
  if (!ReadField(delay_, 1, 255, k.retryDelayMinutes, c_.prompter, &delay)) return;
  if (!ReadField(max_, 1, 127, k.maxRetries, c_.prompter, &max)) return;
  switch (CheckPrimaryRate(hours, minutes, retriesOn, max, delay)) {
    case RateCheck::BelowMinimum:
      c_.prompter.notify(kPrimaryRateTooShort, "ERROR", PromptIcon::Error);
      hours_->setFocus();
      return;
    case RateCheck::RetriesPastNextFix:
      c_.prompter.notify(kRetriesPastNextFix, "ERROR", PromptIcon::Error);
      max_->setFocus();
      return;
    case RateCheck::Ok:
      break;
  }
  if (!c_.viewOnly) {
    c_.config.primaryRateHours = static_cast<uint8_t>(hours);
    c_.config.primaryRateMinutes = static_cast<uint8_t>(minutes);
    c_.config.retryDelayMinutes = static_cast<uint8_t>(delay);
    c_.config.maxRetries = static_cast<uint8_t>(max);
    c_.config.retriesEnabled = retriesOn;
    if (!aux_->isChecked()) ClearAuxiliarySchedule(c_.config);
  }
  QDialog::accept();
}

}  // namespace zelkor
