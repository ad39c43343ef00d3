#include "link/win32_serial_port.h"

#include <windows.h>

#include <chrono>
#include <thread>

namespace zelkor {

namespace {
HANDLE H(Win32SerialPort::Handle h) { return static_cast<HANDLE>(h); }

// Reads wait at most timeoutMs for the first byte and return at once when
// one is there; 0 returns what is waiting without waiting.
bool SetReadTimeout(HANDLE h, int timeoutMs) {
  COMMTIMEOUTS t{};
  t.ReadIntervalTimeout = MAXDWORD;
  if (timeoutMs > 0) {
    t.ReadTotalTimeoutMultiplier = MAXDWORD;
    t.ReadTotalTimeoutConstant = static_cast<DWORD>(timeoutMs);
  }
  t.WriteTotalTimeoutConstant = 5000;
  return SetCommTimeouts(h, &t) != 0;
}
}  // namespace

std::string Win32SerialPort::DevicePath(const std::string& device) {
  if (device.size() > 3 && (device.compare(0, 3, "COM") == 0 || device.compare(0, 3, "com") == 0) &&
      device.find('\\') == std::string::npos)
    return "\\\\.\\" + device;
  return device;
}

Win32SerialPort::Handle Win32SerialPort::OpenExclusive(const std::string& device, PortProblem* problem) {
  *problem = PortProblem::None;
  if (device.empty()) {
    *problem = PortProblem::Missing;
    return nullptr;
  }
  const std::string path = DevicePath(device);
  // No sharing: the system refuses every other opener while we hold it.
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD e = GetLastError();
    *problem = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? PortProblem::Missing
               : e == ERROR_ACCESS_DENIED || e == ERROR_SHARING_VIOLATION ? PortProblem::Busy
                                                                         : PortProblem::Other;
    return nullptr;
  }
  if (GetFileType(h) != FILE_TYPE_CHAR) {
    CloseHandle(h);
    *problem = PortProblem::NotATerminal;
    return nullptr;
  }
  return h;
}

void Win32SerialPort::CloseExclusive(Handle handle) {
  if (handle) CloseHandle(H(handle));
}

bool Win32SerialPort::ConfigureRaw(Handle handle, int baud, int dataBits, int stopBits, char parity) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(H(handle), &dcb)) return false;
  dcb.BaudRate = static_cast<DWORD>(baud);
  dcb.ByteSize = static_cast<BYTE>(dataBits == 7 ? 7 : 8);
  dcb.StopBits = stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
  const bool even = parity == 'E' || parity == 'e', odd = parity == 'O' || parity == 'o';
  dcb.Parity = even ? EVENPARITY : odd ? ODDPARITY : NOPARITY;
  dcb.fParity = even || odd;
  dcb.fBinary = TRUE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fNull = FALSE;
  dcb.fAbortOnError = FALSE;
  if (!SetCommState(H(handle), &dcb)) return false;
  DCB check{};
  check.DCBlength = sizeof check;
  if (!GetCommState(H(handle), &check)) return false;
  const bool ok = check.BaudRate == dcb.BaudRate && check.ByteSize == dcb.ByteSize &&
                  check.StopBits == dcb.StopBits && check.Parity == dcb.Parity && !check.fOutX && !check.fInX;
  PurgeComm(H(handle), PURGE_RXCLEAR);
  return ok && SetReadTimeout(H(handle), 0);
}

int Win32SerialPort::ReadWithTimeout(Handle handle, int timeoutMs) {
  if (!handle) return kChannelClosed;
  if (!SetReadTimeout(H(handle), timeoutMs < 0 ? 0 : timeoutMs)) return kChannelClosed;
  uint8_t b = 0;
  DWORD n = 0;
  if (!ReadFile(H(handle), &b, 1, &n, nullptr)) return kChannelClosed;
  return n == 1 ? b : kReadTimeout;
}

bool Win32SerialPort::WriteAll(Handle handle, const uint8_t* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    DWORD n = 0;
    if (!WriteFile(H(handle), data + done, static_cast<DWORD>(size - done), &n, nullptr)) return false;
    if (n == 0) return false;  // the write timeout passed
    done += n;
  }
  return true;
}

