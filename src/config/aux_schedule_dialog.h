// "Auxiliary GPS Schedule": the second fix rate, its retries, and the daily
// window in local hours (stored in UTC).
#pragma once

#include <QDialog>

#include "dialog_fields.h"
#include "schedule_context.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zelkor {

class AccessGuard;

class AuxScheduleDialog : public QDialog {
  Q_OBJECT
 public:
  AuxScheduleDialog(ScheduleContext& context, int primaryHoursShown, int primaryMinutesShown,
                    QWidget* parent = nullptr);

  void accept() override;

  QLineEdit* rateHours() const { return hours_; }
  QLineEdit* rateMinutes() const { return minutes_; }
  QCheckBox* retries() const { return retries_; }
  QLineEdit* retryDelay() const { return delay_; }
  QLineEdit* maxRetries() const { return max_; }
  QLineEdit* startHour() const { return start_; }
  QLineEdit* stopHour() const { return stop_; }
  QLineEdit* offsetText() const { return offset_; }
  QComboBox* startMonth() const { return month_; }
  QComboBox* startYear() const { return year_; }
  QPushButton* calendarButton() const { return calendar_; }
  QPushButton* cancelButton() const { return cancel_; }

 private:
  void viewCalendar();
  void updateRetryFields();

  ScheduleContext& c_;
  int primaryHours_, primaryMinutes_;
  QLineEdit* hours_;
  QLineEdit* minutes_;
  QCheckBox* retries_;
  QLineEdit* delay_;
  QLabel* delayLabel_;
  QLineEdit* max_;
  QLabel* maxLabel_;
  QLineEdit* start_;
  QLineEdit* stop_;
  QLineEdit* offset_;
  QComboBox* month_;
  QComboBox* year_;
  QPushButton* calendar_;
  QPushButton* cancel_;
  AccessGuard* guard_;
  StartLists lists_;
};

}  // namespace zelkor
