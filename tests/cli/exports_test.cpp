// Exports parsed back with real parsers: libxml2's xmllint (with the GPX 1.1
// schema), Qt's XML and JSON readers, and a CSV reader.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QXmlStreamReader>

#include "gpsdata/exports.h"
#include "gpsdata/translate.h"
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

// Rows of the plain translation (offset 0): the reference for positions.
std::vector<std::vector<std::string>> CsvRows(const std::string& input, OutputForm form, testing::TempDir& dir) {
  const std::string out = dir.file("reference.csv");
  TranslateGpsData(kData + input, out, form, UtcShift{}, "x");
  std::vector<std::vector<std::string>> rows;
  for (std::string line : SplitLines(dir.read("reference.csv"))) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> f;
    size_t start = 0;
    for (;;) {
      const size_t c = line.find(',', start);
      f.push_back(line.substr(start, c == std::string::npos ? std::string::npos : c - start));
      if (c == std::string::npos) break;
      start = c + 1;
    }
    if (f.size() >= 29) rows.push_back(f);
  }
  return rows;
}

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

TEST(GpxExport, ValidatesAgainstTheSchemaAndMatchesTheTranslation) {
  for (const char* input : {"north_track.gps", "south_east_track.gps", "edge_cases.gps"}) {
    testing::TempDir dir;
    int written = 0;
    const std::string gpx = Export(input, ExportFormat::Gpx, dir, "out.gpx", &written);
    std::string errors;
    EXPECT_TRUE(XmllintAccepts(dir.file("out.gpx"), std::string(ZELKOR_TEST_DATA) + "/gpx11.xsd", &errors))
        << input << ": " << errors;
    const auto rows = CsvRows(input, OutputForm::LatLon, dir);
    QXmlStreamReader xml(QByteArray::fromStdString(gpx));
    size_t point = 0;
    int withoutEle = 0, bad = 0;
    bool hasEle = false;
    while (!xml.atEnd()) {
      xml.readNext();
      if (xml.isStartElement() && xml.name() == QLatin1String("trkpt")) {
        ASSERT_LT(point, rows.size());
        const auto& r = rows[point];
        const std::string lat = (r[7] == "S" ? "-" : "") + r[6];
        const std::string lon = (r[9] == "W" ? "-" : "") + r[8];
        EXPECT_EQ(xml.attributes().value("lat").toString().toStdString(), lat) << input << " point " << point;
        EXPECT_EQ(xml.attributes().value("lon").toString().toStdString(), lon) << input << " point " << point;
        hasEle = false;
      } else if (xml.isStartElement() && xml.name() == QLatin1String("ele")) {
        hasEle = true;
      } else if (xml.isStartElement() && xml.name() == QLatin1String("time")) {
        const auto& r = rows[point];
        const std::string expected = Format("%s-%02d-%02dT%s:%s:%sZ", r[0].c_str(), std::stoi(r[1]), std::stoi(r[2]),
                                            r[3].c_str(), r[4].c_str(), r[5].c_str());
        EXPECT_EQ(xml.readElementText().toStdString(), expected);
      } else if (xml.isStartElement() && xml.name() == QLatin1String("badCheck")) {
        const bool flagged = xml.readElementText() == "true";
        EXPECT_EQ(flagged, rows[point].size() == 32) << "bad-check flag of point " << point;
        bad += flagged;
      } else if (xml.isEndElement() && xml.name() == QLatin1String("trkpt")) {
        EXPECT_EQ(hasEle, rows[point][10] != "***") << "elevation of point " << point;
        withoutEle += !hasEle;
        ++point;
      }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(point, rows.size()) << input;
    EXPECT_EQ(static_cast<int>(point), written);
    if (std::string(input) == "edge_cases.gps") {
      EXPECT_EQ(bad, 1);
      EXPECT_EQ(withoutEle, 1);
    }
  }
}

TEST(GeoJsonExport, ParsesAsAFeatureCollectionWithSignedPointsAndATrack) {
  testing::TempDir dir;
  const std::string json = Export("south_east_track.gps", ExportFormat::GeoJson, dir, "out.geojson");
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
  ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
  EXPECT_EQ(doc.object()["type"].toString(), "FeatureCollection");
  const QJsonArray features = doc.object()["features"].toArray();
  const auto rows = CsvRows("south_east_track.gps", OutputForm::Utm, dir);
  ASSERT_EQ(features.size(), static_cast<int>(rows.size()) + 1);
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    const QJsonObject f = features[i].toObject();
    EXPECT_EQ(f["geometry"].toObject()["type"].toString(), "Point");
    const QJsonArray c = f["geometry"].toObject()["coordinates"].toArray();
    EXPECT_GT(c[0].toDouble(), 150.0);  // east: positive longitude
    EXPECT_LT(c[1].toDouble(), -33.0);  // south: negative latitude
    const QJsonObject p = f["properties"].toObject();
    EXPECT_EQ(Format("%.1f", p["utmEasting"].toDouble()), rows[static_cast<size_t>(i)][6]);
    EXPECT_EQ(Format("%.1f", p["utmNorthing"].toDouble()), rows[static_cast<size_t>(i)][7]);
    EXPECT_EQ(std::to_string(p["utmZone"].toInt()), rows[static_cast<size_t>(i)][8]);
    EXPECT_EQ(p["utmHemisphere"].toString(), "S");
    EXPECT_EQ(c.size() == 3, rows[static_cast<size_t>(i)][9] != "***");
    EXPECT_TRUE(p["time"].toString().endsWith("Z"));
    EXPECT_TRUE(p["badCheck"].isBool());
  }
  EXPECT_EQ(features.last().toObject()["geometry"].toObject()["type"].toString(), "LineString");
  EXPECT_EQ(features.last().toObject()["geometry"].toObject()["coordinates"].toArray().size(),
            static_cast<int>(rows.size()));
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
  EXPECT_EQ(placemarks, 60 + 1);
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
  const auto reference = CsvRows("edge_cases.gps", OutputForm::LatLon, dir);
  ASSERT_EQ(rows.size() - 1, reference.size());
  for (size_t i = 1; i < rows.size(); ++i) {
    const auto& r = rows[i];
    ASSERT_EQ(r.size(), header.size());
    for (size_t col : {1u, 2u, 3u, 4u, 5u, 6u, 8u, 9u, 12u, 13u, 14u}) {
      if (r[col].empty()) continue;
      char* end = nullptr;
      std::strtod(r[col].c_str(), &end);
      EXPECT_EQ(*end, '\0') << "text in numeric column " << header[col] << ": " << r[col];
    }
    const auto& ref = reference[i - 1];
    EXPECT_EQ(r[1], (ref[7] == "S" ? "-" : "") + ref[6]);
    EXPECT_EQ(r[2], (ref[9] == "W" ? "-" : "") + ref[8]);
    EXPECT_EQ(r[3].empty(), ref[10] == "***");
    EXPECT_EQ(r[6], "1");
    if (ref.size() == 32) {
      EXPECT_EQ(r[11], "true") << "a bad check byte is an outlier";
    }
  }
  // The first fix (09:03:07 UTC on 5 July 2006) keeps its UTC time.
  EXPECT_EQ(rows[1][0], "2006-07-05 09:03:07.000");
  // An impossible date (month 15, day 0) leaves the timestamp empty.
  bool emptyTimestamp = false;
  for (size_t i = 1; i < rows.size(); ++i) emptyTimestamp |= rows[i][0].empty();
  EXPECT_TRUE(emptyTimestamp);
  EXPECT_NE(rows.back()[10].find('N'), std::string::npos);
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
