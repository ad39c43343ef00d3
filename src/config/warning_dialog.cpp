#include "warning_dialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "help_window.h"

namespace zelkor {

QString WarningDialog::HelpPage(HelpTopic topic) {
  return topic == HelpTopic::AuxiliarySchedule ? "schedules.html#auxiliary-overlap"
                                               : "schedules.html#transmitter-boundary";
}

WarningDialog::WarningDialog(const QString& text, HelpTopic topic, QWidget* parent) : QDialog(parent) {
  setWindowTitle("WARNING");
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(text, this);
  label->setWordWrap(true);
  label->setMinimumWidth(360);
  layout->addWidget(label);
  auto* row = new QHBoxLayout;
  auto* ok = new QPushButton("OK", this);
  help_ = new QPushButton("Help", this);
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(help_);
  layout->addLayout(row);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(help_, &QPushButton::clicked, this, [this, topic] { OpenManual(HelpPage(topic), this); });
}

void DialogWarner::warn(const std::string& text, HelpTopic topic) {
  WarningDialog dialog(QString::fromStdString(text), topic, owner_);
  dialog.exec();
}

}  // namespace zelkor
