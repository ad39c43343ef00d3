// Redrawing the Track tab while panning and zooming over a full memory of
// fixes (8190) with an MBTiles image and a study-area polygon: the target
// is under 16 ms a redraw. Run: build/bin/zelkor_map_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <cmath>

#include "gis/sample_maps.h"
#include "map_layers.h"
#include "track_view.h"

namespace zelkor {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "zelkor_map_bench";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

struct Scene {
  QTemporaryDir dir;
  MapLayers layers;
  TrackView view;
  QImage target{1000, 700, QImage::Format_ARGB32_Premultiplied};
  Scene() {
    Track track;
    for (int i = 0; i < 8190; ++i) {
      TrackPoint p;
      p.x = -110.0 + 0.08 * std::sin(i * 0.0011) + 0.004 * std::cos(i * 0.37);
      p.y = 45.0 + 0.05 * std::cos(i * 0.0017) + 0.003 * std::sin(i * 0.29);
      p.day = i / 12;
      p.validTime = true;
      p.row = static_cast<size_t>(i);
      track.points.push_back(p);
    }
    std::string raster, vector, reason;
    if (!WriteSampleMaps(dir.path().toStdString(), 44.9, -110.15, 45.1, -109.85, &raster, &vector, &reason))
      qFatal("%s", reason.c_str());
    layers.add(raster);
    layers.add(vector);
    view.resize(target.size());
    view.setMapLayers(&layers);
    view.setTrack(track);
    view.fit();
    view.zoom(2.0, QPointF(500, 350));
  }
  void draw() { view.render(&target); }
};

void BM_PanTrackWithLayers(benchmark::State& state) {
  App();
  Scene scene;
  scene.draw();
  int step = 0;
  for (auto _ : state) {
    // Back and forth, as a drag does: the cached image serves most frames,
    // a fresh warp some.
    const double dx = (step++ / 40) % 2 ? -12.0 : 12.0;
    scene.view.pan(QPointF(dx, 5.0 * std::sin(step * 0.1)));
    scene.draw();
  }
}
BENCHMARK(BM_PanTrackWithLayers)->Unit(benchmark::kMillisecond);

void BM_ZoomTrackWithLayers(benchmark::State& state) {
  App();
  Scene scene;
  scene.draw();
  int step = 0;
  for (auto _ : state) {
    // In and out by a wheel step: the two zoom levels' images are kept.
    scene.view.zoom(step++ % 2 ? 0.8 : 1.25, QPointF(480, 330));
    scene.draw();
  }
}
BENCHMARK(BM_ZoomTrackWithLayers)->Unit(benchmark::kMillisecond);

void BM_NewZoomLevelWithLayers(benchmark::State& state) {
  App();
  Scene scene;
  scene.draw();
  int step = 0;
  for (auto _ : state) {
    // Every frame a zoom level not seen before: the image is warped afresh.
    scene.view.zoom(step++ % 8 < 4 ? 1.07 : 1.0 / 1.09, QPointF(480, 330));
    scene.draw();
  }
}
BENCHMARK(BM_NewZoomLevelWithLayers)->Unit(benchmark::kMillisecond);

void BM_PanTrackAlone(benchmark::State& state) {
  App();
  Scene scene;
  scene.view.setMapLayers(nullptr);
  scene.draw();
  int step = 0;
  for (auto _ : state) {
    const double dx = (step++ / 40) % 2 ? -12.0 : 12.0;
    scene.view.pan(QPointF(dx, 0));
    scene.draw();
  }
}
BENCHMARK(BM_PanTrackAlone)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelkor
