#include <gtest/gtest.h>

#include "config/schedule_rules.h"
#include "support/fake_store.h"

namespace zelkor {
namespace {

TEST(ScheduleRules, PrimaryRateNeedsFifteenMinutes) {
  EXPECT_EQ(CheckPrimaryRate(0, 14, false, 0, 0), RateCheck::BelowMinimum);
  EXPECT_EQ(CheckPrimaryRate(0, 15, false, 0, 0), RateCheck::Ok);
  EXPECT_EQ(CheckPrimaryRate(1, 0, false, 0, 0), RateCheck::Ok);
}

TEST(ScheduleRules, RetriesMustEndBeforeTheNextFix) {
  EXPECT_EQ(CheckPrimaryRate(1, 0, true, 6, 10), RateCheck::RetriesPastNextFix);  // 60 >= 60
  EXPECT_EQ(CheckPrimaryRate(1, 0, true, 5, 10), RateCheck::Ok);
  EXPECT_EQ(CheckPrimaryRate(1, 0, false, 127, 255), RateCheck::Ok);
  EXPECT_EQ(CheckAuxRate(0, 0, true, 0, 1), RateCheck::RetriesPastNextFix);  // 0 >= 0
  EXPECT_EQ(CheckAuxRate(0, 0, false, 0, 1), RateCheck::Ok);
}

TEST(ScheduleRules, LocalAndUtcHoursWrapOneStep) {
  EXPECT_EQ(UtcHour(20, -5), 1);
  EXPECT_EQ(UtcHour(23, -5), 4);
  EXPECT_EQ(UtcHour(22, -5), 3);
  EXPECT_EQ(UtcHour(2, -5), 7);
  EXPECT_EQ(UtcHour(18, -5), 23);
  EXPECT_EQ(UtcHour(20, -5), 1);
  EXPECT_EQ(LocalHour(6, 2), 8);
  EXPECT_EQ(LocalHour(18, 2), 20);
  EXPECT_EQ(UtcHour(8, 2), 6);
  EXPECT_EQ(UtcHour(17, -5), 22);
  EXPECT_EQ(UtcHour(21, -5), 2);
  EXPECT_EQ(LocalHour(1, -5), 20);
}

TEST(ScheduleRules, TransmitterTimeByVersion) {
  CollarConfig c;
  c.softwareVersion = 150;
  EXPECT_TRUE(StoreTransmitterTimeValue(c, 300));
  EXPECT_EQ(c.transmitterOnAfterPowerUpHours, 255);
  EXPECT_FALSE(StoreTransmitterTimeValue(c, 255));
  EXPECT_EQ(TransmitterTimeValue(c), 255);
  c.softwareVersion = 200;
  EXPECT_FALSE(StoreTransmitterTimeValue(c, 100));
  EXPECT_EQ(c.releaseHours, 2400u);
  EncodeConfig(c);
  EXPECT_EQ(c.raw[22], 0x09);
  EXPECT_EQ(c.raw[23], 0x60);
  c.releaseHours = 2423;
  EXPECT_EQ(TransmitterTimeValue(c), 100);
}

TEST(ScheduleRules, MortalitySpinStaysWithinOneToSixtyThree) {
  EXPECT_EQ(SpinMortalityHours(1, -1), 1);
  EXPECT_EQ(SpinMortalityHours(63, 1), 63);
  EXPECT_EQ(SpinMortalityHours(0, 1), 1);
  CollarConfig c;
  c.mortalityTriggerHours = 2.5f;
  EXPECT_EQ(MortalityHoursShown(c), 2);
}

TEST(ScheduleRules, OffsetSettings) {
  testing::FakeStore store;
  int h = 9;
  EXPECT_FALSE(ReadUtcOffsetHours(store, &h));
  EXPECT_EQ(h, 0);
  store.set(kSettingsKey, "Hours", "-05");
  EXPECT_TRUE(ReadUtcOffsetHours(store, &h));
  EXPECT_EQ(h, -5);
  EXPECT_EQ(ReadOffsetText(store), "");
  store.markUnreadable(kSettingsKey, "Offset UTC Text");
  EXPECT_EQ(ReadOffsetText(store), "Error");
  EXPECT_EQ(MonthNames()[1], "Feburary");
  EXPECT_EQ(YearNames().size(), 101u);
}

TEST(ScheduleRules, ClearingTheAuxiliaryScheduleKeepsItsRate) {
  CollarConfig c;
  c.auxWeekdays[3] = true;
  c.auxDays.setQuarter(5, 2, true);
  c.auxRateHours = 3;
  EXPECT_TRUE(AuxiliaryScheduleOn(c));
  ClearAuxiliarySchedule(c);
  EXPECT_FALSE(AuxiliaryScheduleOn(c));
  EXPECT_FALSE(c.auxDays.day(5, 20));
  EXPECT_EQ(c.auxRateHours, 3);
}

}  // namespace
}  // namespace zelkor
