#include "collars_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "app/clock.h"
#include "store_work.h"
#include "gpsdata/gps_file_check.h"
#include "util/read_file.h"
#include "util/text.h"

namespace zelkor {

namespace {
const char kCaption[] = "Season Store";

QTableWidget* NewTable(const QStringList& headers, QWidget* parent) {
  auto* table = new QTableWidget(0, headers.size(), parent);
  table->setHorizontalHeaderLabels(headers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->hide();
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table->horizontalHeader()->setStretchLastSection(true);
  return table;
}

QString Plural(int64_t n, const char* one, const char* many) {
  return QString("%1 %2").arg(n).arg(n == 1 ? one : many);
}
}  // namespace

CollarsDialog::CollarsDialog(std::string storeTarget, ConnectOptions options, FileChooser& files, Prompter& prompter,
                             const Clock& clock, HistoryViewer viewer, QWidget* parent)
    : QDialog(parent),
      target_(std::move(storeTarget)),
      options_(std::move(options)),
      files_(files),
      prompter_(prompter),
      clock_(clock),
      viewer_(std::move(viewer)) {
  setWindowTitle("Collars in the Season Store");
  auto* layout = new QVBoxLayout(this);
  store_ = new QLabel(this);
  store_->setWordWrap(true);
  layout->addWidget(store_);
  table_ = NewTable({"Collar", "Fixes", "First fix (UTC)", "Last fix (UTC)", "Offloads", "Last seen"}, this);
  table_->setToolTip("Double-click a collar, or press Enter, to see its whole history");
  table_->setMinimumSize(600, 180);
  layout->addWidget(table_, 3);
  importsLabel_ = new QLabel(this);
  layout->addWidget(importsLabel_);
  imports_ = NewTable({"Import", "When", "From", "Fixes", "Only here", "Confirmed"}, this);
  imports_->setToolTip("The offloads and imported files that brought this collar's fixes. \"Only here\" counts the "
                       "fixes no other import holds: they go if the import is removed.");
  imports_->setMinimumHeight(110);
  layout->addWidget(imports_, 2);
  auto* row = new QHBoxLayout;
  view_ = new QPushButton("View History", this);
  view_->setToolTip("Close this list and show all fixes of the selected collar, every offload merged in time order");
  import_ = new QPushButton("Import GPS Data File...", this);
  import_->setToolTip("Add a GPS data file (.gps, such as a backup) to the store; fixes already there are skipped");
  removeImport_ = new QPushButton("Remove This Import...", this);
  removeImport_->setToolTip("Take the selected import out of the store, with the fixes no other import holds");
  removeCollar_ = new QPushButton("Remove Collar...", this);
  removeCollar_->setToolTip("Take the selected collar out of the store, with all its imports and fixes");
  auto* again = new QPushButton("Refresh", this);
  auto* close = new QPushButton("Close", this);
  row->addWidget(view_);
  row->addWidget(import_);
  row->addWidget(removeImport_);
  row->addWidget(removeCollar_);
  row->addWidget(again);
  row->addStretch();
  row->addWidget(close);
  layout->addLayout(row);
  view_->setDefault(true);
  connect(view_, &QPushButton::clicked, this, &CollarsDialog::viewSelected);
  connect(import_, &QPushButton::clicked, this, &CollarsDialog::importFile);
  connect(removeImport_, &QPushButton::clicked, this, &CollarsDialog::removeSelectedImport);
  connect(removeCollar_, &QPushButton::clicked, this, &CollarsDialog::removeSelectedCollar);
  connect(again, &QPushButton::clicked, this, [this] { refresh(); });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { viewSelected(); });
  connect(table_, &QTableWidget::itemSelectionChanged, this, &CollarsDialog::showImports);
  connect(imports_, &QTableWidget::itemSelectionChanged, this,
          [this] { removeImport_->setEnabled(readOnly_.empty() && imports_->currentRow() >= 0); });
  resize(760, 480);
  refresh();
}

void CollarsDialog::withStore(const QString& what, const std::function<void(SeasonStore&)>& work,
                              std::string* error) {
  bool opened = false;
  RunStoreWork(this, what, [&](std::function<bool()> cancelled) {
    ConnectOptions call = options_;
    call.cancelled = cancelled;
    auto store = SeasonStore::Open(target_, error, call);
    if (!store) return;
    opened = true;
    work(*store);
  });
  if (!opened && error->empty()) *error = "the store could not be opened";
}

uint32_t CollarsDialog::selectedCollar() const {
  const int row = table_->currentRow();
  return row < 0 || !table_->item(row, 0) ? 0 : table_->item(row, 0)->text().toUInt();
}

bool CollarsDialog::refresh() {
  const uint32_t was = selectedCollar();
  std::string error, description;
  std::vector<StoredCollar> collars;
  bool ok = false;
  withStore("Reading the season store...", [&](SeasonStore& store) {
    description = store.description();
    ok = store.collars(&collars, &error);
    if (ok) readOnly_ = store.readOnlyReason();
  }, &error);
  if (!ok) {
    store_->setText(QString::fromStdString("The season store cannot be read: " + error +
                                           ". Choose the store under Settings > Season Store."));
    table_->setRowCount(0);
    imports_->setRowCount(0);
    for (QPushButton* b : {view_, import_, removeImport_, removeCollar_}) b->setEnabled(false);
    return false;
  }
  QString text = QString("%1: %2.").arg(QString::fromStdString(description)).arg(Plural(static_cast<int64_t>(collars.size()), "collar", "collars"));
  if (!readOnly_.empty())
    text += QString(" You can view and export, but not import or remove: %1.").arg(QString::fromStdString(readOnly_));
  store_->setText(text);
  const QSignalBlocker quiet(table_);
  table_->setRowCount(static_cast<int>(collars.size()));
  int select = collars.empty() ? -1 : 0;
  for (int r = 0; r < static_cast<int>(collars.size()); ++r) {
    const StoredCollar& c = collars[static_cast<size_t>(r)];
    if (c.collarId == was) select = r;
    const QStringList cells = {QString::number(c.collarId), QString::number(c.fixes),
                               QString::fromStdString(c.firstFix), QString::fromStdString(c.lastFix),
                               QString::number(c.offloads), QString::fromStdString(c.lastSeen)};
    for (int col = 0; col < cells.size(); ++col) table_->setItem(r, col, new QTableWidgetItem(cells[col]));
  }
  if (select >= 0) table_->selectRow(select);
  view_->setEnabled(!collars.empty());
  import_->setEnabled(readOnly_.empty());
  import_->setToolTip(readOnly_.empty() ? "Add a GPS data file (.gps, such as a backup) to the store; fixes already "
                                          "there are skipped"
                                        : QString::fromStdString("Not possible: " + readOnly_));
  showImports();
  return true;
}

void CollarsDialog::showImports() {
  const uint32_t collar = selectedCollar();
  importList_.clear();
  imports_->setRowCount(0);
  removeCollar_->setEnabled(collar != 0 && readOnly_.empty());
  removeImport_->setEnabled(false);
  if (collar == 0) {
    importsLabel_->setText("Imports: choose a collar above.");
    return;
  }
  std::string error;
  bool ok = false;
  withStore("Reading the imports...", [&](SeasonStore& store) { ok = store.imports(collar, &importList_, &error); },
            &error);
  if (!ok) {
    importsLabel_->setText(QString::fromStdString(Format("The imports of collar %u cannot be read: ", collar) + error));
    return;
  }
  importsLabel_->setText(QString("Imports of collar %1:").arg(collar));
  imports_->setRowCount(static_cast<int>(importList_.size()));
  for (int r = 0; r < static_cast<int>(importList_.size()); ++r) {
    const StoredImport& i = importList_[static_cast<size_t>(r)];
    const QStringList cells = {QString::number(i.offloadId), QString::fromStdString(i.at),
                               i.port >= 0 ? QString("COM%1").arg(i.port + 1) : QString::fromStdString(i.backupPath),
                               QString::number(i.held), QString::number(i.only), i.confirmed ? "yes" : "no"};
    for (int col = 0; col < cells.size(); ++col) imports_->setItem(r, col, new QTableWidgetItem(cells[col]));
  }
}

void CollarsDialog::viewSelected() {
  const uint32_t collar = selectedCollar();
  if (collar == 0) return;
  std::string error;
  std::vector<uint8_t> image;
  bool ok = false;
  withStore(QString("Reading the history of collar %1...").arg(collar), [&](SeasonStore& store) {
    ok = store.history(collar, std::nullopt, std::nullopt, &image, &error);
  }, &error);
  if (!ok) {
    prompter_.notify(Format("The history of collar %u cannot be read.", collar), kCaption, PromptIcon::Error,
                     {error, {}});
    return;
  }
  // The list closes first, so that the viewer takes the clicks.
  accept();
  if (viewer_) {
    HistoryViewer viewer = viewer_;
    QTimer::singleShot(0, [viewer, collar, image] { viewer(collar, image); });
  }
}

void CollarsDialog::importFile() {
  const auto path = files_.openFile("Import GPS Data File", "", "GPS data files (*.gps);;All Files (*.*)", "gps");
  if (!path) return;
  std::vector<uint8_t> image;
  std::string error;
  if (!ReadWholeFile(*path, &image, &error)) {
    prompter_.notify(Format("%s was not imported.", path->c_str()), kCaption, PromptIcon::Error, {error + ".", {}});
    return;
  }
  const GpsFileCheck check = CheckGpsFile(image);
  if (!check.recognised) {
    prompter_.notify(Format("%s was not imported.", path->c_str()), kCaption, PromptIcon::Error,
                     {NotAGpsFileText(*path, check.reason), {}});
    return;
  }
  ImportResult r;
  bool ok = false;
  withStore("Importing...", [&](SeasonStore& store) {
    ok = store.import(image, {NowText(clock_), -1, *path}, &r, &error);
  }, &error);
  if (!ok) {
    prompter_.notify(Format("%s was not imported.", path->c_str()), kCaption, PromptIcon::Error, {error, {}});
    return;
  }
  prompter_.notify(Format("Collar %u: %d new fixes of %d%s.", r.collarId, r.added, r.blocks,
                          r.alreadyImported ? " (the file was imported before)" : ""),
                   kCaption, PromptIcon::Information);
  refresh();
}

void CollarsDialog::removeSelectedImport() {
  const int row = imports_->currentRow();
  if (row < 0 || row >= static_cast<int>(importList_.size())) return;
  const StoredImport chosen = importList_[static_cast<size_t>(row)];
  const std::string from = chosen.port >= 0 ? Format("COM%d", chosen.port + 1) : chosen.backupPath;
  const int64_t stay = chosen.held - chosen.only;
  std::string question = Format("Remove import %lld of collar %u (%s, %s)? %s no other import holds go from the "
                                "store.",
                                static_cast<long long>(chosen.offloadId), chosen.collarId, chosen.at.c_str(),
                                from.c_str(), Plural(chosen.only, "fix", "fixes").toStdString().c_str());
  if (stay > 0) question += Format(" %s other imports hold too stay.", Plural(stay, "fix", "fixes").toStdString().c_str());
  if (importList_.size() == 1) question += Format(" It is the collar's only import: collar %u goes too.", chosen.collarId);
  if (prompter_.ask(question, kCaption, PromptIcon::Question, PromptButtons::YesNo,
                    {"This cannot be undone; the backup file stays, and can be imported again.", PromptAnswer::No}) !=
      PromptAnswer::Yes)
    return;
  Removal removal;
  std::string error;
  bool ok = false;
  withStore("Removing the import...", [&](SeasonStore& store) {
    ok = store.removeImport(chosen.offloadId, &removal, &error);
  }, &error);
  if (!ok) {
    prompter_.notify("The import was not removed.", kCaption, PromptIcon::Error, {error, {}});
    return;
  }
  refresh();
}

void CollarsDialog::removeSelectedCollar() {
  const uint32_t collar = selectedCollar();
  if (collar == 0) return;
  const int row = table_->currentRow();
  const int64_t fixes = table_->item(row, 1)->text().toLongLong();
  const int64_t imports = static_cast<int64_t>(importList_.size());
  if (prompter_.ask(Format("Remove collar %u from the season store, with its %s and %s?", collar,
                           Plural(imports, "import", "imports").toStdString().c_str(),
                           Plural(fixes, "fix", "fixes").toStdString().c_str()),
                    kCaption, PromptIcon::Warning, PromptButtons::YesNo,
                    {"This cannot be undone; the backup files stay, and can be imported again.", PromptAnswer::No}) !=
      PromptAnswer::Yes)
    return;
  Removal removal;
  std::string error;
  bool ok = false;
  withStore("Removing the collar...", [&](SeasonStore& store) { ok = store.removeCollar(collar, &removal, &error); },
            &error);
  if (!ok) {
    prompter_.notify(Format("Collar %u was not removed.", collar), kCaption, PromptIcon::Error, {error, {}});
    return;
  }
  refresh();
}

}  // namespace zelkor
