#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "config/collar_config.h"
#include "support/gps_image.h"
#include "support/qt_cli.h"
#include "support/temp_dir.h"

namespace zelkor {
namespace {

using testing::Cli;
using testing::CliResult;
using testing::Q;

TEST(CliTranslate, ExitCodesFollowTheTranslationResult) {
  testing::TempDir dir;
  auto good = testing::FixAt(6, 7, 5, 9, 3, 7, 40, true, 105, false);
  auto bad = good;
  bad.goodCheck = false;
  dir.writeBytes("good.gps", testing::GpsImage({good}));
  dir.writeBytes("bad.gps", testing::GpsImage({good, bad}));

  CliResult r = Cli({"translate", Q(dir.file("good.gps")), Q(dir.file("g.csv")), "--utm", "--offset", "-7",
                  "--trailer", "(GMT -07:00) Arizona"});
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_NE(dir.read("g.csv").find("1 blocks translated to UTM format.\r\n\r\n(GMT -07:00) Arizona\r\n"),
            std::string::npos);
  EXPECT_EQ(dir.read("g.csv").rfind("2006,7,5,02,03,07,500000.0,4427757.2,13,", 0), 0u);

  EXPECT_EQ(Cli({"translate", Q(dir.file("none.gps")), Q(dir.file("x.csv"))}).exit, 1);
  EXPECT_EQ(Cli({"translate", Q(dir.file("good.gps")), Q(dir.file("no/dir/x.csv"))}).exit, 2);
  r = Cli({"translate", Q(dir.file("bad.gps")), Q(dir.file("b.csv"))});
  EXPECT_EQ(r.exit, 4);
  EXPECT_NE(r.err.find("bad check byte"), std::string::npos);
  EXPECT_EQ(Cli({"translate", Q(dir.file("good.gps")), Q(dir.file("x.csv")), "--offset", "seven"}).exit, 64);
}

TEST(CliConfig, ShowPrintsEveryFieldAsJsonAndRewriteNormalises) {
  testing::TempDir dir;
  CollarConfigRecord r{};
  r[12] = 0x04;
  r[13] = 0xD2;  // collar 1234
  r[4] = 1;
  r[5] = 0x72;  // 1 h 37 min
  r[21] = 0x03;
  r[44] = 0x80;
  r[39] = 0xFF;
  r[63] = 210;
  dir.writeBytes("c.cfg", std::vector<unsigned char>(r.begin(), r.end()));
  CliResult res = Cli({"config", "show", Q(dir.file("c.cfg"))});
  ASSERT_EQ(res.exit, 0) << res.err;
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(res.out), &error);
  ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
  const QJsonObject o = doc.object();
  EXPECT_EQ(o["collarId"].toInt(), 1234);
  EXPECT_EQ(o["primaryRateHours"].toInt(), 1);
  EXPECT_EQ(o["primaryRateMinutes"].toInt(), 37);
  EXPECT_TRUE(o["mortalityEnabled"].toBool());
  EXPECT_EQ(o["auxWeekdays"].toArray().size(), 7);
  EXPECT_TRUE(o["auxWeekdays"].toArray()[0].toBool());
  EXPECT_FALSE(o["auxWeekdays"].toArray()[2].toBool());
  const QJsonArray aux = o["auxDays"].toArray();
  ASSERT_EQ(aux.size(), 12);
  ASSERT_EQ(aux[1].toArray().size(), 31);
  EXPECT_EQ(aux[1].toArray()[30].toInt(), 1);  // February 31 is in quarter 3
  EXPECT_EQ(aux[1].toArray()[22].toInt(), 0);
  EXPECT_EQ(o["raw"].toArray().size(), 64);

  res = Cli({"config", "rewrite", Q(dir.file("c.cfg")), Q(dir.file("out.cfg"))});
  ASSERT_EQ(res.exit, 0) << res.err;
  const std::string out = dir.read("out.cfg");
  ASSERT_EQ(out.size(), 64u);
  EXPECT_EQ(static_cast<uint8_t>(out[39]), 0xBE);  // bits 0 and 6 cleared
  EXPECT_EQ(static_cast<uint8_t>(out[40]), 0xFF);
  EXPECT_EQ(static_cast<uint8_t>(out[29]), 72);

  res = Cli({"config", "show", Q(dir.file("missing.cfg"))});
  EXPECT_NE(res.exit, 0);
  EXPECT_NE(res.err.find("ERROR: Could not open " + dir.file("missing.cfg") + "."), std::string::npos);
}

}  // namespace
}  // namespace zelkor
