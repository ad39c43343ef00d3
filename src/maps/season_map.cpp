#include "season_map.h"

#include <QFont>
#include <QImage>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>

#include "analysis/season_summary.h"
#include "geo/geodesy.h"
#include "gis/gis_export.h"
#include "gpsdata/fix_time.h"
#include "gpsdata/gps_file_check.h"
#include "map_layers.h"
#include "util/atomic_file.h"
#include "util/read_file.h"
#include "util/text.h"

namespace zelkor {

namespace {

const QColor kGoodFix(30, 90, 200);
const QColor kFlaggedFix(150, 0, 150);
const QColor kBadCheck(220, 0, 0);
const QColor kRange100(0, 0, 0);
const QColor kRange95(90, 90, 90);

// Room kept free around the fixes: the legend above, the scale bar below,
// the north arrow on the right.
struct Margins {
  double left, top, right, bottom;
};

Margins MarginsFor(const QRectF& area) {
  const double unit = std::max(8.0, area.height() / 60.0);
  return {unit * 3, unit * 11, unit * 6, unit * 5};
}

double NiceLength(double metres) {
  const double power = std::pow(10.0, std::floor(std::log10(std::max(metres, 1e-3))));
  for (const double step : {1.0, 2.0, 5.0, 10.0})
    if (step * power >= metres) return step * power;
  return 10 * power;
}

QString LengthText(double metres) {
  return metres >= 1000 ? QString("%1 km").arg(metres / 1000.0) : QString("%1 m").arg(metres);
}

QString DateText(int64_t seconds) {
  int y = 0, m = 0, d = 0;
  CivilFromDays(seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400), &y, &m, &d);
  return QString::asprintf("%04d-%02d-%02d", y, m, d);
}

}  // namespace

SeasonMapLayout LayoutSeasonMap(const DecodedFile& data, const std::vector<FixQuality>& quality,
                                const SeasonMapOptions& options, const QRectF& area) {
  SeasonMapLayout layout;
  std::vector<GeoPoint> placed;
  for (size_t i = 0; i < data.fixes.size(); ++i)
    if (!quality[i].noPosition) placed.push_back({data.fixes[i].latitude, data.fixes[i].longitude});
  if (placed.empty()) return layout;
  const GeoPoint centre = MeanCentre(placed);
  const MapFrame frame = options.utm ? MapFrame::Utm(UtmEpsgFor(centre.latitude, centre.longitude))
                                     : MapFrame::Centred(centre.longitude, centre.latitude);
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  for (const GeoPoint& p : placed) {
    double x = 0, y = 0;
    if (!frame.fromLatLon(p.latitude, p.longitude, &x, &y)) continue;
    minX = std::min(minX, x), maxX = std::max(maxX, x);
    minY = std::min(minY, y), maxY = std::max(maxY, y);
  }
  if (minX > maxX) return layout;
  // At least 200 m across, so that one fix or a few close together still
  // show their surroundings.
  const double spanX = std::max(maxX - minX, 200.0), spanY = std::max(maxY - minY, 200.0);
  const Margins m = MarginsFor(area);
  const double usableW = std::max(10.0, area.width() - m.left - m.right);
  const double usableH = std::max(10.0, area.height() - m.top - m.bottom);
  const double scale = std::min(usableW / spanX, usableH / spanY);
  const double midX = (minX + maxX) / 2, midY = (minY + maxY) / 2;
  const double screenX = area.left() + m.left + usableW / 2, screenY = area.top() + m.top + usableH / 2;
  layout.frame = frame;
  layout.toPixels = QTransform(scale, 0, 0, -scale, screenX - midX * scale, screenY + midY * scale);
  return layout;
}

