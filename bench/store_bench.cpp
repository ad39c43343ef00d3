// The season store: importing eight full memories (65 520 fixes) into
// SQLite (target: under 1 s), and reading back one collar's season from a
// store of 100 collars x 8190 fixes (target: under 50 ms) on SQLite and, when
// ZELKOR_BENCH_PG names a server URL (bench/store_bench.sh starts one), on
// PostgreSQL.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "gpsdata/fix_time.h"
#include "gpsdata/gps_block_encode.h"
#include "store/database.h"
#include "store/season_store.h"
#include "two_hour_fixes.h"
#include "util/endian.h"

namespace {

std::vector<uint8_t> FullMemory(uint16_t collarId) {
  std::vector<uint8_t> image(64, 0);
  zelkor::WriteBe24(&image[1], zelkor::kMaxGpsBlocks * 32 + 64);
  zelkor::WriteBe16(&image[12], collarId);
  zelkor::bench::AppendTwoHourFixes(&image, zelkor::DaysFromCivil(2025, 1, 1) * 86400, collarId % 60);
  return image;
}

std::string Scratch(const std::string& name) {
  const std::string path = (std::filesystem::temp_directory_path() / name).string();
  for (const char* end : {"", "-wal", "-shm"}) std::filesystem::remove(path + end);
  return path;
}

void BM_ImportEightMemoriesIntoSqlite(benchmark::State& state) {
  std::vector<std::vector<uint8_t>> memories;
  for (uint16_t id = 1; id <= 8; ++id) memories.push_back(FullMemory(id));
  for (auto _ : state) {
    state.PauseTiming();
    const std::string path = Scratch("zelkor-bench-import.sqlite");
    std::string error;
    auto store = zelkor::SeasonStore::Open(path, &error);
    state.ResumeTiming();
    for (const auto& m : memories) {
      zelkor::ImportResult r;
      store->import(m, {"bench", -1, "bench.gps"}, &r, &error);
    }
  }
  state.SetItemsProcessed(state.iterations() * 8 * zelkor::kMaxGpsBlocks);
}
BENCHMARK(BM_ImportEightMemoriesIntoSqlite)->Unit(benchmark::kMillisecond)->Iterations(3);

// A store of 100 collars, made once per back end.
zelkor::SeasonStore* HundredCollars(const std::string& target) {
  static std::map<std::string, std::unique_ptr<zelkor::SeasonStore>> made;
  auto it = made.find(target);
  if (it != made.end()) return it->second.get();
  std::string error;
  auto store = zelkor::SeasonStore::Open(target, &error);
  if (!store) return nullptr;
  std::vector<zelkor::StoredCollar> collars;
  store->collars(&collars, &error);
  if (collars.size() < 100)
    for (uint16_t id = 1; id <= 100; ++id) {
      zelkor::ImportResult r;
      store->import(FullMemory(id), {"bench", -1, "bench.gps"}, &r, &error);
    }
  return (made[target] = std::move(store)).get();
}

void Season(benchmark::State& state, const std::string& target) {
  zelkor::SeasonStore* store = HundredCollars(target);
  if (!store) {
    state.SkipWithError("the store cannot be opened");
    return;
  }
  std::vector<uint8_t> image;
  std::string error;
  for (auto _ : state) {
    store->history(57, std::nullopt, std::nullopt, &image, &error);
    benchmark::DoNotOptimize(image);
  }
  state.SetItemsProcessed(state.iterations() * zelkor::kMaxGpsBlocks);
}

void BM_OneSeasonOfAHundredCollarsSqlite(benchmark::State& state) {
  static const std::string path = Scratch("zelkor-bench-100.sqlite");
  Season(state, path);
}
BENCHMARK(BM_OneSeasonOfAHundredCollarsSqlite)->Unit(benchmark::kMillisecond);

void BM_OneSeasonOfAHundredCollarsPostgres(benchmark::State& state) {
  const char* url = std::getenv("ZELKOR_BENCH_PG");
  if (!url) {
    state.SkipWithError("set ZELKOR_BENCH_PG (bench/store_bench.sh does)");
    return;
  }
  Season(state, url);
}
BENCHMARK(BM_OneSeasonOfAHundredCollarsPostgres)->Unit(benchmark::kMillisecond);

void BM_ImportEightMemoriesIntoPostgres(benchmark::State& state) {
  const char* url = std::getenv("ZELKOR_BENCH_PG");
  if (!url) {
    state.SkipWithError("set ZELKOR_BENCH_PG (bench/store_bench.sh does)");
    return;
  }
  std::vector<std::vector<uint8_t>> memories;
  for (uint16_t id = 201; id <= 208; ++id) memories.push_back(FullMemory(id));
  for (auto _ : state) {
    state.PauseTiming();
    std::string error;
    auto admin = zelkor::OpenPostgres(url, &error);
    admin->runScript("DROP DATABASE IF EXISTS zelkor_import WITH (FORCE)", &error);
    admin->runScript("CREATE DATABASE zelkor_import", &error);
    std::string target = url;
    target.replace(target.find("/postgres?"), 10, "/zelkor_import?");
    auto store = zelkor::SeasonStore::Open(target, &error);
    if (!store) {
      state.SkipWithError(error.c_str());
      return;
    }
    state.ResumeTiming();
    for (const auto& m : memories) {
      zelkor::ImportResult r;
      store->import(m, {"bench", -1, "bench.gps"}, &r, &error);
    }
  }
  state.SetItemsProcessed(state.iterations() * 8 * zelkor::kMaxGpsBlocks);
}
BENCHMARK(BM_ImportEightMemoriesIntoPostgres)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
