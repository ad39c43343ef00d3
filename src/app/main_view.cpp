#include "main_view.h"

#include "link/helper_location.h"

#include "help_window.h"

#include <QMessageBox>
#include <QMetaObject>
#include <QPainter>
#include <QStatusBar>

#include <QFileInfo>
#include <optional>
#include <fstream>
#include <iterator>

#include "analysis/analysis_settings.h"
#include "app_serial.h"
#include "collars_dialog.h"
#include "link/port_session.h"
#include "parallel_offload_dialog.h"
#include "season_store_dialog.h"
#include "store_work.h"
#include "store/store_keeper.h"
#include <QCoreApplication>
#include "app/load_settings.h"
#include "app/paths.h"
#include "config/config_file.h"
#include "gpsdata/gps_file_check.h"
#include "gpsdata/export_workflow.h"
#include "gpsdata/viewer_text.h"
#include <QEventLoop>
#include <QTimer>

#include "config/config_workflow.h"
#include <QApplication>

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "calendar_dialog.h"
#include "painter_canvas.h"
#include "printout_pdf.h"
#include "print_dialog.h"
#include "config_dialog.h"
#include "config_options_dialog.h"
#include "offload_dialog.h"
#include "warning_dialog.h"
#include "collar_command_dialogs.h"
#include "collar_commands_dialog.h"
#include "link/collar_sequences.h"
#include "resources.h"
#include "security_level_dialog.h"
#include "select_port_dialog.h"
#include "small_dialogs.h"
#include "util/atomic_file.h"
#include "util/read_file.h"
#include "util/text.h"
#include "utc_offset_dialog.h"
#include <cstring>
#ifdef ZELKOR_HAVE_MAPS
#include "season_map.h"
#endif

