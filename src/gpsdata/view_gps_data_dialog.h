// "View GPS Data": a translated file as read-only text, and its track.
#pragma once

#include <QDialog>

#include "gpsdata/viewer_text.h"

class QLabel;
class QPlainTextEdit;
class QTabWidget;

namespace zelkor {

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
  QTabWidget* tabs() const { return tabs_; }

 private:
  QPlainTextEdit* text_;
  QLabel* fileName_;
  QString lineCount_;
  TrackView* track_;
  QTabWidget* tabs_;
};

// The viewer of the main window: one window at a time, replaced by the next.
class GpsViewerHost {
 public:
  explicit GpsViewerHost(QWidget* owner) : owner_(owner) {}
  void show(const ViewerText& text, const QString& fileName);
  ViewGpsDataDialog* current() const { return current_; }
  bool isOpen() const;

 private:
  QWidget* owner_;
  ViewGpsDataDialog* current_ = nullptr;
};

}  // namespace zelkor
