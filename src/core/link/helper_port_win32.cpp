#include "link/helper_port.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "link/win32_serial_port.h"
#include "link/xmodem_launcher.h"

namespace zelkor {

namespace {
std::atomic<bool> g_stop{false};

BOOL WINAPI OnConsoleStop(DWORD) {
  g_stop = true;
  return TRUE;
}

// A comm handle inherited from the caller, or nullptr.
HANDLE InheritedPort() {
  const char* text = std::getenv(kPortDescriptorVariable);
  if (!text || !*text) return nullptr;
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 10);
  if (*end || value <= 0) return nullptr;
  HANDLE h = reinterpret_cast<HANDLE>(static_cast<intptr_t>(value));
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  return GetFileType(h) == FILE_TYPE_CHAR && GetCommState(h, &dcb) ? h : nullptr;
}

class CommHelperPort : public HelperPort {
 public:
  explicit CommHelperPort(HANDLE h) : handle_(h), channel_(h) {}
  // Our copy of an inherited handle is ours to close; the caller keeps its own.
  ~CommHelperPort() override { CloseHandle(handle_); }
  bool configure(int baud, int dataBits, int stopBits, char parity) override {
    return Win32SerialPort::ConfigureRaw(handle_, baud, dataBits, stopBits, parity);
  }
  ByteChannel& channel() override { return channel_; }

 private:
  HANDLE handle_;
  HandleChannel channel_;
};
}  // namespace

void InstallHelperStopHandlers() {
  SetConsoleCtrlHandler(OnConsoleStop, TRUE);
  const char* pipe = std::getenv("ZELKOR_CANCEL_PIPE");
  if (pipe && *pipe == '1') {
    // The starting program writes a line to ask for a stop; the pipe breaks
    // when it dies. Either way the transfer ends.
    std::thread([] {
      HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
      char c = 0;
      DWORD n = 0;
      while (ReadFile(in, &c, 1, &n, nullptr) && n == 1) {
        if (c == '\n') break;
      }
      g_stop = true;
    }).detach();
  }
}

bool HelperStopRequested() { return g_stop; }

std::unique_ptr<HelperPort> HelperPort::Open(const std::string& device, std::string* error) {
  if (HANDLE inherited = InheritedPort()) return std::make_unique<CommHelperPort>(inherited);
  PortProblem problem = PortProblem::None;
  Win32SerialPort::Handle h = nullptr;
  for (int i = 0; i < 40 && !h && !g_stop; ++i) {
    h = Win32SerialPort::OpenExclusive(device, &problem);
    if (!h && problem != PortProblem::Busy) break;
    if (!h) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (g_stop) {
    if (h) Win32SerialPort::CloseExclusive(h);
    *error = "cancelled";
    return nullptr;
  }
  if (!h) {
    *error = DescribePortProblem(problem, device);
    return nullptr;
  }
  return std::make_unique<CommHelperPort>(static_cast<HANDLE>(h));
}

}  // namespace zelkor
