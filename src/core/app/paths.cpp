#include "app/paths.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "link/default_commands.h"

namespace fs = std::filesystem;

namespace zelkor {

std::string WithTrailingSeparator(std::string dir) {
  if (dir.empty() || dir.back() != kPathSeparator) dir.push_back(kPathSeparator);
  return dir;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  return WithTrailingSeparator(dir) + name;
}

std::string ResolveProgramDirectory(const ProgramDirectoryInputs& in) {
  if (!in.optionDir.empty()) return WithTrailingSeparator(in.optionDir);
  if (!in.envDir.empty()) return WithTrailingSeparator(in.envDir);
  std::error_code ec;
  if (!in.exeDir.empty() && fs::is_directory(fs::path(in.exeDir) / "Commands", ec))
    return WithTrailingSeparator(in.exeDir);
  return WithTrailingSeparator(in.userDataDir);
}

std::string CommandsDir(const std::string& p) { return WithTrailingSeparator(p + "Commands"); }
std::string GpsDataDir(const std::string& p) { return WithTrailingSeparator(p + "GPS Data"); }
std::string ConfigBackupDir(const std::string& p) {
  return WithTrailingSeparator(JoinPath(p + "Backup", "Collar Config"));
}
std::string GpsBackupDir(const std::string& p) {
  return WithTrailingSeparator(JoinPath(p + "Backup", "GPS Data"));
}

std::string DefaultAccessLevelText() {
  // Every control usable at the user level, except "Enable Two Way GPS",
  // which needs the full level.
  std::string text;
  for (int id = 1003; id <= 1268; ++id) {
    const int level = id == 1266 ? 1 : 0;
    text += std::to_string(id) + " " + std::to_string(level) + " " + std::to_string(level) + "\n";
  }
  return text;
}

bool PrepareDataFolders(const std::string& programDirectory, std::string* error) {
  std::error_code ec;
  for (const std::string& dir : {CommandsDir(programDirectory), GpsDataDir(programDirectory),
                                 ConfigBackupDir(programDirectory), GpsBackupDir(programDirectory)}) {
    fs::create_directories(dir, ec);
    if (ec) {
      if (error) *error = "Could not create the folder " + dir + ": " + ec.message();
      return false;
    }
  }
  const std::string commands = CommandsDir(programDirectory);
  if (fs::is_empty(commands, ec) && !ec) {
    // A fresh install: the default access levels come with the command files.
    const std::string access = programDirectory + "AccessLevel.txt";
    if (!fs::exists(access, ec)) {
      std::ofstream out(access, std::ios::binary);
      out << DefaultAccessLevelText();
    }
    for (const CommandFile& f : DefaultCommandFiles()) {
      std::ofstream out(commands + f.name, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(f.bytes.data()),
                static_cast<std::streamsize>(f.bytes.size()));
      if (!out) {
        if (error) *error = "Could not install the command file " + commands + f.name;
        return false;
      }
    }
  }
  return true;
}

}  // namespace zelkor
