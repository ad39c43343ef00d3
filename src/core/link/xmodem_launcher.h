// Starts the XMODEM helper program and waits for it.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zelkor {

// One run of the helper.
struct HelperRun {
  // Exactly these arguments; args[0] takes the place of the program name.
  std::vector<std::string> args;
  std::string workingDir;
  // Each line the helper prints.
  std::function<void(const std::string& line)> onLine;
  // An open port that the caller keeps locked for a whole collar sequence;
  // the helper receives on it instead of opening the port itself. -1: none.
  int portDescriptor = -1;
  // Polled while the helper runs; true asks it to cancel the transfer.
  std::function<bool()> cancelled;
  // Added to the helper's environment for this run only.
  std::map<std::string, std::string> environment;
};

// What the helper is told beyond its eight arguments: the exact number of
// bytes the request brings (so that it can require every packet they
// need), and where to leave what it did receive when a transfer fails.
inline const char kExpectedBytesVariable[] = "ZELKOR_XMODEM_BYTES";
inline const char kPartialPathVariable[] = "ZELKOR_XMODEM_PARTIAL";

// Where the helper finds a port handed over by descriptor.
inline const char kPortDescriptorVariable[] = "ZELKOR_PORT_FD";

class XmodemLauncher {
 public:
  virtual ~XmodemLauncher() = default;
  // Runs the helper and waits for it. Returns its exit status, or -1 when it
  // could not be started, crashed, or was killed.
  virtual int run(const HelperRun& run) = 0;
};

// The helper as a separate process (posix_spawn; CreateProcess on Windows,
// where a held port is handed over as an inherited handle and a cancel as a
// line on the helper's standard input).
class SpawnXmodemLauncher : public XmodemLauncher {
 public:
  // extraEnvironment is added to the helper's environment, for example the
  // device of a port that the program's settings map.
  SpawnXmodemLauncher(std::string helperPath, std::map<std::string, std::string> extraEnvironment = {});
  int run(const HelperRun& run) override;
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
