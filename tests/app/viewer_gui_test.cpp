// The viewer's Table and Track tabs as a user works them: sorting by a
// heading, the bad-check filter, copying for a spreadsheet; zooming,
// panning and fitting the track with the mouse and the keyboard, and what
// hovering a fix tells.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QWheelEvent>

#include "gpsdata/translate.h"
#include "qt_app.h"
#include "support/gps_image.h"
#include "track_view.h"
#include "view_gps_data_dialog.h"

namespace zelkor {
namespace {

// Four fixes out of time order in latitude, the third with a bad check.
QString FourFixes() {
  std::vector<GpsBlockFields> fixes = {
      testing::FixAt(26, 5, 1, 8, 0, 0, 40.010, true, 105.50, false),
      testing::FixAt(26, 5, 1, 10, 0, 0, 40.030, true, 105.51, false),
      testing::FixAt(26, 5, 2, 8, 0, 0, 40.005, true, 105.52, false),
      testing::FixAt(26, 5, 3, 8, 0, 0, 40.020, true, 105.49, false),
  };
  fixes[2].goodCheck = false;
  fixes[1].altitudeCode = 201 + 2100;
  const auto t = TranslateGpsImage(testing::GpsImage(fixes), OutputForm::LatLon, ShiftHours(-7),
                                   "(GMT -07:00) Mountain Time (US & Canada)");
  return QString::fromStdString(t.csv);
}

struct Viewer {
  ViewGpsDataDialog dialog;
  Viewer() : dialog(FourFixes(), "6", "4711.csv") {
    testing::App();
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    dialog.resize(700, 520);
    dialog.show();
    QApplication::processEvents();
  }
  QString cell(int row, const QString& heading) const {
    auto* m = dialog.table()->model();
    for (int c = 0; c < m->columnCount(); ++c)
      if (m->headerData(c, Qt::Horizontal).toString() == heading) return m->index(row, c).data().toString();
    return "no column " + heading;
  }
};

TEST(ViewerTable, SortsNumbersAsNumbersFiltersBadChecksAndCopiesWithHeadings) {
  testing::App();
  Viewer v;
  QTableView* table = v.dialog.table();
  ASSERT_EQ(table->model()->rowCount(), 4);
  EXPECT_EQ(v.cell(0, "Hour"), "01") << "file order first, times shifted to the zone";

  // A click on the Latitude heading sorts by the number.
  int latitude = -1;
  for (int c = 0; c < table->model()->columnCount(); ++c)
    if (table->model()->headerData(c, Qt::Horizontal).toString() == "Latitude") latitude = c;
  ASSERT_GE(latitude, 0);
  table->horizontalHeader()->sectionClicked(latitude);
  table->sortByColumn(latitude, Qt::AscendingOrder);
  QStringList order;
  for (int r = 0; r < 4; ++r) order << v.cell(r, "Latitude").left(6);
  EXPECT_EQ(order, (QStringList{"40.005", "40.010", "40.020", "40.030"}));

  // The filter leaves the bad check alone, and Copy takes what is shown.
  v.dialog.badChecksOnly()->click();
  ASSERT_EQ(table->model()->rowCount(), 1);
  EXPECT_EQ(v.cell(0, "Day"), "2");
  v.dialog.copyRows();
  const QStringList lines = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 2) << QGuiApplication::clipboard()->text().toStdString();
  EXPECT_TRUE(lines[0].startsWith("Flags\tUTC\tYear\tMonth\tDay\tHour")) << lines[0].toStdString();
  EXPECT_TRUE(lines[1].startsWith("bad check\t2026-05-02T08:00:00Z\t2026\t5\t2\t")) << lines[1].toStdString();

  // Ctrl+C in the table copies the selected rows, not the current cell.
  v.dialog.badChecksOnly()->click();
  v.dialog.tabs()->setCurrentIndex(1);
  table->selectRow(3);
  QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
  QApplication::sendEvent(table, &copy);
  const QStringList selected = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(selected.size(), 2);
  EXPECT_TRUE(selected[1].contains("40.030")) << selected[1].toStdString();
}

TEST(ViewerTrack, ZoomsPansAndFitsByMouseAndKeyboardAndTellsAboutAFix) {
  testing::App();
  Viewer v;
  v.dialog.tabs()->setCurrentIndex(2);
  QApplication::processEvents();
  TrackView* track = v.dialog.trackView();
  ASSERT_EQ(track->track().points.size(), 4u);
  const QRect inside = track->rect().adjusted(20, 20, -20, -20);
  for (const auto& p : track->track().points)
    EXPECT_TRUE(inside.contains(track->toScreen(p).toPoint())) << "a fix outside the fitted view";
  const double fitted = track->scale();

  // The wheel zooms at the pointer: the fix under it stays put.
  const TrackPoint& second = track->track().points[1];
  const QPointF at = track->toScreen(second);
  QWheelEvent wheel(at, track->mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(track, &wheel);
  EXPECT_GT(track->scale(), fitted * 1.4);
  EXPECT_LT(QLineF(track->toScreen(second), at).length(), 1.0);

  // A drag moves the map with the pointer.
  const QPointF before = track->toScreen(second);
  QMouseEvent press(QEvent::MouseButtonPress, at, track->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QMouseEvent move(QEvent::MouseMove, at + QPointF(30, 10), track->mapToGlobal(at + QPointF(30, 10)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at + QPointF(30, 10), track->mapToGlobal(at + QPointF(30, 10)),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(track, &press);
  QApplication::sendEvent(track, &move);
  QApplication::sendEvent(track, &release);
  EXPECT_LT(QLineF(track->toScreen(second), before + QPointF(30, 10)).length(), 1.0);

  // The keyboard does the same: + zooms, an arrow moves, Home fits again.
  auto key = [track](int k) {
    QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(track, &e);
  };
  const double zoomed = track->scale();
  key(Qt::Key_Plus);
  EXPECT_DOUBLE_EQ(track->scale(), zoomed * 2);
  const QPointF beforeArrow = track->toScreen(second);
  key(Qt::Key_Left);
  EXPECT_GT(track->toScreen(second).x(), beforeArrow.x()) << "Left looks further west";
  key(Qt::Key_Home);
  EXPECT_DOUBLE_EQ(track->scale(), fitted);
  track->zoomIn();
  v.dialog.fitButton()->click();
  EXPECT_DOUBLE_EQ(track->scale(), fitted);

  // Resizing a fitted view keeps every fix in sight.
  v.dialog.resize(900, 700);
  QApplication::processEvents();
  EXPECT_GT(track->scale(), fitted);

  // Hovering names the fix; bad checks are said.
  const int i = track->fixAt(track->toScreen(second));
  ASSERT_EQ(i, 1);
  const QString words = track->describe(i);
  EXPECT_TRUE(words.contains("2026-05-01 03:00:00")) << words.toStdString();
  EXPECT_TRUE(words.contains("2100")) << "altitude: " << words.toStdString();
  EXPECT_TRUE(track->describe(2).contains("bad check")) << track->describe(2).toStdString();
  EXPECT_EQ(track->fixAt(QPointF(-100, -100)), -1);
  EXPECT_NE(track->dateColour(track->track().points[0]), track->dateColour(track->track().points[3]));
}

}  // namespace
}  // namespace zelkor
