#include "view_gps_data_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
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

#include "analysis/analysis_settings.h"
#include "analysis/table_analysis.h"
#include "summary_chart.h"
#include "track_view.h"
#ifdef ZELKOR_HAVE_MAPS
#include "map_layers_panel.h"
#include "season_map.h"
#endif
#include "util/read_file.h"
#include "app/utc_offset.h"
#include "gpsdata/gps_file_check.h"
#include "gpsdata/translate.h"

namespace zelkor {

// The fixes of a file as a table model: first the flags and the UTC time
// worked out for each row, then the cells as written. Numbers sort as
// numbers; bad checks and other flags are tinted and marked for the filter.
class CsvTableModel : public QAbstractTableModel {
 public:
  static constexpr int kAdded = 2;
  CsvTableModel(const CsvTable& table, QObject* parent) : QAbstractTableModel(parent), table_(table) {}
  void setAnalysis(TableAnalysis analysis) {
    beginResetModel();
    analysis_ = std::move(analysis);
    endResetModel();
  }
  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : static_cast<int>(table_.rows.size());
  }
  int columnCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : static_cast<int>(table_.headings.size()) + kAdded;
  }
  QVariant data(const QModelIndex& index, int role) const override {
    const size_t r = static_cast<size_t>(index.row());
    const auto& row = table_.rows[r];
    const int c = index.column();
    const FixQuality* q = r < analysis_.flags.size() ? &analysis_.flags[r] : nullptr;
    const bool bad = q && q->badCheck;
    const bool outlier = q && q->any() && !bad;
    QString cell;
    if (c == 0)
      cell = r < analysis_.flags.size() ? QString::fromStdString(analysis_.flags[r].reasons()) : QString();
    else if (c == 1)
      cell = r < analysis_.utc.size() ? QString::fromStdString(analysis_.utc[r]) : QString();
    else if (static_cast<size_t>(c - kAdded) < row.size())
      cell = QString::fromStdString(row[static_cast<size_t>(c - kAdded)]);
    switch (role) {
      case Qt::DisplayRole: return cell;
      case Qt::UserRole: {
        bool number = false;
        const double v = cell.toDouble(&number);
        return number ? QVariant(v) : QVariant(cell);
      }
      case Qt::UserRole + 1: return QString(bad ? "bad " : "") + (q && q->any() ? "flagged" : "");
      case Qt::BackgroundRole:
        return bad ? QVariant(QColor(255, 228, 225)) : outlier ? QVariant(QColor(243, 232, 255)) : QVariant();
      default: return QVariant();
    }
  }
  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    if (role != Qt::DisplayRole) return QVariant();
    if (o == Qt::Vertical) return section + 1;
    if (section == 0) return QString("Flags");
    if (section == 1) return QString("UTC");
    return QString::fromStdString(table_.headings[static_cast<size_t>(section - kAdded)]);
  }

 private:
  const CsvTable& table_;
  TableAnalysis analysis_;
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
  csv_ = ParseCsvTable(text.toStdString());
  const CsvTable& csv = csv_;
  auto* tablePage = new QWidget(this);
  auto* tableLayout = new QVBoxLayout(tablePage);
  auto* tableTools = new QHBoxLayout;
  badOnly_ = new QCheckBox("Bad checks only", tablePage);
  badOnly_->setToolTip("Show only the fixes whose check byte failed");
  outliersOnly_ = new QCheckBox("Flagged only", tablePage);
  outliersOnly_->setToolTip("Show only the flagged fixes: a bad check, no position, a time out of order or outside "
                            "the season, or a speed above the limit from the last good fix (the limit is on the "
                            "Summary tab)");
  auto* copy = new QPushButton("Copy", tablePage);
  copy->setToolTip("Copy the selected rows (or all) with the headings, for a spreadsheet (Ctrl+C)");
  tableTools->addWidget(badOnly_);
  tableTools->addWidget(outliersOnly_);
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
  connect(badOnly_, &QCheckBox::toggled, this, &ViewGpsDataDialog::updateFilter);
  connect(outliersOnly_, &QCheckBox::toggled, this, &ViewGpsDataDialog::updateFilter);
  connect(copy, &QPushButton::clicked, this, &ViewGpsDataDialog::copyRows);

  // The track, with its tools.
  auto* trackPage = new QWidget(this);
  auto* trackLayout = new QVBoxLayout(trackPage);
  auto* trackTools = new QHBoxLayout;
  fit_ = new QPushButton("Fit", trackPage);
  fit_->setToolTip("Show every fix");
  auto* hint = new QLabel("Wheel or +/-: zoom. Drag or arrows: move. Home: fit. Point at a fix for its details.", trackPage);
  hint->setWordWrap(true);
  trackTools->addWidget(fit_);
  trackTools->addWidget(hint, 1);
  saveMap_ = new QPushButton("Save Map Picture...", trackPage);
  saveMap_->setToolTip("The season's map for a report, as PNG or PDF: the layers, both home-range polygons, "
                       "the fixes by flag, a scale bar, a north arrow and a legend. Needs the GPS data file "
                       "(Summary tab).");
  saveMap_->setEnabled(false);
  trackTools->addWidget(saveMap_);
  trackLayout->addLayout(trackTools);
  auto* trackRow = new QHBoxLayout;
  track_ = new TrackView(trackPage);
  track_->setTrack(TrackFromTable(csv));
  trackRow->addWidget(track_, 1);
