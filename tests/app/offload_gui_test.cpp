#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include "app/paths.h"
#include "collar_commands_dialog.h"
#include "gpsdata/translate.h"
#include "main_frame.h"
#include "link_dialog.h"
#include "main_view.h"
#include "offload_dialog.h"
#include "qt_app.h"
#include "qt_link_runner.h"
#include "support/collar_sim.h"
#include "support/fake_files.h"
#include "support/fake_link.h"
#include "support/fake_store.h"
#include "support/fixed_clock.h"
#include "support/recording_sink.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "track_view.h"
#include "view_gps_data_dialog.h"

namespace zelkor {
namespace {

TEST(GpsViewer, ReopeningReplacesTheWindowAndTheTrackTabDrawsTheFixes) {
  testing::App();
  QWidget owner;
  GpsViewerHost host(&owner);
  host.show(LoadTextForViewer("a\nb\nc"), "first.csv");
  QPointer<ViewGpsDataDialog> first = host.current();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->windowTitle(), "View GPS Data");
  EXPECT_EQ(first->lineCount(), "2");
  EXPECT_EQ(first->textBox()->toPlainText(), "a\nb\nc\n");
  EXPECT_TRUE(first->textBox()->isReadOnly());
  host.show(LoadTextForViewer(
                "2006,7,5,02,03,07,40.50000000,N,105.25000000,W,1650,1,1,5,7,12,0,0,0,0,0,0,0,0,0.0,0.0,0.00,0,0,0\n"),
            "second.csv");
  QApplication::processEvents();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(first.isNull() || !first->isVisible()) << "the old viewer is still open";
  ASSERT_NE(host.current(), nullptr);
  EXPECT_EQ(host.current()->fileNameLabel()->text(), "second.csv");
  EXPECT_EQ(host.current()->trackView()->track().points.size(), 1u);
}

struct Gui {
  testing::TempDir dir;
  testing::FakeStore store;
  testing::ScriptedPrompter prompter;
  testing::FakeFiles files;
  testing::FixedClock clock{{2026, 12, 6, 14, 3, 7}};
  AppState state;
  std::unique_ptr<PosixSerialPort> serial;
  std::unique_ptr<SpawnXmodemLauncher> launcher;
  std::unique_ptr<LinkRunner> link;
  std::unique_ptr<AppContext> context;
  std::unique_ptr<MainFrame> frame;

