#include <gtest/gtest.h>

#include "app/access_file.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace zelkor {
namespace {

TEST(AccessFileParse, OneLineEndingInLineFeedRepeatsIntoTheNextEntry) {
  const AccessTable t = ParseAccessLevels("1005 1 1\n");
  EXPECT_EQ(t[0], (AccessEntry{1, 1}));
  EXPECT_EQ(t[1], (AccessEntry{1, 1}));
  EXPECT_EQ(t[2], (AccessEntry{0, 0}));
}

// The file is one stream of numbers read three at a time: a blank line is
// white space, not an entry, and a short line continues on the next.
TEST(AccessFileParse, BlankLinesAreSkippedAndAShortLineContinuesOnTheNext) {
  AccessTable t = ParseAccessLevels("1003 0 1\n\n1005 2 3");
  EXPECT_EQ(t[0], (AccessEntry{0, 1}));
  EXPECT_EQ(t[1], (AccessEntry{2, 3})) << "the blank line shifted the entries";
  EXPECT_EQ(t[2], (AccessEntry{0, 0}));

  t = ParseAccessLevels("1003 0\n1 ignored rest\n1004 1 0\n");
  EXPECT_EQ(t[0], (AccessEntry{0, 1}));
  EXPECT_EQ(t[1], (AccessEntry{1, 0}));

  // 1266 ("Enable Two Way GPS") keeps its own entry after blank lines.
  std::string text;
  for (int id = 1003; id <= 1268; ++id) text += std::to_string(id) + (id == 1266 ? " 1 1\n\n" : " 0 0\n\n");
  t = ParseAccessLevels(text);
  EXPECT_EQ(t[1266 - 1003], (AccessEntry{1, 1}));
  EXPECT_EQ(t[1265 - 1003], (AccessEntry{0, 0}));
}

TEST(AccessFileParse, AnEntryWithoutNumbersRepeatsThePreviousOneAndTrailingTextIsSkipped) {
  const AccessTable t = ParseAccessLevels("1003 0 1 trailing words\n1005 2 3\nnone\n1007 260 4");
  EXPECT_EQ(t[0], (AccessEntry{0, 1}));
  EXPECT_EQ(t[1], (AccessEntry{2, 3}));
  EXPECT_EQ(t[2], (AccessEntry{2, 3}));  // no numbers: repeats
  EXPECT_EQ(t[3], (AccessEntry{4, 4}));  // low 8 bits of 260
  EXPECT_EQ(t[4], (AccessEntry{0, 0}));  // no line feed after the last line
}

TEST(AccessFileParse, LinesBeyondTheLastControlAreIgnored) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += "1 " + std::to_string(i % 3) + " 1\n";
  const AccessTable t = ParseAccessLevels(text);
  EXPECT_EQ(t[265], (AccessEntry{static_cast<uint8_t>(265 % 3), 1}));
  EXPECT_EQ(t.size(), 266u);
}

TEST(AccessFileLoad, MissingFileWarnsWithThePathAndKeepsAnAllZeroTable) {
  testing::TempDir dir;
  AppState state;
  state.programDirectory = dir.dir();
  state.accessTable[3] = AccessEntry{5, 5};
  testing::ScriptedPrompter prompter;
  EXPECT_FALSE(LoadAccessLevels(state, prompter));
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text,
            "Unable to open the Access Level file - " + dir.dir() + "AccessLevel.txt!!");
  EXPECT_EQ(prompter.messages[0].caption, "Opening File Error");
  EXPECT_EQ(prompter.messages[0].icon, PromptIcon::Warning);
  EXPECT_EQ(state.accessTable[3], (AccessEntry{0, 0}));
}

TEST(AccessFileLoad, ReadOnlyFileIsStillRead) {
  testing::TempDir dir;
  dir.write("AccessLevel.txt", "1003 1 1\r\n1004 0 1\r\n");
  std::filesystem::permissions(dir.file("AccessLevel.txt"), std::filesystem::perms::owner_read);
  AppState state;
  state.programDirectory = dir.dir();
  testing::ScriptedPrompter prompter;
  EXPECT_TRUE(LoadAccessLevels(state, prompter));
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(state.accessTable[0], (AccessEntry{1, 1}));
  EXPECT_EQ(state.accessTable[1], (AccessEntry{0, 1}));
}

TEST(AccessRule, ShowLevelHidesEditLevelLocksAndMenusUseTheShowLevelOnly) {
  AppState state;
  state.accessTable[1266 - 1003] = AccessEntry{1, 0};
  state.accessTable[1100 - 1003] = AccessEntry{0, 1};
  EXPECT_EQ(state.accessFor(1266), ControlAccess::Hidden);
  EXPECT_EQ(state.accessFor(1100), ControlAccess::Locked);
  EXPECT_EQ(state.accessFor(1003), ControlAccess::Usable);
  EXPECT_FALSE(state.menuEnabledFor(1266));
  EXPECT_TRUE(state.menuEnabledFor(1100));
  state.accessLevel = 1;
  EXPECT_EQ(state.accessFor(1266), ControlAccess::Usable);
  EXPECT_TRUE(state.menuEnabledFor(1266));
}

}  // namespace
}  // namespace zelkor
