// RunLinkRequest for the desktop program: each request runs in a modal
// link dialog; the flags land in AppState when it has closed.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "app/app_state.h"
#include "link/link_runner.h"

namespace zelkor {

class QtLinkRunner : public LinkRunner {
 public:
  QtLinkRunner(AppState& state, SerialPort& serial, XmodemLauncher& launcher, Prompter& prompter,
               QWidget* parent = nullptr)
      : state_(state), serial_(serial), launcher_(launcher), prompter_(prompter), parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }
  // Where each request says what it is doing (the main window's status
  // bar), for as long as it runs.
  void setStatusLine(std::function<void(const std::string&)> statusLine) { statusLine_ = std::move(statusLine); }
  LinkResult run(const LinkParams& params) override;
  bool holdPort(int port) override { return serial_.holdPort(port); }
  void releasePort(int port) override { serial_.releasePort(port); }

 private:
  AppState& state_;
  SerialPort& serial_;
  XmodemLauncher& launcher_;
  Prompter& prompter_;
  QPointer<QWidget> parent_;
  std::function<void(const std::string&)> statusLine_;
};

}  // namespace zelkor
