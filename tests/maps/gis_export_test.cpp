// GeoPackage and Shapefile exports opened with OGR and compared with an
// independent decoding of the same files (positions, times, check bytes)
// and PROJ's UTM (tests/data/reference/blocks.txt), and with the WGS 84
// home ranges of tests/data/reference/seasons.txt.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include "gis/gis_export.h"
#include "gpsdata/export_workflow.h"
#include "support/fake_files.h"
#include "support/scripted_prompter.h"
#include "gpsdata/fix_time.h"
#include "support/gps_image.h"
#include "support/references.h"
#include "support/temp_dir.h"

namespace zelkor {
namespace {

const std::string kData = std::string(ZELKOR_TEST_DATA) + "/gps/";

struct Closer {
  void operator()(GDALDataset* d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, Closer>;

Dataset Open(const std::string& path) {
  return Dataset(static_cast<GDALDataset*>(GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr,
                                                      nullptr, nullptr)));
}

int Epsg(OGRLayer* layer) {
  const OGRSpatialReference* crs = layer->GetSpatialRef();
  if (!crs) return 0;
  const char* code = crs->GetAuthorityCode(nullptr);
  return code ? std::atoi(code) : 0;
}

// Field name -> feature, keyed by block number.
std::map<int, std::unique_ptr<OGRFeature>> FixesByBlock(OGRLayer* layer) {
  std::map<int, std::unique_ptr<OGRFeature>> out;
  layer->ResetReading();
  while (OGRFeature* f = layer->GetNextFeature()) out[f->GetFieldAsInteger("block")].reset(f);
  return out;
}

std::string UtcText(OGRFeature& f) {
  // DateTime in a GeoPackage, text in a Shapefile: both as "YYYY-MM-DDTHH:MM:SS".
  if (!f.IsFieldSetAndNotNull(f.GetFieldIndex("utc_time"))) return "-";
  int y, mo, d, h, mi, tz;
  float s;
  if (f.GetFieldDefnRef(f.GetFieldIndex("utc_time"))->GetType() == OFTDateTime) {
    f.GetFieldAsDateTime(f.GetFieldIndex("utc_time"), &y, &mo, &d, &h, &mi, &s, &tz);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", y, mo, d, h, mi, static_cast<int>(s));
    return text;
  }
  return std::string(f.GetFieldAsString("utc_time")) + "Z";
}

class GisExport : public ::testing::Test {
 protected:
  void SetUp() override { InstallGisExports(); }
  testing::TempDir dir;
};

TEST_F(GisExport, GeoPackageHoldsEveryPlacedFixWithTheReferencePositionTimeAndCheck) {
  for (const std::string file : {"edge_cases.gps", "north_track.gps", "south_east_track.gps"}) {
    int written = 0, skipped = 0;
    std::string reason;
    const std::string out = dir.file(file + ".gpkg");
    ASSERT_EQ(ExportGpsFile(kData + file, out, ExportFormat::GeoPackage, {}, &written, &skipped, &reason),
              ExportResult::Ok)
        << file << ": " << reason;
    Dataset ds = Open(out);
    ASSERT_TRUE(ds) << out;
    ASSERT_EQ(ds->GetLayerCount(), 3) << file;
    OGRLayer* fixes = ds->GetLayerByName("fixes");
    ASSERT_TRUE(fixes && ds->GetLayerByName("track") && ds->GetLayerByName("ranges")) << file;
    EXPECT_EQ(Epsg(fixes), 4326) << file;

    std::vector<testing::ReferenceBlock> placed;
    for (const auto& b : testing::ReferenceBlocks(file))
      if (b.positioned) placed.push_back(b);
    ASSERT_FALSE(placed.empty()) << file;
    EXPECT_EQ(fixes->GetFeatureCount(), static_cast<GIntBig>(placed.size())) << file;
    EXPECT_EQ(written, static_cast<int>(placed.size())) << file;
    const auto byBlock = FixesByBlock(fixes);
    for (const auto& b : placed) {
      const auto it = byBlock.find(b.block);
      ASSERT_NE(it, byBlock.end()) << file << " block " << b.block;
      OGRFeature& f = *it->second;
      const OGRPoint* p = f.GetGeometryRef()->toPoint();
      EXPECT_NEAR(p->getX(), b.longitude, 1e-7) << file << " block " << b.block;
      EXPECT_NEAR(p->getY(), b.latitude, 1e-7) << file << " block " << b.block;
      EXPECT_FALSE(p->getX() == 0 && p->getY() == 0) << file << " block " << b.block;
      EXPECT_NEAR(f.GetFieldAsDouble("latitude"), b.latitude, 1e-7);
      EXPECT_EQ(f.GetFieldAsInteger("bad_check"), b.goodCheck ? 0 : 1) << file << " block " << b.block;
      if (!b.goodCheck) {
        EXPECT_EQ(f.GetFieldAsInteger("flagged"), 1) << file << " block " << b.block;
      }
      if (b.utc != "-") {
        EXPECT_EQ(UtcText(f), b.utc) << file << " block " << b.block;
      }
      if (b.altitude == "-") {
        EXPECT_FALSE(f.IsFieldSetAndNotNull(f.GetFieldIndex("altitude"))) << file << " block " << b.block;
      } else {
        EXPECT_EQ(std::to_string(f.GetFieldAsInteger("altitude")), b.altitude) << file << " block " << b.block;
      }
    }
  }
}

TEST_F(GisExport, ZippedShapefileInUtmHasTheZonesCrsAndProjsCoordinates) {
  const std::string file = "south_east_track.gps";
  ExportOptions options;
  options.utm = true;
  const std::string out = dir.file("season.shp.zip");
  int written = 0, skipped = 0;
  std::string reason;
  ASSERT_EQ(ExportGpsFile(kData + file, out, ExportFormat::Shapefile, options, &written, &skipped, &reason),
            ExportResult::Ok)
      << reason;
  Dataset ds = Open(out);
  ASSERT_TRUE(ds);
  ASSERT_EQ(ds->GetLayerCount(), 3);
  OGRLayer* fixes = ds->GetLayerByName("fixes");
  ASSERT_TRUE(fixes);
  const auto byBlock = FixesByBlock(fixes);
  int compared = 0;
  for (const auto& b : testing::ReferenceBlocks(file)) {
    if (!b.positioned) continue;
    EXPECT_EQ(Epsg(fixes), 32700 + b.utmZone) << "the southern zone of the fixes";
    const OGRPoint* p = byBlock.at(b.block)->GetGeometryRef()->toPoint();
    EXPECT_NEAR(p->getX(), b.easting, 0.002) << "block " << b.block;
    EXPECT_NEAR(p->getY(), b.northing, 0.002) << "block " << b.block;
    ++compared;
  }
  EXPECT_GT(compared, 10);
  EXPECT_EQ(Epsg(ds->GetLayerByName("ranges")), Epsg(fixes));
  EXPECT_EQ(ds->GetLayerByName("ranges")->GetFeatureCount(), 2);
}

TEST_F(GisExport, LocalTimesFollowTheZoneGiven) {
  // Sydney in June is UTC+10, in January UTC+11 (reference zones.txt has the
  // rule; here a fixed rule is enough to see the field follow it).
  ExportOptions options;
  options.zoneName = "Test/Plus10";
  options.offsetMinutesAt = [](int64_t) { return 600; };
  const std::string out = dir.file("local.gpkg");
  int written = 0, skipped = 0;
  ASSERT_EQ(ExportGpsFile(kData + "south_east_track.gps", out, ExportFormat::GeoPackage, options, &written, &skipped),
            ExportResult::Ok);
  Dataset ds = Open(out);
  OGRLayer* fixes = ds->GetLayerByName("fixes");
  const auto byBlock = FixesByBlock(fixes);
  OGRFeature& f = *byBlock.at(2);
  int y, mo, d, h, mi, tz;
  float s;
  f.GetFieldAsDateTime(f.GetFieldIndex("local_time"), &y, &mo, &d, &h, &mi, &s, &tz);
  // Block 2 is 2006-06-27T02:01:30Z in the reference.
  EXPECT_EQ(h, 12);
  EXPECT_EQ(mi, 1);
  EXPECT_EQ(f.GetFieldAsInteger("utc_off_m"), 600);
  EXPECT_STREQ(f.GetFieldAsString("zone"), "Test/Plus10");
}

// A season built from reference positions, two-hourly from 1 May 2026.
std::vector<uint8_t> SeasonImage(const testing::ReferenceSeason& season) {
  std::vector<GpsBlockFields> fixes;
  const int64_t start = DaysFromCivil(2026, 5, 1) * 86400;
  for (size_t i = 0; i < season.positions.size(); ++i) {
    const int64_t t = start + static_cast<int64_t>(i) * 7200 + 35;
    int y, mo, d;
    CivilFromDays(t / 86400, &y, &mo, &d);
    const int rest = static_cast<int>(t % 86400);
    const double lat = season.positions[i].first, lon = season.positions[i].second;
    fixes.push_back(testing::FixAt(y - 2000, mo, d, rest / 3600, rest % 3600 / 60, rest % 60, std::fabs(lat),
                                   lat >= 0, std::fabs(lon), lon >= 0));
  }
  return testing::GpsImage(fixes, 4711);
}

TEST_F(GisExport, AcrossTheAntimeridianAndInTheSouthTheLinesAndPolygonsStayOnEarth) {
  for (const auto& ref : testing::ReferenceSeasons()) {
    if (ref.name != "antimeridian_66n" && ref.name != "south_west_50s") continue;
    dir.writeBytes(ref.name + ".gps", [&] {
      const auto image = SeasonImage(ref);
      return std::vector<unsigned char>(image.begin(), image.end());
    }());
    ExportOptions options;
    options.maxSpeedKmh = 500;  // the references keep every fix
    const std::string out = dir.file(ref.name + ".gpkg");
    int written = 0, skipped = 0;
    std::string reason;
    ASSERT_EQ(ExportGpsFile(dir.file(ref.name + ".gps"), out, ExportFormat::GeoPackage, options, &written, &skipped,
                            &reason),
              ExportResult::Ok)
        << ref.name << ": " << reason;
    Dataset ds = Open(out);
    ASSERT_TRUE(ds) << ref.name;
    OGREnvelope envelope;
    for (const char* name : {"fixes", "track", "ranges"}) {
      ASSERT_EQ(ds->GetLayerByName(name)->GetExtent(&envelope, TRUE), OGRERR_NONE) << ref.name << " " << name;
      EXPECT_GE(envelope.MinX, -180.0) << ref.name << " " << name;
      EXPECT_LE(envelope.MaxX, 180.0) << ref.name << " " << name;
    }
    OGRLayer* track = ds->GetLayerByName("track");
    std::unique_ptr<OGRFeature> line(track->GetNextFeature());
    ASSERT_TRUE(line);
    const OGRMultiLineString* parts = line->GetGeometryRef()->toMultiLineString();
    for (const OGRLineString* part : *parts)
      for (int i = 1; i < part->getNumPoints(); ++i)
        EXPECT_LT(std::fabs(part->getX(i) - part->getX(i - 1)), 10.0)
            << ref.name << ": a segment of the track spans the globe";
    if (ref.name == "antimeridian_66n") {
      EXPECT_GE(parts->getNumGeometries(), 2) << "cut at 180 degrees";
    }

    OGRLayer* ranges = ds->GetLayerByName("ranges");
    ranges->ResetReading();
    int seen = 0;
    while (std::unique_ptr<OGRFeature> f{ranges->GetNextFeature()}) {
      const double expected = f->GetFieldAsInteger("percent") == 100 ? ref.mcp100Km2 : ref.mcp95Km2;
      EXPECT_NEAR(f->GetFieldAsDouble("area_km2"), expected, expected * 0.01) << ref.name;
      // The polygon on the map covers the range, not the rest of the globe:
      // its area in square degrees is small.
      const double squareDegrees = f->GetGeometryRef()->toMultiPolygon()->get_Area();
      EXPECT_LT(squareDegrees, 100.0) << ref.name;
      EXPECT_GT(squareDegrees, 0.0) << ref.name;
      if (ref.name == "antimeridian_66n") {
        EXPECT_EQ(f->GetGeometryRef()->toMultiPolygon()->getNumGeometries(), 2) << "split at 180 degrees";
      }
      ++seen;
    }
    EXPECT_EQ(seen, 2) << ref.name;
  }
}

TEST(CutAtAntimeridian, AHandWorkedCrossing) {
  // From 179.5 E to 179.5 W at 66 N rising to 67 N: the cut lies halfway,
  // at 66.5 N.
  const auto parts = CutAtAntimeridian({{66.0, 179.5}, {67.0, -179.5}});
  ASSERT_EQ(parts.size(), 2u);
  ASSERT_EQ(parts[0].size(), 2u);
  EXPECT_DOUBLE_EQ(parts[0][1].longitude, 180.0);
  EXPECT_DOUBLE_EQ(parts[0][1].latitude, 66.5);
  EXPECT_DOUBLE_EQ(parts[1][0].longitude, -180.0);
  EXPECT_DOUBLE_EQ(parts[1][0].latitude, 66.5);
  EXPECT_EQ(CutAtAntimeridian({{0, 10}, {1, 20}}).size(), 1u);
  EXPECT_EQ(UtmEpsgFor(-33.9, 151.2), 32756);
  EXPECT_EQ(UtmEpsgFor(66.0, 180.0), 32660);
  EXPECT_EQ(UtmEpsgFor(66.0, -180.0), 32601);
}

TEST_F(GisExport, AFailedWriteLeavesNothingUnderTheNameOrBeside) {
  const std::string out = dir.file("missing-folder/season.gpkg");
  int written = 0, skipped = 0;
  std::string reason;
  EXPECT_EQ(ExportGpsFile(kData + "north_track.gps", out, ExportFormat::GeoPackage, {}, &written, &skipped, &reason),
            ExportResult::OutputFailed);
  EXPECT_FALSE(reason.empty());
  // A name already taken is replaced only by a whole file.
  dir.write("taken.gpkg", "old");
  ASSERT_EQ(ExportGpsFile(kData + "north_track.gps", dir.file("taken.gpkg"), ExportFormat::GeoPackage, {}, &written,
                          &skipped, &reason),
            ExportResult::Ok);
  EXPECT_TRUE(Open(dir.file("taken.gpkg")));
  EXPECT_EQ(testing::TempDir::List(dir.dir()).size(), 1u) << "no scratch file stays beside it";
  // A file that is not a collar's is refused before anything is made.
  dir.write("notes.gps", std::string(200, 'x'));
  EXPECT_EQ(ExportGpsFile(dir.file("notes.gps"), dir.file("notes.gpkg"), ExportFormat::GeoPackage, {}, &written,
                          &skipped, &reason),
            ExportResult::InputFailed);
  EXPECT_FALSE(testing::TempDir::Exists(dir.file("notes.gpkg")));
}

TEST(GisExportCli, OgrinfoReadsThreeLayersFromTheCommandLinesGeoPackage) {
  testing::TempDir dir;
  const std::string out = dir.file("season.gpkg");
  const std::string cli = std::string(ZELKOR_BIN_DIR) + "/zelkor-cli";
  ASSERT_EQ(std::system(("'" + cli + "' export '" + kData + "edge_cases.gps' '" + out +
                         "' --format gpkg --tz America/Denver 2>/dev/null")
                            .c_str()),
            0);
  FILE* p = popen(("ogrinfo -ro -so -q '" + out + "'").c_str(), "r");
  ASSERT_TRUE(p);
  std::string listing;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, p)) listing += buffer;
  pclose(p);
  EXPECT_NE(listing.find("fixes (Point)"), std::string::npos) << listing;
  EXPECT_NE(listing.find("track (Multi Line String)"), std::string::npos) << listing;
  EXPECT_NE(listing.find("ranges (Multi Polygon)"), std::string::npos) << listing;
  // --utm belongs to the GIS formats only.
  EXPECT_NE(std::system(("'" + cli + "' export '" + kData + "edge_cases.gps' '" + dir.file("x.gpx") +
                         "' --utm 2>/dev/null")
                            .c_str()),
            0);
}

}  // namespace
}  // namespace zelkor

