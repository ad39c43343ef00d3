// A link session that owns everything one collar needs: its own serial
// port object, its own transfer helper and a headless runner reporting
// progress. Collars offloaded side by side each get one, so that none
// waits for another. The link's own messages are dropped: the caller
// reports what came of the collar.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "link/link_runner.h"
#include "link/system_serial_port.h"
#include "link/xmodem_launcher.h"

namespace zelkor {

class PortSession : public LinkRunner {
 public:
  // resolver: a port's device; the helper learns the ports it maps that
  // its own environment would not.
  PortSession(const std::string& programDirectory, std::function<std::string(int)> resolver,
              const std::string& helperPath, std::function<void(const LinkDisplay&)> onTick,
              std::function<bool()> cancelled);
  LinkResult run(const LinkParams& p) override { return runner_->run(p); }
  bool holdPort(int port) override { return runner_->holdPort(port); }
  void releasePort(int port) override { runner_->releasePort(port); }

 private:
  class Quiet : public Prompter {
   public:
    void notify(const std::string&, const std::string&, PromptIcon, const PromptOptions&) override {}
    PromptAnswer ask(const std::string&, const std::string&, PromptIcon, PromptButtons,
                     const PromptOptions&) override {
      return PromptAnswer::Cancel;
    }
  } prompter_;
  std::unique_ptr<SystemSerialPort> serial_;
  std::unique_ptr<SpawnXmodemLauncher> launcher_;
  std::unique_ptr<HeadlessLinkRunner> runner_;
};

}  // namespace zelkor
