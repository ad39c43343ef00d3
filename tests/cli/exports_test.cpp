// Exports parsed back with real parsers: libxml2's xmllint (with the GPX 1.1
// schema), Qt's XML and JSON readers, and a CSV reader; the positions, times
// and UTM coordinates compared with an independent decoding of the same
// files and PROJ's UTM (tests/data/reference/blocks.txt).
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QXmlStreamReader>
#include <regex>

#include "gpsdata/exports.h"
#include "gpsdata/gps_block_encode.h"
#include "gpsdata/translate.h"
#include "support/gps_image.h"
#include "support/references.h"
#include "support/temp_dir.h"
#include "util/text.h"

namespace zelkor {
namespace {

const std::string kData = std::string(ZELKOR_TEST_DATA) + "/gps/";

std::string Export(const std::string& input, ExportFormat format, testing::TempDir& dir, const char* name,
                   int* written = nullptr) {
  int w = 0, skipped = 0;
  EXPECT_EQ(ExportGpsFile(kData + input, dir.file(name), format, {}, &w, &skipped), ExportResult::Ok);
  if (written) *written = w;
  return dir.read(name);
}

// The blocks an independent decoder places on Earth.
std::vector<testing::ReferenceBlock> Positioned(const std::string& file) {
  std::vector<testing::ReferenceBlock> out;
  for (const auto& b : testing::ReferenceBlocks(file))
    if (b.positioned) out.push_back(b);
  return out;
}

double Number(const QString& s) { return s.toDouble(); }

std::vector<std::vector<std::string>> ReadCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field.push_back('"');
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field.push_back(c);
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      row.push_back(field);
      field.clear();
    } else if (c == '\r') {
    } else if (c == '\n') {
      row.push_back(field);
      rows.push_back(row);
      row.clear();
      field.clear();
    } else {
      field.push_back(c);
    }
  }
  return rows;
}

