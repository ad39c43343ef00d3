#include "gis/gis_export.h"

#include <cmath>
#include <memory>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include "analysis/season_summary.h"
#include "gpsdata/fix_time.h"
#include "util/text.h"

namespace zelkor {

int UtmEpsgFor(double latitude, double longitude) {
  double lon = std::fmod(longitude + 180.0, 360.0);
  if (lon < 0) lon += 360.0;
  int zone = static_cast<int>(lon / 6.0) + 1;
  if (longitude >= 180.0 || zone > 60) zone = 60;  // 180 E closes zone 60
  return (latitude < 0 ? 32700 : 32600) + zone;
}

std::vector<std::vector<GeoPoint>> CutAtAntimeridian(const std::vector<GeoPoint>& line) {
  std::vector<std::vector<GeoPoint>> parts;
  if (line.empty()) return parts;
  parts.emplace_back();
  parts.back().push_back(line.front());
  for (size_t i = 1; i < line.size(); ++i) {
    const GeoPoint a = line[i - 1];
    const GeoPoint b = line[i];
    const double unwrapped = UnwrapLongitude(b.longitude, a.longitude);
    if (unwrapped > 180.0 || unwrapped < -180.0) {
      // The short way from a to b crosses 180 degrees: end this part on the
      // meridian and start the next one on its other side.
      const double edge = unwrapped > 180.0 ? 180.0 : -180.0;
      const double t = (edge - a.longitude) / (unwrapped - a.longitude);
      const double lat = a.latitude + t * (b.latitude - a.latitude);
      parts.back().push_back({lat, edge});
      parts.emplace_back();
      parts.back().push_back({lat, -edge});
    }
    parts.back().push_back(b);
  }
  return parts;
}

namespace {

std::string IsoTime(int64_t seconds) {
  const int64_t days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
  const int64_t rest = seconds - days * 86400;
  int y = 0, m = 0, d = 0;
  CivilFromDays(days, &y, &m, &d);
  return Format("%04d-%02d-%02dT%02d:%02d:%02d", y, m, d, static_cast<int>(rest / 3600),
                static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
}

const char* TimeFlagText(TimeFlag flag) {
  switch (flag) {
    case TimeFlag::None: return "";
    case TimeFlag::Invalid: return "invalid";
    case TimeFlag::OutsideSeason: return "outside season";
    case TimeFlag::OutOfOrder: return "out of order";
  }
  return "";
}

struct Closer {
  void operator()(GDALDataset* d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, Closer>;

std::string LastGdalError(const char* what) {
  const char* message = CPLGetLastErrorMsg();
  return message && *message ? std::string(what) + ": " + message : std::string(what);
}

// Adds a field; the Shapefile keeps times as text (it has no date-time
// type) and names of ten characters at most, which every name here is.
bool AddField(OGRLayer* layer, const char* name, OGRFieldType type, OGRFieldSubType subType = OFSTNone) {
  OGRFieldDefn field(name, type);
  field.SetSubType(subType);
  return layer->CreateField(&field) == OGRERR_NONE;
}

void SetTime(OGRFeature& f, const char* name, int64_t seconds, bool asText) {
  if (asText) {
    f.SetField(name, IsoTime(seconds).c_str());
    return;
  }
  const std::string iso = IsoTime(seconds);
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  std::sscanf(iso.c_str(), "%d-%d-%dT%d:%d:%d", &y, &mo, &d, &h, &mi, &s);
  f.SetField(name, y, mo, d, h, mi, static_cast<float>(s), 100);
}

class Projector {
 public:
  Projector(bool utm, double latitude, double longitude) {
    wgs84_.importFromEPSG(4326);
    wgs84_.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    if (utm) {
      epsg_ = UtmEpsgFor(latitude, longitude);
      target_.importFromEPSG(epsg_);
      target_.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
      transform_.reset(OGRCreateCoordinateTransformation(&wgs84_, &target_));
    }
  }
  bool ok() const { return epsg_ == 4326 || transform_ != nullptr; }
  OGRSpatialReference* crs() { return epsg_ == 4326 ? &wgs84_ : &target_; }
  bool degrees() const { return epsg_ == 4326; }
  OGRPoint point(const GeoPoint& p) const {
    double x = p.longitude, y = p.latitude;
    if (transform_) transform_->Transform(1, &x, &y);
    return OGRPoint(x, y);
  }

 private:
  OGRSpatialReference wgs84_, target_;
  std::unique_ptr<OGRCoordinateTransformation> transform_;
  int epsg_ = 4326;
};

bool WriteFixes(GDALDataset* ds, Projector& proj, const DecodedFile& data, const std::vector<FixQuality>& quality,
                const ExportOptions& options, bool textTimes, std::string* reason) {
  char** layerOptions = nullptr;
  OGRLayer* layer = ds->CreateLayer("fixes", proj.crs(), wkbPoint, layerOptions);
  if (!layer) {
    *reason = LastGdalError("the layer of fixes could not be made");
    return false;
  }
  const OGRFieldType timeType = textTimes ? OFTString : OFTDateTime;
  bool ok = AddField(layer, "collar_id", OFTInteger) && AddField(layer, "block", OFTInteger) &&
            AddField(layer, "utc_time", timeType) && AddField(layer, "local_time", timeType) &&
            AddField(layer, "utc_off_m", OFTInteger) && AddField(layer, "zone", OFTString) &&
            AddField(layer, "latitude", OFTReal) && AddField(layer, "n_s", OFTString) &&
            AddField(layer, "longitude", OFTReal) && AddField(layer, "e_w", OFTString) &&
            AddField(layer, "altitude", OFTInteger) && AddField(layer, "status", OFTInteger);
  for (int i = 1; ok && i <= 12; ++i) ok = AddField(layer, Format("sat%d", i).c_str(), OFTInteger);
  ok = ok && AddField(layer, "bcd15", OFTReal) && AddField(layer, "bcd25", OFTReal) &&
       AddField(layer, "val22", OFTReal) && AddField(layer, "word20", OFTInteger) &&
       AddField(layer, "byte19", OFTInteger) && AddField(layer, "byte27", OFTInteger) &&
       AddField(layer, "chk_comp", OFTInteger) && AddField(layer, "chk_stored", OFTInteger) &&
       AddField(layer, "flagged", OFTInteger, OFSTBoolean) && AddField(layer, "bad_check", OFTInteger, OFSTBoolean) &&
       AddField(layer, "time_flag", OFTString) && AddField(layer, "too_fast", OFTInteger, OFSTBoolean) &&
       AddField(layer, "speed_kmh", OFTReal) && AddField(layer, "reasons", OFTString);
  if (!ok) {
    *reason = LastGdalError("the fields of the fixes could not be made");
    return false;
  }
  const std::string zone = options.zoneName.empty() ? (options.offsetMinutesAt ? "" : "UTC") : options.zoneName;
  for (size_t i = 0; i < data.fixes.size(); ++i) {
    const FixQuality& q = quality[i];
    if (q.noPosition) continue;
    const DecodedFix& e = data.fixes[i];
    const GpsFix& fix = e.fix;
    OGRFeature feature(layer->GetLayerDefn());
    feature.SetField("collar_id", static_cast<int>(data.collarId));
    feature.SetField("block", e.index);
    int64_t utc = 0;
    if (q.time != TimeFlag::Invalid && FixUtcSeconds(fix, &utc)) {
      const int offset = options.offsetMinutesAt ? options.offsetMinutesAt(utc) : 0;
      SetTime(feature, "utc_time", utc, textTimes);
      SetTime(feature, "local_time", utc + int64_t{offset} * 60, textTimes);
      feature.SetField("utc_off_m", offset);
    }
    feature.SetField("zone", zone.c_str());
    feature.SetField("latitude", e.latitude);
    feature.SetField("n_s", std::string(1, fix.northSouth).c_str());
    feature.SetField("longitude", e.longitude);
    feature.SetField("e_w", std::string(1, fix.eastWest).c_str());
    if (fix.hasAltitude) feature.SetField("altitude", fix.altitude);
    feature.SetField("status", fix.statusCode);
    for (int s = 0; s < 12; ++s) feature.SetField(Format("sat%d", s + 1).c_str(), fix.satellites[static_cast<size_t>(s)]);
    feature.SetField("bcd15", fix.bcd15Whole + fix.bcd15Tenths / 10.0);
    feature.SetField("bcd25", fix.bcd25 / 10.0);
    feature.SetField("val22", fix.sixteenths22);
    feature.SetField("word20", static_cast<int>(fix.word20));
    feature.SetField("byte19", static_cast<int>(fix.byte19));
    feature.SetField("byte27", static_cast<int>(fix.byte27));
    feature.SetField("chk_comp", static_cast<int>(fix.computedCheck));
    feature.SetField("chk_stored", static_cast<int>(fix.storedCheck));
    feature.SetField("flagged", q.any() ? 1 : 0);
    feature.SetField("bad_check", q.badCheck ? 1 : 0);
    feature.SetField("time_flag", TimeFlagText(q.time));
    feature.SetField("too_fast", q.tooFast ? 1 : 0);
    if (q.speedKmh > 0) feature.SetField("speed_kmh", q.speedKmh);
    feature.SetField("reasons", q.reasons().c_str());
    OGRPoint point = proj.point({e.latitude, e.longitude});
    feature.SetGeometry(&point);
    if (layer->CreateFeature(&feature) != OGRERR_NONE) {
      *reason = LastGdalError(Format("fix %d could not be written", e.index).c_str());
      return false;
    }
  }
  return true;
}

bool WriteTrack(GDALDataset* ds, Projector& proj, const DecodedFile& data, const std::vector<FixQuality>& quality,
                bool textTimes, std::string* reason) {
  OGRLayer* layer = ds->CreateLayer("track", proj.crs(), wkbMultiLineString, nullptr);
  const OGRFieldType timeType = textTimes ? OFTString : OFTDateTime;
  if (!layer || !AddField(layer, "collar_id", OFTInteger) || !AddField(layer, "fixes", OFTInteger) ||
      !AddField(layer, "first_utc", timeType) || !AddField(layer, "last_utc", timeType)) {
    *reason = LastGdalError("the track layer could not be made");
    return false;
  }
  std::vector<GeoPoint> line;
  int64_t first = 0, last = 0;
  for (size_t i = 0; i < data.fixes.size(); ++i) {
    int64_t utc = 0;
    if (quality[i].noPosition || quality[i].badTime() || !FixUtcSeconds(data.fixes[i].fix, &utc)) continue;
    if (line.empty()) first = utc;
    last = utc;
    line.push_back({data.fixes[i].latitude, data.fixes[i].longitude});
  }
  if (line.size() < 2) return true;  // no track to draw; the layer stays, empty
  OGRMultiLineString multi;
  const std::vector<std::vector<GeoPoint>> parts =
      proj.degrees() ? CutAtAntimeridian(line) : std::vector<std::vector<GeoPoint>>{line};
  for (const auto& part : parts) {
    if (part.size() < 2) continue;
    OGRLineString ls;
    for (const GeoPoint& p : part) {
      const OGRPoint q = proj.point(p);
      ls.addPoint(q.getX(), q.getY());
    }
    multi.addGeometry(&ls);
  }
  OGRFeature feature(layer->GetLayerDefn());
  feature.SetField("collar_id", static_cast<int>(data.collarId));
  feature.SetField("fixes", static_cast<int>(line.size()));
  SetTime(feature, "first_utc", first, textTimes);
  SetTime(feature, "last_utc", last, textTimes);
  feature.SetGeometry(&multi);
  if (layer->CreateFeature(&feature) != OGRERR_NONE) {
    *reason = LastGdalError("the track could not be written");
    return false;
  }
  return true;
}

void ShiftRing(OGRLinearRing* ring, double by) {
  for (int i = 0; i < ring->getNumPoints(); ++i) ring->setPoint(i, ring->getX(i) + by, ring->getY(i));
}

void ShiftLongitudes(OGRGeometry* g, double by) {
  if (by == 0) return;
  const OGRwkbGeometryType type = wkbFlatten(g->getGeometryType());
  if (type == wkbPolygon) {
    for (OGRLinearRing* ring : *g->toPolygon()) ShiftRing(ring, by);
  } else if (type == wkbMultiPolygon) {
    for (OGRPolygon* p : *g->toMultiPolygon())
      for (OGRLinearRing* ring : *p) ShiftRing(ring, by);
  }
}

// A polygon in degrees, split where it crosses 180 degrees into the parts on
// either side (each within -180..180).
std::unique_ptr<OGRGeometry> DegreesPolygon(const std::vector<GeoPoint>& corners) {
  OGRLinearRing ring;
  const double reference = corners.front().longitude;
  double west = 1e9, east = -1e9;
  for (const GeoPoint& c : corners) {
    const double lon = UnwrapLongitude(c.longitude, reference);
    west = std::min(west, lon);
    east = std::max(east, lon);
    ring.addPoint(lon, c.latitude);
  }
  ring.closeRings();
  auto polygon = std::make_unique<OGRPolygon>();
  polygon->addRing(&ring);
  if (west >= -180.0 && east <= 180.0) return polygon;
  auto multi = std::make_unique<OGRMultiPolygon>();
  for (const double shift : {-360.0, 0.0, 360.0}) {
    OGRPolygon box;
    OGRLinearRing edge;
    edge.addPoint(-180.0 - shift, -90.0);
    edge.addPoint(180.0 - shift, -90.0);
    edge.addPoint(180.0 - shift, 90.0);
    edge.addPoint(-180.0 - shift, 90.0);
    edge.closeRings();
    box.addRing(&edge);
    std::unique_ptr<OGRGeometry> piece(polygon->Intersection(&box));
    if (!piece || piece->IsEmpty()) continue;
    OGREnvelope envelope;
    piece->getEnvelope(&envelope);
    if (envelope.MaxX - envelope.MinX <= 0) continue;  // only the meridian itself
    // Move the piece back into -180..180.
    ShiftLongitudes(piece.get(), shift);
    const OGRwkbGeometryType type = wkbFlatten(piece->getGeometryType());
    if (type == wkbPolygon) {
      multi->addGeometry(piece.get());
    } else if (type == wkbMultiPolygon) {
      for (const OGRPolygon* p : *piece->toMultiPolygon()) multi->addGeometry(p);
    }
  }
  return multi;
}

bool WriteRanges(GDALDataset* ds, Projector& proj, const DecodedFile& data, const std::vector<FixQuality>& quality,
                 std::string* reason) {
  OGRLayer* layer = ds->CreateLayer("ranges", proj.crs(), wkbMultiPolygon, nullptr);
  if (!layer || !AddField(layer, "collar_id", OFTInteger) || !AddField(layer, "percent", OFTInteger) ||
      !AddField(layer, "area_km2", OFTReal) || !AddField(layer, "corners", OFTInteger)) {
    *reason = LastGdalError("the layer of ranges could not be made");
    return false;
  }
  std::vector<GeoPoint> good;
  for (size_t i = 0; i < data.fixes.size(); ++i)
    if (!quality[i].any()) good.push_back({data.fixes[i].latitude, data.fixes[i].longitude});
  const HomeRanges ranges = HomeRangesOf(good);
  for (const auto& [percent, corners] :
       {std::make_pair(100, &ranges.mcp100), std::make_pair(95, &ranges.mcp95)}) {
    if (corners->size() < 3) continue;
    std::unique_ptr<OGRGeometry> shape;
    if (proj.degrees()) {
      shape = DegreesPolygon(*corners);
    } else {
      OGRLinearRing ring;
      for (const GeoPoint& c : *corners) {
        const OGRPoint q = proj.point(c);
        ring.addPoint(q.getX(), q.getY());
      }
      ring.closeRings();
      auto polygon = std::make_unique<OGRPolygon>();
      polygon->addRing(&ring);
      shape = std::move(polygon);
    }
    std::unique_ptr<OGRGeometry> multi(OGRGeometryFactory::forceToMultiPolygon(shape.release()));
    OGRFeature feature(layer->GetLayerDefn());
    feature.SetField("collar_id", static_cast<int>(data.collarId));
    feature.SetField("percent", percent);
    feature.SetField("area_km2", GeodesicAreaKm2(*corners));
    feature.SetField("corners", static_cast<int>(corners->size()));
    feature.SetGeometry(multi.get());
    if (layer->CreateFeature(&feature) != OGRERR_NONE) {
      *reason = LastGdalError("a home range could not be written");
      return false;
    }
  }
  return true;
}

}  // namespace

bool WriteGisExport(const DecodedFile& data, const std::vector<FixQuality>& quality, ExportFormat format,
                    const ExportOptions& options, const std::string& path, std::string* reason) {
  std::string why;
  if (!reason) reason = &why;
  const bool shapefile = format == ExportFormat::Shapefile;
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(shapefile ? "ESRI Shapefile" : "GPKG");
  if (!driver) {
    *reason = std::string("GDAL has no ") + (shapefile ? "Shapefile" : "GeoPackage") + " driver";
    return false;
  }
  std::vector<GeoPoint> placed;
  for (size_t i = 0; i < data.fixes.size(); ++i)
    if (!quality[i].noPosition) placed.push_back({data.fixes[i].latitude, data.fixes[i].longitude});
  const GeoPoint centre = placed.empty() ? GeoPoint{} : MeanCentre(placed);
  Projector proj(options.utm, centre.latitude, centre.longitude);
  if (!proj.ok()) {
    *reason = LastGdalError("the UTM coordinate system could not be set up");
    return false;
  }
  CPLErrorReset();
  Dataset ds(driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
  if (!ds) {
    *reason = LastGdalError("GDAL could not create the file");
    return false;
  }
  // One transaction where the format has them (GeoPackage): thousands of
  // fixes in one commit.
  const bool transaction = ds->StartTransaction() == OGRERR_NONE;
  if (!WriteFixes(ds.get(), proj, data, quality, options, shapefile, reason) ||
      !WriteTrack(ds.get(), proj, data, quality, shapefile, reason) ||
      !WriteRanges(ds.get(), proj, data, quality, reason))
    return false;
  if (transaction && ds->CommitTransaction() != OGRERR_NONE) {
    *reason = LastGdalError("GDAL could not commit the layers");
    return false;
  }
  // Closing writes what GDAL still holds; a failure there (a full disk) is a
  // failed export.
  CPLErrorReset();
  GDALClose(ds.release());
  if (CPLGetLastErrorType() >= CE_Failure) {
    *reason = LastGdalError("GDAL could not finish the file");
    return false;
  }
  return true;
}

void InstallGisExports() {
  GDALAllRegister();
  // GDAL's own messages are kept for the reason each failure reports, not
  // printed on their own.
  CPLSetErrorHandler(CPLQuietErrorHandler);
  SetGisWriter(&WriteGisExport);
}

}  // namespace zelkor
