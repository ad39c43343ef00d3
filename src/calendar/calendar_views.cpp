#include "calendar_views.h"

#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace nvkcal {

using namespace zelkor::calendar;

QColor FromColourRef(uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }
uint32_t ToColourRef(const QColor& c) {
  return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
         (static_cast<uint32_t>(c.blue()) << 16);
}

namespace {
const char* kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                             "July",    "August",   "September", "October", "November", "December"};
const char* kDayLetters[] = {"S", "M", "T", "W", "T", "F", "S"};

int MonthIndex(int month, int year) { return year * 12 + (month - 1); }
}  // namespace

MonthView::MonthView(CalendarModel& model, QWidget* parent) : QWidget(parent), model_(model) {
  prev_ = new QPushButton("<", this);
  next_ = new QPushButton(">", this);
  prev_->setFixedSize(24, 22);
  next_->setFixedSize(24, 22);
  connect(prev_, &QPushButton::clicked, this, [this] {
    int m = month_ - 1, y = year_;
    if (m < 1) {
      m = 12;
      --y;
    }
    showMonth(m, y);
  });
  connect(next_, &QPushButton::clicked, this, [this] {
    int m = month_ + 1, y = year_;
    if (m > 12) {
      m = 1;
      ++y;
    }
    showMonth(m, y);
  });
  setMinimumSize(260, 200);
  setFocusPolicy(Qt::StrongFocus);
  setToolTip("Click a day, or move to it with the arrow keys; Page Up and Page Down change the month.");
}

bool MonthView::inWindow(int month, int year) const {
  const CalDate s = model_.windowStart(), e = model_.windowEnd();
  if (!s.valid() || !e.valid()) return true;
  const int i = MonthIndex(month, year);
  return i >= MonthIndex(s.month, s.year) && i <= MonthIndex(e.month, e.year);
}

void MonthView::showMonth(int month, int year) {
  if (!inWindow(month, year)) return;
  month_ = month;
  year_ = year;
  model_.setMonthCurrentDate({month, 1, year});
  prev_->setEnabled(inWindow(month == 1 ? 12 : month - 1, month == 1 ? year - 1 : year));
  next_->setEnabled(inWindow(month == 12 ? 1 : month + 1, month == 12 ? year + 1 : year));
  emit monthChanged(month, year);
  update();
}

QRect MonthView::dayRect(int day) const {
  const int top = 52;
  const int cw = (width() - 8) / 7;
  const int ch = std::max(18, (height() - top - 4) / 6);
  const int first = DayOfWeek(month_, 1, year_) - 1;  // 0 = Sunday
  const int cell = first + day - 1;
  return QRect(4 + (cell % 7) * cw, top + (cell / 7) * ch, cw - 2, ch - 2);
}

void MonthView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().base());
  prev_->move(4, 2);
  next_->move(width() - 28, 2);
  QFont bold = font();
  bold.setBold(true);
  p.setFont(bold);
  if (month_ < 1 || month_ > 12) return;  // never shown: the control refuses such months
  p.drawText(QRect(0, 2, width(), 22), Qt::AlignCenter, QString("%1 %2").arg(kMonthNames[month_ - 1]).arg(year_));
  p.setFont(font());
  const int cw = (width() - 8) / 7;
  for (int i = 0; i < 7; ++i) p.drawText(QRect(4 + i * cw, 28, cw, 20), Qt::AlignCenter, kDayLetters[i]);
  const QColor sel = FromColourRef(model_.selectedColour());
  const QColor unsel = FromColourRef(model_.unselectedColour());
  // The current day (the one last clicked, or the first of the month) is
  // outlined in the highlight colour of rule H.
  const CalDate current = model_.monthCurrentDate();
  for (int d = 1; d <= DaysIn(month_, year_); ++d) {
    const QRect r = dayRect(d);
    p.fillRect(r, model_.monthStyles().selected(month_, d, year_) ? sel : unsel);
    if (current.month == month_ && current.year == year_ && current.day == d) {
      p.setPen(QPen(FromColourRef(model_.monthHighlight()).darker(160), 2));
      p.drawRect(r.adjusted(1, 1, -1, -1));
    }
    p.setPen(Qt::black);
    p.drawText(r, Qt::AlignCenter, QString::number(d));
  }
  if (hasFocus() && current.month == month_ && current.year == year_ && current.day >= 1 &&
      current.day <= DaysIn(month_, year_)) {
    p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DashLine));
    p.drawRect(dayRect(current.day).adjusted(-1, -1, 0, 0));
  }
}

