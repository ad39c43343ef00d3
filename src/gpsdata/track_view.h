// Draws the fixes of a translated file as a map-like view: the track in
// time order with equal units on both axes, fixes coloured by date, bad
// fixes marked; the wheel zooms at the pointer, a drag pans, fit() shows
// everything; a scale bar and a coordinate grid (degrees or UTM metres);
// hovering a fix tells its time, position, altitude and satellites. The
// keyboard does the same: + and - zoom, the arrows pan, Home fits.
#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QTransform>
#include <QWidget>
#include <map>
#include <memory>
#include <optional>

#include "analysis/table_analysis.h"
#include "gpsdata/viewer_text.h"

namespace zelkor {

class MapFrame;
class MapLayers;

class TrackView : public QWidget {
  Q_OBJECT
 public:
  explicit TrackView(QWidget* parent = nullptr);
  void setTrack(Track track);
  const Track& track() const { return track_; }
  // The quality flags and UTC times of the table's rows: a bad check is a
  // red cross, a flagged time or speed a purple ring, a fix without a
  // position is not drawn; hovering tells the UTC time and the flags.
  void setAnalysis(TableAnalysis analysis);
  // Whether fix i carries a flag other than a bad check.
  bool isOutlier(int i) const;
  bool isBadCheck(int i) const;
  // Whether fix i is drawn (it has a position).
  bool isDrawn(int i) const;
  // The words under the track, counting the flags as every view does.
  QString caption() const;
  QSize sizeHint() const override { return {640, 420}; }

  // Shows every fix.
  void fit();
  // Zooms by factor (above 1 closer) keeping the world point under `at` in place.
  void zoom(double factor, QPointF at);
  void zoomIn() { zoom(2.0, rect().center()); }
  void pan(QPointF pixels);
  // Pixels per world unit (degree of latitude, or metre).
  double scale() const { return scale_; }
  // Where a fix is drawn.
  QPointF toScreen(const TrackPoint& p) const;
  // The fix nearest a pixel, within 8 pixels; -1 when none.
  int fixAt(QPointF pixel) const;
  // The words shown when hovering fix i.
  QString describe(int i) const;
  // The colour of a fix by its date, from the first day (blue) to the last (orange).
  QColor dateColour(const TrackPoint& p) const;
  // Metres per pixel at the view's centre.
  double metresPerPixel() const;

  // The user's map layers, drawn under (rasters) and over (vectors) the
  // track; not owned. Null draws the grid alone.
  void setMapLayers(MapLayers* layers);
  // The plane the layers are brought into: centred on the track's
  // longitudes for a latitude/longitude file, the track's UTM zone for a
  // UTM file (south of the equator when the layers lie there). Empty
  // without fixes, or in a build without maps.
  const MapFrame* mapFrame() const;
  // From the frame's metres to this view's pixels.
  QTransform frameToScreen() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  // + and - zoom, the arrows pan, Home fits.
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QPointF toWorld(QPointF pixel) const;
  void drawGrid(class QPainter& p) const;
  // The scale bar, its line `bottom` pixels from the top.
  void drawScaleBar(class QPainter& p, double bottom) const;

  const FixQuality* quality(int i) const;
  // The points marked first and last.
  std::pair<int, int> ends() const;
  void measure();

  void makeFrame();

  Track track_;
  TableAnalysis analysis_;
  MapLayers* layers_ = nullptr;
  std::map<QRgb, QImage> sprites_;  // a fix's dot in each colour, made once
  std::shared_ptr<MapFrame> frame_;
  double frameLongitude_ = 0;  // the frame's central meridian, for a latitude/longitude track
  std::vector<int> drawn_;  // the points with a position, in order
  long firstDay_ = 0, lastDay_ = 0;
  double xUnit_ = 1.0;         // screen units of one x unit relative to y (cos latitude for degrees)
  QPointF centre_;             // world point at the view's centre
  double scale_ = 1.0;         // pixels per y unit
  bool moved_ = false;  // zoomed or panned since the last fit
  bool dragging_ = false;
  QPointF dragFrom_;
};

}  // namespace zelkor
