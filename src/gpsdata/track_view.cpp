#include "track_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <map>

#ifdef ZELKOR_HAVE_MAPS
#include "gis/map_layer.h"
#include "map_layers.h"
#endif

namespace zelkor {

namespace {
TrackPoint WorldPoint(double x, double y) {
  TrackPoint p;
  p.x = x;
  p.y = y;
  return p;
}
}  // namespace

namespace {
constexpr double kMetresPerDegree = 111320.0;

// 1, 2 or 5 times a power of ten, the nearest at or above value.
double NiceStep(double value) {
  if (value <= 0) return 1;
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * power >= value) return m * power;
  return 10 * power;
}

QString Degrees(double v, double step) {
  const int decimals = std::max(0, std::min(6, static_cast<int>(std::ceil(-std::log10(step)))));
  return QString::number(v, 'f', decimals) + QChar(0x00B0);
}

QString Distance(double metres) {
  return metres >= 1000 ? QString("%1 km").arg(metres / 1000.0, 0, 'g', 4) : QString("%1 m").arg(metres, 0, 'g', 4);
}
}  // namespace

TrackView::TrackView(QWidget* parent) : QWidget(parent) {
  setMinimumSize(320, 240);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
}

void TrackView::setAnalysis(TableAnalysis analysis) {
  analysis_ = std::move(analysis);
  measure();
  if (!moved_) fit();
  update();
}

const FixQuality* TrackView::quality(int i) const {
  if (i < 0 || i >= static_cast<int>(track_.points.size())) return nullptr;
  const size_t row = track_.points[static_cast<size_t>(i)].row;
  return row < analysis_.flags.size() ? &analysis_.flags[row] : nullptr;
}

bool TrackView::isOutlier(int i) const {
  const FixQuality* q = quality(i);
  return q && (q->tooFast || q->badTime());
}

bool TrackView::isBadCheck(int i) const {
  const FixQuality* q = quality(i);
  return q && q->badCheck;
}

bool TrackView::isDrawn(int i) const {
  if (i < 0 || i >= static_cast<int>(track_.points.size())) return false;
  const FixQuality* q = quality(i);
  return !q || !q->noPosition;
}

void TrackView::measure() {
  drawn_.clear();
  for (int i = 0; i < static_cast<int>(track_.points.size()); ++i)
    if (isDrawn(i)) drawn_.push_back(i);
  const auto& pts = track_.points;
  firstDay_ = lastDay_ = drawn_.empty() ? 0 : pts[static_cast<size_t>(drawn_.front())].day;
  double sumY = 0;
  for (int i : drawn_) {
    const TrackPoint& t = pts[static_cast<size_t>(i)];
    firstDay_ = std::min(firstDay_, t.day);
    lastDay_ = std::max(lastDay_, t.day);
    sumY += t.y;
  }
  // Degrees of longitude shrink with latitude; metres do not.
  xUnit_ = track_.utm || drawn_.empty() ? 1.0 : std::max(0.01, std::cos(sumY / drawn_.size() * M_PI / 180.0));
  makeFrame();
}

void TrackView::setMapLayers(MapLayers* layers) {
  layers_ = layers;
  makeFrame();
  update();
}

const MapFrame* TrackView::mapFrame() const { return frame_.get(); }

void TrackView::makeFrame() {
  frame_.reset();
#ifdef ZELKOR_HAVE_MAPS
  if (drawn_.empty()) return;
  const auto& pts = track_.points;
  if (track_.utm) {
    // The zone most fixes lie in; the file does not say the hemisphere, the
    // layers' place on Earth does.
    std::map<int, int> zones;
    for (int i : drawn_) ++zones[pts[static_cast<size_t>(i)].zone];
    int zone = zones.begin()->first;
    for (const auto& [z, n] : zones)
      if (n > zones[zone]) zone = z;
    if (zone < 1 || zone > 60) return;
    const bool south = layers_ && layers_->mostlySouth();
    frame_ = std::make_shared<MapFrame>(MapFrame::Utm((south ? 32700 : 32600) + zone));
  } else {
    double minX = pts[static_cast<size_t>(drawn_.front())].x, maxX = minX;
    for (int i : drawn_) {
      minX = std::min(minX, pts[static_cast<size_t>(i)].x);
      maxX = std::max(maxX, pts[static_cast<size_t>(i)].x);
    }
    frameLongitude_ = (minX + maxX) / 2;
    frame_ = std::make_shared<MapFrame>(MapFrame::Centred(frameLongitude_, 0.0));
  }
#endif
}

