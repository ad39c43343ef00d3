#include <csignal>

#include "cli_commands.h"

namespace zelkor::cli {

namespace {
volatile std::sig_atomic_t g_cancel = 0;
void OnCancel(int) { g_cancel = 1; }
}  // namespace

void InstallCancelHandlers() {
  struct sigaction sa {};
  sa.sa_handler = OnCancel;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  // A full disk or a file-size limit is a write error to report, not a kill.
  std::signal(SIGXFSZ, SIG_IGN);
}

bool CancelRequested() { return g_cancel != 0; }

}  // namespace zelkor::cli
