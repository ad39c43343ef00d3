#include "link/port_scan.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "link/port_map.h"
#include "util/text.h"

namespace fs = std::filesystem;

namespace zelkor {

PortScan ScanPorts(SystemSerialPort& serial, int savedPort, const std::function<std::string(int)>& describe) {
  PortScan scan;
  for (int i = 0; i < kPortCount; ++i) {
    if (serial.probePort(i) == 1) {
      PortEntry e;
      e.index = i;
      e.text = Format("COM%d", i + 1);
      if (describe) {
        const std::string more = describe(i);
        if (!more.empty()) e.text += "  " + more;
      }
      if (i == savedPort) scan.selected = static_cast<int>(scan.entries.size());
      scan.entries.push_back(e);
    } else if (serial.lastProblem(i) == PortProblem::Busy) {
      PortEntry e;
      e.index = i;
      const std::string holder = PortHolder(serial.device(i));
      e.text = Format("COM%d: in use by %s", i + 1, holder.empty() ? "another program" : holder.c_str());
      scan.busy.push_back(e);
    } else if (serial.lastProblem(i) == PortProblem::PermissionDenied && scan.permissionHint.empty()) {
      scan.permissionHint = Format("COM%d: ", i + 1) + DescribePortProblem(PortProblem::PermissionDenied, serial.device(i));
    }
  }
  if (scan.selected < 0 && !scan.entries.empty()) scan.selected = 0;
  return scan;
}

namespace {
std::string ReadLine(const fs::path& p) {
  std::ifstream in(p);
  std::string line;
  std::getline(in, line);
  return line;
}
}  // namespace

std::string AdapterName(const std::string& device) {
  std::error_code ec;
  const fs::path real = fs::canonical(device, ec);
  if (ec) return std::string();
  fs::path dir = fs::path("/sys/class/tty") / real.filename() / "device";
  dir = fs::canonical(dir, ec);
  if (ec) return std::string();
  // USB adapters: the interface, then the device, carry the names.
  for (int up = 0; up < 4 && !dir.empty(); ++up, dir = dir.parent_path()) {
    for (const char* name : {"interface", "product"}) {
      const std::string text = ReadLine(dir / name);
      if (!text.empty()) return text;
    }
  }
  return std::string();
}

std::string DescribePort(SystemSerialPort& serial, int index) {
  const std::string device = serial.device(index);
  const std::string adapter = AdapterName(device);
  return adapter.empty() ? device : device + "  " + adapter;
}

}  // namespace zelkor
