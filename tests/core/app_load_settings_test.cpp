#include <gtest/gtest.h>

#include "app/load_settings.h"
#include "app/security_level.h"
#include "support/fake_store.h"
#include "support/recording_sink.h"
#include "support/scripted_prompter.h"
#include "util/text.h"

namespace zelkor {
namespace {

using testing::FakeStore;
using testing::RecordingSink;
using testing::ScriptedPrompter;

struct StartRun {
  StartKind kind;
  int utcDialogRuns = 0;
};

StartRun Start(AppState& state, FakeStore& store, ScriptedPrompter& prompter, RecordingSink& sink) {
  StartRun r{};
  r.kind = LoadSettings(state, store, prompter, sink, [&] { ++r.utcDialogRuns; });
  return r;
}

// No installer makes the key here: a store without it is a new user, whose
// first start asks for the time zone and the port; the next start is normal.
TEST(FirstRunDetection, NoTopKeyIsAFirstRunAndTheNextStartIsNormal) {
  FakeStore store;
  ScriptedPrompter prompter;
  RecordingSink sink;
  AppState state;
  StartRun r = Start(state, store, prompter, sink);
  EXPECT_EQ(r.kind, StartKind::FirstRun);
  EXPECT_TRUE(store.keyExists(kTopKey));
  EXPECT_EQ(sink.posted, std::vector<int>{kCmdComPort});
  EXPECT_EQ(r.utcDialogRuns, 1);
  EXPECT_EQ(store.get(kSettingsKey, "Offset UTC Text"), "(GMT)Universal Time Coordinated(UTC)");

  RecordingSink second;
  store.set(kSettingsKey, "ComPort", "4");
  r = Start(state, store, prompter, second);
  EXPECT_EQ(r.kind, StartKind::Normal);
  EXPECT_EQ(second.posted, std::vector<int>{kCmdCollarCommands});
  EXPECT_EQ(state.comPort, 4);
  EXPECT_EQ(r.utcDialogRuns, 0);
  EXPECT_TRUE(prompter.messages.empty());
}

TEST(FirstRunDetection, ThePortDialogIsQueuedOnlyOnceTheTimeZoneDialogHasClosed) {
  FakeStore store;
  ScriptedPrompter prompter;
  RecordingSink sink;
  AppState state;
  size_t postedWhileUtcOpen = 99;
  LoadSettings(state, store, prompter, sink, [&] { postedWhileUtcOpen = sink.posted.size(); });
  EXPECT_EQ(postedWhileUtcOpen, 0u);
  EXPECT_EQ(sink.posted, std::vector<int>{kCmdComPort});
}

TEST(FirstRunDetection, FirstTimeTrueWritesTheTenDefaultsInOrder) {
  FakeStore store;
  store.set(kTopKey, "FirstTime", "TRUE");
  ScriptedPrompter prompter;
  RecordingSink sink;
  AppState state;
  EXPECT_EQ(Start(state, store, prompter, sink).kind, StartKind::FirstRun);
  const std::string top = kTopKey, s = kSettingsKey, p = kPrintSettingsKey;
  const std::vector<std::pair<std::string, std::string>> expected = {
      {top + "|FirstTime", "FALSE"},
      {s + "|ComPort", "0"},
      {s + "|Hours", "0"},
      {s + "|Lat or UTC Offload", "0"},
      {s + "|Minutes", "0"},
      {s + "|Offset UTC Text", "(GMT)Universal Time Coordinated(UTC)"},
      {s + "|UTC", "15"},
      {p + "|Print Aux Cal", "1"},
      {p + "|Print Collar Config", "1"},
      {p + "|Print Trans Cal", "1"},
  };
  EXPECT_EQ(store.writes, expected);
}

TEST(FirstRunDetection, LowerCaseTrueIsANormalStart) {
  FakeStore store;
  store.set(kTopKey, "FirstTime", "true");
  store.set(kSettingsKey, "ComPort", "3");
  ScriptedPrompter prompter;
  RecordingSink sink;
  AppState state;
  EXPECT_EQ(Start(state, store, prompter, sink).kind, StartKind::Normal);
  EXPECT_EQ(state.comPort, 3);
  EXPECT_EQ(sink.posted, std::vector<int>{kCmdCollarCommands});
  EXPECT_TRUE(store.writes.empty());
}

TEST(FirstRunDetection, FailedWritesGiveOneMessageAfterTheUtcDialog) {
  FakeStore store;
  store.createKey(kTopKey);
  store.failWrites = true;
  ScriptedPrompter prompter;
  RecordingSink sink;
  AppState state;
  int messagesWhenDialogRan = -1;
  LoadSettings(state, store, prompter, sink,
               [&] { messagesWhenDialogRan = static_cast<int>(prompter.messages.size()); });
  EXPECT_EQ(store.writes.size(), 10u);  // the sequence goes on after a failure
  EXPECT_EQ(messagesWhenDialogRan, 0);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text,
            "There was an error writing to the registry.  You will be asked to select a com port "
            "next time the program starts.");
  EXPECT_EQ(prompter.messages[0].caption, "");
}

// atoi rules, and a number that names no port (below COM1, past COM36, an
// int's largest) reads as COM1 rather than overflowing into "COM-2147483648".
TEST(NormalStart, ComPortTextIsReadWithAtoiRules) {
  for (const auto& [text, port] : std::vector<std::pair<std::string, int>>{
           {"abc", 0}, {"2", 2}, {" 7x", 7}, {"35", 35}, {"-1", 0}, {"36", 0}, {"2147483647", 0}}) {
    FakeStore store;
    store.set(kTopKey, "FirstTime", "FALSE");
    store.set(kSettingsKey, "ComPort", text);
    ScriptedPrompter prompter;
    RecordingSink sink;
    AppState state;
    state.comPort = 9;
    Start(state, store, prompter, sink);
    EXPECT_EQ(state.comPort, port) << "ComPort = \"" << text << "\"";
  }
}

TEST(NormalStart, MissingComPortKeepsThePortAndUnreadableGivesZero) {
  FakeStore store;
  store.set(kTopKey, "FirstTime", "FALSE");
  ScriptedPrompter prompter;
  RecordingSink sink;
  AppState state;
  state.comPort = 4;
  Start(state, store, prompter, sink);
  EXPECT_EQ(state.comPort, 4);
  store.markUnreadable(kSettingsKey, "ComPort");
  Start(state, store, prompter, sink);
  EXPECT_EQ(state.comPort, 0);
}

TEST(AccessWord, KovaAndZondSetTheLevelInAnyCaseOthersWarnAndClear) {
  ScriptedPrompter prompter;
  int level = 0;
  AccessWordResult r = ApplyAccessWord("zond", level, prompter);
  EXPECT_TRUE(r.accepted);
  EXPECT_EQ(r.shownWord, "ZOND");
  EXPECT_EQ(level, 1);
  r = ApplyAccessWord("Kova", level, prompter);
  EXPECT_EQ(r.shownWord, "KOVA");
  EXPECT_EQ(level, 0);
  EXPECT_TRUE(prompter.messages.empty());

  level = 1;
  r = ApplyAccessWord("zonda", level, prompter);
  EXPECT_FALSE(r.accepted);
  EXPECT_EQ(r.shownWord, "");
  EXPECT_EQ(level, 1);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text, "Invalid password entered, Try again.");
  EXPECT_EQ(prompter.messages[0].caption, "Invalid Password");
  EXPECT_EQ(prompter.messages[0].icon, PromptIcon::Warning);
}

TEST(AtoiRulesText, FollowsTheCLibrary) {
  EXPECT_EQ(AtoiRules("-05"), -5);
  EXPECT_EQ(AtoiRules("+09"), 9);
  EXPECT_EQ(AtoiRules(""), 0);
  EXPECT_EQ(AtoiRules("  12abc"), 12);
  EXPECT_EQ(AtoiRules("- 3"), 0);
  EXPECT_EQ(AtoiRules("99999999999"), 2147483647);
}

}  // namespace
}  // namespace zelkor
