// SerialPort on the POSIX serial interface. Works the same on a real port
// and on a pseudo-terminal. A port is held exclusively: flock() keeps other
// processes out and TIOCEXCL other openers of the device.
#pragma once

#include <functional>
#include <string>

#include "link/port_book.h"
#include "link/port_problem.h"
#include "link/serial_port.h"

namespace zelkor {

class PosixSerialPort : public SerialPort {
 public:
  using Resolver = std::function<std::string(int portIndex)>;
  explicit PosixSerialPort(Resolver resolver);
  ~PosixSerialPort() override;

  int closePort(int port) override;
  int openPort(int port) override;
  int checkPort(int port) override;
  int configurePort(int port, int baud, int dataBits, int stopBits, char parity, int handshake) override;
  int writeByte(int port, uint8_t byte) override;
  int readByte(int port, uint8_t* byte) override;
  int bytesWaiting(int port, int arg) override;
  int outputDrained(int port, int arg) override;
  int setPortOption(int port, int value, int arg) override;
  int probePort(int port) override;
  bool holdPort(int port) override;
  void releasePort(int port) override;
  int heldDescriptor(int port) const override;
  std::string portName(int port) const override;
  std::string openProblem(int port) const override;

  // What went wrong with the last open of the port.
  PortProblem lastProblem(int port) const;
  std::string device(int port) const { return book_.device(port); }
  // Waits up to timeoutMs for a byte; -1 on timeout, -2 when the device is gone.
  int readByteTimeout(int port, int timeoutMs);

  // Opens a device for exclusive use and sets it raw 4800 8N2; used by
  // programs that hold one port (nvk_xmodem). Returns -1 and sets *problem.
  static int OpenExclusive(const std::string& device, PortProblem* problem);
  static bool ConfigureRaw(int fd, int baud, int dataBits, int stopBits, char parity);
  // Drops exclusive use and closes.
  static void CloseExclusive(int fd);
  // Whether an open descriptor still leads to the device of that name.
  static bool StillThere(int fd, const std::string& device);

 private:
  PortBook<int> book_;
};

}  // namespace zelkor
