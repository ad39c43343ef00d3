#include "gpsdata/exports.h"

#include <cmath>
#include <fstream>
#include <iterator>

#include "gpsdata/fix_time.h"
#include "gpsdata/gps_file_check.h"
#include "gpsdata/translate.h"
#include "gpsdata/utm.h"
#include "util/atomic_file.h"
#include "util/read_file.h"
#include "util/endian.h"
#include "util/text.h"

namespace zelkor {

bool ParseExportFormat(const std::string& name, ExportFormat* f) {
  if (name == "gpx") *f = ExportFormat::Gpx;
  else if (name == "geojson") *f = ExportFormat::GeoJson;
  else if (name == "kml") *f = ExportFormat::Kml;
  else if (name == "movebank") *f = ExportFormat::Movebank;
  else if (name == "gpkg") *f = ExportFormat::GeoPackage;
  else if (name == "shp") *f = ExportFormat::Shapefile;
  else return false;
  return true;
}

bool IsGisFormat(ExportFormat f) { return f == ExportFormat::GeoPackage || f == ExportFormat::Shapefile; }

namespace {
GisWriter gisWriter = nullptr;
}  // namespace

void SetGisWriter(GisWriter writer) { gisWriter = writer; }
bool GisExportsAvailable() { return gisWriter != nullptr; }

bool ExportFormatForPath(const std::string& path, ExportFormat* f) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::string lower = path;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower.size() > 8 && lower.compare(lower.size() - 8, 8, ".shp.zip") == 0) {
    *f = ExportFormat::Shapefile;
    return true;
  }
  if (ext == "gpkg") *f = ExportFormat::GeoPackage;
  else if (ext == "gpx") *f = ExportFormat::Gpx;
  else if (ext == "geojson" || ext == "json") *f = ExportFormat::GeoJson;
  else if (ext == "kml") *f = ExportFormat::Kml;
  else if (ext == "csv") *f = ExportFormat::Movebank;
  else return false;
  return true;
}

std::string ExportedText(int written, int skipped) {
  std::string text = Format("%d fixes exported", written);
  if (skipped) text += Format(", %d without a position left out", skipped);
  return text;
}

int ExportUtmZone(const UtmPosition& u) { return u.zone <= 0 ? 60 : u.zone > 60 ? 1 : u.zone; }

namespace {

std::string Coord(double v) { return Format("%.8f", v); }

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(c);
    } else if (static_cast<unsigned char>(c) < 0x20) {
      out += Format("\\u%04x", c);
    } else {
      out.push_back(c);
    }
  }
  return out + "\"";
}

std::string CsvField(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char c : s) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  return out + "\"";
}

const char* FixType(int status) {
  switch (status) {
    case 2: return "2d";
    case 3: return "3d";
    default: return nullptr;  // the collar's other codes have no GPX counterpart
  }
}

// What every format needs of one fix it writes.
struct Placed {
  const DecodedFix* fix;
  const FixQuality* quality;
  bool timed() const { return quality->time != TimeFlag::Invalid; }
};

// The fixes with a position, in memory order.
std::vector<Placed> PlacedFixes(const DecodedFile& d, const std::vector<FixQuality>& quality) {
  std::vector<Placed> placed;
  placed.reserve(d.fixes.size());
  for (size_t i = 0; i < d.fixes.size(); ++i)
    if (!quality[i].noPosition) placed.push_back({&d.fixes[i], &quality[i]});
  return placed;
}

std::string Gpx(const DecodedFile& d, const std::vector<Placed>& fixes) {
  std::string o =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<gpx version=\"1.1\" creator=\"NVKZelkor 1.2.3\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
      "xmlns:zelkor=\"urn:nalvik:zelkor:gpx:1\" "
      "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\n";
  o += Format("  <metadata>\n    <name>Collar %u</name>\n  </metadata>\n", d.collarId);
  o += Format("  <trk>\n    <name>Collar %u</name>\n    <trkseg>\n", d.collarId);
  for (const Placed& p : fixes) {
    const DecodedFix& e = *p.fix;
    const GpsFix& f = e.fix;
    const FixQuality& flag = *p.quality;
    o += "      <trkpt lat=\"" + Coord(e.latitude) + "\" lon=\"" + Coord(e.longitude) + "\">\n";
    if (f.hasAltitude) o += Format("        <ele>%d</ele>\n", f.altitude);
    if (p.timed()) o += "        <time>" + IsoUtc(f) + "</time>\n";
    if (!f.checkGood())
      o += Format("        <cmt>bad check byte: computed %u, stored %u</cmt>\n", f.computedCheck, f.storedCheck);
    if (const char* fix = FixType(f.statusCode)) o += std::string("        <fix>") + fix + "</fix>\n";
    o += Format("        <sat>%d</sat>\n", e.satellites);
    o += Format("        <extensions>\n          <zelkor:block>%d</zelkor:block>\n"
                "          <zelkor:status>%d</zelkor:status>\n          <zelkor:badCheck>%s</zelkor:badCheck>\n"
                "          <zelkor:outlier>%s</zelkor:outlier>\n",
                e.index, f.statusCode, f.checkGood() ? "false" : "true", flag.any() ? "true" : "false");
    if (flag.any()) o += "          <zelkor:outlierReason>" + flag.reasons() + "</zelkor:outlierReason>\n";
    o += "        </extensions>\n";
    o += "      </trkpt>\n";
  }
  o += "    </trkseg>\n  </trk>\n</gpx>\n";
  return o;
}