void MonthView::moveCurrent(int days) {
  CalDate d = model_.monthCurrentDate();
  if (!d.valid() || d.month != month_ || d.year != year_) d = {month_, 1, year_};
  d.day += days;
  while (d.day < 1) {
    if (--d.month < 1) {
      d.month = 12;
      --d.year;
    }
    d.day += DaysIn(d.month, d.year);
  }
  while (d.day > DaysIn(d.month, d.year)) {
    d.day -= DaysIn(d.month, d.year);
    if (++d.month > 12) {
      d.month = 1;
      ++d.year;
    }
  }
  if (!inWindow(d.month, d.year)) return;
  if (d.month != month_ || d.year != year_) showMonth(d.month, d.year);
  // Moving to a day is clicking it, as far as the control is concerned.
  emit dayClicked(d.month, d.day, d.year);
  update();
}

void MonthView::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Left: moveCurrent(-1); break;
    case Qt::Key_Right: moveCurrent(1); break;
    case Qt::Key_Up: moveCurrent(-7); break;
    case Qt::Key_Down: moveCurrent(7); break;
    case Qt::Key_PageUp: prev_->click(); break;
    case Qt::Key_PageDown: next_->click(); break;
    default: QWidget::keyPressEvent(e); return;
  }
  e->accept();
}

void MonthView::mousePressEvent(QMouseEvent* e) {
  setFocus(Qt::MouseFocusReason);
  for (int d = 1; d <= DaysIn(month_, year_); ++d) {
    if (dayRect(d).contains(e->pos())) {
      emit dayClicked(month_, d, year_);
      update();
      return;
    }
  }
}

YearView::YearView(CalendarModel& model, QWidget* parent) : QWidget(parent), model_(model) {
  setMinimumSize(480, 330);
}

namespace {
constexpr int kYearCols = 4, kYearRows = 3, kYearTitle = 20;
}

CalDate YearView::boxMonth(int i) const {
  const CalDate start = model_.windowStart().valid() ? model_.windowStart() : CalDate{1, 1, 2000};
  int m = model_.yearFirstMonth() >= 1 && model_.yearFirstMonth() <= 12 ? model_.yearFirstMonth() : start.month;
  int y = start.year;
  m += i;
  while (m > 12) {
    m -= 12;
    ++y;
  }
  return {m, 1, y};
}

QRect YearView::dayRect(int i, int day) const {
  const int mw = (width() - 8) / kYearCols, mh = (height() - kYearTitle - 2) / kYearRows;
  const QRect box(4 + (i % kYearCols) * mw, kYearTitle + (i / kYearCols) * mh, mw - 6, mh - 4);
  const CalDate month = boxMonth(i);
  const int cw = box.width() / 7, ch = (box.height() - 14) / 6;
  const int cell = DayOfWeek(month.month, 1, month.year) - 1 + day - 1;
  return QRect(box.left() + (cell % 7) * cw, box.top() + 14 + (cell / 7) * ch, cw - 1, ch - 1);
}

void YearView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().base());
  QFont small("Small Fonts");
  small.setPixelSize(9);
  QFont title = small;
  title.setPixelSize(13);
  title.setBold(true);
  p.setFont(title);
  p.drawText(QRect(0, 0, width(), 18), Qt::AlignCenter, "NVKZel Collar");
  const QColor sel = FromColourRef(model_.selectedColour());
  const QColor unsel = FromColourRef(model_.unselectedColour());
  const CalDate current = model_.yearCurrentDate();
  p.setFont(small);
  for (int i = 0; i < 12; ++i) {
    const CalDate month = boxMonth(i);
    const int m = month.month, y = month.year;
    const QRect first = dayRect(i, 1);
    const int mw = (width() - 8) / kYearCols;
    p.setPen(Qt::black);
    p.drawText(QRect(4 + (i % kYearCols) * mw, first.top() - 14, mw - 6, 12),
               Qt::AlignCenter, QString("%1 %2").arg(QString(kMonthNames[m - 1]).left(3)).arg(y));
    for (int d = 1; d <= DaysIn(m, y); ++d) {
      const QRect r = dayRect(i, d);
      p.fillRect(r, model_.yearStyles().selected(m, d, y) ? sel : unsel);
      // Rule G: the current day in the year view's highlight colour.
      if (current.month == m && current.day == d && current.year == y) {
        p.setPen(QPen(FromColourRef(model_.yearHighlight()).darker(160), 2));
        p.drawRect(r.adjusted(1, 1, -1, -1));
        p.setPen(Qt::black);
      }
      p.drawText(r, Qt::AlignCenter, QString::number(d));
    }
  }
}

}  // namespace nvkcal
