#include "link/helper_port.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include "link/posix_serial_port.h"
#include "link/xmodem_launcher.h"

namespace zelkor {

namespace {
volatile std::sig_atomic_t g_stop = 0;

void OnStop(int) { g_stop = 1; }

// A descriptor handed over by the caller, or -1.
int InheritedPort() {
  const char* text = std::getenv(kPortDescriptorVariable);
  if (!text || !*text) return -1;
  char* end = nullptr;
  const long fd = std::strtol(text, &end, 10);
  if (*end || fd < 0 || fd > 1024 || !isatty(static_cast<int>(fd))) return -1;
  return static_cast<int>(fd);
}

class FdHelperPort : public HelperPort {
 public:
  FdHelperPort(int fd, bool inherited) : fd_(fd), inherited_(inherited), channel_(fd) {}
  ~FdHelperPort() override {
    // The caller's lock lives on its descriptor: never drop it from here.
    if (inherited_)
      ::close(fd_);
    else
      PosixSerialPort::CloseExclusive(fd_);
  }
  bool configure(int baud, int dataBits, int stopBits, char parity) override {
    return PosixSerialPort::ConfigureRaw(fd_, baud, dataBits, stopBits, parity);
  }
  ByteChannel& channel() override { return channel_; }

 private:
  int fd_;
  bool inherited_;
  FdChannel channel_;
};
}  // namespace

void InstallHelperStopHandlers() {
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
}

bool HelperStopRequested() { return g_stop != 0; }

std::unique_ptr<HelperPort> HelperPort::Open(const std::string& device, std::string* error) {
  const int inherited = InheritedPort();
  if (inherited >= 0) return std::make_unique<FdHelperPort>(inherited, true);
  PortProblem problem = PortProblem::None;
  int fd = -1;
  // The program has just closed the port; give the system a moment.
  for (int i = 0; i < 40 && fd < 0 && !g_stop; ++i) {
    fd = PosixSerialPort::OpenExclusive(device, &problem);
    if (fd < 0 && problem != PortProblem::Busy) break;
    if (fd < 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (g_stop) {
    if (fd >= 0) PosixSerialPort::CloseExclusive(fd);
    *error = "cancelled";
    return nullptr;
  }
  if (fd < 0) {
    *error = DescribePortProblem(problem, device);
    return nullptr;
  }
  return std::make_unique<FdHelperPort>(fd, false);
}

}  // namespace zelkor
