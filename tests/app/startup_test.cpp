#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <filesystem>

#include "app/paths.h"
#include "support/temp_dir.h"

namespace zelkor {
namespace {

QProcessEnvironment TestEnvironment(const QTemporaryDir& home) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("XDG_CONFIG_HOME", home.filePath("config"));
  env.insert("XDG_DATA_HOME", home.filePath("data"));
  env.insert("HOME", home.path());
  return env;
}

TEST(ProgramStart, ShowsTheMainWindowOffscreenAndPreparesTheDataFolder) {
  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  QProcess p;
  p.setProcessEnvironment(TestEnvironment(home));
  p.start(QString(ZELKOR_BIN_DIR) + "/zelkor",
          {"--smoke-test", "--data-dir", home.filePath("zelkor-data")});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_EQ(p.readAllStandardOutput().trimmed().toStdString(),
            std::string("main window shown\ncalendar control found in ") + ZELKOR_BIN_DIR +
                "/plugins\nreceiver found: " + ZELKOR_BIN_DIR + "/nvk_xmodem");
  const std::string data = home.filePath("zelkor-data").toStdString();
  EXPECT_TRUE(std::filesystem::exists(data + "/Commands/Select.cmd"));
  EXPECT_TRUE(std::filesystem::is_directory(data + "/GPS Data"));
  EXPECT_TRUE(std::filesystem::is_directory(data + "/Backup/Collar Config"));
  EXPECT_TRUE(std::filesystem::is_directory(data + "/Backup/GPS Data"));
  EXPECT_TRUE(std::filesystem::exists(data + "/AccessLevel.txt"));
  // The first start created the settings file as the top key.
  EXPECT_TRUE(std::filesystem::exists(home.filePath("config").toStdString() + "/Nalvik, Inc/Zelkor.conf"));
}

TEST(ProgramStart, RegServerInstallsAndUnregServerRemovesTheDesktopEntryWithoutAWindow) {
  QTemporaryDir home;
  QProcess p;
  p.setProcessEnvironment(TestEnvironment(home));
  p.start(QString(ZELKOR_BIN_DIR) + "/zelkor", {"/RegServer"});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0);
  const std::string desktop = home.filePath("data").toStdString() + "/applications/nalvik-zelkor.desktop";
  const std::string mime = home.filePath("data").toStdString() + "/mime/packages/nalvik-zelkor.xml";
  EXPECT_TRUE(std::filesystem::exists(desktop));
  EXPECT_NE(testing::TempDir::ReadFile(mime).find("*.gps"), std::string::npos);
  p.start(QString(ZELKOR_BIN_DIR) + "/zelkor", {"-unregserver"});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0);
  EXPECT_FALSE(std::filesystem::exists(desktop));
  EXPECT_FALSE(std::filesystem::exists(mime));
}

TEST(ProgramDirectory, OptionThenEnvironmentThenPortableFolderThenUserFolder) {
  testing::TempDir exe;
  ProgramDirectoryInputs in;
  in.exeDir = exe.dir();
  in.userDataDir = "/home/u/.local/share/Nalvik, Inc/Zelkor";
  EXPECT_EQ(ResolveProgramDirectory(in), "/home/u/.local/share/Nalvik, Inc/Zelkor/");
  std::filesystem::create_directories(exe.file("Commands"));
  EXPECT_EQ(ResolveProgramDirectory(in), exe.dir());
  in.envDir = "/env/dir";
  EXPECT_EQ(ResolveProgramDirectory(in), "/env/dir/");
  in.optionDir = "/opt/dir/";
  EXPECT_EQ(ResolveProgramDirectory(in), "/opt/dir/");
}

}  // namespace
}  // namespace zelkor
