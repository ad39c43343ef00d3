#include <gtest/gtest.h>

#include "link/collar_sequences.h"
#include "support/fake_link.h"
#include "support/recording_sink.h"
#include "support/scripted_prompter.h"

namespace zelkor {
namespace {

using testing::FakeLink;
using testing::RecordingSink;
using testing::ScriptedPrompter;

TEST(ResetSequence, AnsweringNoOpensNoLink) {
  ScriptedPrompter prompter;
  prompter.answers = {PromptAnswer::No};
  FakeLink link;
  RunResetSequence(prompter, link, 2);
  EXPECT_TRUE(link.requests.empty());
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text, "This will erase all data in the collar, are you sure you want to do this?");
  EXPECT_EQ(prompter.messages[0].caption, "Reset DataPointer");
  EXPECT_EQ(prompter.messages[0].buttons, PromptButtons::YesNo);
}

TEST(ResetSequence, YesSendsTheResetAndReportsBothOutcomes) {
  for (bool received : {true, false}) {
    ScriptedPrompter prompter;
    prompter.answers = {PromptAnswer::Yes};
    FakeLink link;
    link.results = {{received, false}};
    RunResetSequence(prompter, link, 2);
    ASSERT_EQ(link.requests.size(), 1u);
    EXPECT_EQ(link.requests[0].request, LinkRequest::ResetDataPointer);
    EXPECT_EQ(link.requests[0].port, 2);
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[1].text, received ? "All data in the collar has been erased."
                                                  : "Error sending command. Did not reset the datapointer.");
    EXPECT_EQ(prompter.messages[1].caption, received ? "Data Erased" : "Error");
  }
}

TEST(AlmanacSequence, RetryAsksAgainAfterEveryFailureUntilCancel) {
  ScriptedPrompter prompter;
  prompter.answers = {PromptAnswer::Retry, PromptAnswer::Retry, PromptAnswer::Cancel};
  FakeLink link;
  RunAlmanacSend(prompter, link, 0);
  EXPECT_EQ(link.requests.size(), 3u);
  ASSERT_EQ(prompter.messages.size(), 3u);
  for (const auto& m : prompter.messages) {
    EXPECT_EQ(m.text, "Error: Load almanac command was not received");
    EXPECT_EQ(m.caption, "Almanac Command");
    EXPECT_EQ(m.buttons, PromptButtons::RetryCancel);
  }
}

TEST(AlmanacSequence, SuccessAfterARetryIsAnnounced) {
  ScriptedPrompter prompter;
  prompter.answers = {PromptAnswer::Retry};
  FakeLink link;
  link.results = {{false, false}, {true, false}};
  RunAlmanacSend(prompter, link, 0);
  EXPECT_EQ(link.requests.size(), 2u);
  ASSERT_EQ(prompter.messages.size(), 2u);
  EXPECT_EQ(prompter.messages[1].text, "Load almanac command has been sent");
  EXPECT_FALSE(prompter.messages[1].question);
}

TEST(TwoWaySequence, SilentCollarGivesNoMessage) {
  FakeLink link;
  RunTwoWaySend(link, 4);
  ASSERT_EQ(link.requests.size(), 1u);
  EXPECT_EQ(link.requests[0].request, LinkRequest::TwoWayGps);
  EXPECT_EQ(link.requests[0].port, 4);
}

struct ChoiceCase {
  CollarChoice choice;
  LinkResult result;
  const char* message;  // nullptr: no message
  int next;
};

TEST(ConfigDownloadChoice, OutcomeTable) {
  const ChoiceCase cases[] = {
      {CollarChoice::OffloadGpsData, {false, false},
       "The collar did not receive the command. Offload GPS data canceled!", kCmdCollarCommands},
      {CollarChoice::OffloadGpsData, {true, false}, "Did not receive the GPS data file. Offload GPS data canceled!",
       kCmdCollarCommands},
      {CollarChoice::OffloadGpsData, {true, true}, nullptr, kCmdOffloadGpsData},
      {CollarChoice::ViewConfig, {false, false},
       "The collar did not receive the command. View collar config is canceled!", kCmdCollarCommands},
      {CollarChoice::EditConfig, {true, false},
       "Did not receive the collar config data file. View collar config is canceled!", kCmdCollarCommands},
      {CollarChoice::EditConfig, {true, true}, nullptr, kCmdCollarConfiguration},
  };
  for (const ChoiceCase& c : cases) {
    ScriptedPrompter prompter;
    FakeLink link;
    link.results = {c.result};
    RecordingSink sink;
    ConfigDownloadState state;
    state.viewOnly = true;
    RunConfigDownloadChoice(c.choice, 3, "/p/", state, link, prompter, sink);
    ASSERT_EQ(link.requests.size(), 1u);
    EXPECT_EQ(link.requests[0].request, LinkRequest::DownloadConfig);
    EXPECT_EQ(link.requests[0].fileName, "CollarConfig.cfg");
    EXPECT_EQ(link.requests[0].port, 3);
    EXPECT_EQ(state.downloadedConfigPath, "/p/Backup/Collar Config/CollarConfig.cfg");
    if (c.choice == CollarChoice::EditConfig) {
      EXPECT_FALSE(state.viewOnly);
    }
    if (c.choice == CollarChoice::OffloadGpsData) {
      EXPECT_TRUE(state.viewOnly) << "offload leaves viewOnly";
    }
    EXPECT_EQ(sink.posted, std::vector<int>{c.next});
    if (c.message) {
      ASSERT_EQ(prompter.messages.size(), 1u);
      EXPECT_EQ(prompter.messages[0].text, c.message);
      EXPECT_EQ(prompter.messages[0].caption, "GPS data");
    } else {
      EXPECT_TRUE(prompter.messages.empty());
    }
  }
}

}  // namespace
}  // namespace zelkor
