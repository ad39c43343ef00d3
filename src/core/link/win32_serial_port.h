// SerialPort on the Win32 comm calls: CreateFile on \\.\COMn (exclusive by
// nature: a second opener gets ERROR_ACCESS_DENIED), a DCB for the line
// settings and COMMTIMEOUTS for reads that wait.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "link/byte_channel.h"
#include "link/port_book.h"
#include "link/port_problem.h"
#include "link/serial_port.h"

namespace zelkor {

class Win32SerialPort : public SerialPort {
 public:
  using Resolver = std::function<std::string(int portIndex)>;
  // A Win32 HANDLE, kept opaque here so that the header needs no windows.h.
  using Handle = void*;

  explicit Win32SerialPort(Resolver resolver);
  ~Win32SerialPort() override;

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
  // The held port's handle value; the launcher passes it to the helper.
  int heldDescriptor(int port) const override;
  std::string portName(int port) const override;
  std::string openProblem(int port) const override;

  PortProblem lastProblem(int port) const;
  std::string device(int port) const { return book_.device(port); }
  int readByteTimeout(int port, int timeoutMs);

  // "COM12" -> "\\.\COM12"; other names unchanged.
  static std::string DevicePath(const std::string& device);
  // Opens a device for exclusive use; nullptr and *problem on failure.
  static Handle OpenExclusive(const std::string& device, PortProblem* problem);
  static bool ConfigureRaw(Handle handle, int baud, int dataBits, int stopBits, char parity);
  static void CloseExclusive(Handle handle);
  // One byte within timeoutMs: 0-255, kReadTimeout or kChannelClosed.
  static int ReadWithTimeout(Handle handle, int timeoutMs);
  static bool WriteAll(Handle handle, const uint8_t* data, size_t size);

 private:
  PortBook<Handle> book_;
};

// A ByteChannel on an open comm handle (the helper's port).
class HandleChannel : public ByteChannel {
 public:
  explicit HandleChannel(Win32SerialPort::Handle handle) : handle_(handle) {}
  bool write(const uint8_t* data, size_t size) override;
  int read(int timeoutMs) override;
  void drain() override;

 private:
  Win32SerialPort::Handle handle_;
};

}  // namespace zelkor
