// Season maps and map layers checked by their pixels. The maps are made at
// test time with GDAL's own tools (gdal_translate, ogr2ogr) from a generated
// picture and a GeoJSON text; where a place should land on the picture is
// worked out with gdaltransform (PROJ), not with this program's transforms.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "analysis/season_summary.h"
#include "gis/map_layer.h"
#include "gpsdata/fix_time.h"
#include "map_layers.h"
#include "season_map.h"
#include "support/gps_image.h"
#include "support/references.h"
#include "support/temp_dir.h"
#include "track_view.h"

namespace zelkor {
namespace {

QApplication& Gui() {
  static int argc = 1;
  static char name[] = "maps_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

std::string Run(const std::string& command) {
  std::string out;
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (!p) return out;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
  const int status = pclose(p);
  if (status != 0) ADD_FAILURE() << command << " failed:\n" << out;
  return out;
}

// A picture of one colour as a GeoTIFF on a WGS 84 box, and the same as
// MBTiles (Web Mercator tiles), made by gdal_translate.
std::string SolidRaster(testing::TempDir& dir, const std::string& name, double west, double north, double east,
                        double south, int r, int g, int b, bool mbtiles) {
  std::string ppm = "P6\n64 64\n255\n";
  for (int i = 0; i < 64 * 64; ++i) ppm += {static_cast<char>(r), static_cast<char>(g), static_cast<char>(b)};
  dir.write(name + ".ppm", ppm);
  char box[200];
  std::snprintf(box, sizeof box, "%.9f %.9f %.9f %.9f", west, north, east, south);
  Run("gdal_translate -q -of GTiff -a_srs EPSG:4326 -a_ullr " + std::string(box) + " '" + dir.file(name + ".ppm") +
      "' '" + dir.file(name + ".tif") + "'");
  if (!mbtiles) return dir.file(name + ".tif");
  Run("gdal_translate -q -of MBTILES '" + dir.file(name + ".tif") + "' '" + dir.file(name + ".mbtiles") + "'");
  return dir.file(name + ".mbtiles");
}

// A GeoPackage polygon layer made by ogr2ogr from GeoJSON text.
std::string PolygonLayer(testing::TempDir& dir, const std::string& name, const std::string& rings) {
  dir.write(name + ".geojson",
            "{\"type\":\"FeatureCollection\",\"features\":[{\"type\":\"Feature\",\"properties\":{\"name\":\"area\"},"
            "\"geometry\":{\"type\":\"MultiPolygon\",\"coordinates\":" +
                rings + "}}]}");
  Run("ogr2ogr -f GPKG '" + dir.file(name + ".gpkg") + "' '" + dir.file(name + ".geojson") + "'");
  return dir.file(name + ".gpkg");
}

// Where PROJ puts a WGS 84 position in a frame.
QPointF ProjInFrame(const MapFrame& frame, double lat, double lon) {
  const std::string definition =
      frame.isUtm() ? frame.key()
                    : "+proj=eqc +lat_ts=" + std::to_string(frame.trueLatitude()) +
                          " +lat_0=0 +lon_0=" + std::to_string(frame.centreLongitude()) +
                          " +x_0=0 +y_0=0 +datum=WGS84 +units=m +no_defs";
  char line[200];
  std::snprintf(line, sizeof line, "echo '%.9f %.9f' | gdaltransform -s_srs EPSG:4326 -t_srs '%s'", lon, lat,
                definition.c_str());
  double x = 0, y = 0;
  std::sscanf(Run(line).c_str(), "%lf %lf", &x, &y);
  return QPointF(x, y);
}

bool Near(QRgb pixel, int r, int g, int b, int tolerance = 4) {
  return std::abs(qRed(pixel) - r) <= tolerance && std::abs(qGreen(pixel) - g) <= tolerance &&
         std::abs(qBlue(pixel) - b) <= tolerance;
}

// The share of pixels of a square around a point that have a colour.
double ShareNear(const QImage& image, QPointF at, int half, int r, int g, int b) {
  int hits = 0, all = 0;
  for (int y = static_cast<int>(at.y()) - half; y <= static_cast<int>(at.y()) + half; ++y)
    for (int x = static_cast<int>(at.x()) - half; x <= static_cast<int>(at.x()) + half; ++x) {
      if (!image.valid(x, y)) continue;
      ++all;
      hits += Near(image.pixel(x, y), r, g, b);
    }
  return all ? static_cast<double>(hits) / all : 0;
}

// A two-hourly season through the given positions from 1 May 2026.
std::vector<uint8_t> Season(const std::vector<std::pair<double, double>>& positions) {
  std::vector<GpsBlockFields> fixes;
  const int64_t start = DaysFromCivil(2026, 5, 1) * 86400;
  for (size_t i = 0; i < positions.size(); ++i) {
    const int64_t t = start + static_cast<int64_t>(i) * 7200 + 35;
    int y, mo, d;
    CivilFromDays(t / 86400, &y, &mo, &d);
    const int rest = static_cast<int>(t % 86400);
    const auto [lat, lon] = positions[i];
    fixes.push_back(testing::FixAt(y - 2000, mo, d, rest / 3600, rest % 3600 / 60, rest % 60, std::fabs(lat),
                                   lat >= 0, std::fabs(lon), lon >= 0));
  }
  return testing::GpsImage(fixes, 4711);
}

struct Drawn {
  QImage image;
  SeasonMapLayout layout;
  DecodedFile data;
};

Drawn Draw(const std::vector<uint8_t>& image, MapLayers* layers, bool utm = false, QSize size = {800, 600}) {
  Gui();
  Drawn d;
  EXPECT_TRUE(DecodeGpsFile(image, &d.data));
  d.image = QImage(size, QImage::Format_ARGB32);
  d.image.fill(Qt::white);
  QPainter painter(&d.image);
  SeasonMapOptions options;
  options.utm = utm;
  options.maxSpeedKmh = 500;
  d.layout = PaintSeasonMap(painter, QRectF(QPointF(0, 0), size), d.data, layers, options);
  if (const char* keep = std::getenv("ZELKOR_KEEP_MAPS")) {
    static int n = 0;
    d.image.save(QString("%1/map-%2.png").arg(keep).arg(++n));
  }
  return d;
}

// The latitude PROJ gives for a row of the picture, at its middle.
double LatitudeAtRow(const Drawn& d, int row) {
  const QPointF at = d.layout.toPixels.inverted().map(QPointF(d.image.width() / 2.0, row));
  const MapFrame& frame = *d.layout.frame;
  const std::string definition =
      frame.isUtm() ? frame.key()
                    : "+proj=eqc +lat_ts=" + std::to_string(frame.trueLatitude()) +
                          " +lat_0=0 +lon_0=" + std::to_string(frame.centreLongitude()) +
                          " +x_0=0 +y_0=0 +datum=WGS84 +units=m +no_defs";
  char line[300];
  std::snprintf(line, sizeof line, "echo '%.3f %.3f' | gdaltransform -s_srs '%s' -t_srs EPSG:4326", at.x(), at.y(),
                definition.c_str());
  double lon = 0, lat = 0;
  std::sscanf(Run(line).c_str(), "%lf %lf", &lon, &lat);
  return lat;
}

TEST(SeasonMap, TilesUnderTheTrackAreaOutlineOverItAndFixesAtTheirProjectedPlaces) {
  testing::TempDir dir;
  // A walk near 45 N 110 W, a study area around its middle and an image
  // covering its western half.
  std::vector<std::pair<double, double>> walk;
  for (int i = 0; i < 60; ++i) walk.push_back({45.0 + 0.02 * std::sin(i * 0.2), -110.0 + 0.001 * i});
  const std::string tiles = SolidRaster(dir, "base", -110.05, 45.05, -109.99, 44.95, 200, 30, 30, true);
  const std::string area =
      PolygonLayer(dir, "area", "[[[[-109.99,44.99],[-109.95,44.99],[-109.95,45.01],[-109.99,45.01],[-109.99,44.99]]]]");
  MapLayers layers;
  layers.add(tiles);
  layers.add(area);
  ASSERT_TRUE(layers.problems().empty()) << layers.problems().front();
  const Drawn d = Draw(Season(walk), &layers);
  ASSERT_FALSE(d.layout.empty());
  const MapFrame& frame = *d.layout.frame;
  auto pixel = [&](double lat, double lon) { return d.layout.toPixels.map(ProjInFrame(frame, lat, lon)); };

  // The tiles' colour inside their box, none of it well east of the box.
  const QPointF inside = pixel(45.03, -110.02);
  EXPECT_GT(ShareNear(d.image, inside, 4, 200, 30, 30), 0.6) << "tiles under the track at " << inside.x() << ","
                                                              << inside.y();
  const QPointF east = pixel(45.0, -109.96);
  EXPECT_EQ(ShareNear(d.image, east, 4, 200, 30, 30), 0.0) << "no tiles beyond their edge";

  // The area's outline in the first vector colour along its southern edge.
  const QColor outline = layers.at(1).colour;
  const QPointF south = pixel(44.99, -109.965);
  std::string seenColours;
  bool seen = false;
  for (int dy = -2; dy <= 2; ++dy) {
    const QRgb c = d.image.pixel(static_cast<int>(south.x()), static_cast<int>(std::lround(south.y())) + dy);
    seen |= Near(c, outline.red(), outline.green(), outline.blue(), 50);
    seenColours += QColor(c).name().toStdString() + " ";
  }
  EXPECT_TRUE(seen) << "the study area's outline at " << south.x() << "," << south.y() << ": " << seenColours;

  // Every fourth fix drawn where PROJ puts it, within a pixel.
  for (size_t i = 0; i < walk.size(); i += 4) {
    const QPointF at = pixel(d.data.fixes[i].latitude, d.data.fixes[i].longitude);
    // Inside the study area its light fill lies over the fix.
    EXPECT_GT(ShareNear(d.image, at, 1, 30, 90, 200) + ShareNear(d.image, at, 1, 26, 96, 180), 0.3)
        << "fix " << i << " at " << at.x() << "," << at.y();
  }
}

TEST(SeasonMap, AGeoTiffsEdgeLiesWithinAPixelOfWherePROJPutsIt) {
  testing::TempDir dir;
  std::vector<std::pair<double, double>> walk;
  for (int i = 0; i < 40; ++i) walk.push_back({-20.0 + 0.01 * std::sin(i * 0.3), 30.0 + 0.0015 * i});
  MapLayers layers;
  layers.add(SolidRaster(dir, "edge", 29.9, -19.9, 30.02, -20.1, 200, 30, 30, false));
  const Drawn d = Draw(Season(walk), &layers);
  ASSERT_FALSE(d.layout.empty());
  const QPointF edge = d.layout.toPixels.map(ProjInFrame(*d.layout.frame, -20.014, 30.02));
  for (int y = static_cast<int>(edge.y()) - 8; y <= static_cast<int>(edge.y()) + 8; y += 4) {
    EXPECT_TRUE(Near(d.image.pixel(static_cast<int>(edge.x()) - 2, y), 200, 30, 30, 8))
        << "the image west of its edge at " << edge.x() << "," << y;
    EXPECT_FALSE(Near(d.image.pixel(static_cast<int>(edge.x()) + 2, y), 200, 30, 30, 40))
        << "no image east of its edge at " << edge.x() << "," << y;
  }
}

TEST(SeasonMap, LayersAcross180DegreesAndInTheSouthLandOnBothSides) {
  testing::TempDir dir;
  // The reference season across the antimeridian at 66 N, with an image on
  // each side of 180 degrees and a study area given in two parts, as
  // RFC 7946 splits it.
  for (const auto& ref : testing::ReferenceSeasons()) {
    if (ref.name != "antimeridian_66n" && ref.name != "south_west_50s") continue;
    double south = 90, north = -90;
    for (const auto& [lat, lon] : ref.positions) south = std::min(south, lat), north = std::max(north, lat);
    MapLayers layers;
    const bool across = ref.name == "antimeridian_66n";
    const double west = across ? 179.0 : ref.positions[0].second - 0.5;
    if (across) {
      layers.add(SolidRaster(dir, "east", 179.0, north + 0.2, 180.0, south - 0.2, 20, 160, 40, false));
      layers.add(SolidRaster(dir, "west", -180.0, north + 0.2, -179.0, south - 0.2, 220, 180, 0, true));
      layers.add(PolygonLayer(dir, "split",
                              "[[[[179.9,65.9],[180,65.9],[180,66.3],[179.9,66.3],[179.9,65.9]]],"
                              "[[[-180,65.9],[-179.9,65.9],[-179.9,66.3],[-180,66.3],[-180,65.9]]]]"));
    } else {
      layers.add(SolidRaster(dir, "south", west, north + 0.2, west + 1.0, south - 0.2, 20, 160, 40, true));
    }
    ASSERT_TRUE(layers.problems().empty()) << ref.name << ": " << layers.problems().front();
    const Drawn d = Draw(Season(ref.positions), &layers, /*utm=*/!across);
    ASSERT_FALSE(d.layout.empty()) << ref.name;
    auto pixel = [&](double lat, double lon) {
      return d.layout.toPixels.map(ProjInFrame(*d.layout.frame, lat, lon));
    };
    if (across) {
      // In the margin above the fixes, right of the legend, where only the
      // images are.
      const double clear = LatitudeAtRow(d, 104);
      EXPECT_GT(ShareNear(d.image, pixel(clear, 179.7), 3, 20, 160, 40), 0.5) << "the image east of 180";
      EXPECT_GT(ShareNear(d.image, pixel(clear, -179.7), 3, 220, 180, 0), 0.5) << "the tiles west of 180";
      // The area's western part: its outline where PROJ puts -179.9.
      const QPointF corner = pixel(66.1, -179.9);
      const QColor outline = layers.at(2).colour;
      bool seen = false;
      for (int dx = -1; dx <= 1; ++dx)
        seen |= Near(d.image.pixel(static_cast<int>(corner.x()) + dx, static_cast<int>(corner.y())), outline.red(),
                     outline.green(), outline.blue(), 60);
      EXPECT_TRUE(seen) << "the western part of the split area at " << corner.x() << "," << corner.y();
    } else {
      EXPECT_TRUE(d.layout.frame->isUtm());
      EXPECT_EQ(d.layout.frame->key().substr(0, 8), "EPSG:327") << "a southern UTM zone";
      EXPECT_GT(ShareNear(d.image, pixel(LatitudeAtRow(d, 104), west + 0.8), 3, 20, 160, 40), 0.5)
          << "the tiles in the south";
    }
  }
}

TEST(SeasonMap, WithoutLayersItDrawsOnTheGridAndAMissingLayerIsNamed) {
  testing::TempDir dir;
  MapLayers layers;
  layers.add(dir.file("gone.mbtiles"));
  dir.write("notes.tif", "not a map");
  layers.add(dir.file("notes.tif"));
  const auto problems = layers.problems();
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].rfind("gone.mbtiles - the file is not there", 0), 0u) << problems[0];
  EXPECT_EQ(problems[1].rfind("notes.tif - ", 0), 0u) << problems[1];
  EXPECT_GT(problems[1].size(), std::string("notes.tif - ").size()) << "with GDAL's reason";

