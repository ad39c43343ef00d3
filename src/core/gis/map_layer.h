// The user's own map files under a track: any raster GDAL reads (MBTiles
// and GeoPackage tile sets, GeoTIFF, ...) and any vector layer OGR reads
// (Shapefile, GeoPackage, GeoJSON, KML). Both are brought into one map
// frame: a plane in metres, either an equidistant cylindrical projection
// centred on the fixes (no seam at 180 degrees) or a UTM zone. Axis order
// is always longitude, latitude (easting, northing).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zelkor {

struct MapBox {
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  double width() const { return maxX - minX; }
  double height() const { return maxY - minY; }
  bool contains(const MapBox& o) const {
    return o.minX >= minX && o.maxX <= maxX && o.minY >= minY && o.maxY <= maxY;
  }
};

class MapFrame {
 public:
  // Equidistant cylindrical on WGS 84's semi-major axis, longitudes counted
  // from centreLongitude, true to scale along trueLatitude: x metres east,
  // y metres north of the equator.
  static MapFrame Centred(double centreLongitude, double trueLatitude);
  // A UTM zone by its EPSG code (326ZZ north, 327ZZ south).
  static MapFrame Utm(int epsg);

  MapFrame(const MapFrame&);
  MapFrame& operator=(const MapFrame&);
  ~MapFrame();

  // A WGS 84 position in the frame; false where the projection has no
  // answer.
  bool fromLatLon(double latitude, double longitude, double* x, double* y) const;
  bool toLatLon(double x, double y, double* latitude, double* longitude) const;
  // The frame as WKT, for GDAL.
  const std::string& wkt() const;
  bool isUtm() const;
  double centreLongitude() const;
  double trueLatitude() const;
  // Which frame this is: two frames with the same key are the same plane.
  const std::string& key() const;

  struct Impl;

 private:
  MapFrame();
  std::shared_ptr<const Impl> impl_;
};

// The shapes of a vector layer in a frame.
struct MapShape {
  enum Kind { Point, Line, Area } kind = Point;
  // Points: one part of one vertex each; lines: one part per line; areas:
  // one part per ring. Pairs of x, y.
  std::vector<std::vector<double>> parts;
};

// An image of a raster in a frame: RGBA, row by row from the top.
struct MapImage {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;
};

class MapLayer {
 public:
  // Opens a file; nullptr and *reason (GDAL's) when GDAL cannot read it, or
  // it holds neither a raster nor a vector layer.
  static std::unique_ptr<MapLayer> Open(const std::string& path, std::string* reason);
  ~MapLayer();

  const std::string& path() const { return path_; }
  bool isRaster() const { return raster_; }
  // The vector shapes in a frame; read from the file once per frame.
  const std::vector<MapShape>& shapes(const MapFrame& frame, std::string* reason = nullptr);
  // The raster warped into a box of a frame at width x height pixels
  // (bilinear); transparent where the raster has no data.
  bool render(const MapFrame& frame, const MapBox& box, int width, int height, MapImage* image,
              std::string* reason);
  // The layer's extent in WGS 84 degrees (longitude as x); false when GDAL
  // cannot tell it.
  bool latLonExtent(MapBox* box) const;

 private:
  MapLayer() = default;
  std::string path_;
  bool raster_ = false;
  void* dataset_ = nullptr;  // GDALDatasetH
  std::string shapesKey_;
  std::vector<MapShape> shapes_;
};

// Sets up GDAL's drivers once; safe to call again.
void InitialiseGdal();

}  // namespace zelkor
