#include <gtest/gtest.h>

#include "app/paths.h"
#include "link/collar_sequences.h"
#include "support/fake_collar.h"
#include "support/fake_link.h"
#include "support/gps_image.h"
#include "support/recording_sink.h"
#include "support/scripted_prompter.h"

namespace zelkor {
namespace {

using testing::FakeLink;
using testing::RecordingSink;
using testing::ScriptedPrompter;

struct Reset {
  testing::TempDir dir;
  ScriptedPrompter prompter;
  testing::FakeCollar collar{dir.dir()};
  Reset() {
    std::string e;
    PrepareDataFolders(dir.dir(), &e);
    collar.memory = testing::GpsImage({testing::FixAt(6, 7, 5, 9, 3, 7, 40, true, 105, false)}, 321);
  }
  bool run() {
    prompter.answers.push_front(PromptAnswer::Yes);
    return RunResetSequence(prompter, collar, 2, dir.dir());
  }
  // A backup holding exactly what a read of the collar gives.
  void backUp(const std::string& name, bool sameAsCollar = true) {
    std::vector<uint8_t> image = collar.memory;
    while (image.size() % 128) image.push_back(0x1A);
    if (!sameAsCollar) image[70] ^= 1;
    dir.writeBytes("Backup/GPS Data/" + name, image);
  }
};

TEST(ResetSequence, AnsweringNoOpensNoLinkAndNoIsTheDefault) {
  Reset r;
  r.prompter.answers = {PromptAnswer::No};
  EXPECT_FALSE(RunResetSequence(r.prompter, r.collar, 2, r.dir.dir()));
  EXPECT_TRUE(r.collar.log.empty());
  ASSERT_EQ(r.prompter.messages.size(), 1u);
  EXPECT_EQ(r.prompter.messages[0].text, "This will erase all data in the collar, are you sure you want to do this?");
  EXPECT_EQ(r.prompter.messages[0].caption, "Reset DataPointer");
  EXPECT_EQ(r.prompter.messages[0].buttons, PromptButtons::YesNo);
  EXPECT_EQ(r.prompter.messages[0].more.defaultAnswer, PromptAnswer::No);
}

TEST(ResetSequence, ErasesWhenTheMemoryEqualsTheNewestBackupWithThePortHeldThroughout) {
  Reset r;
  r.backUp("321_1_1_2006_1_0_0.gps", false);  // older, different
  r.backUp("321_9_5_2006_14_3_7.gps");
  EXPECT_TRUE(r.run()) << r.prompter.all();
  EXPECT_EQ(r.collar.log, (std::vector<std::string>{"hold 2", "DownloadConfig", "Offload", "Reset", "release 2"}));
  EXPECT_EQ(r.collar.requests[1].datablocks, 1) << "the read expects the blocks the configuration announces";
  EXPECT_NE(r.collar.requests[1].fileName.find(".scratch-"), std::string::npos) << "this job's own file";
  EXPECT_EQ(r.collar.pointer(), 64u);
  EXPECT_EQ(r.prompter.messages.back().text, "All data in the collar has been erased.");
  EXPECT_EQ(r.prompter.messages.back().caption, "Data Erased");
  EXPECT_EQ(testing::TempDir::List(r.dir.file("GPS Data")), std::vector<std::string>{});
}

TEST(ResetSequence, UnsavedDataIsNeverErased) {
  for (int variant = 0; variant < 3; ++variant) {
    Reset r;
    if (variant == 1) r.backUp("321_9_5_2006_14_3_7.gps", false);                          // newest differs
    if (variant == 2) r.backUp("999_9_5_2006_14_3_7.gps");                                 // another collar's
    EXPECT_FALSE(r.run()) << variant;
    // Without a backup of this collar nothing is even read.
    EXPECT_EQ(r.collar.log, variant == 1 ? (std::vector<std::string>{"hold 2", "DownloadConfig", "Offload", "release 2"})
                                         : (std::vector<std::string>{"hold 2", "DownloadConfig", "release 2"}))
        << variant;
    EXPECT_NE(r.collar.pointer(), 64u);
    EXPECT_EQ(r.prompter.messages.back().text, "This collar holds data that has not been saved; offload it first.");
    if (variant != 1) {
      EXPECT_NE(r.prompter.messages.back().more.details.find("No backup of collar 321 exists; offload it first"),
                std::string::npos)
          << r.prompter.all();
    }
  }
  // The newest backup counts, not any: an old equal copy with new data since.
  Reset r;
  r.backUp("321_1_1_2006_1_0_0.gps");
  r.backUp("321_1_1_2006_1_0_0-2.gps", false);
  EXPECT_FALSE(r.run());
}

TEST(ResetSequence, AnEmptyMemoryIsErasedWithoutABackup) {
  Reset r;
  r.collar.memory = testing::GpsImage({}, 321);
  EXPECT_TRUE(r.run());
  EXPECT_EQ(r.collar.log, (std::vector<std::string>{"hold 2", "DownloadConfig", "Reset", "release 2"}));
}

TEST(ResetSequence, AFailedOrCancelledReadErasesNothing) {
  for (bool cancel : {false, true}) {
    Reset r;
    r.backUp("321_9_5_2006_14_3_7.gps");
    (cancel ? r.collar.cancelReads : r.collar.failReads) = {1};
    EXPECT_FALSE(r.run());
    EXPECT_EQ(r.collar.log, (std::vector<std::string>{"hold 2", "DownloadConfig", "Offload", "release 2"}));
    EXPECT_EQ(r.prompter.messages.back().text,
              cancel ? "The reset was cancelled. Nothing was erased." : "Error sending command. Did not reset the datapointer.");
  }
}

TEST(ResetSequence, ALostReplyIsReportedAsWhatActuallyHappened) {
  Reset r;
  r.backUp("321_9_5_2006_14_3_7.gps");
  r.collar.resetReplyLost = true;
  EXPECT_TRUE(r.run());
  EXPECT_EQ(r.prompter.messages.back().text, "All data in the collar has been erased.");
  EXPECT_NE(r.prompter.messages.back().more.details.find("reply was lost"), std::string::npos);
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
    testing::TempDir dir;
    std::string e;
    PrepareDataFolders(dir.dir(), &e);
    ScriptedPrompter prompter;
    FakeLink link;
    link.results = {c.result};
    // A received record lands where the request said.
    link.onRun = [&](const LinkParams& p) {
      if (c.result.fileReceived) dir.write("Backup/Collar Config/" + p.fileName, std::string(64, '\x01'));
    };
    RecordingSink sink;
    ConfigDownloadState state;
    state.viewOnly = true;
    RunConfigDownloadChoice(c.choice, 3, dir.dir(), state, link, prompter, sink);
    ASSERT_EQ(link.requests.size(), 1u);
    EXPECT_EQ(link.requests[0].request, LinkRequest::DownloadConfig);
    EXPECT_EQ(link.requests[0].fileName.rfind("CollarConfig.cfg.scratch-", 0), 0u) << "this job's own file";
    EXPECT_EQ(link.requests[0].port, 3);
    EXPECT_EQ(state.downloadedConfigPath, ConfigBackupDir(dir.dir()) + "CollarConfig.cfg");
    EXPECT_EQ(state.record.size(), c.result.fileReceived ? 64u : 0u);
    EXPECT_EQ(testing::TempDir::List(dir.file("Backup/Collar Config")),
              c.result.fileReceived ? std::vector<std::string>{"CollarConfig.cfg"} : std::vector<std::string>{})
        << "the record is published under the known name; no scratch file stays";
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
