#include <gtest/gtest.h>

#include "config/schedule_rules.h"
#include "support/fake_store.h"

namespace zelkor {
namespace {

TEST(ScheduleRules, AnAuxiliaryRateOfZeroIsRefusedOnlyWithRetries) {
  EXPECT_EQ(CheckAuxRate(0, 0, true, 0, 1), RateCheck::RetriesPastNextFix);  // 0 >= 0
  EXPECT_EQ(CheckAuxRate(0, 0, false, 0, 1), RateCheck::Ok);
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

}  // namespace
}  // namespace zelkor
