// "Calendar": one schedule's days in the calendar control; OK writes the
// edited pattern into the configuration.
#pragma once

#include <QDialog>

#include "app/prompter.h"
#include "cnvk_calendar.h"
#include "config/calendar_request.h"

class QPushButton;

namespace zelkor {

inline const char kCalendarCancelQuestion[] =
    "Pressing CANCEL will discard any changes that have been made. Are you sure you want to discard all changes?";

class CalendarDialog : public QDialog {
  Q_OBJECT
 public:
  // The control must be installed (CNVKCalendar::FindFactory()).
  CalendarDialog(const CalendarRequest& request, Prompter& prompter, QWidget* parent = nullptr);

  void accept() override;
  void reject() override;

  CNVKCalendar& calendar() { return calendar_; }
  QPushButton* cancelButton() const { return cancel_; }

 private:
  CalendarRequest request_;
  Prompter& prompter_;
  CNVKCalendar calendar_;
  QPushButton* cancel_;
};

// "View Calendar": the Calendar dialog, or a clear word when the calendar
// control is not installed.
void OpenScheduleCalendar(const CalendarRequest& request, Prompter& prompter, QWidget* parent);

}  // namespace zelkor
