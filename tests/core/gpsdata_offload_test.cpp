#include <gtest/gtest.h>

#include "app/paths.h"
#include "gpsdata/offload_workflow.h"
#include "support/fake_link.h"
#include "support/fake_store.h"
#include "support/gps_image.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace zelkor {
namespace {

class FixedClock : public Clock {
 public:
  LocalDateTime now() const override { return {2006, 9, 5, 14, 3, 7}; }
};

struct Offload {
  testing::TempDir dir;
  testing::FakeStore store;
  testing::ScriptedPrompter prompter;
  testing::FakeLink link;
  FixedClock clock;
  AppState state;
  std::vector<std::string> viewed;
  std::vector<uint8_t> image = testing::GpsImage({testing::FixAt(6, 7, 5, 9, 3, 7, 40, true, 105, false),
                                                  testing::FixAt(6, 7, 5, 11, 3, 7, 40, true, 105, false)},
                                                 12345);
  Offload() {
    state.programDirectory = dir.dir();
    state.comPort = 2;
    std::string e;
    PrepareDataFolders(state.programDirectory, &e);
    // The collar delivers the image into the received-file path.
    link.onRun = [this](const LinkParams& p) {
      if (p.request == LinkRequest::Offload) dir.writeBytes("GPS Data/" + p.fileName, image);
    };
  }
  OffloadReport run(OffloadChoice c) {
    OffloadContext context{state, store, prompter, link, clock, [this](const std::string& p, const std::string&) { viewed.push_back(p); }};
    return RunOffload(c, context);
  }
  static OffloadChoice Choice(long blocks = 2) {
    OffloadChoice c;
    c.blocks = blocks;
    c.initialCount = 2;
    c.fileName = "deer 12";
    c.zoneText = "(GMT -07:00) Arizona";
    c.collarId = 12345;
    return c;
  }
};

TEST(OffloadZones, OffsetComesFromTheEntryText) {
  EXPECT_EQ(ZoneOffsetHours("(GMT -07:00) Arizona"), -7);
  EXPECT_EQ(ZoneOffsetHours("(GMT +10:00) Hobart"), 10);
  EXPECT_EQ(ZoneOffsetHours("(GMT +09:30) Adelaide"), 9);
  EXPECT_EQ(ZoneOffsetHours("(GMT -12:00) Eniwetok, Kwajalein"), -12);
  EXPECT_EQ(ZoneOffsetHours("(GMT) Universal Time Coordinated (UTC)"), 0);
  EXPECT_EQ(GpsBackupName(12345, {2006, 9, 5, 14, 3, 7}), "12345_9_5_2006_14_3_7.gps");
}

TEST(OffloadWorkflow, FetchesBacksUpOffersTheResetTranslatesAndViews) {
  Offload o;
  o.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
  o.link.results = {{true, true}, {true, false}};
  const OffloadReport r = o.run(Offload::Choice());
  EXPECT_EQ(r.outcome, OffloadOutcome::Viewed);
  ASSERT_EQ(o.link.requests.size(), 2u);
  EXPECT_EQ(o.link.requests[0].request, LinkRequest::Offload);
  EXPECT_EQ(o.link.requests[0].fileName, "deer 12.csv");
  EXPECT_EQ(o.link.requests[0].selectFlag, 0);
  EXPECT_EQ(o.link.requests[0].port, 2);
  EXPECT_EQ(o.link.requests[1].request, LinkRequest::ResetDataPointer);
  const std::string backup = o.dir.file("Backup/GPS Data/12345_9_5_2006_14_3_7.gps");
  EXPECT_EQ(testing::TempDir::ReadFile(backup), std::string(o.image.begin(), o.image.end()));
  EXPECT_EQ(o.store.get(kSettingsKey, "Lat or UTC Offload"), "0");
  ASSERT_EQ(o.viewed.size(), 1u);
  const std::string csv = o.dir.read("GPS Data/deer 12.csv");
  EXPECT_EQ(csv.rfind("2006,7,5,02,03,07,", 0), 0u);
  EXPECT_NE(csv.find("(GMT -07:00) Arizona\r\n"), std::string::npos);
  ASSERT_EQ(o.prompter.messages.size(), 3u);
  EXPECT_EQ(o.prompter.messages[0].text, "GPS data was successfully received. Would you like to reset the datapointer?");
  EXPECT_EQ(o.prompter.messages[1].text, "This will erase all data in the collar, are you sure you want to do this?");
  EXPECT_EQ(o.prompter.messages[2].text, "All data in the collar has been erased");
  EXPECT_EQ(o.prompter.messages[2].caption, "Data Erased");
}

TEST(OffloadWorkflow, RangeAndNameRules) {
  Offload o;
  EXPECT_EQ(o.run(Offload::Choice(8191)).outcome, OffloadOutcome::OutOfRange);
  EXPECT_EQ(o.run(Offload::Choice(-1)).outcome, OffloadOutcome::OutOfRange);
  EXPECT_TRUE(o.link.requests.empty());
  ASSERT_EQ(o.prompter.messages.size(), 2u);
  EXPECT_EQ(o.prompter.messages[0].text, "The number of data blocks cannot exceed 8190.");
  EXPECT_EQ(o.prompter.messages[0].caption, "Out of range");

  OffloadChoice c = Offload::Choice(8190);
  c.fileName = "deer.12";
  o.link.results = {{true, true}};
  o.run(c);
  ASSERT_EQ(o.link.requests.size(), 1u);
  EXPECT_EQ(o.link.requests[0].fileName, "deer.12");
  EXPECT_EQ(o.link.requests[0].selectFlag, 1) << "a count other than the collar's selects blocks";
  EXPECT_EQ(o.link.requests[0].datablocks, 8190);
}

TEST(OffloadWorkflow, DecliningTheOverwriteSendsNothing) {
  Offload o;
  o.dir.write("GPS Data/deer 12.csv", "earlier");
  o.prompter.answers = {PromptAnswer::No};
  EXPECT_EQ(o.run(Offload::Choice()).outcome, OffloadOutcome::OverwriteDeclined);
  EXPECT_TRUE(o.link.requests.empty());
  EXPECT_EQ(o.dir.read("GPS Data/deer 12.csv"), "earlier");
  EXPECT_EQ(o.prompter.messages[0].text, "The file deer 12.csv already exists. Would you want to overwrite the file?");
  EXPECT_EQ(o.prompter.messages[0].caption, "File Exists");
}

TEST(OffloadWorkflow, NothingReceivedStopsWithTheMessage) {
  Offload o;
  o.link.onRun = nullptr;
  o.link.results = {{true, false}};
  EXPECT_EQ(o.run(Offload::Choice()).outcome, OffloadOutcome::NotReceived);
  ASSERT_EQ(o.prompter.messages.size(), 1u);
  EXPECT_EQ(o.prompter.messages[0].text, "GPS data was not received from the collar.");
  EXPECT_EQ(o.prompter.messages[0].caption, "ERROR");
}

TEST(OffloadWorkflow, NoResetIsOfferedWithoutAVerifiedBackup) {
  Offload o;
  std::filesystem::remove_all(o.dir.file("Backup/GPS Data"));
  o.link.results = {{true, true}};
  o.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
  const OffloadReport r = o.run(Offload::Choice());
  EXPECT_EQ(o.link.requests.size(), 1u) << "the collar was reset without a backup";
  EXPECT_FALSE(r.resetDone);
  ASSERT_GE(o.prompter.messages.size(), 3u);
  EXPECT_EQ(o.prompter.messages[0].text, "Could not create a backup gps data file.");
  EXPECT_EQ(o.prompter.messages[1].caption, "Reset DataPointer");
  EXPECT_FALSE(o.prompter.messages[1].question);
  EXPECT_EQ(o.prompter.messages[2].text, "Error opening the GPS data in file! Can not view the data!");
  EXPECT_EQ(o.prompter.messages[2].caption, "View GPS Data");
  EXPECT_TRUE(o.viewed.empty());
}

TEST(OffloadWorkflow, ZeroBlocksAsksNoResetQuestionAndLeavesNoBinaryUnderTheCsvName) {
  Offload o;
  o.image = testing::GpsImage({}, 12345);
  o.link.results = {{true, true}};
  OffloadChoice c = Offload::Choice(0);
  c.initialCount = 0;
  EXPECT_EQ(o.run(c).outcome, OffloadOutcome::Viewed);
  for (const auto& m : o.prompter.messages) EXPECT_FALSE(m.question) << m.text;
  EXPECT_EQ(o.dir.read("GPS Data/deer 12.csv"),
            "\r\n0 blocks translated to Latitude and Longitude format.\r\n\r\n(GMT -07:00) Arizona\r\n");
}

TEST(OffloadWorkflow, BadChecksAreReportedAndTheDataStillShown) {
  Offload o;
  auto bad = testing::FixAt(6, 7, 5, 9, 3, 7, 40, true, 105, false);
  bad.goodCheck = false;
  o.image = testing::GpsImage({bad}, 12345);
  o.link.results = {{true, true}};
  o.prompter.answers = {PromptAnswer::No};
  OffloadChoice c = Offload::Choice(1);
  c.initialCount = 1;
  c.form = OutputForm::Utm;
  EXPECT_EQ(o.run(c).outcome, OffloadOutcome::Viewed);
  EXPECT_EQ(o.store.get(kSettingsKey, "Lat or UTC Offload"), "1");
  EXPECT_EQ(o.prompter.messages.back().text, "There was a checksum error in the vehicle data. You can still view the data.");
  EXPECT_EQ(o.viewed.size(), 1u);
}

}  // namespace
}  // namespace zelkor

