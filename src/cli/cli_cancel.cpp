#include <csignal>

#include "cli_commands.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace zelkor::cli {

namespace {
volatile std::sig_atomic_t g_cancel = 0;
#ifdef _WIN32
BOOL WINAPI OnConsoleCancel(DWORD) {
  g_cancel = 1;
  return TRUE;
}
#else
void OnCancel(int) { g_cancel = 1; }
#endif
}  // namespace

void InstallCancelHandlers() {
#ifdef _WIN32
  // Ctrl+C and Ctrl+Break, and the console window being closed.
  SetConsoleCtrlHandler(OnConsoleCancel, TRUE);
#else
  struct sigaction sa {};
  sa.sa_handler = OnCancel;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  // A full disk or a file-size limit is a write error to report, not a kill.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

bool CancelRequested() { return g_cancel != 0; }

}  // namespace zelkor::cli