namespace zelkor {

MainView::MainView(AppContext& context, QWidget* parent) : QWidget(parent), context_(context) {
  EnsureResources();
  viewer_.setMapServices(&context_.files, &context_.prompter);
  backdrop_ = QPixmap(":/zelkor/backdrop.png");
  // The one place that says what each command number starts.
  commands_[kCmdInitializeComPort] = [this] {
    LoadSettings(context_.state, context_.store, context_.prompter, *this, [this] { runUtcOffsetDialog(); });
    emit portChanged(context_.state.comPort);
  };
  commands_[kCmdComPort] = [this] {
    context_.state.comPort = RunSelectPort(context_.serial, context_.store, context_.prompter, *this, this);
    if (collarCommands_) collarCommands_->setPort(context_.state.comPort);
    emit portChanged(context_.state.comPort);
  };
  commands_[kCmdCollarCommands] = [this] { showCollarCommands(); };
  commands_[kCmdCollarConfiguration] = [this] { startCollarConfiguration(); };
  commands_[kCmdResetDataPointer] = [this] {
    RunResetSequence(context_.prompter, context_.link, context_.state.comPort, context_.state.programDirectory);
  };
  commands_[kCmdSecurityLevel] = [this] {
    SecurityLevelDialog dialog(context_.state.accessLevel, context_.prompter, this);
    dialog.exec();
  };
  commands_[kCmdBatteryUsage] = [this] {
    BatteryUsageDialog dialog(this);
    dialog.exec();
  };
  commands_[kCmdOffloadGpsData] = [this] { startOffloadGpsData(); };
  commands_[kCmdAlmanacInfo] = [this] {
    AlmanacDialog dialog(context_.state.comPort, context_.link, context_.prompter, *this, this);
    dialog.exec();
  };
  commands_[kCmdLoadConfiguration] = [this] { loadConfiguration(); };
  commands_[kCmdSetUtcOffset] = [this] { runUtcOffsetDialog(); };
  commands_[kCmdGpsDataFile] = [this] { openGpsDataFile(); };
  commands_[kCmdEnableTwoWayGps] = [this] {
    TwoWayGpsDialog dialog(context_.state.comPort, context_.link, *this, this,
                           [this](const std::string& line) { showStatus(line); });
    dialog.exec();
  };
  commands_[kCmdFilePrint] = [this] { startPrinting(); };
  commands_[kCmdExportGpsData] = [this] { exportGpsData(std::string()); };
  commands_[kCmdOffloadSeveral] = [this] { offloadSeveralCollars(); };
  commands_[kCmdCollarsInStore] = [this] {
    const std::string target = StoreTarget(context_.state.programDirectory, "", &context_.store);
    CollarsDialog dialog(target, StoreConnectOptions(context_.keyring, target), context_.files, context_.prompter,
                         context_.clock,
                         [this](uint32_t collar, const std::vector<uint8_t>& image) {
                           viewer_.showImage(image, QString("Collar %1 (season store)").arg(collar));
                         },
                         this);
    dialog.exec();
  };
  commands_[kCmdSeasonStore] = [this] {
    SeasonStoreDialog dialog(context_.store, context_.state.programDirectory, context_.prompter, context_.keyring,
                             this);
    dialog.exec();
  };
  commands_[kCmdAppAbout] = [this] {
    AboutDialog dialog(context_, this);
    dialog.exec();
  };
  commands_[kCmdAppExit] = [this] { emit quitRequested(); };
  commands_[kCmdFileNew] = [this] { emit newDocumentRequested(); };
  commands_[kCmdFileOpen] = [this] { emit openDocumentRequested(); };
  commands_[kCmdFileSave] = [] {};  // the document is never written
  commands_[kCmdHelpFinder] = [this] { showHelp(); };
  commands_[57670] = [this] { showHelp(); };
  commands_[kCmdViewStatusBar] = [this] { emit statusBarToggled(); };
  // Editing and pane keys of the frame do nothing in this view.
  for (int id : {57643, 57635, 57634, 57637, 57680, 57681, 57669}) commands_[id] = [] {};
}

MainView::~MainView() = default;

void MainView::postCommand(int id) {
  QMetaObject::invokeMethod(this, [this, id] { runCommand(id); }, Qt::QueuedConnection);
}

bool MainView::runCommand(int id) {
  const auto it = commands_.find(id);
  if (it == commands_.end()) return false;
  emit commandStarted(id);
  it->second();
  return true;
}

void MainView::showStatus(const std::string& text) {
  if (statusBar_) statusBar_->showMessage(QString::fromStdString(text));
}

void MainView::setBusy(bool busy) {
  busy_ = busy;
  if (busy)
    setCursor(Qt::WaitCursor);
  else
    unsetCursor();
}

void MainView::showCollarCommands() {
  if (!collarCommands_) {
    collarCommands_ = new CollarCommandsDialog(context_.state.comPort, context_.state.programDirectory,
                                               context_.link, context_.prompter, *this, window());
  }
  collarCommands_->show();
  collarCommands_->raise();
  collarCommands_->activateWindow();
}

ConfigDownloadState& MainView::downloadState() {
  if (collarCommands_) return collarCommands_->download();
  if (localDownload_.downloadedConfigPath.empty())
    localDownload_.downloadedConfigPath = ConfigBackupDir(context_.state.programDirectory) + "CollarConfig.cfg";
  return localDownload_;
}

namespace {
class QtConfigDialogPort : public ConfigDialogPort {
 public:
  QtConfigDialogPort(ConfigDialogContext& context, QWidget* parent) : context_(context), parent_(parent) {}
  bool run(ConfigFields& fields) override {
    ConfigDialog dialog(context_, fields, parent_);
    return dialog.exec() == QDialog::Accepted;
  }

 private:
  ConfigDialogContext& context_;
  QWidget* parent_;
};

}  // namespace

namespace {
// Swallows the user's input while it is installed on the application.
class InputBlocker : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::Wheel:
      case QEvent::Shortcut:
      case QEvent::ShortcutOverride:
      case QEvent::TouchBegin:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
      case QEvent::ContextMenu:
        return true;
      default:
        return false;
    }
  }
};
}  // namespace

void WaitWithoutUserInput(int ms) {
  // The windows keep painting, but clicks and keys do nothing until the
  // pause is over: nothing may start between an upload and its read-back.
  InputBlocker blocker;
  QCoreApplication::instance()->installEventFilter(&blocker);
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  QCoreApplication::instance()->removeEventFilter(&blocker);
}

void MainView::startCollarConfiguration() {
  ConfigDownloadState& download = downloadState();
  DialogWarner warner(this);
  ConfigDialogContext dialogContext{config_,         download.viewOnly, context_.state, context_.store,
                                    context_.prompter, warner,          context_.files, context_.clock,
                                    *this,           {},                {}};
  dialogContext.print = [this](int m, int y, const std::function<int(int, int, int)>& dow) {
    runPrintDialog(m, y, dow);
  };
  dialogContext.calendar = [this](const CalendarRequest& r) {
    QWidget* opener = QApplication::activeModalWidget();
    OpenScheduleCalendar(r, context_.prompter, opener ? opener : this);
  };
  QtConfigDialogPort dialog(dialogContext, this);
  QtOptionsDialogPort options(context_.files, this, &context_.prompter);
  ConfigWorkflowContext workflow{config_,
                                 download.downloadedConfigPath,
                                 download.viewOnly,
                                 context_.state.comPort,
                                 context_.prompter,
                                 context_.link,
                                 context_.clock,
                                 *this,
                                 dialog,
                                 options,
                                 [this](bool b) { setBusy(b); },
                                 WaitWithoutUserInput,
                                 [this](const std::string& text) { showStatus(text); },
                                 download.record};
  download.record.clear();  // used once: later openings read the file
  RunConfigWorkflow(workflow);
  emit collarChanged(config_.collarId);
}

