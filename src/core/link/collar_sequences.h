// The user-visible collar sequences: reset, almanac, two-way GPS, and the
// configuration download behind the Collar Commands choices.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/prompter.h"
#include "config/collar_config.h"
#include "link/link_runner.h"

namespace zelkor {

inline const char kResetQuestion[] = "This will erase all data in the collar, are you sure you want to do this?";
inline const char kResetCaption[] = "Reset DataPointer";
inline const char kErasedCaption[] = "Data Erased";
inline const char kResetFailed[] = "Error sending command. Did not reset the datapointer.";

enum class CollarChoice { OffloadGpsData = 0, ViewConfig = 1, EditConfig = 2, LoadAlmanac = 3, Exit = 4 };

inline const char kUnsavedData[] = "This collar holds data that has not been saved; offload it first.";

// One download of the collar's configuration record, to a scratch file of
// this job (in "Backup/Collar Config") that is removed once its bytes are
// in memory. The link's own messages come back in `link.problems` (and in
// `error`) for the caller to say once.
struct ConfigFetch {
  bool commandReceived = false;
  bool received = false;  // the record arrived and reads as a configuration
  bool cancelled = false;
  std::string error;      // why not, for people
  std::vector<uint8_t> record;
  CollarConfig config;
  LinkResult link;
};
ConfigFetch FetchCollarConfig(LinkRunner& link, int port, const std::string& programDirectory,
                              const std::string& stage = {});

// "Reset Datapointer": asks first (No is the default; No sends nothing).
// Then reads the collar's configuration: an empty memory is erased at once;
// a collar of which no backup exists is not read at all ("offload it
// first"); otherwise its memory is read and erased only when it equals the
// newest backup of that collar. A cancel (cancelled() true) at any moment
// before the erase command stops it. True when the memory is known to be
// erased.
bool RunResetSequence(Prompter& prompter, LinkRunner& link, int port, const std::string& programDirectory,
                      const std::function<bool()>& cancelled = {});

// "Send Command" of the almanac dialog: sends until it is received or the
// user cancels the Retry question. The dialog closes afterwards.
void RunAlmanacSend(Prompter& prompter, LinkRunner& link, int port);

// "Send Command" of the two-way GPS dialog: one request, no message.
// True when the collar acknowledged the command.
bool RunTwoWaySend(LinkRunner& link, int port);

struct ConfigDownloadState {
  std::string downloadedConfigPath;
  bool viewOnly = false;
  // The record this job downloaded, as it came; what the steps after the
  // download work from (the file under downloadedConfigPath may be replaced
  // by another program's download at any moment). Empty when none.
  std::vector<uint8_t> record;
};

// Collar Commands choices 0-2: downloads the configuration and queues what
// comes next (32782, 32776, or 32775 after a failure). True on success. A
// failure is said once: the program's own sentence, the precise reason under
// it, and Retry. The record is kept in `state.record` and written (whole)
// as configFileName in "Backup/Collar Config", where the user finds the
// configuration last downloaded.
bool RunConfigDownloadChoice(CollarChoice choice, int port, const std::string& programDirectory,
                             ConfigDownloadState& state, LinkRunner& link, Prompter& prompter,
                             CommandSink& commands, const std::string& configFileName = "CollarConfig.cfg");

}  // namespace zelkor
