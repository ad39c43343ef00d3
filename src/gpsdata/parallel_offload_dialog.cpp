#include "parallel_offload_dialog.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "app/utc_offset.h"
#include "link/port_scan.h"
#include "named_zone_dialog.h"
#include "util/text.h"

namespace zelkor {

namespace {
enum Column { kPort, kCollar, kProgress, kResult, kCancel };
}

std::string RunSummary(const std::vector<CollarRun>& runs, bool eraseAsked) {
  int ok = 0, erased = 0, empty = 0;
  std::vector<std::string> failed, stopped;
  for (const CollarRun& r : runs) {
    if (r.ok && !r.empty) ++ok;
    if (r.empty) ++empty;
    if (r.erased) ++erased;
    if (!r.ok && r.cancelled) stopped.push_back(Format("COM%d", r.port + 1));
    else if (!r.ok) failed.push_back(Format("COM%d", r.port + 1));
  }
  auto join = [](const std::vector<std::string>& v) {
    std::string s;
    for (size_t i = 0; i < v.size(); ++i) s += (i ? (i + 1 == v.size() ? " and " : ", ") : "") + v[i];
    return s;
  };
  std::string line = Format("%d of %zu %s offloaded", ok, runs.size(), runs.size() == 1 ? "collar" : "collars");
  if (eraseAsked) line += Format(", %d erased", erased);
  if (empty) line += Format(", %d empty", empty);
  line += ".";
  if (!failed.empty()) line += " " + join(failed) + (failed.size() == 1 ? " failed: see its row." : " failed: see their rows.");
  if (!stopped.empty()) line += " " + join(stopped) + " stopped.";
  if (ok) line += " Double-click a row, or press its Open, to see its fixes.";
  return line;
}

ParallelOffloadDialog::ParallelOffloadDialog(const std::string& programDirectory, SystemSerialPort& serial,
                                             SettingsStore& settings, Prompter& prompter, const Clock& clock,
                                             LinkSessionFactory factory, ImageKeeper keep, QWidget* parent,
                                             Viewer view)
    : QDialog(parent),
      programDirectory_(programDirectory),
      settings_(settings),
      prompter_(prompter),
      clock_(clock),
      factory_(std::move(factory)),
      keep_(std::move(keep)),
      view_(std::move(view)) {
  setWindowTitle("Offload Several Collars");
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* portBox = new QGroupBox("Ports", this);
  auto* portLayout = new QVBoxLayout(portBox);
  ports_ = new QListWidget(portBox);
  ports_->setToolTip("Tick one port for each collar; each collar needs its own serial adapter. Ports another "
                     "program holds are greyed, with its name.");
  const PortScan scan = ScanPorts(serial, -1, [&serial](int i) { return DescribePort(serial, i); });
  for (const PortEntry& e : scan.entries) {
    auto* item = new QListWidgetItem(QString::fromStdString(e.text), ports_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    item->setData(Qt::UserRole, e.index);
  }
  if (scan.entries.empty()) {
    auto* none = new QListWidgetItem(kNoFreePorts, ports_);
    none->setFlags(Qt::NoItemFlags);
  }
  // Ports in use are named, greyed, with who holds them.
  for (const PortEntry& e : scan.busy) {
    auto* item = new QListWidgetItem(QString::fromStdString(e.text), ports_);
    item->setFlags(Qt::NoItemFlags);
  }
  // Wide enough for "COM5  /dev/ttyUSB0" and the holder of a busy port.
  int widest = 0;
  for (int i = 0; i < ports_->count(); ++i)
    widest = std::max(widest, ports_->fontMetrics().horizontalAdvance(ports_->item(i)->text()));
  ports_->setMinimumWidth(std::min(widest + 56, 360));
  portLayout->addWidget(ports_);
  if (!scan.permissionHint.empty()) {
    auto* hint = new QLabel(QString::fromStdString(scan.permissionHint), portBox);
    hint->setWordWrap(true);
    portLayout->addWidget(hint);
  }
  top->addWidget(portBox, 1);

  auto* optionBox = new QGroupBox("For every collar", this);
  auto* form = new QFormLayout(optionBox);
  zones_ = new QComboBox(optionBox);
  for (const std::string& e : TimeZoneEntries()) zones_->addItem(QString::fromStdString(e));
  zones_->addItem("Named time zone...");
  zones_->setToolTip("Time zone the fix times are shifted to in the CSV files; the last entry follows daylight "
                     "saving.");
  const SettingsValue utc = settings.read(kSettingsKey, "UTC");
  const int zone = utc.present() ? AtoiRules(utc.text) : kUtcDefaultIndex;
  zones_->setCurrentIndex(zone >= 0 && zone < static_cast<int>(TimeZoneEntries().size()) ? zone : kUtcDefaultIndex);
  connect(zones_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    if (index != static_cast<int>(TimeZoneEntries().size())) return;
    const SettingsValue last = settings_.read(kAnalysisKey, "Named Time Zone");
    NamedZoneDialog picker(QString::fromStdString(last.present() ? last.text : std::string()), this);
    if (picker.exec() == QDialog::Accepted && picker.zone()) {
      named_ = picker.zone();
      zones_->setItemText(index, QString("Named time zone: %1...").arg(QString::fromStdString(named_->name())));
      settings_.write(kAnalysisKey, "Named Time Zone", named_->name());
    } else if (!named_) {
      zones_->setCurrentIndex(kUtcDefaultIndex);
    }
  });
  form->addRow("Time zone", zones_);
  auto* forms = new QVBoxLayout;
  latLon_ = new QRadioButton("Latitude and Longitude", optionBox);
  utm_ = new QRadioButton("Universal Transverse Mercator (UTM) NAD83", optionBox);
  const SettingsValue form0 = settings.read(kSettingsKey, "Lat or UTC Offload");
  (form0.present() && form0.text != "0" ? utm_ : latLon_)->setChecked(true);
  forms->addWidget(latLon_);
  forms->addWidget(utm_);
  form->addRow("Output", forms);
  pattern_ = new QLineEdit("{id}", optionBox);
  pattern_->setToolTip("The CSV file name of each collar, {id} standing for its ID (\".csv\" is added). A name "
                       "already taken gets -2, -3 ...");
  form->addRow("File names", pattern_);
  erase_ = new QCheckBox("Erase each collar once its data is safe", optionBox);
  erase_->setToolTip("After a verified backup and a second read that agrees byte for byte; a collar whose reads do "
                     "not agree keeps its data");
  form->addRow(erase_);
  top->addWidget(optionBox, 1);
  layout->addLayout(top);

  runs_ = new QTableWidget(0, 5, this);
  runs_->setHorizontalHeaderLabels({"Port", "Collar", "Progress", "Result", ""});
  runs_->verticalHeader()->hide();
  runs_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  runs_->setSelectionMode(QAbstractItemView::NoSelection);
  runs_->horizontalHeader()->setSectionResizeMode(kProgress, QHeaderView::Interactive);
  runs_->horizontalHeader()->setSectionResizeMode(kResult, QHeaderView::Stretch);
  runs_->setColumnWidth(kProgress, 240);
  // Long results wrap within their row rather than run out of the cell.
  runs_->setWordWrap(true);
  runs_->setToolTip("Each collar: its packets, rate and time left, and its step; the result when it is done");
  connect(runs_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
    if (auto* open = qobject_cast<QPushButton*>(runs_->cellWidget(row, kCancel)); open && open->text() == "Open")
      open->click();
  });
  layout->addWidget(runs_, 1);
  summary_ = new QLabel(this);
  summary_->setWordWrap(true);
  summary_->hide();
  layout->addWidget(summary_);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  start_ = new QPushButton("Start", this);
  start_->setDefault(true);
  close_ = new QPushButton("Close", this);
  buttons->addWidget(start_);
  buttons->addWidget(close_);
  layout->addLayout(buttons);
  connect(start_, &QPushButton::clicked, this, &ParallelOffloadDialog::start);
  connect(close_, &QPushButton::clicked, this, &ParallelOffloadDialog::reject);
  timer_ = new QTimer(this);
  timer_->setInterval(200);
  connect(timer_, &QTimer::timeout, this, &ParallelOffloadDialog::refresh);
  recall();
  setMinimumWidth(720);
  resize(820, 480);
}