SeasonMapLayout PaintSeasonMap(QPainter& p, const QRectF& area, const DecodedFile& data, MapLayers* layers,
                               const SeasonMapOptions& options) {
  const std::vector<FixQuality> quality = JudgeFile(data, options.maxSpeedKmh);
  const SeasonMapLayout layout = LayoutSeasonMap(data, quality, options, area);
  const double unit = std::max(8.0, area.height() / 60.0);
  p.save();
  p.setClipRect(area);
  p.fillRect(area, QColor(250, 250, 246));
  p.setRenderHint(QPainter::Antialiasing);
  QFont font = p.font();
  font.setPixelSize(static_cast<int>(unit * 1.1));
  p.setFont(font);
  if (layout.empty()) {
    p.setPen(Qt::darkGray);
    p.drawText(area, Qt::AlignCenter, "No fixes with a position to draw.");
    p.restore();
    return layout;
  }
  const MapFrame& frame = *layout.frame;
  const QTransform& toPx = layout.toPixels;
  const double scale = toPx.m11();

  // The grid: the embedded default when no map is given, and a light guide
  // over maps.
  const bool anyLayer = layers && layers->size() > 0;
  {
    const QRectF world = toPx.inverted().mapRect(area);
    const double step = NiceLength(120.0 / scale);
    p.setPen(QPen(anyLayer ? QColor(0, 0, 0, 40) : QColor(215, 215, 205), 1));
    for (double x = std::ceil(world.left() / step) * step; x <= world.right(); x += step)
      p.drawLine(toPx.map(QPointF(x, world.top())), toPx.map(QPointF(x, world.bottom())));
    for (double y = std::ceil(world.top() / step) * step; y <= world.bottom(); y += step)
      p.drawLine(toPx.map(QPointF(world.left(), y)), toPx.map(QPointF(world.right(), y)));
  }
  if (layers) layers->paintUnder(p, frame, toPx, area);

  auto place = [&](const DecodedFix& f, QPointF* at) {
    double x = 0, y = 0;
    if (!frame.fromLatLon(f.latitude, f.longitude, &x, &y)) return false;
    *at = toPx.map(QPointF(x, y));
    return true;
  };
  auto ring = [&](const std::vector<GeoPoint>& corners) {
    QPolygonF polygon;
    for (const GeoPoint& c : corners) {
      double x = 0, y = 0;
      if (frame.fromLatLon(c.latitude, c.longitude, &x, &y)) polygon << toPx.map(QPointF(x, y));
    }
    return polygon;
  };

  // The home ranges.
  std::vector<GeoPoint> good;
  for (size_t i = 0; i < data.fixes.size(); ++i)
    if (!quality[i].any()) good.push_back({data.fixes[i].latitude, data.fixes[i].longitude});
  const HomeRanges ranges = HomeRangesOf(good);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kRange100, std::max(1.5, unit / 6)));
  if (ranges.mcp100.size() >= 3) p.drawPolygon(ring(ranges.mcp100));
  p.setPen(QPen(kRange95, std::max(1.5, unit / 6), Qt::DashLine));
  if (ranges.mcp95.size() >= 3) p.drawPolygon(ring(ranges.mcp95));

  // The track through the fixes with a good time, then the fixes.
  QPainterPath track;
  bool started = false;
  int64_t first = 0, last = 0;
  bool anyTime = false;
  for (size_t i = 0; i < data.fixes.size(); ++i) {
    QPointF at;
    if (quality[i].noPosition || quality[i].badTime() || !place(data.fixes[i], &at)) continue;
    started ? track.lineTo(at) : track.moveTo(at);
    started = true;
    int64_t utc = 0;
    if (FixUtcSeconds(data.fixes[i].fix, &utc)) {
      first = anyTime ? std::min(first, utc) : utc;
      last = anyTime ? std::max(last, utc) : utc;
      anyTime = true;
    }
  }
  p.setPen(QPen(QColor(120, 120, 120, 160), 1));
  p.drawPath(track);
  const double r = std::max(2.5, unit / 3.5);
  int drawn = 0, flagged = 0;
  for (size_t i = 0; i < data.fixes.size(); ++i) {
    const FixQuality& q = quality[i];
    QPointF at;
    if (q.noPosition || !place(data.fixes[i], &at)) continue;
    ++drawn;
    if (q.any()) ++flagged;
    if (q.badCheck) {
      p.setPen(QPen(kBadCheck, 2));
      p.drawLine(at + QPointF(-r, -r), at + QPointF(r, r));
      p.drawLine(at + QPointF(-r, r), at + QPointF(r, -r));
    } else if (q.any()) {
      p.setPen(QPen(kFlaggedFix, 2));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(at, r + 1, r + 1);
    } else {
      p.setPen(Qt::NoPen);
      p.setBrush(kGoodFix);
      p.drawEllipse(at, r, r);
    }
  }
  if (layers) layers->paintOver(p, frame, toPx, area);

  // The scale bar, bottom left, in metres of the frame at the fixes.
  {
    const double metres = NiceLength(unit * 12 / scale);
    const double length = metres * scale;
    const QPointF from(area.left() + unit * 2, area.bottom() - unit * 2);
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(from, from + QPointF(length, 0));
    p.drawLine(from, from - QPointF(0, unit / 2));
    p.drawLine(from + QPointF(length, 0), from + QPointF(length, -unit / 2));
    p.drawText(from + QPointF(0, -unit * 0.8), LengthText(metres));
  }
  // The north arrow, top right: true north at the centre of the fixes,
  // which in a UTM zone may lean from the grid.
  {
    double lat = 0, lon = 0;
    QPointF direction(0, -1);
    const QPointF centre = toPx.inverted().map(area.center());
    if (frame.toLatLon(centre.x(), centre.y(), &lat, &lon)) {
      double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
      if (frame.fromLatLon(lat, lon, &x1, &y1) && frame.fromLatLon(std::min(lat + 0.01, 89.99), lon, &x2, &y2)) {
        const QPointF d = toPx.map(QPointF(x2, y2)) - toPx.map(QPointF(x1, y1));
        const double n = std::hypot(d.x(), d.y());
        if (n > 0) direction = d / n;
      }
    }
    const QPointF tip(area.right() - unit * 3, area.top() + unit * 2.5);
    const QPointF base = tip - direction * unit * 3;
    const QPointF side(-direction.y(), direction.x());
    QPolygonF arrow;
    arrow << tip << base + side * unit * 0.8 << base + direction * unit * 0.8 << base - side * unit * 0.8;
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::black);
    p.drawPolygon(arrow);
    p.drawText(QRectF(base.x() - unit, base.y() + unit * 0.2, unit * 2, unit * 1.5), Qt::AlignCenter, "N");
  }
  // The legend, top left.
  {
    const QRectF box(area.left() + unit, area.top() + unit, unit * 25, unit * 8.6);
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.setBrush(QColor(255, 255, 255, 225));
    p.drawRect(box);
    QFont bold = font;
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(Qt::black);
    const double x = box.left() + unit * 0.7;
    double y = box.top() + unit * 1.5;
    p.drawText(QPointF(x, y), QString("Collar %1").arg(data.collarId));
    p.setFont(font);
    y += unit * 1.3;
    p.drawText(QPointF(x, y), anyTime ? QString("%1 to %2 (UTC)").arg(DateText(first), DateText(last))
                                      : QString("no fix with a good time"));
    y += unit * 1.3;
    p.drawText(QPointF(x, y), QString("%1 fixes drawn, %2 flagged").arg(drawn).arg(flagged));
    y += unit * 1.4;
    const double sx = x + unit * 0.5;
    p.setPen(Qt::NoPen);
    p.setBrush(kGoodFix);
    p.drawEllipse(QPointF(sx, y - unit * 0.35), r, r);
    p.setPen(Qt::black);
    p.drawText(QPointF(x + unit * 1.5, y), "good fix");
    p.setPen(QPen(kFlaggedFix, 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(sx + unit * 12, y - unit * 0.35), r + 1, r + 1);
    p.setPen(Qt::black);
    p.drawText(QPointF(x + unit * 13.5, y), "time or speed flag");
    y += unit * 1.3;
    p.setPen(QPen(kBadCheck, 2));
    const QPointF c(sx, y - unit * 0.35);
    p.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
    p.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
    p.setPen(Qt::black);
    p.drawText(QPointF(x + unit * 1.5, y), "bad check");
    y += unit * 1.3;
    p.setPen(QPen(kRange100, 2));
    p.drawLine(QPointF(x, y - unit * 0.35), QPointF(x + unit, y - unit * 0.35));
    p.setPen(Qt::black);
    p.drawText(QPointF(x + unit * 1.5, y), "100 % polygon");
    p.setPen(QPen(kRange95, 2, Qt::DashLine));
    p.drawLine(QPointF(x + unit * 11.8, y - unit * 0.35), QPointF(x + unit * 12.8, y - unit * 0.35));
    p.setPen(Qt::black);
    p.drawText(QPointF(x + unit * 13.5, y), "95 % polygon");
  }
  p.restore();
  return layout;
}

