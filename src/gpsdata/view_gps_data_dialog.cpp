#include "view_gps_data_dialog.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "track_view.h"

namespace zelkor {

ViewGpsDataDialog::ViewGpsDataDialog(const QString& text, const QString& lineCount, const QString& fileName,
                                     QWidget* parent)
    : QDialog(parent), lineCount_(lineCount) {
  setWindowTitle("View GPS Data");
  setModal(false);
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel("Filename:", this));
  fileName_ = new QLabel(fileName, this);
  top->addWidget(fileName_);
  top->addStretch();
  auto* countLabel = new QLabel("Number of Lines", this);
  auto* count = new QLabel(lineCount, this);
  countLabel->hide();
  count->hide();
  layout->addLayout(top);

  tabs_ = new QTabWidget(this);
  text_ = new QPlainTextEdit(this);
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  text_->setPlainText(text);
  tabs_->addTab(text_, "Text");
  track_ = new TrackView(this);
  track_->setTrack(ParseTrack(text.toStdString()));
  tabs_->addTab(track_, "Track");
  layout->addWidget(tabs_);

  auto* buttons = new QHBoxLayout;
  export_ = new QPushButton("Export...", this);
  export_->setToolTip("Write the fixes as GPX, GeoJSON, KML or Movebank CSV");
  buttons->addWidget(export_);
  auto* ok = new QPushButton("OK", this);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->hide();
  buttons->addStretch();
  buttons->addWidget(ok);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  resize(820, 560);
}

bool GpsViewerHost::isOpen() const { return current_ && current_->isVisible(); }

void GpsViewerHost::show(const ViewerText& text, const QString& fileName, const std::string& source) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  if (current_) {
    current_->close();
    current_ = nullptr;
  }
  auto* dialog = new ViewGpsDataDialog(QString::fromStdString(text.text), QString::number(text.lineCount), fileName,
                                       owner_);
  QObject::connect(dialog, &QObject::destroyed, [this, dialog] {
    if (current_ == dialog) current_ = nullptr;
  });
  current_ = dialog;
  if (exporter_) {
    QObject::connect(dialog->exportButton(), &QPushButton::clicked, [this, source] { exporter_(source); });
  } else {
    dialog->exportButton()->hide();
  }
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
  QApplication::restoreOverrideCursor();
}

}  // namespace zelkor
