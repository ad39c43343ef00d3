// The serial ports the system itself lists, with the driver's device name.
// Windows keeps that list in the registry (HARDWARE\DEVICEMAP\SERIALCOMM:
// "\Device\Serial0" = "COM1", "\Device\USBSER000" = "COM5"); elsewhere the
// ports are found by opening them, and this list is empty.
#pragma once

#include <map>
#include <string>

namespace zelkor {

// COM number -> the system's device name for it.
std::map<int, std::string> SystemComPorts();

}  // namespace zelkor
