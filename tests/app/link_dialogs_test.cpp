#include <gtest/gtest.h>

#include <QStandardItemModel>

#include <QKeyEvent>

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <poll.h>
#include <thread>

#include "app/paths.h"
#include "link/port_map.h"
#include "link_dialog.h"
#include "qt_app.h"
#include "select_port_dialog.h"
#include "support/fake_store.h"
#include "support/pty.h"
#include "support/recording_sink.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace zelkor {
namespace {

using testing::App;

// Maps every COM port to a missing device, then the given ones to devices.
void MapPorts(const std::map<int, std::string>& devices) {
  for (int com = 1; com <= 37; ++com) {
    const std::string name = "ZELKOR_COM" + std::to_string(com);
    auto it = devices.find(com);
    setenv(name.c_str(), it == devices.end() ? "/nonexistent/zelkor-test-port" : it->second.c_str(), 1);
  }
}

struct PortDialogFixture {
  testing::FakeStore store;
  testing::ScriptedPrompter prompter;
  testing::RecordingSink sink;
  PosixSerialPort serial{[](int i) { return PortDevice(i); }};
};

TEST(SelectPortDialog, ListsFreePortsAndPreselectsTheSavedOneAfterTheFirstPaint) {
  App();
  testing::Pty com1, com3;
  MapPorts({{1, com1.slavePath()}, {3, com3.slavePath()}, {37, com1.slavePath()}});
  PortDialogFixture f;
  SelectPortDialog dialog(f.serial, f.store, f.prompter, f.sink, 2);
  EXPECT_EQ(dialog.windowTitle(), "Select Port");
  EXPECT_EQ(dialog.statusLine()->text(), "Scanning for ports...");
  EXPECT_FALSE(dialog.okButton()->isEnabled());
  EXPECT_FALSE(dialog.cancelButton()->isEnabled());
  dialog.show();
  for (int i = 0; i < 50 && !dialog.scanDone(); ++i) QApplication::processEvents(QEventLoop::AllEvents, 20);
  ASSERT_TRUE(dialog.scanDone()) << "the scan did not run after the dialog painted";
  ASSERT_EQ(dialog.portList()->count(), 2) << "COM37 must never appear";
  EXPECT_TRUE(dialog.portList()->itemText(0).startsWith("COM1  "));
  EXPECT_TRUE(dialog.portList()->itemText(1).startsWith("COM3  "));
  EXPECT_TRUE(dialog.portList()->itemText(1).contains(QString::fromStdString(com3.slavePath())));
  EXPECT_EQ(dialog.portList()->currentIndex(), 1);
  EXPECT_TRUE(dialog.statusLine()->isHidden());
  EXPECT_TRUE(dialog.okButton()->isEnabled());
  dialog.okButton()->click();
  EXPECT_EQ(f.store.get(kSettingsKey, "ComPort"), "2");
  EXPECT_EQ(dialog.savedPort(), 2);
  EXPECT_EQ(f.sink.posted, std::vector<int>{kCmdCollarCommands});
}

TEST(SelectPortDialog, BusySavedPortFallsBackToTheFirstFreePort) {
  App();
  testing::Pty com2, com5;
  MapPorts({{2, com2.slavePath()}, {5, com5.slavePath()}});
  PortProblem problem;
  const int holder = PosixSerialPort::OpenExclusive(com5.slavePath(), &problem);
  ASSERT_GE(holder, 0);
  PortDialogFixture f;
  SelectPortDialog dialog(f.serial, f.store, f.prompter, f.sink, 4);
  dialog.scan();
  PosixSerialPort::CloseExclusive(holder);
  // The busy port is named, greyed, with who holds it; it cannot be chosen.
  ASSERT_EQ(dialog.portList()->count(), 2);
  EXPECT_TRUE(dialog.portList()->itemText(0).startsWith("COM2"));
  EXPECT_EQ(dialog.portList()->itemText(1), "COM5: in use by this program");
  auto* model = qobject_cast<QStandardItemModel*>(dialog.portList()->model());
  ASSERT_NE(model, nullptr);
  EXPECT_FALSE(model->item(1)->isEnabled());
  EXPECT_EQ(dialog.portList()->currentIndex(), 0);
}

TEST(SelectPortDialog, NoFreePortLeavesOnlyCancel) {
  App();
  MapPorts({});
  PortDialogFixture f;
  SelectPortDialog dialog(f.serial, f.store, f.prompter, f.sink, 0);
  dialog.scan();
  EXPECT_EQ(dialog.portList()->count(), 0);
  EXPECT_EQ(dialog.statusLine()->text(), "No free com ports were detected.");
  EXPECT_FALSE(dialog.statusLine()->isHidden());
  EXPECT_FALSE(dialog.okButton()->isEnabled());
  EXPECT_FALSE(dialog.portList()->isEnabled());
  EXPECT_TRUE(dialog.cancelButton()->isEnabled());
  dialog.cancelButton()->click();
  EXPECT_EQ(f.sink.posted, std::vector<int>{kCmdCollarCommands});
  EXPECT_EQ(dialog.savedPort(), 0);
}

TEST(SelectPortDialog, FailedWriteAsksForThePortAgainNextTime) {
  App();
  testing::Pty com1;
  MapPorts({{1, com1.slavePath()}});
  PortDialogFixture f;
  f.store.failWrites = true;
  SelectPortDialog dialog(f.serial, f.store, f.prompter, f.sink, 0);
  dialog.scan();
  dialog.okButton()->click();
  ASSERT_EQ(f.prompter.messages.size(), 1u);
  EXPECT_EQ(f.prompter.messages[0].text,
            "There was an error writing to the registry.  You will be asked to select a com port next time the "
            "program starts.");
  ASSERT_EQ(f.store.writes.size(), 2u);
  EXPECT_EQ(f.store.writes[1].first, std::string(kTopKey) + "|FirstTime");
  EXPECT_EQ(f.store.writes[1].second, "TRUE");
  EXPECT_EQ(dialog.savedPort(), 0);
}

class NoHelper : public XmodemLauncher {
 public:
  int run(const HelperRun&) override { return -1; }
};

// A transfer window's surroundings: a data folder, a line to a collar that
// stays silent unless a test answers, and no receiver.
struct Bench {
  testing::TempDir dir;
  testing::Pty line;
  PosixSerialPort serial{[this](int) { return line.slavePath(); }};
  NoHelper helper;
  testing::ScriptedPrompter prompter;
  Bench() {
    App();
    std::string error;
    PrepareDataFolders(dir.dir(), &error);
  }
  std::unique_ptr<LinkDialog> dialog(const LinkParams& p) {
    return std::make_unique<LinkDialog>(serial, helper, prompter, p, dir.dir());
  }
};

TEST(LinkDialog, ClosingTheWindowDoesNotEndTheRequestEarly) {
  Bench b;
  auto& prompter = b.prompter;
  LinkParams p;
  p.request = LinkRequest::LoadAlmanac;
  const auto owned = b.dialog(p);
  LinkDialog& dialog = *owned;
  EXPECT_EQ(dialog.windowTitle(), "NVK XModem Send File");
  QTimer::singleShot(200, &dialog, [&] {
    dialog.close();
    QMetaObject::invokeMethod(&dialog, "reject");
  });
  QElapsedTimer clock;
  clock.start();
  dialog.exec();
  EXPECT_GE(clock.elapsed(), 3500) << "the dialog ended before the worker";
  EXPECT_FALSE(dialog.result().commandReceived);
  EXPECT_EQ(dialog.statusText()->text(), "***Err: Command was not received!***");
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].caption, "Comm Buffer Error");
}