// The track's lines, cut where a step crosses the antimeridian (RFC 7946,
// 3.1.9): the step is split at 180 degrees, at the latitude where the
// straight line between the two fixes (in unwrapped longitude) meets it.
std::vector<std::vector<std::string>> TrackParts(const std::vector<Placed>& fixes) {
  std::vector<std::vector<std::string>> parts(1);
  auto position = [](double lon, double lat, const GpsFix* f) {
    std::string s = "[" + Coord(lon) + ", " + Coord(lat);
    if (f && f->hasAltitude) s += Format(", %d", f->altitude);
    return s + "]";
  };
  for (size_t i = 0; i < fixes.size(); ++i) {
    const DecodedFix& e = *fixes[i].fix;
    if (i > 0) {
      const DecodedFix& b = *fixes[i - 1].fix;
      const double step = e.longitude - b.longitude;
      if (std::fabs(step) > 180.0) {
        // Going east over 180 (step < -180) or west over -180 (step > 180).
        const double edge = step < 0 ? 180.0 : -180.0;
        const double unwrapped = e.longitude + (step < 0 ? 360.0 : -360.0);
        const double t = (edge - b.longitude) / (unwrapped - b.longitude);
        const double lat = b.latitude + t * (e.latitude - b.latitude);
        parts.back().push_back(position(edge, lat, nullptr));
        parts.emplace_back();
        parts.back().push_back(position(-edge, lat, nullptr));
      }
    }
    parts.back().push_back(position(e.longitude, e.latitude, &e.fix));
  }
  return parts;
}

std::string GeoJson(const DecodedFile& d, const std::vector<Placed>& fixes) {
  std::string o = "{\n  \"type\": \"FeatureCollection\",\n  \"features\": [";
  bool first = true;
  for (const Placed& p : fixes) {
    const DecodedFix& e = *p.fix;
    const GpsFix& f = e.fix;
    std::string position = "[" + Coord(e.longitude) + ", " + Coord(e.latitude);
    if (f.hasAltitude) position += Format(", %d", f.altitude);
    position += "]";
    const UtmPosition u = LatLonToUtm(f.latitude, f.northSouth, f.longitude, f.eastWest);
    std::string sats = "[";
    for (int s : f.satellites)
      if (s) sats += (sats.size() > 1 ? ", " : "") + std::to_string(s);
    sats += "]";
    o += first ? "\n" : ",\n";
    first = false;
    o += "    {\"type\": \"Feature\", \"geometry\": {\"type\": \"Point\", \"coordinates\": " + position +
         "}, \"properties\": {";
    o += Format("\"block\": %d, \"collarId\": %u, ", e.index, d.collarId);
    o += "\"time\": " + (p.timed() ? JsonString(IsoUtc(f)) : std::string("null")) + ", ";
    o += "\"altitude\": " + (f.hasAltitude ? std::to_string(f.altitude) : std::string("null")) + ", ";
    o += Format("\"status\": %d, \"satelliteCount\": %d, \"satellites\": %s, ", f.statusCode, e.satellites, sats.c_str());
    o += Format("\"badCheck\": %s, \"checkComputed\": %u, \"checkStored\": %u, ", f.checkGood() ? "false" : "true",
                f.computedCheck, f.storedCheck);
    const FixQuality& flag = *p.quality;
    o += std::string("\"outlier\": ") + (flag.any() ? "true" : "false") + ", \"outlierReason\": " +
         (flag.any() ? JsonString(flag.reasons()) : std::string("null")) + ", ";
    o += Format("\"utmEasting\": %.1f, \"utmNorthing\": %.1f, \"utmZone\": %d, \"utmHemisphere\": \"%c\", ",
                u.easting, u.northing, ExportUtmZone(u), f.northSouth);
    o += Format("\"value15\": %d.%d, \"value25\": %d.%d, \"value22\": %.2f, \"word20\": %u, \"byte19\": %u, "
                "\"byte27\": %u}}",
                f.bcd15Whole, f.bcd15Tenths, f.bcd25 / 10, f.bcd25 % 10, f.sixteenths22, f.word20, f.byte19, f.byte27);
  }
  if (fixes.size() >= 2) {
    const auto parts = TrackParts(fixes);
    auto join = [](const std::vector<std::string>& points) {
      std::string s;
      for (size_t i = 0; i < points.size(); ++i) s += (i ? ", " : "") + points[i];
      return s;
    };
    std::string geometry;
    if (parts.size() == 1) {
      geometry = "{\"type\": \"LineString\", \"coordinates\": [" + join(parts[0]) + "]}";
    } else {
      geometry = "{\"type\": \"MultiLineString\", \"coordinates\": [";
      for (size_t i = 0; i < parts.size(); ++i) geometry += (i ? ", [" : "[") + join(parts[i]) + "]";
      geometry += "]}";
    }
    o += first ? "\n" : ",\n";
    o += Format("    {\"type\": \"Feature\", \"geometry\": %s, \"properties\": {\"collarId\": %u, \"name\": \"track\"}}",
                geometry.c_str(), d.collarId);
  }
  o += "\n  ]\n}\n";
  return o;
}

