// "Export GPS Data...": a GPS data file (a backup copy, as a rule) written
// as GPX, GeoJSON, KML, Movebank CSV, GeoPackage or zipped Shapefile, the
// format chosen by the name.
#pragma once

#include <string>

#include "app/file_chooser.h"
#include "app/prompter.h"
#include "gpsdata/fix_quality.h"

namespace zelkor {

inline const char kExportFilter[] =
    "GPX (*.gpx);;GeoJSON (*.geojson);;KML for Google Earth (*.kml);;Movebank CSV (*.csv);;"
    "GeoPackage for GIS (*.gpkg);;Shapefile for GIS, zipped (*.shp.zip)";

// Asks for the source (unless one is given) in the backup folder, then for
// the output, writes it and says what was written. Fixes faster than
// maxSpeedKmh from the last good fix are marked outliers. For GeoPackage
// and Shapefile it asks whether to write UTM coordinates (default: no,
// WGS 84 degrees).
void RunExportGpsData(const std::string& programDirectory, std::string source, FileChooser& files,
                      Prompter& prompter, double maxSpeedKmh = kDefaultMaxSpeedKmh);

}  // namespace zelkor
