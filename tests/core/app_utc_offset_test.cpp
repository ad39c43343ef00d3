#include <gtest/gtest.h>

#include "app/utc_offset.h"
#include "config/schedule_rules.h"
#include "support/fake_store.h"
#include "support/scripted_prompter.h"

namespace zelkor {
namespace {

using testing::FakeStore;
using testing::ScriptedPrompter;

std::vector<std::pair<std::string, std::string>> StoreChoice(FakeStore& store, AppState& state,
                                                              int index,
                                                              ScriptedPrompter& prompter) {
  const UtcOffsetValues v = DeriveUtcOffset(state, index);
  StoreUtcOffset(store, prompter, index, v);
  return store.writes;
}

TEST(UtcOffset, TheListHas38EntriesWithTheirOriginalSpelling) {
  const auto& e = TimeZoneEntries();
  ASSERT_EQ(e.size(), 38u);
  EXPECT_EQ(e[15], "(GMT) Universal Time Coordinated (UTC)");
  EXPECT_EQ(e[24], "(GMT +05:00) Islamabad, Karachi, Ekaterinburg, Tashkent");
  EXPECT_EQ(e[27], "(GMT +08:00) Beijing, Chongquing, Urumqi");
}

TEST(UtcOffset, AdelaideStoresItsIndexHoursMinutesAndTextInOrder) {
  FakeStore store;
  ScriptedPrompter prompter;
  AppState state;
  const std::string s = kSettingsKey;
  const std::vector<std::pair<std::string, std::string>> expected = {
      {s + "|UTC", "30"},
      {s + "|Hours", "+09"},
      {s + "|Minutes", "30"},
      {s + "|Offset UTC Text", "(GMT +09:30) Adelaide"},
  };
  EXPECT_EQ(StoreChoice(store, state, 30, prompter), expected);
  int hours = 0;
  EXPECT_TRUE(ReadUtcOffsetHours(store, &hours));
  EXPECT_EQ(hours, 9);
  EXPECT_TRUE(prompter.messages.empty());
}

TEST(UtcOffset, TheUtcEntryStoresZeroHoursAndMinutes) {
  FakeStore store;
  ScriptedPrompter prompter;
  AppState state;
  const std::string s = kSettingsKey;
  const std::vector<std::pair<std::string, std::string>> expected = {
      {s + "|UTC", "15"},
      {s + "|Hours", "0"},
      {s + "|Minutes", "0"},
      {s + "|Offset UTC Text", "(GMT) Universal Time Coordinated (UTC)"},
  };
  EXPECT_EQ(StoreChoice(store, state, 15, prompter), expected);
}

TEST(UtcOffset, NoSelectionKeepsTheLastDerivationOfTheRun) {
  FakeStore store;
  ScriptedPrompter prompter;
  AppState state;
  // First opening of the run with no selection: the UTC entry's values.
  UtcOffsetValues v = DeriveUtcOffset(state, -1);
  EXPECT_EQ(v.offsetText, "(GMT) Universal Time Coordinated (UTC)");
  EXPECT_EQ(v.hours, "0");
  StoreUtcOffset(store, prompter, -1, v);
  EXPECT_EQ(store.get(kSettingsKey, "UTC"), "-1");
  // After Eastern Time was derived, no selection keeps it.
  DeriveUtcOffset(state, 11);
  v = DeriveUtcOffset(state, -1);
  EXPECT_EQ(v.offsetText, "(GMT -05:00) Eastern Time (US & Canada)");
  EXPECT_EQ(v.hours, "-05");
  EXPECT_EQ(v.minutes, "00");
}

TEST(UtcOffset, StoredIndexComesFromTheUtcValueOrDefaultsTo15) {
  FakeStore store;
  EXPECT_EQ(StoredTimeZoneIndex(store), 15);
  store.set(kSettingsKey, "UTC", "99");
  EXPECT_EQ(StoredTimeZoneIndex(store), 99);
  store.set(kSettingsKey, "UTC", "6");
  EXPECT_EQ(StoredTimeZoneIndex(store), 6);
}

TEST(UtcOffset, FailedWritesShowOneMessageAndStillTryEveryWrite) {
  FakeStore store;
  store.failWrites = true;
  ScriptedPrompter prompter;
  AppState state;
  StoreChoice(store, state, 3, prompter);
  EXPECT_EQ(store.writes.size(), 4u);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text,
            "There was an error writing to the registry.  UTC register settings were not saved!");
  EXPECT_EQ(prompter.messages[0].caption, "");
}

}  // namespace
}  // namespace zelkor
