// Two small maps made on the spot for the manual's pictures and for trying
// the Track tab without maps of one's own: a shaded MBTiles image and a
// GeoPackage study area, both around a box of WGS 84 degrees.
#pragma once

#include <string>

namespace zelkor {

// Writes folder/sample-terrain.mbtiles and folder/sample-area.gpkg (any
// earlier ones replaced); false and *reason when GDAL cannot.
bool WriteSampleMaps(const std::string& folder, double south, double west, double north, double east,
                     std::string* rasterPath, std::string* vectorPath, std::string* reason);

}  // namespace zelkor
