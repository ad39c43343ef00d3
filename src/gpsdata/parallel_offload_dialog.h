// "Offload Several Collars": tick the ports, choose the time zone and the
// output form once, and every collar is offloaded at the same time, each
// with its own row: port, collar ID, progress with rate and time left,
// result, and its own Cancel.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

#include "app/prompter.h"
#include "app/settings_store.h"
#include "gpsdata/parallel_offload.h"
#include "link/system_serial_port.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTimer;

namespace zelkor {

// Where the window remembers its choices between runs.
inline const char kSeveralCollarsKey[] = "Software\\Nalvik, Inc\\Zelkor\\Offload Several Collars";

// One line on a finished run: "3 of 4 collars offloaded, 2 erased; COM3
// failed."
std::string RunSummary(const std::vector<CollarRun>& runs, bool eraseAsked);

class ParallelOffloadDialog : public QDialog {
  Q_OBJECT
 public:
  // view (when given) shows a collar's CSV, after this window has closed.
  using Viewer = std::function<void(const std::string& csvPath, const std::string& backupPath)>;
  ParallelOffloadDialog(const std::string& programDirectory, SystemSerialPort& serial, SettingsStore& settings,
                        Prompter& prompter, const Clock& clock, LinkSessionFactory factory, ImageKeeper keep,
                        QWidget* parent = nullptr, Viewer view = {});
  ~ParallelOffloadDialog() override;

  QListWidget* portList() const { return ports_; }
  QComboBox* zoneList() const { return zones_; }
  QRadioButton* utmButton() const { return utm_; }
  QCheckBox* eraseBox() const { return erase_; }
  QLineEdit* patternField() const { return pattern_; }
  QPushButton* startButton() const { return start_; }
  QTableWidget* runTable() const { return runs_; }
  // What came of the run, once it is over: "3 of 4 collars offloaded ...".
  QLabel* summary() const { return summary_; }
  // The ticked ports, 0-based.
  std::vector<int> chosenPorts() const;
  bool running() const;
  // What came of each collar once all are done.
  std::vector<CollarRun> results() const;

  void start();
  void reject() override;

 signals:
  void allFinished();

 private:
  void refresh();
  // The choices a run was started with, for the next time.
  void remember();
  void recall();
  std::string programDirectory_;
  SettingsStore& settings_;
  Prompter& prompter_;
  const Clock& clock_;
  LinkSessionFactory factory_;
  ImageKeeper keep_;
  std::unique_ptr<ParallelOffload> job_;
  std::optional<NamedZone> named_;
  QListWidget* ports_;
  QComboBox* zones_;
  QRadioButton* latLon_;
  QRadioButton* utm_;
  QCheckBox* erase_;
  QLineEdit* pattern_;
  QPushButton* start_;
  QPushButton* close_;
  QTableWidget* runs_;
  QLabel* summary_;
  QTimer* timer_;
  Viewer view_;
};

}  // namespace zelkor