void ParallelOffloadDialog::recall() {
  const SettingsValue ports = settings_.read(kSeveralCollarsKey, "Ports");
  if (ports.present()) {
    for (const QString& p : QString::fromStdString(ports.text).split(',', Qt::SkipEmptyParts)) {
      bool number = false;
      const int port = p.trimmed().toInt(&number);
      if (!number) continue;
      for (int i = 0; i < ports_->count(); ++i)
        if ((ports_->item(i)->flags() & Qt::ItemIsUserCheckable) && ports_->item(i)->data(Qt::UserRole).toInt() == port)
          ports_->item(i)->setCheckState(Qt::Checked);
    }
  }
  const SettingsValue pattern = settings_.read(kSeveralCollarsKey, "File Names");
  if (pattern.present() && !pattern.text.empty()) pattern_->setText(QString::fromStdString(pattern.text));
  const SettingsValue zone = settings_.read(kSeveralCollarsKey, "Time Zone");
  const int index = zone.present() ? AtoiRules(zone.text) : -1;
  if (index >= 0 && index < static_cast<int>(TimeZoneEntries().size())) zones_->setCurrentIndex(index);
}

void ParallelOffloadDialog::remember() {
  std::string ports;
  for (int p : chosenPorts()) ports += (ports.empty() ? "" : ",") + std::to_string(p);
  settings_.write(kSeveralCollarsKey, "Ports", ports);
  settings_.write(kSeveralCollarsKey, "File Names", pattern_->text().trimmed().toStdString());
  // A named zone is remembered by its own setting; the list's entry here.
  if (zones_->currentIndex() < static_cast<int>(TimeZoneEntries().size()))
    settings_.write(kSeveralCollarsKey, "Time Zone", std::to_string(zones_->currentIndex()));
}