bool XmllintAccepts(const std::string& file, const std::string& schema, std::string* errors) {
  QProcess p;
  QStringList args = {"--noout"};
  if (!schema.empty()) args << "--schema" << QString::fromStdString(schema);
  args << QString::fromStdString(file);
  p.start("xmllint", args);
  if (!p.waitForFinished(30000)) return false;
  *errors = p.readAllStandardError().toStdString();
  return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

TEST(GpxExport, ValidatesAgainstTheSchemaAndMatchesAnIndependentDecoding) {
  for (const char* input : {"north_track.gps", "south_east_track.gps", "edge_cases.gps"}) {
    testing::TempDir dir;
    int written = 0;
    const std::string gpx = Export(input, ExportFormat::Gpx, dir, "out.gpx", &written);
    std::string errors;
    EXPECT_TRUE(XmllintAccepts(dir.file("out.gpx"), std::string(ZELKOR_TEST_DATA) + "/gpx11.xsd", &errors))
        << input << ": " << errors;
    const auto blocks = Positioned(input);
    ASSERT_FALSE(blocks.empty()) << input;
    QXmlStreamReader xml(QByteArray::fromStdString(gpx));
    size_t point = 0;
    int withoutEle = 0, bad = 0;
    bool hasEle = false, hasTime = false;
    while (!xml.atEnd()) {
      xml.readNext();
      if (xml.isStartElement() && xml.name() == QLatin1String("trkpt")) {
        ASSERT_LT(point, blocks.size());
        const auto& b = blocks[point];
        EXPECT_NEAR(Number(xml.attributes().value("lat").toString()), b.latitude, 6e-9) << input << " " << b.block;
        EXPECT_NEAR(Number(xml.attributes().value("lon").toString()), b.longitude, 6e-9) << input << " " << b.block;
        hasEle = hasTime = false;
      } else if (xml.isStartElement() && xml.name() == QLatin1String("ele")) {
        hasEle = true;
        EXPECT_EQ(xml.readElementText().toStdString(), blocks[point].altitude);
      } else if (xml.isStartElement() && xml.name() == QLatin1String("time")) {
        hasTime = true;
        EXPECT_EQ(xml.readElementText().toStdString(), blocks[point].utc);
      } else if (xml.isStartElement() && xml.name() == QLatin1String("badCheck")) {
        const bool flagged = xml.readElementText() == "true";
        EXPECT_EQ(flagged, !blocks[point].goodCheck) << "bad-check flag of block " << blocks[point].block;
        bad += flagged;
      } else if (xml.isEndElement() && xml.name() == QLatin1String("trkpt")) {
        EXPECT_EQ(hasEle, blocks[point].altitude != "-") << "elevation of block " << blocks[point].block;
        EXPECT_EQ(hasTime, blocks[point].utc != "-") << "time of block " << blocks[point].block;
        withoutEle += !hasEle;
        ++point;
      }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(point, blocks.size()) << input;
    EXPECT_EQ(static_cast<int>(point), written);
    if (std::string(input) == "edge_cases.gps") {
      EXPECT_EQ(bad, 1);
      EXPECT_EQ(withoutEle, 1);
      EXPECT_EQ(point, 11u) << "the block at 0,0 is left out";
    }
  }
}

TEST(GeoJsonExport, SignedPointsUtmAsProjGivesItAndATrack) {
  testing::TempDir dir;
  const std::string json = Export("south_east_track.gps", ExportFormat::GeoJson, dir, "out.geojson");
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
  ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
  EXPECT_EQ(doc.object()["type"].toString(), "FeatureCollection");
  const QJsonArray features = doc.object()["features"].toArray();
  const auto blocks = Positioned("south_east_track.gps");
  ASSERT_EQ(features.size(), static_cast<int>(blocks.size()) + 1);
  for (int i = 0; i < static_cast<int>(blocks.size()); ++i) {
    const auto& b = blocks[static_cast<size_t>(i)];
    const QJsonObject f = features[i].toObject();
    EXPECT_EQ(f["geometry"].toObject()["type"].toString(), "Point");
    const QJsonArray c = f["geometry"].toObject()["coordinates"].toArray();
    EXPECT_NEAR(c[0].toDouble(), b.longitude, 6e-9);
    EXPECT_NEAR(c[1].toDouble(), b.latitude, 6e-9);
    const QJsonObject p = f["properties"].toObject();
    EXPECT_EQ(p["utmZone"].toInt(), b.utmZone);
    EXPECT_NEAR(p["utmEasting"].toDouble(), b.easting, 0.2) << "block " << b.block;
    EXPECT_NEAR(p["utmNorthing"].toDouble(), b.northing, 0.2) << "block " << b.block;
    EXPECT_EQ(p["utmHemisphere"].toString(), "S");
    EXPECT_EQ(c.size() == 3, b.altitude != "-");
    EXPECT_EQ(p["time"].toString().toStdString(), b.utc);
    EXPECT_EQ(p["badCheck"].toBool(), !b.goodCheck);
  }
  EXPECT_EQ(features.last().toObject()["geometry"].toObject()["type"].toString(), "LineString");
  EXPECT_EQ(features.last().toObject()["geometry"].toObject()["coordinates"].toArray().size(),
            static_cast<int>(blocks.size()));
}

TEST(KmlExport, IsWellFormedWithPlacemarksAndATrackLine) {
  testing::TempDir dir;
  const std::string kml = Export("north_track.gps", ExportFormat::Kml, dir, "out.kml");
  std::string errors;
  EXPECT_TRUE(XmllintAccepts(dir.file("out.kml"), "", &errors)) << errors;
  QXmlStreamReader xml(QByteArray::fromStdString(kml));
  int placemarks = 0, lines = 0;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement() && xml.name() == QLatin1String("Placemark")) ++placemarks;
    if (xml.isStartElement() && xml.name() == QLatin1String("LineString")) ++lines;
    if (xml.isStartElement() && xml.name() == QLatin1String("kml")) {
      EXPECT_EQ(xml.namespaceUri().toString(), "http://www.opengis.net/kml/2.2");
    }
  }
  EXPECT_FALSE(xml.hasError());
  EXPECT_EQ(placemarks, static_cast<int>(Positioned("north_track.gps").size()) + 1);
  EXPECT_EQ(lines, 1);
}

