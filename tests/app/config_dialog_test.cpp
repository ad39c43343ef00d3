#include <gtest/gtest.h>

#include <filesystem>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "access_levels.h"
#include "config_dialog.h"
#include "config_options_dialog.h"
#include "qt_app.h"
#include "support/fake_files.h"
#include "support/fake_store.h"
#include "support/fixed_clock.h"
#include "support/recording_sink.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "config/config_file.h"

namespace zelkor {
namespace {

class NoWarner : public Warner {
 public:
  void warn(const std::string&, HelpTopic) override {}
};

struct Hub {
  CollarConfig config;
  AppState state;
  testing::FakeStore store;
  testing::ScriptedPrompter prompter;
  NoWarner warner;
  testing::FakeFiles files;
  testing::FixedClock clock;
  testing::RecordingSink sink;
  ConfigFields fields;
  std::unique_ptr<ConfigDialogContext> ctx;
  Hub(bool viewOnly) {
    testing::App();
    config.collarId = 1234;
    config.maxFixDurationSeconds = 120;
    config.validFixesRequired = 1;
    config.almanacPeriodHours = 168;
    fields = FieldsFrom(config);
    ctx = std::make_unique<ConfigDialogContext>(ConfigDialogContext{
        config, viewOnly, state, store, prompter, warner, files, clock, sink, {}, {}});
  }
};

TEST(ConfigDialog, ViewOnlyHasNoCancelOffersPrintAndLocksEveryField) {
  Hub h(true);
  ConfigDialog d(*h.ctx, h.fields);
  EXPECT_EQ(d.windowTitle(), "Collar Configuration");
  EXPECT_TRUE(d.cancelButton()->isHidden());
  EXPECT_FALSE(d.button(1206)->isHidden());
  for (int id : {1052, 1053, 1054, 1056, 1057, 1025, 1026, 1027}) EXPECT_TRUE(d.field(id)->isReadOnly()) << id;
  EXPECT_EQ(d.field(1052)->text(), "1234");
  EXPECT_EQ(d.startMonthIndex(), 11);
  EXPECT_EQ(d.startYearIndex(), 26);
  EXPECT_TRUE(d.button(1036)->isHidden() == false);  // level 0 with edit level 0 shows it
}

TEST(ConfigDialog, EditModeNeverShowsPrintAtAnyLevel) {
  Hub h(false);
  h.state.accessLevel = 1;
  ConfigDialog d(*h.ctx, h.fields);
  EXPECT_TRUE(d.button(1206)->isHidden());
  EXPECT_FALSE(d.cancelButton()->isHidden());
  EXPECT_FALSE(d.field(1052)->isReadOnly());
}

TEST(ConfigDialog, ActivityButtonIsHiddenBelowItsEditLevel) {
  Hub h(false);
  h.state.accessTable[1036 - 1003] = AccessEntry{0, 1};
  ConfigDialog d(*h.ctx, h.fields);
  EXPECT_TRUE(d.button(1036)->isHidden());
}

TEST(ConfigDialog, LoadFromFileKeepsTheCollarIdShown) {
  Hub h(false);
  testing::TempDir dir;
  CollarConfig other;
  other.collarId = 999;
  other.dataBlockCount = 77;
  other.primaryRateHours = 5;
  WriteConfigFile(dir.file("other.cfg"), other);
  h.files.answers = {dir.file("other.cfg")};
  ConfigDialog d(*h.ctx, h.fields);
  d.loadFromFile();
  EXPECT_EQ(d.field(1052)->text(), "1234");
  EXPECT_EQ(d.field(1054)->text(), "77");
  EXPECT_EQ(h.config.collarId, 1234u);
  EXPECT_EQ(h.config.primaryRateHours, 5);
}

TEST(ConfigDialog, ViewingAcceptsWhatTheCollarHoldsAndPostsCollarCommandsOnClose) {
  Hub h(true);
  h.fields.maxFixDurationSeconds = 0;
  ConfigDialog d(*h.ctx, h.fields);
  d.accept();
  EXPECT_EQ(d.result(), QDialog::Accepted) << "a field that cannot be edited never blocks OK";
  EXPECT_TRUE(h.prompter.messages.empty());
  ConfigDialog again(*h.ctx, h.fields);
  again.reject();
  EXPECT_EQ(h.sink.posted, std::vector<int>{kCmdCollarCommands});
}

TEST(ConfigDialog, LockedControlsFollowTheAccessTable) {
  Hub h(false);
  h.state.accessTable[1052 - 1003] = AccessEntry{0, 1};
  h.state.accessTable[1059 - 1003] = AccessEntry{0, 1};
  ConfigDialog d(*h.ctx, h.fields);
  EXPECT_TRUE(d.field(1052)->isReadOnly());
  EXPECT_FALSE(d.button(1059)->isEnabled());
}

// An entry for a group box is its frame and title: the fields inside have
// entries of their own.
TEST(ConfigDialog, AHiddenGroupBoxLeavesItsFieldsShown) {
  Hub h(false);
  h.state.accessTable[1021 - 1003] = AccessEntry{1, 1};
  ConfigDialog d(*h.ctx, h.fields);
  d.show();
  auto* group = dynamic_cast<ControlGroup*>(FindControl(&d, 1021));
  ASSERT_NE(group, nullptr);
  EXPECT_FALSE(group->frameShown());
  for (int id : {1054, 1056, 1057}) {
    EXPECT_TRUE(d.field(id)->isVisible()) << id;
    EXPECT_TRUE(d.field(id)->isEnabled()) << id;
  }
}

TEST(ConfigDialog, AFailedLoadFromFileLeavesTheConfigurationAsItWas) {
  Hub h(false);
  testing::TempDir dir;
  std::filesystem::create_directory(dir.file("folder.cfg"));
  dir.write("short.cfg", "abc");
  h.config.primaryRateHours = 3;
  h.config.dataBlockCount = 12;
  for (const char* name : {"folder.cfg", "short.cfg"}) {
    h.files.answers = {dir.file(name)};
    ConfigDialog d(*h.ctx, h.fields);
    d.loadFromFile();
    EXPECT_EQ(h.config.primaryRateHours, 3) << name;
    EXPECT_EQ(h.config.dataBlockCount, 12u) << name;
    EXPECT_EQ(h.prompter.messages.back().text, "Could not open " + dir.file(name) + ".");
  }
}

// A name typed without an extension gets the dialog's default one.
TEST(ConfigDialog, FileDialogsAddTheirDefaultExtensions) {
  Hub h(false);
  testing::TempDir dir;
  CollarConfig other;
  other.primaryRateHours = 6;
  WriteConfigFile(dir.file("typed.cfg"), other);
  h.files.answers = {dir.file("typed")};
  ConfigDialog d(*h.ctx, h.fields);
  d.loadFromFile();
  EXPECT_EQ(h.files.extensions.back(), "cfg");
  EXPECT_EQ(h.config.primaryRateHours, 6);

  testing::FakeFiles files;
  files.answers = {dir.file("saved")};
  ConfigOptionsDialog options({}, "", files);
  options.saveButton()->click();
  options.browseButton()->click();
  EXPECT_EQ(options.fileField()->text().toStdString(), dir.file("saved.dat"));
  EXPECT_EQ(WithDefaultExtension("/a/b.c/name", "dat"), "/a/b.c/name.dat");
  EXPECT_EQ(WithDefaultExtension("name.txt", "dat"), "name.txt");
}

TEST(ConfigOptionsDialog, OpensOnSendListsTheChangesAndEnablesTheFileForSave) {
  testing::App();
  testing::FakeFiles files;
  ConfigOptionsDialog d({"Collar ID: 1234 -> 4321"}, "keep.dat", files);
  EXPECT_EQ(d.windowTitle(), "Collar Configuration Options");
  EXPECT_TRUE(d.sendButton()->isChecked());
  EXPECT_FALSE(d.fileField()->isEnabled());
  EXPECT_EQ(d.fileField()->text(), "keep.dat");
  EXPECT_EQ(d.changesList()->count(), 1);
  d.saveButton()->click();
  EXPECT_TRUE(d.fileField()->isEnabled());
  EXPECT_EQ(d.choice(), OptionsChoice::SaveToFile);
}

}  // namespace
}  // namespace zelkor
