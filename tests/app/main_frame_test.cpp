#include <gtest/gtest.h>

#include <QAction>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPrinter>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>

#include "app/command_ids.h"
#include "collar_commands_dialog.h"
#include "link/port_map.h"
#include "main_frame.h"
#include "main_view.h"
#include "print_dialog.h"
#include "program_fixture.h"
#include "qt_app.h"
#include "select_port_dialog.h"
#include "support/fake_files.h"
#include "support/fake_link.h"
#include "support/fake_store.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "utc_offset_dialog.h"

namespace zelkor {
namespace {
using testing::ModalCloser;
using testing::Program;

TEST(ProgramRun, NormalStartLoadsThePortAndShowsCollarCommands) {
  Program p;
  p.store.set(kTopKey, "FirstTime", "FALSE");
  p.store.set(kSettingsKey, "ComPort", "2");
  p.frame->view()->postCommand(kCmdInitializeComPort);
  p.settle();
  EXPECT_EQ(p.state.comPort, 2);
  EXPECT_EQ(p.started, (std::vector<int>{kCmdInitializeComPort, kCmdCollarCommands}));
  ASSERT_NE(p.frame->view()->collarCommands(), nullptr);
  EXPECT_TRUE(p.frame->view()->collarCommands()->isVisible());
  EXPECT_EQ(p.frame->view()->collarCommands()->windowTitle(), "NVK GPS Collar Commands");
  EXPECT_EQ(p.frame->view()->collarCommands()->port(), 2);
}

// A fresh settings store: the time-zone dialog first, the port dialog only
// once it has closed (never on top of it), Collar Commands last.
TEST(ProgramRun, AFreshStoreShowsTheUtcDialogThenThePortDialogThenCollarCommands) {
  Program p;
  ASSERT_FALSE(p.store.keyExists(kTopKey));
  std::vector<std::string> stackedOnUtc;
  ModalCloser closer([&](QWidget* w) {
    if (qobject_cast<SelectPortDialog*>(w))
      for (QWidget* top : QApplication::topLevelWidgets())
        if (qobject_cast<UtcOffsetDialog*>(top) && top->isVisible()) stackedOnUtc.push_back("port over time zone");
  });
  p.frame->view()->postCommand(kCmdInitializeComPort);
  p.settle(80);
  EXPECT_EQ(closer.seen, (std::vector<std::string>{"zelkor::UtcOffsetDialog", "zelkor::SelectPortDialog"}));
  EXPECT_TRUE(stackedOnUtc.empty());
  EXPECT_EQ(p.store.get(kTopKey, "FirstTime"), "FALSE");
  EXPECT_EQ(p.started, (std::vector<int>{kCmdInitializeComPort, kCmdComPort, kCmdCollarCommands}));
  ASSERT_NE(p.frame->view()->collarCommands(), nullptr);
  EXPECT_TRUE(p.frame->view()->collarCommands()->isVisible());
}

// The pause between an upload and its read-back takes no clicks or keys:
// Reset Datapointer, Collar Commands and Exit stay out of reach.
TEST(UploadPause, TakesNoUserInput) {
  Program p;
  QPushButton button("Exit");
  int clicks = 0;
  QObject::connect(&button, &QPushButton::clicked, [&] { ++clicks; });
  button.show();
  QTimer::singleShot(100, &button, [&] {
    const QPointF at(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, button.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, button.mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&button, &press);
    QApplication::sendEvent(&button, &release);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
    QApplication::sendEvent(&button, &key);
  });
  bool timerRan = false;
  QTimer::singleShot(150, [&] { timerRan = true; });
  WaitWithoutUserInput(400);
  EXPECT_TRUE(timerRan) << "the pause froze the program";
  EXPECT_EQ(clicks, 0) << "a click went through during the pause";
  button.click();
  EXPECT_EQ(clicks, 1);
}

// The project text of the Print dialog is kept from one opening to the next
// while the program runs.
TEST(PrintOptions, TheProjectTextIsKeptBetweenOpenings) {
  Program p;
  std::vector<std::string> seen;
  QTimer driver;
  QObject* last = nullptr;
  QObject::connect(&driver, &QTimer::timeout, [&] {
    auto* d = qobject_cast<PrintOptionsDialog*>(QApplication::activeModalWidget());
    if (!d) last = nullptr;  // the next dialog may take the same address
    if (!d || d == last) return;
    last = d;
    seen.push_back(d->projectField()->text().toStdString());
    if (seen.size() == 1) d->projectField()->setText("Elk herd, 150.040 MHz");
    QTimer::singleShot(0, d, [d, &last] {
      d->accept();
      last = nullptr;
    });
  });
  driver.start(20);
  auto dayOfWeek = [](int, int, int) { return 1; };
  p.frame->view()->runPrintDialog(4, 26, dayOfWeek);
  p.frame->view()->runPrintDialog(4, 26, dayOfWeek);
  driver.stop();
  EXPECT_EQ(seen, (std::vector<std::string>{"", "Elk herd, 150.040 MHz"}));
}

TEST(CollarCommands, ShowingAgainReusesTheOneDialogAndClosingOnlyHidesIt) {
  Program p;
  p.frame->view()->runCommand(kCmdCollarCommands);
  CollarCommandsDialog* first = p.frame->view()->collarCommands();
  first->close();
  p.settle();
  EXPECT_FALSE(first->isVisible());
  p.frame->view()->runCommand(kCmdCollarCommands);
  EXPECT_EQ(p.frame->view()->collarCommands(), first);
  EXPECT_TRUE(first->isVisible());
}

TEST(CollarCommands, OkWithoutAClickStartsAnOffload) {
  Program p;
  p.link.results = {{true, true}};
  p.frame->view()->runCommand(kCmdCollarCommands);
  CollarCommandsDialog* d = p.frame->view()->collarCommands();
  EXPECT_TRUE(d->choiceButton(0)->isChecked());
  ModalCloser closer;
  d->okButton()->click();
  EXPECT_FALSE(d->isVisible());
  p.settle(30);
  EXPECT_EQ(closer.seen, std::vector<std::string>{"zelkor::OffloadGpsDataDialog"});
  ASSERT_EQ(p.link.requests.size(), 1u);
  EXPECT_EQ(p.link.requests[0].request, LinkRequest::DownloadConfig);
  EXPECT_TRUE(d->isVisible()) << "cancelling the offload brings Collar Commands back";
  EXPECT_NE(std::find(p.started.begin(), p.started.end(), kCmdOffloadGpsData), p.started.end());
}

TEST(CollarCommands, FailedDownloadBringsTheDialogBack) {
  Program p;
  p.link.results = {{false, false}};
  p.frame->view()->runCommand(kCmdCollarCommands);
  CollarCommandsDialog* d = p.frame->view()->collarCommands();
  d->choiceButton(1)->click();
  d->okButton()->click();
  p.settle();
  EXPECT_TRUE(d->isVisible());
  EXPECT_TRUE(d->download().viewOnly);
  ASSERT_EQ(p.prompter.messages.size(), 1u);
  EXPECT_EQ(p.prompter.messages[0].text, "The collar did not receive the command. View collar config is canceled!");
}

TEST(CollarCommands, LoadAlmanacQueuesTheAlmanacCommand) {
  Program p;
  p.frame->view()->runCommand(kCmdCollarCommands);
  CollarCommandsDialog* d = p.frame->view()->collarCommands();
  d->choiceButton(3)->click();
  ModalCloser closer;
  d->okButton()->click();
  EXPECT_FALSE(d->isVisible());
  p.settle(30);
  EXPECT_EQ(closer.seen, std::vector<std::string>{"zelkor::AlmanacDialog"});
  EXPECT_TRUE(p.link.requests.empty());
}

TEST(CollarCommands, ExitQuitsAtOnceWithOtherWindowsOpen) {
  Program p;
  p.frame->view()->runCommand(kCmdCollarCommands);
  CollarCommandsDialog* d = p.frame->view()->collarCommands();
  QTimer::singleShot(50, [&] {
    // A modal window is open when the user chooses Exit.
    QDialog other(p.frame.get());
    QTimer::singleShot(50, [d] {
      d->choiceButton(4)->click();
      d->okButton()->click();
    });
    other.exec();
  });
  // A guard that goes with this test: a stray exit later would end every
  // window's loop in the tests that follow.
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
  guard.start(5000);
  EXPECT_EQ(QApplication::exec(), 0);
}

struct MenuRow {
  const char* menu;
  const char* text;
  int id;
  const char* prompt;  // first line of the prompt
  bool shown;
};

const MenuRow kMenus[] = {
    {"&File", "&New", 57600, "Create a new document", false},
    {"&File", "&Open...", 57601, "Open an existing document", false},
    {"&File", "&Save", 57603, "Save the active document", false},
    {"&File", "Save &As...", 57604, "Save the active document with a new name", false},
    {"&File", "&Print...", 57607, "Print the active document", false},
    {"&File", "Print Pre&view", 57609, "Display full pages", false},
    {"&File", "P&rint Setup...", 57606, "Change the printer and printing options", false},
    {"&File", "Recent File", 57616, "Open this document", false},
    {"&File", "&Export GPS Data...", 32800, "Export GPS data for GIS and analysis: GPX, GeoJSON, KML or Movebank CSV",
     true},
    {"&File", "Offload Se&veral Collars...", 32801, "Offload several collars at once, one per serial port", true},
    {"&File", "E&xit", 57665, "Quit the application; prompts to save documents", true},
    {"&Settings", "&Com Port", 32772, "Select the communications port to connect to the collar", true},
    {"&Settings", "Set &Offset from UTC", 32785, "Select the time zone in GMT.", true},
    {"&Settings", "&Reset Datapointer", 32778, "Reset the data pointer to overwrite the current GPS data", true},
    {"&Settings", "&Security Level", 32779, "Modify the security level to allow more or less parameters to be changed",
     true},
    {"&Settings", "&Enable Two Way GPS", 32790, "Enable two way GPS communication", true},
    {"&Settings", "Season S&tore...", 32803, "Choose where every offloaded fix is kept: this computer or a team server",
     true},
    {"&View", "&Collar Commands", 32775, "View a list of collar commands", true},
    {"&View", "Collar Configuration", 32776, "View a collar configuration", false},
    {"&View", "Load Configuriation", 32784, "", false},
    {"&View", "Offload GPS Data", 32782, "", false},
    {"&View", "Almanac INFO", 32783, "", false},
    {"&View", "&Battery Usage", 32780, "View the total transmitter on time and the estimated number of GPS fixes",
     false},
    {"&View", "&GPS Data File", 32789, "View a previously offloaded GPS data file", true},
    {"&View", "Collars in the &Store...", 32802, "The collars in the season store, and each one's whole history", true},
    {"&View", "&Toolbar", 59392, "Show or hide the toolbar", false},
    {"&View", "&Status Bar", 59393, "Show or hide the status bar", true},
    {"&Help", "&Help Topics", 57667, "List Help topics", true},
    {"&Help", "&About NVKZelkor...", 57664, "Display program information, version number and copyright", true},
};

TEST(MainFrameMenus, EveryEntryHasItsTextIdAndPromptAndRemovedEntriesAreGone) {
  Program p;
  EXPECT_EQ(p.frame->windowTitle(), "NVK GPS COLLAR INTERFACE AND DATA OFFLOAD SOFTWARE");
  std::map<std::string, std::vector<std::string>> expectedOrder;
  for (const MenuRow& row : kMenus) {
    QAction* a = p.frame->actionFor(row.id);
    if (!row.shown) {
      EXPECT_EQ(a, nullptr) << row.text << " should be removed";
      EXPECT_TRUE(p.frame->view()->hasCommand(row.id) || row.id == 57604 || row.id == 57606 || row.id == 57609 ||
                  row.id == 57616 || row.id == 59392)
          << row.id;
      continue;
    }
    ASSERT_NE(a, nullptr) << row.text;
    EXPECT_EQ(a->text().toStdString(), row.text);
    EXPECT_EQ(a->statusTip().toStdString(), row.prompt) << row.text;
    EXPECT_TRUE(p.frame->view()->hasCommand(row.id)) << row.id;
    expectedOrder[row.menu].push_back(row.text);
  }
  std::vector<std::string> menus;
  for (QAction* m : p.frame->menuBar()->actions()) {
    menus.push_back(m->text().toStdString());
    std::vector<std::string> entries;
    for (QAction* a : m->menu()->actions()) entries.push_back(a->text().toStdString());
    EXPECT_EQ(entries, expectedOrder[m->text().toStdString()]) << m->text().toStdString();
  }
  EXPECT_EQ(menus, (std::vector<std::string>{"&File", "&Settings", "&View", "&Help"}));
}

TEST(MainFrameMenus, TwoWayGpsFollowsTheAccessLevelWhenTheMenuOpens) {
  Program p;
  p.state.accessTable[1266 - 1003] = AccessEntry{1, 0};
  QMenu* settings = p.frame->menuNamed("&Settings");
  emit settings->aboutToShow();
  EXPECT_FALSE(p.frame->actionFor(kCmdEnableTwoWayGps)->isEnabled());
  p.state.accessLevel = 1;  // after "ZOND"
  emit settings->aboutToShow();
  EXPECT_TRUE(p.frame->actionFor(kCmdEnableTwoWayGps)->isEnabled());
}

TEST(MainFrameMenus, RemovedEntriesKeepTheirAccelerators) {
  Program p;
  std::map<QString, int> fired;
  for (QShortcut* s : p.frame->findChildren<QShortcut*>()) {
    if (s->key() == QKeySequence("Ctrl+P")) {
      emit s->activated();
      fired["Ctrl+P"]++;
    }
  }
  EXPECT_EQ(fired["Ctrl+P"], 1);
  EXPECT_NE(std::find(p.started.begin(), p.started.end(), kCmdFilePrint), p.started.end());
}

TEST(MainFrameLayout, StatusBarPanesHiddenToolbarAndTheDocument) {
  Program p;
  QStringList panes;
  for (QLabel* l : p.frame->indicatorPanes()) panes << l->text();
  EXPECT_EQ(panes, (QStringList{"CAP", "NUM", "SCRL"}));
  EXPECT_FALSE(p.frame->toolBar()->isVisible());
  p.dir.write("track.gps", std::string("\x01\x02\x00\x03", 4));
  ASSERT_TRUE(p.frame->openDocument(QString::fromStdString(p.dir.file("track.gps"))));
  EXPECT_EQ(p.frame->document().size(), 4);
  EXPECT_EQ(p.frame->document().bytes().size(), 5);
  p.frame->view()->runCommand(kCmdFileNew);
  EXPECT_EQ(p.frame->document().size(), 0);
  p.frame->view()->setBusy(true);
  EXPECT_EQ(p.frame->view()->cursor().shape(), Qt::WaitCursor);
  p.frame->view()->setBusy(false);
}

TEST(RenderDialogs, WritesAReadablePngPerDialog) {
  testing::TempDir dir;
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("XDG_CONFIG_HOME", QString::fromStdString(dir.file("config")));
  process.setProcessEnvironment(env);
  process.start(QString(ZELKOR_BIN_DIR) + "/zelkor",
                {"--data-dir", QString::fromStdString(dir.file("data")), "--render-dialogs",
                 QString::fromStdString(dir.file("png"))});
  ASSERT_TRUE(process.waitForFinished(60000));
  EXPECT_EQ(process.exitCode(), 0);
  for (const char* name : {"MainFrame", "CollarCommandsDialog", "UtcOffsetDialog", "SelectPortDialog", "LinkDialog",
                           "AboutDialog", "BatteryUsageDialog"}) {
    QImage image(QString::fromStdString(dir.file(std::string("png/") + name + ".png")));
    EXPECT_FALSE(image.isNull()) << name;
    EXPECT_GT(image.width(), 50) << name;
  }
}

}  // namespace
}  // namespace zelkor
