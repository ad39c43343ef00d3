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
#include "qt_settings_store.h"
#include "app/ini_file.h"
#include "store/store_password.h"
#include <QSettings>
#include <map>
#include <sys/stat.h>

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
  std::string opened;
  ParallelOffloadDialog dialog(
      dir.dir(), serial, store, prompter, clock,
      [&](int, std::function<void(const LinkDisplay&)> onTick, std::function<bool()> cancelled) {
        return std::make_unique<PortSession>(dir.dir(), resolve, std::string(ZELKOR_BIN_DIR) + "/nvk_xmodem",
                                             std::move(onTick), std::move(cancelled));
      },
      [&](const std::vector<uint8_t>& image, const std::string& backup, bool, int port) {
        ++kept;
        const KeepOutcome k = KeepInStore(dir.dir(), DefaultStorePath(dir.dir()), image, {NowText(clock), port, backup});
        return KeepResult{k.stored, k.message()};
      },
      nullptr, [&](const std::string& csv, const std::string&) { opened = csv; });
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
  // A word on the whole run, and each collar's file a click away.
  ASSERT_FALSE(dialog.summary()->isHidden());
  EXPECT_TRUE(dialog.summary()->text().startsWith("2 of 2 collars offloaded, 2 erased.")) << dialog.summary()->text().toStdString();
  auto* open = qobject_cast<QPushButton*>(table->cellWidget(1, 4));
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->text(), "Open");
  ASSERT_TRUE(open->isEnabled());
  dialog.show();
  open->click();
  EXPECT_FALSE(dialog.isVisible()) << "the window closes, so that the viewer takes the clicks";
  QApplication::processEvents();
  EXPECT_EQ(opened, dir.file("GPS Data/caribou-3102.csv"));
  // The next time, the window remembers the ports and the names.
  ParallelOffloadDialog again(dir.dir(), serial, store, prompter, clock, {}, {});
  EXPECT_EQ(again.chosenPorts(), (std::vector<int>{0, 1}));
  EXPECT_EQ(again.patternField()->text(), "caribou-{id}");
  EXPECT_FALSE(again.eraseBox()->isChecked()) << "an erase is asked for each time";
}

TEST(ParallelOffloadWindow, TheSummaryNamesWhatFailedAndWhatWasStopped) {
  std::vector<CollarRun> runs(4);
  for (int i = 0; i < 4; ++i) runs[static_cast<size_t>(i)].port = i;
  runs[0].ok = runs[0].erased = true;
  runs[1].ok = true;
  runs[2].cancelled = true;
  EXPECT_EQ(RunSummary(runs, true), "2 of 4 collars offloaded, 1 erased. COM4 failed: see its row. COM3 stopped. "
                                    "Double-click a row, or press its Open, to see its fixes.");
  runs[2].cancelled = false;
  EXPECT_EQ(RunSummary(runs, false).rfind("2 of 4 collars offloaded. COM3 and COM4 failed: see their rows. ", 0), 0u);
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
  CollarsDialog dialog(path, {}, files, prompter, clock, [&](uint32_t id, const std::vector<uint8_t>& image) {
    shown = id;
    blocks = (image.size() - 64) / 32;
  });
  ASSERT_EQ(dialog.table()->rowCount(), 2);
  EXPECT_EQ(dialog.table()->item(1, 1)->text(), "5");
  dialog.table()->selectRow(1);
  ASSERT_EQ(dialog.importTable()->rowCount(), 1) << "the imports of the chosen collar";
  EXPECT_EQ(dialog.importTable()->item(0, 2)->text(), "COM2");
  EXPECT_EQ(dialog.importTable()->item(0, 3)->text(), "5");
  dialog.show();
  dialog.viewButton()->click();
  EXPECT_FALSE(dialog.isVisible()) << "the list closes before the viewer opens, so that the viewer takes the clicks";
  QApplication::processEvents();
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

  // Taking an import out asks with the counts, No by default.
  dialog.table()->selectRow(1);
  dialog.importTable()->selectRow(0);
  ASSERT_TRUE(dialog.removeImportButton()->isEnabled());
  prompter.answers = {PromptAnswer::No};
  dialog.removeImportButton()->click();
  ASSERT_EQ(prompter.messages.size(), 3u);
  EXPECT_TRUE(prompter.messages[2].text.rfind("Remove import ", 0) == 0) << prompter.messages[2].text;
  EXPECT_NE(prompter.messages[2].text.find("of collar 12 (b, COM2)? 5 fixes no other import holds go from the store. "
                                          "It is the collar's only import: collar 12 goes too."),
            std::string::npos)
      << prompter.messages[2].text;
  EXPECT_EQ(prompter.messages[2].more.defaultAnswer, PromptAnswer::No);
  EXPECT_EQ(dialog.table()->rowCount(), 3) << "No keeps it";
  prompter.answers = {PromptAnswer::Yes};
  dialog.removeImportButton()->click();
  EXPECT_EQ(dialog.table()->rowCount(), 2);
  dialog.table()->selectRow(0);
  prompter.answers = {PromptAnswer::Yes};
  dialog.removeCollarButton()->click();
  EXPECT_EQ(prompter.messages.back().text, "Remove collar 11 from the season store, with its 1 import and 1 fix?");
  EXPECT_EQ(dialog.table()->rowCount(), 1);
  EXPECT_EQ(dialog.table()->item(0, 0)->text(), "13");

  CollarsDialog broken("/nonexistent/folder/zelkor.sqlite", {}, files, prompter, clock, {});
  EXPECT_TRUE(broken.storeLabel()->text().startsWith("The season store cannot be read")) << broken.storeLabel()->text().toStdString();
  EXPECT_FALSE(broken.viewButton()->isEnabled());
}

