#include "small_dialogs.h"

#include "build_id.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QVBoxLayout>

namespace zelkor {

QString BuildId() { return ZELKOR_BUILD_ID; }

AboutDialog::AboutDialog(AppContext& context, QWidget* parent) : QDialog(parent) {
  setWindowTitle("About NVKZelkor");
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  auto* icon = new QLabel(this);
  icon->setPixmap(QPixmap(":/zelkor/zelkor.png"));
  row->addWidget(icon);
  row->addWidget(new QLabel("NVKZelkor 1.2.3", this));
  row->addStretch();
  layout->addLayout(row);
  auto* details = new QLabel(this);
  details->setObjectName("aboutDetails");
  details->setTextInteractionFlags(Qt::TextSelectableByMouse);
  details->setText(QString("Build %1\nQt %2\nSettings: %3\nData folder: %4")
                       .arg(BuildId())
                       .arg(qVersion())
                       .arg(QString::fromStdString(context.store.location()))
                       .arg(QString::fromStdString(context.state.programDirectory)));
  layout->addWidget(details);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

BatteryUsageDialog::BatteryUsageDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Battery Usage");
  auto* form = new QFormLayout(this);
  auto field = [this, form](const char* label, const char* value) {
    auto* edit = new QLineEdit(value, this);
    edit->setReadOnly(true);
    edit->setToolTip(QString("%1 (shown only).").arg(label));
    form->addRow(label, edit);
  };
  field("Estimated number of GPS fixes", "0");
  field("Transmitter on time", "0");
  field("Start date", "");
  field("End date", "");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

}  // namespace zelkor
