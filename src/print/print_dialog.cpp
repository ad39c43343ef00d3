#include "print_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelkor {

PrintOptionsDialog::PrintOptionsDialog(const PrintOptions& stored, QWidget* parent, const QString& summaryOf)
    : QDialog(parent) {
  setWindowTitle("Print");
  auto* layout = new QVBoxLayout(this);
  config_ = new QCheckBox("Collar Configuration", this);
  trans_ = new QCheckBox("Transmitter Schedule Calendar", this);
  aux_ = new QCheckBox("Auxiliary GPS Fix Schedule", this);
  config_->setChecked(stored.collarConfig);
  trans_->setChecked(stored.transmitterCalendar);
  aux_->setChecked(stored.auxCalendar);
  for (QCheckBox* b : {config_, trans_, aux_}) layout->addWidget(b);
  // Not one of the stored switches: offered when GPS data was viewed.
  summary_ = new QCheckBox(summaryOf.isEmpty() ? QString("Season Summary") : QString("Season Summary of %1").arg(summaryOf),
                           this);
  summary_->setEnabled(!summaryOf.isEmpty());
  summary_->setToolTip(summaryOf.isEmpty()
                           ? QString("View GPS data first (after an offload, or with its .gps file on the viewer's "
                                     "Summary tab) to print its summary")
                           : QString("A page with the fix success, outliers, distance, polygons and fixes per day"));
  layout->addWidget(summary_);
  map_ = new QCheckBox(summaryOf.isEmpty() ? QString("Season Map") : QString("Season Map of %1").arg(summaryOf), this);
  map_->setEnabled(summary_->isEnabled());
  map_->setToolTip(summaryOf.isEmpty()
                       ? QString("View GPS data first to print its map")
                       : QString("A page with the season's map: the map layers of the Track tab, both home-range "
                                 "polygons and the fixes by flag"));
  layout->addWidget(map_);
  auto* form = new QFormLayout;
  project_ = new QLineEdit(QString::fromStdString(stored.projectText), this);  // the last one of this run
  project_->setMaxLength(35);
  project_->setToolTip("Printed at the top of every page: up to 35 characters.");
  form->addRow("VHF Frequency/Project Name:", project_);
  layout->addLayout(form);
  auto* row = new QHBoxLayout;
  preview_ = new QPushButton("Preview...", this);
  pdf_ = new QPushButton("Save as PDF...", this);
  auto* ok = new QPushButton("OK", this);
  auto* cancel = new QPushButton("Cancel", this);
  row->addWidget(preview_);
  row->addWidget(pdf_);
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  layout->addLayout(row);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] {
    action_ = Print;
    accept();
  });
  connect(preview_, &QPushButton::clicked, this, [this] {
    action_ = Preview;
    accept();
  });
  connect(pdf_, &QPushButton::clicked, this, [this] {
    action_ = Pdf;
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

PrintOptions PrintOptionsDialog::options() const {
  PrintOptions o;
  o.collarConfig = config_->isChecked();
  o.transmitterCalendar = trans_->isChecked();
  o.auxCalendar = aux_->isChecked();
  o.seasonSummary = summary_->isEnabled() && summary_->isChecked();
  o.seasonMap = map_->isEnabled() && map_->isChecked();
  o.projectText = project_->text().toStdString();
  return o;
}

}  // namespace zelkor
