#include <gtest/gtest.h>

#include "app/paths.h"
#include "gpsdata/export_workflow.h"
#include "support/fake_files.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace zelkor {
namespace {

TEST(ExportWorkflow, AsksForABackupThenTheTargetAndSaysWhatItWrote) {
  testing::TempDir dir;
  std::string e;
  PrepareDataFolders(dir.dir(), &e);
  std::filesystem::copy_file(std::string(ZELKOR_TEST_DATA) + "/gps/north_track.gps",
                             dir.file("Backup/GPS Data/4711_6_27_2006_1_2_3.gps"));
  testing::FakeFiles files;
  files.answers = {dir.file("Backup/GPS Data/4711_6_27_2006_1_2_3.gps"), dir.file("GPS Data/elk.geojson")};
  testing::ScriptedPrompter prompter;
  RunExportGpsData(dir.dir(), "", files, prompter);
  ASSERT_EQ(files.asked.size(), 2u);
  EXPECT_EQ(files.asked[0].find("Export GPS Data|" + GpsBackupDir(dir.dir()) + "*.gps"), 0u);
  EXPECT_NE(files.asked[1].find(GpsDataDir(dir.dir()) + "4711_6_27_2006_1_2_3.gpx"), std::string::npos);
  EXPECT_NE(dir.read("GPS Data/elk.geojson").find("FeatureCollection"), std::string::npos);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text, "60 fixes exported to " + dir.file("GPS Data/elk.geojson") + ".");
}

TEST(ExportWorkflow, UnknownEndingIsRefusedAndCancelWritesNothing) {
  testing::TempDir dir;
  testing::FakeFiles files;
  testing::ScriptedPrompter prompter;
  files.answers = {std::nullopt};
  RunExportGpsData(dir.dir(), "", files, prompter);
  EXPECT_TRUE(prompter.messages.empty());
  files.answers = {dir.file("out.txt")};
  RunExportGpsData(dir.dir(), std::string(ZELKOR_TEST_DATA) + "/gps/north_track.gps", files, prompter);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].caption, "Export GPS Data");
  EXPECT_FALSE(std::filesystem::exists(dir.file("out.txt")));
}

}  // namespace
}  // namespace zelkor
