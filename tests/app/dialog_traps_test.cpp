// Places where a dialog could trap its user or lose what was typed: fields
// the access table hides or locks, typed text that is not a number yet,
// Cancel after changes, and defaults that would throw work away. Every case
// ends with OK accepted or a visible field the user can fix.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "access_levels.h"
#include "aux_schedule_dialog.h"
#include "collar_command_dialogs.h"
#include "config/sample_config.h"
#include "config_dialog.h"
#include "config_options_dialog.h"
#include "gps_fix_schedule_dialog.h"
#include "mortality_dialog.h"
#include "qt_app.h"
#include "support/fake_files.h"
#include "support/fake_store.h"
#include "support/fixed_clock.h"
#include "support/recording_sink.h"
#include "support/scripted_prompter.h"
#include "transmitter_schedule_dialog.h"

namespace zelkor {
namespace {

class NoWarner : public Warner {
 public:
  void warn(const std::string&, HelpTopic) override {}
};

// A link that records what it is asked to send and acknowledges it.
class RecordingLink : public LinkRunner {
 public:
  LinkResult run(const LinkParams& params) override {
    sent.push_back(params.request);
    return LinkResult(acknowledge, false);
  }
  std::vector<LinkRequest> sent;
  bool acknowledge = true;
};

// Everything the configuration dialogs need, on a configuration whose
// record bytes a case sets.
struct Dialogs {
  CollarConfig config = SampleCollarConfig();
  AppState state;
  testing::FakeStore store;
  testing::ScriptedPrompter prompter;
  NoWarner warner;
  testing::FakeFiles files;
  testing::FixedClock clock;
  testing::RecordingSink sink;
  ConfigFields fields;
  int month = 4, year = 26;
  bool viewOnly = false;
  std::unique_ptr<ScheduleContext> schedule;
  std::unique_ptr<ConfigDialogContext> hub;
  Dialogs() {
    testing::App();
    store.set(kSettingsKey, "Hours", "0");
  }
  void setByte(int index, uint8_t value) {
    EncodeConfig(config);
    CollarConfigRecord r = config.raw;
    r[static_cast<size_t>(index)] = value;
    DecodeConfig(r, config);
  }
  void access(int control, AccessEntry entry) { state.accessTable[static_cast<size_t>(control - 1003)] = entry; }
  std::unique_ptr<QDialog> open(const std::string& which) {
    fields = FieldsFrom(config);
    schedule = std::make_unique<ScheduleContext>(
        ScheduleContext{config, viewOnly, state, store, prompter, warner, month, year, {}});
    hub = std::make_unique<ConfigDialogContext>(
        ConfigDialogContext{config, viewOnly, state, store, prompter, warner, files, clock, sink, {}, {}});
    if (which == "Config") return std::make_unique<ConfigDialog>(*hub, fields);
    if (which == "GpsFix") return std::make_unique<GpsFixScheduleDialog>(*schedule);
    if (which == "Aux") return std::make_unique<AuxScheduleDialog>(*schedule, 2, 0);
    return std::make_unique<TransmitterScheduleDialog>(*schedule);
  }
};

struct Trap {
  const char* dialog;
  int control;
  AccessEntry entry;  // {1, 1}: hidden at level 0; {0, 1}: locked
  int byte;
  uint8_t value;
  int alsoControl = 0;  // a second field the byte shows in (a stop hour)
};

// The cases a probe of the dialogs found: a record value outside the range
// OK checks, in a field the user cannot reach.
const Trap kTraps[] = {
    {"Config", 1025, {1, 1}, 6, 0},        // maximum fix duration hidden, 0
    {"Config", 1025, {0, 1}, 6, 0},        // ... locked
    {"Config", 1027, {1, 1}, 7, 0},        // almanac period hidden, 0
    {"GpsFix", 1062, {0, 1}, 33, 0},       // retry delay locked, 0
    {"GpsFix", 1062, {1, 1}, 33, 0},       // ... hidden
    {"GpsFix", 1247, {1, 1}, 5, 0xF3},     // primary minutes hidden, quarter byte 0xF3
    {"GpsFix", 1247, {0, 1}, 5, 0xF3},     // ... locked
    {"Aux", 1090, {1, 1}, 19, 200, 1091},        // auxiliary start (and so stop) hour hidden, 200
    {"Transmitter", 1122, {0, 1}, 24, 99, 1123}, // transmitter on (and off) hour locked, 99
};

TEST(HiddenAndLockedFields, NeverBlockOkAndKeepTheRecordsValue) {
  for (const Trap& t : kTraps) {
    const std::string where =
        std::string(t.dialog) + " control " + std::to_string(t.control) + (t.entry.showLevel ? " hidden" : " locked");
    Dialogs s;
    s.config.retriesEnabled = true;
    s.setByte(t.byte, t.value);
    s.access(t.control, t.entry);
    if (t.alsoControl) s.access(t.alsoControl, t.entry);
    const CollarConfigRecord before = [&] {
      CollarConfig copy = s.config;
      EncodeConfig(copy);
      return copy.raw;
    }();
    auto d = s.open(t.dialog);
    d->show();
    QApplication::processEvents();
    d->accept();
    EXPECT_EQ(d->result(), QDialog::Accepted) << where << ": " << s.prompter.all();
    EXPECT_TRUE(s.prompter.messages.empty()) << where << ": " << s.prompter.all();
    CollarConfig after = s.config;
    EncodeConfig(after);
    EXPECT_EQ(after.raw[static_cast<size_t>(t.byte)], before[static_cast<size_t>(t.byte)])
        << where << ": the record's value stays";
  }
}

TEST(HiddenAndLockedFields, AnEditableFieldOutOfRangeIsStillShownToTheUser) {
  Dialogs s;
  s.setByte(6, 0);
  auto d = s.open("Config");
  d->show();
  QApplication::processEvents();
  d->accept();
  EXPECT_NE(d->result(), QDialog::Accepted);
  ASSERT_EQ(s.prompter.messages.size(), 1u);
  EXPECT_EQ(s.prompter.messages[0].text, "Please enter an integer between 1 and 255.");
  QWidget* focus = d->focusWidget();
  ASSERT_NE(focus, nullptr);
  EXPECT_EQ(ControlIdOf(focus), 1025);
  EXPECT_TRUE(focus->isVisible());
  EXPECT_FALSE(qobject_cast<QLineEdit*>(focus)->isReadOnly());
}

TEST(ViewingAConfiguration, AValueOutsideTheRangesNeverTrapsTheViewer) {
  Dialogs s;
  s.viewOnly = true;
  s.setByte(6, 0);
  auto d = s.open("Config");
  d->accept();
  EXPECT_EQ(d->result(), QDialog::Accepted) << s.prompter.all();
  EXPECT_TRUE(s.prompter.messages.empty());
}

TEST(TypedText, StaysAcrossASubDialogForOkToPointOut) {
  Dialogs s;
  auto d = s.open("Config");
  auto* hub = static_cast<ConfigDialog*>(d.get());
  hub->field(1025)->setText("12x");
  // Any sub-dialog: Mortality Settings, closed at once.
  QTimer::singleShot(0, [] {
    if (auto* m = qobject_cast<MortalityDialog*>(QApplication::activeModalWidget())) m->reject();
  });
  hub->button(1058)->click();
  EXPECT_EQ(hub->field(1025)->text(), "12x") << "what was typed is not turned into 0";
  hub->show();
  hub->accept();
  EXPECT_NE(hub->result(), QDialog::Accepted);
  ASSERT_FALSE(s.prompter.messages.empty());
  EXPECT_EQ(s.prompter.messages.back().text, "Please enter an integer.");
  EXPECT_EQ(hub->focusWidget(), hub->field(1025));
}

TEST(CancelAfterChanges, AsksBeforeDiscardingAndNoKeepsTheDialog) {
  {
    Dialogs s;
    auto d = s.open("Config");
    d->reject();
    EXPECT_TRUE(s.prompter.messages.empty()) << "nothing changed: nothing to ask";
    EXPECT_EQ(d->result(), QDialog::Rejected);
  }
  for (const bool throughSubDialog : {false, true}) {
    Dialogs s;
    auto d = s.open("Config");
    auto* hub = static_cast<ConfigDialog*>(d.get());
    if (throughSubDialog)
      s.config.primaryRateHours = 7;  // as a sub-dialog's OK leaves it
    else
      hub->field(1026)->setText("3");
    hub->show();
    s.prompter.answers = {PromptAnswer::No};
    hub->reject();
    ASSERT_EQ(s.prompter.messages.size(), 1u);
    EXPECT_EQ(s.prompter.messages[0].text, "Discard your changes?");
    EXPECT_EQ(s.prompter.messages[0].more.defaultAnswer, PromptAnswer::No);
    EXPECT_TRUE(hub->isVisible()) << "No stays in the dialog";
    EXPECT_TRUE(s.sink.posted.empty());
    s.prompter.answers = {PromptAnswer::Yes};
    hub->reject();
    EXPECT_FALSE(hub->isVisible());
    EXPECT_EQ(s.sink.posted, std::vector<int>{kCmdCollarCommands});
  }
  // The options window after the edits: its Cancel asks too.
  testing::App();
  testing::FakeFiles files;
  testing::ScriptedPrompter prompter;
  ConfigOptionsDialog options({"Primary rate: 2 h 0 min -> 1 h 0 min"}, "collar.dat", files, nullptr, &prompter);
  options.show();
  prompter.answers = {PromptAnswer::No};
  options.reject();
  EXPECT_TRUE(options.isVisible());
  EXPECT_EQ(prompter.messages.at(0).text, "Discard your changes?");
  prompter.answers = {PromptAnswer::Yes};
  options.reject();
  EXPECT_FALSE(options.isVisible());
}

TEST(ActivityForm, DisabledFieldsNeverBlockOkAndViewingChangesNothing) {
  testing::App();
  testing::ScriptedPrompter prompter;
  {
    ActivityDialog d(prompter);
    d.show();
    d.minutes()->setText("");
    d.triggered()->click();  // Cumulative: the minutes stay disabled
    ASSERT_TRUE(d.cumulative()->isChecked());
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted) << prompter.all();
  }
  {
    ActivityDialog d(prompter);
    d.toggles()->setText("x");  // the trigger is off: every field is disabled
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted) << prompter.all();
  }
  ActivityDialog viewing(prompter, true);
  EXPECT_FALSE(viewing.triggered()->isEnabled());
  EXPECT_FALSE(viewing.toggles()->isEnabled());
  EXPECT_TRUE(viewing.note()->text().contains("not part of the collar's configuration"));
  EXPECT_TRUE(prompter.messages.empty());
}

