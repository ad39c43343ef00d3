#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "qt_app.h"
#include "security_level_dialog.h"
#include "support/fake_store.h"
#include "support/scripted_prompter.h"
#include "utc_offset_dialog.h"

namespace zelkor {
namespace {

using testing::App;

TEST(UtcOffsetDialog, OpensAtTheStoredZoneAndCancelStoresNothing) {
  App();
  testing::FakeStore store;
  store.set(kSettingsKey, "UTC", "6");
  testing::ScriptedPrompter prompter;
  AppState state;
  UtcOffsetDialog dialog(state, store, prompter);
  EXPECT_EQ(dialog.windowTitle(), "Offset from UTC");
  EXPECT_EQ(dialog.zoneList()->currentIndex(), 6);
  dialog.zoneList()->setCurrentIndex(30);
  EXPECT_EQ(dialog.values().hours, "+09");
  dialog.reject();
  EXPECT_TRUE(store.writes.empty());
}

TEST(UtcOffsetDialog, OkStoresTheChosenZone) {
  App();
  testing::FakeStore store;
  testing::ScriptedPrompter prompter;
  AppState state;
  UtcOffsetDialog dialog(state, store, prompter);
  EXPECT_EQ(dialog.zoneList()->currentIndex(), 15);
  dialog.zoneList()->setCurrentIndex(30);
  dialog.accept();
  EXPECT_EQ(store.get(kSettingsKey, "UTC"), "30");
  EXPECT_EQ(store.get(kSettingsKey, "Hours"), "+09");
  EXPECT_EQ(store.get(kSettingsKey, "Minutes"), "30");
  EXPECT_EQ(store.get(kSettingsKey, "Offset UTC Text"), "(GMT +09:30) Adelaide");
}

TEST(UtcOffsetDialog, StoredIndex99OpensWithoutSelectionAndOkStoresMinusOne) {
  App();
  testing::FakeStore store;
  store.set(kSettingsKey, "UTC", "99");
  testing::ScriptedPrompter prompter;
  AppState state;
  UtcOffsetDialog dialog(state, store, prompter);
  EXPECT_EQ(dialog.zoneList()->currentIndex(), -1);
  dialog.accept();
  EXPECT_EQ(store.get(kSettingsKey, "UTC"), "-1");
  EXPECT_EQ(store.get(kSettingsKey, "Hours"), "0");
  EXPECT_EQ(store.get(kSettingsKey, "Minutes"), "0");
  EXPECT_EQ(store.get(kSettingsKey, "Offset UTC Text"), "(GMT) Universal Time Coordinated (UTC)");
}

TEST(SecurityLevelDialog, LowerCaseWordIsAcceptedAndShownUpperCase) {
  App();
  testing::ScriptedPrompter prompter;
  int level = 0;
  SecurityLevelDialog dialog(level, prompter);
  EXPECT_EQ(dialog.windowTitle(), "Security Level");
  EXPECT_EQ(dialog.levelField()->text(), "0");
  dialog.passwordField()->setText("zond");
  dialog.changeButton()->click();
  EXPECT_EQ(dialog.passwordField()->text(), "ZOND");
  EXPECT_EQ(dialog.levelField()->text(), "1");
  EXPECT_EQ(level, 1);
  dialog.passwordField()->setText("wrong");
  dialog.changeButton()->click();
  EXPECT_EQ(dialog.passwordField()->text(), "");
  EXPECT_EQ(level, 1);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].caption, "Invalid Password");
}

}  // namespace
}  // namespace zelkor
