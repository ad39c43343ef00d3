// Exports of a GPS data file for GIS and analysis: GPX 1.1, GeoJSON
// (RFC 7946), KML 2.2 and a Movebank-ready CSV. Times are UTC, positions
// signed decimal degrees. Fixes without a position are left out (and
// counted); the others carry the flags of the fix-quality model (a bad
// check byte, a time out of order, a speed above the maximum) and are kept;
// fixes without altitude carry no elevation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gpsdata/decoded_file.h"
#include "gpsdata/fix_quality.h"
#include "gpsdata/utm.h"

namespace zelkor {

enum class ExportFormat { Gpx, GeoJson, Kml, Movebank };

// "gpx", "geojson", "kml", "movebank"; false for anything else.
bool ParseExportFormat(const std::string& name, ExportFormat* format);
// The format a file name's extension suggests (.gpx, .geojson/.json, .kml,
// .csv); false when it suggests none.
bool ExportFormatForPath(const std::string& path, ExportFormat* format);

struct ExportOptions {
  std::string individual;  // Movebank individual; the collar ID when empty
  double maxSpeedKmh = kDefaultMaxSpeedKmh;  // above it a fix is flagged an outlier
};

// The whole export as text. Fixes without a position are left out of every
// format (they cannot be placed); *skipped counts them.
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
