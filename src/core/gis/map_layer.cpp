#include "gis/map_layer.h"

#include <cmath>
#include <mutex>

#include <gdal_priv.h>
#include <gdal_utils.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include "util/text.h"

namespace zelkor {

void InitialiseGdal() {
  static std::once_flag once;
  std::call_once(once, [] {
    GDALAllRegister();
    // GDAL's messages are kept for the reasons this code reports.
    CPLSetErrorHandler(CPLQuietErrorHandler);
  });
}

namespace {

std::string GdalReason(const char* fallback) {
  const char* message = CPLGetLastErrorMsg();
  return message && *message ? std::string(message) : std::string(fallback);
}

OGRSpatialReference Wgs84() {
  OGRSpatialReference s;
  s.importFromEPSG(4326);
  s.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  return s;
}

}  // namespace

struct MapFrame::Impl {
  OGRSpatialReference crs;
  std::unique_ptr<OGRCoordinateTransformation> forward, inverse;
  std::string wkt, key;
  bool utm = false;
  double centreLongitude = 0, trueLatitude = 0;
  mutable std::mutex lock;  // OGR transformations are not re-entrant
};

MapFrame::MapFrame() = default;
MapFrame::MapFrame(const MapFrame&) = default;
MapFrame& MapFrame::operator=(const MapFrame&) = default;
MapFrame::~MapFrame() = default;

namespace {
std::shared_ptr<MapFrame::Impl> Finish(std::shared_ptr<MapFrame::Impl> impl) {
  impl->crs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  OGRSpatialReference wgs84 = Wgs84();
  impl->forward.reset(OGRCreateCoordinateTransformation(&wgs84, &impl->crs));
  impl->inverse.reset(OGRCreateCoordinateTransformation(&impl->crs, &wgs84));
  char* wkt = nullptr;
  impl->crs.exportToWkt(&wkt);
  impl->wkt = wkt ? wkt : "";
  CPLFree(wkt);
  return impl;
}
}  // namespace

MapFrame MapFrame::Centred(double centreLongitude, double trueLatitude) {
  InitialiseGdal();
  auto impl = std::make_shared<Impl>();
  impl->crs.importFromProj4(Format("+proj=eqc +lat_ts=%.9f +lat_0=0 +lon_0=%.9f +x_0=0 +y_0=0 +datum=WGS84 "
                                   "+units=m +no_defs",
                                   trueLatitude, centreLongitude)
                                .c_str());
  impl->centreLongitude = centreLongitude;
  impl->trueLatitude = trueLatitude;
  impl->key = Format("eqc %.9f %.9f", centreLongitude, trueLatitude);
  MapFrame f;
  f.impl_ = Finish(impl);
  return f;
}

MapFrame MapFrame::Utm(int epsg) {
  InitialiseGdal();
  auto impl = std::make_shared<Impl>();
  impl->crs.importFromEPSG(epsg);
  impl->utm = true;
  impl->key = Format("EPSG:%d", epsg);
  MapFrame f;
  f.impl_ = Finish(impl);
  return f;
}

bool MapFrame::fromLatLon(double latitude, double longitude, double* x, double* y) const {
  std::lock_guard<std::mutex> hold(impl_->lock);
  *x = longitude;
  *y = latitude;
  return impl_->forward && impl_->forward->Transform(1, x, y) && std::isfinite(*x) && std::isfinite(*y);
}

bool MapFrame::toLatLon(double x, double y, double* latitude, double* longitude) const {
  std::lock_guard<std::mutex> hold(impl_->lock);
  double lon = x, lat = y;
  if (!impl_->inverse || !impl_->inverse->Transform(1, &lon, &lat)) return false;
  *latitude = lat;
  *longitude = lon;
  return true;
}

const std::string& MapFrame::wkt() const { return impl_->wkt; }
bool MapFrame::isUtm() const { return impl_->utm; }
double MapFrame::centreLongitude() const { return impl_->centreLongitude; }
double MapFrame::trueLatitude() const { return impl_->trueLatitude; }
const std::string& MapFrame::key() const { return impl_->key; }

std::unique_ptr<MapLayer> MapLayer::Open(const std::string& path, std::string* reason) {
  InitialiseGdal();
  VSIStatBufL stat;
  if (VSIStatL(path.c_str(), &stat) != 0) {
    if (reason) *reason = "the file is not there (moved, renamed or on a drive not connected?)";
    return nullptr;
  }
  CPLErrorReset();
  GDALDatasetH ds = GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr,
                               nullptr);
  if (!ds) {
    if (reason) *reason = GdalReason("GDAL does not recognise it as a map");
    return nullptr;
  }
  std::unique_ptr<MapLayer> layer(new MapLayer);
  layer->path_ = path;
  layer->dataset_ = ds;
  // A GeoPackage or MBTiles file may hold both; its tiles are the map.
  layer->raster_ = GDALGetRasterCount(ds) > 0;
  if (!layer->raster_ && GDALDatasetGetLayerCount(ds) == 0) {
    if (reason) *reason = "it holds neither an image nor a vector layer";
    return nullptr;
  }
  if (layer->raster_) {
    double transform[6];
    const char* wkt = GDALGetProjectionRef(ds);
    if (GDALGetGeoTransform(ds, transform) != CE_None || !wkt || !*wkt) {
      if (reason) *reason = "the image has no position on Earth (no georeference)";
      return nullptr;
    }
  }
  return layer;
}

