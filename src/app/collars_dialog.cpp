#include "collars_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/clock.h"
#include "app/paths.h"
#include "util/read_file.h"
#include "util/text.h"

namespace zelkor {

CollarsDialog::CollarsDialog(std::string storeTarget, FileChooser& files, Prompter& prompter, const Clock& clock,
                             HistoryViewer viewer, QWidget* parent)
    : QDialog(parent),
      target_(std::move(storeTarget)),
      files_(files),
      prompter_(prompter),
      clock_(clock),
      viewer_(std::move(viewer)) {
  setWindowTitle("Collars in the Season Store");
  auto* layout = new QVBoxLayout(this);
  store_ = new QLabel(this);
  store_->setWordWrap(true);
  layout->addWidget(store_);
  table_ = new QTableWidget(0, 6, this);
  table_->setHorizontalHeaderLabels({"Collar", "Fixes", "First fix (UTC)", "Last fix (UTC)", "Offloads", "Last seen"});
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setToolTip("Double-click a collar, or press Enter, to see its whole history");
  table_->setMinimumSize(600, 220);
  layout->addWidget(table_);
  auto* row = new QHBoxLayout;
  view_ = new QPushButton("View History", this);
  view_->setToolTip("All fixes of the selected collar, every offload merged in time order, in the viewer");
  import_ = new QPushButton("Import GPS Data File...", this);
  import_->setToolTip("Add a GPS data file (.gps, such as a backup) to the store; fixes already there are skipped");
  auto* again = new QPushButton("Refresh", this);
  auto* close = new QPushButton("Close", this);
  row->addWidget(view_);
  row->addWidget(import_);
  row->addWidget(again);
  row->addStretch();
  row->addWidget(close);
  layout->addLayout(row);
  view_->setDefault(true);
  connect(view_, &QPushButton::clicked, this, &CollarsDialog::viewSelected);
  connect(import_, &QPushButton::clicked, this, &CollarsDialog::importFile);
  connect(again, &QPushButton::clicked, this, [this] { refresh(); });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { viewSelected(); });
  resize(640, 380);
  refresh();
}

bool CollarsDialog::refresh() {
  std::string error;
  auto store = SeasonStore::Open(target_, &error);
  std::vector<StoredCollar> collars;
  if (!store || !store->collars(&collars, &error)) {
    store_->setText(QString::fromStdString("The season store cannot be read: " + error +
                                           ". Choose the store under Settings > Season Store."));
    table_->setRowCount(0);
    view_->setEnabled(false);
    return false;
  }
  store_->setText(QString("%1: %2 %3.")
                      .arg(QString::fromStdString(store->description()))
                      .arg(collars.size())
                      .arg(collars.size() == 1 ? "collar" : "collars"));
  table_->setRowCount(static_cast<int>(collars.size()));
  for (int r = 0; r < static_cast<int>(collars.size()); ++r) {
    const StoredCollar& c = collars[static_cast<size_t>(r)];
    const QStringList cells = {QString::number(c.collarId), QString::number(c.fixes),
                               QString::fromStdString(c.firstFix), QString::fromStdString(c.lastFix),
                               QString::number(c.offloads), QString::fromStdString(c.lastSeen)};
    for (int col = 0; col < cells.size(); ++col) table_->setItem(r, col, new QTableWidgetItem(cells[col]));
  }
  if (!collars.empty() && table_->currentRow() < 0) table_->selectRow(0);
  view_->setEnabled(!collars.empty());
  return true;
}

void CollarsDialog::viewSelected() {
  const int row = table_->currentRow();
  if (row < 0) return;
  const uint32_t collar = table_->item(row, 0)->text().toUInt();
  std::string error;
  std::vector<uint8_t> image;
  auto store = SeasonStore::Open(target_, &error);
  if (!store || !store->history(collar, std::nullopt, std::nullopt, &image, &error)) {
    prompter_.notify(Format("The history of collar %u cannot be read.", collar), "Season Store", PromptIcon::Error,
                     {error, {}});
    return;
  }
  if (viewer_) viewer_(collar, image);
}

void CollarsDialog::importFile() {
  const auto path = files_.openFile("Import GPS Data File", "", "GPS data files (*.gps);;All Files (*.*)", "gps");
  if (!path) return;
  std::vector<uint8_t> image;
  std::string error;
  auto store = SeasonStore::Open(target_, &error);
  ImportResult r;
  if (!ReadWholeFile(*path, &image, &error) || !store ||
      !store->import(image, {NowText(clock_), -1, *path}, &r, &error)) {
    prompter_.notify(Format("%s was not imported.", path->c_str()), "Season Store", PromptIcon::Error, {error, {}});
    return;
  }
  prompter_.notify(Format("Collar %u: %d new fixes of %d%s.", r.collarId, r.added, r.blocks,
                          r.alreadyImported ? " (the file was imported before)" : ""),
                   "Season Store", PromptIcon::Information);
  refresh();
}

}  // namespace zelkor
