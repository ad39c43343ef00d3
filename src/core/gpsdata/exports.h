// Exports of a GPS data file for GIS and analysis: GPX 1.1, GeoJSON
// (RFC 7946), KML 2.2 and a Movebank-ready CSV, written here as text; and
// GeoPackage and zipped Shapefile, written through GDAL by the programs
// that link it (see SetGisWriter). Times are UTC, positions
// signed decimal degrees. Fixes without a position are left out (and
// counted); the others carry the flags of the fix-quality model (a bad
// check byte, a time out of order, a speed above the maximum) and are kept;
// fixes without altitude carry no elevation.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gpsdata/decoded_file.h"
#include "gpsdata/fix_quality.h"
#include "gpsdata/utm.h"

namespace zelkor {

enum class ExportFormat { Gpx, GeoJson, Kml, Movebank, GeoPackage, Shapefile };

// "gpx", "geojson", "kml", "movebank", "gpkg", "shp"; false for anything
// else.
bool ParseExportFormat(const std::string& name, ExportFormat* format);
// The format a file name's extension suggests (.gpx, .geojson/.json, .kml,
// .csv, .gpkg, .shp.zip); false when it suggests none.
bool ExportFormatForPath(const std::string& path, ExportFormat* format);
bool IsGisFormat(ExportFormat format);

struct ExportOptions {
  std::string individual;  // Movebank individual; the collar ID when empty
  double maxSpeedKmh = kDefaultMaxSpeedKmh;  // above it a fix is flagged an outlier
  // GeoPackage and Shapefile: coordinates in the UTM zone of the fixes
  // (their mean centre) instead of WGS 84 degrees.
  bool utm = false;
  // GeoPackage and Shapefile: the local time written beside UTC, as minutes
  // east of UTC at an instant; UTC when not set. zoneName names it.
  std::function<int(int64_t utcSeconds)> offsetMinutesAt;
  std::string zoneName;
};

// Writes a GIS export of the fixes with a position (flags judged by the
// caller) to path, which the writer creates; false and *reason on failure.
// Installed by the programs that link GDAL.
using GisWriter = bool (*)(const DecodedFile& data, const std::vector<FixQuality>& quality, ExportFormat format,
                           const ExportOptions& options, const std::string& path, std::string* reason);
void SetGisWriter(GisWriter writer);
bool GisExportsAvailable();

// The whole export as text (GPX, GeoJSON, KML, Movebank; empty for the GIS
// formats). Fixes without a position are left out of every format (they
// cannot be placed); *skipped counts them.
std::string ExportText(const DecodedFile& data, ExportFormat format, const ExportOptions& options, int* skipped);

// "1920 fixes exported, 80 without a position left out".
std::string ExportedText(int written, int skipped);

// The UTM zone an export writes: 1-60 always. The translation's own rule
// gives zone 0 for 180 degrees west and 61 for 180 east; both are the
// meridian between zones 60 and 1, and the easting it computes belongs to
// zone 60 (for 0) and zone 1 (for 61).
int ExportUtmZone(const UtmPosition& position);

enum class ExportResult { Ok, InputFailed, OutputFailed };
// Reads a GPS data file and writes the export through a temporary file;
// *reason (when given) says why a read or write failed. A file that does
// not look like a collar's GPS data file is refused (InputFailed).
ExportResult ExportGpsFile(const std::string& inputPath, const std::string& outputPath, ExportFormat format,
                           const ExportOptions& options, int* written, int* skipped, std::string* reason = nullptr);

}  // namespace zelkor
