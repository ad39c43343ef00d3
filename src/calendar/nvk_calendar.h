// NVKCalendar: one schedule's yearly pattern of days, in a month view and a
// year view, edited with quarter and week-day boxes.
#pragma once

#include <QWidget>
#include <array>

#include "calendar/calendar_model.h"
#include "nvkcal_interface.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace nvkcal {

class MonthView;
class YearView;

// The colour pairs, in the per-user settings of "NVK", section "CALENDAR CONTROL".
class SettingsColourStore : public zelkor::calendar::ColourStore {
 public:
  std::optional<std::string> read(const std::string& key) override;
  void write(const std::string& key, const std::string& value) override;
};

class NVKCalendar : public QWidget, public Control {
  Q_OBJECT
 public:
  explicit NVKCalendar(QWidget* parent = nullptr);

  QWidget* widget() override { return this; }
  bool invoke(int dispatchId, QVariantList& args, QVariant* result) override;
  bool getProperty(int dispatchId, QVariant* value) override;
  bool putProperty(int dispatchId, const QVariant& value) override;
  QString lastError() const override { return error_; }

  zelkor::calendar::CalendarModel& model() { return model_; }
  QTabWidget* tabs() const { return tabs_; }
  MonthView* monthView() const { return month_; }
  YearView* yearView() const { return year_; }
  QCheckBox* weekBox(int i) const { return week_[static_cast<size_t>(i)]; }
  QCheckBox* quarterBox(int q) const { return days_[static_cast<size_t>(q)]; }
  QCheckBox* allMonthsBox() const { return allMonths_; }
  QPushButton* changeColorsButton() const { return change_; }
  // The two copies of a legend label, by name ("lblPrimRate", ...).
  QLabel* legend(const QString& name, int copy) const;
  // Runs the "Change Colors" dialog.
  void changeColors();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void syncBoxes();
  void applyLegend();
  void refreshViews();
  bool fail(const QString& why);

  zelkor::calendar::CalendarModel model_;
  SettingsColourStore colours_;
  QTabWidget* tabs_;
  MonthView* month_;
  YearView* year_;
  std::array<QCheckBox*, 7> week_{};
  std::array<QCheckBox*, 4> days_{};
  QCheckBox* allMonths_;
  QPushButton* change_;
  std::map<QString, std::array<QLabel*, 2>> legend_;
  QString error_;
  bool syncing_ = false;
  int shownTab_ = 0;
};

}  // namespace nvkcal