namespace zelkor {
namespace {

TEST(OffloadWorkflow, FileNamesMustStayInsideTheGpsDataFolder) {
  for (const char* name : {"../escape", "sub/dir", "a\\b", "..hidden", ""}) {
    Offload o;
    OffloadChoice c = Offload::Choice();
    c.fileName = name;
    EXPECT_EQ(o.run(c).outcome, OffloadOutcome::BadFileName) << name;
    EXPECT_TRUE(o.link.requests.empty()) << name;
    ASSERT_EQ(o.prompter.messages.size(), 1u);
    EXPECT_EQ(o.prompter.messages[0].caption, "Invalid file name");
  }
}

TEST(OffloadWorkflow, ShortReceivedFileIsTranslatedButTheCollarIsNotReset) {
  Offload o;
  o.image.resize(o.image.size() - 10);  // the last block is cut
  o.link.results = {{true, true}};
  o.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
  const OffloadReport r = o.run(Offload::Choice());
  EXPECT_EQ(o.link.requests.size(), 1u) << "the collar was reset although data was missing";
  EXPECT_FALSE(r.resetDone);
  EXPECT_EQ(o.prompter.messages[0].text,
            "The collar's data pointer was not reset, because the received GPS data holds fewer blocks than its "
            "header announces.");
  EXPECT_EQ(r.outcome, OffloadOutcome::Viewed);
  EXPECT_EQ(r.translation.rows, 1u);
}

TEST(OffloadWorkflow, EveryTranslationResultMapsToItsMessage) {
  EXPECT_STREQ(TranslateResultMessage(TranslateResult::InputOpenFailed),
               "Error opening the GPS data in file! Can not view the data!");
  EXPECT_STREQ(TranslateResultMessage(TranslateResult::OutputOpenFailed),
               "Error opening the GPS data out file! Can not view the data!");
  EXPECT_STREQ(TranslateResultMessage(TranslateResult::WriteFailed),
               "Error writing the GPS data out file! Can not view the data!");
  EXPECT_STREQ(TranslateResultMessage(TranslateResult::ChecksumMismatch),
               "There was a checksum error in the vehicle data. You can still view the data.");
  EXPECT_EQ(TranslateResultMessage(TranslateResult::Ok), nullptr);
}

}  // namespace
}  // namespace zelkor