MapLayer::~MapLayer() {
  if (dataset_) GDALClose(static_cast<GDALDatasetH>(dataset_));
}

namespace {

void AddGeometry(const OGRGeometry* g, OGRCoordinateTransformation* toFrame, std::vector<MapShape>* out) {
  if (!g || g->IsEmpty()) return;
  const OGRwkbGeometryType type = wkbFlatten(g->getGeometryType());
  auto points = [&](const OGRSimpleCurve* curve) {
    std::vector<double> xy;
    xy.reserve(static_cast<size_t>(curve->getNumPoints()) * 2);
    for (int i = 0; i < curve->getNumPoints(); ++i) {
      double x = curve->getX(i), y = curve->getY(i);
      if (toFrame && !toFrame->Transform(1, &x, &y)) continue;
      xy.push_back(x);
      xy.push_back(y);
    }
    return xy;
  };
  switch (type) {
    case wkbPoint: {
      double x = g->toPoint()->getX(), y = g->toPoint()->getY();
      if (toFrame && !toFrame->Transform(1, &x, &y)) return;
      out->push_back({MapShape::Point, {{x, y}}});
      return;
    }
    case wkbLineString:
      out->push_back({MapShape::Line, {points(g->toLineString())}});
      return;
    case wkbPolygon: {
      MapShape shape{MapShape::Area, {}};
      for (const OGRLinearRing* ring : *g->toPolygon()) shape.parts.push_back(points(ring));
      out->push_back(std::move(shape));
      return;
    }
    case wkbMultiPoint:
    case wkbMultiLineString:
    case wkbMultiPolygon:
    case wkbGeometryCollection:
      for (const OGRGeometry* part : *g->toGeometryCollection()) AddGeometry(part, toFrame, out);
      return;
    default: {
      // Curves and surfaces: their straight-line approximation.
      std::unique_ptr<OGRGeometry> linear(g->getLinearGeometry());
      if (linear && wkbFlatten(linear->getGeometryType()) != type) AddGeometry(linear.get(), toFrame, out);
      return;
    }
  }
}

}  // namespace

const std::vector<MapShape>& MapLayer::shapes(const MapFrame& frame, std::string* reason) {
  if (raster_ || shapesKey_ == frame.key()) return shapes_;
  shapes_.clear();
  shapesKey_ = frame.key();
  OGRSpatialReference target;
  target.importFromWkt(frame.wkt().c_str());
  target.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  GDALDataset* ds = GDALDataset::FromHandle(static_cast<GDALDatasetH>(dataset_));
  for (OGRLayer* layer : ds->GetLayers()) {
    // A layer without a coordinate system is taken as WGS 84 degrees, as
    // GeoJSON and KML are.
    OGRSpatialReference source = Wgs84();
    if (const OGRSpatialReference* own = layer->GetSpatialRef()) source = *own;
    source.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> toFrame(OGRCreateCoordinateTransformation(&source, &target));
    if (!toFrame) {
      if (reason) *reason = GdalReason("its coordinate system cannot be brought onto the map");
      continue;
    }
    layer->ResetReading();
    for (auto& feature : *layer) AddGeometry(feature->GetGeometryRef(), toFrame.get(), &shapes_);
  }
  return shapes_;
}

