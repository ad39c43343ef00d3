#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/paths.h"
#include "config/config_file.h"
#include "config/config_workflow.h"
#include "support/fake_link.h"
#include "support/fixed_clock.h"
#include "support/recording_sink.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace zelkor {
namespace {

class ScriptedDialog : public ConfigDialogPort {
 public:
  std::function<bool(ConfigFields&)> onRun = [](ConfigFields&) { return true; };
  int runs = 0;
  bool run(ConfigFields& f) override {
    ++runs;
    return onRun(f);
  }
};

class ScriptedOptions : public OptionsDialogPort {
 public:
  std::deque<std::pair<OptionsChoice, std::string>> answers;
  std::vector<std::vector<std::string>> changesShown;
  OptionsChoice run(const std::vector<std::string>& changes, std::string& fileName) override {
    changesShown.push_back(changes);
    if (answers.empty()) return OptionsChoice::Cancel;
    auto a = answers.front();
    answers.pop_front();
    if (!a.second.empty()) fileName = a.second;
    return a.first;
  }
};

struct Workflow {
  testing::TempDir dir;
  CollarConfig config;
  bool viewOnly = false;
  testing::ScriptedPrompter prompter;
  testing::FakeLink link;
  testing::FixedClock clock{{2006, 7, 5, 9, 3, 7}};
  testing::RecordingSink sink;
  ScriptedDialog dialog;
  ScriptedOptions options;
  std::string working;
  std::vector<bool> busy;
  int waits = 0;
  std::vector<std::string> statusLines;

