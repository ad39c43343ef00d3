// The start-up settings pass: first-run detection, the defaults of a first
// run, and the serial port of a normal start.
#pragma once

#include <functional>

#include "app/app_state.h"
#include "app/command_ids.h"
#include "app/prompter.h"
#include "app/settings_store.h"

namespace zelkor {

// "ComPort" as a port index, 0 (COM1) when missing, unreadable or naming no
// port.
int ReadComPort(const SettingsStore& store);

inline const char kRegistryWriteFailedFirstRun[] =
    "There was an error writing to the registry.  You will be asked to select a com port next "
    "time the program starts.";

enum class StartKind { Normal, FirstRun };

// Runs the pass. A first run is a store without the program's key (a new
// user) or one whose "FirstTime" is "TRUE" or missing: it writes the ten
// defaults, runs the UTC offset dialog through runUtcOffsetDialog, reports
// any failed write once, and then queues the port dialog. On a normal start
// it loads comPort and queues the Collar Commands dialog.
StartKind LoadSettings(AppState& state, SettingsStore& store, Prompter& prompter,
                       CommandSink& commands, const std::function<void()>& runUtcOffsetDialog);

}  // namespace zelkor