  std::vector<std::pair<double, double>> walk;
  for (int i = 0; i < 30; ++i) walk.push_back({-33.9 + 0.001 * i, 151.2 + 0.0015 * std::sin(i * 0.5)});
  const Drawn d = Draw(Season(walk), &layers);
  ASSERT_FALSE(d.layout.empty());
  // The rest still draws: the fixes are there.
  const QPointF first = d.layout.toPixels.map(ProjInFrame(*d.layout.frame, d.data.fixes[0].latitude,
                                                          d.data.fixes[0].longitude));
  EXPECT_GT(ShareNear(d.image, first, 1, 30, 90, 200), 0.3);

  // Saved as PNG and PDF, whole, through a scratch name.
  Gui();
  dir.writeBytes("season.gps", [&] {
    const auto image = Season(walk);
    return std::vector<unsigned char>(image.begin(), image.end());
  }());
  std::string reason;
  std::vector<std::string> left;
  ASSERT_TRUE(SaveSeasonMap(dir.file("season.gps"), dir.file("map.png"), {dir.file("gone.mbtiles")}, 640, 480, {},
                            &reason, &left))
      << reason;
  EXPECT_EQ(left.size(), 1u);
  QImage png(QString::fromStdString(dir.file("map.png")));
  EXPECT_EQ(png.size(), QSize(640, 480));
  ASSERT_TRUE(SaveSeasonMap(dir.file("season.gps"), dir.file("map.pdf"), {}, 640, 480, {}, &reason)) << reason;
  EXPECT_EQ(dir.read("map.pdf").rfind("%PDF", 0), 0u);
  EXPECT_FALSE(SaveSeasonMap(dir.file("season.gps"), dir.file("no-folder/map.png"), {}, 640, 480, {}, &reason));
  for (const std::string& name : testing::TempDir::List(dir.dir()))
    EXPECT_EQ(name.find("scratch"), std::string::npos) << name << " left beside the maps";
}

TEST(TrackViewLayers, TheTrackTabPutsLayersWhereItPutsTheFixes) {
  testing::TempDir dir;
  Gui();
  // A latitude/longitude track: the view's own placing of a fix and the
  // frame's transform must agree on the same point.
  Track track;
  for (int i = 0; i < 20; ++i) {
    TrackPoint p;
    p.x = -110.0 + 0.002 * i;
    p.y = 45.0 + 0.001 * i;
    p.validTime = true;
    p.row = static_cast<size_t>(i);
    track.points.push_back(p);
  }
  TrackView view;
  view.resize(600, 400);
  MapLayers layers;
  view.setMapLayers(&layers);
  view.setTrack(track);
  view.fit();
  view.zoom(3.0, QPointF(100, 120));
  ASSERT_TRUE(view.mapFrame());
  for (const TrackPoint& p : {track.points.front(), track.points[9], track.points.back()}) {
    const QPointF byView = view.toScreen(p);
    const QPointF byFrame = view.frameToScreen().map(ProjInFrame(*view.mapFrame(), p.y, p.x));
    EXPECT_NEAR(byView.x(), byFrame.x(), 0.5);
    EXPECT_NEAR(byView.y(), byFrame.y(), 0.5);
  }
}

}  // namespace
}  // namespace zelkor

