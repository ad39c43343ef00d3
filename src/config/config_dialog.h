// "Collar Configuration": the hub of the configuration. Its own fields
// show the collar's identification, statistics and GPS parameters; its
// buttons open the schedule, mortality and activity dialogs, which change
// the configuration directly.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <vector>

#include "app/clock.h"
#include "app/command_ids.h"
#include "app/file_chooser.h"
#include "config/config_workflow.h"
#include "cnvk_calendar.h"
#include "schedule_context.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace zelkor {

class AccessGuard;

struct ConfigDialogContext {
  CollarConfig& config;
  bool viewOnly;
  const AppState& state;
  SettingsStore& store;
  Prompter& prompter;
  Warner& warner;
  FileChooser& files;
  const Clock& clock;
  CommandSink& commands;
  CalendarOpener calendar;
  // "Print Collar Configuration": the dialog's start month and year, and its
  // hidden calendar's day of the week.
  std::function<void(int startMonthIndex, int startYearIndex, const std::function<int(int, int, int)>& dayOfWeek)>
      print;
};

class ConfigDialog : public QDialog {
  Q_OBJECT
 public:
  ConfigDialog(ConfigDialogContext& context, ConfigFields& fields, QWidget* parent = nullptr);

  void accept() override;
  void reject() override;

  int startMonthIndex() const { return month_; }
  int startYearIndex() const { return year_; }
  QLineEdit* field(int controlId) const;
  QPushButton* button(int controlId) const;
  QPushButton* cancelButton() const { return cancel_; }
  void loadFromFile();
  // The day of the week (1 = Sunday) from the dialog's hidden calendar
  // control, or worked out here when the control is not installed.
  int calendarDayOfWeek(int month, int day, int year);
  bool hasHiddenCalendar() const { return hiddenCalendar_.valid(); }

 private:
  void takeFields();
  // keepTyped: a number field holding text that is not a number keeps it.
  void showFields(bool keepTyped = true);
  // Whether anything differs from the opening: the record, or the fields.
  bool changed() const;
  ScheduleContext scheduleContext();

  ConfigDialogContext& c_;
  ConfigFields& fields_;
  int month_;
  int year_;
  QLineEdit* id_;
  QLineEdit* version_;
  QLineEdit* blocks_;
  QLineEdit* onTime_;
  QLineEdit* battery_;
  QLineEdit* fixDuration_;
  QLineEdit* validFixes_;
  QLineEdit* almanac_;
  QComboBox* monthList_;
  QComboBox* yearList_;
  QPushButton* cancel_;
  QPushButton* print_;
  AccessGuard* guard_;
  CNVKCalendar hiddenCalendar_;
  CollarConfigRecord openingRecord_{};
  std::vector<QString> openingTexts_;
};

}  // namespace zelkor
