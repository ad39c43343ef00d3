// Starts the XMODEM helper program and waits for it.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zelkor {

class XmodemLauncher {
 public:
  virtual ~XmodemLauncher() = default;
  // Runs the helper with exactly these arguments (args[0] takes the place
  // of the program name) in workingDir, passing each line it prints to
  // onLine. Returns its exit status, or -1 when it could not be started,
  // crashed, or was killed.
  virtual int run(const std::vector<std::string>& args, const std::string& workingDir,
                  const std::function<void(const std::string& line)>& onLine) = 0;
};

// The helper as a separate process (posix_spawn).
class SpawnXmodemLauncher : public XmodemLauncher {
 public:
  // extraEnvironment is added to the helper's environment, for example the
  // device of a port that the program's settings map.
  SpawnXmodemLauncher(std::string helperPath, std::map<std::string, std::string> extraEnvironment = {});
  int run(const std::vector<std::string>& args, const std::string& workingDir,
          const std::function<void(const std::string& line)>& onLine) override;
  void setEnvironment(const std::string& name, const std::string& value) { extra_[name] = value; }

 private:
  std::string helper_;
  std::map<std::string, std::string> extra_;
};

// The folder holding the running executable, with a trailing separator.
std::string ExecutableDirectory();

// The helper's file name on this platform.
const char* XmodemHelperName();

}  // namespace zelkor
