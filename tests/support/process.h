// Starting helper programs from tests.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace zelkor::testing {

class Process {
 public:
  // args[0] is what the program sees as its name.
  // fileSizeLimit >= 0 runs the program under RLIMIT_FSIZE, the way a full
  // disk makes writes fail.
  Process(const std::string& program, const std::vector<std::string>& args,
          const std::map<std::string, std::string>& env = {}, const std::string& stdoutPath = "",
          const std::string& stderrPath = "", long long fileSizeLimit = -1) {
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
    if (fileSizeLimit >= 0) {
      // The limit would cut the program's own messages: they go through a
      // pipe, and a thread here writes them to the file.
      int pipeFds[2];
      if (pipe2(pipeFds, O_CLOEXEC) != 0) return;
      pid_ = fork();
      if (pid_ == 0) {
        if (!stdoutPath.empty()) dup2(open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        dup2(pipeFds[1], 2);
        rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
        setrlimit(RLIMIT_FSIZE, &limit);
        ::signal(SIGXFSZ, SIG_IGN);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
      }
      close(pipeFds[1]);
      const int from = pipeFds[0];
      const std::string to = stderrPath;
      collector_ = std::thread([from, to] {
        std::string text;
        char buf[4096];
        for (ssize_t n; (n = read(from, buf, sizeof buf)) > 0;) text.append(buf, static_cast<size_t>(n));
        close(from);
        if (!to.empty()) {
          FILE* f = std::fopen(to.c_str(), "wb");
          if (f) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
          }
        }
      });
      return;
    }
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
    if (collector_.joinable()) collector_.join();
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
        if (collector_.joinable()) collector_.join();
        return status_;
      }
      if (std::chrono::steady_clock::now() > end) return -2;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  void terminate() {
    if (pid_ > 0 && !done_) kill(pid_, SIGTERM);
  }
  void signal(int sig) {
    if (pid_ > 0 && !done_) ::kill(pid_, sig);
  }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  std::thread collector_;
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

// The processes whose parent is `parent` and whose name is `name`.
inline std::vector<pid_t> ChildrenNamed(pid_t parent, const std::string& name) {
  std::vector<pid_t> found;
  DIR* proc = opendir("/proc");
  if (!proc) return found;
  while (dirent* e = readdir(proc)) {
    const pid_t pid = static_cast<pid_t>(std::atoi(e->d_name));
    if (pid <= 0) continue;
    FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r");
    if (!f) continue;
    char comm[256] = {0};
    char state = 0;
    int ppid = 0;
    if (std::fscanf(f, "%*d (%255[^)]) %c %d", comm, &state, &ppid) == 3 && ppid == parent && name == comm)
      found.push_back(pid);
    std::fclose(f);
  }
  closedir(proc);
  return found;
}

inline std::string Which(const std::string& name) {
  for (const char* dir : {"/usr/bin/", "/bin/", "/usr/local/bin/"}) {
    const std::string p = std::string(dir) + name;
    if (access(p.c_str(), X_OK) == 0) return p;
  }
  return std::string();
}

}  // namespace zelkor::testing