// A keyring that keeps what it is given, or answers that none runs.
class FakeKeyring : public PasswordKeyring {
 public:
  bool save(const std::string& key, const std::string& password, std::string* error) override {
    if (!running) {
      *error = "no desktop keyring runs in this session";
      return false;
    }
    kept[key] = password;
    return true;
  }
  std::optional<std::string> find(const std::string& key) override {
    auto it = kept.find(key);
    return it == kept.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  void forget(const std::string& key) override { kept.erase(key); }
  bool running = true;
  std::map<std::string, std::string> kept;
};

TEST(SeasonStoreSettings, AServerIsCheckedBeforeItIsKeptAndItsPasswordNeverReachesTheSettings) {
  testing::App();
  testing::FakeStore store;
  testing::ScriptedPrompter prompter;
  testing::TempDir dir;
  const std::string pgpass = dir.file("pgpass");
  setenv("PGPASSFILE", pgpass.c_str(), 1);
  const std::string secret = "S3cret-xyz";
  const std::string address = "postgresql://ana@/zelkor?host=/nonexistent/socket&connect_timeout=2";
  {
    SeasonStoreDialog dialog(store, dir.dir(), prompter, nullptr);
    EXPECT_TRUE(dialog.localButton()->isChecked()) << "this computer by default";
    EXPECT_FALSE(dialog.urlField()->isEnabled());
    EXPECT_EQ(dialog.passwordField()->echoMode(), QLineEdit::Password);
    dialog.serverButton()->setChecked(true);
    dialog.urlField()->setText("labserver/zelkor");
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_TRUE(prompter.messages[0].text.rfind("Enter the server's address as postgresql://", 0) == 0)
        << prompter.messages[0].text;

    // A password typed into the address moves to its own, masked field.
    dialog.urlField()->setText(QString::fromStdString("postgresql://ana:" + secret +
                                                      "@/zelkor?host=/nonexistent/socket&connect_timeout=2"));
    dialog.testButton()->click();
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[1].text, "The season store cannot be reached.");
    EXPECT_NE(prompter.messages[1].more.details.find("cannot be opened"), std::string::npos);
    EXPECT_EQ(dialog.urlField()->text().toStdString(), address);
    EXPECT_EQ(dialog.passwordField()->text().toStdString(), secret);

    // OK on an address that cannot be reached asks first; No stays.
    prompter.answers = {PromptAnswer::No};
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(prompter.messages.size(), 3u);
    EXPECT_EQ(prompter.messages[2].text, "The season store cannot be reached. Keep this address anyway?");
    EXPECT_EQ(prompter.messages[2].more.defaultAnswer, PromptAnswer::No);
    EXPECT_EQ(store.get(kStoreKey, "Database"), "<missing>") << "nothing kept after No";
    prompter.answers = {PromptAnswer::Yes};
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(prompter.saw("the password is kept in " + pgpass)) << prompter.all();
  }
  EXPECT_EQ(store.get(kStoreKey, "Database"), address);
  struct stat st {};
  ASSERT_EQ(stat(pgpass.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u) << "libpq ignores a password file others can read";
  EXPECT_EQ(testing::TempDir::ReadFile(pgpass), "/nonexistent/socket:*:zelkor:ana:" + secret + "\n");
  EXPECT_EQ(prompter.all().find(secret), std::string::npos) << prompter.all();

  // Opened again: the address, and the password left as it is.
  {
    SeasonStoreDialog again(store, dir.dir(), prompter, nullptr);
    EXPECT_TRUE(again.serverButton()->isChecked());
    EXPECT_EQ(again.urlField()->text().toStdString(), address);
    EXPECT_TRUE(again.passwordField()->text().isEmpty());
    again.localButton()->setChecked(true);
    again.accept();
  }
  EXPECT_EQ(store.get(kStoreKey, "Database"), "");
  EXPECT_EQ(StoreTarget(dir.dir(), "", &store), DefaultStorePath(dir.dir()));

  // With a desktop keyring, the password goes there, and the file stays as it was.
  FakeKeyring keyring;
  {
    SeasonStoreDialog dialog(store, dir.dir(), prompter, &keyring);
    dialog.serverButton()->setChecked(true);
    dialog.urlField()->setText(QString::fromStdString(address));
    dialog.passwordField()->setText("An0ther");
    prompter.answers = {PromptAnswer::Yes};
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
  EXPECT_EQ(keyring.kept[address], "An0ther");
  EXPECT_EQ(testing::TempDir::ReadFile(pgpass), "/nonexistent/socket:*:zelkor:ana:" + secret + "\n");
  EXPECT_EQ(StoreConnectOptions(&keyring, address).password, "An0ther");

  // A password an earlier version saved in the settings moves out of them.
  store.set(kStoreKey, "Database", "host=db.example.org dbname=zelkor user=ana password='Old pw'");
  EXPECT_EQ(ProtectStoreSetting(store, &keyring),
            "The season store's password was moved from the settings to the desktop keyring.");
  EXPECT_EQ(store.get(kStoreKey, "Database"), "host=db.example.org dbname=zelkor user=ana");
  EXPECT_EQ(keyring.kept["host=db.example.org dbname=zelkor user=ana"], "Old pw");
  unsetenv("PGPASSFILE");
}

TEST(SeasonStoreSettings, TheSettingsFileIsForItsOwnersEyesOnly) {
  testing::App();
  testing::TempDir dir;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(dir.dir()));
  {
    QtSettingsStore settings;
    ASSERT_TRUE(settings.write(kStoreKey, "Database", "postgresql://ana@db.example.org/zelkor"));
    struct stat st {};
    ASSERT_EQ(stat(settings.location().c_str(), &st), 0) << settings.location();
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_TRUE(settings.write(kSettingsKey, "Lat or UTC Offload", "1"));
    ASSERT_EQ(stat(settings.location().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "and stays so";
    // The command line reads the same setting back, whatever the address holds.
    for (const std::string target :
         {"postgresql:///zelkor?host=/tmp/pg sock&port=5433&user=ana", "host=db.example.org dbname=zelkor user='ana b'",
          "service=team", "postgresql://ana@db/zelkor?sslmode=require;x", " padded "}) {
      ASSERT_TRUE(settings.write(kStoreKey, "Database", target));
      EXPECT_EQ(ReadIniValue(settings.location(), "Store", "Database").value_or("<none>"), target);
    }
  }
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")));
}

}  // namespace
}  // namespace zelkor
