// "NVK XModem Send File": runs one collar request. The exchange runs on a
// worker thread; the dialog's 50 ms timer is the worker's clock, refreshes
// the texts and shows the worker's messages. Cancel, Escape and the close
// box ask the worker to stop; the dialog ends only when it has.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "link/link_session.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace zelkor {

class LinkDialog : public QDialog {
  Q_OBJECT
 public:
  LinkDialog(SerialPort& serial, XmodemLauncher& launcher, Prompter& prompter, const LinkParams& params,
             const std::string& programDirectory, QWidget* parent = nullptr);
  ~LinkDialog() override;

  int exec() override;
  LinkResult result() const { return driver_->result(); }

  QLabel* statusText() const { return status_; }
  // The step of a longer job this request is ("Reading it again to
  // confirm"); hidden when there is none.
  QLabel* stageText() const { return stage_; }
  void setStatusLine(std::function<void(const std::string&)> statusLine) { statusLine_ = std::move(statusLine); }
  // Shows a state of the window without running anything (the manual's
  // pictures: a transfer half done).
  void present(const LinkDisplay& d);
  QPushButton* cancelButton() const { return cancel_; }

 public slots:
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void tick();
  void refresh();
  void requestCancel();

  std::unique_ptr<LinkDriver> driver_;
  QTimer* timer_;
  QLabel* port_;
  QLabel* fileLabel_;
  QLabel* fileName_;
  QLabel* bytes_;
  QLabel* status_;
  QLabel* stage_;
  QLabel* packetLabel_;
  QProgressBar* progress_;
  QLabel* rate_;
  QPushButton* ok_;
  QPushButton* cancel_;
  bool finished_ = false;
  std::function<void(const std::string&)> statusLine_;
  std::string lastStatusLine_;
};

}  // namespace zelkor