TEST(MovebankExport, HeaderNamesUtcTimestampsAndNumbersOnlyInNumericColumns) {
  testing::TempDir dir;
  const std::string csv = Export("edge_cases.gps", ExportFormat::Movebank, dir, "out.csv");
  const auto rows = ReadCsv(csv);
  ASSERT_GE(rows.size(), 2u);
  const std::vector<std::string> header = rows[0];
  const std::vector<std::string> expected = {"timestamp", "location-lat", "location-long", "height-above-msl",
                                             "gps:satellite-count", "gps:fix-type-raw", "tag-local-identifier",
                                             "individual-local-identifier", "utm-easting", "utm-northing", "utm-zone",
                                             "import-marked-outlier", "zelkor:block", "zelkor:check-computed",
                                             "zelkor:check-stored"};
  EXPECT_EQ(header, expected);
  const auto blocks = Positioned("edge_cases.gps");
  ASSERT_EQ(rows.size() - 1, blocks.size());
  for (size_t i = 1; i < rows.size(); ++i) {
    const auto& r = rows[i];
    ASSERT_EQ(r.size(), header.size());
    for (size_t col : {1u, 2u, 3u, 4u, 5u, 6u, 8u, 9u, 12u, 13u, 14u}) {
      if (r[col].empty()) continue;
      char* end = nullptr;
      std::strtod(r[col].c_str(), &end);
      EXPECT_EQ(*end, '\0') << "text in numeric column " << header[col] << ": " << r[col];
    }
    const auto& b = blocks[i - 1];
    EXPECT_NEAR(std::stod(r[1]), b.latitude, 6e-9);
    EXPECT_NEAR(std::stod(r[2]), b.longitude, 6e-9);
    EXPECT_EQ(r[3].empty(), b.altitude == "-");
    EXPECT_EQ(r[6], "1");
    EXPECT_EQ(r[12], std::to_string(b.block));
    if (!b.goodCheck) {
      EXPECT_EQ(r[11], "true") << "a bad check byte is flagged";
    }
    if (b.utc == "-") {
      EXPECT_EQ(r[0], "") << "block " << b.block << " has no real time";
    } else {
      std::string t = b.utc;  // "2006-07-05T09:03:07Z" -> "2006-07-05 09:03:07.000"
      t[10] = ' ';
      t.back() = '.';
      EXPECT_EQ(r[0], t + "000");
    }
  }
  EXPECT_NE(rows.back()[10].find('S'), std::string::npos) << "Sydney's zone carries its hemisphere";
}

// A season with failed fixes (no position) and a track over 180 degrees.
std::vector<uint8_t> FailedFixesAcrossTheAntimeridian(int* failed) {
  std::vector<GpsBlockFields> fixes;
  *failed = 0;
  for (int i = 0; i < 40; ++i) {
    const double lon = 179.6 + 0.02 * i;  // 179.6 E to 179.58 W
    const bool east = lon <= 180.0;
    GpsBlockFields f = testing::FixAt(26, 6, 1 + i / 12, i % 12 * 2, 0, 35, 66.0 + 0.001 * i, true,
                                      east ? lon : 360.0 - lon, east);
    if (i % 5 == 3) {  // a failed fix: the collar writes 0,0
      f = testing::FixAt(26, 6, 1 + i / 12, i % 12 * 2, 0, 35, 0, true, 0, false);
      f.altitudeCode = 32767;
      ++*failed;
    }
    fixes.push_back(f);
  }
  GpsBlockFields west180 = testing::FixAt(26, 6, 5, 0, 0, 35, 66.05, true, 180.0, false);
  fixes.push_back(west180);
  return testing::GpsImage(fixes, 6601);
}

