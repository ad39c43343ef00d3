// Named zones in the offload dialog, the viewer's Summary tab and outlier
// limit, and the summary page in the print dialog, as a user works them.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <cmath>

#include "app/paths.h"
#include "gpsdata/fix_time.h"
#include "gpsdata/translate.h"
#include "named_zone_dialog.h"
#include "offload_dialog.h"
#include "print_dialog.h"
#include "qt_app.h"
#include "summary_chart.h"
#include "support/fake_collar.h"
#include "support/fake_store.h"
#include "support/fixed_clock.h"
#include "support/gps_image.h"
#include "support/recording_sink.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "track_view.h"
#include "view_gps_data_dialog.h"

namespace zelkor {
namespace {

// Two days of fixes every two hours on a 2-hour schedule, one of them 40 km off.
std::vector<uint8_t> TwoDays() {
  std::vector<GpsBlockFields> fixes;
  for (int i = 0; i < 24; ++i) {
    const double lat = i == 10 ? 45.4 : 45.0 + 0.001 * i;
    fixes.push_back(testing::FixAt(26, 7, 1 + i / 12, (i % 12) * 2, 0, 30, lat, true, 110.0 + 0.001 * i, false));
  }
  std::vector<uint8_t> image = testing::GpsImage(fixes, 812);
  image[4] = 2;  // primary rate: 2 hours
  return image;
}

// Accepts the next named-zone picker after typing into its filter; an
// empty filter cancels it.
void AnswerPicker(const QString& filter) {
  QTimer::singleShot(50, [filter] {
    auto* picker = qobject_cast<NamedZoneDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(picker, nullptr) << "the picker did not open";
    if (filter.isEmpty()) {
      picker->reject();
      return;
    }
    picker->filterField()->setText(filter);
    picker->accept();
  });
}

TEST(OffloadNamedZone, TheLastEntryPicksAZoneAndTheCsvFollowsIt) {
  testing::App();
  testing::TempDir dir;
  std::string error;
  PrepareDataFolders(dir.dir(), &error);
  AppState state;
  state.programDirectory = dir.dir();
  testing::FakeStore store;
  testing::ScriptedPrompter prompter;
  testing::FixedClock clock;
  testing::FakeCollar collar(dir.dir());
  collar.memory = TwoDays();
  OffloadContext context{state, store, prompter, collar, clock, {}, {}};
  testing::RecordingSink sink;
  CollarConfig config;
  config.collarId = 812;
  config.dataBlockCount = 24;

  OffloadGpsDataDialog dialog(config, context, sink);
  QComboBox* zones = dialog.zoneList();
  EXPECT_EQ(zones->currentIndex(), 15) << "the standing list stays the default";
  EXPECT_EQ(zones->itemText(dialog.namedZoneIndex()), "Named time zone...");

  // A cancelled pick goes back to the entry chosen before.
  zones->setCurrentIndex(6);
  emit zones->activated(6);
  zones->setCurrentIndex(dialog.namedZoneIndex());
  AnswerPicker("");
  emit zones->activated(dialog.namedZoneIndex());
  EXPECT_EQ(zones->currentIndex(), 6);

  AnswerPicker("Denver");
  emit zones->activated(dialog.namedZoneIndex());
  EXPECT_EQ(zones->currentIndex(), dialog.namedZoneIndex());
  EXPECT_EQ(zones->currentText(), "Named time zone: America/Denver...");
  EXPECT_EQ(store.get(kAnalysisKey, "Named Time Zone"), "America/Denver");

  dialog.fileNameField()->setText("elk");
  prompter.answers = {PromptAnswer::No};  // keep the collar's data
  dialog.sendButton()->click();
  EXPECT_EQ(dialog.lastReport().outcome, OffloadOutcome::Viewed) << prompter.all();
  const std::string csv = dir.read("GPS Data/elk.csv");
  EXPECT_EQ(csv.rfind("2026,6,30,18,00,30,", 0), 0u) << "00:00:30 UTC on 1 July is 18:00:30 MDT the day before";
  EXPECT_NE(csv.find("\r\nAmerica/Denver (MST/MDT)\r\n"), std::string::npos);
}

TEST(NamedZonePicker, TheFilterNarrowsTheListAndTheComputersZoneComesFirst) {
  testing::App();
  NamedZoneDialog picker("Australia/Adelaide");
  ASSERT_GT(picker.list()->count(), 300);
  EXPECT_TRUE(picker.list()->item(0)->text().startsWith("The computer's own zone (")) << picker.list()->item(0)->text().toStdString();
  ASSERT_TRUE(picker.zone());
  EXPECT_EQ(picker.zone()->name(), "Australia/Adelaide") << "the last zone chosen is selected";
  picker.filterField()->setText("kathm");
  int shown = 0;
  for (int i = 0; i < picker.list()->count(); ++i) shown += !picker.list()->item(i)->isHidden();
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(picker.zone()->name(), "Asia/Kathmandu");
  picker.filterField()->setText("no such place");
  EXPECT_FALSE(picker.zone());
  picker.accept();
  EXPECT_NE(picker.result(), QDialog::Accepted) << "nothing chosen, nothing accepted";
}

int Shown(ViewGpsDataDialog& v) { return v.table()->model()->rowCount(); }

TEST(ViewerSummary, TheGpsDataFileGivesTheFiguresAndTheSpeedLimitMovesTheOutliers) {
  testing::App();
  const std::vector<uint8_t> image = TwoDays();
  const std::string csv =
      TranslateGpsImage(image, OutputForm::LatLon, ShiftHours(-7), "(GMT -07:00) Mountain Time (US & Canada)").csv;
  testing::TempDir dir;
  dir.writeBytes("812.gps", image);
  dir.write("812.csv", csv);
  testing::FakeStore store;
  QWidget owner;
  bool asked = false;
  GpsViewerHost host(&owner, {}, &store, [&]() -> std::optional<std::string> {
    asked = true;
    return dir.file("812.gps");
  });
  host.show(LoadTextForViewer(csv), "812.csv");
  ViewGpsDataDialog& v = *host.current();
  v.tabs()->setCurrentWidget(v.summaryPage());
  EXPECT_FALSE(v.summary());
  EXPECT_TRUE(v.openSourceButton()->isVisible());
  EXPECT_FALSE(v.summaryChart()->isVisible()) << "no chart without the GPS data file";

  // Without the file the table still flags the jump, through the footer's zone.
  v.outliersOnly()->click();
  EXPECT_EQ(Shown(v), 1) << "the jump; the fix after it is measured from the last good fix and passes";
  v.outliersOnly()->click();

  v.openSourceButton()->click();
  ASSERT_TRUE(asked);
  ASSERT_TRUE(v.summary());
  EXPECT_EQ(v.summary()->fixes, 24);
  EXPECT_EQ(v.summary()->scheduledAttempts, 24);
  EXPECT_TRUE(v.summaryChart()->isVisible());
  EXPECT_EQ(v.summary()->days.size(), 2u);

  // The track rings the outliers; raising the limit clears them everywhere.
  int ringed = 0;
  for (int i = 0; i < static_cast<int>(v.trackView()->track().points.size()); ++i) ringed += v.trackView()->isOutlier(i);
  EXPECT_EQ(ringed, v.summary()->quality.flagged);
  v.speedField()->setValue(100.0);
  EXPECT_EQ(store.get(kAnalysisKey, "Max Speed"), "100") << "the limit is kept for next time";
  EXPECT_EQ(v.summary()->quality.flagged, 0);
  v.outliersOnly()->click();
  EXPECT_EQ(Shown(v), 0);

  // The next viewer starts with the kept limit.
  host.show(LoadTextForViewer(csv), "812.csv", dir.file("812.gps"));
  EXPECT_DOUBLE_EQ(host.current()->maxSpeed(), 100.0);
  ASSERT_TRUE(host.current()->summary()) << "a known source is read at once";
}

TEST(PrintSummary, TheBoxIsOfferedOnlyWithGpsDataAndIsNotStored) {
  testing::App();
  PrintOptions stored;
  PrintOptionsDialog without(stored);
  EXPECT_FALSE(without.summaryBox()->isEnabled());
  without.summaryBox()->setChecked(true);
  EXPECT_FALSE(without.options().seasonSummary);
  PrintOptionsDialog with(stored, nullptr, "812.gps");
  EXPECT_TRUE(with.summaryBox()->isEnabled());
  EXPECT_FALSE(with.summaryBox()->isChecked()) << "not ticked by default";
  EXPECT_EQ(with.summaryBox()->text(), "Season Summary of 812.gps");
  with.summaryBox()->setChecked(true);
  EXPECT_TRUE(with.options().seasonSummary);
  // The map page likewise: offered with GPS data, off until ticked.
  EXPECT_FALSE(without.seasonMapBox()->isEnabled());
  EXPECT_TRUE(with.seasonMapBox()->isEnabled());
  EXPECT_FALSE(with.options().seasonMap);
  with.seasonMapBox()->setChecked(true);
  EXPECT_TRUE(with.options().seasonMap);
}

}  // namespace
}  // namespace zelkor
