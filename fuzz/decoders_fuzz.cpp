// Feeds arbitrary bytes to everything that reads outside data: the record
// decoder and encoder and its JSON, the block decoder and the translator,
// the exports, the season summary and the reading of a CSV, and the XMODEM
// receiver (the bytes play the sender).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/season_summary.h"
#include "geo/geodesy.h"
#include "gpsdata/gps_file_check.h"
#include "analysis/table_analysis.h"
#include "config/collar_config.h"
#include "config/config_json.h"
#include "gpsdata/exports.h"
#include "gpsdata/translate.h"
#include "link/xmodem.h"

namespace {

// A line that delivers the given bytes, then nothing; writes go nowhere.
class ReplayChannel : public zelkor::ByteChannel {
 public:
  ReplayChannel(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool write(const uint8_t*, size_t) override { return true; }
  int read(int) override { return at_ < size_ ? data_[at_++] : zelkor::kReadTimeout; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

void Configuration(const uint8_t* data, size_t size) {
  using namespace zelkor;
  CollarConfigRecord record{};
  for (size_t i = 0; i < size && i < record.size(); ++i) record[i] = data[i];
  CollarConfig config;
  DecodeConfig(record, config);
  (void)ConfigToJson(config);
  EncodeConfig(config);
  CollarConfig again;
  DecodeConfig(config.raw, again);
}

void GpsData(const uint8_t* data, size_t size) {
  using namespace zelkor;
  if (size >= kGpsBlockSize) (void)DecodeGpsBlock(data);
  const std::vector<uint8_t> image(data, data + size);
  const int offset = size ? static_cast<int8_t>(data[0]) % 25 : 0;
  (void)TranslateGpsImage(image, OutputForm::LatLon, ShiftMinutes(offset * 30), "trailer %s");
  (void)TranslateGpsImage(image, OutputForm::Utm, ShiftMinutes(-offset * 15), "");
  (void)CheckGpsFile(image);
  DecodedFile exported;
  if (DecodeGpsFile(image, &exported)) {
    // The polygons of whatever positions the bytes hold, sane or not.
    std::vector<GeoPoint> points;
    for (const DecodedFix& d : exported.fixes)
      if (IsPosition(d.latitude, d.longitude)) points.push_back({d.latitude, d.longitude});
    (void)GeodesicAreaKm2(ConvexPolygon(points));
    for (ExportFormat f : {ExportFormat::Gpx, ExportFormat::GeoJson, ExportFormat::Kml, ExportFormat::Movebank}) {
      int skipped = 0;
      ExportOptions options;
      options.individual = size > 70 ? std::string(reinterpret_cast<const char*>(data + 64), 6) : "";
      (void)ExportText(exported, f, options, &skipped);
    }
  }
  // The analysis: the header's schedule, the flags, the polygons, and the
  // CSV read back through its footer's zone.
  SeasonSummary summary;
  SummaryOptions so;
  so.maxSpeedKmh = size > 1 ? 0.5 + data[1] : 15;
  if (SummarizeSeason(image, so, &summary)) (void)SummaryJson(summary);
  static const auto denver = NamedZone::Find("America/Denver", nullptr);
  if (denver) {
    const Translation named = TranslateGpsImage(image, OutputForm::LatLon, ZoneChoice::Named(*denver));
    (void)AnalyseTable(ParseCsvTable(named.csv));
  }
  (void)AnalyseTable(ParseCsvTable(std::string(reinterpret_cast<const char*>(data), size)));
}

void Xmodem(const uint8_t* data, size_t size) {
  using namespace zelkor;
  ReplayChannel line(data, size);
  XmodemReceiveOptions o;
  o.expectedPackets = size ? data[0] % 8 : 0;
  const XmodemReceiveResult r = XmodemReceive(line, o);
  if (r.status == XmodemStatus::Ok && r.data.size() != static_cast<size_t>(r.packets) * kXmodemPacketSize) __builtin_trap();
  (void)XmodemFailureText(r, o.expectedPackets);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Configuration(data, size);
  GpsData(data, size);
  Xmodem(data, size);
  return 0;
}
