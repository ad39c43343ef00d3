// The program's serial ports and transfer helper: ports map to devices
// through the environment, the "Port Devices" settings and the platform
// defaults; the helper sits next to the program.
#pragma once

#include <memory>

#include "link/system_serial_port.h"
#include "link/xmodem_launcher.h"

namespace zelkor {

// The device of a port, with the settings store's "Port Devices/COM<n>".
std::string AppPortDevice(int portIndex);

std::unique_ptr<SystemSerialPort> MakeAppSerialPort();
// The helper learns ports that only the settings map through its environment.
std::unique_ptr<SpawnXmodemLauncher> MakeAppXmodemLauncher();

}  // namespace zelkor
