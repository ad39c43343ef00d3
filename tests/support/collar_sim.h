// Runs the simulated collar for a test, in a temporary folder.
#pragma once

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"
#include "util/endian.h"

namespace zelkor::testing {

struct Sim {
  TempDir dir;
  std::unique_ptr<Process> process;
  std::vector<std::string> args;
  explicit Sim(std::vector<std::string> options) {
    args = {"collar-sim", "--link", dir.file("collar"), "--state", dir.file("state.bin"), "--verbose"};
    args.insert(args.end(), options.begin(), options.end());
    start();
  }
  void start() {
    std::remove(dir.file("sim.out").c_str());
    process = std::make_unique<Process>(std::string(ZELKOR_BIN_DIR) + "/collar-sim", args,
                                        std::map<std::string, std::string>{}, dir.file("sim.out"), dir.file("sim.err"));
    WaitForPath(dir.file("collar"), 10000);
    for (int i = 0; i < 100 && dir.read("sim.out").find("ready") == std::string::npos; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  // The cable pulled: the collar's end of the line goes away at once.
  void pull() {
    process->signal(SIGKILL);
    process->wait(5000);
    std::remove(link().c_str());
  }
  bool ready() const { return dir.read("sim.out").find("ready") != std::string::npos; }
  std::string link() const { return dir.file("collar"); }
  std::string state() const { return dir.read("state.bin"); }
  uint32_t pointer() const {
    const std::string s = state();
    return s.size() < 4 ? 0 : ReadBe24(reinterpret_cast<const uint8_t*>(s.data()) + 1);
  }
  std::string data() const { return dir.dir() + "data"; }
};

}  // namespace zelkor::testing
