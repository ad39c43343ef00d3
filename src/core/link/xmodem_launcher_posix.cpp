#include "link/xmodem_launcher.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zelkor {

std::string ExecutableDirectory() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "./";
  std::string path(buf, static_cast<size_t>(n));
  return path.substr(0, path.rfind('/') + 1);
}

SpawnXmodemLauncher::SpawnXmodemLauncher(std::string helperPath, std::map<std::string, std::string> extra)
    : helper_(std::move(helperPath)), extra_(std::move(extra)) {}

int SpawnXmodemLauncher::run(const HelperRun& run) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return -1;

  std::map<std::string, std::string> extra = extra_;
  for (const auto& [name, value] : run.environment) extra[name] = value;
  // A port held for the caller's whole sequence arrives as descriptor 3.
  constexpr int kChildPortFd = 3;
  int portCopy = -1;
  if (run.portDescriptor >= 0) {
    portCopy = fcntl(run.portDescriptor, F_DUPFD_CLOEXEC, 20);
    if (portCopy < 0) {
      close(out[0]);
      close(out[1]);
      return -1;
    }
    extra[kPortDescriptorVariable] = std::to_string(kChildPortFd);
  }
  std::vector<std::string> envStrings;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    if (!extra.count(name) && name != kPortDescriptorVariable) envStrings.push_back(entry);
  }
  for (const auto& [name, value] : extra) envStrings.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (auto& s : envStrings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> argStrings = run.args;
  std::vector<char*> argv;
  for (auto& s : argStrings) argv.push_back(s.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  if (portCopy >= 0) posix_spawn_file_actions_adddup2(&actions, portCopy, kChildPortFd);
  if (!run.workingDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, run.workingDir.c_str());
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, helper_.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (portCopy >= 0) close(portCopy);
  if (rc != 0) {
    close(out[0]);
    return -1;
  }

  std::string pending;
  char buf[512];
  bool stopSent = false;
  auto stopAsked = std::chrono::steady_clock::time_point();
  for (;;) {
    if (run.cancelled && !stopSent && run.cancelled()) {
      // The helper sends CAN CAN to the collar and ends without a file.
      kill(pid, SIGTERM);
      stopSent = true;
      stopAsked = std::chrono::steady_clock::now();
    }
    if (stopSent && std::chrono::steady_clock::now() - stopAsked > std::chrono::seconds(5)) kill(pid, SIGKILL);
    pollfd p{out[0], POLLIN, 0};
    const int ready = poll(&p, 1, 50);
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) continue;
    const ssize_t n = read(out[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    pending.append(buf, static_cast<size_t>(n));
    size_t nl;
    while ((nl = pending.find('\n')) != std::string::npos) {
      if (run.onLine) run.onLine(pending.substr(0, nl));
      pending.erase(0, nl + 1);
    }
  }
  close(out[0]);
  if (!pending.empty() && run.onLine) run.onLine(pending);

  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status)) return -1;  // crashed or killed: not received
  const int code = WEXITSTATUS(status);
  return code == 255 ? -1 : code;
}

}  // namespace zelkor
