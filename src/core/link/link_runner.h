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
  // Keeps the port locked between the requests of one collar sequence.
  virtual bool holdPort(int /*port*/) { return false; }
  virtual void releasePort(int /*port*/) {}
};

// A collar sequence: the port stays locked from construction to the end of
// the object's life, across every request run in between.
class SequenceHold {
 public:
  SequenceHold(LinkRunner& link, int port) : link_(link), port_(port), held_(link.holdPort(port)) {}
  ~SequenceHold() {
    if (held_) link_.releasePort(port_);
  }
  SequenceHold(const SequenceHold&) = delete;
  SequenceHold& operator=(const SequenceHold&) = delete;
  bool held() const { return held_; }

 private:
  LinkRunner& link_;
  int port_;
  bool held_;
};

// Runs requests on the calling thread without a window (command line).
class HeadlessLinkRunner : public LinkRunner {
 public:
  HeadlessLinkRunner(SerialPort& serial, XmodemLauncher& launcher, Prompter& prompter,
                     std::string programDirectory, std::function<void(const LinkDisplay&)> onTick = {},
                     std::function<bool()> cancelled = {})
      : serial_(serial),
        launcher_(launcher),
        prompter_(prompter),
        programDirectory_(std::move(programDirectory)),
        onTick_(std::move(onTick)),
        cancelled_(std::move(cancelled)) {}
  LinkResult run(const LinkParams& params) override {
    return RunLinkHeadless(serial_, launcher_, prompter_, params, programDirectory_, onTick_, cancelled_);
  }
  bool holdPort(int port) override { return serial_.holdPort(port); }
  void releasePort(int port) override { serial_.releasePort(port); }

 private:
  SerialPort& serial_;
  XmodemLauncher& launcher_;
  Prompter& prompter_;
  std::string programDirectory_;
  std::function<void(const LinkDisplay&)> onTick_;
  std::function<bool()> cancelled_;
};

}  // namespace zelkor