QTransform TrackView::frameToScreen() const {
  if (track_.utm)
    return QTransform(xUnit_ * scale_, 0, 0, -scale_, width() / 2.0 - centre_.x() * xUnit_ * scale_,
                      height() / 2.0 + centre_.y() * scale_);
  // The frame's x is metres east of its central meridian along the
  // equator's scale, its y metres north on the same scale: both linear in
  // degrees.
  constexpr double kMetresPerDegreeOfFrame = 6378137.0 * M_PI / 180.0;
  const double sx = xUnit_ * scale_ / kMetresPerDegreeOfFrame, sy = scale_ / kMetresPerDegreeOfFrame;
  return QTransform(sx, 0, 0, -sy, width() / 2.0 + (frameLongitude_ - centre_.x()) * xUnit_ * scale_,
                    height() / 2.0 + centre_.y() * scale_);
}

void TrackView::keyPressEvent(QKeyEvent* event) {
  const double step = std::max(width(), height()) / 8.0;
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: zoom(2.0, rect().center()); break;
    case Qt::Key_Minus: zoom(0.5, rect().center()); break;
    case Qt::Key_Left: pan({step, 0}); break;
    case Qt::Key_Right: pan({-step, 0}); break;
    case Qt::Key_Up: pan({0, step}); break;
    case Qt::Key_Down: pan({0, -step}); break;
    case Qt::Key_Home: fit(); break;
    default: QWidget::keyPressEvent(event); return;
  }
  event->accept();
}

void TrackView::setTrack(Track track) {
  track_ = std::move(track);
  measure();
  fit();
  update();
}

void TrackView::fit() {
  const auto& pts = track_.points;
  if (drawn_.empty() || width() <= 0 || height() <= 0) return;
  const TrackPoint& first = pts[static_cast<size_t>(drawn_.front())];
  double minX = first.x, maxX = first.x, minY = first.y, maxY = first.y;
  for (int i : drawn_) {
    const TrackPoint& t = pts[static_cast<size_t>(i)];
    minX = std::min(minX, t.x);
    maxX = std::max(maxX, t.x);
    minY = std::min(minY, t.y);
    maxY = std::max(maxY, t.y);
  }
  const double spanX = std::max((maxX - minX) * xUnit_, track_.utm ? 10.0 : 1e-4);
  const double spanY = std::max(maxY - minY, track_.utm ? 10.0 : 1e-4);
  const double usableW = std::max(40, width() - 80), usableH = std::max(40, height() - 90);
  scale_ = std::min(usableW / spanX, usableH / spanY);
  centre_ = QPointF((minX + maxX) / 2, (minY + maxY) / 2);
  moved_ = false;
  update();
}

void TrackView::zoom(double factor, QPointF at) {
  const QPointF world = toWorld(at);
  moved_ = true;
  scale_ = std::clamp(scale_ * factor, 1e-6, 1e9);
  centre_.setX(world.x() - (at.x() - width() / 2.0) / (xUnit_ * scale_));
  centre_.setY(world.y() + (at.y() - height() / 2.0) / scale_);
  update();
}

void TrackView::pan(QPointF d) {
  moved_ = true;
  centre_.setX(centre_.x() - d.x() / (xUnit_ * scale_));
  centre_.setY(centre_.y() + d.y() / scale_);
  update();
}

QPointF TrackView::toScreen(const TrackPoint& p) const {
  return QPointF(width() / 2.0 + (p.x - centre_.x()) * xUnit_ * scale_, height() / 2.0 - (p.y - centre_.y()) * scale_);
}

