// The program directory and its data folders.
#pragma once

#include <string>

namespace zelkor {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// dir + name, with one separator between them.
std::string JoinPath(const std::string& dir, const std::string& name);
std::string WithTrailingSeparator(std::string dir);

struct ProgramDirectoryInputs {
  std::string optionDir;    // --data-dir
  std::string envDir;       // ZELKOR_DATA_DIR
  std::string exeDir;       // folder of the executable
  std::string userDataDir;  // the platform's per-user data folder
};

// First match wins: the option or the environment (made absolute), the
// executable's folder when it holds "Commands", the per-user data folder.
// Ends with the separator.
std::string ResolveProgramDirectory(const ProgramDirectoryInputs& in);

// Creates the data folders that are missing, removes what killed programs
// left half-written in them, and installs a default command file wherever
// none of that name stands, in a "Commands" that is empty or holds the
// shipped files (never over a file, an empty one included). Returns false
// (with a reason) on failure.
bool PrepareDataFolders(const std::string& programDirectory, std::string* error);

// The access-level file installed with a fresh data folder.
std::string DefaultAccessLevelText();

// Paths of the data folders, each ending with the separator.
std::string CommandsDir(const std::string& programDirectory);
std::string GpsDataDir(const std::string& programDirectory);
std::string ConfigBackupDir(const std::string& programDirectory);
std::string GpsBackupDir(const std::string& programDirectory);

}  // namespace zelkor
