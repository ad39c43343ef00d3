// "GPS Fix Schedule": the primary fix rate, its retries, and whether the
// auxiliary schedule is on.
#pragma once

#include <QDialog>

#include "schedule_context.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zelkor {

class AccessGuard;

class GpsFixScheduleDialog : public QDialog {
  Q_OBJECT
 public:
  explicit GpsFixScheduleDialog(ScheduleContext& context, QWidget* parent = nullptr);

  void accept() override;
  // The rate the auxiliary calendar shows as primary.
  int rateHoursShown() const;
  int rateMinutesShown() const;

  QLineEdit* rateHours() const { return hours_; }
  QLineEdit* rateMinutes() const { return minutes_; }
  QCheckBox* retries() const { return retries_; }
  QLineEdit* retryDelay() const { return delay_; }
  QLineEdit* maxRetries() const { return max_; }
  QCheckBox* auxiliary() const { return aux_; }
  QPushButton* auxiliaryButton() const { return auxButton_; }
  QPushButton* cancelButton() const { return cancel_; }

 private:
  void retriesClicked();
  void auxiliaryClicked();
  void openAuxiliary();

  ScheduleContext& c_;
  QLineEdit* hours_;
  QLineEdit* minutes_;
  QCheckBox* retries_;
  QLineEdit* delay_;
  QLabel* delayLabel_;
  QLineEdit* max_;
  QLabel* maxLabel_;
  QCheckBox* aux_;
  QPushButton* auxButton_;
  QPushButton* cancel_;
  AccessGuard* guard_;
};

}  // namespace zelkor