std::string Kml(const DecodedFile& d, const std::vector<Placed>& fixes) {
  std::string o =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n  <Document>\n";
  o += Format("    <name>Collar %u</name>\n", d.collarId);
  o += "    <Style id=\"fix\"><IconStyle><color>ff9f561e</color><scale>0.6</scale></IconStyle></Style>\n"
       "    <Style id=\"badCheck\"><IconStyle><color>ff3130d6</color><scale>0.8</scale></IconStyle></Style>\n"
       "    <Style id=\"outlier\"><IconStyle><color>ffea3393</color><scale>0.8</scale></IconStyle></Style>\n"
       "    <Style id=\"track\"><LineStyle><color>ff9f561e</color><width>2</width></LineStyle></Style>\n";
  std::string line;
  for (const Placed& p : fixes) {
    const DecodedFix& e = *p.fix;
    const GpsFix& f = e.fix;
    const FixQuality& flag = *p.quality;
    const std::string position = Coord(e.longitude) + "," + Coord(e.latitude) +
                                 (f.hasAltitude ? Format(",%d", f.altitude) : std::string());
    o += "    <Placemark>\n";
    o += Format("      <name>%d</name>\n", e.index);
    if (p.timed()) o += "      <TimeStamp><when>" + IsoUtc(f) + "</when></TimeStamp>\n";
    o += std::string("      <styleUrl>#") + (!f.checkGood() ? "badCheck" : flag.any() ? "outlier" : "fix") +
         "</styleUrl>\n";
    o += "      <ExtendedData>\n";
    o += Format("        <Data name=\"satellites\"><value>%d</value></Data>\n", e.satellites);
    o += Format("        <Data name=\"status\"><value>%d</value></Data>\n", f.statusCode);
    o += Format("        <Data name=\"badCheck\"><value>%s</value></Data>\n", f.checkGood() ? "false" : "true");
    o += Format("        <Data name=\"outlier\"><value>%s</value></Data>\n", flag.any() ? "true" : "false");
    if (flag.any()) o += "        <Data name=\"outlierReason\"><value>" + flag.reasons() + "</value></Data>\n";
    o += "      </ExtendedData>\n";
    o += std::string("      <Point>") + (f.hasAltitude ? "<altitudeMode>absolute</altitudeMode>" : "") +
         "<coordinates>" + position + "</coordinates></Point>\n";
    o += "    </Placemark>\n";
    line += (line.empty() ? "" : " ") + Coord(e.longitude) + "," + Coord(e.latitude);
  }
  if (!line.empty()) {
    o += "    <Placemark>\n      <name>Track</name>\n      <styleUrl>#track</styleUrl>\n"
         "      <LineString><tessellate>1</tessellate><coordinates>" +
         line + "</coordinates></LineString>\n    </Placemark>\n";
  }
  o += "  </Document>\n</kml>\n";
  return o;
}