void MainView::loadConfiguration() {
  LoadConfigDialog dialog(context_.files, this);
  if (dialog.exec() != QDialog::Accepted) {
    postCommand(kCmdCollarCommands);
    return;
  }
  if (!dialog.fromFile()) {
    RunConfigDownloadChoice(CollarChoice::EditConfig, context_.state.comPort, context_.state.programDirectory,
                            downloadState(), context_.link, context_.prompter, *this);
    return;
  }
  if (ReadConfig(dialog.fileName(), config_, context_.prompter) == ConfigFileStatus::Ok)
    context_.prompter.notify(Format("The configuration of collar %u was loaded from %s.", config_.collarId,
                                    dialog.fileName().c_str()),
                             "Load Configuration", PromptIcon::Information);
}
void MainView::startOffloadGpsData() {
  ConfigDownloadState& download = downloadState();
  CollarConfig fresh;
  if (download.record.size() >= kConfigRecordSize) {
    // The record this job downloaded, whatever another program has put
    // under the file's name since.
    CollarConfigRecord raw{};
    std::copy(download.record.begin(), download.record.begin() + kConfigRecordSize, raw.begin());
    DecodeConfig(raw, fresh);
    config_ = fresh;
    download.record.clear();
  } else if (ReadConfig(download.downloadedConfigPath, fresh, context_.prompter) == ConfigFileStatus::Ok) {
    // A file that cannot be read is reported; the record keeps what it had.
    config_ = fresh;
  }
  // The viewer opens once the offload dialog has closed: a viewer under a
  // modal dialog would take no clicks.
  std::optional<std::pair<std::string, std::string>> toView;
  emit collarChanged(config_.collarId);
  OffloadContext offload{context_.state, context_.store, context_.prompter, context_.link, context_.clock,
                         [&toView](const std::string& csv, const std::string& backup) { toView.emplace(csv, backup); },
                         [this](const std::string& text) { showStatus(text); }};
  offload.keep = [this](const std::vector<uint8_t>& image, const std::string& backup, bool confirmed) {
    return keepInStore(image, backup, confirmed, context_.state.comPort);
  };
  offload.askEraseWhileWaiting = true;
  // The lock taken for the configuration download lasts until the offload
  // dialog closes.
  const int held = collarCommands_ ? collarCommands_->takeHeldPort() : -1;
  OffloadGpsDataDialog dialog(config_, offload, *this, this);
  dialog.exec();
  if (held >= 0) context_.link.releasePort(held);
  if (toView) {
    // After the Collar Commands dialog the offload brought back, so that
    // the viewer ends up on top.
    QMetaObject::invokeMethod(
        this,
        [this, view = *toView] {
          try {
            showGpsDataFile(view.first, view.second);
          } catch (...) {
            context_.prompter.notify(kViewGpsDataException, "View GPS Data", PromptIcon::Error);
          }
        },
        Qt::QueuedConnection);
  }
}

KeepResult MainView::keepInStore(const std::vector<uint8_t>& image, const std::string& backup, bool confirmed,
                                 int port) {
  ImportInfo info{NowText(context_.clock), port, backup};
  info.confirmed = confirmed;
  const std::string dir = context_.state.programDirectory;
  const std::string target = StoreTarget(dir, "", &context_.store);
  const ConnectOptions options = StoreConnectOptions(context_.keyring, target);
  KeepOutcome kept;
  RunStoreWork(this, "Adding the fixes to the season store...", [&](std::function<bool()> cancelled) {
    ConnectOptions call = options;
    call.cancelled = cancelled;
    kept = KeepInStore(dir, target, image, info, call);
  });
  if (!kept.stored && !kept.listed)
    context_.prompter.notify("The fixes were not added to the season store.", "Season Store", PromptIcon::Warning,
                             {kept.message() + " Check the store under Settings > Season Store.", {}});
  return {kept.stored, kept.message(), kept.listed};
}