QPointF TrackView::toWorld(QPointF px) const {
  return QPointF(centre_.x() + (px.x() - width() / 2.0) / (xUnit_ * scale_),
                 centre_.y() - (px.y() - height() / 2.0) / scale_);
}

double TrackView::metresPerPixel() const { return (track_.utm ? 1.0 : kMetresPerDegree) / scale_; }

int TrackView::fixAt(QPointF pixel) const {
  int best = -1;
  double bestDistance = 8.0 * 8.0;
  for (int i : drawn_) {
    const QPointF d = toScreen(track_.points[static_cast<size_t>(i)]) - pixel;
    const double distance = d.x() * d.x() + d.y() * d.y();
    if (distance <= bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return best;
}

QString TrackView::describe(int i) const {
  if (i < 0 || i >= static_cast<int>(track_.points.size())) return QString();
  const TrackPoint& p = track_.points[static_cast<size_t>(i)];
  QString where;
  if (track_.utm)
    where = QString("E %1 m, N %2 m, zone %3").arg(p.x, 0, 'f', 1).arg(p.y, 0, 'f', 1).arg(p.zone);
  else
    where = QString("%1, %2").arg(Degrees(p.y, 1e-6)).arg(Degrees(p.x, 1e-6));
  const QString altitude = p.altitude == "***" ? QString("no altitude") : QString("altitude %1 m").arg(
                                                                               QString::fromStdString(p.altitude));
  QString text = QString("Fix %1: %2\n%3\n%4, %5 satellites")
                     .arg(i + 1)
                     .arg(QString::fromStdString(p.when))
                     .arg(where)
                     .arg(altitude)
                     .arg(p.satellites);
  if (p.row < analysis_.utc.size() && !analysis_.utc[p.row].empty())
    text += QString("\nUTC %1").arg(QString::fromStdString(analysis_.utc[p.row]));
  if (const FixQuality* q = quality(i); q && q->any())
    text += QString("\nflagged: %1").arg(QString::fromStdString(q->reasons()));
  return text;
}

QColor TrackView::dateColour(const TrackPoint& p) const {
  // 64 steps from the first day to the last: more than the eye tells apart.
  const double t = lastDay_ > firstDay_
                       ? std::round(64.0 * double(p.day - firstDay_) / double(lastDay_ - firstDay_)) / 64.0
                       : 0.0;
  const QColor a(30, 86, 159), b(230, 126, 34);
  return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                          a.blueF() + (b.blueF() - a.blueF()) * t);
}

void TrackView::resizeEvent(QResizeEvent*) {
  // Until the user zooms or pans, the view keeps every fix in sight.
  if (!moved_) fit();
}

void TrackView::wheelEvent(QWheelEvent* e) {
  zoom(std::pow(1.25, e->angleDelta().y() / 120.0), e->position());
  e->accept();
}

void TrackView::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) {
    dragging_ = true;
    dragFrom_ = e->position();
    setCursor(Qt::ClosedHandCursor);
  }
}

void TrackView::mouseMoveEvent(QMouseEvent* e) {
  if (dragging_) {
    pan(e->position() - dragFrom_);
    dragFrom_ = e->position();
    return;
  }
  const QString tip = describe(fixAt(e->position()));
  if (tip.isEmpty())
    QToolTip::hideText();
  else
    QToolTip::showText(e->globalPosition().toPoint(), tip, this);
}

void TrackView::mouseReleaseEvent(QMouseEvent*) {
  dragging_ = false;
  unsetCursor();
}

