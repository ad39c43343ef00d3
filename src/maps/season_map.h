// A season on one map for reports: the user's layers, the 100 % and 95 %
// minimum convex polygons, the track, the fixes coloured by their flags, a
// scale bar, a north arrow and a legend with the collar ID and the dates.
// Without layers it draws on a plain grid. The same drawing makes the PNG or
// PDF of "zelkor-cli map", the viewer's "Save Map Picture..." and the
// printout's "Season map" page.
#pragma once

#include <QImage>
#include <QRectF>
#include <QTransform>
#include <optional>
#include <string>
#include <vector>

#include "gis/map_layer.h"
#include "gpsdata/decoded_file.h"
#include "gpsdata/fix_quality.h"

class QPainter;

namespace zelkor {

class MapLayers;

struct SeasonMapOptions {
  bool utm = false;  // the UTM zone of the fixes instead of a plane centred on them
  double maxSpeedKmh = kDefaultMaxSpeedKmh;
};

// Where the season lies on a drawing area: the frame and the transform from
// its metres to the area's pixels.
struct SeasonMapLayout {
  std::optional<MapFrame> frame;
  QTransform toPixels;
  bool empty() const { return !frame; }
};

// The frame of a season (centred on the mean of its fixes, or their UTM
// zone, in the hemisphere of their mean) and the view that shows every fix
// with a margin in area.
SeasonMapLayout LayoutSeasonMap(const DecodedFile& data, const std::vector<FixQuality>& quality,
                                const SeasonMapOptions& options, const QRectF& area);

// Draws the season on area; layers may be null. Returns the layout used.
SeasonMapLayout PaintSeasonMap(QPainter& painter, const QRectF& area, const DecodedFile& data, MapLayers* layers,
                               const SeasonMapOptions& options);

// The map of a GPS data file's bytes as a picture; a null picture and
// *reason when the bytes are not a collar's GPS data.
QImage RenderSeasonMap(const std::vector<uint8_t>& image, const std::vector<std::string>& layers, QSize size,
                       const SeasonMapOptions& options, std::string* reason, std::vector<std::string>* problems = nullptr);

// Reads a GPS data file and writes its map as PNG (by default) or PDF (a
// name ending in .pdf), width x height pixels, whole or not at all. Layers
// that cannot be read are listed in *problems and left out.
bool SaveSeasonMap(const std::string& gpsPath, const std::string& outputPath, const std::vector<std::string>& layers,
                   int width, int height, const SeasonMapOptions& options, std::string* reason,
                   std::vector<std::string>* problems = nullptr);
// The same from a GPS data file's bytes.
bool SaveSeasonMapOf(const std::vector<uint8_t>& image, const std::string& outputPath,
                     const std::vector<std::string>& layers, int width, int height, const SeasonMapOptions& options,
                     std::string* reason, std::vector<std::string>* problems = nullptr);

}  // namespace zelkor
