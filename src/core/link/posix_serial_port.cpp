#include "link/posix_serial_port.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/sysmacros.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace zelkor {

namespace {
speed_t BaudConstant(int baud) {
  switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0;
  }
}
}  // namespace

int PosixSerialPort::OpenExclusive(const std::string& device, PortProblem* problem) {
  *problem = PortProblem::None;
  if (device.empty()) {
    *problem = PortProblem::Missing;
    return -1;
  }
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *problem = errno == ENOENT || errno == ENXIO || errno == ENODEV ? PortProblem::Missing
               : errno == EACCES || errno == EPERM                  ? PortProblem::PermissionDenied
               : errno == EBUSY                                     ? PortProblem::Busy
                                                                    : PortProblem::Other;
    return -1;
  }
  if (!isatty(fd)) {
    ::close(fd);
    *problem = PortProblem::NotATerminal;
    return -1;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    *problem = PortProblem::Busy;
    return -1;
  }
  ioctl(fd, TIOCEXCL);
  return fd;
}

void PosixSerialPort::CloseExclusive(int fd) {
  if (fd < 0) return;
  // Exclusive mode belongs to the device, not the descriptor: clear it so the
  // next opener (the transfer helper) is not refused.
  ioctl(fd, TIOCNXCL);
  flock(fd, LOCK_UN);
  ::close(fd);
}

bool PosixSerialPort::ConfigureRaw(int fd, int baud, int dataBits, int stopBits, char parity) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return false;
  cfmakeraw(&t);
  t.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
  t.c_cflag |= CREAD | CLOCAL;
  t.c_cflag |= dataBits == 7 ? CS7 : CS8;
  if (stopBits == 2) t.c_cflag |= CSTOPB;
  if (parity == 'E' || parity == 'e') t.c_cflag |= PARENB;
  if (parity == 'O' || parity == 'o') t.c_cflag |= PARENB | PARODD;
  t.c_iflag &= ~(IXON | IXOFF | IXANY);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  const speed_t speed = BaudConstant(baud);
  cfsetispeed(&t, speed);
  cfsetospeed(&t, speed);
  if (tcsetattr(fd, TCSANOW, &t) != 0) return false;
  termios check{};
  if (tcgetattr(fd, &check) != 0) return false;
  const bool ok = (check.c_cflag & CSIZE) == (t.c_cflag & CSIZE) &&
                  (check.c_cflag & CSTOPB) == (t.c_cflag & CSTOPB) &&
                  (check.c_cflag & PARENB) == (t.c_cflag & PARENB) && (check.c_iflag & (IXON | IXOFF)) == 0 &&
                  cfgetospeed(&check) == speed;
  tcflush(fd, TCIFLUSH);
  return ok;
}

bool PosixSerialPort::StillThere(int fd, const std::string& device) {
  // A hang-up or an error on the descriptor: the device went away.
  pollfd p{fd, 0, 0};
  if (poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) return false;
  struct stat open {}, now {};
  if (fstat(fd, &open) != 0) return false;
  // The name leads elsewhere now (a new adapter, a new pseudo-terminal).
  if (stat(device.c_str(), &now) != 0) return false;
  return open.st_rdev == now.st_rdev && open.st_ino == now.st_ino && open.st_dev == now.st_dev;
}

PosixSerialPort::PosixSerialPort(Resolver resolver)
    : book_(std::move(resolver), -1, &PosixSerialPort::OpenExclusive, &PosixSerialPort::CloseExclusive,
            &PosixSerialPort::StillThere) {}

PosixSerialPort::~PosixSerialPort() = default;

int PosixSerialPort::closePort(int port) {
  book_.close(port);
  return 0;
}

bool PosixSerialPort::holdPort(int port) { return book_.hold(port); }

void PosixSerialPort::releasePort(int port) { book_.release(port); }

int PosixSerialPort::heldDescriptor(int port) const { return book_.held(port); }

int PosixSerialPort::openPort(int port) { return book_.open(port); }

int PosixSerialPort::checkPort(int port) { return book_.handle(port) >= 0 ? 0 : 1; }

int PosixSerialPort::configurePort(int port, int baud, int dataBits, int stopBits, char parity, int) {
  const int fd = book_.handle(port);
  if (fd < 0) return -1;
  return ConfigureRaw(fd, baud, dataBits, stopBits, parity) ? 0 : -1;
}

