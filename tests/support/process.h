// Starting helper programs from tests.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace zelkor::testing {

class Process {
 public:
  // args[0] is what the program sees as its name.
  Process(const std::string& program, const std::vector<std::string>& args,
          const std::map<std::string, std::string>& env = {}, const std::string& stdoutPath = "",
          const std::string& stderrPath = "") {
    std::vector<std::string> envs;
    for (char** e = environ; *e; ++e) {
      std::string s = *e;
      if (!env.count(s.substr(0, s.find('=')))) envs.push_back(s);
    }
    for (auto& [k, v] : env) envs.push_back(k + "=" + v);
    std::vector<char*> envp, argv;
    for (auto& s : envs) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> a = args;
    for (auto& s : a) argv.push_back(s.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    if (!stdoutPath.empty()) posix_spawn_file_actions_addopen(&fa, 1, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!stderrPath.empty()) posix_spawn_file_actions_addopen(&fa, 2, stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&pid_, program.c_str(), &fa, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&fa);
  }
  ~Process() {
    if (pid_ > 0 && !done_) {
      kill(pid_, SIGTERM);
      wait(10000);
      if (!done_) {
        kill(pid_, SIGKILL);
        wait(10000);
      }
    }
  }
  bool started() const { return pid_ > 0; }
  // Waits for the exit; returns the exit status, -1 for a signal, -2 on timeout.
  int wait(int timeoutMs) {
    if (done_) return status_;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      int st = 0;
      const pid_t r = waitpid(pid_, &st, WNOHANG);
      if (r == pid_) {
        done_ = true;
        status_ = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
        return status_;
      }
      if (std::chrono::steady_clock::now() > end) return -2;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  void terminate() {
    if (pid_ > 0 && !done_) kill(pid_, SIGTERM);
  }

 private:
  pid_t pid_ = -1;
  bool done_ = false;
  int status_ = 0;
};

inline bool WaitForPath(const std::string& path, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < end) {
    if (access(path.c_str(), F_OK) == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

inline std::string Which(const std::string& name) {
  for (const char* dir : {"/usr/bin/", "/bin/", "/usr/local/bin/"}) {
    const std::string p = std::string(dir) + name;
    if (access(p.c_str(), X_OK) == 0) return p;
  }
  return std::string();
}

}  // namespace zelkor::testing
