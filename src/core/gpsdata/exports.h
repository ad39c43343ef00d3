// Exports of a GPS data file for GIS and analysis: GPX 1.1, GeoJSON
// (RFC 7946), KML 2.2 and a Movebank-ready CSV. Times are UTC, positions
// signed decimal degrees. Outliers (a bad check byte, no position, a speed
// above the maximum from the last good fix) are kept and flagged; fixes
// without altitude carry no elevation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/fix_flags.h"
#include "gpsdata/gps_fix.h"

namespace zelkor {

enum class ExportFormat { Gpx, GeoJson, Kml, Movebank };

// "gpx", "geojson", "kml", "movebank"; false for anything else.
bool ParseExportFormat(const std::string& name, ExportFormat* format);
// The format a file name's extension suggests (.gpx, .geojson/.json, .kml,
// .csv); false when it suggests none.
bool ExportFormatForPath(const std::string& path, ExportFormat* format);

struct ExportFix {
  GpsFix fix;
  int index = 0;           // 1-based block number
  bool validTime = false;  // a real calendar date and time
  bool validPosition = false;
  double latitude = 0;     // signed
  double longitude = 0;    // signed
  int satellites = 0;
};

struct ExportData {
  uint32_t collarId = 0;
  std::vector<ExportFix> fixes;  // every complete block, in memory order
};

// Decodes a file image (header and blocks); false when the header is incomplete.
bool ReadExportData(const std::vector<uint8_t>& image, ExportData* data);

// "2006-07-05T09:03:07Z"; empty for an invalid time.
std::string IsoUtc(const GpsFix& fix);

// The outlier flags' view of decoded blocks (UTC times).
std::vector<FlagInput> FlagInputsOf(const ExportData& data);

struct ExportOptions {
  std::string individual;  // Movebank individual; the collar ID when empty
  double maxSpeedKmh = kDefaultMaxSpeedKmh;  // above it a fix is flagged an outlier
};

// The whole export as text. Fixes without a valid position are left out
// of every format (they cannot be placed); *skipped counts them.
std::string ExportText(const ExportData& data, ExportFormat format, const ExportOptions& options, int* skipped);

enum class ExportResult { Ok, InputFailed, OutputFailed };
// Reads a GPS data file and writes the export through a temporary file;
// *reason (when given) says why a read or write failed.
ExportResult ExportGpsFile(const std::string& inputPath, const std::string& outputPath, ExportFormat format,
                           const ExportOptions& options, int* written, int* skipped, std::string* reason = nullptr);

}  // namespace zelkor