TEST(Exports, NoFixWithoutAPositionIsPlacedAtZeroZeroAndLinesAreCutAt180) {
  int failed = 0;
  const std::vector<uint8_t> image = FailedFixesAcrossTheAntimeridian(&failed);
  ASSERT_EQ(failed, 8);
  testing::TempDir dir;
  dir.writeBytes("season.gps", image);
  for (const char* name : {"out.gpx", "out.geojson", "out.kml", "out.csv"}) {
    ExportFormat format;
    ASSERT_TRUE(ExportFormatForPath(name, &format));
    int written = 0, skipped = 0;
    ASSERT_EQ(ExportGpsFile(dir.file("season.gps"), dir.file(name), format, {}, &written, &skipped), ExportResult::Ok);
    EXPECT_EQ(written, 33) << name;
    EXPECT_EQ(skipped, 8) << name;
    EXPECT_EQ(ExportedText(written, skipped), "33 fixes exported, 8 without a position left out");
    const std::string text = dir.read(name);
    // No pair of zero coordinates, in any spelling the formats use.
    const std::regex zeroZero(R"((^|[^0-9.])-?0\.0+"?,? ?(lon=")?-?0\.0+([^0-9]|$))");
    EXPECT_FALSE(std::regex_search(text, zeroZero)) << name;
    EXPECT_EQ(text.find("\"utmZone\": 0,"), std::string::npos) << name;
    EXPECT_EQ(text.find(",0N,"), std::string::npos) << name;
  }
  // The GeoJSON track is cut where it crosses 180 degrees, each part within
  // -180..180 and no step longer than half the globe.
  QJsonParseError error;
  const QJsonArray features =
      QJsonDocument::fromJson(QByteArray::fromStdString(dir.read("out.geojson")), &error).object()["features"].toArray();
  ASSERT_EQ(error.error, QJsonParseError::NoError);
  const QJsonObject track = features.last().toObject()["geometry"].toObject();
  ASSERT_EQ(track["type"].toString(), "MultiLineString");
  const QJsonArray parts = track["coordinates"].toArray();
  ASSERT_GE(parts.size(), 2);
  int vertices = 0;
  for (const auto& part : parts) {
    const QJsonArray line = part.toArray();
    for (int i = 0; i < line.size(); ++i) {
      const double lon = line[i].toArray()[0].toDouble();
      EXPECT_LE(std::fabs(lon), 180.0);
      if (i) {
        EXPECT_LT(std::fabs(lon - line[i - 1].toArray()[0].toDouble()), 180.0);
      }
      ++vertices;
    }
  }
  EXPECT_EQ(vertices, 33 + 2 * (parts.size() - 1)) << "each cut adds a vertex on either side";
  // The fix at exactly 180 W is in zone 60 (as PROJ's UTM puts it), not 0.
  const QJsonObject last = features[features.size() - 2].toObject()["properties"].toObject();
  EXPECT_EQ(last["utmZone"].toInt(), 60);
  EXPECT_NEAR(last["utmEasting"].toDouble(), 635851.4, 0.5) << "pyproj: 66.05 N 180 W in EPSG:32660";
  EXPECT_NEAR(last["utmNorthing"].toDouble(), 7328734.6, 0.5);
}

TEST(CliExport, FormatsNamesAndExitCodes) {
  testing::TempDir dir;
  auto run = [&](const QStringList& args) {
    QProcess p;
    p.start(QString(ZELKOR_BIN_DIR) + "/zelkor-cli", args);
    p.waitForFinished(30000);
    return p.exitCode();
  };
  const QString in = QString::fromStdString(kData + "north_track.gps");
  EXPECT_EQ(run({"export", in, QString::fromStdString(dir.file("a.csv")), "--format", "movebank", "--individual",
                 "Elk, cow 7"}),
            0);
  EXPECT_NE(dir.read("a.csv").find("\"Elk, cow 7\""), std::string::npos);
  EXPECT_EQ(run({"export", in, QString::fromStdString(dir.file("b.gpx"))}), 0);
  EXPECT_EQ(run({"export", in, QString::fromStdString(dir.file("c.txt"))}), 64);
  EXPECT_EQ(run({"export", QString::fromStdString(dir.file("none.gps")), QString::fromStdString(dir.file("d.kml"))}), 1);
  EXPECT_EQ(run({"export", in, QString::fromStdString(dir.file("no/dir/e.kml"))}), 2);
}

}  // namespace
}  // namespace zelkor