int PosixSerialPort::writeByte(int port, uint8_t byte) {
  const int fd = book_.handle(port);
  if (fd < 0) return -1;
  for (int tries = 0; tries < 1000; ++tries) {
    const ssize_t n = ::write(fd, &byte, 1);
    if (n == 1) return 0;
    if (n < 0 && errno != EAGAIN && errno != EINTR) return -1;
    pollfd p{fd, POLLOUT, 0};
    poll(&p, 1, 10);
  }
  return -1;
}

int PosixSerialPort::readByteTimeout(int port, int timeoutMs) {
  const int fd = book_.handle(port);
  if (fd < 0) return -2;
  pollfd p{fd, POLLIN, 0};
  const int r = poll(&p, 1, timeoutMs);
  if (r <= 0) return -1;
  if (p.revents & POLLIN) {
    uint8_t b;
    if (::read(fd, &b, 1) == 1) return b;
  }
  if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) return -2;
  return -1;
}

int PosixSerialPort::readByte(int port, uint8_t* byte) {
  const int r = readByteTimeout(port, 0);
  if (r < 0) return -1;
  *byte = static_cast<uint8_t>(r);
  return 0;
}

int PosixSerialPort::bytesWaiting(int port, int) {
  const int fd = book_.handle(port);
  if (fd < 0) return 0;
  int n = 0;
  if (ioctl(fd, FIONREAD, &n) != 0) return 0;
  return n;
}

int PosixSerialPort::outputDrained(int port, int) {
  const int fd = book_.handle(port);
  if (fd < 0) return 1;
  int queued = 0;
  if (ioctl(fd, TIOCOUTQ, &queued) == 0 && queued == 0) return 1;
  tcdrain(fd);
  return ioctl(fd, TIOCOUTQ, &queued) == 0 && queued == 0 ? 1 : 0;
}

int PosixSerialPort::setPortOption(int port, int value, int) {
  // Bookkeeping only: the POSIX port needs no such option.
  return book_.setOption(port, value);
}

int PosixSerialPort::probePort(int port) { return book_.probe(port); }

std::string PosixSerialPort::portName(int port) const {
  return "COM" + std::to_string(port + 1) + " = " + book_.device(port);
}

std::string PosixSerialPort::openProblem(int port) const {
  return DescribePortProblem(lastProblem(port), book_.device(port));
}

PortProblem PosixSerialPort::lastProblem(int port) const { return book_.lastProblem(port); }

std::string PortHolder(const std::string& device) {
  // The lock a holder takes (flock) is listed in /proc/locks with its
  // process and the device node's major:minor:inode.
  struct stat st {};
  if (stat(device.c_str(), &st) != 0) return std::string();
  std::ifstream locks("/proc/locks");
  for (std::string line; std::getline(locks, line);) {
    std::istringstream words(line);
    std::string number, kind, mode, access, file;
    long pid = 0;
    if (!(words >> number >> kind)) continue;
    if (kind == "->") words >> kind;  // a waiter
    if (!(words >> mode >> access >> pid >> file) || kind != "FLOCK") continue;
    unsigned major = 0, minor = 0;
    unsigned long inode = 0;
    if (std::sscanf(file.c_str(), "%x:%x:%lu", &major, &minor, &inode) != 3) continue;
    if (inode != st.st_ino || major != ::major(st.st_dev) || minor != ::minor(st.st_dev)) continue;
    if (pid == static_cast<long>(getpid())) return "this program";
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return "PID " + std::to_string(pid) + (name.empty() ? std::string() : " (" + name + ")");
  }
  return std::string();
}

std::string DescribePortProblem(PortProblem problem, const std::string& device) {
  switch (problem) {
    case PortProblem::None: return std::string();
    case PortProblem::Missing: return device + " does not exist.";
    case PortProblem::Busy: {
      const std::string holder = PortHolder(device);
      return holder.empty() ? device + " is in use by another program." : device + " is in use by " + holder + ".";
    }
    case PortProblem::NotATerminal: return device + " is not a serial port.";
    case PortProblem::Other: return device + " could not be opened.";
    case PortProblem::PermissionDenied: {
      std::string groupName = "dialout";
      struct stat st {};
      if (stat(device.c_str(), &st) == 0) {
        if (const struct group* g = getgrgid(st.st_gid)) groupName = g->gr_name;
      }
      return device + " exists but you may not open it. Add yourself to the group \"" + groupName +
             "\" (sudo usermod -aG " + groupName + " $USER), then log out and in again.";
    }
  }
  return std::string();
}

}  // namespace zelkor
