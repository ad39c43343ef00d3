// The season summary and a named-zone translation of a full collar memory:
// 8190 fixes every two hours (almost two years) on a 2-hour schedule with
// an auxiliary schedule on weekdays. Target: the summary under 20 ms.
#include <benchmark/benchmark.h>

#include "analysis/season_summary.h"
#include "gpsdata/fix_time.h"
#include "gpsdata/gps_block_encode.h"
#include "gpsdata/translate.h"
#include "two_hour_fixes.h"
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
  zelkor::bench::AppendTwoHourFixes(&image, zelkor::DaysFromCivil(2025, 3, 1) * 86400, 40);
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
