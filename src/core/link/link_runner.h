// The one entry point through which the program issues collar requests.
#pragma once

#include <functional>

#include "link/link_session.h"

namespace zelkor {

class LinkRunner {
 public:
  virtual ~LinkRunner() = default;
  // Runs the request to its end and returns the two result flags.
  virtual LinkResult run(const LinkParams& params) = 0;
};

// Runs requests on the calling thread without a window (command line).
class HeadlessLinkRunner : public LinkRunner {
 public:
  HeadlessLinkRunner(SerialPort& serial, XmodemLauncher& launcher, Prompter& prompter,
                     std::string programDirectory, std::function<void(const LinkDisplay&)> onTick = {})
      : serial_(serial),
        launcher_(launcher),
        prompter_(prompter),
        programDirectory_(std::move(programDirectory)),
        onTick_(std::move(onTick)) {}
  LinkResult run(const LinkParams& params) override {
    return RunLinkHeadless(serial_, launcher_, prompter_, params, programDirectory_, onTick_);
  }

 private:
  SerialPort& serial_;
  XmodemLauncher& launcher_;
  Prompter& prompter_;
  std::string programDirectory_;
  std::function<void(const LinkDisplay&)> onTick_;
};

}  // namespace zelkor
