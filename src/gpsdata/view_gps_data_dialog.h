// "View GPS Data": a translated file as read-only text, as a table, as a
// track, and (with the GPS data file it came from) a season summary.
// Outliers are flagged in the table and on the track.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "analysis/season_summary.h"
#include "app/file_chooser.h"
#include "app/prompter.h"
#include "app/settings_store.h"
#include "gpsdata/viewer_text.h"

class QCheckBox;
class QDoubleSpinBox;
class QFormLayout;
class QLabel;
class QPlainTextEdit;
class QSortFilterProxyModel;
class QTabWidget;
class QTableView;
class QPushButton;

namespace zelkor {

class CsvTableModel;
class MapLayersPanel;
class SummaryChart;
class TrackView;

class ViewGpsDataDialog : public QDialog {
  Q_OBJECT
 public:
  ViewGpsDataDialog(const QString& text, const QString& lineCount, const QString& fileName,
                    QWidget* parent = nullptr);

  QPlainTextEdit* textBox() const { return text_; }
  QLabel* fileNameLabel() const { return fileName_; }
  QString lineCount() const { return lineCount_; }
  TrackView* trackView() const { return track_; }
  QPushButton* exportButton() const { return export_; }
  QTabWidget* tabs() const { return tabs_; }
  QTableView* table() const { return table_; }
  QCheckBox* badChecksOnly() const { return badOnly_; }
  QCheckBox* outliersOnly() const { return outliersOnly_; }
  QPushButton* fitButton() const { return fit_; }
  QPushButton* saveMapButton() const { return saveMap_; }
  // The Track tab's map layers; null in a build without maps.
  MapLayersPanel* mapLayersPanel() const { return mapPanel_; }
  // The GPS data file's bytes, once known (Summary tab).
  const std::vector<uint8_t>& gpsImage() const { return image_; }
  QWidget* summaryPage() const { return summaryPage_; }
  SummaryChart* summaryChart() const { return chart_; }
  QPushButton* openSourceButton() const { return openSource_; }
  QDoubleSpinBox* speedField() const { return speed_; }
  QLabel* summaryNote() const { return summaryNote_; }

  // The GPS data file the CSV came from: the Summary tab's figures and
  // chart. A file whose fixes are not the CSV's rows is said so.
  void setGpsImage(std::vector<uint8_t> image, const QString& name);
  const std::optional<SeasonSummary>& summary() const { return summary_; }
  // Fixes faster than this from the last good fix are outliers (km/h).
  void setMaxSpeed(double kmh);
  double maxSpeed() const { return maxSpeed_; }
  // Copies the selected rows (all rows when none is selected), with the
  // headings, as tab-separated text.
  void copyRows();

 signals:
  // "Open GPS Data File..." on the Summary tab.
  void sourceRequested();
  void maxSpeedChanged(double kmh);
  // "Save Map Picture..." on the Track tab.
  void saveMapRequested();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void analyse();
  void updateFilter();

  CsvTable csv_;
  double maxSpeed_ = kDefaultMaxSpeedKmh;
  std::vector<uint8_t> image_;
  QString imageName_;
  std::optional<SeasonSummary> summary_;
  QCheckBox* outliersOnly_;
  QWidget* summaryPage_;
  QLabel* summaryNote_;
  QPushButton* openSource_;
  QWidget* figuresBox_;
  QFormLayout* figures_;
  SummaryChart* chart_;
  QDoubleSpinBox* speed_;
  QPlainTextEdit* text_;
  QTableView* table_;
  CsvTableModel* model_;
  QSortFilterProxyModel* proxy_;
  QCheckBox* badOnly_;
  QPushButton* fit_;
  QPushButton* saveMap_;
  MapLayersPanel* mapPanel_ = nullptr;
  QLabel* fileName_;
  QString lineCount_;
  TrackView* track_;
  QTabWidget* tabs_;
  QPushButton* export_;
};

// The map files "Add Map Layer..." offers.
inline const char kMapLayerFilter[] =
    "Maps (*.mbtiles *.gpkg *.tif *.tiff *.vrt *.jp2 *.shp *.geojson *.json *.kml *.kmz *.gml);;All Files (*)";

// The viewer of the main window: one window at a time, replaced by the next.
class GpsViewerHost {
 public:
  using Exporter = std::function<void(const std::string& source)>;
  // Asks for a GPS data file (.gps) to summarise; nullopt when cancelled.
  using SourceChooser = std::function<std::optional<std::string>()>;
  GpsViewerHost(QWidget* owner, Exporter exporter = {}, SettingsStore* store = nullptr, SourceChooser chooser = {})
      : owner_(owner), exporter_(std::move(exporter)), store_(store), chooser_(std::move(chooser)) {}
  // source: the GPS data file the text was translated from, when known.
  void show(const ViewerText& text, const QString& fileName, const std::string& source = {});
  // A GPS data image (a collar's history from the store): its translation
  // (times in UTC) with its summary.
  void showImage(const std::vector<uint8_t>& image, const QString& name);
  ViewGpsDataDialog* current() const { return current_; }
  bool isOpen() const;
  // "Add Map Layer..." and "Save Map Picture..." ask through files and
  // report through prompter; without them the two buttons are hidden.
  void setMapServices(FileChooser* files, Prompter* prompter) {
    files_ = files;
    prompter_ = prompter;
  }

 private:
  // Reads a GPS data file into the viewer's Summary tab; false (and a
  // note on the tab) when it cannot be read.
  bool loadSource(ViewGpsDataDialog* dialog, const std::string& path);
  void connectMaps(ViewGpsDataDialog* dialog);

  QWidget* owner_;
  Exporter exporter_;
  SettingsStore* store_;
  SourceChooser chooser_;
  FileChooser* files_ = nullptr;
  Prompter* prompter_ = nullptr;
  ViewGpsDataDialog* current_ = nullptr;
};

}  // namespace zelkor
