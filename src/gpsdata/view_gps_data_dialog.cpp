#include "view_gps_data_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "track_view.h"

namespace zelkor {

// The fixes of a file as a table model: the cells as written, numbers sort
// as numbers, rows with a bad check tinted and marked for the filter.
class CsvTableModel : public QAbstractTableModel {
 public:
  CsvTableModel(CsvTable table, QObject* parent) : QAbstractTableModel(parent), table_(std::move(table)) {}
  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : static_cast<int>(table_.rows.size());
  }
  int columnCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : static_cast<int>(table_.headings.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    const auto& row = table_.rows[static_cast<size_t>(index.row())];
    const size_t c = static_cast<size_t>(index.column());
    const QString cell = c < row.size() ? QString::fromStdString(row[c]) : QString();
    switch (role) {
      case Qt::DisplayRole: return cell;
      case Qt::UserRole: {
        bool number = false;
        const double v = cell.toDouble(&number);
        return number ? QVariant(v) : QVariant(cell);
      }
      case Qt::UserRole + 1: return table_.badCheck[static_cast<size_t>(index.row())] ? "bad" : "good";
      case Qt::BackgroundRole:
        return table_.badCheck[static_cast<size_t>(index.row())] ? QVariant(QColor(255, 228, 225)) : QVariant();
      default: return QVariant();
    }
  }
  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    if (role != Qt::DisplayRole) return QVariant();
    if (o == Qt::Vertical) return section + 1;
    return QString::fromStdString(table_.headings[static_cast<size_t>(section)]);
  }

 private:
  CsvTable table_;
};

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

  // The table: the same fixes in columns with headings, sorted by a click on
  // a heading (numbers as numbers), filtered to the bad checks on request.
  const CsvTable csv = ParseCsvTable(text.toStdString());
  auto* tablePage = new QWidget(this);
  auto* tableLayout = new QVBoxLayout(tablePage);
  auto* tableTools = new QHBoxLayout;
  badOnly_ = new QCheckBox("Bad checks only", tablePage);
  badOnly_->setToolTip("Show only the fixes whose check byte failed");
  auto* copy = new QPushButton("Copy", tablePage);
  copy->setToolTip("Copy the selected rows (or all) with the headings, for a spreadsheet (Ctrl+C)");
  tableTools->addWidget(badOnly_);
  tableTools->addStretch();
  tableTools->addWidget(copy);
  tableLayout->addLayout(tableTools);
  model_ = new CsvTableModel(csv, this);
  proxy_ = new QSortFilterProxyModel(this);
  proxy_->setSourceModel(model_);
  proxy_->setSortRole(Qt::UserRole);
  proxy_->setFilterRole(Qt::UserRole + 1);
  proxy_->setFilterKeyColumn(0);
  table_ = new QTableView(tablePage);
  table_->setModel(proxy_);
  table_->setSortingEnabled(true);
  table_->sortByColumn(-1, Qt::AscendingOrder);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  table_->horizontalHeader()->setResizeContentsPrecision(200);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->installEventFilter(this);
  tableLayout->addWidget(table_);
  tabs_->addTab(tablePage, "Table");
  connect(badOnly_, &QCheckBox::toggled, this, [this](bool on) {
    proxy_->setFilterFixedString(on ? "bad" : QString());
  });
  connect(copy, &QPushButton::clicked, this, &ViewGpsDataDialog::copyRows);

  // The track, with its tools.
  auto* trackPage = new QWidget(this);
  auto* trackLayout = new QVBoxLayout(trackPage);
  auto* trackTools = new QHBoxLayout;
  fit_ = new QPushButton("Fit", trackPage);
  fit_->setToolTip("Show every fix");
  auto* hint = new QLabel("Wheel or +/-: zoom. Drag or arrows: move. Home: fit. Point at a fix for its details.", trackPage);
  trackTools->addWidget(fit_);
  trackTools->addWidget(hint);
  trackTools->addStretch();
  trackLayout->addLayout(trackTools);
  track_ = new TrackView(trackPage);
  track_->setTrack(TrackFromTable(csv));
  trackLayout->addWidget(track_);
  tabs_->addTab(trackPage, "Track");
  connect(fit_, &QPushButton::clicked, track_, &TrackView::fit);
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

void ViewGpsDataDialog::copyRows() {
  QModelIndexList rows = table_->selectionModel() ? table_->selectionModel()->selectedRows() : QModelIndexList();
  if (rows.isEmpty())
    for (int r = 0; r < proxy_->rowCount(); ++r) rows.push_back(proxy_->index(r, 0));
  std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  QStringList lines;
  QStringList headings;
  for (int c = 0; c < proxy_->columnCount(); ++c) headings << proxy_->headerData(c, Qt::Horizontal).toString();
  lines << headings.join('\t');
  for (const QModelIndex& row : rows) {
    QStringList cells;
    for (int c = 0; c < proxy_->columnCount(); ++c) cells << proxy_->index(row.row(), c).data().toString();
    lines << cells.join('\t');
  }
  QApplication::clipboard()->setText(lines.join('\n') + '\n');
}

bool ViewGpsDataDialog::eventFilter(QObject* watched, QEvent* event) {
  // The table would copy only its current cell: Ctrl+C there copies rows.
  if (watched == table_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
    copyRows();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void ViewGpsDataDialog::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy) && tabs_->currentWidget() == table_->parentWidget()) {
    copyRows();
    return;
  }
  QDialog::keyPressEvent(event);
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