namespace zelkor {
namespace {

TEST(GisExportWorkflow, TheExportDialogAsksForUtmDefaultNoAndCancelWritesNothing) {
  InstallGisExports();
  testing::TempDir dir;
  testing::FakeFiles files;
  testing::ScriptedPrompter prompter;
  const std::string source = std::string(ZELKOR_TEST_DATA) + "/gps/south_east_track.gps";

  files.answers = {dir.file("season.gpkg")};
  prompter.answers = {PromptAnswer::Cancel};
  RunExportGpsData(dir.dir(), source, files, prompter);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text, "Write the coordinates in the UTM zone of the fixes?");
  EXPECT_EQ(prompter.messages[0].more.defaultAnswer, PromptAnswer::No);
  EXPECT_TRUE(testing::TempDir::List(dir.dir()).empty()) << "Cancel writes nothing";

  prompter.messages.clear();
  files.answers = {dir.file("season.shp.zip")};
  prompter.answers = {PromptAnswer::Yes};
  RunExportGpsData(dir.dir(), source, files, prompter);
  ASSERT_EQ(prompter.messages.size(), 2u);
  EXPECT_EQ(prompter.messages[1].text, "40 fixes exported to " + dir.file("season.shp.zip") + ".");
  Dataset ds = Open(dir.file("season.shp.zip"));
  ASSERT_TRUE(ds);
  EXPECT_EQ(Epsg(ds->GetLayerByName("fixes")), 32756);
}

}  // namespace
}  // namespace zelkor