#include "analysis/analysis_settings.h"
#include "app/utc_offset.h"
#include "gpsdata/translate.h"
#include "gpsdata/viewer_text.h"
#include "map_layers_panel.h"
#include "support/fake_files.h"
#include "support/fake_store.h"
#include "support/scripted_prompter.h"
#include "view_gps_data_dialog.h"
#include <QListWidget>
#include <QPushButton>

namespace zelkor {
namespace {

TEST(TrackTabLayers, AddedOrderedHiddenAndRemovedLayersAreRememberedAndTheMapIsSaved) {
  testing::TempDir dir;
  Gui();
  std::vector<std::pair<double, double>> walk;
  for (int i = 0; i < 30; ++i) walk.push_back({45.0 + 0.001 * i, -110.0 + 0.002 * std::sin(i * 0.4)});
  const std::vector<uint8_t> image = Season(walk);
  dir.writeBytes("4711.gps", std::vector<unsigned char>(image.begin(), image.end()));
  const std::string area =
      PolygonLayer(dir, "area", "[[[[-110.01,44.99],[-109.99,44.99],[-109.99,45.04],[-110.01,45.04],[-110.01,44.99]]]]");
  const std::string tiles = SolidRaster(dir, "base", -110.02, 45.05, -109.98, 44.98, 90, 140, 60, true);

  testing::FakeStore store;
  StoreMapLayers(store, {area, dir.file("moved-away.gpkg")});
  testing::FakeFiles files;
  testing::ScriptedPrompter prompter;
  QWidget owner;
  GpsViewerHost host(&owner, {}, &store);
  host.setMapServices(&files, &prompter);
  const Translation t = TranslateGpsImage(image, OutputForm::LatLon, UtcShift{}, kUtcEntryText);
  host.show(LoadTextForViewer(t.csv), "4711.csv");
  ViewGpsDataDialog& v = *host.current();
  MapLayersPanel* panel = v.mapLayersPanel();
  ASSERT_TRUE(panel);
  ASSERT_EQ(panel->list()->count(), 2) << "the remembered layers come back";
  EXPECT_NE(panel->list()->item(1)->text().indexOf("moved-away.gpkg - cannot be drawn: the file is not there"), -1)
      << panel->list()->item(1)->text().toStdString();

  // Add: through the file chooser, at the end, remembered at once.
  files.answers = {tiles};
  panel->addButton()->click();
  ASSERT_EQ(panel->list()->count(), 3);
  EXPECT_EQ(ReadMapLayers(store), (std::vector<std::string>{area, dir.file("moved-away.gpkg"), tiles}));
  // Up, then remove the missing file.
  panel->list()->setCurrentRow(2);
  panel->upButton()->click();
  EXPECT_EQ(ReadMapLayers(store), (std::vector<std::string>{area, tiles, dir.file("moved-away.gpkg")}));
  panel->list()->setCurrentRow(2);
  panel->removeButton()->click();
  EXPECT_EQ(ReadMapLayers(store), (std::vector<std::string>{area, tiles}));
  // Hide and fade: the view follows, the list of files does not change.
  panel->list()->item(0)->setCheckState(Qt::Unchecked);
  EXPECT_FALSE(panel->layers().at(0).visible);
  panel->list()->setCurrentRow(1);
  panel->opacitySlider()->setValue(40);
  EXPECT_NEAR(panel->layers().at(1).opacity, 0.4, 1e-9);
  v.trackView()->resize(500, 400);
  QImage shot(v.trackView()->size(), QImage::Format_ARGB32);
  v.trackView()->render(&shot);  // draws with the layers without trouble

  // Save Map Picture needs the GPS data file; then asks for a name and says
  // where the map went.
  EXPECT_FALSE(v.saveMapButton()->isEnabled());
  v.setGpsImage(image, "4711.gps");
  ASSERT_TRUE(v.saveMapButton()->isEnabled());
  files.answers = {dir.file("season-map.png")};
  v.saveMapButton()->click();
  ASSERT_FALSE(prompter.messages.empty());
  EXPECT_EQ(prompter.messages.back().text, "The map was saved to " + dir.file("season-map.png") + ".");
  EXPECT_EQ(QImage(QString::fromStdString(dir.file("season-map.png"))).size(), QSize(1600, 1200));
}

}  // namespace
}  // namespace zelkor
