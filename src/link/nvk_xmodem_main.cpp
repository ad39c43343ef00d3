// nvk_xmodem: receives one file by XMODEM (checksum) over a serial port.
//
// Started by the program as
//   <port> <baud> <data bits> <stop bits> <packet count> <parity> <program dir> <receive path>
// with the 1-based port number in the place of the program name. Run by
// hand, the same eight arguments follow the program name.
//
// Prints "packet N of M" lines on stdout while it receives, a
// "retransmissions N" line at the end (packets asked for again: damage on
// the line), and one "error: ..." line before it fails ("error-kind: write"
// before it when the file could not be written, the line being fine).
// Exits 0 when the file was received whole and written, and -1 (255) on any
// failure, leaving no file behind: fewer packets than the request needs
// (ZELKOR_XMODEM_BYTES says how many bytes it brings; without it the count
// allows one fewer for its rounding, never none), a cancel (SIGTERM or
// SIGINT; on Windows a line on standard input), or a file that cannot be
// written. When ZELKOR_XMODEM_PARTIAL names a file, a transfer that fails
// on the line leaves the packets it did receive there, for a comparison.
//
// When ZELKOR_PORT_FD names an open descriptor (a handle on Windows), the
// caller holds the port for a whole collar sequence and the helper receives
// on it.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "link/helper_port.h"
#include "link/port_map.h"
#include "link/xmodem.h"
#include "link/xmodem_launcher.h"
#include "util/atomic_file.h"

using namespace zelkor;

namespace {
int Fail(const std::string& why) {
  // The caller reads this line as the reason the transfer failed.
  std::printf("error: %s\n", why.c_str());
  std::fflush(stdout);
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
  InstallHelperStopHandlers();
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
  std::string why;
  std::unique_ptr<HelperPort> line = HelperPort::Open(device, &why);
  if (!line) return Fail(why);
  if (!line->configure(static_cast<int>(baud), static_cast<int>(dataBits), static_cast<int>(stopBits), parity))
    return Fail("cannot set up " + device);

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
  if (const char* b = std::getenv(kExpectedBytesVariable)) {
    long bytes = 0;
    if (Number(b, &bytes) && bytes > 0 && bytes <= 64L * 1024 * 1024) options.expectedBytes = bytes;
  }
  options.cancelled = [] { return HelperStopRequested(); };
  options.progress = [packets](int n) {
    if (packets > 0)
      std::printf("packet %d of %ld\n", n, packets);
    else
      std::printf("packet %d\n", n);
    std::fflush(stdout);
  };
  const XmodemReceiveResult r = XmodemReceive(line->channel(), options);
  // The final ACK has been drained by the receiver; close without flushing
  // output, which could throw that ACK away.
  line.reset();
  std::printf("retransmissions %d\n", r.retries);
  if (r.status != XmodemStatus::Ok) {
    const char* partial = std::getenv(kPartialPathVariable);
    if (partial && *partial && r.status != XmodemStatus::Aborted && !r.data.empty())
      WriteFileAtomically(partial, std::string(r.data.begin(), r.data.end()));
    return Fail(XmodemFailureText(r, FewestPackets(static_cast<int>(packets), options.expectedBytes)));
  }

  const std::string bytes(r.data.begin(), r.data.end());
  std::string reason;
  if (WriteFileAtomically(receivePath, bytes, &reason) != AtomicWrite::Ok) {
    std::printf("error-kind: write\n");
    return Fail("cannot write " + receivePath + ": " + reason);
  }
  std::printf("received %zu bytes in %d packets\n", r.data.size(), r.packets);
  return 0;
}
