// The limits each schedule field takes, at their very edges, and the
// notices the hours raise: the values below are the dialogs' own table.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "aux_schedule_dialog.h"
#include "config/sample_config.h"
#include "config_dialog.h"
#include "gps_fix_schedule_dialog.h"
#include "qt_app.h"
#include "support/fake_files.h"
#include "support/fake_store.h"
#include "support/fixed_clock.h"
#include "support/recording_sink.h"
#include "support/scripted_prompter.h"
#include "transmitter_schedule_dialog.h"

namespace zelkor {
namespace {

class CountingWarner : public Warner {
 public:
  void warn(const std::string& text, HelpTopic) override { notices.push_back(text); }
  std::vector<std::string> notices;
};

struct Schedules {
  CollarConfig config = SampleCollarConfig();
  AppState state;
  testing::FakeStore store;
  testing::ScriptedPrompter prompter;
  CountingWarner warner;
  int month = 4, year = 26;
  std::unique_ptr<ScheduleContext> context;
  Schedules() {
    testing::App();
    store.set(kSettingsKey, "Hours", "0");
    config.retriesEnabled = true;
    config.auxRetriesEnabled = true;
    config.primaryRateHours = 20;
    config.auxRateHours = 20;
    config.retryDelayMinutes = 1;
    config.auxRetryDelayMinutes = 1;
  }
  ScheduleContext& ctx() {
    context = std::make_unique<ScheduleContext>(
        ScheduleContext{config, false, state, store, prompter, warner, month, year, {}});
    return *context;
  }
};

// OK with one field set to a value: accepted or not.
template <typename Dialog, typename Field>
bool Takes(Field field, const QString& value, int auxArg = -1) {
  Schedules s;
  std::unique_ptr<Dialog> d;
  if constexpr (std::is_same_v<Dialog, AuxScheduleDialog>)
    d = std::make_unique<Dialog>(s.ctx(), 20, 0);
  else
    d = std::make_unique<Dialog>(s.ctx());
  (void)auxArg;
  field(*d)->setText(value);
  d->accept();
  return d->result() == QDialog::Accepted;
}

TEST(ScheduleLimits, MaximumRetriesArePrimaryOneTo127AndAuxiliaryZeroTo127) {
  auto primary = [](GpsFixScheduleDialog& d) { return d.maxRetries(); };
  auto aux = [](AuxScheduleDialog& d) { return d.maxRetries(); };
  EXPECT_FALSE(Takes<GpsFixScheduleDialog>(primary, "0"));
  EXPECT_TRUE(Takes<GpsFixScheduleDialog>(primary, "1"));
  EXPECT_TRUE(Takes<GpsFixScheduleDialog>(primary, "127"));
  EXPECT_FALSE(Takes<GpsFixScheduleDialog>(primary, "128"));
  EXPECT_TRUE(Takes<AuxScheduleDialog>(aux, "0"));
  EXPECT_TRUE(Takes<AuxScheduleDialog>(aux, "127"));
  EXPECT_FALSE(Takes<AuxScheduleDialog>(aux, "128"));
  EXPECT_FALSE(Takes<AuxScheduleDialog>(aux, "-1"));
}

TEST(ScheduleLimits, RatesTakeFifteenMinutesOnTheirOwnSchedulesAndNoLessOnThePrimary) {
  for (const auto& [hours, minutes, primaryOk, auxOk] :
       std::vector<std::tuple<const char*, const char*, bool, bool>>{
           {"0", "15", true, true}, {"0", "14", false, true}, {"0", "5", false, true}, {"255", "59", true, true}}) {
    Schedules s;
    s.config.retriesEnabled = false;
    s.config.auxRetriesEnabled = false;
    GpsFixScheduleDialog primary(s.ctx());
    primary.rateHours()->setText(hours);
    primary.rateMinutes()->setText(minutes);
    primary.accept();
    EXPECT_EQ(primary.result() == QDialog::Accepted, primaryOk) << hours << " h " << minutes;
    AuxScheduleDialog aux(s.ctx(), 20, 0);
    aux.rateHours()->setText(hours);
    aux.rateMinutes()->setText(minutes);
    aux.accept();
    EXPECT_EQ(aux.result() == QDialog::Accepted, auxOk) << hours << " h " << minutes;
  }
}

TEST(ScheduleLimits, HoursRaiseTheirNoticeOnlyWhenTheyCrossMidnight) {
  for (const auto& [on, off, notices] :
       std::vector<std::tuple<const char*, const char*, size_t>>{{"7", "7", 0}, {"6", "7", 0}, {"8", "7", 1}}) {
    Schedules s;
    TransmitterScheduleDialog t(s.ctx());
    t.onHour()->setText(on);
    t.offHour()->setText(off);
    t.accept();
    EXPECT_EQ(t.result(), QDialog::Accepted);
    EXPECT_EQ(s.warner.notices.size(), notices) << "transmitter " << on << " to " << off;
    Schedules a;
    AuxScheduleDialog aux(a.ctx(), 20, 0);
    aux.startHour()->setText(on);
    aux.stopHour()->setText(off);
    aux.accept();
    EXPECT_EQ(a.warner.notices.size(), notices) << "auxiliary " << on << " to " << off;
  }
}

TEST(ScheduleLimits, TheAuxiliaryScheduleButtonFollowsItsBox) {
  Schedules s;
  s.config.auxWeekdays = {};
  GpsFixScheduleDialog d(s.ctx());
  const bool on = d.auxiliary()->isChecked();
  EXPECT_EQ(d.auxiliaryButton()->isEnabled(), on);
  s.prompter.answers = {PromptAnswer::Yes};
  d.auxiliary()->click();
  EXPECT_EQ(d.auxiliaryButton()->isEnabled(), d.auxiliary()->isChecked());
  d.auxiliary()->click();
  EXPECT_EQ(d.auxiliaryButton()->isEnabled(), d.auxiliary()->isChecked());
}

TEST(ScheduleLimits, AlmanacPeriodAndValidFixesTakeOneTo255) {
  for (const int id : {1026, 1027, 1025}) {
    for (const auto& [value, ok] : std::vector<std::pair<const char*, bool>>{
             {"0", false}, {"1", true}, {"255", true}, {"256", false}}) {
      Schedules s;
      testing::FakeFiles files;
      testing::FixedClock clock;
      testing::RecordingSink sink;
      ConfigFields fields = FieldsFrom(s.config);
      ConfigDialogContext hub{s.config, false, s.state, s.store, s.prompter, s.warner, files, clock, sink, {}, {}};
      ConfigDialog d(hub, fields);
      d.field(id)->setText(value);
      d.accept();
      EXPECT_EQ(d.result() == QDialog::Accepted, ok) << id << " = " << value;
    }
  }
}

}  // namespace
}  // namespace zelkor