Win32SerialPort::Win32SerialPort(Resolver resolver)
    : book_(std::move(resolver), nullptr, &Win32SerialPort::OpenExclusive, &Win32SerialPort::CloseExclusive,
            [](Handle h, const std::string&) {
              // A removed USB adapter leaves a handle whose comm calls fail.
              DWORD errors = 0;
              COMSTAT status{};
              return ClearCommError(H(h), &errors, &status) != 0;
            }) {}

Win32SerialPort::~Win32SerialPort() = default;

int Win32SerialPort::closePort(int port) {
  book_.close(port);
  return 0;
}

bool Win32SerialPort::holdPort(int port) { return book_.hold(port); }

void Win32SerialPort::releasePort(int port) { book_.release(port); }

int Win32SerialPort::heldDescriptor(int port) const {
  Handle h = book_.held(port);
  // Handle values are small multiples of four; they fit an int.
  return h ? static_cast<int>(reinterpret_cast<intptr_t>(h)) : -1;
}

int Win32SerialPort::openPort(int port) { return book_.open(port); }

int Win32SerialPort::checkPort(int port) { return book_.handle(port) ? 0 : 1; }

int Win32SerialPort::configurePort(int port, int baud, int dataBits, int stopBits, char parity, int) {
  Handle h = book_.handle(port);
  if (!h) return -1;
  return ConfigureRaw(h, baud, dataBits, stopBits, parity) ? 0 : -1;
}

int Win32SerialPort::writeByte(int port, uint8_t byte) {
  Handle h = book_.handle(port);
  if (!h) return -1;
  return WriteAll(h, &byte, 1) ? 0 : -1;
}

int Win32SerialPort::readByteTimeout(int port, int timeoutMs) {
  Handle h = book_.handle(port);
  if (!h) return -2;
  const int r = ReadWithTimeout(h, timeoutMs);
  return r == kChannelClosed ? -2 : r == kReadTimeout ? -1 : r;
}

int Win32SerialPort::readByte(int port, uint8_t* byte) {
  const int r = readByteTimeout(port, 0);
  if (r < 0) return -1;
  *byte = static_cast<uint8_t>(r);
  return 0;
}

int Win32SerialPort::bytesWaiting(int port, int) {
  Handle h = book_.handle(port);
  if (!h) return 0;
  COMSTAT stat{};
  DWORD errors = 0;
  if (!ClearCommError(H(h), &errors, &stat)) return 0;
  return static_cast<int>(stat.cbInQue);
}

int Win32SerialPort::outputDrained(int port, int) {
  Handle h = book_.handle(port);
  if (!h) return 1;
  COMSTAT stat{};
  DWORD errors = 0;
  if (ClearCommError(H(h), &errors, &stat) && stat.cbOutQue == 0) return 1;
  FlushFileBuffers(H(h));
  return ClearCommError(H(h), &errors, &stat) && stat.cbOutQue == 0 ? 1 : 0;
}

int Win32SerialPort::setPortOption(int port, int value, int) { return book_.setOption(port, value); }

int Win32SerialPort::probePort(int port) { return book_.probe(port); }

std::string Win32SerialPort::portName(int port) const {
  const std::string device = book_.device(port);
  const std::string com = "COM" + std::to_string(port + 1);
  return device == com ? com : com + " = " + device;
}

std::string Win32SerialPort::openProblem(int port) const {
  return DescribePortProblem(lastProblem(port), book_.device(port));
}

PortProblem Win32SerialPort::lastProblem(int port) const { return book_.lastProblem(port); }

// Windows names no holder of a COM port to other programs.
std::string PortHolder(const std::string&) { return std::string(); }

std::string DescribePortProblem(PortProblem problem, const std::string& device) {
  switch (problem) {
    case PortProblem::None: return std::string();
    case PortProblem::Missing:
      return device + " does not exist. Plug in the serial adapter and look up its COM number in Device Manager.";
    case PortProblem::Busy: return device + " is in use by another program.";
    case PortProblem::NotATerminal: return device + " is not a serial port.";
    case PortProblem::PermissionDenied: return device + " may not be opened by this user.";
    case PortProblem::Other: return device + " could not be opened.";
  }
  return std::string();
}

bool HandleChannel::write(const uint8_t* data, size_t size) { return Win32SerialPort::WriteAll(handle_, data, size); }

int HandleChannel::read(int timeoutMs) { return Win32SerialPort::ReadWithTimeout(handle_, timeoutMs); }

void HandleChannel::drain() { FlushFileBuffers(H(handle_)); }

}  // namespace zelkor
