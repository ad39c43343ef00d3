// The user-visible collar sequences: reset, almanac, two-way GPS, and the
// configuration download behind the Collar Commands choices.
#pragma once

#include <string>

#include "app/command_ids.h"
#include "app/prompter.h"
#include "link/link_runner.h"

namespace zelkor {

inline const char kResetQuestion[] = "This will erase all data in the collar, are you sure you want to do this?";
inline const char kResetCaption[] = "Reset DataPointer";
inline const char kErasedCaption[] = "Data Erased";
inline const char kResetFailed[] = "Error sending command. Did not reset the datapointer.";

enum class CollarChoice { OffloadGpsData = 0, ViewConfig = 1, EditConfig = 2, LoadAlmanac = 3, Exit = 4 };

inline const char kUnsavedData[] = "This collar holds data that has not been saved; offload it first.";

// "Reset Datapointer": asks first (No is the default; No sends nothing).
// Then reads the collar's memory and erases it only when it holds no data
// or the data equals the newest backup of that collar. True when the memory
// is known to be erased.
bool RunResetSequence(Prompter& prompter, LinkRunner& link, int port, const std::string& programDirectory);

// "Send Command" of the almanac dialog: sends until it is received or the
// user cancels the Retry question. The dialog closes afterwards.
void RunAlmanacSend(Prompter& prompter, LinkRunner& link, int port);

// "Send Command" of the two-way GPS dialog: one request, no message.
void RunTwoWaySend(LinkRunner& link, int port);

struct ConfigDownloadState {
  std::string downloadedConfigPath;
  bool viewOnly = false;
};

// Collar Commands choices 0-2: downloads the configuration and queues what
// comes next (32782, 32776, or 32775 after a failure). True on success.
// configFileName: where in "Backup/Collar Config" the record arrives (one
// name per port when collars are offloaded side by side).
bool RunConfigDownloadChoice(CollarChoice choice, int port, const std::string& programDirectory,
                             ConfigDownloadState& state, LinkRunner& link, Prompter& prompter,
                             CommandSink& commands, const std::string& configFileName = "CollarConfig.cfg");

}  // namespace zelkor
