#include "named_zone_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace zelkor {

namespace {
constexpr int kZoneRole = Qt::UserRole;
}

NamedZoneDialog::NamedZoneDialog(const QString& initial, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Named Time Zone");
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel("Times follow the zone's own rules, daylight saving included: each fix gets the offset "
                           "in force at its moment.",
                           this);
  intro->setWordWrap(true);
  layout->addWidget(intro);
  filter_ = new QLineEdit(this);
  filter_->setPlaceholderText("Type part of a name: Denver, Europe/, Adelaide");
  filter_->setToolTip("Shows only the zones whose name holds these letters (any case).");
  layout->addWidget(filter_);
  list_ = new QListWidget(this);
  list_->setToolTip("IANA time zones, named by region and city. Choose the one where the animal lives.");
  std::string error;
  if (const auto local = NamedZone::Local(&error)) {
    localName_ = QString::fromStdString(local->name());
    auto* item = new QListWidgetItem(QString("The computer's own zone (%1)").arg(localName_), list_);
    item->setData(kZoneRole, localName_);
  }
  for (const std::string& name : NamedZone::Names()) {
    auto* item = new QListWidgetItem(QString::fromStdString(name), list_);
    item->setData(kZoneRole, QString::fromStdString(name));
    if (QString::fromStdString(name) == initial) list_->setCurrentItem(item);
  }
  if (!list_->currentItem() && list_->count()) list_->setCurrentRow(0);
  layout->addWidget(list_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &NamedZoneDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QListWidget::itemDoubleClicked, this, &NamedZoneDialog::accept);
  connect(filter_, &QLineEdit::textChanged, this, &NamedZoneDialog::applyFilter);
  resize(420, 480);
}

void NamedZoneDialog::applyFilter(const QString& text) {
  QListWidgetItem* firstShown = nullptr;
  for (int i = 0; i < list_->count(); ++i) {
    QListWidgetItem* item = list_->item(i);
    const bool shown = item->text().contains(text, Qt::CaseInsensitive);
    item->setHidden(!shown);
    if (shown && !firstShown) firstShown = item;
  }
  if (!list_->currentItem() || list_->currentItem()->isHidden()) list_->setCurrentItem(firstShown);
}

std::optional<NamedZone> NamedZoneDialog::zone() const {
  QListWidgetItem* item = list_->currentItem();
  if (!item || item->isHidden()) return std::nullopt;
  return NamedZone::Find(item->data(kZoneRole).toString().toStdString(), nullptr);
}

void NamedZoneDialog::accept() {
  if (!zone()) return;  // nothing chosen: the dialog stays
  QDialog::accept();
}

}  // namespace zelkor
