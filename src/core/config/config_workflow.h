// The configuration's way between the collar, the disk and the user: read
// the working file, keep a time-stamped copy, show it, and send an edited
// configuration back, verified by reading it back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/clock.h"
#include "app/command_ids.h"
#include "app/prompter.h"
#include "config/collar_config.h"
#include "link/link_runner.h"

namespace zelkor {

inline const char kUploadFailed[] = "Upload of configuration file failed!";

// The configuration dialog's own fields: five texts and three numbers.
struct ConfigFields {
  std::string collarId, softwareVersion, dataBlockCount, cumulativeGpsOnHours, backupBatteryHours;
  int maxFixDurationSeconds = 0, validFixesRequired = 0, almanacPeriodHours = 0;
};

ConfigFields FieldsFrom(const CollarConfig& config);
// Parses the texts back (a text that does not start with a number leaves its
// field; wide numbers keep their low bits) and copies the numbers. When the
// battery hours changed from rememberedBatteryHours, minutes and seconds
// become 0.
void StoreFields(const ConfigFields& fields, CollarConfig& config, uint32_t rememberedBatteryHours);

// Plain-words lines "Field: old -> new" for what differs between two
// configurations, in the order of the dialogs.
std::vector<std::string> DescribeChanges(const CollarConfig& before, const CollarConfig& after);

// The dialogs the workflow shows, behind small interfaces.
class ConfigDialogPort {
 public:
  virtual ~ConfigDialogPort() = default;
  // Shows the configuration dialog; true for OK. The fields come back edited.
  virtual bool run(ConfigFields& fields) = 0;
};

enum class OptionsChoice { Cancel, SendToCollar, SaveToFile };

class OptionsDialogPort {
 public:
  virtual ~OptionsDialogPort() = default;
  // Opens with "Send to collar" selected; fileName survives between openings.
  virtual OptionsChoice run(const std::vector<std::string>& changes, std::string& fileName) = 0;
};

struct ConfigWorkflowContext {
  CollarConfig& config;
  std::string workingPath;  // downloadedConfigPath
  bool& viewOnly;
  int comPort;
  Prompter& prompter;
  LinkRunner& link;
  const Clock& clock;
  CommandSink& commands;
  ConfigDialogPort& dialog;
  OptionsDialogPort& options;
  std::function<void(bool)> setBusy;
  std::function<void(int ms)> wait;  // must keep the window alive
  std::function<void(const std::string&)> status;  // a confirmation for the status bar; may be empty
  // The record the download before brought, as it came; the workflow works
  // from it rather than from workingPath, which another program may have
  // replaced meanwhile. Empty: read workingPath.
  std::vector<uint8_t> downloaded = {};
};

// ReadFailed: the working file could not be read (reported); nothing was
// shown and the Collar Commands dialog comes back.
enum class ConfigOutcome { Cancelled, Viewed, Verified, OptionsCancelled, ReadFailed };

ConfigOutcome RunConfigWorkflow(ConfigWorkflowContext& context);

}  // namespace zelkor
