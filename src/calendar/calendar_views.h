// The month view and the year view: each draws days in the colour of their
// style ("Selected" or "UnSelected") within the control's date window.
#pragma once

#include <QWidget>

#include "calendar/calendar_model.h"

class QLabel;
class QPushButton;

namespace nvkcal {

QColor FromColourRef(uint32_t bgr);
uint32_t ToColourRef(const QColor& c);

class MonthView : public QWidget {
  Q_OBJECT
 public:
  MonthView(zelkor::calendar::CalendarModel& model, QWidget* parent = nullptr);
  QSize sizeHint() const override { return {300, 230}; }
  // Shows month/year (within the window) and raises monthChanged.
  void showMonth(int month, int year);
  int month() const { return month_; }
  int year() const { return year_; }
  QRect dayRect(int day) const;

 signals:
  void monthChanged(int month, int year);
  void dayClicked(int month, int day, int year);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  // Arrows move to another day (Up/Down by a week), as a click on it
  // would; Page Up/Down change the month.
  void keyPressEvent(QKeyEvent* e) override;

 private:
  bool inWindow(int month, int year) const;
  void moveCurrent(int days);
  zelkor::calendar::CalendarModel& model_;
  int month_ = 1, year_ = 2000;
  QPushButton* prev_;
  QPushButton* next_;
};

class YearView : public QWidget {
  Q_OBJECT
 public:
  YearView(zelkor::calendar::CalendarModel& model, QWidget* parent = nullptr);
  QSize sizeHint() const override { return {560, 400}; }
  // The month and year of box i (0-11) of the twelve shown.
  zelkor::calendar::CalDate boxMonth(int i) const;
  // Where day d of box i is drawn, in the view's own coordinates.
  QRect dayRect(int i, int day) const;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  zelkor::calendar::CalendarModel& model_;
};

}  // namespace nvkcal
