// "Transmitter Schedule": the VHF beacon's daily window in local hours
// (stored in UTC), and its time after power-up or days until release.
#pragma once

#include <QDialog>

#include "dialog_fields.h"
#include "schedule_context.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zelkor {

class AccessGuard;

class TransmitterScheduleDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TransmitterScheduleDialog(ScheduleContext& context, QWidget* parent = nullptr);
  void accept() override;

  QLineEdit* onHour() const { return on_; }
  QLineEdit* offHour() const { return off_; }
  QLineEdit* timeValue() const { return time_; }
  QLabel* timeLabel() const { return timeLabel_; }
  QLineEdit* offsetText() const { return offset_; }
  QComboBox* startMonth() const { return month_; }
  QComboBox* startYear() const { return year_; }
  QPushButton* calendarButton() const { return calendar_; }
  QPushButton* cancelButton() const { return cancel_; }

 private:
  void viewCalendar();

  ScheduleContext& c_;
  QLineEdit* on_;
  QLineEdit* off_;
  QLineEdit* time_;
  QLabel* timeLabel_;
  QLineEdit* offset_;
  QComboBox* month_;
  QComboBox* year_;
  QPushButton* calendar_;
  QPushButton* cancel_;
  AccessGuard* guard_;
  StartLists lists_;
};

}  // namespace zelkor
