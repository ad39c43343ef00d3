// The desktop as a new user meets it: what the message boxes say under
// their text, which button Enter presses, F1 in every dialog, the main
// window on a laptop screen, and every dialog's fields, words and keyboard
// at this run's scale (ctest runs this file at 1x and at 2x).
#include <gtest/gtest.h>

#include <QAbstractSpinBox>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTextBrowser>
#include <QTimer>
#include <deque>

#include "app/paths.h"
#include "dialog_renderer.h"
#include "gpsdata/offload_workflow.h"
#include "help_window.h"
#include "layout_check.h"
#include "link/collar_sequences.h"
#include "link_dialog.h"
#include "message_box_prompter.h"
#include "program_fixture.h"
#include "small_dialogs.h"
#include "title_room.h"
#include "support/fake_collar.h"
#include "support/fixed_clock.h"
#include "support/gps_image.h"
#include "support/pty.h"
#include "support/recording_sink.h"

namespace zelkor {
namespace {

using testing::Program;

// What a message box showed, and which button Enter would press.
struct SeenBox {
  QString text;
  QString details;
  QMessageBox::StandardButton enterPresses = QMessageBox::NoButton;
  QMessageBox::StandardButtons buttons;
};

// Watches for message boxes; notes each one and answers it with the next
// scripted button, or with Enter when the script has run out.
class BoxWatcher {
 public:
  BoxWatcher() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      // Boxes on the stack may reuse an address: each is marked once seen.
      if (!box || box->property("zelkorSeen").toBool()) return;
      box->setProperty("zelkorSeen", true);
      SeenBox seen;
      seen.text = box->text();
      seen.details = box->informativeText();
      seen.buttons = box->standardButtons();
      if (box->defaultButton()) seen.enterPresses = box->standardButton(box->defaultButton());
      boxes.push_back(seen);
      const QMessageBox::StandardButton answer = answers.empty() ? QMessageBox::NoButton : answers.front();
      if (!answers.empty()) answers.pop_front();
      QTimer::singleShot(0, box, [box, answer] {
        if (answer != QMessageBox::NoButton) {
          box->button(answer)->click();
        } else {
          QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
          QApplication::sendEvent(box, &enter);
        }
      });
    });
    timer_.start();
  }
  std::vector<SeenBox> boxes;
  std::deque<QMessageBox::StandardButton> answers;

 private:
  QTimer timer_;
};

class NoHelper : public XmodemLauncher {
 public:
  int run(const HelperRun&) override { return -1; }
};

// Each link failure, as the real message box shows it: the standing text,
// and under it the cause and the next step.
TEST(LinkFailureMessages, EachShowsItsCauseAndNextStepUnderTheText) {
  testing::App();
  testing::TempDir dir;
  std::string error;
  PrepareDataFolders(dir.dir(), &error);
  NoHelper helper;
  MessageBoxPrompter prompter;
  auto show = [&](PosixSerialPort& serial, LinkRequest request) {
    BoxWatcher watcher;
    LinkParams p;
    p.request = request;
    LinkDialog dialog(serial, helper, prompter, p, dir.dir());
    dialog.exec();
    return watcher.boxes;
  };
  {
    SCOPED_TRACE("a port that cannot be opened");
    PosixSerialPort serial([](int) { return std::string("/nonexistent/ttyZelkor"); });
    const auto boxes = show(serial, LinkRequest::TwoWayGps);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Error: Port in use or doesn't exist !");
    EXPECT_EQ(boxes[0].details,
              "COM1: /nonexistent/ttyZelkor does not exist. Choose the port under Settings > Com Port.");
  }
  {
    SCOPED_TRACE("a missing command file");
    testing::Pty line;
    PosixSerialPort serial([&](int) { return line.slavePath(); });
    std::filesystem::remove(dir.file("Commands/Reset.cmd"));
    const auto boxes = show(serial, LinkRequest::ResetDataPointer);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Command File was not found or could not be opened.");
    EXPECT_TRUE(boxes[0].details.startsWith(QString::fromStdString(dir.file("Commands/Reset.cmd")) + " cannot be read ("))
        << boxes[0].details.toStdString();
  }
  {
    SCOPED_TRACE("a collar that does not answer");
    testing::Pty line;
    PosixSerialPort serial([&](int) { return line.slavePath(); });
    const auto boxes = show(serial, LinkRequest::LoadAlmanac);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Comm Buffer Read Error 5 secs.");
    EXPECT_EQ(boxes[0].details.toStdString(), "The collar did not answer within 5 seconds. Check the cable and the "
                                              "port (COM1 = " + line.slavePath() +
                                                  "), and wake the collar with its magnet.");
  }
}

