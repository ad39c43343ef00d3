// A bar per day: the fix attempts the schedule called for (a pale bar) and
// the fixes obtained (a darker bar inside it).
#pragma once

#include <QWidget>
#include <vector>

#include "analysis/season_summary.h"

namespace zelkor {

class SummaryChart : public QWidget {
  Q_OBJECT
 public:
  explicit SummaryChart(QWidget* parent = nullptr);
  void setDays(std::vector<SummaryDay> days);
  QSize sizeHint() const override { return {560, 180}; }
  // The day under a pixel, -1 when none.
  int dayAt(QPoint pixel) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  QRect plotArea() const;
  std::vector<SummaryDay> days_;
};

}  // namespace zelkor
