#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer and sanitizers and runs
# each one briefly. FUZZ_SECONDS sets the time per target (default 20).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-20}"
targets=$(ls fuzz/*_fuzz.cpp 2>/dev/null || true)
[ -n "$targets" ] || exit 0
out=build-fuzz
mkdir -p "$out"
# The core as the Linux build takes it: no Windows files, no stand-ins, and
# not the desktop keyring or the GIS exports, libraries of their own.
core_sources=$(find src/core -name '*.cpp' ! -name '*win32*' ! -name '*_unavailable.cpp' ! -name 'desktop_keyring_*' ! -path '*/gis/*')
for t in $targets; do
  name=$(basename "$t" .cpp)
  # The time-zone library as its CMake package sets it up: the system's
  # tz database.
  clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -DUSE_OS_TZDB=1 -DONLY_C_LOCALE=1 -DHAS_STRING_VIEW=1 \
    $(pkg-config --cflags sqlite3 libpq) \
    -Isrc/core "$t" $core_sources -o "$out/$name" -ldate-tz -lGeographicLib $(pkg-config --libs sqlite3 libpq) -lpthread
  mkdir -p "$out/corpus-$name"
  # Seeds: the test data's GPS files, so that the fuzzer starts from real
  # headers and blocks.
  cp -n tests/data/gps/*.gps "$out/corpus-$name/" 2>/dev/null || true
  echo "fuzz: $name for ${seconds}s"
  "$out/$name" -max_total_time="$seconds" -print_final_stats=0 "$out/corpus-$name" 2>"$out/$name.log" \
    || { tail -n 40 "$out/$name.log"; echo "fuzz: $name found a fault" >&2; exit 1; }
done
echo "fuzz: no crash and no sanitizer report"
