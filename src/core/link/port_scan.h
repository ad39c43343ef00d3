// The port scan of the "Select Port" dialog: which of COM1-COM36 exist and
// are free, and what each one is.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "link/system_serial_port.h"

namespace zelkor {

inline const char kNoFreePorts[] = "No free com ports were detected.";

struct PortEntry {
  int index = 0;          // 0-based
  std::string text;       // "COM5  /dev/ttyUSB0  FT232R USB UART"
};

struct PortScan {
  std::vector<PortEntry> entries;  // the free ports, ascending
  // Ports that exist but another program (or this one) holds: shown greyed,
  // "COM3: in use by PID 1234 (zelkor-cli)".
  std::vector<PortEntry> busy;
  int selected = -1;               // position in entries
  std::string permissionHint;      // how to reach ports we may not open
};

// probePort on every index; the saved port is preselected when free, else
// the first entry. describe(index) gives the text after "COM%d".
PortScan ScanPorts(SystemSerialPort& serial, int savedPort,
                   const std::function<std::string(int index)>& describe = {});

// The adapter's name as the system knows it (sysfs), or empty.
std::string AdapterName(const std::string& device);

// "/dev/ttyUSB0  FT232R USB UART": a port's device and its adapter's name.
std::string DescribePort(SystemSerialPort& serial, int index);

}  // namespace zelkor
