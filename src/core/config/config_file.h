// Reading and writing configuration files, and their time-stamped copies.
#pragma once

#include <string>

#include "app/clock.h"
#include "app/prompter.h"
#include "config/collar_config.h"

namespace zelkor {

enum class ConfigFileStatus { Ok, OpenFailed, WriteFailed };

// Reads the first 64 bytes of a file and decodes them. A file that cannot
// be read whole, or holds fewer than 64 bytes (a folder, an empty or cut
// file), is an error and leaves config as it was; *reason says why.
ConfigFileStatus ReadConfigFile(const std::string& path, CollarConfig& config, std::string* reason = nullptr);
// Encodes the fields into config.raw and writes the 64 bytes through a
// temporary file, so that a failure never leaves a cut file behind.
ConfigFileStatus WriteConfigFile(const std::string& path, CollarConfig& config, std::string* reason = nullptr);

// The same, reporting a failure through the prompter ("Could not open %s.",
// with the reason beneath).
ConfigFileStatus ReadConfig(const std::string& path, CollarConfig& config, Prompter& prompter);
ConfigFileStatus WriteConfig(const std::string& path, CollarConfig& config, Prompter& prompter);

// "<collarId>_<month>_<day>_<year>_<hour>_<minute>_<second>.cfg"
std::string ConfigBackupName(uint32_t collarId, const LocalDateTime& when);

// Copies the working file byte for byte into backupDir under its
// time-stamped name ("-2", "-3" ... when that name is taken). Failures are
// reported and the caller goes on. Returns the backup's path, or an empty
// text when no copy was made.
std::string MakeConfigBackup(const std::string& workingPath, const std::string& backupDir,
                             uint32_t collarId, const Clock& clock, Prompter& prompter);
// The same from the bytes of a record at hand.
std::string MakeConfigBackupOf(const std::string& bytes, const std::string& backupDir, uint32_t collarId,
                               const Clock& clock, Prompter& prompter);

}  // namespace zelkor