// A failed download offers Retry with the receiver's reason; one that never
// reached the collar says nothing was sent.
TEST(LinkFailureMessages, AFailedDownloadOffersRetryWithTheReason) {
  testing::App();
  testing::TempDir dir;
  MessageBoxPrompter prompter;
  testing::FakeLink link;
  testing::RecordingSink sink;
  ConfigDownloadState state;
  LinkResult stopped(true, false);
  stopped.transferError = "the collar stopped sending after packet 12";
  LinkResult portFailed(false, false);
  portFailed.portFailed = true;
  link.results = {stopped, stopped, portFailed};
  BoxWatcher watcher;
  watcher.answers = {QMessageBox::Retry, QMessageBox::Cancel, QMessageBox::Cancel};
  EXPECT_FALSE(RunConfigDownloadChoice(CollarChoice::OffloadGpsData, 0, dir.dir(), state, link, prompter, sink));
  EXPECT_EQ(link.requests.size(), 2u) << "Retry asks the collar again";
  EXPECT_FALSE(RunConfigDownloadChoice(CollarChoice::OffloadGpsData, 0, dir.dir(), state, link, prompter, sink));
  ASSERT_EQ(watcher.boxes.size(), 3u);
  EXPECT_EQ(watcher.boxes[0].text, "Did not receive the GPS data file. Offload GPS data canceled!");
  EXPECT_EQ(watcher.boxes[0].buttons, QMessageBox::Retry | QMessageBox::Cancel);
  EXPECT_EQ(watcher.boxes[0].details, "The collar's configuration did not arrive: the collar stopped sending after "
                                      "packet 12. Retry asks the collar again.");
  EXPECT_EQ(watcher.boxes[2].text, "The collar did not receive the command. Offload GPS data canceled!");
  EXPECT_TRUE(watcher.boxes[2].details.startsWith("Nothing was sent to the collar"));
}

// The erase question names what is at stake, and Enter answers No: the
// collar keeps its data.
TEST(EraseQuestion, NamesTheFixesAndTheBackupAndEnterAnswersNo) {
  testing::App();
  testing::TempDir dir;
  std::string error;
  PrepareDataFolders(dir.dir(), &error);
  AppState state;
  state.programDirectory = dir.dir();
  testing::FakeStore store;
  MessageBoxPrompter prompter;
  testing::FixedClock clock;
  testing::FakeCollar collar(dir.dir());
  collar.memory = testing::GpsImage({testing::FixAt(26, 7, 5, 9, 3, 7, 40, true, 105, false),
                                     testing::FixAt(26, 7, 5, 11, 3, 7, 40, true, 105, false),
                                     testing::FixAt(26, 7, 5, 13, 3, 7, 40, true, 105, false)},
                                    1234);
  OffloadContext context{state, store, prompter, collar, clock, {}, {}};
  OffloadChoice choice;
  choice.blocks = 3;
  choice.initialCount = 3;
  choice.fileName = "1234";
  choice.zoneText = "(GMT -07:00) Arizona";
  choice.collarId = 1234;
  BoxWatcher watcher;
  const OffloadReport report = RunOffload(choice, context);
  ASSERT_GE(watcher.boxes.size(), 1u);
  const SeenBox& ask = watcher.boxes[0];
  EXPECT_EQ(ask.text, "GPS data was successfully received. Would you like to reset the datapointer?");
  EXPECT_EQ(ask.enterPresses, QMessageBox::No);
  EXPECT_EQ(ask.details.toStdString(),
            "Erase the 3 fixes stored in collar 1234? The collar is read once more, and erased only when that read "
            "agrees and the backup, the CSV and the season store are written.");
  EXPECT_FALSE(report.resetDone);
  EXPECT_EQ(std::count(collar.log.begin(), collar.log.end(), "Reset"), 0) << "Enter erased the collar";
}