bool MapLayer::render(const MapFrame& frame, const MapBox& box, int width, int height, MapImage* image,
                      std::string* reason) {
  if (!raster_ || width <= 0 || height <= 0) return false;
  GDALDatasetH src = static_cast<GDALDatasetH>(dataset_);
  // Colour bands, then the alpha band the warp writes: 0 where the raster
  // has no data.
  int colours = GDALGetRasterCount(src);
  bool sourceAlpha = false;
  if (colours > 1 &&
      GDALGetRasterColorInterpretation(GDALGetRasterBand(src, colours)) == GCI_AlphaBand) {
    --colours;
    sourceAlpha = true;
  }
  colours = std::min(colours, 3);
  GDALDriverH mem = GDALGetDriverByName("MEM");
  GDALDatasetH dst = GDALCreate(mem, "", width, height, colours + 1, GDT_Byte, nullptr);
  if (!dst) {
    if (reason) *reason = GdalReason("no memory for the map image");
    return false;
  }
  double transform[6] = {box.minX, box.width() / width, 0, box.maxY, 0, -box.height() / height};
  GDALSetGeoTransform(dst, transform);
  GDALSetProjection(dst, frame.wkt().c_str());
  GDALColorTableH palette = colours == 1 ? GDALGetRasterColorTable(GDALGetRasterBand(src, 1)) : nullptr;
  std::vector<std::string> words = {"-r",  palette ? "near" : "bilinear", "-dstalpha", "-wo", "SAMPLE_GRID=YES",
                                    "-et", "0.125", "-multi", "-wo", "NUM_THREADS=ALL_CPUS"};
  if (sourceAlpha) words.push_back("-srcalpha");
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  GDALWarpAppOptions* options = GDALWarpAppOptionsNew(argv.data(), nullptr);
  int usageError = 0;
  CPLErrorReset();
  GDALDatasetH warped = GDALWarp(nullptr, dst, 1, &src, options, &usageError);
  GDALWarpAppOptionsFree(options);
  if (!warped) {
    if (reason) *reason = GdalReason("GDAL could not warp the image");
    GDALClose(dst);
    return false;
  }
  image->width = width;
  image->height = height;
  image->rgba.assign(static_cast<size_t>(width) * height * 4, 0);
  std::vector<uint8_t> band(static_cast<size_t>(width) * height);
  bool ok = true;
  for (int b = 1; b <= colours + 1 && ok; ++b) {
    ok = GDALRasterIO(GDALGetRasterBand(dst, b), GF_Read, 0, 0, width, height, band.data(), width, height, GDT_Byte,
                      0, 0) == CE_None;
    const bool alpha = b == colours + 1;
    for (size_t i = 0; i < band.size(); ++i) {
      uint8_t* px = &image->rgba[i * 4];
      if (alpha) {
        px[3] = band[i];
      } else if (palette) {
        const GDALColorEntry* e = GDALGetColorEntry(palette, band[i]);
        px[0] = static_cast<uint8_t>(e ? e->c1 : 0);
        px[1] = static_cast<uint8_t>(e ? e->c2 : 0);
        px[2] = static_cast<uint8_t>(e ? e->c3 : 0);
      } else if (colours == 1) {
        px[0] = px[1] = px[2] = band[i];
      } else {
        px[b - 1] = band[i];
      }
    }
  }
  GDALClose(dst);
  if (!ok && reason) *reason = GdalReason("the warped image could not be read");
  return ok;
}

bool MapLayer::latLonExtent(MapBox* box) const {
  GDALDataset* ds = GDALDataset::FromHandle(static_cast<GDALDatasetH>(dataset_));
  OGRSpatialReference wgs84 = Wgs84();
  MapBox native;
  OGRSpatialReference source;
  if (raster_) {
    double t[6];
    if (ds->GetGeoTransform(t) != CE_None || !ds->GetSpatialRef()) return false;
    source = *ds->GetSpatialRef();
    const double x2 = t[0] + t[1] * ds->GetRasterXSize(), y2 = t[3] + t[5] * ds->GetRasterYSize();
    native = {std::min(t[0], x2), std::min(t[3], y2), std::max(t[0], x2), std::max(t[3], y2)};
  } else {
    bool any = false;
    for (OGRLayer* layer : ds->GetLayers()) {
      OGREnvelope e;
      if (layer->GetExtent(&e, TRUE) != OGRERR_NONE) continue;
      if (layer->GetSpatialRef()) source = *layer->GetSpatialRef();
      native = any ? MapBox{std::min(native.minX, e.MinX), std::min(native.minY, e.MinY),
                            std::max(native.maxX, e.MaxX), std::max(native.maxY, e.MaxY)}
                   : MapBox{e.MinX, e.MinY, e.MaxX, e.MaxY};
      any = true;
    }
    if (!any) return false;
    if (source.IsEmpty()) source = wgs84;
  }
  source.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  std::unique_ptr<OGRCoordinateTransformation> t(OGRCreateCoordinateTransformation(&source, &wgs84));
  if (!t) return false;
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  if (!t->TransformBounds(native.minX, native.minY, native.maxX, native.maxY, &minX, &minY, &maxX, &maxY, 21))
    return false;
  *box = {minX, minY, maxX, maxY};
  return true;
}

}  // namespace zelkor