  Workflow() {
    std::string e;
    PrepareDataFolders(dir.dir(), &e);
    working = dir.file("Backup/Collar Config/CollarConfig.cfg");
    CollarConfig c;
    c.collarId = 1234;
    c.primaryRateHours = 2;
    c.maxFixDurationSeconds = 120;
    c.validFixesRequired = 1;
    c.almanacPeriodHours = 168;
    c.backupBatteryHours = 5;
    c.backupBatteryMinutes = 0;
    c.softwareVersion = 210;
    WriteConfigFile(working, c);
    // A battery time of 20480 s: 5 h 41 min 20 s.
    std::string bytes = dir.read("Backup/Collar Config/CollarConfig.cfg");
    bytes[35] = 0x05;
    bytes[36] = 0x00;
    dir.write("Backup/Collar Config/CollarConfig.cfg", bytes);
  }
  ConfigOutcome run() {
    ConfigWorkflowContext ctx{config, working, viewOnly, 2, prompter, link, clock, sink, dialog, options,
                              [this](bool b) { busy.push_back(b); }, [this](int) { ++waits; },
                              [this](const std::string& line) { statusLines.push_back(line); }};
    return RunConfigWorkflow(ctx);
  }
  // The collar answers a download with the given record.
  void collarAnswers(std::function<CollarConfigRecord(const LinkParams& upload)> record) {
    auto lastUpload = std::make_shared<LinkParams>();
    link.onRun = [this, record, lastUpload](const LinkParams& p) {
      if (p.request == LinkRequest::UploadConfig) *lastUpload = p;
      if (p.request == LinkRequest::DownloadConfig) {
        const CollarConfigRecord r = record(*lastUpload);
        dir.writeBytes("Backup/Collar Config/" + p.fileName, std::vector<unsigned char>(r.begin(), r.end()));
      }
    };
  }
};

CollarConfigRecord RecordOf(const LinkParams& upload) {
  CollarConfigRecord r;
  std::copy(upload.uploadRecord.begin() + 2, upload.uploadRecord.end(), r.begin());
  return r;
}

TEST(ConfigWorkflow, CancelAfterAScheduleChangeSendsNothingAndKeepsTheChange) {
  Workflow w;
  w.dialog.onRun = [&w](ConfigFields&) {
    w.config.primaryRateHours = 7;  // as a sub-dialog would
    return false;
  };
  EXPECT_EQ(w.run(), ConfigOutcome::Cancelled);
  EXPECT_TRUE(w.link.requests.empty());
  EXPECT_EQ(w.config.primaryRateHours, 7);
  EXPECT_TRUE(w.sink.posted.empty()) << "the dialog posts Collar Commands itself";
  EXPECT_EQ(w.busy, (std::vector<bool>{true, false}));
}

TEST(ConfigWorkflow, ViewOnlyOkPostsCollarCommandsAndSendsNothing) {
  Workflow w;
  w.viewOnly = true;
  EXPECT_EQ(w.run(), ConfigOutcome::Viewed);
  EXPECT_TRUE(w.link.requests.empty());
  EXPECT_EQ(w.sink.posted, std::vector<int>{kCmdCollarCommands});
}

TEST(ConfigWorkflow, EditedIdIsSentToTheRememberedIdAndMustComeBack) {
  Workflow w;
  w.dialog.onRun = [](ConfigFields& f) {
    f.collarId = "4321";
    return true;
  };
  w.options.answers = {{OptionsChoice::SendToCollar, ""}};
  w.link.results = {{true, false}, {true, true}};
  w.collarAnswers(RecordOf);
  // The transfer window asks for its last line while the read-back is there.
  std::string closing;
  const auto answer = w.link.onRun;
  w.link.onRun = [&](const LinkParams& p) {
    answer(p);
    if (p.closingLine) closing = p.closingLine();
  };
  EXPECT_EQ(w.run(), ConfigOutcome::Verified);
  ASSERT_EQ(w.link.requests.size(), 2u);
  const LinkParams& up = w.link.requests[0];
  EXPECT_EQ(up.request, LinkRequest::UploadConfig);
  EXPECT_EQ(up.uploadRecord[0], 1234 >> 8);
  EXPECT_EQ(up.uploadRecord[1], 1234 & 0xFF);
  EXPECT_EQ(up.uploadRecord[2 + 12], 4321 >> 8);
  EXPECT_EQ(up.uploadRecord[2 + 13], 4321 & 0xFF);
  EXPECT_EQ(up.uploadPathText, w.working);
  EXPECT_EQ(up.port, 2);
  EXPECT_EQ(w.link.requests[1].request, LinkRequest::DownloadConfig);
  EXPECT_TRUE(w.viewOnly);
  EXPECT_EQ(w.waits, 1);
  EXPECT_EQ(w.sink.posted, std::vector<int>{kCmdCollarCommands});
  ASSERT_EQ(w.options.changesShown.size(), 1u);
  EXPECT_EQ(w.options.changesShown[0], std::vector<std::string>{"Collar ID: 1234 -> 4321"});
  // Success is said twice: on the transfer window's last line and in the status bar.
  EXPECT_EQ(closing, "Configuration verified on collar 4321");
  EXPECT_NE(w.link.requests[1].fileName, "CollarConfig.cfg") << "the read-back goes to this job's own file";
  EXPECT_EQ(testing::TempDir::List(w.dir.file("Backup/Collar Config")).size(), 2u)
      << "the working file and one backup; no scratch file stays";
  EXPECT_EQ(w.statusLines, std::vector<std::string>{"Configuration verified on collar 4321"});
}

TEST(ConfigWorkflow, FailedVerificationReturnsToTheOptionsAndResendsTheReadBack) {
  Workflow w;
  w.dialog.onRun = [](ConfigFields& f) {
    f.collarId = "4321";
    return true;
  };
  w.options.answers = {{OptionsChoice::SendToCollar, ""}, {OptionsChoice::SendToCollar, ""}};
  w.link.results = {{true, false}, {true, true}, {true, false}, {true, true}};
  // The collar keeps its old ID: the read-back differs.
  w.collarAnswers([](const LinkParams& up) {
    CollarConfigRecord r = RecordOf(up);
    r[12] = 1234 >> 8;
    r[13] = 1234 & 0xFF;
    return r;
  });
  // The second send carries the collar's answer, which then reads back equal.
  EXPECT_EQ(w.run(), ConfigOutcome::Verified);
  ASSERT_EQ(w.prompter.messages.size(), 1u);
  EXPECT_EQ(w.prompter.messages[0].text, "Upload of configuration file failed!");
  EXPECT_EQ(w.prompter.messages[0].caption, "Upload");
  EXPECT_EQ(w.statusLines.size(), 1u) << "only the verified second send is confirmed";
  ASSERT_EQ(w.link.requests.size(), 4u);
  // The second send carries what the collar answered (ID 1234).
  EXPECT_EQ(w.link.requests[2].uploadRecord[2 + 13], 1234 & 0xFF);
}

TEST(ConfigWorkflow, UnacknowledgedUploadIsAFailureWithoutReadBack) {
  Workflow w;
  w.options.answers = {{OptionsChoice::SendToCollar, ""}};
  w.link.results = {{false, false}};
  EXPECT_EQ(w.run(), ConfigOutcome::OptionsCancelled);
  EXPECT_EQ(w.link.requests.size(), 1u);
  EXPECT_FALSE(w.viewOnly);
  EXPECT_EQ(w.prompter.messages[0].text, "Upload of configuration file failed!");
}

TEST(ConfigWorkflow, BatteryHoursEditedBecomeWholeHoursUnchangedKeepMinutes) {
  {
    Workflow w;
    w.dialog.onRun = [](ConfigFields& f) {
      f.backupBatteryHours = "6";
      return true;
    };
    w.run();
    EXPECT_EQ(w.config.backupBatteryHours, 6u);
    EXPECT_EQ(w.config.backupBatteryMinutes, 0u);
    EXPECT_EQ(w.config.backupBatterySecondsPart, 0u);
  }
  Workflow w;
  w.run();
  EXPECT_EQ(w.config.backupBatteryHours, 5u);
  EXPECT_EQ(w.config.backupBatteryMinutes, 41u);
  EXPECT_EQ(w.config.backupBatterySecondsPart, 20u);
}

TEST(ConfigWorkflow, TextsThatAreNotNumbersLeaveTheirFieldAndWideNumbersKeepLowBits) {
  Workflow w;
  w.dialog.onRun = [](ConfigFields& f) {
    f.collarId = "abc";
    f.softwareVersion = "300";
    f.cumulativeGpsOnHours = "70000";
    return true;
  };
  w.run();
  EXPECT_EQ(w.config.collarId, 1234u);
  EXPECT_EQ(w.config.softwareVersion, 300 & 0xFF);
  EXPECT_EQ(w.config.cumulativeGpsOnHours, 70000u & 0xFFFF);
}

TEST(ConfigWorkflow, SaveToFileWritesTheRecordAndSaysWhere) {
  Workflow w;
  const std::string target = w.dir.file("saved.dat");
  w.options.answers = {{OptionsChoice::SaveToFile, target}};
  w.run();
  EXPECT_EQ(w.dir.read("saved.dat").size(), 64u);
  EXPECT_EQ(w.prompter.messages[0].text, "The configuration was saved to " + target + ".");
  EXPECT_TRUE(w.link.requests.empty());
  EXPECT_EQ(w.options.changesShown.size(), 2u) << "the options dialog opens again";
}

// A configuration that cannot be read is never shown: what memory holds may
// belong to another collar, and OK would send it.
TEST(ConfigWorkflow, AnUnreadableWorkingFileIsReportedAndNothingIsShown) {
  for (bool folder : {false, true}) {
    Workflow w;
    std::filesystem::remove(w.working);
    if (folder) std::filesystem::create_directory(w.working);
    EXPECT_EQ(w.run(), ConfigOutcome::ReadFailed);
    ASSERT_EQ(w.prompter.messages.size(), 1u);
    EXPECT_EQ(w.prompter.messages[0].text, "Could not open " + w.working + ".");
    EXPECT_EQ(w.dialog.runs, 0);
    EXPECT_EQ(w.sink.posted, std::vector<int>{kCmdCollarCommands});
  }
}

TEST(ConfigWorkflow, TwoBackupsInOneSecondAreBothKept) {
  Workflow w;
  w.run();
  w.run();
  EXPECT_EQ(testing::TempDir::List(w.dir.file("Backup/Collar Config")),
            (std::vector<std::string>{"1234_7_5_2006_9_3_7-2.cfg", "1234_7_5_2006_9_3_7.cfg", "CollarConfig.cfg"}));
}

}  // namespace
}  // namespace zelkor
