// The ten serial-port operations the collar link uses. Every call names the
// port by its 0-based index (0 = COM1). A Windows build implements them on
// the Win32 comm calls; Linux on termios.
#pragma once

#include <cstdint>
#include <string>

namespace zelkor {

class SerialPort {
 public:
  virtual ~SerialPort() = default;
  // Releases the port; harmless when it is not open.
  virtual int closePort(int port) = 0;
  virtual int openPort(int port) = 0;
  // 0 = open and usable; anything else = in use or missing.
  virtual int checkPort(int port) = 0;
  virtual int configurePort(int port, int baud, int dataBits, int stopBits, char parity, int handshake) = 0;
  virtual int writeByte(int port, uint8_t byte) = 0;
  virtual int readByte(int port, uint8_t* byte) = 0;
  // Nonzero when at least one received byte waits.
  virtual int bytesWaiting(int port, int arg) = 0;
  // Nonzero once every queued byte has left the port.
  virtual int outputDrained(int port, int arg) = 0;
  // Sets a port option and returns its previous value.
  virtual int setPortOption(int port, int value, int arg) = 0;
  // 1 when the port exists and is free.
  virtual int probePort(int port) = 0;

  // Beyond the ten operations: a collar sequence (configuration download,
  // data request, erase) keeps the port open and locked from its first byte
  // to its last, so that no other program's command slips in between.
  // While a port is held, closePort leaves it open. holdPort opens the port
  // when it is not open; false when that fails.
  virtual bool holdPort(int /*port*/) { return false; }
  virtual void releasePort(int /*port*/) {}
  // The descriptor of a held port, handed to the transfer helper; -1 when
  // the port is not held or has no descriptor.
  virtual int heldDescriptor(int /*port*/) const { return -1; }

  // For messages: "COM1 = /dev/ttyS0", and why the last open of the port
  // failed, in words ("/dev/ttyS0 is in use by another program.").
  virtual std::string portName(int port) const { return "COM" + std::to_string(port + 1); }
  virtual std::string openProblem(int /*port*/) const { return std::string(); }
};


}  // namespace zelkor
