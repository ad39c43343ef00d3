// nvk_xmodem: receives one file by XMODEM (checksum) over a serial port.
//
// Started by the program as
//   <port> <baud> <data bits> <stop bits> <packet count> <parity> <program dir> <receive path>
// with the 1-based port number in the place of the program name. Run by
// hand, the same eight arguments follow the program name.
//
// Prints "packet N of M" lines on stdout while it receives. Exits 0 when
// the file was received and written, and -1 (255) on any failure, leaving
// no file behind.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

#include "util/atomic_file.h"
#include "link/byte_channel.h"
#include "link/port_map.h"
#include "link/posix_serial_port.h"
#include "link/xmodem.h"

using namespace zelkor;

namespace {
int Fail(const std::string& why) {
  std::fprintf(stderr, "nvk_xmodem: %s\n", why.c_str());
  return 255;
}

bool Number(const std::string& s, long* out) {
  char* end = nullptr;
  const long v = std::strtol(s.c_str(), &end, 10);
  if (s.empty() || *end) return false;
  *out = v;
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> a;
  if (argc == 8) {
    for (int i = 0; i < 8; ++i) a.push_back(argv[i]);
  } else if (argc == 9) {
    for (int i = 1; i < 9; ++i) a.push_back(argv[i]);
  } else {
    return Fail("usage: PORT BAUD DATABITS STOPBITS PACKETS PARITY PROGRAMDIR RECEIVEPATH");
  }
  long port = 0, baud = 0, dataBits = 0, stopBits = 0, packets = 0;
  if (!Number(a[0], &port) || port < 1 || port > kPortCount) return Fail("bad port number '" + a[0] + "'");
  if (!Number(a[1], &baud) || !Number(a[2], &dataBits) || !Number(a[3], &stopBits))
    return Fail("bad line settings");
  if (!a[4].empty() && !Number(a[4], &packets)) return Fail("bad packet count '" + a[4] + "'");
  const char parity = a[5].empty() ? 'N' : a[5][0];
  const std::string& receivePath = a[7];

  const std::string device = PortDevice(static_cast<int>(port - 1));
  PortProblem problem = PortProblem::None;
  int fd = -1;
  // The program has just closed the port; give the system a moment.
  for (int i = 0; i < 40 && fd < 0; ++i) {
    fd = PosixSerialPort::OpenExclusive(device, &problem);
    if (fd < 0 && problem != PortProblem::Busy) break;
    if (fd < 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (fd < 0) return Fail(DescribePortProblem(problem, device));
  if (!PosixSerialPort::ConfigureRaw(fd, static_cast<int>(baud), static_cast<int>(dataBits),
                                     static_cast<int>(stopBits), parity)) {
    PosixSerialPort::CloseExclusive(fd);
    return Fail("cannot set up " + device);
  }

  FdChannel channel(fd);
  XmodemReceiveOptions options;
  // Diagnostics and tests may shorten the wait for a silent sender.
  if (const char* t = std::getenv("ZELKOR_XMODEM_TIMEOUT_MS")) {
    const int ms = std::atoi(t);
    if (ms > 0) {
      options.packetTimeoutMs = ms;
      options.startTimeoutMs = std::min(options.startTimeoutMs, ms);
    }
  }
  options.progress = [packets](int n) {
    if (packets > 0)
      std::printf("packet %d of %ld\n", n, packets);
    else
      std::printf("packet %d\n", n);
    std::fflush(stdout);
  };
  const XmodemReceiveResult r = XmodemReceive(channel, options);
  // The final ACK has been drained by the receiver; close without flushing
  // output, which could throw that ACK away.
  PosixSerialPort::CloseExclusive(fd);
  if (r.status != XmodemStatus::Ok) return Fail(std::string("not received: ") + XmodemStatusText(r.status));

  const std::string bytes(r.data.begin(), r.data.end());
  if (WriteFileAtomically(receivePath, bytes) != AtomicWrite::Ok) return Fail("cannot write " + receivePath);
  std::printf("received %zu bytes in %d packets\n", r.data.size(), r.packets);
  return 0;
}
