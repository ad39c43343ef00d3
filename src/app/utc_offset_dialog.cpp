#include "utc_offset_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace zelkor {

UtcOffsetDialog::UtcOffsetDialog(AppState& state, SettingsStore& store, Prompter& prompter,
                                 QWidget* parent)
    : QDialog(parent), state_(state), store_(store), prompter_(prompter) {
  setWindowTitle("Offset from UTC");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Select the time zone.", this));
  list_ = new QComboBox(this);
  for (const std::string& e : TimeZoneEntries()) list_->addItem(QString::fromStdString(e));
  list_->setToolTip("Your local time zone. Schedules show their hours in it, and offloaded times are shifted to it.");
  layout->addWidget(list_);
  textField_ = new QLineEdit(this);
  hoursField_ = new QLineEdit(this);
  minutesField_ = new QLineEdit(this);
  for (QLineEdit* f : {textField_, hoursField_, minutesField_}) f->hide();
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  const int index = StoredTimeZoneIndex(store_);
  list_->setCurrentIndex(index >= 0 && index < list_->count() ? index : -1);
  derive();
  connect(list_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { derive(); });
}

void UtcOffsetDialog::derive() {
  values_ = DeriveUtcOffset(state_, list_->currentIndex());
  textField_->setText(QString::fromStdString(values_.offsetText));
  hoursField_->setText(QString::fromStdString(values_.hours));
  minutesField_->setText(QString::fromStdString(values_.minutes));
}

void UtcOffsetDialog::accept() {
  UtcOffsetValues v;
  v.offsetText = textField_->text().toStdString();
  v.hours = hoursField_->text().toStdString();
  v.minutes = minutesField_->text().toStdString();
  StoreUtcOffset(store_, prompter_, list_->currentIndex(), v);
  QDialog::accept();
}

}  // namespace zelkor
