// "View GPS Data": a translated file as read-only text, and its track.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "gpsdata/viewer_text.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QSortFilterProxyModel;
class QTabWidget;
class QTableView;
class QPushButton;

namespace zelkor {

class CsvTableModel;
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
  QPushButton* fitButton() const { return fit_; }
  // Copies the selected rows (all rows when none is selected), with the
  // headings, as tab-separated text.
  void copyRows();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPlainTextEdit* text_;
  QTableView* table_;
  CsvTableModel* model_;
  QSortFilterProxyModel* proxy_;
  QCheckBox* badOnly_;
  QPushButton* fit_;
  QLabel* fileName_;
  QString lineCount_;
  TrackView* track_;
  QTabWidget* tabs_;
  QPushButton* export_;
};

// The viewer of the main window: one window at a time, replaced by the next.
class GpsViewerHost {
 public:
  using Exporter = std::function<void(const std::string& source)>;
  GpsViewerHost(QWidget* owner, Exporter exporter = {}) : owner_(owner), exporter_(std::move(exporter)) {}
  // source: the GPS data file the text was translated from, when known.
  void show(const ViewerText& text, const QString& fileName, const std::string& source = {});
  ViewGpsDataDialog* current() const { return current_; }
  bool isOpen() const;

 private:
  QWidget* owner_;
  Exporter exporter_;
  ViewGpsDataDialog* current_ = nullptr;
};

}  // namespace zelkor
