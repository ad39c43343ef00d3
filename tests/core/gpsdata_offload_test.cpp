#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "app/paths.h"
#include "gpsdata/offload_workflow.h"
#include "support/fake_collar.h"
#include "support/fake_store.h"
#include "support/gps_image.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace zelkor {
namespace {

using testing::TempDir;

class FixedClock : public Clock {
 public:
  LocalDateTime now() const override { return {2006, 9, 5, 14, 3, 7}; }
};

// Flips one byte of a block, the way a damaged packet that passed its
// one-byte checksum would.
void FlipByte(std::vector<uint8_t>& image) { image[64 + 20] ^= 0x40; }
void FlipAnother(std::vector<uint8_t>& image) { image[64 + 40] ^= 0x08; }

struct Offload {
  TempDir dir;
  testing::FakeStore store;
  testing::ScriptedPrompter prompter;
  FixedClock clock;
  AppState state;
  testing::FakeCollar collar{dir.dir()};
  std::vector<std::string> viewed;
  Offload() {
    state.programDirectory = dir.dir();
    state.comPort = 2;
    std::string e;
    PrepareDataFolders(state.programDirectory, &e);
    collar.memory = testing::GpsImage({testing::FixAt(6, 7, 5, 9, 3, 7, 40, true, 105, false),
                                       testing::FixAt(6, 7, 5, 11, 3, 7, 40, true, 105, false)},
                                      12345);
  }
  std::vector<std::string> statusLines;
  // The season store's side: whether it takes the data (or lists it), and
  // the user's cancel; both are noted in the collar's log, in order.
  bool keepSafe = true;
  bool keepWaiting = false;  // not kept, but listed to go in later
  bool askWhileWaiting = false;
  bool cancelBeforeErase = false;
  std::vector<bool> keptConfirmed;
  OffloadReport run(OffloadChoice c) {
    OffloadContext context{state, store, prompter, collar, clock,
                           [this](const std::string& p, const std::string&) { viewed.push_back(p); },
                           [this](const std::string& line) { statusLines.push_back(line); }};
    context.keep = [this](const std::vector<uint8_t>&, const std::string&, bool confirmed) {
      collar.log.push_back("kept");
      keptConfirmed.push_back(confirmed);
      return KeepResult{keepSafe,
                        keepSafe      ? "kept"
                        : keepWaiting ? "the store could not be reached; the backup waits"
                                      : "the store could not be reached nor the backup listed",
                        keepWaiting};
    };
    context.cancelled = [this] { return cancelBeforeErase; };
    context.askEraseWhileWaiting = askWhileWaiting;
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
  // What a clean read of the collar delivers: its memory, padded to whole packets.
  std::vector<uint8_t> cleanImage() const {
    std::vector<uint8_t> image = collar.memory;
    while (image.size() % 128) image.push_back(0x1A);
    return image;
  }
  std::string csv() const { return dir.read("GPS Data/deer 12.csv"); }
  std::string expectedCsv(const std::vector<uint8_t>& image) const {
    return TranslateGpsImage(image, OutputForm::LatLon, ShiftHours(-7), "(GMT -07:00) Arizona").csv;
  }
  std::vector<std::string> gpsData() const { return TempDir::List(dir.file("GPS Data")); }
  std::vector<std::string> backups() const { return TempDir::List(dir.file("Backup/GPS Data")); }
};

TEST(OffloadZones, OffsetComesFromTheEntryText) {
  EXPECT_EQ(ZoneOffset("(GMT -07:00) Arizona"), ShiftHours(-7));
  EXPECT_EQ(ZoneOffset("(GMT +10:00) Hobart"), ShiftHours(10));
  EXPECT_EQ(ZoneOffset("(GMT +09:30) Adelaide"), ShiftMinutes(9 * 60 + 30)) << "half-hour zones keep their minutes";
  EXPECT_EQ(ZoneOffset("(GMT -12:00) Eniwetok, Kwajalein"), ShiftHours(-12));
  EXPECT_EQ(ZoneOffset("(GMT) Universal Time Coordinated (UTC)"), UtcShift{});
  EXPECT_EQ(GpsBackupName(12345, {2006, 9, 5, 14, 3, 7}), "12345_9_5_2006_14_3_7.gps");
}

TEST(OffloadWorkflow, FetchesBacksUpConfirmsWithASecondReadErasesTranslatesAndViews) {
  Offload o;
  const std::vector<uint8_t> clean = o.cleanImage();
  o.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
  const OffloadReport r = o.run(Offload::Choice());
  EXPECT_EQ(r.outcome, OffloadOutcome::Viewed) << o.prompter.all();
  EXPECT_EQ(o.collar.log, (std::vector<std::string>{"Offload", "Offload", "kept", "Reset"}))
      << "the erase comes last, after the store";
  EXPECT_EQ(o.collar.requests[0].fileName.rfind("deer 12.csv.incoming.scratch-", 0), 0u)
      << "received beside the CSV under a name of this job's own: " << o.collar.requests[0].fileName;
  EXPECT_NE(o.collar.requests[1].fileName, o.collar.requests[0].fileName) << "each read has its own file";
  EXPECT_EQ(o.collar.requests[0].selectFlag, 0);
  EXPECT_EQ(o.collar.requests[0].port, 2);
  EXPECT_EQ(o.collar.requests[1].datablocks, o.collar.requests[0].datablocks) << "the second read repeats the first";
  EXPECT_TRUE(r.resetDone);
  EXPECT_TRUE(r.confirmed);
  EXPECT_EQ(o.keptConfirmed, std::vector<bool>{true});
  EXPECT_EQ(r.reads, 2);
  EXPECT_EQ(o.collar.pointer(), 64u);
  EXPECT_EQ(o.backups(), std::vector<std::string>{"12345_9_5_2006_14_3_7.gps"});
  EXPECT_EQ(o.dir.read("Backup/GPS Data/12345_9_5_2006_14_3_7.gps"), std::string(clean.begin(), clean.end()));
  EXPECT_EQ(o.gpsData(), std::vector<std::string>{"deer 12.csv"}) << "no temporary file stays behind";
  EXPECT_EQ(o.csv().rfind("2006,7,5,02,03,07,", 0), 0u);
  EXPECT_NE(o.csv().find("(GMT -07:00) Arizona\r\n"), std::string::npos);
  EXPECT_EQ(o.store.get(kSettingsKey, "Lat or UTC Offload"), "0");
  ASSERT_EQ(o.viewed.size(), 1u);
  ASSERT_EQ(o.prompter.messages.size(), 3u) << o.prompter.all();
  EXPECT_EQ(o.prompter.messages[0].text, "GPS data was successfully received. Would you like to reset the datapointer?");
  EXPECT_EQ(o.prompter.messages[1].text, "This will erase all data in the collar, are you sure you want to do this?");
  for (int i : {0, 1}) {
    EXPECT_EQ(o.prompter.messages[i].more.defaultAnswer, PromptAnswer::No) << "erase questions default to No";
    EXPECT_EQ(o.prompter.messages[i].more.details,
              "Erase the 2 fixes stored in collar 12345? The collar is read once more, and erased only when that "
              "read agrees and the backup, the CSV and the season store are written.");
  }
  EXPECT_EQ(o.statusLines, std::vector<std::string>{"2 fixes of collar 12345 written to " +
                                                    o.dir.file("GPS Data/deer 12.csv") +
                                                    " (confirmed by two reads); the collar was erased. kept"});
  EXPECT_EQ(o.prompter.messages[2].text, "All data in the collar has been erased");
  EXPECT_EQ(o.prompter.messages[2].caption, "Data Erased");
}

TEST(OffloadWorkflow, NoToTheResetQuestionReadsOnceAndKeepsTheData) {
  Offload o;
  o.prompter.answers = {PromptAnswer::No};
  const OffloadReport r = o.run(Offload::Choice());
  EXPECT_EQ(r.outcome, OffloadOutcome::Viewed);
  EXPECT_EQ(o.collar.log, (std::vector<std::string>{"Offload", "kept"}));
  EXPECT_NE(o.collar.pointer(), 64u);
  EXPECT_FALSE(r.confirmed) << "a clean single read is trusted as it is";
}

// The collar is erased only when two reads agree; the CSV and the backup
// always come from the agreed image.
TEST(EraseGuard, ADamagedSecondReadIsOutvotedByTheThird) {
  Offload o;
  const std::vector<uint8_t> clean = o.cleanImage();
  o.collar.damage = {nullptr, FlipByte, nullptr};
  o.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
  const OffloadReport r = o.run(Offload::Choice());
  EXPECT_EQ(o.collar.log, (std::vector<std::string>{"Offload", "Offload", "Offload", "kept", "Reset"}));
  EXPECT_TRUE(r.resetDone);
  EXPECT_EQ(o.csv(), o.expectedCsv(clean));
  EXPECT_EQ(o.backups().size(), 1u);
}

TEST(EraseGuard, ADamagedFirstReadIsReplacedByTheTwoThatAgree) {
  Offload o;
  const std::vector<uint8_t> clean = o.cleanImage();
  o.collar.damage = {FlipByte, nullptr, nullptr};
  o.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
  const OffloadReport r = o.run(Offload::Choice());
  EXPECT_TRUE(r.resetDone);
  EXPECT_EQ(o.csv(), o.expectedCsv(clean)) << "the CSV must come from the reads that agree";
  // The backup is written once, from the reads that agree.
  EXPECT_EQ(o.backups(), std::vector<std::string>{"12345_9_5_2006_14_3_7.gps"});
  EXPECT_EQ(r.backupPath, o.dir.file("Backup/GPS Data/12345_9_5_2006_14_3_7.gps"));
  EXPECT_EQ(o.dir.read("Backup/GPS Data/12345_9_5_2006_14_3_7.gps"), std::string(clean.begin(), clean.end()));
  EXPECT_TRUE(o.prompter.saw("The first read of the collar's memory was damaged"));
}

TEST(EraseGuard, ReadsThatAllDifferEraseNothing) {
  Offload o;
  const uint32_t pointer = o.collar.pointer();
  // Every read differs from every other: five reads, then no erase.
  o.collar.damage = {nullptr, FlipByte, FlipAnother, [](std::vector<uint8_t>& i) { i[64 + 50] ^= 2; },
                     [](std::vector<uint8_t>& i) { i[64 + 60] ^= 4; }};
  o.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
  const OffloadReport r = o.run(Offload::Choice());
  EXPECT_EQ(o.collar.log,
            (std::vector<std::string>{"Offload", "Offload", "Offload", "Offload", "Offload", "kept"}))
      << "the clean first read is kept; nothing is erased";
  EXPECT_FALSE(r.resetDone);
  EXPECT_EQ(o.collar.pointer(), pointer);
  EXPECT_TRUE(o.prompter.saw("5 reads of the collar's memory gave 5 different results")) << o.prompter.all();
  EXPECT_FALSE(r.failure.empty());
}

TEST(EraseGuard, ACancelledOrFailedSecondReadErasesNothing) {
  for (bool cancel : {true, false}) {
    Offload o;
    (cancel ? o.collar.cancelReads : o.collar.failReads) = {2};
    o.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
    const OffloadReport r = o.run(Offload::Choice());
    // A cancel stops the offload; a failed second read leaves the clean
    // first read's data, unerased.
    EXPECT_EQ(o.collar.log, cancel ? (std::vector<std::string>{"Offload", "Offload"})
                                   : (std::vector<std::string>{"Offload", "Offload", "kept"}))
        << cancel;
    EXPECT_FALSE(r.resetDone);
    EXPECT_EQ(r.cancelled, cancel);
    EXPECT_EQ(r.outcome, cancel ? OffloadOutcome::Cancelled : OffloadOutcome::Viewed);
    EXPECT_EQ(o.gpsData().size(), cancel ? 0u : 1u);
    EXPECT_TRUE(o.prompter.saw(cancel ? "Nothing was erased and no file was written." : "too many errors on one packet"))
        << o.prompter.all();
  }
}

TEST(EraseGuard, ALostResetReplyIsCheckedByReadingTheConfigurationBack) {
  struct Case {
    bool ignored, configFails;
    bool erased;
    const char* message;
  };
  for (const Case& c : {Case{false, false, true, "All data in the collar has been erased"},
                        Case{true, false, false, "Error sending command. Did not reset the datapointer."},
                        Case{false, true, false, "Error sending command. Did not reset the datapointer."}}) {
    Offload o;
    o.collar.resetReplyLost = true;
    o.collar.resetIgnored = c.ignored;
    o.collar.configDownloadFails = c.configFails;
    o.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
    const OffloadReport r = o.run(Offload::Choice());
    EXPECT_EQ(o.collar.log.back(), "DownloadConfig");
    EXPECT_EQ(r.resetDone, c.erased) << c.message;
    EXPECT_TRUE(o.prompter.saw(c.message)) << o.prompter.all();
    EXPECT_EQ(TempDir::List(o.dir.file("Backup/Collar Config")), std::vector<std::string>{})
        << "the check leaves no file behind";
  }
}

TEST(EraseGuard, FewerBlocksThanTheCollarHoldsAreNeverFollowedByAnErase) {
  Offload o;
  o.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
  const OffloadReport r = o.run(Offload::Choice(1));
  EXPECT_EQ(o.collar.log, (std::vector<std::string>{"Offload", "kept"}));
  EXPECT_FALSE(r.resetDone);
  for (const auto& m : o.prompter.messages) EXPECT_FALSE(m.question) << m.text;
  EXPECT_TRUE(o.prompter.saw("only 1 of the 2 blocks the collar holds were read"));
}

TEST(EraseGuard, NoEraseWithoutAVerifiedBackupButTheCsvIsStillWritten) {
  Offload o;
  const std::vector<uint8_t> clean = o.cleanImage();
  std::filesystem::remove_all(o.dir.file("Backup/GPS Data"));
  o.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
  const OffloadReport r = o.run(Offload::Choice());
  EXPECT_EQ(o.collar.log, (std::vector<std::string>{"Offload", "Offload"})) << "no backup: no store, no erase";
  EXPECT_FALSE(r.resetDone);
  ASSERT_EQ(o.prompter.messages.size(), 3u) << o.prompter.all();
  EXPECT_EQ(o.prompter.messages[2].text, "Could not create a backup gps data file.");
  EXPECT_NE(o.prompter.messages[2].more.details.find("Backup"), std::string::npos) << "names the folder";
  EXPECT_NE(o.prompter.messages[2].more.details.find("The collar was not erased."), std::string::npos);
  EXPECT_EQ(r.outcome, OffloadOutcome::Viewed);
  EXPECT_EQ(o.csv(), o.expectedCsv(clean));
}

// Where the line shows damage (a read that needed retransmissions) the
// one-byte sum may have let some through: the data is read again, and kept
// only when two reads agree.
TEST(VerifiedReads, ANoisyFirstReadIsConfirmedBeforeAnythingIsKept) {
  {
    Offload o;
    const std::vector<uint8_t> clean = o.cleanImage();
    o.collar.damage = {FlipByte, nullptr, nullptr};  // the damage that passed the sum
    o.collar.retransmissions = {3};
    o.prompter.answers = {PromptAnswer::No};
    const OffloadReport r = o.run(Offload::Choice());
    EXPECT_EQ(o.collar.log, (std::vector<std::string>{"Offload", "Offload", "Offload", "kept"}));
    EXPECT_TRUE(r.confirmed);
    EXPECT_EQ(o.keptConfirmed, std::vector<bool>{true});
    EXPECT_EQ(o.csv(), o.expectedCsv(clean)) << "the true data, not the first read's";
    EXPECT_EQ(o.dir.read("Backup/GPS Data/12345_9_5_2006_14_3_7.gps"), std::string(clean.begin(), clean.end()));
  }
  {
    // A clean first read costs nothing extra; --verify never trusts any
    // single read, --verify always confirms every one.
    for (const auto& [mode, repeated, reads] :
         std::vector<std::tuple<VerifyMode, int, size_t>>{{VerifyMode::Auto, 0, 1u},
                                                          {VerifyMode::Never, 5, 1u},
                                                          {VerifyMode::Always, 0, 2u}}) {
      Offload o;
      o.collar.retransmissions = {repeated};
      o.prompter.answers = {PromptAnswer::No};
      OffloadChoice c = Offload::Choice();
      c.verify = mode;
      const OffloadReport r = o.run(c);
      EXPECT_EQ(r.outcome, OffloadOutcome::Viewed);
      EXPECT_EQ(static_cast<size_t>(r.reads), reads) << static_cast<int>(mode);
    }
  }
}

TEST(VerifiedReads, UnconfirmedDataFromANoisyLineIsKeptAsideAndNothingElse) {
  Offload o;
  o.collar.damage = {FlipByte, FlipAnother, nullptr};
  o.collar.retransmissions = {2};
  o.prompter.answers = {PromptAnswer::No};
  o.collar.failReads = {3};  // the next read breaks off
  const OffloadReport r = o.run(Offload::Choice());
  EXPECT_EQ(r.outcome, OffloadOutcome::Unconfirmed);
  EXPECT_EQ(o.gpsData(), std::vector<std::string>{}) << "no CSV";
  EXPECT_TRUE(o.keptConfirmed.empty()) << "nothing for the store";
  EXPECT_EQ(o.backups(), std::vector<std::string>{"12345_9_5_2006_14_3_7.unconfirmed.gps"})
      << "kept aside under a name no reset takes for a backup";
  EXPECT_TRUE(o.prompter.saw("could not be confirmed")) << o.prompter.all();
}

TEST(VerifiedReads, AConfirmingReadThatBreaksOffIsComparedAsFarAsItWent) {
  for (const bool damaged : {false, true}) {
    Offload o;
    o.collar.failReads = {2};
    o.collar.partialBytes = 128;  // the header and both blocks
    o.collar.damage = {nullptr, damaged ? FlipAnother : nullptr};
    o.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
    const OffloadReport r = o.run(Offload::Choice());
    EXPECT_FALSE(r.resetDone);
    EXPECT_EQ(r.differsFromBlock, damaged ? 2u : 0u) << "byte 104 lies in block 2 (bytes 96-127)";
    EXPECT_EQ(o.prompter.saw("The two reads differ from block"), damaged) << o.prompter.all();
    EXPECT_TRUE(o.gpsData().size() == 1u) << "the clean first read is still translated";
  }
}

// Erase last: the backup, the CSV and the store first; then nobody may
// have cancelled.
// Each read says which step it is, in its window and the status bar: the
// second read says that an erase waits on it.
TEST(OffloadStages, EachReadNamesItsStep) {
  Offload o;
  o.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
  o.run(Offload::Choice());
  std::vector<std::string> stages;
  for (const LinkParams& p : o.collar.requests)
    if (p.request == LinkRequest::Offload) stages.push_back(p.stage);
  EXPECT_EQ(stages, (std::vector<std::string>{"Reading the collar's memory (first read)",
                                              "Reading it again to confirm before erasing (second read)"}));
}

TEST(EraseLast, NoEraseWhenTheStoreCannotTakeItNorAfterACancel) {
  {
    Offload o;
    o.keepSafe = false;
    o.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
    const OffloadReport r = o.run(Offload::Choice());
    EXPECT_EQ(o.collar.log, (std::vector<std::string>{"Offload", "Offload", "kept"}));
    EXPECT_FALSE(r.resetDone);
    EXPECT_TRUE(o.prompter.saw("The collar was not erased, because its fixes are not in the season store."))
        << o.prompter.all();
  }
  // Listed to go in later is not in the store: no erase without asking, and
  // the question (where it is asked) defaults to No.
  for (const bool ask : {false, true}) {
    for (const PromptAnswer answer : {PromptAnswer::No, PromptAnswer::Yes}) {
      Offload o;
      o.keepSafe = false;
      o.keepWaiting = true;
      o.askWhileWaiting = ask;
      o.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes, answer};
      const OffloadReport r = o.run(Offload::Choice());
      const bool erased = ask && answer == PromptAnswer::Yes;
      EXPECT_EQ(r.resetDone, erased) << ask << " " << static_cast<int>(answer);
      EXPECT_EQ(o.collar.pointer() == 64u, erased);
      EXPECT_EQ(o.prompter.saw("Erase the collar anyway?"), ask) << o.prompter.all();
      if (ask) {
        const auto& q = o.prompter.messages[2];
        EXPECT_EQ(q.more.defaultAnswer, PromptAnswer::No);
      }
      if (!ask) break;
    }
  }
  {
    Offload o;
    o.cancelBeforeErase = true;
    o.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
    const OffloadReport r = o.run(Offload::Choice());
    EXPECT_EQ(o.collar.log, (std::vector<std::string>{"Offload", "Offload", "kept"}));
    EXPECT_TRUE(r.cancelled);
    EXPECT_FALSE(r.resetDone);
    EXPECT_NE(o.collar.pointer(), 64u);
    EXPECT_TRUE(o.prompter.saw("Cancelled; nothing was erased.")) << o.prompter.all();
    EXPECT_EQ(o.gpsData(), std::vector<std::string>{"deer 12.csv"}) << "the data is written all the same";
  }
}

TEST(OffloadWorkflow, RangeAndNameRules) {
  Offload o;
  EXPECT_EQ(o.run(Offload::Choice(8191)).outcome, OffloadOutcome::OutOfRange);
  EXPECT_EQ(o.run(Offload::Choice(-1)).outcome, OffloadOutcome::OutOfRange);
  EXPECT_TRUE(o.collar.requests.empty());
  ASSERT_EQ(o.prompter.messages.size(), 2u);
  EXPECT_EQ(o.prompter.messages[0].text, "The number of data blocks cannot exceed 8190.");
  EXPECT_EQ(o.prompter.messages[0].caption, "Out of range");
  EXPECT_EQ(o.prompter.messages[1].text, "The number of data blocks must be a whole number from 0 to 8190.");

  OffloadChoice c = Offload::Choice(8190);
  c.fileName = "deer.12";
  o.run(c);
  ASSERT_EQ(o.collar.requests.size(), 1u);
  EXPECT_EQ(o.collar.requests[0].fileName.rfind("deer.12.incoming.scratch-", 0), 0u);
  EXPECT_EQ(o.collar.requests[0].selectFlag, 1) << "a count other than the collar's selects blocks";
  EXPECT_EQ(o.collar.requests[0].datablocks, 8190);
}

TEST(OffloadWorkflow, FileNamesMustStayInsideTheGpsDataFolder) {
  for (const char* name : {"../escape", "sub/dir", "a\\b", "..", ".", ""}) {
    Offload o;
    OffloadChoice c = Offload::Choice();
    c.fileName = name;
    EXPECT_EQ(o.run(c).outcome, OffloadOutcome::BadFileName) << name;
    EXPECT_TRUE(o.collar.requests.empty()) << name;
    ASSERT_EQ(o.prompter.messages.size(), 1u);
    EXPECT_EQ(o.prompter.messages[0].caption, "Invalid file name");
  }
  Offload o;
  OffloadChoice c = Offload::Choice();
  c.fileName = "elk..2026";
  o.prompter.answers = {PromptAnswer::No};
  EXPECT_EQ(o.run(c).outcome, OffloadOutcome::Viewed) << "two dots inside a name are no way up";
}

TEST(OffloadWorkflow, DecliningTheOverwriteSendsNothing) {
  Offload o;
  o.dir.write("GPS Data/deer 12.csv", "earlier");
  o.prompter.answers = {PromptAnswer::No};
  EXPECT_EQ(o.run(Offload::Choice()).outcome, OffloadOutcome::OverwriteDeclined);
  EXPECT_TRUE(o.collar.requests.empty());
  EXPECT_EQ(o.csv(), "earlier");
  EXPECT_EQ(o.prompter.messages[0].text, "The file deer 12.csv already exists. Would you want to overwrite the file?");
  EXPECT_EQ(o.prompter.messages[0].caption, "File Exists");
  EXPECT_EQ(o.prompter.messages[0].more.defaultAnswer, PromptAnswer::No)
      << "Enter keeps a CSV the user may have edited";
}

TEST(OffloadWorkflow, AnOverwrittenFileStaysUntilItsReplacementIsWhole) {
  Offload o;
  o.dir.write("GPS Data/deer 12.csv", "earlier");
  o.collar.failReads = {1};
  o.prompter.answers = {PromptAnswer::Yes};
  EXPECT_EQ(o.run(Offload::Choice()).outcome, OffloadOutcome::NotReceived);
  EXPECT_EQ(o.csv(), "earlier");
}

TEST(OffloadWorkflow, NothingReceivedStopsWithTheMessageAndTheReceiversReason) {
  Offload o;
  o.collar.failReads = {1};
  const OffloadReport r = o.run(Offload::Choice());
  EXPECT_EQ(r.outcome, OffloadOutcome::NotReceived);
  ASSERT_EQ(o.prompter.messages.size(), 1u);
  EXPECT_EQ(o.prompter.messages[0].text, "GPS data was not received from the collar.");
  EXPECT_EQ(o.prompter.messages[0].caption, "ERROR");
  EXPECT_NE(o.prompter.messages[0].more.details.find("too many errors on one packet"), std::string::npos);
  EXPECT_TRUE(o.gpsData().empty());
  EXPECT_TRUE(o.backups().empty());
}

TEST(OffloadWorkflow, ACancelledTransferWritesNothing) {
  Offload o;
  o.collar.cancelReads = {1};
  EXPECT_EQ(o.run(Offload::Choice()).outcome, OffloadOutcome::Cancelled);
  EXPECT_TRUE(o.gpsData().empty());
  EXPECT_TRUE(o.backups().empty());
  EXPECT_TRUE(o.prompter.saw("cancelled"));
}

TEST(OffloadWorkflow, ZeroBlocksAsksNoResetQuestionAndLeavesNoBinaryUnderTheCsvName) {
  Offload o;
  o.collar.memory = testing::GpsImage({}, 12345);
  OffloadChoice c = Offload::Choice(0);
  c.initialCount = 0;
  EXPECT_EQ(o.run(c).outcome, OffloadOutcome::Viewed);
  for (const auto& m : o.prompter.messages) EXPECT_FALSE(m.question) << m.text;
  EXPECT_EQ(o.csv(), "\r\n0 blocks translated to Latitude and Longitude format.\r\n\r\n(GMT -07:00) Arizona\r\n");
  EXPECT_EQ(o.gpsData(), std::vector<std::string>{"deer 12.csv"});
}

TEST(OffloadWorkflow, BadChecksAreReportedAndTheDataStillShown) {
  Offload o;
  auto bad = testing::FixAt(6, 7, 5, 9, 3, 7, 40, true, 105, false);
  bad.goodCheck = false;
  o.collar.memory = testing::GpsImage({bad}, 12345);
  o.prompter.answers = {PromptAnswer::No};
  OffloadChoice c = Offload::Choice(1);
  c.initialCount = 1;
  c.form = OutputForm::Utm;
  EXPECT_EQ(o.run(c).outcome, OffloadOutcome::Viewed);
  EXPECT_EQ(o.store.get(kSettingsKey, "Lat or UTC Offload"), "1");
  EXPECT_EQ(o.prompter.messages.back().text, "There was a checksum error in the vehicle data. You can still view the data.");
  EXPECT_EQ(o.viewed.size(), 1u);
}

TEST(OffloadWorkflow, AnIncompleteImageIsKeptAsABackupButNeitherTranslatedNorErased) {
  Offload o;
  o.collar.damage = {[](std::vector<uint8_t>& image) { image.resize(64 + 32 + 10); }};
  o.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
  const OffloadReport r = o.run(Offload::Choice());
  EXPECT_EQ(r.outcome, OffloadOutcome::Incomplete);
  EXPECT_EQ(o.collar.log, std::vector<std::string>{"Offload"}) << "the collar was reset although data was missing";
  EXPECT_TRUE(o.gpsData().empty()) << "no CSV from an incomplete image";
  EXPECT_EQ(o.backups().size(), 1u);
  EXPECT_TRUE(o.prompter.saw("holds 1 of the 2 blocks its header announces"));
}

TEST(OffloadWorkflow, TwoOffloadsInTheSameSecondKeepTwoBackups) {
  Offload o;
  o.prompter.answers = {PromptAnswer::No, PromptAnswer::Yes, PromptAnswer::No};
  o.run(Offload::Choice());
  o.run(Offload::Choice());
  EXPECT_EQ(o.backups(), (std::vector<std::string>{"12345_9_5_2006_14_3_7-2.gps", "12345_9_5_2006_14_3_7.gps"}));
}

TEST(OffloadWorkflow, AHalfHourZoneShiftsByItsMinutes) {
  Offload o;
  o.collar.memory = testing::GpsImage({testing::FixAt(26, 3, 1, 0, 0, 5, 34.9, false, 138.6, true)}, 12345);
  OffloadChoice c = Offload::Choice(1);
  c.initialCount = 1;
  c.zoneText = "(GMT +09:30) Adelaide";
  o.prompter.answers = {PromptAnswer::No};
  EXPECT_EQ(o.run(c).outcome, OffloadOutcome::Viewed);
  EXPECT_EQ(o.csv().rfind("2026,3,1,09,30,05,", 0), 0u) << o.csv().substr(0, 40);
  EXPECT_NE(o.csv().find("\r\n(GMT +09:30) Adelaide\r\n"), std::string::npos);
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
