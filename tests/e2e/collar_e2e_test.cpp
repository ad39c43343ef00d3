// The command-line offload and the link against the simulated collar.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/paths.h"
#include "config/config_file.h"
#include "gpsdata/translate.h"
#include "link/link_runner.h"
#include "link/posix_serial_port.h"
#include "support/collar_sim.h"
#include "support/fixed_clock.h"
#include "support/process.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "util/endian.h"

namespace zelkor {
namespace {

using testing::Process;
using testing::TempDir;

const std::string kBin = ZELKOR_BIN_DIR;

using testing::Sim;

struct CliRun {
  int exit;
  std::string err;
};

CliRun Cli(const Sim& sim, std::vector<std::string> args) {
  args.insert(args.begin(), "zelkor-cli");
  args.push_back("--data-dir");
  args.push_back(sim.data());
  const std::string err = sim.dir.file("cli.err");
  Process p(kBin + "/zelkor-cli", args,
            {{"ZELKOR_COM1", sim.dir.file("collar")}, {"ZELKOR_XMODEM_TIMEOUT_MS", "1000"},
             {"ZELKOR_XMODEM_CHAR_TIMEOUT_MS", "200"}},
            "", err);
  const int status = p.wait(300000);
  return {status, TempDir::ReadFile(err)};
}

std::vector<std::string> Backups(const Sim& sim) {
  std::vector<std::string> names;
  const std::string dir = sim.data() + "/Backup/GPS Data";
  if (!std::filesystem::exists(dir)) return names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
  return names;
}

TEST(OffloadEndToEnd, CsvEqualsTheTranslationOfTheCollarsMemoryInBothForms) {
  Sim sim({"--fixes", "400", "--seed", "11", "--bad-checks", "0"});
  const uint32_t pointerBefore = sim.pointer();
  EXPECT_EQ(pointerBefore, 400u * 32 + 64);
  for (bool utm : {false, true}) {
    // Backups are named to the second: keep the two offloads a second apart.
    if (utm) std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    const std::string name = utm ? "elk-utm" : "elk";
    std::vector<std::string> args = {"offload", "--port", "1", "--out", name, "--zone", "6"};
    if (utm) args.push_back("--utm");
    const CliRun r = Cli(sim, args);
    ASSERT_EQ(r.exit, 0) << r.err;
    const std::string expected = sim.dir.file(name + ".expected");
    ASSERT_EQ(TranslateGpsData(sim.dir.file("state.bin"), expected, utm ? OutputForm::Utm : OutputForm::LatLon, ShiftHours(-7),
                               "(GMT -07:00) Mountain Time (US & Canada)"),
              TranslateResult::Ok);
    EXPECT_EQ(TempDir::ReadFile(sim.data() + "/GPS Data/" + name + ".csv"), TempDir::ReadFile(expected))
        << (utm ? "UTM" : "latitude/longitude");
  }
  const auto backups = Backups(sim);
  ASSERT_EQ(backups.size(), 2u);
  for (const auto& b : backups) EXPECT_EQ(b.rfind("1234_", 0), 0u) << b;
  EXPECT_EQ(sim.pointer(), pointerBefore) << "the collar was reset without --reset";
}

TEST(OffloadEndToEnd, ResetOnlyAfterTheVerifiedBackupAndThenThePointerIs64) {
  Sim sim({"--fixes", "50", "--seed", "3"});
  const CliRun r = Cli(sim, {"offload", "--port", "1", "--out", "moose", "--reset"});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(sim.pointer(), 64u);
  const auto backups = Backups(sim);
  ASSERT_EQ(backups.size(), 1u);
  const std::string backup = TempDir::ReadFile(sim.data() + "/Backup/GPS Data/" + backups[0]);
  EXPECT_EQ(HeaderBlockCount(reinterpret_cast<const uint8_t*>(backup.data())), 50u);
}

TEST(OffloadEndToEnd, PartialOffloadFetchesTheRequestedBlocks) {
  Sim sim({"--fixes", "120", "--seed", "4"});
  const CliRun r = Cli(sim, {"offload", "--port", "1", "--out", "part", "--blocks", "20"});
  ASSERT_EQ(r.exit, 0) << r.err;
  const std::string csv = TempDir::ReadFile(sim.data() + "/GPS Data/part.csv");
  EXPECT_NE(csv.find("\r\n20 blocks translated"), std::string::npos);
}

TEST(OffloadEndToEnd, SilentCollarFailsClearlyAndWritesNothing) {
  Sim sim({"--silent"});
  const CliRun r = Cli(sim, {"offload", "--port", "1", "--out", "none"});
  EXPECT_NE(r.exit, 0);
  EXPECT_NE(r.err.find("Comm Buffer Read Error 5 secs."), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("The collar did not receive the command. Offload GPS data canceled!"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(sim.data() + "/GPS Data/none.csv"));
}

TEST(OffloadEndToEnd, TransferCutMidwayWritesNoCsvAndCannotReset) {
  // The configuration (one packet) passes; the memory stops after 10 packets.
  Sim cut({"--fixes", "300", "--seed", "5", "--cut-after", "10"});
  const CliRun r = Cli(cut, {"offload", "--port", "1", "--out", "cut", "--reset"});
  EXPECT_NE(r.exit, 0);
  EXPECT_NE(r.err.find("GPS data was not received from the collar."), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(cut.data() + "/GPS Data/cut.csv"));
  EXPECT_TRUE(Backups(cut).empty());
  EXPECT_EQ(cut.pointer(), 300u * 32 + 64) << "a failed offload must never reset the collar";
}

TEST(OffloadEndToEnd, CorruptedBytesAreRepairedOrTheOffloadFailsCleanly) {
  Sim sim({"--fixes", "200", "--seed", "6", "--corrupt", "0.002"});
  const CliRun r = Cli(sim, {"offload", "--port", "1", "--out", "noisy"});
  const std::string csv = sim.data() + "/GPS Data/noisy.csv";
  if (r.exit == 0) {
    const std::string expected = sim.dir.file("noisy.expected");
    TranslateGpsData(sim.dir.file("state.bin"), expected, OutputForm::LatLon, UtcShift{},
                     "(GMT) Universal Time Coordinated (UTC)");
    EXPECT_EQ(TempDir::ReadFile(csv), TempDir::ReadFile(expected));
  } else {
    EXPECT_FALSE(std::filesystem::exists(csv));
  }
  EXPECT_EQ(sim.pointer(), 200u * 32 + 64);
}

// "send reset" reads the collar first: data that no backup holds is never
// erased; once an offload has saved it, the erase goes through.
TEST(ResetEndToEnd, UnsavedDataIsRefusedAndSavedDataIsErased) {
  Sim sim({"--fixes", "30", "--seed", "9"});
  CliRun r = Cli(sim, {"send", "reset", "--port", "1", "--yes"});
  EXPECT_EQ(r.exit, 5) << r.err;
  EXPECT_NE(r.err.find("This collar holds data that has not been saved; offload it first."), std::string::npos)
      << r.err;
  EXPECT_EQ(sim.pointer(), 30u * 32 + 64);
  ASSERT_EQ(Cli(sim, {"offload", "--port", "1", "--out", "saved"}).exit, 0);
  r = Cli(sim, {"send", "reset", "--port", "1", "--yes"});
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(sim.pointer(), 64u);
}

TEST(OffloadEndToEnd, ResetWithFewerBlocksThanTheCollarHoldsIsRefused) {
  Sim sim({"--fixes", "30", "--seed", "10"});
  const CliRun r = Cli(sim, {"offload", "--port", "1", "--out", "part", "--blocks", "10", "--reset"});
  EXPECT_EQ(r.exit, 64) << r.err;
  EXPECT_NE(r.err.find("would erase 20 blocks that are never read"), std::string::npos) << r.err;
  EXPECT_EQ(sim.pointer(), 30u * 32 + 64);
}

TEST(OffloadEndToEnd, NakAnsweringCollarIsRefusedWithoutAMessageBoxFromTheLink) {
  Sim sim({"--nak"});
  const CliRun r = Cli(sim, {"send", "almanac", "--port", "1"});
  EXPECT_NE(r.exit, 0);
  EXPECT_EQ(r.err.find("Comm Buffer"), std::string::npos) << r.err;
}

TEST(Simulator, LeavesNoLinkBehindWhenStoppedAndKeepsItsState) {
  Sim sim({"--fixes", "10"});
  const std::string link = sim.dir.file("collar");
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  sim.process->terminate();
  EXPECT_EQ(sim.process->wait(5000), 0);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
  EXPECT_EQ(sim.state().size(), 262144u);
  EXPECT_EQ(sim.pointer(), 10u * 32 + 64);
}

// Upload through the link, then download and compare the 64 bytes.
TEST(ConfigEndToEnd, UploadedConfigurationReadsBackEqualAndAnotherIdIsRefused) {
  Sim sim({"--fixes", "30"});
  std::string error;
  const std::string programDir = sim.data() + "/";
  ASSERT_TRUE(PrepareDataFolders(programDir, &error));
  const std::string device = sim.dir.file("collar");
  PosixSerialPort serial([&](int) { return device; });
  SpawnXmodemLauncher launcher(kBin + "/nvk_xmodem", {{"ZELKOR_COM1", device}});
  testing::ScriptedPrompter prompter;
  HeadlessLinkRunner link(serial, launcher, prompter, programDir);

  CollarConfig config;
  const std::string state = sim.state();
  CollarConfigRecord record;
  std::copy(state.begin(), state.begin() + 64, record.begin());
  DecodeConfig(record, config);
  config.primaryRateHours = 4;
  config.primaryRateMinutes = 30;
  config.auxWeekdays = {true, false, false, false, false, false, true};
  config.dataBlockCount = 0;
  EncodeConfig(config);

  LinkParams up;
  up.request = LinkRequest::UploadConfig;
  up.uploadRecord[0] = static_cast<uint8_t>(config.collarId >> 8);
  up.uploadRecord[1] = static_cast<uint8_t>(config.collarId);
  std::copy(config.raw.begin(), config.raw.end(), up.uploadRecord.begin() + 2);
  EXPECT_TRUE(link.run(up).commandReceived);

  LinkParams down;
  down.request = LinkRequest::DownloadConfig;
  down.fileName = "CollarConfig.cfg";
  const LinkResult got = link.run(down);
  ASSERT_TRUE(got.commandReceived && got.fileReceived);
  CollarConfig back;
  ASSERT_EQ(ReadConfigFile(programDir + "Backup/Collar Config/CollarConfig.cfg", back), ConfigFileStatus::Ok);
  EXPECT_EQ(back.raw, config.raw);
  EXPECT_EQ(back.primaryRateHours, 4);
  EXPECT_EQ(sim.pointer(), 64u);

  up.uploadRecord[1] ^= 1;  // another collar's ID
  EXPECT_FALSE(link.run(up).commandReceived);
  EXPECT_TRUE(prompter.messages.empty());
}

}  // namespace
}  // namespace zelkor

#include "config/config_workflow.h"
#include "support/recording_sink.h"

namespace zelkor {
namespace {

class EditingDialog : public ConfigDialogPort {
 public:
  explicit EditingDialog(CollarConfig& c) : config(c) {}
  bool run(ConfigFields& fields) override {
    config.primaryRateHours = 4;  // as the GPS Fix Schedule dialog would
    config.primaryRateMinutes = 30;
    fields.maxFixDurationSeconds = 90;
    return true;
  }
  CollarConfig& config;
};

class SendOnce : public OptionsDialogPort {
 public:
  OptionsChoice run(const std::vector<std::string>& changes, std::string&) override {
    shown = changes;
    return sent++ ? OptionsChoice::Cancel : OptionsChoice::SendToCollar;
  }
  int sent = 0;
  std::vector<std::string> shown;
};

TEST(ConfigEndToEnd, EditedScheduleIsSentVerifiedAndFoundInTheCollar) {
  Sim sim({"--fixes", "20"});
  const std::string programDir = sim.data() + "/";
  std::string error;
  ASSERT_TRUE(PrepareDataFolders(programDir, &error));
  const std::string device = sim.dir.file("collar");
  PosixSerialPort serial([&](int) { return device; });
  SpawnXmodemLauncher launcher(kBin + "/nvk_xmodem", {{"ZELKOR_COM1", device}});
  testing::ScriptedPrompter prompter;
  HeadlessLinkRunner link(serial, launcher, prompter, programDir);
  // The configuration is fetched first, as the Collar Commands dialog does.
  LinkParams down;
  down.request = LinkRequest::DownloadConfig;
  down.fileName = "CollarConfig.cfg";
  ASSERT_TRUE(link.run(down).fileReceived);

  CollarConfig config;
  bool viewOnly = false;
  testing::RecordingSink sink;
  EditingDialog dialog(config);
  SendOnce options;
  testing::FixedClock clock{{2026, 12, 6, 10, 0, 0}};
  ConfigWorkflowContext ctx{config,  programDir + "Backup/Collar Config/CollarConfig.cfg", viewOnly, 0, prompter, link,
                            clock,   sink, dialog, options, {}, [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }, {}};
  EXPECT_EQ(RunConfigWorkflow(ctx), ConfigOutcome::Verified) << (prompter.messages.empty() ? "" : prompter.messages[0].text);
  EXPECT_TRUE(viewOnly);
  EXPECT_NE(std::find(options.shown.begin(), options.shown.end(), "Primary GPS fix rate: 2 h 0 min -> 4 h 30 min"),
            options.shown.end());
  const std::string state = sim.state();
  CollarConfigRecord record;
  std::copy(state.begin(), state.begin() + 64, record.begin());
  CollarConfig inCollar;
  DecodeConfig(record, inCollar);
  EXPECT_EQ(inCollar.primaryRateHours, 4);
  EXPECT_EQ(inCollar.primaryRateMinutes, 30);
  EXPECT_EQ(inCollar.maxFixDurationSeconds, 90);
}

}  // namespace
}  // namespace zelkor