TEST(ActivityForm, GroupTitlesAreOneAndAHalfTimesTheFontsHeight) {
  testing::App();
  testing::ScriptedPrompter prompter;
  ActivityDialog d(prompter);
  d.ensurePolished();
  const int font = QFontInfo(d.font()).pixelSize();
  for (QGroupBox* g : d.findChildren<QGroupBox*>()) {
    g->ensurePolished();
    EXPECT_EQ(QFontInfo(g->font()).pixelSize(), static_cast<int>(font * 1.5)) << g->title().toStdString();
  }
}

TEST(OffsetField, ShowsTheWholeZoneName) {
  for (const char* zone : {"(GMT -07:00) Mountain Time (US & Canada)", "(GMT -05:00) Eastern Time (US & Canada)",
                           "(GMT +05:00) Islamabad, Karachi, Ekaterinburg, Tashkent"}) {
    for (const char* which : {"Aux", "Transmitter"}) {
      Dialogs s;
      s.store.set(kSettingsKey, "Offset UTC Text", zone);
      auto d = s.open(which);
      d->show();
      QApplication::processEvents();
      auto* offset = qobject_cast<QLineEdit*>(FindControl(d.get(), std::string(which) == "Aux" ? 1197 : 1249));
      ASSERT_NE(offset, nullptr);
      EXPECT_GE(offset->contentsRect().width(), offset->fontMetrics().horizontalAdvance(zone))
          << which << ": " << zone;
    }
  }
}

