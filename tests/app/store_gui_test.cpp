// The desktop's side of many collars and the season store: the Offload
// Several Collars window on simulated collars, the Collars window, and the
// Season Store settings.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <chrono>
#include <thread>

#include "app/paths.h"
#include "collars_dialog.h"
#include "gpsdata/fix_time.h"
#include "link/port_session.h"
#include "parallel_offload_dialog.h"
#include "qt_app.h"
#include "season_store_dialog.h"
#include "store/store_keeper.h"
#include "support/collar_sim.h"
#include "support/fake_files.h"
#include "support/fake_store.h"
#include "support/fixed_clock.h"
#include "support/gps_image.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace zelkor {
namespace {

TEST(ParallelOffloadWindow, TwoCollarsSideBySideEachWithItsRowAndResult) {
  testing::App();
  testing::Sim a({"--fixes", "60", "--id", "3101", "--seed", "5"});
  testing::Sim b({"--fixes", "80", "--id", "3102", "--seed", "6"});
  ASSERT_TRUE(a.ready() && b.ready());
  setenv("ZELKOR_XMODEM_TIMEOUT_MS", "2000", 1);
  testing::TempDir dir;
  std::string error;
  PrepareDataFolders(dir.dir(), &error);
  const std::string links[] = {a.link(), b.link()};
  auto resolve = [links](int port) { return port < 2 ? links[port] : std::string("/nonexistent/zelkor-port"); };
  PosixSerialPort serial(resolve);
  testing::FakeStore store;
  testing::ScriptedPrompter prompter;
  testing::FixedClock clock{{2026, 12, 7, 12, 0, 0}};
  int kept = 0;
  ParallelOffloadDialog dialog(
      dir.dir(), serial, store, prompter, clock,
      [&](int, std::function<void(const LinkDisplay&)> onTick, std::function<bool()> cancelled) {
        return std::make_unique<PortSession>(dir.dir(), resolve, std::string(ZELKOR_BIN_DIR) + "/nvk_xmodem",
                                             std::move(onTick), std::move(cancelled));
      },
      [&](const std::vector<uint8_t>& image, const std::string& backup, bool, int port) {
        ++kept;
        const KeepOutcome k = KeepInStore(dir.dir(), DefaultStorePath(dir.dir()), image, {NowText(clock), port, backup});
        return KeepResult{k.safe(), k.message()};
      });
  ASSERT_EQ(dialog.portList()->count(), 2) << "the two free ports";
  dialog.startButton()->click();
  EXPECT_EQ(prompter.messages.size(), 1u) << "nothing ticked";
  EXPECT_FALSE(dialog.running());
  for (int i = 0; i < 2; ++i) dialog.portList()->item(i)->setCheckState(Qt::Checked);
  dialog.eraseBox()->setChecked(true);
  dialog.patternField()->setText("caribou-{id}");
  bool finished = false;
  QObject::connect(&dialog, &ParallelOffloadDialog::allFinished, [&] { finished = true; });
  dialog.startButton()->click();
  EXPECT_TRUE(dialog.running());
  EXPECT_FALSE(dialog.startButton()->isEnabled()) << "one run at a time";
  for (int i = 0; i < 6000 && !finished; ++i) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(finished);
  const auto runs = dialog.results();
  ASSERT_EQ(runs.size(), 2u);
  for (const CollarRun& r : runs) EXPECT_TRUE(r.ok && r.erased) << r.result;
  EXPECT_EQ(kept, 2);
  EXPECT_EQ(a.pointer(), 64u);
  EXPECT_EQ(b.pointer(), 64u);
  EXPECT_NE(dir.read("GPS Data/caribou-3101.csv").find("60 blocks translated"), std::string::npos);
  EXPECT_NE(dir.read("GPS Data/caribou-3102.csv").find("80 blocks translated"), std::string::npos);
  QTableWidget* table = dialog.runTable();
  ASSERT_EQ(table->rowCount(), 2);
  EXPECT_EQ(table->item(0, 0)->text(), "COM1");
  EXPECT_EQ(table->item(0, 1)->text(), "3101");
  EXPECT_TRUE(table->item(1, 3)->text().startsWith("collar 3102, 80 fixes to")) << table->item(1, 3)->text().toStdString();
  EXPECT_EQ(qobject_cast<QProgressBar*>(table->cellWidget(0, 2))->format(), "Done");
  EXPECT_EQ(store.get(kSettingsKey, "Lat or UTC Offload"), "0");
}

TEST(CollarsWindow, ListsTheStoreAndShowsAWholeHistory) {
  testing::App();
  testing::TempDir dir;
  const std::string path = dir.file("zelkor.sqlite");
  std::string error;
  {
    auto store = SeasonStore::Open(path, &error);
    ASSERT_TRUE(store) << error;
    ImportResult r;
    store->import(testing::GpsImage({testing::FixAt(26, 6, 1, 0, 0, 10, 45, true, 110, false)}, 11), {"a", 0, "a"},
                  &r, &error);
    std::vector<GpsBlockFields> more;
    for (int h = 0; h < 5; ++h) more.push_back(testing::FixAt(26, 6, 2, h, 0, 10, 45.1, true, 110, false));
    store->import(testing::GpsImage(more, 12), {"b", 1, "b"}, &r, &error);
  }
  testing::FakeFiles files;
  testing::ScriptedPrompter prompter;
  testing::FixedClock clock{{2026, 12, 7, 12, 0, 0}};
  uint32_t shown = 0;
  size_t blocks = 0;
  CollarsDialog dialog(path, files, prompter, clock, [&](uint32_t id, const std::vector<uint8_t>& image) {
    shown = id;
    blocks = (image.size() - 64) / 32;
  });
  ASSERT_EQ(dialog.table()->rowCount(), 2);
  EXPECT_EQ(dialog.table()->item(1, 1)->text(), "5");
  dialog.table()->selectRow(1);
  dialog.viewButton()->click();
  EXPECT_EQ(shown, 12u);
  EXPECT_EQ(blocks, 5u);

  // Importing a file adds its collar; the same file again adds nothing.
  dir.writeBytes("c.gps", testing::GpsImage({testing::FixAt(26, 7, 1, 0, 0, 10, 46, true, 111, false)}, 13));
  files.answers = {dir.file("c.gps"), dir.file("c.gps")};
  dialog.importButton()->click();
  EXPECT_EQ(dialog.table()->rowCount(), 3);
  dialog.importButton()->click();
  ASSERT_EQ(prompter.messages.size(), 2u);
  EXPECT_EQ(prompter.messages[1].text, "Collar 13: 0 new fixes of 1 (the file was imported before).");

  CollarsDialog broken("/nonexistent/folder/zelkor.sqlite", files, prompter, clock, {});
  EXPECT_TRUE(broken.storeLabel()->text().startsWith("The season store cannot be read")) << broken.storeLabel()->text().toStdString();
  EXPECT_FALSE(broken.viewButton()->isEnabled());
}

TEST(SeasonStoreSettings, ATeamServerIsCheckedBeforeItIsKept) {
  testing::App();
  testing::FakeStore store;
  testing::ScriptedPrompter prompter;
  testing::TempDir dir;
  {
    SeasonStoreDialog dialog(store, dir.dir(), prompter);
    EXPECT_TRUE(dialog.localButton()->isChecked()) << "this computer by default";
    EXPECT_FALSE(dialog.urlField()->isEnabled());
    dialog.serverButton()->setChecked(true);
    dialog.urlField()->setText("labserver/zelkor");
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, "Enter the server's address as postgresql://USER@HOST/DATABASE.");
    dialog.urlField()->setText("postgresql:///zelkor?host=/nonexistent/socket&connect_timeout=2");
    dialog.testButton()->click();
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[1].text, "The season store cannot be reached.");
    EXPECT_NE(prompter.messages[1].more.details.find("cannot be opened"), std::string::npos);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
  EXPECT_EQ(store.get(kStoreKey, "Database"), "postgresql:///zelkor?host=/nonexistent/socket&connect_timeout=2");
  SeasonStoreDialog again(store, dir.dir(), prompter);
  EXPECT_TRUE(again.serverButton()->isChecked());
  again.localButton()->setChecked(true);
  again.accept();
  EXPECT_EQ(store.get(kStoreKey, "Database"), "");
  EXPECT_EQ(StoreTarget(dir.dir(), "", &store), DefaultStorePath(dir.dir()));
}

}  // namespace
}  // namespace zelkor
