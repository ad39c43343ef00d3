// The main view: paints the program's backdrop and runs every command by
// number. Commands are queued with postCommand and run from the event loop.
#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>

#include "analysis/season_summary.h"

#include "app/command_ids.h"
#include "app_context.h"
#include "collar_commands_dialog.h"
#include "config/collar_config.h"
#include "gpsdata/offload_workflow.h"
#include "print/print_job.h"

class QPrinter;
#include "view_gps_data_dialog.h"

class QStatusBar;

namespace zelkor {

class CollarCommandsDialog;

// Waits ms milliseconds with the event loop running for everything but the
// user's input (the pause between an upload and its read-back).
void WaitWithoutUserInput(int ms);

class MainView : public QWidget, public CommandSink {
  Q_OBJECT
 public:
  MainView(AppContext& context, QWidget* parent = nullptr);
  ~MainView() override;

  void postCommand(int id) override;
  // Runs a command at once; false for a number that names no command.
  bool runCommand(int id);
  bool hasCommand(int id) const { return commands_.count(id) > 0; }

  void setStatusBar(QStatusBar* bar) { statusBar_ = bar; }
  // A confirmation in the status bar ("Configuration verified on ...").
  void showStatus(const std::string& text);
  void setBusy(bool busy);
  bool busy() const { return busy_; }

  CollarCommandsDialog* collarCommands() const { return collarCommands_; }
  CollarConfig& config() { return config_; }
  AppContext& context() { return context_; }

  // Entry points of the commands that later parts of the program fill in.
  void startCollarConfiguration();
  void startOffloadGpsData();
  void openGpsDataFile();
  void startPrinting();
  // The "Print" dialog of the configuration dialog.
  void runPrintDialog(int startMonthIndex, int startYearIndex, const std::function<int(int, int, int)>& dayOfWeek);
  const CalendarStart& calendarStart() const { return calendarStart_; }
  // Where the Print command prints; the default asks with the system's
  // print dialog. Returns nothing when the user cancels.
  void setPrintTarget(std::function<std::unique_ptr<QPrinter>()> target) { printTarget_ = std::move(target); }
  // "Load Configuriation": from the collar or from a file.
  void loadConfiguration();
  // The state of the last configuration download (path, view-only).
  ConfigDownloadState& downloadState();
  // Writes a GPS data file as GPX, GeoJSON, KML or Movebank CSV; asks for
  // the file when source is empty.
  double StoredMaxSpeed() const;
  std::optional<SeasonSummary> SummaryOfLastGpsData() const;
  // The map of the last GPS data viewed, with the Track tab's layers, for
  // the print job; none in a build without maps.
  std::optional<CanvasImage> MapOfLastGpsData() const;
  void addSeasonMap(PrintInputs& inputs) const;
  // An offload's image into the season store; a warning when it cannot be reached.
  KeepResult keepInStore(const std::vector<uint8_t>& image, const std::string& backup, bool confirmed, int port);
  void offloadSeveralCollars();
  std::optional<std::string> chooseGpsSource();
  void exportGpsData(const std::string& source);
  // Shows a translated file in the viewer; false when it cannot be read.
  bool showGpsDataFile(const std::string& path, const std::string& source = {});
  GpsViewerHost& viewer() { return viewer_; }

 signals:
  void commandStarted(int id);
  void portChanged(int port);
  // The collar last read: its ID, once known.
  void collarChanged(unsigned collarId);
  void quitRequested();
  void statusBarToggled();
  void newDocumentRequested();
  void openDocumentRequested();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void runUtcOffsetDialog();
  void showCollarCommands();
  void showHelp();

  AppContext& context_;
  QStatusBar* statusBar_ = nullptr;
  std::map<int, std::function<void()>> commands_;
  QPointer<CollarCommandsDialog> collarCommands_;
  CollarConfig config_;
  QPixmap backdrop_;
  GpsViewerHost viewer_{this, [this](const std::string& source) { exportGpsData(source); }, &context_.store,
                        [this] { return chooseGpsSource(); }};
  // The GPS data file of the last file viewed, for the print job's summary page.
  std::string lastGpsSource_;
  std::optional<SeasonSummary> printSummary_;  // the summary page asked for in the print dialog
  bool printMap_ = false;                      // the map page asked for too
  bool busy_ = false;
  CalendarStart calendarStart_;
  std::function<std::unique_ptr<QPrinter>()> printTarget_;
  ConfigDownloadState localDownload_;
  std::string projectText_;  // the Print dialog's project text, for this run
};

}  // namespace zelkor
