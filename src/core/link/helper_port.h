// The port the transfer helper (nvk_xmodem) receives on, and the ways it is
// told to stop. Either the program that started it holds the port for a
// whole collar sequence and hands it over (a descriptor on Linux, an
// inherited handle on Windows, named by ZELKOR_PORT_FD), or the helper opens
// the device itself.
#pragma once

#include <memory>
#include <string>

#include "link/byte_channel.h"

namespace zelkor {

class HelperPort {
 public:
  // The handed-over port, else the device opened exclusively (retried for
  // two seconds while the program lets go of it). nullptr and *error when
  // neither works or a stop came first.
  static std::unique_ptr<HelperPort> Open(const std::string& device, std::string* error);
  // Closes the port; a handed-over one keeps the lock its owner holds.
  virtual ~HelperPort() = default;
  virtual bool configure(int baud, int dataBits, int stopBits, char parity) = 0;
  virtual ByteChannel& channel() = 0;
};

// Installs what asks the helper to stop: SIGTERM, SIGINT, SIGHUP and the
// death of the starting program on Linux; Ctrl+C, or a line on (or the end
// of) standard input when ZELKOR_CANCEL_PIPE is set, on Windows. Also makes
// a full disk a write error rather than a kill.
void InstallHelperStopHandlers();
bool HelperStopRequested();

}  // namespace zelkor
