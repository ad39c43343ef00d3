// "Mortality Settings" and the "Activity Parameters" form.
#pragma once

#include <QDialog>

#include "app/app_state.h"
#include "app/prompter.h"
#include "config/collar_config.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QPushButton;

namespace zelkor {

class AccessGuard;

class MortalityDialog : public QDialog {
  Q_OBJECT
 public:
  MortalityDialog(CollarConfig& config, bool viewOnly, const AppState& state, QWidget* parent = nullptr);
  void accept() override;
  // One step of the spin control (+1 or -1).
  void spin(int delta);

  QCheckBox* enabled() const { return enabled_; }
  QCheckBox* hold() const { return hold_; }
  QCheckBox* slow() const { return slow_; }
  QCheckBox* dutyCycle() const { return duty_; }
  QLineEdit* hours() const { return hours_; }
  QSpinBox* spinner() const { return spin_; }
  QPushButton* cancelButton() const { return cancel_; }

 private:
  void enabledClicked();

  CollarConfig& config_;
  bool viewOnly_;
  QCheckBox* enabled_;
  QCheckBox* hold_;
  QCheckBox* slow_;
  QCheckBox* duty_;
  QLineEdit* hours_;
  QLabel* hoursLabel_;
  QSpinBox* spin_;
  QPushButton* cancel_;
  AccessGuard* guard_;
  int value_;
};

// A form for an activity trigger; the record has no place for it, so
// nothing is kept.
class ActivityDialog : public QDialog {
  Q_OBJECT
 public:
  // viewOnly: the form is shown, and nothing on it can be changed.
  ActivityDialog(Prompter& prompter, bool viewOnly = false, QWidget* parent = nullptr);
  QLabel* note() const { return note_; }
  QCheckBox* triggered() const { return triggered_; }
  QRadioButton* cumulative() const { return cumulative_; }
  QRadioButton* consecutive() const { return consecutive_; }
  QLineEdit* toggles() const { return toggles_; }
  QLineEdit* minutes() const { return minutes_; }
  void accept() override;

 private:
  void refreshStates();
  Prompter& prompter_;
  bool viewOnly_;
  QLabel* note_;
  QCheckBox* triggered_;
  QGroupBox* typeGroup_;
  QRadioButton* cumulative_;
  QRadioButton* consecutive_;
  QLabel* togglesLabel_;
  QLineEdit* toggles_;
  QLabel* minutesLabel_;
  QLineEdit* minutes_;
};

}  // namespace zelkor