// Cancel (the button, Escape or the close box) ends a transfer request that
// is waiting for the collar: CAN goes out, nothing is received, and the
// dialog closes as soon as the worker has stopped.
TEST(LinkDialog, CancelEndsAWaitingTransferAtOnceAndTellsTheCollar) {
  for (int way = 0; way < 3; ++way) {
    Bench b;
    auto& line = b.line;
    auto& prompter = b.prompter;
    LinkParams p;
    p.request = LinkRequest::Offload;
    p.fileName = "x.incoming";
    const auto owned = b.dialog(p);
  LinkDialog& dialog = *owned;
    ASSERT_TRUE(dialog.cancelButton()->isVisible() || !dialog.isVisible());
    QTimer::singleShot(500, &dialog, [&] {
      if (way == 0) dialog.cancelButton()->click();
      if (way == 1) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &press);
      }
      if (way == 2) dialog.close();
    });
    QElapsedTimer clock;
    clock.start();
    dialog.exec();
    EXPECT_LT(clock.elapsed(), 3000) << "way " << way;
    const LinkResult r = dialog.result();
    EXPECT_TRUE(r.cancelled) << way;
    EXPECT_FALSE(r.fileReceived);
    EXPECT_TRUE(prompter.messages.empty()) << "a cancel is not a link failure";
    std::string sent;
    for (uint8_t b[64]; ;) {
      pollfd pf{line.master(), POLLIN, 0};
      if (poll(&pf, 1, 100) <= 0) break;
      const ssize_t n = read(line.master(), b, sizeof b);
      if (n <= 0) break;
      sent.append(reinterpret_cast<char*>(b), static_cast<size_t>(n));
    }
    EXPECT_NE(sent.find("\x18\x18"), std::string::npos) << "the collar is told: CAN CAN";
    EXPECT_EQ(dialog.statusText()->text().toStdString(), kCancelledStatus);
  }
}

