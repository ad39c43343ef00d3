#include "offload_dialog.h"

#include "named_zone_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/utc_offset.h"
#include "util/text.h"

namespace zelkor {

OffloadGpsDataDialog::OffloadGpsDataDialog(const CollarConfig& config, OffloadContext& context,
                                           CommandSink& commands, QWidget* parent)
    : QDialog(parent), config_(config), context_(context), commands_(commands), initialCount_(config.dataBlockCount) {
  setWindowTitle("Offload GPS Data");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  blocks_ = new QLineEdit(QString::number(config.dataBlockCount), this);
  blocks_->setToolTip("Data blocks to read from the collar: a whole number from 0 to 8190. "
                      "The collar's own count is filled in.");
  form->addRow("Number of Datablocks", blocks_);
  fileName_ = new QLineEdit(QString::fromStdString(Format("%u", config.collarId)) + ".csv", this);
  fileName_->setToolTip("CSV file written in the data folder; .csv is added when no extension is given. "
                        "An existing file is kept until the new one is complete.");
  form->addRow("Enter a file name to save the GPS data", fileName_);
  layout->addLayout(form);
  latLon_ = new QRadioButton("Latitude and Longitude", this);
  utm_ = new QRadioButton("Universal Transverse Mercator (UTM) NAD83", this);
  layout->addWidget(latLon_);
  layout->addWidget(utm_);
  // Never shown: the hemisphere of each fix comes from the data.
  auto* north = new QRadioButton("Northern Hemisphere", this);
  auto* south = new QRadioButton("Southern  Hemisphere", this);
  north->hide();
  south->hide();
  zones_ = new QComboBox(this);
  for (const std::string& e : TimeZoneEntries()) zones_->addItem(QString::fromStdString(e));
  zones_->addItem("Named time zone...");
  zones_->setToolTip("Time zone the fix times are shifted to in the CSV file. The list's zones keep one offset "
                     "all year; a named time zone (the last entry) follows daylight saving.");
  layout->addWidget(zones_);
  auto* row = new QHBoxLayout;
  send_ = new QPushButton("Send Command", this);
  auto* cancel = new QPushButton("Cancel", this);
  row->addStretch();
  row->addWidget(send_);
  row->addWidget(cancel);
  layout->addLayout(row);
  send_->setDefault(true);
  connect(send_, &QPushButton::clicked, this, &OffloadGpsDataDialog::send);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  int zone = kUtcDefaultIndex;
  const SettingsValue utc = context_.store.read(kSettingsKey, "UTC");
  if (utc.present()) zone = AtoiRules(utc.text);
  // A stored index outside the list would leave no zone (no shift and an
  // empty footer): the UTC entry stands in for it.
  zones_->setCurrentIndex(zone >= 0 && zone < namedZoneIndex() ? zone : kUtcDefaultIndex);
  listIndex_ = zones_->currentIndex();
  connect(zones_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    if (index == namedZoneIndex())
      chooseNamedZone();
    else
      listIndex_ = index;
  });
  const SettingsValue form0 = context_.store.read(kSettingsKey, "Lat or UTC Offload");
  const bool utm = form0.present() && form0.text != "0";
  (utm ? utm_ : latLon_)->setChecked(true);
}

int OffloadGpsDataDialog::namedZoneIndex() const { return static_cast<int>(TimeZoneEntries().size()); }

void OffloadGpsDataDialog::chooseNamedZone() {
  const SettingsValue last = context_.store.read(kAnalysisKey, "Named Time Zone");
  NamedZoneDialog picker(named_ ? QString::fromStdString(named_->name())
                                : QString::fromStdString(last.present() ? last.text : std::string()),
                         this);
  if (picker.exec() == QDialog::Accepted && picker.zone()) {
    useNamedZone(*picker.zone());
    context_.store.write(kAnalysisKey, "Named Time Zone", named_->name());
  } else if (!named_) {
    zones_->setCurrentIndex(listIndex_);
  }
}

void OffloadGpsDataDialog::useNamedZone(const NamedZone& zone) {
  named_ = zone;
  zones_->setItemText(namedZoneIndex(), QString("Named time zone: %1...").arg(QString::fromStdString(zone.name())));
  zones_->setCurrentIndex(namedZoneIndex());
}

void OffloadGpsDataDialog::send() {
  OffloadChoice c;
  bool ok = false;
  const long blocks = blocks_->text().trimmed().toLong(&ok);
  if (!ok) {
    context_.prompter.notify("Enter a whole number of data blocks from 0 to 8190.", "Out of range",
                             PromptIcon::Warning);
    blocks_->setFocus();
    return;
  }
  c.blocks = blocks;
  c.initialCount = initialCount_;
  c.fileName = fileName_->text().toStdString();
  c.form = utm_->isChecked() ? OutputForm::Utm : OutputForm::LatLon;
  c.zoneText = zones_->currentText().toStdString();
  if (zones_->currentIndex() == namedZoneIndex()) {
    if (!named_) {
      chooseNamedZone();
      if (!named_) return;
    }
    c.namedZone = named_;
    c.zoneText = named_->name();
  }
  c.collarId = config_.collarId;
  c.verify = ReadVerifyMode(context_.store);
  report_ = RunOffload(c, context_);
  if (report_.outcome == OffloadOutcome::OutOfRange) blocks_->setFocus();
  if (report_.outcome == OffloadOutcome::BadFileName) fileName_->setFocus();
  // A finished offload closes the dialog, so that the viewer that follows
  // is not held under it; Collar Commands comes back as after Cancel.
  if (report_.outcome == OffloadOutcome::Viewed) {
    commands_.postCommand(kCmdCollarCommands);
    QDialog::accept();
  }
}

void OffloadGpsDataDialog::reject() {
  QDialog::reject();
  commands_.postCommand(kCmdCollarCommands);
}

}  // namespace zelkor
