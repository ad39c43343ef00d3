// nvk_xmodem: receives one file by XMODEM (checksum) over a serial port.
//
// Started by the program as
//   <port> <baud> <data bits> <stop bits> <packet count> <parity> <program dir> <receive path>
// with the 1-based port number in the place of the program name. Run by
// hand, the same eight arguments follow the program name.
//
// Prints "packet N of M" lines on stdout while it receives, and one
// "error: ..." line before it fails. Exits 0 when the file was received
// whole and written, and -1 (255) on any failure, leaving no file behind:
// fewer packets than the count asks for (less one, for rounding), a
// cancel (SIGTERM, SIGINT), or a file that cannot be written.
//
// When ZELKOR_PORT_FD names an open descriptor, the caller holds the port
// for a whole collar sequence and the helper receives on that descriptor.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include "util/atomic_file.h"
#include "link/byte_channel.h"
#include "link/port_map.h"
#include "link/posix_serial_port.h"
#include "link/xmodem.h"
#include "link/xmodem_launcher.h"

using namespace zelkor;

namespace {
volatile std::sig_atomic_t g_stop = 0;

void OnStop(int) { g_stop = 1; }

int Fail(const std::string& why) {
  // The caller reads this line as the reason the transfer failed.
  std::printf("error: %s\n", why.c_str());
  std::fflush(stdout);
  std::fprintf(stderr, "nvk_xmodem: %s\n", why.c_str());
  return 255;
}

// A descriptor handed over by the caller, or -1.
int InheritedPort() {
  const char* text = std::getenv(kPortDescriptorVariable);
  if (!text || !*text) return -1;
  char* end = nullptr;
  const long fd = std::strtol(text, &end, 10);
  if (*end || fd < 0 || fd > 1024 || !isatty(static_cast<int>(fd))) return -1;
  return static_cast<int>(fd);
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
  struct sigaction sa {};
  sa.sa_handler = OnStop;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGHUP, &sa, nullptr);
  // A full disk or a file-size limit is a write error to report, not a kill.
  std::signal(SIGXFSZ, SIG_IGN);
#ifdef __linux__
  // If the program that started us dies, the transfer ends with it.
  prctl(PR_SET_PDEATHSIG, SIGTERM);
#endif
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
  if (!a[4].empty() && (!Number(a[4], &packets) || packets < 0 || packets > 1000000))
    return Fail("bad packet count '" + a[4] + "'");
  const char parity = a[5].empty() ? 'N' : a[5][0];
  const std::string& receivePath = a[7];

  const std::string device = PortDevice(static_cast<int>(port - 1));
  PortProblem problem = PortProblem::None;
  const int inherited = InheritedPort();
  int fd = inherited;
  // The program has just closed the port; give the system a moment.
  for (int i = 0; i < 40 && fd < 0 && !g_stop; ++i) {
    fd = PosixSerialPort::OpenExclusive(device, &problem);
    if (fd < 0 && problem != PortProblem::Busy) break;
    if (fd < 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (g_stop) return Fail("cancelled");
  if (fd < 0) return Fail(DescribePortProblem(problem, device));
  // The caller's lock lives on its descriptor: never drop it from here.
  auto closePort = [&] {
    if (inherited >= 0)
      close(fd);
    else
      PosixSerialPort::CloseExclusive(fd);
  };
  if (!PosixSerialPort::ConfigureRaw(fd, static_cast<int>(baud), static_cast<int>(dataBits),
                                     static_cast<int>(stopBits), parity)) {
    closePort();
    return Fail("cannot set up " + device);
  }

  FdChannel channel(fd);
  XmodemReceiveOptions options;
  // Diagnostics and tests may shorten the waits: for a silent sender, and
  // for the quiet that ends a damaged packet.
  if (const char* t = std::getenv("ZELKOR_XMODEM_TIMEOUT_MS")) {
    const int ms = std::atoi(t);
    if (ms > 0) {
      options.packetTimeoutMs = ms;
      options.startTimeoutMs = std::min(options.startTimeoutMs, ms);
    }
  }
  if (const char* t = std::getenv("ZELKOR_XMODEM_CHAR_TIMEOUT_MS")) {
    const int ms = std::atoi(t);
    if (ms > 0) options.charTimeoutMs = ms;
  }
  options.expectedPackets = static_cast<int>(packets);
  options.cancelled = [] { return g_stop != 0; };
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
  closePort();
  if (r.status != XmodemStatus::Ok) return Fail(XmodemFailureText(r, static_cast<int>(packets)));

  const std::string bytes(r.data.begin(), r.data.end());
  std::string reason;
  if (WriteFileAtomically(receivePath, bytes, &reason) != AtomicWrite::Ok)
    return Fail("cannot write " + receivePath + ": " + reason);
  std::printf("received %zu bytes in %d packets\n", r.data.size(), r.packets);
  return 0;
}
