// The season summary and a named-zone translation of a full collar memory:
// 8190 fixes every two hours (almost two years) on a 2-hour schedule with
// an auxiliary schedule on weekdays. Target: the summary under 20 ms.
#include <benchmark/benchmark.h>

#include <cmath>

#include "analysis/season_summary.h"
#include "gpsdata/fix_time.h"
#include "gpsdata/gps_block_encode.h"
#include "gpsdata/translate.h"
#include "util/endian.h"

namespace {

std::vector<uint8_t> FullSeason() {
  zelkor::CollarConfig c;
  c.primaryRateHours = 2;
  c.auxRateMinutes = 30;
  c.auxStartHourUtc = 5;
  c.auxStopHourUtc = 9;
  for (int d = 1; d <= 5; ++d) c.auxWeekdays[static_cast<size_t>(d)] = true;
  for (int m = 1; m <= 12; ++m) c.auxDays.setQuarter(m, 1, true);
  c.dataPointer = zelkor::kMaxGpsBlocks * 32 + 64;
  c.collarId = 4711;
  zelkor::EncodeConfig(c);
  std::vector<uint8_t> image(c.raw.begin(), c.raw.end());
  zelkor::WriteBe24(&image[1], zelkor::kMaxGpsBlocks * 32 + 64);
  const int64_t start = zelkor::DaysFromCivil(2025, 3, 1) * 86400;
  double lat = 45, lon = -110;
  for (uint32_t i = 0; i < zelkor::kMaxGpsBlocks; ++i) {
    const int64_t t = start + i * 7200 + 40;
    int y, mo, d;
    zelkor::CivilFromDays(t / 86400, &y, &mo, &d);
    zelkor::GpsBlockFields f;
    f.year = static_cast<unsigned>(y - 2000);
    f.month = static_cast<unsigned>(mo);
    f.day = static_cast<unsigned>(d);
    f.hour = static_cast<unsigned>(t % 86400 / 3600);
    f.minute = 0;
    f.second = 40;
    lat += 0.002 * std::sin(i * 0.01);
    lon += 0.002 * std::cos(i * 0.013);
    zelkor::SplitDegrees(lat, f.latDegrees, f.latMinutes, f.latFraction);
    zelkor::SplitDegrees(-lon, f.lonDegrees, f.lonMinutes, f.lonFraction);
    f.north = true;
    f.east = false;
    f.statusCode = 3;
    f.altitudeCode = 2000;
    f.satelliteMask = 0x8A100000u;
    const auto b = zelkor::EncodeGpsBlock(f);
    image.insert(image.end(), b.begin(), b.end());
  }
  return image;
}

void BM_SeasonSummary(benchmark::State& state) {
  const auto image = FullSeason();
  for (auto _ : state) {
    zelkor::SeasonSummary s;
    zelkor::SummarizeSeason(image, {}, &s);
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * zelkor::kMaxGpsBlocks);
}
BENCHMARK(BM_SeasonSummary)->Unit(benchmark::kMillisecond);

void BM_TranslateNamedZone(benchmark::State& state) {
  const auto image = FullSeason();
  std::string error;
  const auto zone = zelkor::NamedZone::Find("America/Denver", &error);
  for (auto _ : state)
    benchmark::DoNotOptimize(
        zelkor::TranslateGpsImage(image, zelkor::OutputForm::LatLon, zelkor::ZoneChoice::Named(*zone)));
  state.SetItemsProcessed(state.iterations() * zelkor::kMaxGpsBlocks);
}
BENCHMARK(BM_TranslateNamedZone)->Unit(benchmark::kMillisecond);

}  // namespace