ParallelOffloadDialog::~ParallelOffloadDialog() = default;

std::vector<int> ParallelOffloadDialog::chosenPorts() const {
  std::vector<int> ports;
  for (int i = 0; i < ports_->count(); ++i)
    if (ports_->item(i)->checkState() == Qt::Checked) ports.push_back(ports_->item(i)->data(Qt::UserRole).toInt());
  return ports;
}

bool ParallelOffloadDialog::running() const { return job_ && !job_->finished(); }

std::vector<CollarRun> ParallelOffloadDialog::results() const {
  return job_ ? job_->snapshot() : std::vector<CollarRun>();
}

void ParallelOffloadDialog::start() {
  if (running()) return;
  ParallelOffloadOptions options;
  options.ports = chosenPorts();
  if (options.ports.empty()) {
    prompter_.notify("Tick the port of each collar to offload.", "Offload Several Collars", PromptIcon::Warning);
    ports_->setFocus();
    return;
  }
  options.namePattern = pattern_->text().trimmed().toStdString();
  if (options.namePattern.empty() || options.namePattern.find_first_of("/\\") != std::string::npos) {
    prompter_.notify("Enter a file name without a folder, such as {id} or elk-{id}.", "Offload Several Collars",
                     PromptIcon::Warning);
    pattern_->setFocus();
    return;
  }
  const bool named = zones_->currentIndex() == static_cast<int>(TimeZoneEntries().size());
  options.zoneText = named ? TimeZoneEntries()[kUtcDefaultIndex] : zones_->currentText().toStdString();
  if (named && named_) options.namedZone = named_;
  options.form = utm_->isChecked() ? OutputForm::Utm : OutputForm::LatLon;
  options.erase = erase_->isChecked();
  settings_.write(kSettingsKey, "Lat or UTC Offload", utm_->isChecked() ? "1" : "0");
  remember();
  summary_->hide();

  job_.reset();  // a finished run before this one
  job_ = std::make_unique<ParallelOffload>(programDirectory_, clock_, factory_, options, keep_);
  runs_->setRowCount(static_cast<int>(options.ports.size()));
  for (int r = 0; r < static_cast<int>(options.ports.size()); ++r) {
    const int port = options.ports[static_cast<size_t>(r)];
    runs_->setItem(r, kPort, new QTableWidgetItem(QString("COM%1").arg(port + 1)));
    runs_->setItem(r, kCollar, new QTableWidgetItem(""));
    auto* bar = new QProgressBar(runs_);
    bar->setRange(0, 1);
    bar->setValue(0);
    bar->setFormat("Waiting");
    runs_->setCellWidget(r, kProgress, bar);
    runs_->setItem(r, kResult, new QTableWidgetItem(""));
    auto* cancel = new QPushButton("Cancel", runs_);
    cancel->setToolTip(QString("Stop COM%1; nothing is erased from a collar that is stopped").arg(port + 1));
    connect(cancel, &QPushButton::clicked, this, [this, port, cancel] {
      if (job_) job_->cancel(port);
      cancel->setEnabled(false);
    });
    runs_->setCellWidget(r, kCancel, cancel);
  }
  for (QWidget* w : std::initializer_list<QWidget*>{ports_, zones_, latLon_, utm_, pattern_, erase_, start_})
    w->setEnabled(false);
  job_->start();
  timer_->start();
}

