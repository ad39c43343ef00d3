#include "mortality_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QFontInfo>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "access_levels.h"
#include "config/schedule_rules.h"
#include "dialog_fields.h"

namespace zelkor {

MortalityDialog::MortalityDialog(CollarConfig& config, bool viewOnly, const AppState& state, QWidget* parent)
    : QDialog(parent), config_(config), viewOnly_(viewOnly), value_(MortalityHoursShown(config)) {
  setWindowTitle("Mortality Settings");
  auto* layout = new QVBoxLayout(this);
  auto box = [this, layout](int id, const char* text, bool checked) {
    auto* b = new QCheckBox(text, this);
    b->setChecked(checked);
    SetControlId(b, id);
    layout->addWidget(b);
    return b;
  };
  enabled_ = box(1069, "Mortality Enabled", config.mortalityEnabled);
  hold_ = box(1073, "Hold in Mortality", config.holdInMortality);
  slow_ = box(1076, "Slow Mortality", config.slowMortality);
  duty_ = box(1077, "Duty cycle override of mortality", config.dutyCycleOverride);
  auto* row = new QHBoxLayout;
  hoursLabel_ = Label(this, 1079, "Hours of inactivity to Trigger");
  hours_ = NumberField(this, 1074, value_);
  hours_->setReadOnly(true);  // the hours change only through the spin control
  hours_->setToolTip("Hours without movement before the collar signals mortality: 1 to 63, "
                     "changed with the arrows beside it.");
  spin_ = new QSpinBox(this);
  SetControlId(spin_, 1171);
  spin_->setRange(-1, 1);  // a bare up/down control: each press is one step
  spin_->setValue(0);
  spin_->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
  spin_->setFixedWidth(20);
  spin_->setToolTip("One hour more or less (Up and Down keys).");
  connect(spin_, qOverload<int>(&QSpinBox::valueChanged), this, [this](int v) {
    if (v == 0) return;
    spin(v);
    QSignalBlocker block(spin_);
    spin_->setValue(0);
  });
  row->addWidget(hoursLabel_);
  row->addWidget(hours_);
  row->addWidget(spin_);
  row->addStretch();
  layout->addLayout(row);
  cancel_ = AddOkCancel(this, layout);
  connect(enabled_, &QCheckBox::clicked, this, &MortalityDialog::enabledClicked);

  guard_ = new AccessGuard(state, this);
  for (const auto& [id, widget] : std::initializer_list<std::pair<int, QWidget*>>{
           {1069, enabled_}, {1073, hold_}, {1076, slow_}, {1077, duty_}, {1079, hoursLabel_}, {1171, spin_}})
    guard_->add(id, widget, LockStyle::Disable);
  guard_->add(1074, hours_, LockStyle::LeaveAlone);  // read-only in every mode already

  const bool on = enabled_->isChecked();
  if (viewOnly) {
    guard_->setEnabled(spin_, false);
    cancel_->hide();
    LockCheckBox(enabled_);
    if (on) {
      for (QCheckBox* b : {hold_, slow_, duty_}) LockCheckBox(b);
    } else {
      guard_->setEnabled({hold_, slow_, duty_, hours_, hoursLabel_}, false);
    }
  } else {
    guard_->setEnabled({hold_, slow_, duty_, hours_, hoursLabel_, spin_}, on);
  }
}

void MortalityDialog::spin(int delta) {
  value_ = SpinMortalityHours(value_, delta);
  hours_->setText(QString::number(value_));
}

void MortalityDialog::enabledClicked() {
  if (viewOnly_) return;
  guard_->setEnabled({hold_, slow_, duty_, hours_, hoursLabel_, spin_}, enabled_->isChecked());
}

void MortalityDialog::accept() {
  if (value_ < 0 || value_ > 100) {
    hours_->setFocus();
    return;
  }
  if (!viewOnly_) {
    config_.mortalityEnabled = enabled_->isChecked();
    config_.holdInMortality = hold_->isChecked();
    config_.slowMortality = slow_->isChecked();
    config_.dutyCycleOverride = duty_->isChecked();
    config_.mortalityTriggerHours = static_cast<float>(value_);
  }
  QDialog::accept();
}

ActivityDialog::ActivityDialog(Prompter& prompter, bool viewOnly, QWidget* parent)
    : QDialog(parent), prompter_(prompter), viewOnly_(viewOnly) {
  setWindowTitle("Activity Parameters");
  auto* layout = new QVBoxLayout(this);
  // The collar's configuration has no place for an activity trigger: say
  // so, rather than let the form look as if it were sent.
  note_ = new QLabel("These settings describe an activity trigger for your own notes. They are not part of the "
                     "collar's configuration and are not sent to the collar.",
                     this);
  note_->setWordWrap(true);
  layout->addWidget(note_);
  auto* params = new QGroupBox("Activity Parameters", this);
  auto* pl = new QVBoxLayout(params);
  triggered_ = new QCheckBox("Activity Triggered GPS", params);
  pl->addWidget(triggered_);
  typeGroup_ = new QGroupBox("Type of Activity Event", params);
  auto* tl = new QHBoxLayout(typeGroup_);
  cumulative_ = new QRadioButton("Cumulative", typeGroup_);
  consecutive_ = new QRadioButton("Consecutive Minutes", typeGroup_);
  auto* group = new QButtonGroup(this);
  group->addButton(cumulative_, 0);
  group->addButton(consecutive_, 1);
  tl->addWidget(cumulative_);
  tl->addWidget(consecutive_);
  pl->addWidget(typeGroup_);
  // The two group titles are one and a half times the dialog font's
  // height; a style sheet reaches the titles only, not the controls inside.
  params->setObjectName("activityParameters");
  typeGroup_->setObjectName("activityType");
  // The font's own height (its pixel size), not the line height.
  params->setStyleSheet(QString("QGroupBox#activityParameters, QGroupBox#activityType { font-size: %1px; }")
                            .arg(static_cast<int>(QFontInfo(font()).pixelSize() * 1.5)));
  auto* grid = new QGridLayout;
  togglesLabel_ = new QLabel("Number of switch toggles needed to trigger an activity event.", params);
  toggles_ = new QLineEdit("0", params);
  toggles_->setValidator(new QIntValidator(toggles_));
  toggles_->setToolTip("Switch toggles that make one activity event: a whole number.");
  minutesLabel_ = new QLabel("Number of consecutive minutes the above activity level is met or exceeded.", params);
  minutes_ = new QLineEdit("0", params);
  minutes_->setValidator(new QIntValidator(minutes_));
  minutes_->setToolTip("Consecutive minutes at or above that activity level: a whole number.");
  grid->addWidget(togglesLabel_, 0, 0);
  grid->addWidget(toggles_, 0, 1);
  grid->addWidget(minutesLabel_, 1, 0);
  grid->addWidget(minutes_, 1, 1);
  pl->addLayout(grid);
  layout->addWidget(params);
  AddOkCancel(this, layout);
  connect(triggered_, &QCheckBox::clicked, this, [this] {
    if (triggered_->isChecked() && !cumulative_->isChecked() && !consecutive_->isChecked())
      cumulative_->setChecked(true);
    if (!triggered_->isChecked()) {
      auto* g = cumulative_->group();
      g->setExclusive(false);
      cumulative_->setChecked(false);
      consecutive_->setChecked(false);
      g->setExclusive(true);
    }
    refreshStates();
  });
  connect(group, &QButtonGroup::idClicked, this, [this](int) { refreshStates(); });
  refreshStates();
}

void ActivityDialog::refreshStates() {
  const bool on = triggered_->isChecked() && !viewOnly_;
  triggered_->setEnabled(!viewOnly_);
  EnableAll({typeGroup_, cumulative_, consecutive_, togglesLabel_, toggles_}, on);
  EnableAll({minutesLabel_, minutes_}, on && consecutive_->isChecked());
}

void ActivityDialog::accept() {
  // The fields the user can fill must hold whole numbers, like every field
  // of the program; a disabled one is left alone.
  for (QLineEdit* field : {toggles_, minutes_}) {
    if (!field->isEnabled()) continue;
    bool ok = false;
    field->text().trimmed().toInt(&ok);
    if (!ok) {
      prompter_.notify("Please enter an integer.", "", PromptIcon::Warning);
      field->setFocus();
      field->selectAll();
      return;
    }
  }
  QDialog::accept();
}

}  // namespace zelkor
