#include "track_view.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace zelkor {

TrackView::TrackView(QWidget* parent) : QWidget(parent) { setMinimumSize(320, 240); }

void TrackView::setTrack(Track track) {
  track_ = std::move(track);
  update();
}

void TrackView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), QColor(250, 250, 246));
  const auto& pts = track_.points;
  if (pts.empty()) {
    p.setPen(Qt::darkGray);
    p.drawText(rect(), Qt::AlignCenter, "No fixes to draw.");
    return;
  }
  double minX = pts[0].x, maxX = pts[0].x, minY = pts[0].y, maxY = pts[0].y;
  for (const auto& t : pts) {
    minX = std::min(minX, t.x);
    maxX = std::max(maxX, t.x);
    minY = std::min(minY, t.y);
    maxY = std::max(maxY, t.y);
  }
  // Degrees of longitude shrink with latitude; metres do not.
  const double xUnit = track_.utm ? 1.0 : std::cos((minY + maxY) / 2 * M_PI / 180.0);
  const double spanX = std::max((maxX - minX) * xUnit, 1e-9);
  const double spanY = std::max(maxY - minY, 1e-9);
  const QRectF area = QRectF(rect()).adjusted(40, 30, -20, -40);
  const double scale = std::min(area.width() / spanX, area.height() / spanY);
  const double offX = area.left() + (area.width() - spanX * scale) / 2;
  const double offY = area.top() + (area.height() - spanY * scale) / 2;
  auto map = [&](const TrackPoint& t) {
    return QPointF(offX + (t.x - minX) * xUnit * scale, offY + (maxY - t.y) * scale);
  };

  QPainterPath line;
  line.moveTo(map(pts[0]));
  for (size_t i = 1; i < pts.size(); ++i) line.lineTo(map(pts[i]));
  p.setPen(QPen(QColor(30, 86, 159, 160), 1.5));
  p.drawPath(line);
  p.setPen(Qt::NoPen);
  for (const auto& t : pts) {
    p.setBrush(t.badCheck ? QColor(214, 48, 49) : QColor(30, 86, 159));
    p.drawEllipse(map(t), t.badCheck ? 3.5 : 2.5, t.badCheck ? 3.5 : 2.5);
  }
  auto mark = [&](const TrackPoint& t, QColor c, const QString& label) {
    const QPointF at = map(t);
    p.setBrush(c);
    p.setPen(QPen(Qt::white, 1.5));
    p.drawEllipse(at, 6, 6);
    p.setPen(Qt::black);
    p.drawText(at + QPointF(9, -6), label);
  };
  mark(pts.front(), QColor(39, 174, 96), "first");
  mark(pts.back(), QColor(230, 126, 34), "last");

  p.setPen(Qt::darkGray);
  const int bad = static_cast<int>(std::count_if(pts.begin(), pts.end(), [](const TrackPoint& t) { return t.badCheck; }));
  QString caption = QString("%1 fixes").arg(pts.size());
  if (bad) caption += QString(", %1 bad checks (red)").arg(bad);
  const double widthKm = track_.utm ? (maxX - minX) / 1000.0 : (maxX - minX) * xUnit * 111.32;
  const double heightKm = track_.utm ? (maxY - minY) / 1000.0 : (maxY - minY) * 111.32;
  caption += QString(", %1 × %2 km").arg(widthKm, 0, 'f', 2).arg(heightKm, 0, 'f', 2);
  p.drawText(QRectF(rect()).adjusted(10, 0, -10, -8), Qt::AlignBottom | Qt::AlignLeft, caption);
}

}  // namespace zelkor