namespace {
bool DecodeForMap(const std::vector<uint8_t>& image, DecodedFile* data, std::string* reason) {
  const GpsFileCheck check = CheckGpsFile(image);
  if (!check.recognised || !DecodeGpsFile(image, data)) {
    *reason = "it does not look like a collar's GPS data file: " + check.reason;
    return false;
  }
  return true;
}
}  // namespace

QImage RenderSeasonMap(const std::vector<uint8_t>& image, const std::vector<std::string>& paths, QSize size,
                       const SeasonMapOptions& options, std::string* reason, std::vector<std::string>* problems) {
  std::string why;
  DecodedFile data;
  if (!DecodeForMap(image, &data, reason ? reason : &why)) return QImage();
  MapLayers layers;
  for (const std::string& path : paths) layers.add(path);
  if (problems) *problems = layers.problems();
  QImage picture(size, QImage::Format_ARGB32_Premultiplied);
  picture.fill(Qt::white);
  QPainter painter(&picture);
  PaintSeasonMap(painter, QRectF(QPointF(0, 0), size), data, &layers, options);
  return picture;
}

bool SaveSeasonMap(const std::string& gpsPath, const std::string& outputPath, const std::vector<std::string>& paths,
                   int width, int height, const SeasonMapOptions& options, std::string* reason,
                   std::vector<std::string>* problems) {
  std::vector<uint8_t> image;
  std::string why;
  if (!ReadWholeFile(gpsPath, &image, reason ? reason : &why)) return false;
  return SaveSeasonMapOf(image, outputPath, paths, width, height, options, reason, problems);
}

