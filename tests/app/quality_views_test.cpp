// One season with 2-D fixes (altitude "***"), bad checks, failed fixes, a
// week-rollover date and a jump: the Table, the Track, the Summary, the
// printed page and the exports must count every flag alike. And rows that
// no translation writes must neither crash nor hang the viewer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QTableView>

#include "analysis/season_summary.h"
#include "gpsdata/exports.h"
#include "gpsdata/fix_time.h"
#include "gpsdata/translate.h"
#include "print/summary_page.h"
#include "qt_app.h"
#include "support/fake_store.h"
#include "support/gps_image.h"
#include "support/recording_canvas.h"
#include "support/temp_dir.h"
#include "track_view.h"
#include "view_gps_data_dialog.h"

namespace zelkor {
namespace {

std::vector<uint8_t> MixedSeason() {
  std::vector<GpsBlockFields> fixes;
  const int64_t start = DaysFromCivil(2026, 5, 1) * 86400;
  for (int i = 0; i < 400; ++i) {
    int64_t t = start + int64_t{i} * 7200 + 35;
    if (i == 0) t -= int64_t{1024} * 7 * 86400;  // a GPS week rollover
    int y, m, d;
    CivilFromDays(t / 86400, &y, &m, &d);
    const int rest = static_cast<int>(t % 86400);
    double lat = 45.0 + 0.002 * std::sin(i * 0.3), lon = 110.0 + 0.003 * std::cos(i * 0.2);
    if (i == 200) lat += 0.5;  // 55 km in two hours
    GpsBlockFields f = testing::FixAt(y - 2000, m, d, rest / 3600, rest % 3600 / 60, rest % 60, lat, true, lon, false);
    f.statusCode = 3;
    if (i % 8 == 3) {  // 2-D: no altitude
      f.statusCode = 2;
      f.altitudeCode = 32767;
    }
    if (i % 37 == 5) f.goodCheck = false;
    if (i % 50 == 7) {  // failed
      f = testing::FixAt(y - 2000, m, d, rest / 3600, rest % 3600 / 60, rest % 60, 0, true, 0, false);
      f.statusCode = 0;
      f.altitudeCode = 32767;
    }
    fixes.push_back(f);
  }
  std::vector<uint8_t> image = testing::GpsImage(fixes, 2604);
  image[4] = 2;
  return image;
}

TEST(FlagCounts, TableTrackSummaryPrintAndExportsAgreeInA2DRichSeason) {
  testing::App();
  const std::vector<uint8_t> image = MixedSeason();
  SeasonSummary s;
  std::string error;
  ASSERT_TRUE(SummarizeSeason(image, {}, &s, &error)) << error;
  const QualityCounts& q = s.quality;
  ASSERT_EQ(q.badCheck, 11);
  ASSERT_EQ(q.noPosition, 8);
  ASSERT_EQ(q.time, 1);
  ASSERT_EQ(q.speed, 1);

  const std::string csv = TranslateGpsImage(image, OutputForm::LatLon, ShiftHours(-7),
                                            "(GMT -07:00) Mountain Time (US & Canada)").csv;
  testing::TempDir dir;
  dir.writeBytes("2604.gps", image);
  QWidget owner;
  testing::FakeStore store;
  GpsViewerHost host(&owner, {}, &store);
  // First from the CSV alone, then with the GPS data file it came from.
  for (const std::string& source : {std::string(), dir.file("2604.gps")}) {
    host.show(LoadTextForViewer(csv), "2604.csv", source);
    ViewGpsDataDialog& v = *host.current();
    auto rows = [&v] { return v.table()->model()->rowCount(); };
    ASSERT_EQ(rows(), 400);
    v.badChecksOnly()->click();
    EXPECT_EQ(rows(), q.badCheck) << "the 2-D fixes' \"***\" is not a bad check (" << source << ")";
    v.badChecksOnly()->click();
    v.outliersOnly()->click();
    EXPECT_EQ(rows(), q.flagged) << source;
    v.outliersOnly()->click();
    EXPECT_TRUE(v.trackView()->caption().contains(QString::fromStdString(q.text())))
        << v.trackView()->caption().toStdString();
    int crosses = 0, drawn = 0;
    for (int i = 0; i < static_cast<int>(v.trackView()->track().points.size()); ++i) {
      crosses += v.trackView()->isBadCheck(i) && v.trackView()->isDrawn(i);
      drawn += v.trackView()->isDrawn(i);
    }
    EXPECT_EQ(drawn, 400 - q.noPosition);
    EXPECT_EQ(crosses, q.badCheck);
  }
  ASSERT_TRUE(host.current()->summary());
  EXPECT_EQ(host.current()->summary()->quality.text(), q.text());

  testing::RecordingCanvas page;
  PrintSummaryPage(page, s, {2026, 12, 7, 9, 0, 0});
  EXPECT_NE(page.find(q.text()), nullptr) << "the printed page counts alike";

  DecodedFile data;
  ASSERT_TRUE(DecodeGpsFile(image, &data));
  int skipped = 0;
  const std::string gpx = ExportText(data, ExportFormat::Gpx, {}, &skipped);
  EXPECT_EQ(skipped, q.noPosition);
  size_t flagged = 0;
  for (size_t at = gpx.find("<zelkor:outlier>true"); at != std::string::npos; at = gpx.find("<zelkor:outlier>true", at + 1))
    ++flagged;
  EXPECT_EQ(static_cast<int>(flagged), q.flagged - q.noPosition) << "every flagged fix with a position";
}

// Rows with values no translation writes: a latitude of 1e17, inf, nan, an
// hour of 99999999999, a minute of -5. They are listed, not drawn, and
// zooming and painting the track ends.
TEST(ViewerRobustness, OutOfRangeRowsAreNotDrawnAndTheTrackNeverHangs) {
  testing::App();
  const std::string tail = ",1650,3,1,5,7,12,0,0,0,0,0,0,0,0,0.0,0.0,0.00,0,0,0\r\n";
  const std::string csv = "2026,5,1,08,00,00,40.01000000,N,105.50000000,W" + tail +
                          "2026,5,1,10,00,00,100000000000000000,N,105.50000000,W" + tail +
                          "2026,5,1,12,00,00,inf,N,105.50000000,W" + tail +
                          "2026,5,1,14,00,00,nan,S,-inf,E" + tail +
                          "2026,5,1,99999999999,-5,00,40.02000000,N,105.51000000,W" + tail +
                          "2026,5,1,18,00,00,40.03000000,N,105.52000000,W" + tail + "\r\n(GMT) Universal Time Coordinated (UTC)\r\n";
  ViewGpsDataDialog v(QString::fromStdString(csv), "7", "odd.csv");
  v.resize(700, 520);
  v.show();
  v.tabs()->setCurrentIndex(2);
  QApplication::processEvents();
  EXPECT_EQ(v.table()->model()->rowCount(), 6) << "every row is listed";
  TrackView* track = v.trackView();
  int drawn = 0;
  for (int i = 0; i < static_cast<int>(track->track().points.size()); ++i) drawn += track->isDrawn(i);
  EXPECT_EQ(drawn, 3);
  for (int i = 0; i < 60; ++i) track->zoom(i < 30 ? 8.0 : 1.0 / 64, track->rect().center());
  track->repaint();
  QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
  QApplication::sendEvent(track, &home);
  track->repaint();
  SUCCEED() << "painting ended";
}

}  // namespace
}  // namespace zelkor