#ifdef ZELKOR_HAVE_MAPS
  mapPanel_ = new MapLayersPanel(track_, trackPage);
  mapPanel_->setFixedWidth(std::max(240, fontMetrics().horizontalAdvance("Add Map Layer...") * 2 + 60));
  trackRow->addWidget(mapPanel_);
#else
  saveMap_->hide();
#endif
  trackLayout->addLayout(trackRow, 1);
  tabs_->addTab(trackPage, "Track");
  connect(saveMap_, &QPushButton::clicked, this, &ViewGpsDataDialog::saveMapRequested);
  connect(fit_, &QPushButton::clicked, track_, &TrackView::fit);

  // The season: figures and a chart from the GPS data file, and the speed
  // above which a fix is an outlier.
  summaryPage_ = new QWidget(this);
  auto* summaryLayout = new QVBoxLayout(summaryPage_);
  summaryNote_ = new QLabel("The fix success, distance and home-range polygons come from the GPS data file (.gps) "
                            "this CSV was translated from. Zelkor keeps one for every offload in Backup/GPS Data.",
                            summaryPage_);
  summaryNote_->setWordWrap(true);
  summaryLayout->addWidget(summaryNote_);
  auto* sourceRow = new QHBoxLayout;
  openSource_ = new QPushButton("Open GPS Data File...", summaryPage_);
  openSource_->setToolTip("Choose the .gps file this CSV came from");
  sourceRow->addWidget(openSource_);
  sourceRow->addStretch();
  auto* speedLabel = new QLabel("Outlier above (km/h)", summaryPage_);
  speed_ = new QDoubleSpinBox(summaryPage_);
  speed_->setRange(0.5, 500.0);
  speed_->setSingleStep(0.5);
  speed_->setDecimals(1);
  speed_->setValue(maxSpeed_);
  speed_->setToolTip("A fix reached from the last good fix faster than this is flagged an outlier (kept, never "
                     "deleted): km/h, 0.5 to 500. 15 suits ungulates at fixes hours apart.");
  speedLabel->setBuddy(speed_);
  sourceRow->addWidget(speedLabel);
  sourceRow->addWidget(speed_);
  summaryLayout->addLayout(sourceRow);
  figuresBox_ = new QWidget(summaryPage_);
  figures_ = new QFormLayout(figuresBox_);
  figures_->setContentsMargins(0, 0, 0, 0);
  summaryLayout->addWidget(figuresBox_);
  chart_ = new SummaryChart(summaryPage_);
  summaryLayout->addWidget(chart_, 1);
  figuresBox_->hide();
  chart_->hide();
  summaryLayout->addStretch();
  tabs_->addTab(summaryPage_, "Summary");
  connect(openSource_, &QPushButton::clicked, this, &ViewGpsDataDialog::sourceRequested);
  connect(speed_, qOverload<double>(&QDoubleSpinBox::valueChanged), this, [this](double v) {
    if (v == maxSpeed_) return;
    setMaxSpeed(v);
    emit maxSpeedChanged(v);
  });
  layout->addWidget(tabs_);
  analyse();

  auto* buttons = new QHBoxLayout;
  export_ = new QPushButton("Export...", this);
  export_->setToolTip("Write the fixes as GPX, GeoJSON, KML, Movebank CSV, GeoPackage or Shapefile");
  buttons->addWidget(export_);
  auto* ok = new QPushButton("OK", this);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->hide();
  buttons->addStretch();
  buttons->addWidget(ok);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  resize(980, 600);
}

void ViewGpsDataDialog::updateFilter() {
  proxy_->setFilterFixedString(badOnly_->isChecked() ? "bad" : outliersOnly_->isChecked() ? "flagged" : QString());
}

