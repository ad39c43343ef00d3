// The user's map layers as a painter draws them: rasters under the track,
// vectors over it, each in the list's order, shown or hidden, with its own
// opacity. Images are warped once per zoom level for an area larger than
// the view, so a pan within it only moves them; vector shapes are read once
// per map frame and drawn as cached paths.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <memory>
#include <string>
#include <vector>

#include "gis/map_layer.h"

class QPainter;

namespace zelkor {

struct MapLayerEntry {
  std::string path;
  bool visible = true;
  double opacity = 1.0;  // 0-1
  std::unique_ptr<MapLayer> layer;  // null when the file could not be read
  std::string problem;              // GDAL's reason, when it could not
  QColor colour;                    // the colour of a vector layer

  // Caches: the images of the last few zoom levels, newest first.
  struct Warped {
    std::string key;  // frame and pixel size
    MapBox box;
    QImage image;
  };
  std::vector<Warped> images;
  std::string pathKey;  // frame of `areas`, `lines` and `points`
  QPainterPath areas, lines;
  std::vector<QPointF> points;
};

class MapLayers {
 public:
  // Adds a file at the end (drawn last of its kind); returns its index. A
  // file that cannot be read is kept in the list with the reason.
  int add(const std::string& path);
  void remove(int index);
  // Moves a layer up (-1) or down (+1) in the list.
  void move(int index, int by);
  void setVisible(int index, bool visible);
  void setOpacity(int index, double opacity);
  int size() const { return static_cast<int>(entries_.size()); }
  const MapLayerEntry& at(int index) const { return *entries_[static_cast<size_t>(index)]; }
  std::vector<std::string> paths() const;
  // "name - GDAL's reason" for each layer that could not be read.
  std::vector<std::string> problems() const;
  // Where the layers lie on Earth, for a frame that needs a hemisphere:
  // true when the first readable layer lies mostly south of the equator.
  bool mostlySouth() const;

  // Draws the rasters (under) or the vectors (over) of the shown layers.
  // frameToScreen maps the frame's metres to the painter's pixels; it only
  // scales and moves. viewport is the painter's area in pixels.
  void paintUnder(QPainter& painter, const MapFrame& frame, const QTransform& frameToScreen, const QRectF& viewport);
  void paintOver(QPainter& painter, const MapFrame& frame, const QTransform& frameToScreen, const QRectF& viewport);

 private:
  std::vector<std::unique_ptr<MapLayerEntry>> entries_;
  int added_ = 0;  // vector layers added, for their colours
};

}  // namespace zelkor