bool SaveSeasonMapOf(const std::vector<uint8_t>& image, const std::string& outputPath,
                     const std::vector<std::string>& paths, int width, int height, const SeasonMapOptions& options,
                     std::string* reason, std::vector<std::string>* problems) {
  std::string why;
  if (!reason) reason = &why;
  DecodedFile data;
  if (!DecodeForMap(image, &data, reason)) return false;

  QString lower = QString::fromStdString(outputPath).toLower();
  const bool pdf = lower.endsWith(".pdf");
  const std::string temp = ScratchName(outputPath) + (pdf ? ".pdf" : ".png");
  if (pdf) {
    MapLayers layers;
    for (const std::string& path : paths) layers.add(path);
    if (problems) *problems = layers.problems();
    QPdfWriter writer(QString::fromStdString(temp));
    writer.setResolution(150);
    writer.setPageSize(QPageSize(QSizeF(width * 25.4 / 150, height * 25.4 / 150), QPageSize::Millimeter));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setCreator("Zelkor");
    writer.setTitle(QString("Collar %1").arg(data.collarId));
    QPainter painter;
    if (!painter.begin(&writer)) {
      *reason = "the PDF could not be started";
      DiscardFile(temp);
      return false;
    }
    PaintSeasonMap(painter, QRectF(0, 0, writer.width(), writer.height()), data, &layers, options);
    if (!painter.end()) {
      *reason = "the PDF could not be finished (is the disk full?)";
      DiscardFile(temp);
      return false;
    }
  } else {
    const QImage picture = RenderSeasonMap(image, paths, QSize(width, height), options, reason, problems);
    QImageWriter writer(QString::fromStdString(temp), "png");
    if (!writer.write(picture)) {
      *reason = writer.errorString().toStdString();
      DiscardFile(temp);
      return false;
    }
  }
  return MoveIntoPlace(temp, outputPath, reason);
}

}  // namespace zelkor
