// "Offset from UTC": the time-zone list; OK stores the choice.
#pragma once

#include <QDialog>

#include "app/app_state.h"
#include "app/prompter.h"
#include "app/settings_store.h"
#include "app/utc_offset.h"

class QComboBox;
class QLineEdit;

namespace zelkor {

class UtcOffsetDialog : public QDialog {
  Q_OBJECT
 public:
  UtcOffsetDialog(AppState& state, SettingsStore& store, Prompter& prompter,
                  QWidget* parent = nullptr);

  QComboBox* zoneList() const { return list_; }
  const UtcOffsetValues& values() const { return values_; }

  void accept() override;

 private:
  void derive();

  AppState& state_;
  SettingsStore& store_;
  Prompter& prompter_;
  QComboBox* list_;
  // Hidden fields carrying the derived values to OK.
  QLineEdit* textField_;
  QLineEdit* hoursField_;
  QLineEdit* minutesField_;
  UtcOffsetValues values_;
};

}  // namespace zelkor
