#include "app/paths.h"

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

namespace {
// A command file left empty or cut short by a failed install (a full disk)
// is one of ours that did not finish: the start of the shipped bytes. A
// vendor's file of another size is the user's and is left alone.
bool IsTruncatedDefault(const std::string& bytes, const std::vector<uint8_t>& shipped) {
  return bytes.size() < shipped.size() && std::equal(bytes.begin(), bytes.end(), shipped.begin());
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
  }
  const std::string commands = CommandsDir(programDirectory);
  const bool fresh = fs::is_empty(commands, ec) && !ec;
  std::string reason;
  const std::string access = programDirectory + "AccessLevel.txt";
  // Which shipped files stand, and whether they are ours (whole or cut).
  const auto& shipped = DefaultCommandFiles();
  std::vector<int> state(shipped.size(), 0);  // 0 missing, 1 whole or foreign, 2 cut short
  bool ours = fresh;
  for (size_t i = 0; i < shipped.size(); ++i) {
    const std::string path = commands + shipped[i].name;
    std::string bytes;
    if (!fs::exists(path, ec)) continue;
    state[i] = 1;
    if (!ReadWholeFile(path, &bytes, &reason)) continue;  // reported when it is sent
    const std::vector<uint8_t>& want = shipped[i].bytes;
    if (IsTruncatedDefault(bytes, want)) state[i] = 2;
    if (state[i] == 2 || std::equal(bytes.begin(), bytes.end(), want.begin(), want.end())) ours = true;
  }
  for (size_t i = 0; i < shipped.size(); ++i) {
    if (!(state[i] == 2 || (state[i] == 0 && ours))) continue;
    const std::string path = commands + shipped[i].name;
    const auto& bytes = shipped[i].bytes;
    if (WriteFileAtomically(path, std::string(bytes.begin(), bytes.end()), &reason) != AtomicWrite::Ok) {
      if (error) *error = "Could not install the command file " + path + ": " + reason;
      return false;
    }
  }
  // A fresh install, or one whose access file a failed install left empty,
  // gets the default access levels with the command files.
  std::string accessText;
  const bool accessPresent = fs::exists(access, ec);
  const bool accessEmpty = accessPresent && ReadWholeFile(access, &accessText) && accessText.empty();
  if ((fresh && !accessPresent) || (ours && accessEmpty)) {
    if (WriteFileAtomically(access, DefaultAccessLevelText(), &reason) != AtomicWrite::Ok) {
      if (error) *error = "Could not write " + access + ": " + reason;
      return false;
    }
  }
  return true;
}

}  // namespace zelkor