void ViewGpsDataDialog::analyse() {
  TableAnalysis a = AnalyseTable(csv_, maxSpeed_);
  summary_.reset();
  if (!image_.empty()) {
    SummaryOptions options;
    options.maxSpeedKmh = maxSpeed_;
    SeasonSummary s;
    std::string error;
    if (SummarizeSeason(image_, options, &s, &error)) {
      summary_ = s;
      while (figures_->rowCount()) figures_->removeRow(0);
      figures_->addRow("GPS data file", new QLabel(imageName_, figuresBox_));
      for (const auto& [label, value] : SummaryFigures(s)) {
        auto* v = new QLabel(QString::fromStdString(value), figuresBox_);
        v->setTextInteractionFlags(Qt::TextSelectableByMouse);
        figures_->addRow(QString::fromStdString(label), v);
      }
      chart_->setDays(s.days);
      figuresBox_->show();
      chart_->show();
      const bool matches = s.blocks == static_cast<int>(csv_.rows.size());
      // The blocks themselves decide the flags of the rows they became, so
      // that the table, the track and these figures count alike.
      if (matches) a.flags = s.flags;
      summaryNote_->setText(matches ? QString("Fixes per day (UTC): scheduled attempts (pale) and fixes obtained.")
                                    : QString("%1 holds %2 fixes but this CSV %3 rows: it may not be the file this "
                                              "CSV came from.")
                                          .arg(imageName_)
                                          .arg(s.blocks)
                                          .arg(csv_.rows.size()));
    } else {
      figuresBox_->hide();
      chart_->hide();
      summaryNote_->setText(QString::fromStdString(NotAGpsFileText(imageName_.toStdString(), error)));
    }
  }
  track_->setAnalysis(a);
  model_->setAnalysis(a);
}

void ViewGpsDataDialog::setGpsImage(std::vector<uint8_t> image, const QString& name) {
  image_ = std::move(image);
  imageName_ = name;
  analyse();
  saveMap_->setEnabled(summary_.has_value());
}

void ViewGpsDataDialog::setMaxSpeed(double kmh) {
  maxSpeed_ = kmh;
  if (speed_->value() != kmh) {
    QSignalBlocker block(speed_);
    speed_->setValue(kmh);
  }
  analyse();
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

bool GpsViewerHost::loadSource(ViewGpsDataDialog* dialog, const std::string& path) {
  std::vector<uint8_t> image;
  std::string reason;
  const QString name = QFileInfo(QString::fromStdString(path)).fileName();
  if (!ReadWholeFile(path, &image, &reason)) {
    dialog->summaryNote()->setText(
        QString("%1 cannot be read: %2.").arg(QString::fromStdString(path), QString::fromStdString(reason)));
    return false;
  }
  dialog->setGpsImage(std::move(image), name);
  return true;
}

void GpsViewerHost::showImage(const std::vector<uint8_t>& image, const QString& name) {
  const Translation t = TranslateGpsImage(image, OutputForm::LatLon, UtcShift{}, kUtcEntryText);
  show(LoadTextForViewer(t.csv), name);
  if (current_) current_->setGpsImage(image, name);
}

void GpsViewerHost::connectMaps(ViewGpsDataDialog* dialog) {
#ifdef ZELKOR_HAVE_MAPS
  MapLayersPanel* panel = dialog->mapLayersPanel();
  if (!panel) return;
  if (store_) panel->setPaths(ReadMapLayers(*store_));
  QObject::connect(panel, &MapLayersPanel::pathsChanged, [this](const std::vector<std::string>& paths) {
    if (store_) StoreMapLayers(*store_, paths);
  });
  if (!files_) {
    panel->addButton()->hide();
    dialog->saveMapButton()->hide();
    return;
  }
  QObject::connect(panel, &MapLayersPanel::addRequested, [this, panel] {
    if (const auto path = files_->openFile("Add Map Layer", "", kMapLayerFilter)) panel->addPath(*path);
  });
  QObject::connect(dialog, &ViewGpsDataDialog::saveMapRequested, [this, dialog, panel] {
    QString base = QFileInfo(dialog->fileNameLabel()->text()).completeBaseName();
    if (base.isEmpty()) base = "season";
    const auto target = files_->saveFile("Save Map Picture", (base + "-map.png").toStdString(),
                                         "PNG picture (*.png);;PDF (*.pdf)", "png");
    if (!target) return;
    SeasonMapOptions options;
    options.maxSpeedKmh = dialog->maxSpeed();
    std::string reason;
    std::vector<std::string> problems;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = SaveSeasonMapOf(dialog->gpsImage(), *target, panel->paths(), 1600, 1200, options, &reason,
                                    &problems);
    QApplication::restoreOverrideCursor();
    if (!prompter_) return;
    if (!ok) {
      prompter_->notify("Could not write " + *target + ".", "Save Map Picture", PromptIcon::Error,
                        {"The reason: " + reason + ". Nothing was written under that name.", {}});
      return;
    }
    std::string details;
    for (const std::string& p : problems) details += "Left out: " + p + ".\n";
    prompter_->notify("The map was saved to " + *target + ".", "Save Map Picture", PromptIcon::Information,
                      {details, {}});
  });
#else
  (void)dialog;
#endif
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
  if (store_) {
    dialog->setMaxSpeed(ReadMaxSpeed(*store_));
    QObject::connect(dialog, &ViewGpsDataDialog::maxSpeedChanged,
                     [this](double kmh) { StoreMaxSpeed(*store_, kmh); });
  }
  if (!source.empty()) loadSource(dialog, source);
  connectMaps(dialog);
  if (chooser_) {
    QObject::connect(dialog, &ViewGpsDataDialog::sourceRequested, [this, dialog] {
      if (const auto path = chooser_()) loadSource(dialog, *path);
    });
  } else {
    dialog->openSourceButton()->hide();
  }
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