// F1 in any dialog opens the manual at the page that explains it, and that
// page (and its anchor) exists.
TEST(HelpKey, F1InEveryDialogOpensItsManualPage) {
  Program p;
  InstallHelpKey();
  std::map<QString, QString> opened;
  ForEachDialog(p.context, *p.frame, [&](QWidget& w, const QString& name) {
    if (qobject_cast<HelpWindow*>(&w)) return;
    w.show();
    QApplication::processEvents();
    QWidget* target = w.focusWidget() ? w.focusWidget() : &w;
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(target, &f1);
    HelpWindow* help = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
      if (auto* h = qobject_cast<HelpWindow*>(top); h && h->isVisible()) help = h;
    if (help) {
      opened[name] = help->currentPage();
      help->close();
    }
    if (&w != p.frame.get()) w.hide();
  });
  ASSERT_FALSE(opened.empty());
  for (const auto& [name, expected] :
       std::map<QString, QString>{{"MainFrame", "index.html"},
                                  {"OffloadGpsDataDialog", "offload.html"},
                                  {"AuxScheduleDialog", "schedules.html#auxiliary"},
                                  {"TransmitterScheduleDialog", "schedules.html#transmitter"},
                                  {"MortalityDialog", "schedules.html#mortality"},
                                  {"CalendarDialog-Auxiliary", "calendar.html"},
                                  {"ViewGpsDataDialog-Track", "viewer.html"},
                                  {"UtcOffsetDialog", "time-zones.html"},
                                  {"SelectPortDialog", "port.html"},
                                  {"PrintOptionsDialog", "printing.html"}})
    EXPECT_EQ(opened[name].toStdString(), expected.toStdString()) << name.toStdString();
  for (const auto& [name, page] : opened) {
    if (name != "MainFrame") {
      EXPECT_NE(page.toStdString(), "index.html") << name.toStdString() << " has no page of its own";
    }
    const QString file = page.section('#', 0, 0), anchor = page.section('#', 1);
    QFile html(":/manual/" + file);
    ASSERT_TRUE(html.open(QIODevice::ReadOnly)) << file.toStdString();
    if (!anchor.isEmpty()) {
      EXPECT_TRUE(QString::fromUtf8(html.readAll()).contains("id=\"" + anchor + "\""))
          << page.toStdString() << " has no such anchor";
    }
  }
}

// The main window fits a 1366x768 laptop (less a taskbar), remembers where
// it was, and opens maximized the first time.
TEST(MainWindow, FitsALaptopScreenAndRemembersItsGeometry) {
  Program p;
  EXPECT_LE(p.frame->minimumSizeHint().width(), 1366);
  EXPECT_LE(p.frame->minimumSizeHint().height(), 728);
  EXPECT_LE(p.frame->minimumSize().width(), 1366);
  EXPECT_LE(p.frame->minimumSize().height(), 728);
  p.frame->resize(1366, 728);
  QApplication::processEvents();
  EXPECT_EQ(p.frame->size(), QSize(1366, 728));
  EXPECT_TRUE(LayoutProblems(*p.frame).isEmpty()) << LayoutProblems(*p.frame).join("\n").toStdString();

  MainFrame first(p.context);
  first.showWithSavedGeometry();
  EXPECT_TRUE(first.isMaximized()) << "with nothing stored the window opens maximized";
  first.showNormal();
  first.setGeometry(40, 50, 900, 600);
  QApplication::processEvents();
  first.close();
  ASSERT_FALSE(p.store.get(kWindowKey, "Geometry").empty());
  MainFrame second(p.context);
  second.showWithSavedGeometry();
  QApplication::processEvents();
  EXPECT_EQ(second.size(), QSize(900, 600));
  second.close();
}

// Every dialog at this run's scale: no clipped or overlapping words, every
// input field explained by a tooltip, every control reachable with Tab,
// and Enter pressing a button that does not throw work away.
TEST(EveryDialog, FitsItsWordsExplainsItsFieldsAndWorksFromTheKeyboard) {
  Program p;
  const bool oneX = qApp->devicePixelRatio() == 1.0;
  int dialogs = 0;
  ForEachDialog(p.context, *p.frame, [&](QWidget& w, const QString& name) {
    SCOPED_TRACE(name.toStdString());
    ++dialogs;
    if (&w != p.frame.get()) w.adjustSize();
    w.show();
    QApplication::processEvents();
    const QStringList problems = LayoutProblems(w);
    EXPECT_TRUE(problems.isEmpty()) << problems.join("\n").toStdString();
    if (oneX && &w != p.frame.get()) {
      EXPECT_LE(w.width(), 1366);
      EXPECT_LE(w.height(), 728);
    }
    for (QWidget* field : w.findChildren<QWidget*>()) {
      if (!field->isVisibleTo(&w) || field->parentWidget()->inherits("QComboBox") ||
          field->parentWidget()->inherits("QAbstractSpinBox"))
        continue;
      const bool input = qobject_cast<QLineEdit*>(field) || qobject_cast<QComboBox*>(field) ||
                         qobject_cast<QAbstractSpinBox*>(field);
      if (input) {
        EXPECT_FALSE(field->toolTip().isEmpty()) << field->metaObject()->className() << " has no tooltip";
      }
      const bool control = input || qobject_cast<QAbstractButton*>(field) || field->inherits("QAbstractItemView") ||
                           field->inherits("nvkcal::MonthView") || field->inherits("zelkor::TrackView");
      // Qt's own parts (a table's headers, a tab bar's scroll buttons) and
      // the unchecked buttons of a radio group (reached with the arrows)
      // are not Tab stops.
      auto* radio = qobject_cast<QAbstractButton*>(field);
      const bool arrowReached = radio && radio->isCheckable() && !radio->isChecked() &&
                                (radio->autoExclusive() || (radio->group() && radio->group()->exclusive()));
      if (control && field->isEnabled() && !arrowReached && !field->parentWidget()->inherits("QTabBar") &&
          !field->parentWidget()->inherits("QAbstractItemView") && !field->inherits("QToolButton")) {
        EXPECT_TRUE(field->focusPolicy() & Qt::TabFocus)
            << field->metaObject()->className() << " '" << (radio ? radio->text().toStdString() : std::string())
            << "' cannot be reached with Tab";
      }
    }
    if (auto* d = qobject_cast<QDialog*>(&w)) {
      // Enter presses the button that finishes the work, except where that
      // would do harm: enabling two-way GPS takes the GPS board off the air.
      const bool harmful = name == "TwoWayGpsDialog";
      int enabled = 0;
      for (QPushButton* b : d->findChildren<QPushButton*>()) enabled += b->isVisible() && b->isEnabled();
      for (QPushButton* b : d->findChildren<QPushButton*>())
        if (b->isDefault() && b->isVisible() && enabled > 1) {
          if (harmful) {
            EXPECT_EQ(b->text().toStdString(), "Cancel");
          } else {
            EXPECT_TRUE(b->text() != "Cancel" && !b->text().startsWith("Browse") && b->text() != "View Calendar")
                << "Enter presses " << b->text().toStdString();
          }
        }
    }
    if (&w != p.frame.get()) w.hide();
  });
  EXPECT_GE(dialogs, 28);
}

