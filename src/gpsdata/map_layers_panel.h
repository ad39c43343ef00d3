// The Track tab's map layers: a list of the user's map files with show and
// hide, order, opacity and remove; a file that cannot be read stays in the
// list, named with GDAL's reason. The panel owns the layers the track view
// draws. "Add Map Layer..." and the remembered list are the host's: it
// asks for files and keeps the paths.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "track_view.h"

class QListWidget;
class QPushButton;
class QSlider;
class QLabel;

namespace zelkor {

class MapLayers;

class MapLayersPanel : public QWidget {
  Q_OBJECT
 public:
  MapLayersPanel(TrackView* track, QWidget* parent = nullptr);
  ~MapLayersPanel() override;

  // Replaces the list (the remembered layers at start).
  void setPaths(const std::vector<std::string>& paths);
  void addPath(const std::string& path);
  std::vector<std::string> paths() const;
  MapLayers& layers() { return *layers_; }

  QListWidget* list() const { return list_; }
  QPushButton* addButton() const { return add_; }
  QPushButton* removeButton() const { return remove_; }
  QPushButton* upButton() const { return up_; }
  QPushButton* downButton() const { return down_; }
  QSlider* opacitySlider() const { return opacity_; }

 signals:
  void addRequested();
  // The list of files changed (added, removed, reordered).
  void pathsChanged(const std::vector<std::string>& paths);

 private:
  void refill(int select);
  void selectionChanged();
  void moveSelected(int by);

  std::unique_ptr<MapLayers> layers_;
  QPointer<TrackView> track_;  // may go before the panel when the dialog closes
  QListWidget* list_;
  QPushButton* add_;
  QPushButton* remove_;
  QPushButton* up_;
  QPushButton* down_;
  QSlider* opacity_;
  QLabel* opacityLabel_;
  bool filling_ = false;
};

}  // namespace zelkor