void MainView::offloadSeveralCollars() {
  const std::string dir = context_.state.programDirectory;
  const std::string helper = XmodemHelperPath((QCoreApplication::applicationDirPath() + "/").toStdString());
  // The keeper runs on a collar's own thread; the settings are read here.
  const std::string target = StoreTarget(dir, "", &context_.store);
  const ConnectOptions options = StoreConnectOptions(context_.keyring, target);
  ParallelOffloadDialog dialog(
      dir, context_.serial, context_.store, context_.prompter, context_.clock,
      [dir, helper](int, std::function<void(const LinkDisplay&)> onTick, std::function<bool()> cancelled) {
        return std::make_unique<PortSession>(dir, AppPortDevice, helper, std::move(onTick), std::move(cancelled));
      },
      [this, target, dir, options](const std::vector<uint8_t>& image, const std::string& backup, bool confirmed,
                                   int port) {
        ImportInfo info{NowText(context_.clock), port, backup};
        info.confirmed = confirmed;
        // Several collars: none is erased before the store holds its fixes.
        const KeepOutcome kept = KeepInStore(dir, target, image, info, options);
        return KeepResult{kept.stored, kept.message()};
      },
      this, [this](const std::string& csv, const std::string& backup) { showGpsDataFile(csv, backup); });
  dialog.exec();
}

std::optional<std::string> MainView::chooseGpsSource() {
  auto path = context_.files.openFile("Open GPS Data File", GpsBackupDir(context_.state.programDirectory) + "*.gps",
                                      "GPS data files (*.gps);;All Files (*.*)", "gps");
  if (path) lastGpsSource_ = *path;
  return path;
}

void MainView::exportGpsData(const std::string& source) {
  RunExportGpsData(context_.state.programDirectory, source, context_.files, context_.prompter, StoredMaxSpeed());
}

void MainView::openGpsDataFile() {
  const auto path = context_.files.openFile("Open", GpsDataDir(context_.state.programDirectory) + "*.csv",
                                            "GPS data files (*.csv);;All Files (*.*)", "csv");
  if (path) showGpsDataFile(*path);
}

bool MainView::showGpsDataFile(const std::string& path, const std::string& source) {
  std::string bytes;
  if (!ReadWholeFile(path, &bytes)) return false;  // a file that cannot be read is skipped
  const QString name = QFileInfo(QString::fromStdString(path)).fileName();
  size_t where = 0;
  if (!LooksLikeText(bytes, &where)) {
    // Not a translated file: a collar's own GPS data file is shown as its
    // translation (UTC) with its summary; anything else is refused.
    const std::vector<uint8_t> image(bytes.begin(), bytes.end());
    const GpsFileCheck check = CheckGpsFile(image);
    if (check.recognised) {
      lastGpsSource_ = path;
      viewer_.showImage(image, name);
      return viewer_.current() != nullptr;
    }
    context_.prompter.notify(
        Format("%s is not a translated GPS data file (CSV): it holds binary data from byte %zu on. It does not look "
               "like a collar's GPS data file either: %s.",
               name.toStdString().c_str(), where, check.reason.c_str()),
        "View GPS Data", PromptIcon::Warning,
        {"Open a .csv file that Zelkor wrote, or a .gps file from Backup/GPS Data.", {}});
    return false;
  }
  if (!source.empty()) lastGpsSource_ = source;
  return LoadIntoViewer(
      bytes, [&](const ViewerText& text) { viewer_.show(text, name, source); }, context_.prompter);
}
double MainView::StoredMaxSpeed() const { return ReadMaxSpeed(context_.store); }

std::optional<SeasonSummary> MainView::SummaryOfLastGpsData() const {
  if (lastGpsSource_.empty()) return std::nullopt;
  std::vector<uint8_t> image;
  SummaryOptions options;
  options.maxSpeedKmh = StoredMaxSpeed();
  SeasonSummary s;
  if (!ReadWholeFile(lastGpsSource_, &image) || !SummarizeSeason(image, options, &s)) return std::nullopt;
  return s;
}

std::optional<CanvasImage> MainView::MapOfLastGpsData() const {
#ifdef ZELKOR_HAVE_MAPS
  std::vector<uint8_t> image;
  if (lastGpsSource_.empty() || !ReadWholeFile(lastGpsSource_, &image)) return std::nullopt;
  SeasonMapOptions options;
  options.maxSpeedKmh = StoredMaxSpeed();
  std::string reason;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const QImage map = RenderSeasonMap(image, ReadMapLayers(context_.store), QSize(2000, 1500), options, &reason)
                         .convertToFormat(QImage::Format_RGBA8888);
  QApplication::restoreOverrideCursor();
  if (map.isNull()) return std::nullopt;
  CanvasImage picture;
  picture.width = map.width();
  picture.height = map.height();
  picture.rgba.resize(static_cast<size_t>(map.width()) * map.height() * 4);
  for (int y = 0; y < map.height(); ++y)
    std::memcpy(&picture.rgba[static_cast<size_t>(y) * map.width() * 4], map.constScanLine(y),
                static_cast<size_t>(map.width()) * 4);
  return picture;
#else
  return std::nullopt;
#endif
}