// The window's loop ended from outside while a request waits (the program
// closing): the window goes, and the request stops with it instead of
// waiting for ticks that never come.
TEST(LinkDialog, AWindowEndedFromOutsideStopsItsRequestAndNeverHangs) {
  Bench b;
  LinkParams p;
  p.request = LinkRequest::Offload;
  p.fileName = "x.incoming";
  QElapsedTimer clock;
  clock.start();
  {
    const auto owned = b.dialog(p);
  LinkDialog& dialog = *owned;
    // (Hiding ends its loop as the program's end would.)
    QTimer::singleShot(300, &dialog, [&] { dialog.hide(); });
    dialog.exec();
  }
  EXPECT_LT(clock.elapsed(), 10000) << "the window's end left its request waiting";
}

// Each request says in its window which step of a longer job it is, and in
// the main window's status bar how far it has come.
TEST(LinkDialog, ShowsItsStageAndFeedsTheStatusBar) {
  Bench b;
  LinkParams p;
  p.request = LinkRequest::LoadAlmanac;
  p.stage = "Reading it again to confirm before erasing (second read)";
  const auto owned = b.dialog(p);
  LinkDialog& dialog = *owned;
  std::vector<std::string> status;
  dialog.setStatusLine([&](const std::string& s) { status.push_back(s); });
  QTimer::singleShot(300, &dialog, [&] {
    EXPECT_TRUE(dialog.stageText()->isVisible());
    EXPECT_EQ(dialog.stageText()->text().toStdString(), p.stage);
  });
  dialog.exec();
  ASSERT_FALSE(status.empty());
  EXPECT_EQ(status.front(),
            "Com 1: Reading it again to confirm before erasing (second read): Requesting almanac information. . .")
      << status.front();
  LinkDisplay half;
  half.portText = "Com 2";
  half.stage = "Reading the collar's memory (first read)";
  half.status = "Request accepted. . .";
  half.transferring = true;
  half.packetsDone = 120;
  half.packetTotal = 258;
  half.secondsLeft = 41;
  EXPECT_EQ(StatusLine(half), "Com 2: Reading the collar's memory (first read): 120 of 258 packets, 0:41 left");
  half.stage.clear();
  half.transferring = false;
  EXPECT_EQ(StatusLine(half), "Com 2: Request accepted. . .");
}

TEST(LinkDialog, AcknowledgedCommandEndsTheDialogWithTheFlag) {
  Bench b;
  auto& line = b.line;
  auto& prompter = b.prompter;
  std::atomic<bool> stop{false};
  std::thread peer([&] {
    bool replied = false;
    while (!stop) {
      pollfd pf{line.master(), POLLIN, 0};
      if (poll(&pf, 1, 20) > 0 && !replied) {
        uint8_t buf[64];
        if (read(line.master(), buf, sizeof buf) > 0) {
          const uint8_t ack = 0x06;
          (void)!write(line.master(), &ack, 1);
          replied = true;
        }
      }
    }
  });
  LinkParams p;
  p.request = LinkRequest::TwoWayGps;
  const auto owned = b.dialog(p);
  LinkDialog& dialog = *owned;
  dialog.exec();
  stop = true;
  peer.join();
  EXPECT_TRUE(dialog.result().commandReceived);
  EXPECT_EQ(dialog.statusText()->text(), "Command received!");
  EXPECT_TRUE(prompter.messages.empty());
}

}  // namespace
}  // namespace zelkor