void TrackView::drawGrid(QPainter& p) const {
  // About one line per hundred pixels, at round values; the lines are
  // counted, so the loop ends whatever the numbers.
  const double stepY = NiceStep(100.0 / scale_);
  const double stepX = track_.utm ? stepY : NiceStep(100.0 / (scale_ * xUnit_));
  const QPointF topLeft = toWorld(QPointF(0, 0)), bottomRight = toWorld(QPointF(width(), height()));
  p.setPen(QPen(QColor(0, 0, 0, 40), 1));
  p.setFont(QFont(p.font().family(), 7));
  const QColor label(90, 90, 90);
  auto lines = [](double from, double to, double step, const auto& draw) {
    if (!std::isfinite(from) || !std::isfinite(to) || !(step > 0)) return;
    const double first = std::ceil(from / step), last = std::floor(to / step);
    if (!std::isfinite(first) || !std::isfinite(last) || last - first > 400) return;
    for (double k = first; k <= last; k += 1.0) draw(k * step);
  };
  lines(topLeft.x(), bottomRight.x(), stepX, [&](double x) {
    const double sx = toScreen(WorldPoint(x, 0)).x();
    p.setPen(QPen(QColor(0, 0, 0, 40), 1));
    p.drawLine(QPointF(sx, 0), QPointF(sx, height()));
    p.setPen(label);
    p.drawText(QPointF(sx + 2, 10), track_.utm ? QString("E %1").arg(x, 0, 'f', 0) : Degrees(x, stepX));
  });
  lines(bottomRight.y(), topLeft.y(), stepY, [&](double y) {
    const double sy = toScreen(WorldPoint(0, y)).y();
    p.setPen(QPen(QColor(0, 0, 0, 40), 1));
    p.drawLine(QPointF(0, sy), QPointF(width(), sy));
    p.setPen(label);
    p.drawText(QPointF(2, sy - 2), track_.utm ? QString("N %1").arg(y, 0, 'f', 0) : Degrees(y, stepY));
  });
}

void TrackView::drawScaleBar(QPainter& p, double bottom) const {
  const double metres = NiceStep(100.0 * metresPerPixel());
  const double pixels = metres / metresPerPixel();
  const QPointF from(12, bottom - 6), to(12 + pixels, bottom - 6);
  p.setPen(QPen(Qt::black, 2));
  p.drawLine(from, to);
  p.drawLine(from, from - QPointF(0, 5));
  p.drawLine(to, to - QPointF(0, 5));
  p.setFont(QFont(p.font().family(), 8));
  p.drawText(from + QPointF(0, -8), Distance(metres));
}

std::pair<int, int> TrackView::ends() const {
  // The first and last drawn fixes whose time is good; a fix dated years
  // early by a week rollover is not the season's first.
  int first = -1, last = -1;
  for (int i : drawn_) {
    const FixQuality* q = quality(i);
    if (q && q->badTime()) continue;
    if (first < 0) first = i;
    last = i;
  }
  if (first < 0) return {drawn_.front(), drawn_.back()};
  return {first, last};
}

QString TrackView::caption() const {
  const auto& pts = track_.points;
  if (drawn_.empty()) return QString();
  const auto [firstFix, lastFix] = ends();
  const TrackPoint& first = pts[static_cast<size_t>(firstFix)];
  const TrackPoint& last = pts[static_cast<size_t>(lastFix)];
  QString caption = QString("%1 fixes drawn, coloured by date from %2 (blue) to %3 (orange)")
                        .arg(drawn_.size())
                        .arg(QString::fromStdString(first.when).left(10))
                        .arg(QString::fromStdString(last.when).left(10));
  const QualityCounts counts = analysis_.counts();
  if (counts.flagged) caption += QString("; %1").arg(QString::fromStdString(counts.text()));
  return caption;
}

void TrackView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), QColor(250, 250, 246));
  const auto& pts = track_.points;
  if (drawn_.empty()) {
    p.setPen(Qt::darkGray);
    p.drawText(rect(), Qt::AlignCenter, "No fixes to draw.");
    return;
  }
#ifdef ZELKOR_HAVE_MAPS
  if (layers_ && frame_) layers_->paintUnder(p, *frame_, frameToScreen(), rect());
