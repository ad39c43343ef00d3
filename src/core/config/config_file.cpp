#include "config/config_file.h"

#include "app/paths.h"
#include "util/atomic_file.h"
#include "util/read_file.h"
#include "util/text.h"

namespace zelkor {

ConfigFileStatus ReadConfigFile(const std::string& path, CollarConfig& config, std::string* reason) {
  std::string bytes;
  std::string why;
  if (!ReadWholeFile(path, &bytes, &why)) {
    if (reason) *reason = why;
    return ConfigFileStatus::OpenFailed;
  }
  if (bytes.size() < kConfigRecordSize) {
    if (reason)
      *reason = Format("it holds %zu bytes; a collar configuration holds %zu", bytes.size(), kConfigRecordSize);
    return ConfigFileStatus::OpenFailed;
  }
  CollarConfigRecord record{};
  for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(bytes[i]);
  DecodeConfig(record, config);
  return ConfigFileStatus::Ok;
}

ConfigFileStatus WriteConfigFile(const std::string& path, CollarConfig& config, std::string* reason) {
  EncodeConfig(config);
  switch (WriteFileAtomically(path, std::string(config.raw.begin(), config.raw.end()), reason)) {
    case AtomicWrite::Ok: return ConfigFileStatus::Ok;
    case AtomicWrite::OpenFailed: return ConfigFileStatus::OpenFailed;
    case AtomicWrite::WriteFailed: break;
  }
  return ConfigFileStatus::WriteFailed;
}

ConfigFileStatus ReadConfig(const std::string& path, CollarConfig& config, Prompter& prompter) {
  std::string reason;
  const ConfigFileStatus s = ReadConfigFile(path, config, &reason);
  if (s != ConfigFileStatus::Ok)
    prompter.notify(Format("Could not open %s.", path.c_str()), "ERROR", PromptIcon::Error,
                    {"The reason: " + reason + ".", {}});
  return s;
}

ConfigFileStatus WriteConfig(const std::string& path, CollarConfig& config, Prompter& prompter) {
  std::string reason;
  const ConfigFileStatus s = WriteConfigFile(path, config, &reason);
  if (s == ConfigFileStatus::OpenFailed)
    prompter.notify(Format("Could not open %s.", path.c_str()), "ERROR", PromptIcon::Error,
                    {"The reason: " + reason + ".", {}});
  else if (s == ConfigFileStatus::WriteFailed)
    prompter.notify(Format("Could not write %s.", path.c_str()), "ERROR", PromptIcon::Error,
                    {"The reason: " + reason + ". The file was left as it was.", {}});
  return s;
}

std::string ConfigBackupName(uint32_t collarId, const LocalDateTime& t) {
  return Format("%u_%d_%d_%d_%d_%d_%d.cfg", collarId, t.month, t.day, t.year, t.hour, t.minute,
                t.second);
}

std::string MakeConfigBackup(const std::string& workingPath, const std::string& backupDir,
                             uint32_t collarId, const Clock& clock, Prompter& prompter) {
  std::string bytes, reason;
  if (!ReadWholeFile(workingPath, &bytes, &reason)) {
    prompter.notify("Could not open the collar configuration file to create a backup copy.",
                    "Error", PromptIcon::Error, {workingPath + ": " + reason + ".", {}});
    return std::string();
  }
  return MakeConfigBackupOf(bytes, backupDir, collarId, clock, prompter);
}

std::string MakeConfigBackupOf(const std::string& bytes, const std::string& backupDir, uint32_t collarId,
                               const Clock& clock, Prompter& prompter) {
  std::string reason;
  const std::string target =
      WriteNewFileAtomically(JoinPath(backupDir, ConfigBackupName(collarId, clock.now())), bytes, &reason);
  if (target.empty())
    prompter.notify("Could not create a backup file.", "Error", PromptIcon::Error,
                    {WriteFailureText(backupDir, reason), {}});
  return target;
}

}  // namespace zelkor