  explicit Gui(const std::string& device) {
    testing::App();
    state.programDirectory = dir.dir();
    std::string error;
    PrepareDataFolders(state.programDirectory, &error);
    serial = std::make_unique<PosixSerialPort>([device](int) { return device; });
    launcher = std::make_unique<SpawnXmodemLauncher>(std::string(ZELKOR_BIN_DIR) + "/nvk_xmodem",
                                                     std::map<std::string, std::string>{{"ZELKOR_COM1", device}});
    link = std::make_unique<QtLinkRunner>(state, *serial, *launcher, prompter);
    context = std::make_unique<AppContext>(AppContext{state, store, prompter, clock, *serial, *link, files});
    frame = std::make_unique<MainFrame>(*context);
    frame->show();
  }
};

TEST(OffloadDialog, OpensWithTheCollarsCountNameStoredZoneAndForm) {
  Gui g("/nonexistent");
  g.store.set(kSettingsKey, "UTC", "6");
  g.store.set(kSettingsKey, "Lat or UTC Offload", "1");
  CollarConfig config;
  config.collarId = 4711;
  config.dataBlockCount = 0;
  OffloadContext ctx{g.state, g.store, g.prompter, *g.link, g.clock, {}, {}};
  testing::RecordingSink sink;
  OffloadGpsDataDialog d(config, ctx, sink);
  EXPECT_EQ(d.windowTitle(), "Offload GPS Data");
  EXPECT_EQ(d.blocksField()->text(), "0");
  EXPECT_EQ(d.fileNameField()->text(), "4711.csv");
  EXPECT_EQ(d.zoneList()->currentIndex(), 6);
  EXPECT_TRUE(d.utmButton()->isChecked());
  g.store.set(kSettingsKey, "UTC", "99");
  OffloadGpsDataDialog fallback(config, ctx, sink);
  EXPECT_EQ(fallback.zoneList()->currentIndex(), 15) << "a stored zone outside the list falls back to UTC";
  d.blocksField()->setText("8191");
  d.sendButton()->click();
  ASSERT_EQ(g.prompter.messages.size(), 1u);
  EXPECT_EQ(g.prompter.messages[0].text, "The number of data blocks cannot exceed 8190.");
  d.reject();
  EXPECT_EQ(sink.posted, std::vector<int>{kCmdCollarCommands});
}

// From the Collar Commands dialog through the real link to the simulated
// collar: the CSV equals the translation of the collar's memory, and the
// collar is reset afterwards.
TEST(OffloadEndToEndGui, OffloadFromTheDialogThenResetTheCollar) {
  testing::Sim sim({"--fixes", "150", "--seed", "21"});
  ASSERT_TRUE(sim.ready());
  setenv("ZELKOR_XMODEM_TIMEOUT_MS", "2000", 1);
  Gui g(sim.link());
  g.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
  bool sent = false;
  bool lockedWhileOpen = false;
  // Another program trying the port while the offload dialog is open.
  PosixSerialPort other([&](int) { return sim.link(); });
  QTimer driver;
  driver.setInterval(30);
  QObject::connect(&driver, &QTimer::timeout, [&] {
    auto* d = qobject_cast<OffloadGpsDataDialog*>(QApplication::activeModalWidget());
    if (!d || sent) return;
    sent = true;
    lockedWhileOpen = other.probePort(0) == 0;
    d->zoneList()->setCurrentIndex(6);
    d->fileNameField()->setText("wapiti");
    d->sendButton()->click();
  });
  driver.start();
  g.frame->view()->runCommand(kCmdCollarCommands);
  g.frame->view()->collarCommands()->okButton()->click();
  for (int i = 0; i < 3000 && !sent; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
  for (int i = 0; i < 50; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
  ASSERT_TRUE(sent) << "the offload dialog never opened";
  EXPECT_TRUE(lockedWhileOpen) << "the port was free between the configuration download and the offload";
  EXPECT_EQ(other.probePort(0), 1) << "the port stayed locked after the offload dialog closed";
  const std::string expected = sim.dir.file("expected.csv");
  // The reset happened after the transfer: the memory image of the state
  // file still holds the blocks; its header now says 64.
  std::string state = sim.state();
  ASSERT_EQ(sim.pointer(), 64u);
  WriteBe24(reinterpret_cast<uint8_t*>(state.data()) + 1, 150 * 32 + 64);
  sim.dir.write("before-reset.bin", state);
  ASSERT_EQ(TranslateGpsData(sim.dir.file("before-reset.bin"), expected, OutputForm::LatLon, ShiftHours(-7),
                             "(GMT -07:00) Mountain Time (US & Canada)"),
            TranslateResult::Ok);
  const std::string got = g.dir.read("GPS Data/wapiti.csv");
  EXPECT_TRUE(got == testing::TempDir::ReadFile(expected)) << "the CSV differs from the translation of the memory ("
                                                           << got.size() << " bytes)";
  ASSERT_NE(g.frame->view()->viewer().current(), nullptr);
  EXPECT_EQ(g.frame->view()->viewer().current()->fileNameLabel()->text(), "wapiti.csv");
  // The viewer takes clicks at once: no modal dialog is left above it.
  EXPECT_TRUE(g.frame->view()->viewer().current()->isVisible());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the viewer opened under a modal dialog";
  bool erased = false;
  for (const auto& m : g.prompter.messages) erased |= m.text == "All data in the collar has been erased";
  EXPECT_TRUE(erased);
  // Success is confirmed where the user looks: the status bar names the
  // count and the file, the connection pane the port and the collar.
  const std::string id = std::to_string(g.frame->view()->config().collarId);
  EXPECT_EQ(g.frame->statusBar()->currentMessage().toStdString(),
            "150 fixes of collar " + id + " written to " + g.dir.file("GPS Data/wapiti.csv") +
                " (confirmed by two reads); the collar was erased. 150 new fixes in the season store (SQLite " +
                g.dir.file("zelkor.sqlite") + ").");
  EXPECT_EQ(g.frame->connectionPane()->text().toStdString(), "COM1 = " + sim.link() + " \u00b7 collar " + id);
}

// The cable is pulled in the middle of the first read and put back: the
// program still holds the port from the configuration download, opens it
// anew, and the Retry the user answers finishes the offload.
TEST(OffloadEndToEndGui, RetryAfterACablePullFinishesTheOffload) {
  testing::Sim sim({"--fixes", "100", "--seed", "23", "--pace"});
  ASSERT_TRUE(sim.ready());
  const std::string state = sim.state();
  setenv("ZELKOR_XMODEM_TIMEOUT_MS", "2000", 1);
  Gui g(sim.link());
  g.prompter.answers = {PromptAnswer::Retry, PromptAnswer::No};  // Retry, and keep the collar's data
  bool sent = false, pulled = false;
  QTimer driver;
  driver.setInterval(30);
  QElapsedTimer since;
  QObject::connect(&driver, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* d = qobject_cast<OffloadGpsDataDialog*>(modal); d && !sent) {
      sent = true;
      since.start();
      d->fileNameField()->setText("moose");
      // Clicked from the event loop, so that this timer keeps running
      // while the transfer's window is open.
      QTimer::singleShot(0, d, [d] { d->sendButton()->click(); });
      return;
    }
    // A second into the first read: out, and back after a moment.
    bool reading = false;
    for (QWidget* w : QApplication::topLevelWidgets()) reading |= qobject_cast<LinkDialog*>(w) && w->isVisible();
    if (sent && !pulled && reading && since.elapsed() > 1500) {
      pulled = true;
      sim.pull();
      QThread::msleep(1000);
      sim.start();
    }
  });
  driver.start();
  g.frame->view()->runCommand(kCmdCollarCommands);
  g.frame->view()->collarCommands()->okButton()->click();
  for (int i = 0; i < 6000 && !testing::TempDir::Exists(g.dir.file("GPS Data/moose.csv")); ++i)
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  for (int i = 0; i < 30; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
  ASSERT_TRUE(pulled) << g.prompter.all();
  EXPECT_TRUE(g.prompter.saw("GPS data was not received from the collar.")) << g.prompter.all();
  ASSERT_TRUE(testing::TempDir::Exists(g.dir.file("GPS Data/moose.csv"))) << g.prompter.all();
  std::string image = state.substr(0, 100 * 32 + 64);
  while (image.size() % 128) image.push_back('\x1A');
  EXPECT_TRUE(g.dir.read("GPS Data/moose.csv") ==
              TranslateGpsImage(std::vector<uint8_t>(image.begin(), image.end()), OutputForm::LatLon, UtcShift{},
                                "(GMT) Universal Time Coordinated (UTC)")
                  .csv);
}

}  // namespace
}  // namespace zelkor