void MainView::addSeasonMap(PrintInputs& inputs) const {
  if (!printMap_) return;
  inputs.seasonMap = MapOfLastGpsData();
  inputs.options.seasonMap = inputs.seasonMap.has_value();
  if (const auto s = SummaryOfLastGpsData()) inputs.seasonMapCollar = s->collarId;
}

void MainView::startPrinting() {
  PrintInputs inputs = ReadPrintInputs(config_, context_.store, context_.clock, calendarStart_);
  inputs.summary = printSummary_;
  inputs.options.seasonSummary = printSummary_.has_value();
  addSeasonMap(inputs);
  std::unique_ptr<QPrinter> printer;
  if (printTarget_) {
    printer = printTarget_();
  } else {
    printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer.get(), this);
    dialog.setMinMax(1, 3);
    if (dialog.exec() != QDialog::Accepted) printer.reset();
  }
  if (!printer) return;
  PainterCanvas canvas(*printer);
  RunPrintJob(canvas, inputs);
}

void MainView::runPrintDialog(int monthIndex, int yearIndex, const std::function<int(int, int, int)>& dayOfWeek) {
  QWidget* parent = QApplication::activeModalWidget();
  // The project text is kept from one opening to the next while the
  // program runs.
  PrintOptions stored = ReadPrintOptions(context_.store);
  stored.projectText = projectText_;
  const std::optional<SeasonSummary> summary = SummaryOfLastGpsData();
  PrintOptionsDialog dialog(stored, parent ? parent : this,
                            summary ? QFileInfo(QString::fromStdString(lastGpsSource_)).fileName() : QString());
  if (dialog.exec() != QDialog::Accepted) return;
  const PrintOptions o = dialog.options();
  projectText_ = o.projectText;
  StorePrintOptions(context_.store, context_.prompter, o);
  printSummary_ = o.seasonSummary ? summary : std::nullopt;
  printMap_ = o.seasonMap;
  if (!o.collarConfig && !o.transmitterCalendar && !o.auxCalendar && !o.seasonSummary && !o.seasonMap) return;
  calendarStart_.month = monthIndex + 1;
  calendarStart_.year = yearIndex + 2000;
  calendarStart_.weekday = dayOfWeek(calendarStart_.month, 1, calendarStart_.year);
  PrintInputs inputs = ReadPrintInputs(config_, context_.store, context_.clock, calendarStart_);
  inputs.options.seasonSummary = o.seasonSummary;
  inputs.summary = printSummary_;
  addSeasonMap(inputs);
  switch (dialog.action()) {
    case PrintOptionsDialog::Print:
      postCommand(kCmdFilePrint);
      break;
    case PrintOptionsDialog::Preview: {
      QPrintPreviewDialog preview(parent ? parent : this);
      connect(&preview, &QPrintPreviewDialog::paintRequested, this, [&inputs](QPrinter* printer) {
        PainterCanvas canvas(*printer);
        RunPrintJob(canvas, inputs);
      });
      preview.exec();
      break;
    }
    case PrintOptionsDialog::Pdf: {
      const auto path = context_.files.saveFile("Save as PDF", GpsDataDir(context_.state.programDirectory) +
                                                                   Format("%u.pdf", config_.collarId),
                                                "PDF files (*.pdf)", "pdf");
      if (!path) return;
      std::string reason;
      const int pages = WritePrintoutPdf(inputs, *path, &reason);
      if (pages < 0)
        context_.prompter.notify(WriteFailureText(*path, reason), "Print", PromptIcon::Error);
      else
        context_.prompter.notify(Format("%d pages were written to %s.", pages, path->c_str()), "Print",
                                 PromptIcon::Information);
      break;
    }
  }
}

void MainView::runUtcOffsetDialog() {
  UtcOffsetDialog dialog(context_.state, context_.store, context_.prompter, this);
  dialog.exec();
}

void MainView::showHelp() { OpenManual("index.html", this); }

void MainView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(30, 86, 159));
  if (!backdrop_.isNull()) {
    // The picture scales with the window, whole and centred, never larger
    // than it was drawn.
    QSize size = backdrop_.size();
    if (size.width() > width() || size.height() > height()) size.scale(this->size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(target, backdrop_);
  }
}

}  // namespace zelkor