#endif
  drawGrid(p);

  // The track as one polyline, and the fixes as small pictures made once
  // per colour: a full memory of fixes pans smoothly. Fixes outside the
  // view are not drawn.
  const QRectF visible = QRectF(rect()).adjusted(-8, -8, 8, 8);
  std::vector<QPointF> screen(drawn_.size());
  for (size_t k = 0; k < drawn_.size(); ++k) screen[k] = toScreen(pts[static_cast<size_t>(drawn_[k])]);
  // Segment by segment with a one-pixel cosmetic pen: Qt strokes those
  // directly, where a long polyline would be outlined and filled as one
  // shape.
  std::vector<QLineF> segments;
  segments.reserve(screen.size());
  for (size_t k = 1; k < screen.size(); ++k) {
    const QLineF segment(screen[k - 1], screen[k]);
    if (visible.intersects(QRectF(segment.p1(), segment.p2()).normalized().adjusted(-1, -1, 1, 1)))
      segments.push_back(segment);
  }
  QPen trackPen(QColor(60, 60, 60, 130), 1.0);
  trackPen.setCosmetic(true);
  p.setPen(trackPen);
  p.setBrush(Qt::NoBrush);
  p.drawLines(segments.data(), static_cast<int>(segments.size()));
  const qreal ratio = devicePixelRatioF();
  auto sprite = [&](QRgb colour) -> const QImage& {
    auto it = sprites_.find(colour);
    if (it != sprites_.end() && it->second.devicePixelRatio() == ratio) return it->second;
    QImage dot(QSize(8, 8) * ratio, QImage::Format_ARGB32_Premultiplied);
    dot.setDevicePixelRatio(ratio);
    dot.fill(Qt::transparent);
    QPainter d(&dot);
    d.setRenderHint(QPainter::Antialiasing);
    d.setPen(Qt::NoPen);
    d.setBrush(QColor::fromRgb(colour));
    d.drawEllipse(QPointF(4, 4), 2.8, 2.8);
    d.end();
    return sprites_[colour] = dot;
  };
  for (size_t k = 0; k < drawn_.size(); ++k) {
    const int i = drawn_[k];
    const QPointF at = screen[k];
    if (!visible.contains(at)) continue;
    const TrackPoint& t = pts[static_cast<size_t>(i)];
    if (isBadCheck(i)) {
      p.setPen(QPen(QColor(214, 48, 49), 2));
      p.drawLine(at + QPointF(-4, -4), at + QPointF(4, 4));
      p.drawLine(at + QPointF(-4, 4), at + QPointF(4, -4));
    } else {
      p.drawImage(at - QPointF(4, 4), sprite(dateColour(t).rgb()));
    }
    if (isOutlier(i)) {
      p.setPen(QPen(QColor(147, 51, 234), 2));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(at, 6.5, 6.5);
    }
  }
#ifdef ZELKOR_HAVE_MAPS
  if (layers_ && frame_) layers_->paintOver(p, *frame_, frameToScreen(), rect());
#endif
  auto mark = [&](const TrackPoint& t, QColor c, const QString& label) {
    const QPointF at = toScreen(t);
    p.setBrush(c);
    p.setPen(QPen(Qt::white, 1.5));
    p.drawEllipse(at, 6, 6);
    p.setPen(Qt::black);
    p.drawText(at + QPointF(9, -6), label);
  };
  const auto [firstFix, lastFix] = ends();
  mark(pts[static_cast<size_t>(firstFix)], QColor(39, 174, 96), "first");
  mark(pts[static_cast<size_t>(lastFix)], QColor(192, 57, 43), "last");

  p.setFont(font());
  const QString words = caption();
  // The caption wraps in a narrow view, on a pale band so that the track
  // under it does not hide it; the scale bar stands above it.
  const QRect room = rect().adjusted(10, 0, -10, -6);
  const QRect box = p.fontMetrics().boundingRect(room, Qt::TextWordWrap | Qt::AlignLeft, words);
  const QRect band(room.left() - 4, room.bottom() - box.height() - 2, box.width() + 8, box.height() + 4);
  p.fillRect(band, QColor(250, 250, 246, 220));
  p.setPen(Qt::darkGray);
  p.drawText(QRect(room.left(), band.top() + 2, room.width(), box.height()),
             Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, words);
  drawScaleBar(p, band.top() - 4);
}

}  // namespace zelkor
