// Reading and writing configuration files, and their time-stamped copies.
#pragma once

#include <string>

#include "app/clock.h"
#include "app/prompter.h"
#include "config/collar_config.h"

namespace zelkor {

enum class ConfigFileStatus { Ok, OpenFailed, WriteFailed };

// Reads up to 64 bytes (missing bytes stay zero) and decodes them. A file
// that cannot be opened decodes from 64 zero bytes.
ConfigFileStatus ReadConfigFile(const std::string& path, CollarConfig& config);
// Encodes the fields into config.raw and writes the 64 bytes.
ConfigFileStatus WriteConfigFile(const std::string& path, CollarConfig& config);

// The same, reporting a failure through the prompter ("Could not open %s.").
ConfigFileStatus ReadConfig(const std::string& path, CollarConfig& config, Prompter& prompter);
ConfigFileStatus WriteConfig(const std::string& path, CollarConfig& config, Prompter& prompter);

// "<collarId>_<month>_<day>_<year>_<hour>_<minute>_<second>.cfg"
std::string ConfigBackupName(uint32_t collarId, const LocalDateTime& when);

// Copies the working file byte for byte into backupDir under its
// time-stamped name. Failures are reported and the caller goes on.
// Returns the backup's path, or an empty text when no copy was made.
std::string MakeConfigBackup(const std::string& workingPath, const std::string& backupDir,
                             uint32_t collarId, const Clock& clock, Prompter& prompter);

}  // namespace zelkor
