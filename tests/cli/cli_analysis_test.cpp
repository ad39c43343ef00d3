// zelkor-cli summary, zones and --tz, as a user at a terminal meets them.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <filesystem>

#include "config/collar_config.h"
#include "config/config_file.h"
#include "support/gps_image.h"
#include "support/qt_cli.h"
#include "support/temp_dir.h"

namespace zelkor {
namespace {

using testing::Cli;
using testing::CliResult;
using testing::Q;

// Twelve fixes on 1 July 2026, every two hours from 00:00 UTC, under a
// header whose primary rate is two hours.
std::vector<uint8_t> OneDay() {
  std::vector<GpsBlockFields> fixes;
  for (int h = 0; h < 24; h += 2) fixes.push_back(testing::FixAt(26, 7, 1, h, 0, 40, 45 + h * 0.001, true, 110, false));
  std::vector<uint8_t> image = testing::GpsImage(fixes, 321);
  image[4] = 2;  // primary rate: 2 hours
  return image;
}

TEST(CliSummary, JsonHasEveryKeyAndTheTextNamesTheFigures) {
  testing::TempDir dir;
  dir.writeBytes("day.gps", OneDay());
  CliResult r = Cli({"summary", Q(dir.file("day.gps")), "--json"});
  ASSERT_EQ(r.exit, 0) << r.err;
  const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
  for (const char* key : {"collarId", "first", "last", "fixes", "fixes3d", "fixes2d", "badChecks", "outliers",
                          "scheduledAttempts", "fixSuccess", "distanceKm", "mcp100Km2", "mcp95Km2"})
    EXPECT_TRUE(o.contains(key)) << key << "\n" << r.out;
  EXPECT_EQ(o["collarId"].toInt(), 321);
  EXPECT_EQ(o["first"].toString(), "2026-07-01T00:00:40Z");
  EXPECT_EQ(o["fixes"].toInt(), 12);
  EXPECT_EQ(o["scheduledAttempts"].toInt(), 12);
  EXPECT_DOUBLE_EQ(o["fixSuccess"].toDouble(), 1.0);

  // A configuration file in place of the header: an hourly schedule.
  CollarConfig hourly;
  hourly.primaryRateHours = 1;
  ASSERT_EQ(WriteConfigFile(dir.file("hourly.cfg"), hourly), ConfigFileStatus::Ok);
  r = Cli({"summary", Q(dir.file("day.gps")), "--json", "--config", Q(dir.file("hourly.cfg"))});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object()["scheduledAttempts"].toInt(), 23);

  r = Cli({"summary", Q(dir.file("day.gps"))});
  EXPECT_EQ(r.exit, 0);
  EXPECT_NE(r.out.find("Fix success:"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("100.0 %"), std::string::npos) << r.out;

  r = Cli({"summary", Q(dir.file("missing.gps"))});
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find("missing.gps"), std::string::npos) << r.err;
  EXPECT_EQ(Cli({"summary", Q(dir.file("day.gps")), "--max-speed", "fast"}).exit, 64);
  EXPECT_EQ(Cli({"summary", Q(dir.file("day.gps")), "--config", Q(dir.file("none.cfg"))}).exit, 1);
}

// Files that are not a collar's GPS data: a text file and random bytes. Each
// reader refuses them with the reason, and the store is not even created.
TEST(CliForeignFiles, SummaryExportAndImportRefuseThemAndStoreNothing) {
  testing::TempDir dir;
  dir.write("README.md", "# Zelkor\n\nZelkor is the desktop companion of a GPS wildlife-tracking collar. Plug a "
                         "collar into a serial port and use Zelkor to offload the GPS fixes stored in it.\n");
  std::vector<uint8_t> noise(64 + 32 * 400);
  uint32_t x = 2463534242u;
  for (uint8_t& b : noise) {
    x ^= x << 13, x ^= x >> 17, x ^= x << 5;
    b = static_cast<uint8_t>(x);
  }
  noise[1] = 0x00, noise[2] = 0x32, noise[3] = 0x40;  // even a pointer inside the memory: 400 blocks
  dir.writeBytes("noise.gps", noise);
  for (const char* name : {"README.md", "noise.gps"}) {
    const std::string path = dir.file(name);
    CliResult r = Cli({"summary", Q(path)});
    EXPECT_EQ(r.exit, 1) << name;
    EXPECT_NE(r.err.find(path + " does not look like a collar's GPS data file: "), std::string::npos) << r.err;
    r = Cli({"export", Q(path), Q(dir.file("out.gpx"))});
    EXPECT_EQ(r.exit, 1) << name;
    EXPECT_NE(r.err.find("does not look like a collar's GPS data file"), std::string::npos) << r.err;
    r = Cli({"db", "import", Q(path), "--data-dir", Q(dir.file("data"))});
    EXPECT_GE(r.exit, 1) << name;
    EXPECT_LE(r.exit, 125) << name;
    EXPECT_NE(r.err.find(path + " does not look like a collar's GPS data file: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Nothing was stored."), std::string::npos) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("data/zelkor.sqlite"))) << "no store made for nothing";
  EXPECT_FALSE(std::filesystem::exists(dir.file("out.gpx")));

  // A backup cut short is read, with a warning that names what is missing.
  std::vector<uint8_t> day = OneDay();
  WriteBe24(&day[1], 64 + 30 * 32);  // the header announces 30 blocks; 12 are there
  dir.writeBytes("cut.gps", day);
  const CliResult r = Cli({"summary", Q(dir.file("cut.gps"))});
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_NE(r.err.find("the file ends after 12 of the 30 blocks its header announces"), std::string::npos) << r.err;
}

TEST(CliTimeZones, TranslateWithANamedZoneAndUnknownNamesExplained) {
  testing::TempDir dir;
  dir.writeBytes("day.gps", OneDay());
  CliResult r = Cli({"translate", Q(dir.file("day.gps")), Q(dir.file("denver.csv")), "--tz", "America/Denver"});
  ASSERT_EQ(r.exit, 0) << r.err;
  const std::string csv = dir.read("denver.csv");
  EXPECT_EQ(csv.rfind("2026,6,30,18,00,40,", 0), 0u) << "00:00:40 UTC is 18:00:40 MDT the day before";
  EXPECT_NE(csv.find("\r\nAmerica/Denver (MST/MDT)\r\n"), std::string::npos);

  r = Cli({"translate", Q(dir.file("day.gps")), Q(dir.file("x.csv")), "--tz", "America/Denvr"});
  EXPECT_EQ(r.exit, 64);
  EXPECT_NE(r.err.find("\"America/Denvr\" is not a time zone"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("zelkor-cli zones"), std::string::npos) << r.err;
  EXPECT_EQ(Cli({"translate", Q(dir.file("day.gps")), Q(dir.file("x.csv")), "--tz", "UTC", "--offset", "-7"}).exit,
            64);

  r = Cli({"zones", "Adelaide"});
  EXPECT_EQ(r.exit, 0);
  EXPECT_EQ(r.out, "Australia/Adelaide\n");
}

}  // namespace
}  // namespace zelkor