void ParallelOffloadDialog::refresh() {
  if (!job_) return;
  const std::vector<CollarRun> runs = job_->snapshot();
  for (int r = 0; r < static_cast<int>(runs.size()) && r < runs_->rowCount(); ++r) {
    const CollarRun& c = runs[static_cast<size_t>(r)];
    if (c.collarId) runs_->item(r, kCollar)->setText(QString::number(c.collarId));
    auto* bar = qobject_cast<QProgressBar*>(runs_->cellWidget(r, kProgress));
    if (c.finished) {
      if (bar->format() != QString::fromStdString(c.stage) || runs_->item(r, kResult)->text().isEmpty()) {
        bar->setRange(0, 1);
        bar->setValue(c.ok ? 1 : 0);
        bar->setFormat(QString::fromStdString(c.stage));
        bar->setToolTip(QString());
        runs_->item(r, kResult)->setText(QString::fromStdString(c.result));
        runs_->item(r, kResult)->setToolTip(QString::fromStdString(c.result));
        runs_->item(r, kResult)->setForeground(c.ok ? QColor(21, 128, 61) : QColor(185, 28, 28));
        if (auto* cancel = qobject_cast<QPushButton*>(runs_->cellWidget(r, kCancel))) {
          // A collar with its fixes written can be opened once all are done.
          const bool openable = c.ok && !c.csvPath.empty() && view_;
          cancel->setText(openable ? "Open" : "Cancel");
          cancel->setToolTip(openable ? QString("Close this window and show %1").arg(QString::fromStdString(c.csvPath))
                                      : QString());
          cancel->setEnabled(false);
          if (openable) {
            cancel->disconnect();
            const std::string csv = c.csvPath, backup = c.backupPath;
            connect(cancel, &QPushButton::clicked, this, [this, csv, backup] {
              QDialog::accept();
              Viewer view = view_;
              QTimer::singleShot(0, [view, csv, backup] { view(csv, backup); });
            });
          }
        }
        runs_->resizeRowToContents(r);
      }
      continue;
    }
    bar->setRange(0, std::max(1, c.packetTotal));
    bar->setValue(std::min(c.packetsDone, std::max(1, c.packetTotal)));
    // The bar carries the numbers; the step stands in the result column,
    // where there is room for it.
    QString text = c.packetTotal > 0 ? QString("%1/%2").arg(c.packetsDone).arg(c.packetTotal) : QString("...");
    if (c.bytesPerSecond > 0) text += QString(" \u00b7 %1 B/s").arg(c.bytesPerSecond, 0, 'f', 0);
    if (c.secondsLeft >= 0) text += QString(" \u00b7 %1:%2").arg(c.secondsLeft / 60).arg(c.secondsLeft % 60, 2, 10, QChar('0'));
    bar->setFormat(text);
    bar->setToolTip(QString::fromStdString(c.stage) + ": " + text);
    runs_->item(r, kResult)->setText(QString::fromStdString(c.stage));
    runs_->item(r, kResult)->setForeground(palette().color(QPalette::Text));
  }
  if (job_->finished()) {
    timer_->stop();
    for (QWidget* w : std::initializer_list<QWidget*>{ports_, zones_, latLon_, utm_, pattern_, erase_, start_})
      w->setEnabled(true);
    for (int r = 0; r < runs_->rowCount(); ++r)
      if (auto* b = qobject_cast<QPushButton*>(runs_->cellWidget(r, kCancel)); b && b->text() == "Open")
        b->setEnabled(true);
    summary_->setText(QString::fromStdString(RunSummary(runs, erase_->isChecked())));
    summary_->show();
    emit allFinished();
  }
}

void ParallelOffloadDialog::reject() {
  if (running()) {
    if (prompter_.ask("Stop the offloads in progress?", "Offload Several Collars", PromptIcon::Question,
                      PromptButtons::YesNo,
                      {"Nothing is erased from a collar whose offload is stopped; what was saved stays.",
                       PromptAnswer::No}) != PromptAnswer::Yes)
      return;
    job_->cancelAll();
    job_->wait();
    refresh();
  }
  QDialog::reject();
}

}  // namespace zelkor
