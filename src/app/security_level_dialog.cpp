#include "security_level_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>

#include "app/security_level.h"

namespace zelkor {

SecurityLevelDialog::SecurityLevelDialog(int& accessLevel, Prompter& prompter, QWidget* parent)
    : QDialog(parent), accessLevel_(accessLevel), prompter_(prompter) {
  setWindowTitle("Security Level");
  auto* form = new QFormLayout(this);
  password_ = new QLineEdit(this);
  password_->setEchoMode(QLineEdit::Password);
  password_->setToolTip("The password for the access level you were given; Change applies it.");
  form->addRow("Password", password_);
  level_ = new QLineEdit(this);
  level_->setReadOnly(true);
  level_->setValidator(new QIntValidator(0, 10, level_));
  level_->setText(QString::number(accessLevel_));
  level_->setToolTip("The access level now in force: 0 to 10.");
  form->addRow("Access Level", level_);
  auto* row = new QHBoxLayout;
  change_ = new QPushButton("Change", this);
  auto* close = new QPushButton("Close", this);
  row->addWidget(change_);
  row->addWidget(close);
  form->addRow(row);
  change_->setDefault(true);
  connect(change_, &QPushButton::clicked, this, &SecurityLevelDialog::change);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

void SecurityLevelDialog::change() {
  const AccessWordResult r = ApplyAccessWord(password_->text().toStdString(), accessLevel_, prompter_);
  password_->setText(QString::fromStdString(r.shownWord));
  level_->setText(QString::number(accessLevel_));
}

}  // namespace zelkor
