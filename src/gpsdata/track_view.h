// Draws the fixes of a translated file: a polyline with points, scaled to
// fit with equal units on both axes, the first and last fix marked, rows
// with a bad check byte in another colour.
#pragma once

#include <QWidget>

#include "gpsdata/viewer_text.h"

namespace zelkor {

class TrackView : public QWidget {
  Q_OBJECT
 public:
  explicit TrackView(QWidget* parent = nullptr);
  void setTrack(Track track);
  const Track& track() const { return track_; }
  QSize sizeHint() const override { return {640, 420}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Track track_;
};

}  // namespace zelkor
