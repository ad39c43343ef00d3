// A whole program on fakes: the main frame with its view, a scripted
// prompter, a fake store, link and files, and a clock stopped at noon on
// 6 December 2026. ModalCloser closes each modal dialog as it appears.
#pragma once

#include <filesystem>

#include <QApplication>
#include <QDialog>
#include <QPrinter>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "main_frame.h"
#include "main_view.h"
#include "qt_app.h"
#include "select_port_dialog.h"
#include "support/fake_files.h"
#include "support/fake_link.h"
#include "support/fake_store.h"
#include "support/fixed_clock.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace zelkor {
namespace testing {

struct Program {
  TempDir dir;
  FakeStore store;
  ScriptedPrompter prompter;
  FakeLink link;
  FixedClock clock;
  AppState state;
  PosixSerialPort serial{[](int) { return std::string("/nonexistent/zelkor-port"); }};
  FakeFiles files;
  AppContext context{state, store, prompter, clock, serial, link, files};
  std::unique_ptr<MainFrame> frame;
  std::vector<int> started;

  Program() {
    App();
    state.programDirectory = dir.dir();
    // A configuration download that succeeds brings a record, as a collar's would.
    link.onRun = [this](const LinkParams& p) {
      if (p.request != LinkRequest::DownloadConfig) return;
      std::filesystem::create_directories(dir.file("Backup/Collar Config"));
      dir.write("Backup/Collar Config/" + p.fileName, std::string(64, '\0'));
    };
    frame = std::make_unique<MainFrame>(context);
    frame->view()->setPrintTarget([] { return std::unique_ptr<QPrinter>(); });  // cancelled
    QObject::connect(frame->view(), &MainView::commandStarted, [this](int id) { started.push_back(id); });
    frame->show();
  }
  void settle(int rounds = 20) {
    for (int i = 0; i < rounds; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
};

// Closes each modal dialog as it appears and notes its class.
class ModalCloser {
 public:
  explicit ModalCloser(std::function<void(QWidget*)> onModal = {}) : onModal_(std::move(onModal)) {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      QWidget* w = QApplication::activeModalWidget();
      if (!w || w == last_) return;
      last_ = w;
      seen.push_back(w->metaObject()->className());
      if (onModal_) onModal_(w);
      if (auto* d = qobject_cast<QDialog*>(w)) {
        if (auto* port = qobject_cast<SelectPortDialog*>(d)) port->scan();
        QTimer::singleShot(0, d, [d] { d->reject(); });
      }
    });
    timer_.start();
  }
  std::vector<std::string> seen;

 private:
  QTimer timer_;
  QWidget* last_ = nullptr;
  std::function<void(QWidget*)> onModal_;
};

}  // namespace testing
}  // namespace zelkor
