#include "gis/sample_maps.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include "gis/map_layer.h"

namespace zelkor {

bool WriteSampleMaps(const std::string& folder, double south, double west, double north, double east,
                     std::string* rasterPath, std::string* vectorPath, std::string* reason) {
  InitialiseGdal();
  const std::string dir = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  *rasterPath = dir + "sample-terrain.mbtiles";
  *vectorPath = dir + "sample-area.gpkg";
  std::remove(rasterPath->c_str());
  std::remove(vectorPath->c_str());
  auto fail = [&](const char* what) {
    const char* m = CPLGetLastErrorMsg();
    *reason = std::string(what) + (m && *m ? std::string(": ") + m : std::string());
    return false;
  };

  // Gentle hills in greens and browns.
  const int w = 256, h = 256;
  GDALDriver* mem = GetGDALDriverManager()->GetDriverByName("MEM");
  GDALDriver* mbtiles = GetGDALDriverManager()->GetDriverByName("MBTiles");
  if (!mem || !mbtiles) return fail("GDAL has no MEM or MBTiles driver");
  std::unique_ptr<GDALDataset> image(mem->Create("", w, h, 3, GDT_Byte, nullptr));
  if (!image) return fail("no memory for the sample image");
  double transform[6] = {west, (east - west) / w, 0, north, 0, -(north - south) / h};
  image->SetGeoTransform(transform);
  OGRSpatialReference wgs84;
  wgs84.importFromEPSG(4326);
  wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  image->SetSpatialRef(&wgs84);
  std::vector<uint8_t> band(static_cast<size_t>(w) * h);
  for (int b = 0; b < 3; ++b) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const double height = 0.5 + 0.25 * std::sin(x * 0.045) * std::cos(y * 0.06) + 0.2 * std::sin((x + y) * 0.02);
        const int base[3] = {150, 180, 120}, slope[3] = {70, 30, 10};
        band[static_cast<size_t>(y) * w + x] =
            static_cast<uint8_t>(std::clamp(base[b] + slope[b] * (height - 0.5) * 2, 0.0, 255.0));
      }
    if (image->GetRasterBand(b + 1)->RasterIO(GF_Write, 0, 0, w, h, band.data(), w, h, GDT_Byte, 0, 0) != CE_None)
      return fail("the sample image could not be drawn");
  }
  char* tileOptions[] = {const_cast<char*>("TILE_FORMAT=PNG"), nullptr};
  GDALDataset* tiles = mbtiles->CreateCopy(rasterPath->c_str(), image.get(), FALSE, tileOptions, nullptr, nullptr);
  if (!tiles) return fail("the sample MBTiles could not be written");
  GDALClose(tiles);

  // The study area: an irregular polygon inside the box.
  GDALDriver* gpkg = GetGDALDriverManager()->GetDriverByName("GPKG");
  if (!gpkg) return fail("GDAL has no GeoPackage driver");
  GDALDataset* ds = gpkg->Create(vectorPath->c_str(), 0, 0, 0, GDT_Unknown, nullptr);
  if (!ds) return fail("the sample GeoPackage could not be made");
  OGRLayer* layer = ds->CreateLayer("study_area", &wgs84, wkbPolygon, nullptr);
  bool ok = layer != nullptr;
  if (ok) {
    OGRFieldDefn name("name", OFTString);
    layer->CreateField(&name);
    OGRLinearRing ring;
    const double cx = (west + east) / 2, cy = (south + north) / 2, rx = (east - west) * 0.36, ry = (north - south) * 0.36;
    for (int i = 0; i < 9; ++i) {
      const double a = i * 2 * M_PI / 9, k = 0.8 + 0.2 * std::sin(i * 1.7);
      ring.addPoint(cx + rx * k * std::cos(a), cy + ry * k * std::sin(a));
    }
    ring.closeRings();
    OGRPolygon polygon;
    polygon.addRing(&ring);
    OGRFeature feature(layer->GetLayerDefn());
    feature.SetField("name", "Study area");
    feature.SetGeometry(&polygon);
    ok = layer->CreateFeature(&feature) == OGRERR_NONE;
  }
  GDALClose(ds);
  return ok || fail("the sample study area could not be written");
}

}  // namespace zelkor
