// The serial port of the platform we are built for.
#pragma once

#ifdef _WIN32
#include "link/win32_serial_port.h"
namespace zelkor {
using SystemSerialPort = Win32SerialPort;
}
#else
#include "link/posix_serial_port.h"
namespace zelkor {
using SystemSerialPort = PosixSerialPort;
}
#endif
