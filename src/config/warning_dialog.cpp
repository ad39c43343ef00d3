#include "warning_dialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "resources.h"

namespace zelkor {

QString WarningDialog::HelpPage(HelpTopic topic) {
  EnsureResources();
  QFile f(topic == HelpTopic::AuxiliarySchedule ? ":/zelkor/help/auxiliary-schedule.html"
                                                : ":/zelkor/help/transmitter-schedule.html");
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
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
  connect(help_, &QPushButton::clicked, this, [this, topic] {
    QDialog page(this);
    page.setWindowTitle("Help");
    auto* l = new QVBoxLayout(&page);
    auto* browser = new QTextBrowser(&page);
    browser->setHtml(HelpPage(topic));
    l->addWidget(browser);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, &page);
    l->addWidget(close);
    connect(close, &QDialogButtonBox::rejected, &page, &QDialog::reject);
    page.resize(520, 380);
    page.exec();
  });
}

void DialogWarner::warn(const std::string& text, HelpTopic topic) {
  WarningDialog dialog(QString::fromStdString(text), topic, owner_);
  dialog.exec();
}

}  // namespace zelkor
