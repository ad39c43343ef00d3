// Decoding and translation of a full collar memory (8190 blocks).
#include <benchmark/benchmark.h>

#include <random>

#include "gpsdata/gps_block_encode.h"
#include "gpsdata/translate.h"
#include "util/endian.h"

namespace {

std::vector<uint8_t> FullMemory() {
  std::vector<uint8_t> image(64, 0);
  zelkor::WriteBe24(&image[1], zelkor::kMaxGpsBlocks * 32 + 64);
  std::mt19937 rng(42);
  for (uint32_t i = 0; i < zelkor::kMaxGpsBlocks; ++i) {
    zelkor::GpsBlockFields f;
    f.year = 6;
    f.month = 1 + i / 700 % 12;
    f.day = 1 + i % 28;
    f.hour = i % 24;
    f.minute = rng() % 60;
    zelkor::SplitDegrees(40 + (rng() % 1000) / 1e5, f.latDegrees, f.latMinutes, f.latFraction);
    zelkor::SplitDegrees(105.5 + (rng() % 1000) / 1e5, f.lonDegrees, f.lonMinutes, f.lonFraction);
    f.satelliteMask = rng();
    f.altitudeCode = 2000;
    const auto b = zelkor::EncodeGpsBlock(f);
    image.insert(image.end(), b.begin(), b.end());
  }
  return image;
}

void BM_DecodeBlocks(benchmark::State& state) {
  const auto image = FullMemory();
  for (auto _ : state) {
    for (uint32_t i = 0; i < zelkor::kMaxGpsBlocks; ++i)
      benchmark::DoNotOptimize(zelkor::DecodeGpsBlock(image.data() + 64 + i * 32));
  }
  state.SetItemsProcessed(state.iterations() * zelkor::kMaxGpsBlocks);
}
BENCHMARK(BM_DecodeBlocks)->Unit(benchmark::kMillisecond);

void BM_TranslateLatLon(benchmark::State& state) {
  const auto image = FullMemory();
  for (auto _ : state)
    benchmark::DoNotOptimize(zelkor::TranslateGpsImage(image, zelkor::OutputForm::LatLon, zelkor::ShiftHours(-7), "(GMT -07:00) Arizona"));
  state.SetItemsProcessed(state.iterations() * zelkor::kMaxGpsBlocks);
}
BENCHMARK(BM_TranslateLatLon)->Unit(benchmark::kMillisecond);

void BM_TranslateUtm(benchmark::State& state) {
  const auto image = FullMemory();
  for (auto _ : state)
    benchmark::DoNotOptimize(zelkor::TranslateGpsImage(image, zelkor::OutputForm::Utm, zelkor::ShiftHours(-7), "(GMT -07:00) Arizona"));
  state.SetItemsProcessed(state.iterations() * zelkor::kMaxGpsBlocks);
}
BENCHMARK(BM_TranslateUtm)->Unit(benchmark::kMillisecond);

}  // namespace