// A locked check box and a locked field refuse real mouse and keyboard
// input, not only calls in code.
TEST(LockedControls, RefuseRealClicksAndKeys) {
  Dialogs s;
  s.config.retriesEnabled = true;
  s.access(1061, {0, 1});  // the retries box
  s.access(1246, {0, 1});  // the primary hours
  auto d = s.open("GpsFix");
  d->show();
  d->activateWindow();
  QApplication::processEvents();
  QWindow* window = d->windowHandle();
  ASSERT_NE(window, nullptr);
  auto* box = qobject_cast<QCheckBox*>(FindControl(d.get(), 1061));
  auto* hours = qobject_cast<QLineEdit*>(FindControl(d.get(), 1246));
  ASSERT_TRUE(box && hours);
  // Clicks go to the window where the control is drawn, as a mouse's would.
  const bool was = box->isChecked();
  QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, box->mapTo(d.get(), box->rect().center()));
  QApplication::processEvents();
  EXPECT_EQ(box->isChecked(), was);
  // The keyboard never reaches it either: Tab goes round without stopping there.
  for (int i = 0; i < 20; ++i) {
    QTest::keyClick(window, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), box);
  }
  const QString text = hours->text();
  QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, hours->mapTo(d.get(), hours->rect().center()));
  QTest::keyClick(window, Qt::Key_9);
  QTest::keyClick(window, Qt::Key_Backspace);
  QTest::keyClick(window, Qt::Key_Delete);
  EXPECT_EQ(hours->text(), text);
  EXPECT_EQ(box->isChecked(), was);
}

TEST(TwoWayGps, EnterCancelsAndASendIsConfirmedInTheStatusBar) {
  testing::App();
  testing::RecordingSink sink;
  RecordingLink link;
  std::vector<std::string> status;
  {
    TwoWayGpsDialog d(2, link, sink, nullptr, [&](const std::string& s) { status.push_back(s); });
    d.show();
    QApplication::processEvents();
    QTest::keyClick(&d, Qt::Key_Return);
    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(link.sent.empty()) << "Enter must not take the GPS board off the air";
  }
  TwoWayGpsDialog d(2, link, sink, nullptr, [&](const std::string& s) { status.push_back(s); });
  d.show();
  QTest::mouseClick(d.sendButton(), Qt::LeftButton);
  ASSERT_EQ(link.sent.size(), 1u);
  ASSERT_EQ(status.size(), 1u);
  EXPECT_EQ(status[0].rfind("Two-way GPS enabled on COM3", 0), 0u) << status[0];
  link.acknowledge = false;
  TwoWayGpsDialog again(2, link, sink, nullptr, [&](const std::string& s) { status.push_back(s); });
  again.show();
  QTest::mouseClick(again.sendButton(), Qt::LeftButton);
  EXPECT_EQ(status.back(), "Two-way GPS was not enabled: the collar on COM3 did not acknowledge the command.");
}

}  // namespace
}  // namespace zelkor