// The checker itself finds what it is for.
TEST(LayoutCheck, FindsClippedLabelsSqueezedButtonsAndOverlaps) {
  testing::App();
  QDialog d;
  auto* label = new QLabel("A caption far too long for its place", &d);
  label->setGeometry(0, 0, 400, 20);
  auto* layoutHost = new QWidget(&d);
  layoutHost->setGeometry(0, 30, 400, 100);
  auto* row = new QHBoxLayout(layoutHost);
  auto* a = new QPushButton("Send Command", layoutHost);
  auto* b = new QCheckBox("Auxiliary GPS Schedule", layoutHost);
  row->addWidget(a);
  row->addWidget(b);
  d.resize(420, 140);
  d.show();
  QApplication::processEvents();
  EXPECT_TRUE(LayoutProblems(d).isEmpty()) << LayoutProblems(d).join("\n").toStdString() << " before the damage";
  label->resize(40, 20);
  a->setGeometry(0, 0, 30, 24);
  b->setGeometry(10, 0, 200, 24);
  const QString found = LayoutProblems(d).join("\n");
  EXPECT_TRUE(found.contains("QLabel 'A caption far too long")) << found.toStdString();
  EXPECT_TRUE(found.contains("QPushButton 'Send Command' in QDialog: 30 px wide")) << found.toStdString();
  EXPECT_TRUE(found.contains("overlaps")) << found.toStdString();
}

// A title the window manager would cut is found, and every dialog and
// message box gets the room its title needs as it is shown.
TEST(LayoutCheck, FindsACutTitleAndDialogsGetRoomForTheirs) {
  testing::App();
  QDialog d;
  d.setWindowTitle("Offload Several Collars at Once From Many Ports");
  d.setFixedWidth(200);
  QWidget bare;  // not a dialog: nothing widens it
  bare.setWindowTitle(d.windowTitle());
  bare.resize(200, 100);
  bare.show();
  QApplication::processEvents();
  EXPECT_TRUE(LayoutProblems(bare).join("\n").contains("the title 'Offload Several Collars at Once From Many Ports'"))
      << LayoutProblems(bare).join("\n").toStdString();
  QDialog roomy;
  roomy.setWindowTitle(d.windowTitle());
  roomy.resize(200, 100);
  roomy.show();
  QApplication::processEvents();
  EXPECT_GE(roomy.width(), TitleNeed(roomy));
  EXPECT_TRUE(LayoutProblems(roomy).isEmpty()) << LayoutProblems(roomy).join("\n").toStdString();
  QMessageBox box(QMessageBox::Critical, "NVK XMODEM File Transfer", "Error: Port in use or doesn't exist !");
  QTimer::singleShot(0, &box, [&] {
    EXPECT_GE(box.width(), TitleNeed(box));
    box.done(0);
  });
  box.exec();
}

TEST(AboutDialog, NamesTheBuildQtAndWhereSettingsAndDataLive) {
  Program p;
  AboutDialog about(p.context);
  auto* details = about.findChild<QLabel*>("aboutDetails");
  ASSERT_NE(details, nullptr);
  const QString text = details->text();
  EXPECT_TRUE(text.contains("Build " + BuildId())) << text.toStdString();
  EXPECT_TRUE(text.contains(QString("Qt ") + qVersion()));
  EXPECT_TRUE(text.contains("Settings: " + QString::fromStdString(p.store.location())));
  EXPECT_TRUE(text.contains("Data folder: " + QString::fromStdString(p.dir.dir())));
}

}  // namespace
}  // namespace zelkor
