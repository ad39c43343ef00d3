#include "collar_command_dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "link/collar_sequences.h"
#include "util/text.h"

namespace zelkor {

namespace {
QPushButton* Layout(QDialog* d, const QStringList& lines, QPushButton** cancel) {
  auto* layout = new QVBoxLayout(d);
  for (const QString& line : lines) layout->addWidget(new QLabel(line, d));
  auto* row = new QHBoxLayout;
  auto* send = new QPushButton("Send Command", d);
  *cancel = new QPushButton("Cancel", d);
  row->addStretch();
  row->addWidget(send);
  row->addWidget(*cancel);
  layout->addLayout(row);
  QObject::connect(*cancel, &QPushButton::clicked, d, &QDialog::reject);
  return send;
}
}  // namespace

AlmanacDialog::AlmanacDialog(int port, LinkRunner& link, Prompter& prompter, CommandSink& commands, QWidget* parent)
    : QDialog(parent), commands_(commands) {
  setWindowTitle("Almanac INFO");
  QPushButton* cancel;
  send_ = Layout(this,
                 {"This command will turn the GPS function on for a fifteen minute ",
                  "sustained interval. If the GPS antenna has an unobstructed view",
                  "of the sky, the almanac will be downloaded within 12.5 minutes.",
                  "Once loaded the almanac is retained by the backup battery.",
                  "Almanac data will not be lost by changing a battery pack."},
                 &cancel);
  connect(send_, &QPushButton::clicked, this, [this, port, &link, &prompter] {
    RunAlmanacSend(prompter, link, port);
    accept();
  });
}

void AlmanacDialog::done(int result) {
  QDialog::done(result);
  commands_.postCommand(kCmdCollarCommands);
}

TwoWayGpsDialog::TwoWayGpsDialog(int port, LinkRunner& link, CommandSink& commands, QWidget* parent,
                                 std::function<void(const std::string&)> status)
    : QDialog(parent), commands_(commands), status_(std::move(status)) {
  setWindowTitle("Enable Two Way GPS Communication");
  QPushButton* cancel;
  send_ = Layout(this,
                 {"This command redirects the communication of the GPS receiver board from the",
                  "collar to the external computer.  This enables the GPS board to be",
                  "reconfigured and  to have diagnostics run without having to remove the GPS",
                  "receiver from the collar housing.  Once this command has been sent the GPS",
                  "board will be getting continuous power and be out of communication contact",
                  "until the GPS collar is restarted using the magnet."},
                 &cancel);
  // Enter must not take the GPS board off the air: Cancel is the default.
  send_->setAutoDefault(false);
  cancel->setDefault(true);
  cancel->setFocus();
  connect(send_, &QPushButton::clicked, this, [this, port, &link] {
    const bool sent = RunTwoWaySend(link, port);
    if (status_)
      status_(sent ? Format("Two-way GPS enabled on COM%d: the GPS board is out of contact until the collar is "
                            "restarted with the magnet.",
                            port + 1)
                   : Format("Two-way GPS was not enabled: the collar on COM%d did not acknowledge the command.",
                            port + 1));
    accept();
  });
}

void TwoWayGpsDialog::done(int result) {
  QDialog::done(result);
  commands_.postCommand(kCmdCollarCommands);
}

}  // namespace zelkor
