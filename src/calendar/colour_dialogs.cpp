#include "colour_dialogs.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "calendar_views.h"

namespace nvkcal {

bool ChangeColors::cancelled = false;

FrmColor::FrmColor(uint32_t initial, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Color");
  auto* layout = new QVBoxLayout(this);
  picker_ = new QColorDialog(FromColourRef(initial), this);
  picker_->setWindowFlags(Qt::Widget);
  picker_->setOptions(QColorDialog::NoButtons | QColorDialog::DontUseNativeDialog);
  layout->addWidget(picker_);
  auto* row = new QHBoxLayout;
  auto* ok = new QPushButton("OK", this);
  auto* cancel = new QPushButton("Cancel", this);
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  layout->addLayout(row);
  connect(ok, &QPushButton::clicked, this, [this] {
    ColorSelected = ToColourRef(picker_->currentColor());
    CancelPressed = false;
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, [this] {
    ColorSelected = ToColourRef(picker_->currentColor());
    CancelPressed = true;
    reject();
  });
}

namespace {
void Paint(QLabel* swatch, uint32_t colour) {
  swatch->setStyleSheet(QString("background-color: %1; border: 1px solid black;").arg(FromColourRef(colour).name()));
}
}  // namespace

ChangeColors::ChangeColors(bool auxMode, uint32_t selected, uint32_t unselected, QWidget* parent)
    : QDialog(parent), colour1_(selected), colour2_(unselected) {
  setWindowTitle("Change Calendar Colors");
  auto* grid = new QGridLayout(this);
  swatch1_ = new QLabel(this);
  swatch2_ = new QLabel(this);
  for (QLabel* s : {swatch1_, swatch2_}) s->setFixedSize(48, 24);
  button1_ = new QPushButton(auxMode ? "Auxiliary GPS Fix Rate" : "Transmitter On", this);
  button2_ = new QPushButton(auxMode ? "Primary GPS Fix Rate" : "Transmitter Off", this);
  grid->addWidget(swatch1_, 0, 0);
  grid->addWidget(button1_, 0, 1);
  grid->addWidget(swatch2_, 1, 0);
  grid->addWidget(button2_, 1, 1);
  auto* ok = new QPushButton("OK", this);
  auto* cancel = new QPushButton("Cancel", this);
  grid->addWidget(ok, 2, 0);
  grid->addWidget(cancel, 2, 1);
  Paint(swatch1_, colour1_);
  Paint(swatch2_, colour2_);
  connect(button1_, &QPushButton::clicked, this, [this] { pick(colour1_, swatch1_); });
  connect(button2_, &QPushButton::clicked, this, [this] { pick(colour2_, swatch2_); });
  connect(ok, &QPushButton::clicked, this, [this] {
    cancelled = false;
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &ChangeColors::reject);
}

void ChangeColors::reject() {
  cancelled = true;
  QDialog::reject();
}

void ChangeColors::pick(uint32_t& colour, QLabel* swatch) {
  FrmColor frm(colour, this);
  frm.exec();
  if (!frm.CancelPressed) {
    colour = frm.ColorSelected;
    Paint(swatch, colour);
  }
}

}  // namespace nvkcal
