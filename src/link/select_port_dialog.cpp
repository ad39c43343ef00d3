#include "select_port_dialog.h"

#include <QComboBox>
#include <QStandardItemModel>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/load_settings.h"
#include "util/text.h"

namespace zelkor {

SelectPortDialog::SelectPortDialog(SystemSerialPort& serial, SettingsStore& store, Prompter& prompter,
                                   CommandSink& commands, int savedPort, QWidget* parent)
    : QDialog(parent), serial_(serial), store_(store), prompter_(prompter), commands_(commands), savedPort_(savedPort) {
  setWindowTitle("Select Port");
  setMinimumWidth(380);
  auto* layout = new QVBoxLayout(this);
  list_ = new QComboBox(this);
  list_->setToolTip("Serial port the collar's cable is plugged into (COMn and its device).");
  layout->addWidget(list_);
  status_ = new QLabel("Scanning for ports...", this);
  status_->setWordWrap(true);
  layout->addWidget(status_);
  auto* row = new QHBoxLayout;
  ok_ = new QPushButton("OK", this);
  cancel_ = new QPushButton("Cancel", this);
  row->addStretch();
  row->addWidget(ok_);
  row->addWidget(cancel_);
  layout->addLayout(row);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  status_->show();
  status_->setEnabled(true);
  list_->setEnabled(false);
  ok_->setEnabled(false);
  cancel_->setEnabled(false);
}

void SelectPortDialog::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  if (!scanDone_ && !scanQueued_) {
    scanQueued_ = true;
    QMetaObject::invokeMethod(this, [this] { scan(); }, Qt::QueuedConnection);
  }
}

void SelectPortDialog::scan() {
  if (scanDone_) return;
  const PortScan result = ScanPorts(serial_, savedPort_, [this](int i) { return DescribePort(serial_, i); });
  list_->clear();
  for (const PortEntry& e : result.entries) list_->addItem(QString::fromStdString(e.text), e.index);
  // Ports in use are named, greyed: they cannot be chosen, but the user
  // sees who holds them.
  for (const PortEntry& e : result.busy) {
    list_->addItem(QString::fromStdString(e.text), e.index);
    if (auto* model = qobject_cast<QStandardItemModel*>(list_->model()))
      if (QStandardItem* item = model->item(list_->count() - 1)) item->setEnabled(false);
  }
  scanDone_ = true;
  const QString hint = QString::fromStdString(result.permissionHint);
  if (result.entries.empty()) {
    list_->setCurrentIndex(-1);
    status_->setText(hint.isEmpty() ? QString(kNoFreePorts) : QString(kNoFreePorts) + "\n" + hint);
    status_->show();
    status_->setEnabled(true);
    list_->setEnabled(false);
    ok_->setEnabled(false);
    cancel_->setEnabled(true);
    return;
  }
  list_->setCurrentIndex(result.selected);
  if (hint.isEmpty()) {
    status_->hide();
    status_->setEnabled(false);
  } else {
    status_->setText(hint);  // a port we may not open deserves a word
  }
  list_->setEnabled(true);
  ok_->setEnabled(true);
  cancel_->setEnabled(true);
}

void SelectPortDialog::accept() {
  if (list_->currentIndex() < 0) return;
  const int index = list_->currentData().toInt();
  if (!store_.write(kSettingsKey, "ComPort", Format("%d", index))) {
    prompter_.notify(kRegistryWriteFailedFirstRun, "", PromptIcon::Error);
    store_.write(kTopKey, "FirstTime", "TRUE");
  }
  savedPort_ = index;
  QDialog::accept();
  commands_.postCommand(kCmdCollarCommands);
}

void SelectPortDialog::reject() {
  if (!cancel_->isEnabled()) return;  // no way out before the scan has run
  commands_.postCommand(kCmdCollarCommands);
  QDialog::reject();
}

int RunSelectPort(SystemSerialPort& serial, SettingsStore& store, Prompter& prompter, CommandSink& commands,
                  QWidget* parent) {
  const int saved = ReadComPort(store);
  SelectPortDialog dialog(serial, store, prompter, commands, saved, parent);
  dialog.exec();
  return dialog.savedPort();
}

}  // namespace zelkor
