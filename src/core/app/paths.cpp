#include "app/paths.h"

#include "app/app_state.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "link/default_commands.h"
#include "util/atomic_file.h"
#include "util/read_file.h"

namespace fs = std::filesystem;

namespace zelkor {

std::string WithTrailingSeparator(std::string dir) {
#ifdef _WIN32
  // Windows takes "/" as well; a folder given with it needs no second one.
  if (!dir.empty() && dir.back() == '/') return dir;
#endif
  if (dir.empty() || dir.back() != kPathSeparator) dir.push_back(kPathSeparator);
  return dir;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  return WithTrailingSeparator(dir) + name;
}

namespace {
// A folder given relative to the working folder, made absolute: the
// transfer helper is started in the data folder and must find the same
// files.
std::string Absolute(const std::string& dir) {
  std::error_code ec;
  const fs::path p = fs::absolute(fs::u8path(dir), ec);
  return ec ? dir : p.lexically_normal().u8string();
}
}  // namespace

std::string ResolveProgramDirectory(const ProgramDirectoryInputs& in) {
  if (!in.optionDir.empty()) return WithTrailingSeparator(Absolute(in.optionDir));
  if (!in.envDir.empty()) return WithTrailingSeparator(Absolute(in.envDir));
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
    const int level = id == kTwoWayGpsControl ? 1 : 0;
    text += std::to_string(id) + " " + std::to_string(level) + " " + std::to_string(level) + "\n";
  }
  return text;
}

namespace {
bool IsTemporary(const std::string& name) {
  return name.find(".part-") != std::string::npos || name.find(".scratch-") != std::string::npos;
}
}  // namespace

bool PrepareDataFolders(const std::string& programDirectory, std::string* error) {
  std::error_code ec;
  for (const std::string& dir : {CommandsDir(programDirectory), GpsDataDir(programDirectory),
                                 ConfigBackupDir(programDirectory), GpsBackupDir(programDirectory)}) {
    fs::create_directories(dir, ec);
    if (ec) {
      if (error) *error = "Could not create the folder " + dir + ": " + ec.message();
      return false;
    }
    // What a killed program left half-written stays out of the way.
    RemoveStaleTemporaries(dir);
  }
  RemoveStaleTemporaries(programDirectory);
  const std::string commands = CommandsDir(programDirectory);
  // The shipped files go only where no file of that name stands, and only
  // into a folder that is ours: empty (another program starting at the same
  // moment may be filling it) or holding one of the shipped files as it was
  // shipped. A vendor's files, empty ones included, are never replaced, and
  // a vendor's set missing one file is not completed with ours.
  const auto& shipped = DefaultCommandFiles();
  bool ours = true;
  for (const auto& entry : fs::directory_iterator(commands, ec)) {
    const std::string name = entry.path().filename().u8string();
    if (IsTemporary(name)) continue;
    ours = false;
    break;
  }
  for (const CommandFile& f : shipped) {
    std::string bytes;
    if (ReadWholeFile(commands + f.name, &bytes) && bytes.size() == f.bytes.size() &&
        std::equal(bytes.begin(), bytes.end(), f.bytes.begin()))
      ours = true;
  }
  if (!ours) return true;
  std::string reason;
  for (const CommandFile& f : shipped) {
    const std::string path = commands + f.name;
    if (CreateFileAtomically(path, std::string(f.bytes.begin(), f.bytes.end()), &reason) == CreateResult::Failed) {
      if (error) *error = "Could not install the command file " + path + ": " + reason;
      return false;
    }
  }
  // The default access levels come with the command files.
  const std::string access = programDirectory + "AccessLevel.txt";
  if (CreateFileAtomically(access, DefaultAccessLevelText(), &reason) == CreateResult::Failed) {
    if (error) *error = "Could not write " + access + ": " + reason;
    return false;
  }
  return true;
}

}  // namespace zelkor
