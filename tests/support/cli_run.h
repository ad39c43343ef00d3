// Runs zelkor-cli (or another of the programs) for a test and collects its
// exit status and messages.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"

namespace zelkor::testing {

struct CliResult {
  int exit = -2;
  std::string err;
};

// args[0] is the program's name in ZELKOR_BIN_DIR. stderr goes to a file in
// workDir. fileSizeLimit >= 0 simulates a full disk.
inline CliResult RunProgram(const std::string& workDir, std::vector<std::string> args,
                            const std::map<std::string, std::string>& env = {}, long long fileSizeLimit = -1,
                            int timeoutMs = 180000) {
  const std::string err = workDir + "/" + args[0] + ".err";
  Process p(std::string(ZELKOR_BIN_DIR) + "/" + args[0], args, env, "", err, fileSizeLimit);
  CliResult r;
  r.exit = p.wait(timeoutMs);
  r.err = TempDir::ReadFile(err);
  return r;
}

// The environment that points COM1 at a simulated collar, with the short
// waits that keep damaged-line tests quick.
inline std::map<std::string, std::string> SimEnvironment(const std::string& link) {
  return {{"ZELKOR_COM1", link}, {"ZELKOR_XMODEM_TIMEOUT_MS", "1000"}, {"ZELKOR_XMODEM_CHAR_TIMEOUT_MS", "100"}};
}

}  // namespace zelkor::testing
