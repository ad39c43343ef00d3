#include "map_layers.h"

#include <QFileInfo>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "util/text.h"

namespace zelkor {

namespace {

// Colours for vector layers in the order they are added: study areas, roads,
// water and the rest stay apart from the track's blues and oranges.
const QColor kVectorColours[] = {QColor(0, 128, 64), QColor(140, 70, 20), QColor(30, 110, 200),
                                 QColor(180, 0, 140), QColor(90, 90, 90)};

}  // namespace

int MapLayers::add(const std::string& path) {
  auto entry = std::make_unique<MapLayerEntry>();
  entry->path = path;
  entry->layer = MapLayer::Open(path, &entry->problem);
  if (entry->layer && !entry->layer->isRaster())
    entry->colour = kVectorColours[added_++ % (sizeof kVectorColours / sizeof kVectorColours[0])];
  entries_.push_back(std::move(entry));
  return size() - 1;
}

void MapLayers::remove(int index) {
  if (index >= 0 && index < size()) entries_.erase(entries_.begin() + index);
}

void MapLayers::move(int index, int by) {
  const int to = index + by;
  if (index < 0 || index >= size() || to < 0 || to >= size()) return;
  std::swap(entries_[static_cast<size_t>(index)], entries_[static_cast<size_t>(to)]);
}

void MapLayers::setVisible(int index, bool visible) {
  if (index >= 0 && index < size()) entries_[static_cast<size_t>(index)]->visible = visible;
}

void MapLayers::setOpacity(int index, double opacity) {
  if (index >= 0 && index < size()) entries_[static_cast<size_t>(index)]->opacity = std::clamp(opacity, 0.0, 1.0);
}

std::vector<std::string> MapLayers::paths() const {
  std::vector<std::string> out;
  for (const auto& e : entries_) out.push_back(e->path);
  return out;
}

std::vector<std::string> MapLayers::problems() const {
  std::vector<std::string> out;
  for (const auto& e : entries_)
    if (!e->layer) out.push_back(QFileInfo(QString::fromStdString(e->path)).fileName().toStdString() + " - " + e->problem);
  return out;
}

bool MapLayers::mostlySouth() const {
  for (const auto& e : entries_) {
    MapBox box;
    if (e->layer && e->layer->latLonExtent(&box)) return box.minY + box.maxY < 0;
  }
  return false;
}

void MapLayers::paintUnder(QPainter& painter, const MapFrame& frame, const QTransform& toScreen,
                           const QRectF& viewport) {
  bool invertible = false;
  const QTransform toFrame = toScreen.inverted(&invertible);
  if (!invertible) return;
  const QRectF view = toFrame.mapRect(viewport);
  const double unitsPerPixel = view.width() / std::max(1.0, viewport.width());
  const std::string key = frame.key() + Format(" %.12g", unitsPerPixel);
  const MapBox viewBox{view.left(), view.top(), view.right(), view.bottom()};
  for (auto& e : entries_) {
    if (!e->layer || !e->visible || !e->layer->isRaster()) continue;
    auto cached = std::find_if(e->images.begin(), e->images.end(), [&](const MapLayerEntry::Warped& w) {
      return w.key == key && w.box.contains(viewBox);
    });
    if (cached == e->images.end()) {
      // A quarter of a view more on every side: small pans reuse the image.
      const double padX = view.width() / 4, padY = view.height() / 4;
      const MapBox box{view.left() - padX, view.top() - padY, view.right() + padX, view.bottom() + padY};
      // At the screen's own pixels, so that a scaled (2x) screen stays sharp.
      const double ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
      const int w = static_cast<int>(std::lround(viewport.width() * 1.5 * ratio));
      const int h = static_cast<int>(std::lround(viewport.height() * 1.5 * ratio));
      MapImage image;
      std::string reason;
      MapLayerEntry::Warped warped{key, box, QImage()};
      if (e->layer->render(frame, box, w, h, &image, &reason)) {
        warped.image = QImage(image.rgba.data(), image.width, image.height, image.width * 4, QImage::Format_RGBA8888)
                           .convertToFormat(QImage::Format_ARGB32_Premultiplied);
      } else {
        e->problem = reason;
      }
      e->images.insert(e->images.begin(), std::move(warped));
      if (e->images.size() > 4) e->images.pop_back();
      cached = e->images.begin();
    }
    if (cached->image.isNull()) continue;
    const QRectF target = toScreen.mapRect(QRectF(QPointF(cached->box.minX, cached->box.minY),
                                                  QPointF(cached->box.maxX, cached->box.maxY)));
    painter.save();
    painter.setOpacity(e->opacity);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, cached->image);
    painter.restore();
  }
}

void MapLayers::paintOver(QPainter& painter, const MapFrame& frame, const QTransform& toScreen, const QRectF&) {
  for (auto& e : entries_) {
    if (!e->layer || !e->visible || e->layer->isRaster()) continue;
    if (e->pathKey != frame.key()) {
      e->pathKey = frame.key();
      e->areas = QPainterPath();
      e->lines = QPainterPath();
      e->points.clear();
      e->areas.setFillRule(Qt::OddEvenFill);
      for (const MapShape& shape : e->layer->shapes(frame)) {
        for (const std::vector<double>& part : shape.parts) {
          if (part.size() < 2) continue;
          if (shape.kind == MapShape::Point) {
            e->points.emplace_back(part[0], part[1]);
            continue;
          }
          QPainterPath& path = shape.kind == MapShape::Area ? e->areas : e->lines;
          path.moveTo(part[0], part[1]);
          for (size_t i = 2; i + 1 < part.size(); i += 2) path.lineTo(part[i], part[i + 1]);
          if (shape.kind == MapShape::Area) path.closeSubpath();
        }
      }
    }
    painter.save();
    painter.setOpacity(e->opacity);
    // Paths are kept in the frame's metres; the painter's transform places
    // them, and the pens keep their width in pixels.
    painter.setTransform(toScreen, true);
    QPen pen(e->colour, 1.6);
    pen.setCosmetic(true);
    painter.setPen(pen);
    QColor fill = e->colour;
    fill.setAlpha(40);
    painter.setBrush(fill);
    painter.drawPath(e->areas);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(e->lines);
    painter.restore();
    painter.save();
    painter.setOpacity(e->opacity);
    painter.setPen(Qt::NoPen);
    painter.setBrush(e->colour);
    for (const QPointF& p : e->points) painter.drawRect(QRectF(toScreen.map(p) - QPointF(3, 3), QSizeF(6, 6)));
    painter.restore();
  }
}

}  // namespace zelkor