std::string Movebank(const DecodedFile& d, const ExportOptions& options, const std::vector<Placed>& fixes) {
  const std::string individual = options.individual.empty() ? std::to_string(d.collarId) : options.individual;
  std::string o =
      "timestamp,location-lat,location-long,height-above-msl,gps:satellite-count,gps:fix-type-raw,"
      "tag-local-identifier,individual-local-identifier,utm-easting,utm-northing,utm-zone,import-marked-outlier,"
      "zelkor:block,zelkor:check-computed,zelkor:check-stored\r\n";
  for (const Placed& p : fixes) {
    const DecodedFix& e = *p.fix;
    const GpsFix& f = e.fix;
    const UtmPosition u = LatLonToUtm(f.latitude, f.northSouth, f.longitude, f.eastWest);
    if (p.timed())
      o += Format("%04d-%02d-%02d %02d:%02d:%02d.000", 2000 + f.year, f.month, f.day, f.hour, f.minute, f.second);
    o += "," + Coord(e.latitude) + "," + Coord(e.longitude) + ",";
    if (f.hasAltitude) o += std::to_string(f.altitude);
    o += Format(",%d,%d,%u,", e.satellites, f.statusCode, d.collarId);
    o += CsvField(individual);
    o += Format(",%.1f,%.1f,%d%c,%s,%d,%u,%u\r\n", u.easting, u.northing, ExportUtmZone(u), f.northSouth,
                p.quality->any() ? "true" : "false", e.index, f.computedCheck, f.storedCheck);
  }
  return o;
}

}  // namespace

std::string ExportText(const DecodedFile& data, ExportFormat format, const ExportOptions& options, int* skipped) {
  const std::vector<FixQuality> quality = JudgeFile(data, options.maxSpeedKmh);
  const std::vector<Placed> fixes = PlacedFixes(data, quality);
  if (skipped) *skipped = static_cast<int>(data.fixes.size() - fixes.size());
  switch (format) {
    case ExportFormat::Gpx: return Gpx(data, fixes);
    case ExportFormat::GeoJson: return GeoJson(data, fixes);
    case ExportFormat::Kml: return Kml(data, fixes);
    case ExportFormat::Movebank: return Movebank(data, options, fixes);
    case ExportFormat::GeoPackage:
    case ExportFormat::Shapefile: break;
  }
  return std::string();
}

ExportResult ExportGpsFile(const std::string& inputPath, const std::string& outputPath, ExportFormat format,
                           const ExportOptions& options, int* written, int* skipped, std::string* reason) {
  std::vector<uint8_t> image;
  if (!ReadWholeFile(inputPath, &image, reason)) return ExportResult::InputFailed;
  const GpsFileCheck check = CheckGpsFile(image);
  DecodedFile data;
  if (!check.recognised || !DecodeGpsFile(image, &data)) {
    if (reason) *reason = "it does not look like a collar's GPS data file: " + check.reason;
    return ExportResult::InputFailed;
  }
  if (SameFile(inputPath, outputPath)) {
    if (reason) *reason = "it is the input file";
    return ExportResult::OutputFailed;
  }
  int skip = 0;
  if (IsGisFormat(format)) {
    if (!gisWriter) {
      if (reason) *reason = "this build of Zelkor writes no GeoPackage or Shapefile (it is built without GDAL)";
      return ExportResult::OutputFailed;
    }
    const std::vector<FixQuality> quality = JudgeFile(data, options.maxSpeedKmh);
    for (const FixQuality& q : quality) skip += q.noPosition ? 1 : 0;
    // GDAL writes the whole file under a name of this job's own, with the
    // extension that selects its driver; it takes the final name only once
    // it is complete and closed.
    const std::string ext = format == ExportFormat::Shapefile ? ".shp.zip" : ".gpkg";
    const std::string temp = ScratchName(outputPath) + ext;
    if (!gisWriter(data, quality, format, options, temp, reason)) {
      // The reason names the file the user chose, not this scratch name.
      if (reason)
        for (size_t at = reason->find(temp); at != std::string::npos; at = reason->find(temp))
          reason->replace(at, temp.size(), outputPath);
      DiscardFile(temp);
      DiscardFile(temp + "-journal");
      DiscardFile(temp + "-wal");
      DiscardFile(temp + "-shm");
      return ExportResult::OutputFailed;
    }
    if (!MoveIntoPlace(temp, outputPath, reason)) return ExportResult::OutputFailed;
    if (skipped) *skipped = skip;
    if (written) *written = static_cast<int>(data.fixes.size()) - skip;
    return ExportResult::Ok;
  }
  const std::string text = ExportText(data, format, options, &skip);
  if (skipped) *skipped = skip;
  if (written) *written = static_cast<int>(data.fixes.size()) - skip;
  return WriteFileAtomically(outputPath, text, reason) == AtomicWrite::Ok ? ExportResult::Ok
                                                                          : ExportResult::OutputFailed;
}

}  // namespace zelkor
