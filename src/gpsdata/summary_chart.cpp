#include "summary_chart.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "gpsdata/fix_time.h"

namespace zelkor {

namespace {
QString DayText(int64_t day) {
  int y, m, d;
  CivilFromDays(day, &y, &m, &d);
  return QString("%1-%2-%3").arg(y, 4, 10, QChar('0')).arg(m, 2, 10, QChar('0')).arg(d, 2, 10, QChar('0'));
}
}  // namespace

SummaryChart::SummaryChart(QWidget* parent) : QWidget(parent) {
  setMinimumHeight(140);
  setMouseTracking(true);
  setToolTip("Each day (UTC): the attempts the schedule called for, and the fixes obtained. Point at a day.");
}

void SummaryChart::setDays(std::vector<SummaryDay> days) {
  days_ = std::move(days);
  update();
}

QRect SummaryChart::plotArea() const {
  const int label = fontMetrics().horizontalAdvance("0000") + 8;
  return rect().adjusted(label, 8, -8, -fontMetrics().height() - 8);
}

int SummaryChart::dayAt(QPoint pixel) const {
  const QRect area = plotArea();
  if (days_.empty() || !area.contains(pixel)) return -1;
  const int i = static_cast<int>((pixel.x() - area.left()) * static_cast<double>(days_.size()) / area.width());
  return i >= 0 && i < static_cast<int>(days_.size()) ? i : -1;
}

void SummaryChart::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().base());
  const QRect area = plotArea();
  p.setPen(palette().color(QPalette::Text));
  if (days_.empty()) {
    p.drawText(rect(), Qt::AlignCenter, "No fixes with a time.");
    return;
  }
  int most = 1;
  for (const SummaryDay& d : days_) most = std::max({most, d.scheduled, d.obtained});
  p.drawLine(area.bottomLeft(), area.topLeft());
  p.drawLine(area.bottomLeft(), area.bottomRight());
  p.drawText(QRect(0, area.top() - fontMetrics().height() / 2, area.left() - 4, fontMetrics().height()),
             Qt::AlignRight | Qt::AlignVCenter, QString::number(most));
  p.drawText(QRect(0, area.bottom() - fontMetrics().height() / 2, area.left() - 4, fontMetrics().height()),
             Qt::AlignRight | Qt::AlignVCenter, "0");
  const double step = static_cast<double>(area.width()) / days_.size();
  auto height = [&](int n) { return static_cast<int>(area.height() * static_cast<double>(n) / most); };
  for (size_t i = 0; i < days_.size(); ++i) {
    const int x0 = area.left() + static_cast<int>(i * step);
    const int w = std::max(1, static_cast<int>(step) - (step > 4 ? 1 : 0));
    const SummaryDay& d = days_[i];
    p.fillRect(QRect(x0, area.bottom() - height(d.scheduled), w, height(d.scheduled)), QColor(200, 208, 220));
    const int inset = w > 4 ? w / 4 : 0;
    p.fillRect(QRect(x0 + inset, area.bottom() - height(d.obtained), w - 2 * inset, height(d.obtained)),
               d.obtained < d.scheduled ? QColor(217, 119, 6) : QColor(37, 99, 235));
  }
  const int textTop = area.bottom() + 4;
  p.drawText(QRect(area.left(), textTop, area.width(), fontMetrics().height()), Qt::AlignLeft,
             DayText(days_.front().day));
  p.drawText(QRect(area.left(), textTop, area.width(), fontMetrics().height()), Qt::AlignRight,
             DayText(days_.back().day));
}

void SummaryChart::mouseMoveEvent(QMouseEvent* e) {
  const int i = dayAt(e->position().toPoint());
  if (i < 0) {
    QToolTip::hideText();
    return;
  }
  const SummaryDay& d = days_[static_cast<size_t>(i)];
  QToolTip::showText(e->globalPosition().toPoint(),
                     QString("%1: %2 of %3 scheduled fixes").arg(DayText(d.day)).arg(d.obtained).arg(d.scheduled),
                     this);
}

}  // namespace zelkor
