#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <functional>

#include "access_levels.h"
#include "aux_schedule_dialog.h"
#include "gps_fix_schedule_dialog.h"
#include "mortality_dialog.h"
#include "qt_app.h"
#include "support/fake_store.h"
#include "support/scripted_prompter.h"
#include "transmitter_schedule_dialog.h"
#include "warning_dialog.h"

namespace zelkor {
namespace {

class RecordingWarner : public Warner {
 public:
  void warn(const std::string& text, HelpTopic topic) override { notices.push_back({text, topic}); }
  std::vector<std::pair<std::string, HelpTopic>> notices;
};

struct Dialogs {
  CollarConfig config;
  AppState state;
  testing::FakeStore store;
  testing::ScriptedPrompter prompter;
  RecordingWarner warner;
  int month = 4, year = 6;
  bool viewOnly = false;
  std::unique_ptr<ScheduleContext> context;
  Dialogs() { testing::App(); }
  ScheduleContext& ctx() {
    context = std::make_unique<ScheduleContext>(
        ScheduleContext{config, viewOnly, state, store, prompter, warner, month, year, {}});
    return *context;
  }
};

TEST(GpsFixScheduleDialog, RateAndRetryRulesOnOk) {
  Dialogs s;
  s.config.primaryRateHours = 0;
  s.config.primaryRateMinutes = 14;
  s.config.retryDelayMinutes = 10;
  s.config.maxRetries = 6;
  GpsFixScheduleDialog d(s.ctx());
  EXPECT_EQ(d.windowTitle(), "GPS Fix Schedule");
  d.accept();
  EXPECT_EQ(d.result(), QDialog::Rejected);
  ASSERT_EQ(s.prompter.messages.size(), 1u);
  EXPECT_EQ(s.prompter.messages[0].text, "The primary GPS fix rate must be 15 minutes or more.");
  EXPECT_EQ(s.prompter.messages[0].caption, "ERROR");
  d.rateHours()->setText("1");
  d.rateMinutes()->setText("0");
  d.retries()->click();  // retries on: 6 x 10 >= 60
  EXPECT_TRUE(d.maxRetries()->isEnabled());
  d.accept();
  EXPECT_EQ(s.prompter.messages.back().text,
            "Retries are set up to continue past your next regularly scheduled GPS fix attempt.");
  d.maxRetries()->setText("5");
  d.accept();
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(s.config.primaryRateHours, 1);
  EXPECT_EQ(s.config.maxRetries, 5);
  EXPECT_TRUE(s.config.retriesEnabled);
}

TEST(GpsFixScheduleDialog, OutOfRangeFieldNamesTheRangeAndTakesTheFocus) {
  Dialogs s;
  s.config.primaryRateHours = 1;
  GpsFixScheduleDialog d(s.ctx());
  d.show();
  d.rateMinutes()->setText("60");
  d.accept();
  ASSERT_EQ(s.prompter.messages.size(), 1u);
  EXPECT_EQ(s.prompter.messages[0].text, "Please enter an integer between 0 and 59.");
  EXPECT_EQ(d.focusWidget(), d.rateMinutes());
}

TEST(GpsFixScheduleDialog, ClearingTheAuxiliaryScheduleAsksFirst) {
  Dialogs s;
  s.config.primaryRateHours = 1;
  s.config.auxWeekdays[2] = true;
  s.config.auxDays.setQuarter(6, 1, true);
  s.config.auxRateHours = 4;
  {
    s.prompter.answers = {PromptAnswer::No};
    GpsFixScheduleDialog d(s.ctx());
    EXPECT_TRUE(d.auxiliary()->isChecked());
    d.auxiliary()->click();
    EXPECT_TRUE(d.auxiliary()->isChecked());
    EXPECT_EQ(s.prompter.messages[0].caption, "Disable Auxiliary Schedule");
    d.accept();
    EXPECT_TRUE(AuxiliaryScheduleOn(s.config));
  }
  s.prompter.answers = {PromptAnswer::Yes};
  GpsFixScheduleDialog d(s.ctx());
  d.auxiliary()->click();
  EXPECT_FALSE(d.auxiliary()->isChecked());
  EXPECT_FALSE(d.auxiliaryButton()->isEnabled());
  d.accept();
  EXPECT_FALSE(AuxiliaryScheduleOn(s.config));
  EXPECT_FALSE(s.config.auxDays.day(6, 10));
  EXPECT_EQ(s.config.auxRateHours, 4);
}

TEST(GpsFixScheduleDialog, ViewOnlyLocksEverythingAndStoresNothing) {
  Dialogs s;
  s.viewOnly = true;
  s.config.primaryRateHours = 2;
  GpsFixScheduleDialog d(s.ctx());
  EXPECT_TRUE(d.cancelButton()->isHidden());
  EXPECT_TRUE(IsLocked(d.retries()));
  EXPECT_TRUE(IsLocked(d.auxiliary()));
  EXPECT_TRUE(d.rateHours()->isReadOnly());
  EXPECT_FALSE(d.retryDelay()->isEnabled());
  d.rateHours()->setText("9");
  d.accept();
  EXPECT_EQ(s.config.primaryRateHours, 2);
}

struct AuxCase {
  int start, stop, utcStart, utcStop;
  bool overlap;
};

TEST(AuxScheduleDialog, LocalHoursAreStoredInUtcWithTheOverlapNotice) {
  for (const AuxCase& c : {AuxCase{20, 23, 1, 4, false}, AuxCase{22, 2, 3, 7, false}, AuxCase{18, 20, 23, 1, true}}) {
    Dialogs s;
    s.store.set(kSettingsKey, "Hours", "-05");
    s.store.set(kSettingsKey, "Offset UTC Text", "(GMT -05:00) Bogota, Lima");
    s.config.auxRateHours = 1;
    AuxScheduleDialog d(s.ctx(), 2, 0);
    EXPECT_EQ(d.offsetText()->text(), "(GMT -05:00) Bogota, Lima");
    d.startHour()->setText(QString::number(c.start));
    d.stopHour()->setText(QString::number(c.stop));
    d.startMonth()->setCurrentIndex(8);
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(s.config.auxStartHourUtc, c.utcStart) << c.start;
    EXPECT_EQ(s.config.auxStopHourUtc, c.utcStop) << c.stop;
    EXPECT_EQ(s.month, 8);
    EXPECT_EQ(s.warner.notices.size(), c.overlap ? 1u : 0u) << c.start << "-" << c.stop;
    if (c.overlap) {
      EXPECT_EQ(s.warner.notices[0].second, HelpTopic::AuxiliarySchedule);
    }
  }
}

TEST(AuxScheduleDialog, OpensInLocalTimeAndViewOnlyTakesOnlyMonthAndYear) {
  Dialogs s;
  s.store.set(kSettingsKey, "Hours", "-05");
  s.viewOnly = true;
  s.config.auxStartHourUtc = 23;
  s.config.auxStopHourUtc = 1;
  s.config.auxRateHours = 1;
  AuxScheduleDialog d(s.ctx(), 2, 0);
  EXPECT_EQ(d.startHour()->text(), "18");
  EXPECT_EQ(d.stopHour()->text(), "20");
  EXPECT_TRUE(d.cancelButton()->isHidden());
  EXPECT_TRUE(d.startHour()->isReadOnly());
  d.startHour()->setText("5");
  d.startYear()->setCurrentIndex(30);
  d.accept();
  EXPECT_EQ(s.config.auxStartHourUtc, 23);
  EXPECT_EQ(s.year, 30);
  EXPECT_EQ(s.warner.notices.size(), 1u) << "the overlap notice may still appear";
}

TEST(AuxScheduleDialog, UnreadableOffsetWhileStoringStoresUnconverted) {
  Dialogs s;
  s.config.auxRateHours = 1;
  AuxScheduleDialog d(s.ctx(), 2, 0);
  d.startHour()->setText("3");
  d.stopHour()->setText("9");
  d.accept();
  EXPECT_EQ(s.config.auxStartHourUtc, 3);
  ASSERT_EQ(s.prompter.messages.size(), 1u);
  EXPECT_EQ(s.prompter.messages[0].text,
            "There was an error reading the UTC offset from the register so the offset was not implemented in the "
            "Start and Stop time variables.");
}

TEST(TransmitterScheduleDialog, HoursNoticesAndTheTimeField) {
  Dialogs s;
  s.store.set(kSettingsKey, "Hours", "+02");
  s.config.transmitterOnHourUtc = 6;
  s.config.transmitterOffHourUtc = 18;
  s.config.softwareVersion = 150;
  {
    TransmitterScheduleDialog d(s.ctx());
    EXPECT_EQ(d.onHour()->text(), "8");
    EXPECT_EQ(d.offHour()->text(), "20");
    EXPECT_EQ(d.timeLabel()->text(), "Hours VHF Transmitter remains on after power up or CU contact");
    d.timeValue()->setText("300");
    d.accept();
    EXPECT_EQ(s.config.transmitterOnHourUtc, 6);
    EXPECT_EQ(s.config.transmitterOffHourUtc, 18);
    EXPECT_EQ(s.config.transmitterOnAfterPowerUpHours, 255);
    ASSERT_EQ(s.warner.notices.size(), 1u);
    EXPECT_EQ(s.warner.notices[0].first, "The amount of time must be less than 256 hours! The value has been set to 255.");
  }
  s.store.set(kSettingsKey, "Hours", "-05");
  s.config.softwareVersion = 200;
  s.warner.notices.clear();
  TransmitterScheduleDialog d(s.ctx());
  EXPECT_EQ(d.timeLabel()->text(), "Number of Days until release");
  d.onHour()->setText("17");
  d.offHour()->setText("21");
  d.timeValue()->setText("100");
  d.accept();
  EXPECT_EQ(s.config.transmitterOnHourUtc, 22);
  EXPECT_EQ(s.config.transmitterOffHourUtc, 2);
  EXPECT_EQ(s.config.releaseHours, 2400u);
  ASSERT_EQ(s.warner.notices.size(), 1u);
  EXPECT_EQ(s.warner.notices[0].second, HelpTopic::Transmitter);
  EXPECT_NE(s.warner.notices[0].first.find("cross a day boundary.  The VHF"), std::string::npos);
}

TEST(TransmitterScheduleDialog, ViewOnlyTakesOverMonthAndYearOnly) {
  Dialogs s;
  s.viewOnly = true;
  s.store.set(kSettingsKey, "Hours", "-05");
  s.config.transmitterOnHourUtc = 22;
  s.config.transmitterOffHourUtc = 2;
  TransmitterScheduleDialog d(s.ctx());
  EXPECT_TRUE(d.cancelButton()->isHidden());
  EXPECT_TRUE(d.onHour()->isReadOnly());
  d.startMonth()->setCurrentIndex(0);
  d.accept();
  EXPECT_EQ(s.month, 0);
  EXPECT_EQ(s.config.transmitterOnHourUtc, 22);
  EXPECT_TRUE(s.warner.notices.empty());
}

TEST(MortalityDialog, LoadsWholeHoursSpinsWithinRangeAndKeepsFlags) {
  Dialogs s;
  CollarConfigRecord r{};
  r[38] = 10;  // 2.5 hours
  r[39] = 0x80 | 0x08;
  DecodeConfig(r, s.config);
  MortalityDialog d(s.config, false, s.state);
  EXPECT_EQ(d.hours()->text(), "2");
  EXPECT_TRUE(d.hours()->isReadOnly());
  d.enabled()->click();  // cleared: the others are disabled but keep their marks
  EXPECT_FALSE(d.slow()->isEnabled());
  EXPECT_TRUE(d.slow()->isChecked());
  d.accept();
  EXPECT_FALSE(s.config.mortalityEnabled);
  EXPECT_TRUE(s.config.slowMortality);
  EXPECT_FLOAT_EQ(s.config.mortalityTriggerHours, 2.0f);

  CollarConfig zero;
  zero.mortalityEnabled = true;
  MortalityDialog z(zero, false, s.state);
  z.spin(+1);
  EXPECT_EQ(z.hours()->text(), "1");
  z.spin(-1);
  EXPECT_EQ(z.hours()->text(), "1");
  for (int i = 0; i < 70; ++i) z.spin(+1);
  EXPECT_EQ(z.hours()->text(), "63");
}

TEST(MortalityDialog, ViewOnlyLocksTheBoxesAndStoresNothing) {
  Dialogs s;
  s.config.mortalityEnabled = true;
  s.config.mortalityTriggerHours = 5;
  MortalityDialog d(s.config, true, s.state);
  EXPECT_TRUE(IsLocked(d.enabled()));
  EXPECT_TRUE(IsLocked(d.hold()));
  EXPECT_FALSE(d.spinner()->isEnabled());
  EXPECT_TRUE(d.cancelButton()->isHidden());
  d.spin(+1);
  d.accept();
  EXPECT_FLOAT_EQ(s.config.mortalityTriggerHours, 5.0f);
}

TEST(ActivityDialog, IsAFormWithoutEffect) {
  testing::App();
  testing::ScriptedPrompter prompter;
  ActivityDialog d(prompter);
  EXPECT_FALSE(d.triggered()->isChecked());
  EXPECT_FALSE(d.cumulative()->isEnabled());
  d.triggered()->click();
  EXPECT_TRUE(d.cumulative()->isChecked());
  EXPECT_FALSE(d.minutes()->isEnabled());
  d.consecutive()->click();
  EXPECT_TRUE(d.minutes()->isEnabled());
  d.toggles()->setText("12");
  d.accept();
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_TRUE(prompter.messages.empty());
}

TEST(ActivityDialog, OkWithAFieldThatIsNotAWholeNumberSaysSoAndTakesTheFocus) {
  testing::App();
  testing::ScriptedPrompter prompter;
  ActivityDialog d(prompter);
  d.show();
  d.triggered()->click();
  for (const char* text : {"", "abc"}) {
    d.toggles()->setText(text);
    d.accept();
    EXPECT_NE(d.result(), QDialog::Accepted) << text;
    ASSERT_FALSE(prompter.messages.empty());
    EXPECT_EQ(prompter.messages.back().text, "Please enter an integer.");
    EXPECT_EQ(d.focusWidget(), d.toggles()) << text;
  }
}

// The large font belongs to the two group titles only: the fields and labels
// keep the dialog's font, and the dialog keeps a sensible width.
TEST(ActivityDialog, OnlyTheGroupTitlesAreEnlarged) {
  testing::App();
  testing::ScriptedPrompter prompter;
  ActivityDialog d(prompter);
  d.ensurePolished();
  EXPECT_EQ(QFontInfo(d.toggles()->font()).pixelSize(), QFontInfo(d.font()).pixelSize());
  EXPECT_EQ(QFontInfo(d.triggered()->font()).pixelSize(), QFontInfo(d.font()).pixelSize());
  EXPECT_LT(d.sizeHint().width(), 700);
}

// One table for the access rule: the control a show level hides, the one an
// edit level locks, and how a locked control must look in each dialog.
enum class Look { ReadOnly, Disabled, LockedBox, LeftAlone, GreyTitle };
struct AccessCase {
  const char* dialog;
  int control;
  Look locked;
};

std::unique_ptr<QDialog> Make(const char* name, Dialogs& s) {
  const std::string n = name;
  s.config.primaryRateHours = 2;
  s.config.auxWeekdays[1] = true;
  s.config.mortalityEnabled = true;
  if (n == "GpsFixSchedule") return std::make_unique<GpsFixScheduleDialog>(s.ctx());
  if (n == "AuxSchedule") return std::make_unique<AuxScheduleDialog>(s.ctx(), 2, 0);
  if (n == "TransmitterSchedule") return std::make_unique<TransmitterScheduleDialog>(s.ctx());
  return std::make_unique<MortalityDialog>(s.config, false, s.state);
}

const AccessCase kAccess[] = {
    {"GpsFixSchedule", 1246, Look::ReadOnly},    {"GpsFixSchedule", 1066, Look::Disabled},
    {"GpsFixSchedule", 1065, Look::LockedBox},   {"GpsFixSchedule", 1061, Look::LockedBox},
    {"AuxSchedule", 1090, Look::ReadOnly},       {"AuxSchedule", 1083, Look::LockedBox},
    {"AuxSchedule", 1159, Look::Disabled},       {"AuxSchedule", 1256, Look::LeftAlone},
    {"AuxSchedule", 1264, Look::LeftAlone},      {"TransmitterSchedule", 1122, Look::ReadOnly},
    {"TransmitterSchedule", 1258, Look::Disabled}, {"TransmitterSchedule", 1263, Look::GreyTitle},
    {"GpsFixSchedule", 1243, Look::GreyTitle},
    {"TransmitterSchedule", 1250, Look::LeftAlone}, {"Mortality", 1069, Look::Disabled},
    {"Mortality", 1171, Look::Disabled},         {"Mortality", 1074, Look::LeftAlone},
};

TEST(AccessLevels, ShowLevelHidesAndEditLevelLocksAsEachDialogSays) {
  for (const AccessCase& c : kAccess) {
    const std::string where = std::string(c.dialog) + " control " + std::to_string(c.control);
    {
      Dialogs s;
      s.state.accessTable[static_cast<size_t>(c.control - 1003)] = AccessEntry{1, 1};
      auto d = Make(c.dialog, s);
      QWidget* w = FindControl(d.get(), c.control);
      ASSERT_NE(w, nullptr) << where;
      if (auto* group = dynamic_cast<ControlGroup*>(w)) {
        // A group box's entry is its frame and title; its controls stay.
        EXPECT_FALSE(group->frameShown()) << where;
        EXPECT_FALSE(w->isHidden()) << where;
      } else {
        EXPECT_TRUE(w->isHidden()) << where;
        EXPECT_FALSE(w->isEnabled()) << where;
      }
    }
    Dialogs s;
    s.state.accessTable[static_cast<size_t>(c.control - 1003)] = AccessEntry{0, 1};
    auto d = Make(c.dialog, s);
    QWidget* w = FindControl(d.get(), c.control);
    EXPECT_FALSE(w->isHidden()) << where;
    switch (c.locked) {
      case Look::ReadOnly:
        EXPECT_TRUE(qobject_cast<QLineEdit*>(w)->isReadOnly()) << where;
        EXPECT_TRUE(w->isEnabled()) << where;
        break;
      case Look::Disabled:
        EXPECT_FALSE(w->isEnabled()) << where;
        break;
      case Look::LockedBox:
        EXPECT_TRUE(IsLocked(w)) << where;
        EXPECT_TRUE(w->isEnabled()) << where;
        break;
      case Look::LeftAlone:
        EXPECT_TRUE(w->isEnabled()) << where;
        EXPECT_FALSE(w->property("zelkorLocked").toBool()) << where;
        break;
      case Look::GreyTitle:
        EXPECT_TRUE(dynamic_cast<ControlGroup*>(w)->titleGreyed()) << where;
        EXPECT_TRUE(w->isEnabled()) << "the controls inside stay as they are: " << where;
        break;
    }
    s.state.accessLevel = 1;  // the full level sees and edits everything
    auto full = Make(c.dialog, s);
    EXPECT_FALSE(FindControl(full.get(), c.control)->isHidden()) << where;
  }
}

// A control the table hides or locks stays so whatever the dialog's own
// handlers enable: the mortality switch, the auxiliary box, the retry boxes.
TEST(AccessLevels, LockedAndHiddenControlsStayAfterEveryHandlerThatEnables) {
  {
    Dialogs s;
    s.config.mortalityEnabled = true;
    s.config.holdInMortality = false;
    s.config.mortalityTriggerHours = 6;
    for (int id : {1073, 1076, 1077, 1079, 1171}) s.state.accessTable[static_cast<size_t>(id - 1003)] = {0, 1};
    MortalityDialog d(s.config, false, s.state);
    d.show();
    d.enabled()->click();
    d.enabled()->click();  // off and on again
    for (QWidget* w : std::initializer_list<QWidget*>{d.hold(), d.slow(), d.dutyCycle(), d.spinner()})
      EXPECT_FALSE(w->isEnabled()) << ControlIdOf(w);
    d.hold()->click();  // a disabled box takes no click
    d.spin(+1);
    d.accept();
    EXPECT_FALSE(s.config.holdInMortality);
    EXPECT_TRUE(s.config.mortalityEnabled);
  }
  {
    Dialogs s;
    s.config.primaryRateHours = 2;
    s.state.accessTable[1066 - 1003] = {0, 1};  // the "Auxiliary Schedule" button
    s.state.accessTable[1062 - 1003] = {1, 1};  // retry delay hidden
    s.state.accessTable[1063 - 1003] = {0, 1};  // maximum retries read-only
    GpsFixScheduleDialog d(s.ctx());
    d.show();
    d.auxiliary()->click();
    EXPECT_TRUE(d.auxiliary()->isChecked());
    EXPECT_FALSE(d.auxiliaryButton()->isEnabled()) << "checking the box enabled a locked button";
    d.retries()->click();
    EXPECT_TRUE(d.retries()->isChecked());
    EXPECT_FALSE(d.retryDelay()->isVisible());
    EXPECT_FALSE(d.retryDelay()->isEnabled());
    EXPECT_TRUE(d.maxRetries()->isReadOnly());
    d.retryDelay()->setEnabled(true);  // even a change made around the guard is undone
    EXPECT_FALSE(d.retryDelay()->isEnabled());
  }
  Dialogs s;
  s.config.auxRateHours = 2;
  s.state.accessTable[1085 - 1003] = {0, 1};
  AuxScheduleDialog d(s.ctx(), 2, 0);
  d.retries()->click();
  d.retries()->click();
  EXPECT_TRUE(d.retryDelay()->isReadOnly());
}

// Values the user cannot see or edit are not stored from whatever the field
// holds: a disabled retry field keeps the configuration's value unless it
// holds a number in range.
TEST(RetryFields, ADisabledFieldKeepsTheConfigurationsValue) {
  {
    Dialogs s;
    s.config.primaryRateHours = 2;
    s.config.retriesEnabled = true;
    s.config.retryDelayMinutes = 5;
    s.config.maxRetries = 3;
    GpsFixScheduleDialog d(s.ctx());
    d.retryDelay()->setText("300");
    d.maxRetries()->setText("200");
    d.retries()->click();  // retries off
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_FALSE(s.config.retriesEnabled);
    EXPECT_EQ(s.config.retryDelayMinutes, 5);
    EXPECT_EQ(s.config.maxRetries, 3);
  }
  Dialogs s;
  s.config.auxRateHours = 2;
  s.config.auxRetriesEnabled = true;
  s.config.auxRetryDelayMinutes = 7;
  s.config.auxMaxRetries = 4;
  AuxScheduleDialog d(s.ctx(), 2, 0);
  d.retryDelay()->setText("20");  // a number in range is kept
  d.maxRetries()->setText("-1");
  d.retries()->click();
  d.accept();
  EXPECT_EQ(s.config.auxRetryDelayMinutes, 20);
  EXPECT_EQ(s.config.auxMaxRetries, 4);
}

// The offset text is long and its field narrow: the start of the zone's name
// shows, and the whole of it is the tip.
TEST(OffsetText, ShowsItsStartAndTheWholeTextAsATip) {
  Dialogs s;
  s.store.set(kSettingsKey, "Offset UTC Text", "(GMT)Universal Time Coordinated(UTC)");
  TransmitterScheduleDialog d(s.ctx());
  QLineEdit* offset = qobject_cast<QLineEdit*>(FindControl(&d, 1249));
  ASSERT_NE(offset, nullptr);
  EXPECT_EQ(offset->cursorPosition(), 0);
  EXPECT_TRUE(offset->toolTip().startsWith("(GMT)Universal Time Coordinated(UTC)\n")) << offset->toolTip().toStdString();
  Dialogs fresh;
  TransmitterScheduleDialog unset(fresh.ctx());
  EXPECT_TRUE(qobject_cast<QLineEdit*>(FindControl(&unset, 1249))->toolTip().contains("Set Offset from UTC"))
      << "an empty zone says where to set it";
}

TEST(WarningDialog, HasOkAndHelp) {
  testing::App();
  WarningDialog d("text", HelpTopic::Transmitter);
  EXPECT_EQ(d.windowTitle(), "WARNING");
  EXPECT_EQ(d.helpButton()->text(), "Help");
}

}  // namespace
}  // namespace zelkor
