#include "link_dialog.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace zelkor {

LinkDialog::LinkDialog(SerialPort& serial, XmodemLauncher& launcher, Prompter& prompter, const LinkParams& params,
                       const std::string& programDirectory, QWidget* parent)
    : QDialog(parent),
      driver_(std::make_unique<LinkDriver>(serial, launcher, prompter, params, programDirectory)) {
  setWindowTitle("NVK XModem Send File");
  setMinimumWidth(420);
  auto* grid = new QGridLayout(this);
  int row = 0;
  // Which step of a longer job this is, above the standing rows.
  stage_ = new QLabel(QString::fromStdString(params.stage), this);
  QFont bold = stage_->font();
  bold.setBold(true);
  stage_->setFont(bold);
  stage_->setWordWrap(true);
  stage_->setVisible(!params.stage.empty());
  grid->addWidget(stage_, row++, 0, 1, 2);
  auto add = [&](QLabel* label, QLabel* value) {
    grid->addWidget(label, row, 0);
    grid->addWidget(value, row, 1);
    ++row;
  };
  fileLabel_ = new QLabel("Send/Rec Filename:", this);
  fileName_ = new QLabel(this);
  add(fileLabel_, fileName_);
  port_ = new QLabel(this);
  add(new QLabel("Port:", this), port_);
  bytes_ = new QLabel(this);
  add(new QLabel("Bytes:", this), bytes_);
  status_ = new QLabel(this);
  add(new QLabel("Status:", this), status_);
  auto* retries = new QLabel("Retries:", this);
  auto* retriesValue = new QLabel(this);
  add(retries, retriesValue);
  retries->hide();
  retriesValue->hide();
  // The "Packet:" row carries the transfer's progress while the helper runs.
  packetLabel_ = new QLabel("Packet:", this);
  progress_ = new QProgressBar(this);
  grid->addWidget(packetLabel_, row, 0);
  grid->addWidget(progress_, row, 1);
  ++row;
  rate_ = new QLabel(this);
  grid->addWidget(rate_, row++, 1);
  packetLabel_->hide();
  progress_->hide();
  rate_->hide();
  grid->addWidget(new QLabel("Error Checking:            Checksum", this), row++, 0, 1, 2);
  ok_ = new QPushButton("OK", this);
  ok_->hide();
  ok_->setEnabled(false);
  // Cancel stops the request at its next safe point: before the command, or
  // during a transfer (the collar is sent CAN CAN and nothing is kept).
  cancel_ = new QPushButton("Cancel", this);
  cancel_->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cancel_);
  grid->addLayout(buttons, row++, 0, 1, 2);
  connect(cancel_, &QPushButton::clicked, this, &LinkDialog::requestCancel);
  timer_ = new QTimer(this);
  timer_->setInterval(50);
  connect(timer_, &QTimer::timeout, this, &LinkDialog::tick);
}

LinkDialog::~LinkDialog() = default;

int LinkDialog::exec() {
  driver_->start();
  refresh();
  timer_->start();
  return QDialog::exec();
}

void LinkDialog::tick() {
  const bool done = driver_->tick();
  if (done && !finished_) {
    finished_ = true;
    refresh();
    cancel_->setEnabled(false);
    timer_->stop();
    QDialog::done(QDialog::Rejected);
    return;
  }
  refresh();
}

void LinkDialog::refresh() { present(driver_->display()); }

void LinkDialog::present(const LinkDisplay& d) {
  stage_->setText(QString::fromStdString(d.stage));
  stage_->setVisible(!d.stage.empty());
  if (statusLine_) {
    const std::string line = StatusLine(d);
    if (line != lastStatusLine_) statusLine_(line);
    lastStatusLine_ = line;
  }
  port_->setText(QString::fromStdString(d.portText));
  fileLabel_->setText(QString::fromStdString(d.fileLabel));
  fileName_->setText(QString::fromStdString(d.fileName));
  bytes_->setText(QString::fromStdString(d.bytesSent));
  status_->setText(d.cancelling && !finished_ ? QString("Cancelling. . .") : QString::fromStdString(d.status));
  const bool show = d.transferring;
  packetLabel_->setVisible(show);
  progress_->setVisible(show);
  rate_->setVisible(show);
  if (show) {
    progress_->setRange(0, std::max(1, d.packetTotal));
    progress_->setValue(std::min(d.packetsDone, std::max(1, d.packetTotal)));
    progress_->setFormat(QString("%1 of %2 packets").arg(d.packetsDone).arg(d.packetTotal));
    QString text = QString("%1 bytes/s").arg(d.bytesPerSecond, 0, 'f', 0);
    if (d.secondsLeft >= 0)
      text += QString(", %1:%2 left").arg(d.secondsLeft / 60).arg(d.secondsLeft % 60, 2, 10, QChar('0'));
    rate_->setText(text);
  }
}

void LinkDialog::requestCancel() {
  if (finished_) return;
  driver_->cancel();
  cancel_->setEnabled(false);
  refresh();
}

void LinkDialog::closeEvent(QCloseEvent* event) {
  // The worker must not outlive its dialog: closing the window asks for a
  // cancel, and the dialog ends when the worker has stopped.
  if (!finished_) {
    requestCancel();
    event->ignore();
  }
}

void LinkDialog::reject() {
  if (finished_)
    QDialog::reject();
  else
    requestCancel();  // Escape
}

}  // namespace zelkor
