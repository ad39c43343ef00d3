#include "map_layers_panel.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "map_layers.h"
#include "track_view.h"

namespace zelkor {

MapLayersPanel::MapLayersPanel(TrackView* track, QWidget* parent)
    : QWidget(parent), layers_(std::make_unique<MapLayers>()), track_(track) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* title = new QLabel("Map layers (drawn top to bottom: images under the track, shapes over it)", this);
  title->setWordWrap(true);
  layout->addWidget(title);
  list_ = new QListWidget(this);
  list_->setObjectName("mapLayers");
  list_->setToolTip("Tick to show a layer. A layer that cannot be read is named with the reason.");
  layout->addWidget(list_, 1);
  auto* buttons = new QGridLayout;
  add_ = new QPushButton("Add Map Layer...", this);
  add_->setToolTip("A map file of your own: MBTiles, GeoPackage, GeoTIFF, Shapefile, GeoJSON, KML, ...");
  remove_ = new QPushButton("Remove", this);
  up_ = new QPushButton("Up", this);
  down_ = new QPushButton("Down", this);
  buttons->addWidget(add_, 0, 0);
  buttons->addWidget(remove_, 0, 1);
  buttons->addWidget(up_, 1, 0);
  buttons->addWidget(down_, 1, 1);
  layout->addLayout(buttons);
  auto* opacityRow = new QHBoxLayout;
  opacityLabel_ = new QLabel("Opacity:", this);
  opacity_ = new QSlider(Qt::Horizontal, this);
  opacity_->setRange(0, 100);
  opacity_->setValue(100);
  opacity_->setAccessibleName("Opacity of the selected layer");
  opacityLabel_->setBuddy(opacity_);
  opacityRow->addWidget(opacityLabel_);
  opacityRow->addWidget(opacity_, 1);
  layout->addLayout(opacityRow);

  connect(add_, &QPushButton::clicked, this, &MapLayersPanel::addRequested);
  connect(remove_, &QPushButton::clicked, this, [this] {
    const int row = list_->currentRow();
    if (row < 0) return;
    layers_->remove(row);
    refill(std::min(row, layers_->size() - 1));
    emit pathsChanged(paths());
  });
  connect(up_, &QPushButton::clicked, this, [this] { moveSelected(-1); });
  connect(down_, &QPushButton::clicked, this, [this] { moveSelected(1); });
  connect(list_, &QListWidget::currentRowChanged, this, &MapLayersPanel::selectionChanged);
  connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (filling_) return;
    layers_->setVisible(list_->row(item), item->checkState() == Qt::Checked);
    if (track_) track_->update();
  });
  connect(opacity_, &QSlider::valueChanged, this, [this](int value) {
    if (filling_ || list_->currentRow() < 0) return;
    layers_->setOpacity(list_->currentRow(), value / 100.0);
    if (track_) track_->update();
  });
  track_->setMapLayers(layers_.get());
  selectionChanged();
}

MapLayersPanel::~MapLayersPanel() {
  // The view may paint once more while the dialog closes.
  if (track_) track_->setMapLayers(nullptr);
}

void MapLayersPanel::setPaths(const std::vector<std::string>& paths) {
  while (layers_->size() > 0) layers_->remove(0);
  for (const std::string& path : paths) layers_->add(path);
  if (track_) track_->setMapLayers(layers_.get());  // the hemisphere of a UTM track may follow the layers
  refill(layers_->size() > 0 ? 0 : -1);
}

void MapLayersPanel::addPath(const std::string& path) {
  const int index = layers_->add(path);
  if (track_) track_->setMapLayers(layers_.get());
  refill(index);
  emit pathsChanged(paths());
}

std::vector<std::string> MapLayersPanel::paths() const { return layers_->paths(); }

void MapLayersPanel::moveSelected(int by) {
  const int row = list_->currentRow();
  if (row < 0 || row + by < 0 || row + by >= layers_->size()) return;
  layers_->move(row, by);
  refill(row + by);
  emit pathsChanged(paths());
}

void MapLayersPanel::refill(int select) {
  filling_ = true;
  list_->clear();
  for (int i = 0; i < layers_->size(); ++i) {
    const MapLayerEntry& e = layers_->at(i);
    const QFileInfo file(QString::fromStdString(e.path));
    QString text = file.fileName();
    if (!e.layer) text += QString(" - cannot be drawn: %1").arg(QString::fromStdString(e.problem));
    else text += e.layer->isRaster() ? " (image)" : " (shapes)";
    auto* item = new QListWidgetItem(text, list_);
    item->setToolTip(QString::fromStdString(e.path) +
                     (e.layer ? QString() : "\n" + QString::fromStdString(e.problem)));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(e.visible ? Qt::Checked : Qt::Unchecked);
    if (!e.layer) item->setForeground(QColor(180, 0, 0));
  }
  list_->setCurrentRow(select);
  filling_ = false;
  selectionChanged();
  if (track_) track_->update();
}

void MapLayersPanel::selectionChanged() {
  const int row = list_->currentRow();
  const bool any = row >= 0 && row < layers_->size();
  remove_->setEnabled(any);
  up_->setEnabled(any && row > 0);
  down_->setEnabled(any && row + 1 < layers_->size());
  opacity_->setEnabled(any && layers_->at(row).layer);
  opacityLabel_->setEnabled(opacity_->isEnabled());
  filling_ = true;
  opacity_->setValue(any ? static_cast<int>(layers_->at(row).opacity * 100 + 0.5) : 100);
  filling_ = false;
}

}  // namespace zelkor
