// GeoPackage and zipped Shapefile exports, written through GDAL/OGR. Three
// layers: "fixes" (a point per fix with a position, every field of the
// translated CSV as a typed attribute, the fix-quality flags, UTC and local
// times, the collar ID), "track" (the fixes with a good time, in memory
// order, as a line cut at 180 degrees) and "ranges" (the 100 % and 95 %
// minimum convex polygons). WGS 84 degrees (EPSG:4326), or the UTM zone of
// the fixes' mean centre.
#pragma once

#include <string>
#include <vector>

#include "geo/geodesy.h"
#include "gpsdata/exports.h"

namespace zelkor {

// The writer ExportGpsFile calls for the GIS formats; path's extension
// (.gpkg or .shp.zip) selects GDAL's driver.
bool WriteGisExport(const DecodedFile& data, const std::vector<FixQuality>& quality, ExportFormat format,
                    const ExportOptions& options, const std::string& path, std::string* reason);

// Installs WriteGisExport for ExportGpsFile, and GDAL's drivers; programs
// that link this library call it once at start.
void InstallGisExports();

// The EPSG code of the UTM zone of a mean centre: 326ZZ north of the
// equator, 327ZZ south of it.
int UtmEpsgFor(double latitude, double longitude);

// A line in degrees cut where it crosses 180 degrees: each part's
// longitudes lie within -180..180, and the crossing point is on both sides
// of the cut (at latitude interpolated along the line).
std::vector<std::vector<GeoPoint>> CutAtAntimeridian(const std::vector<GeoPoint>& line);

}  // namespace zelkor
