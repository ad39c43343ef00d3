#include "config/config_file.h"

#include <cstdio>
#include <memory>

#include "app/paths.h"
#include "util/text.h"

namespace zelkor {

namespace {
struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using File = std::unique_ptr<std::FILE, FileCloser>;
}  // namespace

ConfigFileStatus ReadConfigFile(const std::string& path, CollarConfig& config) {
  CollarConfigRecord record{};
  ConfigFileStatus status = ConfigFileStatus::Ok;
  File f(std::fopen(path.c_str(), "rb"));
  if (f) {
    std::fread(record.data(), 1, record.size(), f.get());
  } else {
    status = ConfigFileStatus::OpenFailed;
  }
  DecodeConfig(record, config);
  return status;
}

ConfigFileStatus WriteConfigFile(const std::string& path, CollarConfig& config) {
  EncodeConfig(config);
  std::FILE* raw = std::fopen(path.c_str(), "wb");
  if (!raw) return ConfigFileStatus::OpenFailed;
  const size_t written = std::fwrite(config.raw.data(), 1, config.raw.size(), raw);
  const bool closed = std::fclose(raw) == 0;
  return written == config.raw.size() && closed ? ConfigFileStatus::Ok : ConfigFileStatus::WriteFailed;
}

ConfigFileStatus ReadConfig(const std::string& path, CollarConfig& config, Prompter& prompter) {
  const ConfigFileStatus s = ReadConfigFile(path, config);
  if (s != ConfigFileStatus::Ok)
    prompter.notify(Format("Could not open %s.", path.c_str()), "ERROR", PromptIcon::Error);
  return s;
}

ConfigFileStatus WriteConfig(const std::string& path, CollarConfig& config, Prompter& prompter) {
  const ConfigFileStatus s = WriteConfigFile(path, config);
  if (s == ConfigFileStatus::OpenFailed)
    prompter.notify(Format("Could not open %s.", path.c_str()), "ERROR", PromptIcon::Error);
  else if (s == ConfigFileStatus::WriteFailed)
    prompter.notify(Format("Could not write %s.", path.c_str()), "ERROR", PromptIcon::Error);
  return s;
}

std::string ConfigBackupName(uint32_t collarId, const LocalDateTime& t) {
  return Format("%u_%d_%d_%d_%d_%d_%d.cfg", collarId, t.month, t.day, t.year, t.hour, t.minute,
                t.second);
}

std::string MakeConfigBackup(const std::string& workingPath, const std::string& backupDir,
                             uint32_t collarId, const Clock& clock, Prompter& prompter) {
  File in(std::fopen(workingPath.c_str(), "rb"));
  if (!in) {
    prompter.notify("Could not open the collar configuration file to create a backup copy.",
                    "Error", PromptIcon::Error);
    return std::string();
  }
  const std::string target = JoinPath(backupDir, ConfigBackupName(collarId, clock.now()));
  File out(std::fopen(target.c_str(), "wb"));
  if (!out) {
    prompter.notify("Could not create a backup file.", "Error", PromptIcon::Error);
    return std::string();
  }
  char buffer[4096];
  size_t n;
  bool ok = true;
  while ((n = std::fread(buffer, 1, sizeof buffer, in.get())) > 0)
    ok &= std::fwrite(buffer, 1, n, out.get()) == n;
  ok &= std::fclose(out.release()) == 0;
  if (!ok) {
    std::remove(target.c_str());
    prompter.notify("Could not create a backup file.", "Error", PromptIcon::Error);
    return std::string();
  }
  return target;
}

}  // namespace zelkor
